// The polygon: brush rules, transparent and filled hit tests (the closing
// edge included), the closed Bezier outline, the fill mode with and without
// a background picture, and the refusal of arrowheads.
#include <gtest/gtest.h>

#include "kvcore/spicture.h"
#include "sym/links/sympolygon.h"
#include "support/lines_fixture.h"
#include "support/recording_canvas.h"

namespace {

// Notes the path calls a figure is made of.
class PathCanvas : public RecordingCanvas {
 public:
  void PolyBezier(const SSymListPt& pts, int to, int exact) override {
    std::string s = "PolyBezier";
    for (int i = 0; i < pts.GetCount(); ++i) s += " " + P(pts[i]);
    paths.push_back(s);
    RecordingCanvas::PolyBezier(pts, to, exact);
  }
  int BeginPath() override {
    paths.push_back("BeginPath");
    return RecordingCanvas::BeginPath();
  }
  int EndPath() override {
    paths.push_back("EndPath");
    return RecordingCanvas::EndPath();
  }
  int FillPath(const SSymRect& r) override {
    paths.push_back("FillPath " + R(r));
    return RecordingCanvas::FillPath(r);
  }
  std::vector<std::string> paths;
};

class Polygon : public LineFixture {
 protected:
  SSymPolygon* Make(const SSymListPt& pts = Pts({{0, 0}, {10000, 0}, {10000, 10000}, {0, 10000}})) {
    return MakeLine<SSymPolygon>(CLSID_SSymPolygon, pts);
  }
};

TEST_F(Polygon, NewPolygonIsASolidWhiteLinkableFigure) {
  SSymPolygon* p = Make();
  EXPECT_EQ(p->GetSymbolType(), 2);
  EXPECT_EQ(p->GetBrushStyle(), 1);
  EXPECT_EQ(p->GetFillColor(), 0xFFFFFF);
  EXPECT_EQ(p->GetPictureFillMode(), 12);
  EXPECT_EQ(p->GetGradientFillMode(), 0);
  EXPECT_EQ(p->GetGradientEndColor(), 0x767676);
  EXPECT_EQ(p->GetFillMode(), 1);
  EXPECT_FALSE(p->OnGetTransparent());
  SComWrap<ISSymLinkable> linkable(p->Sym());
  EXPECT_FALSE(linkable.IsNull());
  SComWrap<ISSymBrush> brush(p->Sym());
  EXPECT_FALSE(brush.IsNull());
}

TEST_F(Polygon, BrushSettersKeepTheirRules) {
  SSymPolygon* p = Make();
  struct {
    LONG in, stored;
  } styles[] = {{0, 1}, {9, 1}, {-3, 1}, {1, 1}, {4, 4}, {8, 8}};
  for (const auto& c : styles) {
    EXPECT_EQ(p->SetBrushStyle(c.in), S_OK) << c.in;
    EXPECT_EQ(p->GetBrushStyle(), c.stored) << c.in;
  }
  EXPECT_EQ(p->SetFillColor(0xFFFFFF), 1);  // the same colour: nothing changed
  EXPECT_EQ(p->SetFillColor(0x123456), S_OK);
  EXPECT_EQ(p->GetFillColor(), 0x123456);
  EXPECT_EQ(p->SetGradientEndColor(0x767676), 1);
  // Through the attributes, and back from them.
  SRepVariant v;
  v.SetLONG(0x00FF00);
  ASSERT_EQ(p->SetAttribute(SymAttr::FillColor, v), S_OK);
  EXPECT_EQ(p->GetFillColor(), 0x00FF00);
  v.SetLONG(42);
  p->SetAttribute(SymAttr::BrushStyle, v);
  EXPECT_EQ(p->GetBrushStyle(), 1);
}

TEST_F(Polygon, ArrowheadsAreRefusedEverywhere) {
  SSymPolygon* p = Make();
  p->SetArrow(8, 3, 0);
  p->SetArrows(0x04040404);
  for (int mask : {1, 2, 4, 8}) EXPECT_EQ(p->GetArrow(mask), 24) << mask;
  EXPECT_EQ(p->GetArrows(), 0);
  EXPECT_EQ(p->CanChangeArrow(), 0);
}

TEST_F(Polygon, HitTestsInsideOutlineAndClosingEdge) {
  SSymPolygon* p = Make();
  RecordingCanvas canvas;
  const int n = 4;
  struct {
    const char* name;
    SSymPoint pt;
    bool transparent;
    BOOL hit;
    int part;
  } cases[] = {
      {"inside filled", {5000, 5000}, false, 1, -1},
      {"inside transparent", {5000, 5000}, true, 0, 0},
      {"outside", {20000, 5000}, false, 0, 0},
      {"first segment", {5000, 0}, false, 1, n + 0},
      // The closing edge from the last point back to the first: the poly
      // base reports n + 1 + 3 for the appended point's segment, one lower here.
      {"closing edge", {0, 5000}, true, 1, n + 3},
      {"first point", {0, 0}, false, 1, 0},
  };
  for (const auto& c : cases) {
    p->SetFillMode(c.transparent ? 1 : 0);
    int part = 0;
    EXPECT_EQ(p->IsPtInSym(canvas, c.pt, &part, nullptr), c.hit) << c.name;
    if (c.hit) {
      EXPECT_EQ(part, c.part) << c.name;
    }
    EXPECT_EQ(p->ListPoints().GetCount(), n) << c.name;  // the appended point is gone again
  }
  // A link end hits exactly where the polygon does.
  p->SetFillMode(0);
  EXPECT_EQ(p->IsLinkPtInSym(canvas, SSymPoint(5000, 5000), nullptr, 0), 1);
  p->SetFillMode(1);
  EXPECT_EQ(p->IsLinkPtInSym(canvas, SSymPoint(5000, 5000), nullptr, 0), 0);
}

TEST_F(Polygon, IntersectionIncludesTheClosingEdge) {
  SSymPolygon* p = Make();
  SSymPoint at(-1, -1);
  // From the left across the closing edge x = 0.
  ASSERT_TRUE(p->GetIntersection(SSymSegment(SSymPoint(-5000, 5000), SSymPoint(5000, 5000)), &at));
  EXPECT_EQ(at, SSymPoint(0, 5000));
  EXPECT_FALSE(p->GetIntersection(SSymSegment(SSymPoint(-5000, 20000), SSymPoint(-4000, 20000)), &at));
}

TEST_F(Polygon, BezierStyleDrawsOneClosedFilledCurve) {
  SSymPolygon* p = Make(Pts({{0, 0}, {1000, 2000}, {3000, 0}}));
  p->SetLineStyle(3, 0);
  EXPECT_TRUE(SSymPolygon::ClosedBezier(p->ListPoints()).GetCount() == 5);
  PathCanvas canvas;
  p->DrawSymbol(canvas);
  // M = (500, 1000); the curve M, p1, p2, p0, M is filled, then outlined.
  const std::string curve = "PolyBezier 500 1000 1000 2000 3000 0 0 0 500 1000";
  ASSERT_EQ(canvas.paths.size(), 5u);
  EXPECT_EQ(canvas.paths[0], "BeginPath");
  EXPECT_EQ(canvas.paths[1], curve);
  EXPECT_EQ(canvas.paths[2], "EndPath");
  EXPECT_EQ(canvas.paths[3].rfind("FillPath", 0), 0u);
  EXPECT_EQ(canvas.paths[4], curve);
  EXPECT_TRUE(canvas.Only("Polygon").empty());
  // Other corner styles draw a plain polygon.
  p->SetLineStyle(0, 0);
  canvas.ClearCalls();
  p->DrawSymbol(canvas);
  EXPECT_EQ(canvas.Only("Polygon").size(), 1u);
}

TEST_F(Polygon, TransparentDrawingUsesAHollowBrush) {
  SSymPolygon* p = Make();
  p->SetFillColor(0x00AA00);
  RecordingCanvas canvas;
  p->DrawSymbol(canvas);
  EXPECT_EQ(canvas.Only("SetBrush 1 00aa00").size(), 1u);
  p->SetFillMode(1);
  EXPECT_EQ(p->GetFillMode(), 0);
  EXPECT_EQ(p->GetBrushStyle(), 4);
  canvas.ClearCalls();
  p->DrawSymbol(canvas);
  EXPECT_EQ(canvas.Only("SetBrush 4").size(), 1u);
  p->SetFillMode(0);
  EXPECT_EQ(p->GetBrushStyle(), 1);
  EXPECT_EQ(p->GetFillMode(), 1);
}

TEST_F(Polygon, FillModeFollowsTheBackgroundPicture) {
  SSymPolygon* p = Make();
  // No picture: the null identifier and an empty file change nothing.
  EXPECT_EQ(p->SetBackgroundPictureID(GUID_NULL), 1);
  EXPECT_EQ(p->SetBackgroundPictureFile(SString()), 1);
  EXPECT_EQ(p->SetBackgroundPictureID(MakeGUID("{01234567-89AB-CDEF-0123-456789ABCDEF}")), 1);
  EXPECT_EQ(p->SetBackgroundPictureFile(SString(u"/no/such/picture.png")), 1);
  EXPECT_EQ(p->GetBackgroundPicture(), nullptr);
  EXPECT_EQ(p->GetBackgroundPictureFile(), SString());

  SPictureInfo picture(SPictureInfo::ptBitmap, SString(u"x.png"), 0, SString(), SBlob());
  ASSERT_TRUE(p->SetBackgroundPicture(&picture));
  EXPECT_EQ(p->GetPictureFillMode(), 8);
  EXPECT_EQ(p->GetBrushStyle(), 5);
  // An unknown identifier keeps the picture.
  EXPECT_EQ(p->SetBackgroundPictureID(MakeGUID("{01234567-89AB-CDEF-0123-456789ABCDEF}")), 1);
  EXPECT_EQ(p->GetBackgroundPicture(), &picture);
  // Removing it gives the plain fill back.
  EXPECT_EQ(p->SetBackgroundPictureID(GUID_NULL), S_OK);
  EXPECT_EQ(p->GetBackgroundPicture(), nullptr);
  EXPECT_EQ(p->GetPictureFillMode(), 12);
  EXPECT_EQ(p->GetBrushStyle(), 1);
  // A gradient picture style keeps its style; without a picture it becomes solid.
  p->SetBrushStyle(7);
  p->SetBackgroundPicture(&picture);
  EXPECT_EQ(p->GetBrushStyle(), 7);
  p->SetBackgroundPicture(nullptr);
  EXPECT_EQ(p->GetBrushStyle(), 1);
}

TEST_F(Polygon, FormatCarriesBrushAndTransparency) {
  SSymPolygon* p = Make();
  p->SetFillColor(0x0000FF);
  SSymFormatEx f;
  p->GetFormat(f);
  EXPECT_TRUE(f.m_flags & SSymFormatEx::FlagBrush);
  EXPECT_EQ(f.m_brush.m_color.GetColor(), 0x0000FFu);
  SSymPolygon* q = Make();
  f.m_fill = 0;  // not filled
  q->SetFormat(f);
  EXPECT_EQ(q->GetFillMode(), 0);
  EXPECT_EQ(q->GetFillColor(), 0x0000FF);
}

TEST_F(Polygon, BrushChangeThroughAttributesUndoes) {
  SSymPolygon* p = Make();
  {
    SRepCreateContext step(Session());
    SRepVariant v;
    v.SetLONG(0x112233);
    p->SetAttribute(SymAttr::FillColor, v);
  }
  EXPECT_EQ(p->GetFillColor(), 0x112233);
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(p->GetFillColor(), 0xFFFFFF);
  ASSERT_EQ(m_session->Redo(), S_OK);
  EXPECT_EQ(p->GetFillColor(), 0x112233);
}

TEST_F(Polygon, ShortAndEmptyListsAreDrawnAndTestedSafely) {
  RecordingCanvas canvas;
  for (const SSymListPt& pts : {Pts({}), Pts({{5, 5}}), Pts({{0, 0}, {0, 0}})}) {
    SSymPolygon* p = Make(pts);
    EXPECT_EQ(p->DrawSymbol(canvas), S_OK);
    int part = 7;
    p->IsPtInSym(canvas, SSymPoint(5, 5), &part, nullptr);
    SSymPoint at;
    EXPECT_FALSE(p->GetIntersection(SSymSegment(SSymPoint(-10, -10), SSymPoint(-20, -20)), &at));
    EXPECT_EQ(p->ListPoints().GetCount(), pts.GetCount());
  }
}

}  // namespace

namespace {

TEST_F(Polygon, AttachedLinksFollowAMoveInTheDiagram) {
  SSymPolygon* placed = MakeLine<SSymPolygon>(CLSID_SSymPolygon, Pts({{0, 0}, {4000, 0}, {2000, 3000}}), true);
  SSymPolygon* loose = Make(Pts({{0, 0}, {4000, 0}, {2000, 3000}}));
  TLink* a = SymFixture::Make<TLink>();
  TLink* b = SymFixture::Make<TLink>();
  a->AttachSym(0, placed->Linkable(), SSymPoint(2000, 0));
  b->AttachSym(1, loose->Linkable(), SSymPoint(2000, 0));
  placed->MoveBy(SSymSize(500, -200), 0);
  loose->MoveBy(SSymSize(500, -200), 0);
  EXPECT_EQ(a->m_pt[0], SSymPoint(2500, -200));
  EXPECT_EQ(b->m_pt[1], SSymPoint(2000, 0));  // not in a diagram: its links are left alone
  EXPECT_EQ(placed->ListPoints()[0], SSymPoint(500, -200));
}

}  // namespace
