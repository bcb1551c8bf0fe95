// The arrowhead catalogue and the arrow symbol: the entries as built, the
// range of types, reset and copy of the working figures, the unload;
// placement at the ends and in the middle, turned or upright, the tip on an
// attached symbol's outline with its pull-back, the SVG rule, the fill, and
// lines and segments too short to place an arrow on.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

#include "kvcore/swinapp.h"
#include "kvrep/srepsession.h"
#include "support/recording_canvas.h"
#include "support/link_fixture.h"
#include "support/symtest.h"
#include "sym/links/symarrow.h"
#include "sym/links/symlinkbase.h"
#include "sym/shapes/symrectfamily.h"

namespace {

using Entry = SSymTabArrow::ArrowEntry;
using Fig = SSymArrowFigure;

SSymPoint Centre(const SSymRect& r) { return SSymPoint((r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2); }

// ---- the catalogue ------------------------------------------------------------------------------

TEST(ArrowCatalogue, EntriesAsBuilt) {
  struct Case {
    int type;
    Fig::Kind kind;
    size_t members;  // of a group
    SSymPoint tip, base, upperLeft, lowerRight;
    int fill, shorten;
    SHORT factor;
  } cases[] = {
      {0, Fig::Polygon, 0, {0, 0}, {1000, 0}, {0, 225}, {1000, -225}, 1, 1, 3},
      {3, Fig::Polygon, 0, {0, 0}, {1000, 0}, {0, 225}, {1000, -225}, 1, 1, 1},
      {7, Fig::Polyline, 0, {0, 0}, {1000, 0}, {0, 300}, {1000, -300}, 0, 1, 3},
      {9, Fig::Ellipse, 0, {0, 0}, {750, 0}, {150, 300}, {750, -300}, 1, 1, 0},
      {14, Fig::Group, 3, {0, 0}, {1150, 0}, {150, 500}, {1150, -500}, 0, 1, 0},
      {16, Fig::Ellipse, 0, {0, 0}, {800, 0}, {0, 262}, {1062, -262}, 0, 0, 0},
      {23, Fig::Group, 4, {0, 0}, {2525, 0}, {1000, 500}, {2525, -500}, 0, 0, 0},
      {26, Fig::Polyline, 0, {0, 0}, {1000, 0}, {0, 0}, {1000, -300}, 0, 1, 3},
      {30, Fig::Group, 2, {0, 0}, {1300, 0}, {0, 300}, {1300, -300}, 1, 1, 1},
      {41, Fig::Pie, 0, {0, 0}, {0, 0}, {-800, 550}, {800, -550}, 0, 1, 0},
      {42, Fig::Group, 4, {0, -400}, {0, -400}, {-700, 400}, {700, -700}, 0, 1, 0},
      {44, Fig::Group, 17, {0, 0}, {1800, 0}, {0, 900}, {1800, -900}, 0, 1, 1},
      {49, Fig::Arc, 0, {-500, 0}, {-800, 0}, {-800, 600}, {-500, -600}, 0, 1, 2},
      {51, Fig::Rectangle, 0, {-225, 0}, {225, 0}, {-225, 675}, {0, 225}, 0, 1, 3},
      {58, Fig::Group, 7, {0, 0}, {1800, 0}, {0, 900}, {1800, -900}, 0, 1, 1},
      {63, Fig::Group, 17, {0, 0}, {1800, 0}, {0, 900}, {1800, -900}, 0, 1, 1},
      {70, Fig::Polyline, 0, {0, 0}, {1525, 0}, {-1000, 800}, {1525, -800}, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    const Entry* e = SSymTabArrow::GetEntry(c.type);
    ASSERT_TRUE(e->m_pModel && e->m_pSymbol);
    EXPECT_EQ(e->m_pModel->GetKind(), c.kind);
    EXPECT_EQ(e->m_pModel->Members().size(), c.members);
    EXPECT_EQ(e->m_ptModelTip, c.tip);
    EXPECT_EQ(e->m_ptModelBase, c.base);
    EXPECT_EQ(e->m_ptModelCorner[0], c.upperLeft);
    EXPECT_EQ(e->m_ptModelCorner[1], SSymPoint(c.lowerRight.x, c.upperLeft.y));
    EXPECT_EQ(e->m_ptModelCorner[2], c.lowerRight);
    EXPECT_EQ(e->m_ptModelCorner[3], SSymPoint(c.upperLeft.x, c.lowerRight.y));
    EXPECT_EQ(e->m_bFillLineColor, c.fill);
    EXPECT_EQ(e->m_bShortenLine, c.shorten);
    EXPECT_EQ(e->m_nWidthFactor, c.factor);
  }
  // The dotted rings are the same figure with a dotted outline.
  const Entry* dotted = SSymTabArrow::GetEntry(63);
  EXPECT_EQ(dotted->m_pModel->Members()[0].GetPen().m_style, SSymPen::Dot);
  EXPECT_EQ(SSymTabArrow::GetEntry(44)->m_pModel->Members()[0].GetPen().m_style, SSymPen::Solid);
  // Standard, white and black fills, and the class default of an unfilled polygon.
  EXPECT_EQ(SSymTabArrow::GetEntry(0)->m_pModel->GetBrush().m_color.GetColor(), 0xFF0000u);
  EXPECT_EQ(SSymTabArrow::GetEntry(4)->m_pModel->GetBrush().m_color.GetColor(), 0xFFFFFFu);
  EXPECT_EQ(SSymTabArrow::GetEntry(43)->m_pModel->Members()[2].GetBrush().m_color.GetColor(), 0x000000u);
}

TEST(ArrowCatalogue, EveryTypeHasAnEntryAndOnlyThreeAreEmpty) {
  int empty = 0;
  for (int t = 0; t <= 70; ++t) {
    const Entry* e = SSymTabArrow::GetEntry(t);
    ASSERT_NE(e, nullptr);
    if (!e->HasFigure()) {
      ++empty;
      EXPECT_TRUE(t == 11 || t == 15 || t == 24) << t;
    }
  }
  EXPECT_EQ(empty, 3);
  // Persisted arrow bytes name types up to 254: any type outside the
  // catalogue is answered by the entry of 24 (no arrow), never past the table.
  for (int t : {-1, 71, 100, 254, 255, INT_MIN, INT_MAX})
    EXPECT_EQ(SSymTabArrow::GetEntry(t), SSymTabArrow::GetEntry(24)) << t;
}

TEST(ArrowCatalogue, SetEntryRefusesBadTypesAndMissingFigures) {
  const Entry* e = SSymTabArrow::GetEntry(11);
  for (int t : {-1, 71}) {
    SSymTabArrow::SetEntry(t, std::make_unique<Fig>(Fig::MakeRect(Fig::Ellipse, SSymRect(0, 10, 10, 0))), {}, {}, {}, 0,
                           0, 0);
  }
  SSymTabArrow::SetEntry(11, nullptr, SSymPoint(1, 1), SSymPoint(2, 2), SSymRect(0, 5, 5, 0), 1, 0, 7);
  EXPECT_FALSE(e->HasFigure());
  EXPECT_EQ(e->m_ptModelTip, SSymPoint(0, 0));
  EXPECT_EQ(e->m_nWidthFactor, 1);
  SSymTabArrow::CopyGeometry(nullptr, e->m_pModel.get());  // nothing, no crash
}

TEST(ArrowCatalogue, ResetPutsTheWorkingFigureBackAndCopiesOnlyCommonGroupMembers) {
  Entry& e = *SSymTabArrow::GetEntry(28);
  e.m_pSymbol->MoveBy(SSymSize(5000, -700));
  e.m_ptTip = SSymPoint(9, 9);
  SSymTabArrow::ResetEntry(e);
  EXPECT_EQ(e.m_ptTip, e.m_ptModelTip);
  EXPECT_EQ(e.m_pSymbol->GetBoundRect(), e.m_pModel->GetBoundRect());
  EXPECT_EQ(e.m_pSymbol->Members()[1].Points()[1], SSymPoint(1300, 225));

  // Two groups of different sizes: only the leading members are reset.
  Entry own;
  own.m_pModel = std::make_unique<Fig>(Fig::MakeGroup(
      {Fig::MakeRect(Fig::Ellipse, SSymRect(0, 100, 100, 0)), Fig::MakePoints(Fig::Polyline, {{0, 0}, {50, 50}})}));
  own.m_pSymbol = std::make_unique<Fig>(Fig::MakeGroup({Fig::MakeRect(Fig::Ellipse, SSymRect(500, 600, 600, 500))}));
  SSymTabArrow::ResetEntry(own);
  ASSERT_EQ(own.m_pSymbol->Members().size(), 1u);
  EXPECT_EQ(own.m_pSymbol->Members()[0].Rect(), SSymRect(0, 100, 100, 0));
  // An arc takes the rectangle and both ends.
  Fig arc = Fig::MakeArc(SSymRect(0, 10, 10, 0), {1, 1}, {2, 2});
  const Fig src = Fig::MakeArc(SSymRect(-5, 5, 5, -5), {3, 3}, {4, 4});
  arc.CopyGeometry(src);
  EXPECT_EQ(arc.Rect(), src.Rect());
  EXPECT_EQ(arc.ArcEnd(), SSymPoint(4, 4));
}

// The catalogue's life runs in a process of its own: the unload frees it for
// good, and a catalogue first asked for while the application exits stays
// empty. Lookups then still answer an entry.
TEST(ArrowCatalogueDeathTest, UnloadAndExitingLeaveEmptyEntries) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        SSymTabArrow::TerminateSymArrow();  // before any lookup: nothing
        bool ok = !SSymTabArrow::IsBuilt() && SSymTabArrow::GetEntry(0)->HasFigure();
        SSymTabArrow::TerminateSymArrow();
        for (int t : {0, 43, 200}) ok = ok && SSymTabArrow::GetEntry(t) && !SSymTabArrow::GetEntry(t)->HasFigure();
        std::exit(ok ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        SWinApp app;
        app.ExitInstance();
        bool ok = !SSymTabArrow::GetEntry(0)->HasFigure() && SSymTabArrow::IsBuilt();
        ok = ok && !SSymTabArrow::GetEntry(43)->HasFigure();
        std::exit(ok ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

// ---- the arrow on a line ----------------------------------------------------------------------------

class SvgKindCanvas : public RecordingCanvas {
 public:
  int GetCanvasType() override { return 9; }
};

// Notes whether the black-fill flag was up when a polygon was drawn.
class FillCanvas : public RecordingCanvas {
 public:
  void Polygon(const SSymListPt& pts) override {
    blackFillSeen = m_bBlackFill;
    RecordingCanvas::Polygon(pts);
  }
  int blackFillSeen = -1;
};

class Arrow : public LinkFixture {
 protected:
  // A plain line over pts with an arrow of `type` in `slot`.
  SSymArrow* OnLine(const SSymListPt& pts, int slot, int type, SSymPolyBase** line = nullptr) {
    auto* p = New<SSymPolyBase>(CLSID_SSymPolyBase);
    p->ListPt = pts;
    p->SetArrow(1 << slot, type, 0);
    if (line) *line = p;
    SSymArrow* a = p->GetArrowHead(slot);
    if (a) a->UpdateArrowPos();
    return a;
  }
  SSymLinkBase* Link(const SSymRect& ra, const SSymRect& rb, SSymListPt pts) {
    auto* a = New<SSymRectangle>(CLSID_SSymRectangle);
    auto* b = New<SSymRectangle>(CLSID_SSymRectangle);
    a->m_rect = ra;
    b->m_rect = rb;
    SCurrentContextChange outside(Session(), nullptr);
    auto* l = NewLink<SSymLinkBase>();
    l->DelSymArrow(3);
    l->ListPt = pts;
    EXPECT_EQ(l->AttachSym(0, a->Linkable(), pts[0]), S_OK);
    EXPECT_EQ(l->AttachSym(1, b->Linkable(), pts[pts.GetCount() - 1]), S_OK);
    return l;
  }
};

TEST_F(Arrow, PlacedAtTheEndsAndInTheMiddle) {
  struct Case {
    const char* name;
    SSymListPt pts;
    int slot;
    SSymPoint tip, toward;  // toward: the direction the base must lie in
  } cases[] = {
      {"source", {{0, 0}, {5000, 0}}, 2, {0, 0}, {1, 0}},
      {"destination", {{0, 0}, {0, 3000}, {5000, 3000}}, 3, {5000, 3000}, {-1, 0}},
      {"middle of three toward the source", {{0, 0}, {3000, 0}, {3000, 3000}}, 0, {3000, 0}, {0, 1}},
      {"middle of three toward the destination", {{0, 0}, {3000, 0}, {3000, 3000}}, 1, {3000, 0}, {-1, 0}},
      // The midpoint of points 1 and 2, each sum halved toward zero.
      {"middle of four", {{0, 0}, {1001, -3}, {4000, -3}, {4000, 5000}}, 1, {2500, -3}, {-1, 0}},
      {"middle of four, negative", {{0, 0}, {-1001, -3}, {-4000, -4}, {0, 5000}}, 0, {-2500, -3}, {-1, 0}},
      {"middle of two", {{0, 0}, {0, 4001}}, 0, {0, 2000}, {0, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SSymArrow* a = OnLine(c.pts, c.slot, 0);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->GetTip(), c.tip);
    // Type 0 is 1000 long: its base lies 1000 from the tip along the line.
    const SSymPoint b = a->GetBase();
    EXPECT_NEAR(b.x - c.tip.x, 1000 * c.toward.x, 1);
    EXPECT_NEAR(b.y - c.tip.y, 1000 * c.toward.y, 1);
  }
}

TEST_F(Arrow, TurnedFigureAndClipRectFollowTheLine) {
  SSymPolyBase* line = nullptr;
  SSymArrow* a = OnLine({{0, 0}, {0, -8000}}, 3, 0, &line);
  // The destination at (0, -8000), the figure pointing down: base above it.
  EXPECT_EQ(a->GetTip(), SSymPoint(0, -8000));
  EXPECT_EQ(a->GetBase(), SSymPoint(0, -7000));
  SSymRect r = a->GetClipRect(0, 0);
  EXPECT_EQ(r.Normalize(), SSymRect(-225, -7000, 225, -8000));
  // The line's rectangle makes room for the arrowhead's extent.
  line->RecomputeClipRect(0, 0);
  EXPECT_GE(line->GetClipRect(0, 0).Width(), 451);
}

TEST_F(Arrow, UprightFiguresSlideAlongTheLineWithoutTurning) {
  struct Case {
    const char* name;
    SSymPoint tip, toward, ringCentre;
  } cases[] = {
      {"runs to the left", {10000, 0}, {0, 0}, {9100, 0}},
      {"diagonal", {0, 0}, {3000, 4000}, {540, 720}},
      // Squared extents of these overflow 32 bits (past ~46,000 units).
      {"long, to the left", {0, 0}, {-100000, 0}, {-900, 0}},
      {"corner to corner", {900000, 900000}, {-900000, -900000}, {900000 - 636, 900000 - 636}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SSymArrow* a = OnLine({c.tip, c.toward}, 2, 43);
    ASSERT_FALSE(a->IsRotating());
    const Fig& work = *a->GetEntry()->m_pSymbol;
    const Fig& model = *a->GetEntry()->m_pModel;
    const SSymRect ring = work.Members()[0].Rect();
    EXPECT_NEAR(Centre(ring).x, c.ringCentre.x, 1);
    EXPECT_NEAR(Centre(ring).y, c.ringCentre.y, 1);
    EXPECT_EQ(ring.Width(), model.Members()[0].Rect().Width());
    // The bolt keeps its shape: each point moved by the same offset.
    const SSymListPt& bolt = work.Members()[2].Points();
    const SSymListPt& modelBolt = model.Members()[2].Points();
    for (int i = 1; i < bolt.GetCount(); ++i) {
      EXPECT_EQ(bolt[i].x - modelBolt[i].x, bolt[0].x - modelBolt[0].x);
      EXPECT_EQ(bolt[i].y - modelBolt[i].y, bolt[0].y - modelBolt[0].y);
    }
  }
  // A copy of an upright arrow stays upright.
  SSymArrow* src = OnLine({{0, 0}, {1000, 0}}, 3, 60);
  SSymArrowPtr copy = SSymArrow::Make(nullptr, src, 2);
  EXPECT_FALSE(copy->IsRotating());
  EXPECT_EQ(copy->GetType(), 60);
}

// The line's rectangle places its arrowheads without the figure they share:
// tip, base and rectangle must be those of the full placement (turned and
// upright types, short and long lines, a line without length), and the
// figure must stay where the last full placement left it.
TEST_F(Arrow, PlacedForTheRectangleAsForDrawing) {
  struct Case {
    const char* name;
    SSymListPt pts;
    int slot, type;
  } cases[] = {
      {"turned, destination", {{0, 0}, {0, 3000}, {5000, 3000}}, 3, 0},
      {"turned, source, diagonal", {{100, -200}, {7000, 9000}}, 2, 0},
      {"turned, middle", {{0, 0}, {3000, 0}, {3000, 3000}}, 1, 0},
      {"upright, diagonal", {{3000, 4000}, {0, 0}}, 3, 43},
      {"upright, long", {{-100000, 0}, {0, 0}}, 3, 60},
      {"upright, no length", {{500, 500}, {500, 500}}, 3, 43},
      {"turned, no length", {{500, 500}, {500, 500}}, 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SSymArrow* a = OnLine(c.pts, c.slot, c.type);
    ASSERT_NE(a, nullptr);
    const SSymPoint tip = a->GetTip(), base = a->GetBase();
    const SSymRect rect = a->GetClipRect(0, 0);
    // Another placement moves the shared figure away, then the light one runs.
    SSymArrow* other = OnLine({{-9000, 9000}, {-4000, 2000}}, 3, c.type);
    ASSERT_TRUE(a->GetEntry() && a->GetEntry()->m_pSymbol);
    const SSymRect figure = a->GetEntry()->m_pSymbol->GetBoundRect();
    a->SetArrowClipRect();  // the rectangle of the other placement's corners
    a->PlaceOnLine();
    EXPECT_EQ(a->GetTip(), tip);
    EXPECT_EQ(a->GetBase(), base);
    EXPECT_EQ(a->GetClipRect(0, 0), rect);
    EXPECT_EQ(a->GetEntry()->m_pSymbol->GetBoundRect(), figure);
    EXPECT_NE(other->GetClipRect(0, 0), rect);
  }
}

TEST_F(Arrow, TipOnTheOutlinePulledBackByPenOrGlowShadow) {
  struct Case {
    const char* name;
    int type;
    LONG width;
    SHORT shadow;
    bool svg;
    LONG tipX;
  } cases[] = {
      {"factor 3, width 100: half of 300", 0, 100, 0, false, 5000 - 150},
      {"width 0: on the outline", 0, 0, 0, false, 5000},
      {"factor 0: no pull-back", 9, 100, 0, false, 5000},
      {"glow shadow: 225 halved", 0, 0, 2, false, 5000 - 112},
      {"glow shadow, any width", 9, 100, 2, false, 5000 - 112},
      {"SVG, filled figure: none", 0, 100, 0, true, 5000},
      {"SVG, glow shadow still pulls back", 0, 100, 2, true, 5000 - 112},
      {"SVG, open figure keeps it", 7, 100, 0, true, 5000 - 150},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SSymLinkBase* l = Link(SSymRect(0, 1000, 1000, 0), SSymRect(5000, 1000, 6000, 0), {{500, 500}, {5500, 500}});
    l->SetArrow(8, c.type, 0);
    l->m_pen.m_width = c.width;
    l->m_shadowStyle = c.shadow;
    SSymArrow* a = l->GetArrowHead(3);
    ASSERT_NE(a, nullptr);
    if (c.svg) {
      SvgKindCanvas canvas;
      a->DrawSymbol(canvas);
    } else {
      a->UpdateArrowPos();
    }
    EXPECT_EQ(a->GetTip(), SSymPoint(c.tipX, 500));
    EXPECT_EQ(l->m_pen.m_width, c.width);  // the SVG rule puts the width back
  }
}

// A perpendicular arrowhead's bend stands out from the outline by the
// arrowhead's length along the line plus 225.
TEST_F(Arrow, PerpendicularBendLeavesRoomForTheArrowhead) {
  struct Case {
    int type;
    LONG bendX;
  } cases[] = {{0, 5000 - 1001 - 225}, {33, 5000 - 1801 - 225}, {43, 5000 - 1801 - 225}};
  for (const Case& c : cases) {
    SSymLinkBase* l = Link(SSymRect(0, 1000, 1000, 0), SSymRect(5000, 1000, 6000, 0), {{500, 500}, {5500, 500}});
    l->SetArrow(8, c.type, 0);
    l->LineStyle = SSymLineStyle::NormalPerpendicularArrow;
    SSymListPt list = l->ListPt;
    const int r = l->ConstructTempListPt(&list, 0);
    ASSERT_TRUE(r & 4) << c.type;
    ASSERT_EQ(list.GetCount(), 3) << c.type;
    EXPECT_EQ(list[1], SSymPoint(c.bendX, 500)) << c.type;
    EXPECT_EQ(list[2], SSymPoint(5000, 500)) << c.type;
  }
}

TEST_F(Arrow, FillTakesTheLineColourAndBlackInBlackAndWhite) {
  SSymPolyBase* line = nullptr;
  OnLine({{0, 0}, {5000, 0}}, 3, 3, &line);
  line->m_pen = SSymPen(SSymPen::Solid, 0, SSymColor(0x0000FF));
  {
    FillCanvas canvas;
    line->DrawSymbol(canvas);
    EXPECT_NE(canvas.IndexOf("SetBrush 1 0000ff"), -1) << testing::PrintToString(canvas.Calls());
    EXPECT_EQ(canvas.blackFillSeen, 0);
  }
  {
    FillCanvas canvas;
    canvas.m_bColor = 0;
    line->DrawSymbol(canvas);
    EXPECT_EQ(canvas.blackFillSeen, 1);
    EXPECT_EQ(canvas.m_bBlackFill, 0);
  }
}

TEST_F(Arrow, ShadowOfTheLineCarriesItsArrowheads) {
  SSymPolyBase* line = nullptr;
  OnLine({{0, 0}, {5000, 0}}, 3, 0, &line);
  line->m_pen = SSymPen(SSymPen::Solid, 0, SSymColor(0x0000FF));
  line->m_shadowBrush = SSymBrush(SSymColor(0x808080));
  struct Case {
    SHORT style;
    const char* brush;  // the arrowhead's fill in the shadow drawing
  } cases[] = {{1, "SetBrush 1 808080"}, {3, "SetBrush 1 808080"}, {2, "SetBrush 1 0000ff"}};
  for (const Case& c : cases) {
    line->m_shadowStyle = c.style;
    RecordingCanvas canvas;
    ASSERT_EQ(line->DrawShadow(canvas), S_OK);
    const int at = canvas.IndexOf(c.brush);
    EXPECT_NE(at, -1) << c.style << " " << testing::PrintToString(canvas.Calls());
    EXPECT_GT(canvas.IndexOf("Polygon"), at) << c.style;
  }
}

TEST_F(Arrow, EntriesWithoutFigureAndHiddenLinesDrawNothing) {
  for (int type : {11, 15}) {
    SSymPolyBase* line = nullptr;
    SSymArrow* a = OnLine({{0, 0}, {5000, 0}}, 3, type, &line);
    ASSERT_NE(a, nullptr);
    RecordingCanvas canvas;
    a->DrawSymbol(canvas);
    a->DrawShadow(canvas);
    EXPECT_TRUE(canvas.Calls().empty()) << type;
    EXPECT_EQ(a->GetClipRect(0, 0), SSymRect(5000, 0, 5000, 0));  // collapsed on the tip
  }
  SSymPolyBase* line = nullptr;
  OnLine({{0, 0}, {5000, 0}}, 3, 0, &line);
  line->m_pen.m_style = SSymPen::NoLine;
  RecordingCanvas canvas;
  line->DrawSymbol(canvas);
  EXPECT_EQ(canvas.IndexOf("Polygon"), -1);
}

TEST_F(Arrow, ShortLinesAndZeroSegmentsGiveADefinedPlacement) {
  // One point: the arrow stays where it was made.
  SSymPolyBase* line = nullptr;
  SSymArrow* one = OnLine({{700, 700}}, 3, 0, &line);
  EXPECT_EQ(one->GetTip(), SSymPoint(0, 0));
  RecordingCanvas canvas;
  EXPECT_EQ(line->DrawSymbol(canvas), S_OK);
  line->ListPt = SSymListPt();
  one->UpdateArrowPos();
  EXPECT_EQ(one->GetTip(), SSymPoint(0, 0));
  // A zero-length end segment: a turned arrow points as on a line straight up,
  // an upright one is not shifted.
  SSymArrow* turned = OnLine({{100, 100}, {100, 100}}, 2, 0);
  EXPECT_EQ(turned->GetTip(), SSymPoint(100, 100));
  EXPECT_EQ(turned->GetBase(), SSymPoint(100, 1100));
  SSymArrow* upright = OnLine({{100, 100}, {100, 100}}, 2, 43);
  EXPECT_EQ(Centre(upright->GetEntry()->m_pSymbol->Members()[0].Rect()), SSymPoint(1000, 100));
  // A link whose end segment has no length, drawn on every kind of canvas.
  SSymLinkBase* l = Link(SSymRect(0, 1000, 1000, 0), SSymRect(5000, 1000, 6000, 0), {{5500, 500}, {5500, 500}});
  l->SetArrow(1 | 2 | 4 | 8, 0, 0);
  l->m_pen.m_width = 100;
  SvgKindCanvas svg;
  EXPECT_EQ(l->DrawSymbol(svg), S_OK);
  EXPECT_EQ(l->DrawShadow(svg), S_OK);
  // Lines at the very edge of the coordinate range: figures are held in
  // range instead of wrapping around.
  for (int type : {0, 18, 43, 48}) {
    SSymArrow* far = OnLine({{INT_MAX, INT_MIN}, {INT_MIN, INT_MAX}}, 2, type);
    EXPECT_EQ(far->GetTip(), SSymPoint(INT_MAX, INT_MIN)) << type;
    SSymArrow* back = OnLine({{INT_MIN, INT_MAX}, {INT_MAX, INT_MAX}}, 3, type);
    EXPECT_EQ(back->GetTip(), SSymPoint(INT_MAX, INT_MAX)) << type;
    RecordingCanvas c;
    EXPECT_EQ(far->DrawSymbol(c), S_OK);
  }
}

TEST_F(Arrow, ToLineSetsTipAndBaseWithoutPlacingTheFigure) {
  SSymArrow* a = OnLine({{0, 0}, {5000, 0}}, 3, 0);
  const SSymRect placed = a->GetEntry()->m_pSymbol->GetBoundRect();
  struct Case {
    SSymPoint tip, toward, base;
  } cases[] = {{{0, 0}, {0, -5000}, {0, -1000}}, {{10, 10}, {10, 10}, {10, 1010}}, {{0, 0}, {-3, 0}, {-1000, 0}}};
  for (const auto& c : cases) {
    EXPECT_EQ(a->SymArrowToLine(c.tip, c.toward), 1);
    EXPECT_EQ(a->GetTip(), c.tip);
    EXPECT_EQ(a->GetBase(), c.base);
  }
  // The working figure is reset to the model, not placed.
  EXPECT_NE(a->GetEntry()->m_pSymbol->GetBoundRect(), placed);
  EXPECT_EQ(a->GetEntry()->m_pSymbol->GetBoundRect(), a->GetEntry()->m_pModel->GetBoundRect());
}

TEST_F(Arrow, MoveAndTransformMoveTipBaseAndRectangleOnce) {
  SSymArrow* a = OnLine({{0, 0}, {5000, 0}}, 3, 0);
  const SSymPoint tip = a->GetTip(), base = a->GetBase();
  SSymRect r = a->GetClipRect(0, 0);
  r.Normalize();
  EXPECT_EQ(a->MoveBy(SSymSize(100, -50), 0), S_OK);
  EXPECT_EQ(a->GetTip(), SSymPoint(tip.x + 100, tip.y - 50));
  EXPECT_EQ(a->GetBase(), SSymPoint(base.x + 100, base.y - 50));
  EXPECT_EQ(a->GetClipRect(0, 0), SSymRect(r.x1 + 100, r.y1 - 50, r.x2 + 100, r.y2 - 50));
  SSymMatrix shift;
  shift.SetRotatePt(SSymPoint(0, 0), SSymPoint(1, 0), SSymPoint(1, 0));  // identity
  EXPECT_EQ(a->Transform(shift, 0), S_OK);
  EXPECT_EQ(a->GetTip(), SSymPoint(tip.x + 100, tip.y - 50));
}

}  // namespace
