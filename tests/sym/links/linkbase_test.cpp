// The link base: ends kept in the link's collections, attach, detach and
// invert recorded and undone, ends answered from the pending records in a
// lockout context, self loops, the attach-point modes, and bad ends.
#include <gtest/gtest.h>

#include "kvrep/srepsession.h"
#include "sym/foundation/symstrings.h"
#include "sym/links/symarrow.h"
#include "sym/links/symlinkbase.h"
#include "sym/shapes/symrectfamily.h"
#include "support/recording_canvas.h"
#include "support/link_fixture.h"
#include "support/symtest.h"

namespace {

class LinkBase : public LinkFixture {
 protected:
  // A link from a to b along pts, made outside any context.
  SSymLinkBase* Link(SSymBase* a, SSymBase* b, SSymListPt pts) {
    SCurrentContextChange outside(Session(), nullptr);
    auto* l = NewLink<SSymLinkBase>();
    l->DelSymArrow(3);
    l->ListPt = pts;
    EXPECT_EQ(l->AttachSym(0, a->Linkable(), pts[0]), S_OK);
    EXPECT_EQ(l->AttachSym(1, b->Linkable(), pts[pts.GetCount() - 1]), S_OK);
    return l;
  }
};

TEST_F(LinkBase, AttachKeepsTheEndInTheCollectionAndTellsTheSymbol) {
  SSymRectangle* a = Box(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* b = Box(SSymRect(5000, 1000, 6000, 0));
  SSymLinkBase* l = Link(a, b, SSymListPt{{500, 500}, {5500, 500}});
  EXPECT_EQ(End(l, 0), a->Sym());
  EXPECT_EQ(End(l, 1), b->Sym());
  EXPECT_EQ(l->GetSrc(), a->Obj());
  EXPECT_EQ(l->GetDst(), b->Obj());
  EXPECT_EQ(a->GetLinks().GetCount(), 1);
  EXPECT_EQ(b->GetLinks().GetCount(), 1);
  // Answers of the face that need no ends.
  EXPECT_EQ(l->CanAttachSym(a->Linkable(), nullptr), 0);
  EXPECT_EQ(l->CanAttachSym(a->Linkable(), a->Linkable()), 1);
  EXPECT_EQ(l->GetNotationValue(nullptr), 0);
  int v[4] = {};
  EXPECT_EQ(l->GetNotationValue(v), 1);
  EXPECT_EQ(v[0], 24);
  EXPECT_EQ(v[1], 24);
  EXPECT_EQ(v[2], 0);
  EXPECT_EQ(v[3], 1);
}

TEST_F(LinkBase, AttachDetachAndInvertAreUndone) {
  SSymRectangle* a = Box(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* b = Box(SSymRect(5000, 1000, 6000, 0));
  SSymRectangle* c = Box(SSymRect(5000, 9000, 6000, 8000));
  SSymLinkBase* l = Link(a, b, SSymListPt{{500, 500}, {5500, 500}});
  {
    SRepCreateContext step(Session());
    ASSERT_EQ(l->AttachSym(1, c->Linkable(), SSymPoint(5500, 8500)), S_OK);
  }
  EXPECT_EQ(End(l, 1), c->Sym());
  EXPECT_EQ(b->GetLinks().GetCount(), 0);
  EXPECT_EQ(l->ListPt[l->ListPt.GetCount() - 1], SSymPoint(5500, 8500));
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(End(l, 1), b->Sym());
  EXPECT_EQ(c->GetLinks().GetCount(), 0);
  EXPECT_EQ(b->GetLinks().GetCount(), 1);
  EXPECT_EQ(l->ListPt[l->ListPt.GetCount() - 1], SSymPoint(5500, 500));
  ASSERT_EQ(m_session->Redo(), S_OK);
  EXPECT_EQ(End(l, 1), c->Sym());

  {
    SRepCreateContext step(Session());
    ASSERT_EQ(l->InverseLink(), S_OK);
  }
  EXPECT_EQ(End(l, 0), c->Sym());
  EXPECT_EQ(End(l, 1), a->Sym());
  EXPECT_EQ(l->ListPt[0], SSymPoint(5500, 8500));
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(End(l, 0), a->Sym());
  EXPECT_EQ(End(l, 1), c->Sym());
  EXPECT_EQ(l->ListPt[0], SSymPoint(500, 500));

  {
    SRepCreateContext step(Session());
    ASSERT_EQ(l->DetachEnd(1), S_OK);
  }
  EXPECT_EQ(End(l, 1), nullptr);
  EXPECT_EQ(c->GetLinks().GetCount(), 0);
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(End(l, 1), c->Sym());
}

TEST_F(LinkBase, LockoutDefersAttachAndAnswersFromThePendingRecord) {
  SSymRectangle* a = Box(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* b = Box(SSymRect(5000, 1000, 6000, 0));
  SSymRectangle* c = Box(SSymRect(5000, 9000, 6000, 8000));
  SSymLinkBase* l = Link(a, b, SSymListPt{{500, 500}, {5500, 500}});
  {
    SRepLockoutContext lock(Session());
    ASSERT_EQ(l->AttachSym(1, c->Linkable(), SSymPoint(5500, 8500)), S_OK);
    EXPECT_EQ(l->m_endSymbol[1].Get(), b->Sym());  // unchanged until applied
    EXPECT_EQ(l->ListPt[1], SSymPoint(5500, 500));
    EXPECT_EQ(End(l, 1), c->Sym());  // the pending record answers
    EXPECT_EQ(l->GetDst(), c->Obj());
    ASSERT_EQ(lock.Apply(), S_OK);
  }
  EXPECT_EQ(l->m_endSymbol[1].Get(), c->Sym());
  EXPECT_EQ(End(l, 1), c->Sym());
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(End(l, 1), b->Sym());
}

TEST_F(LinkBase, SelfLinkBecomesAFivePointLoop) {
  SSymRectangle* a = Box(SSymRect(0, 1000, 1000, 0));
  SSymLinkBase* l = Link(a, a, SSymListPt{{500, 500}, {800, 500}});
  EXPECT_EQ(a->GetLinks().GetCount(), 1);  // told once
  int container = -1;
  EXPECT_EQ(SSymLinkBase::IsSelfLink(a->Sym(), a->Sym(), &container), 1);
  EXPECT_EQ(container, 0);
  l->SetAttachPoint(0, SSymPoint(500, 500), 0);
  ASSERT_EQ(l->ListPt.GetCount(), 5);
  const SSymPoint expect[5] = {{500, 500}, {2800, 500}, {2800, 2800}, {l->ListPt[4].x, 2800}, l->ListPt[4]};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(l->ListPt[i], expect[i]) << i;
  // Inverting a link from a symbol to itself reverses its points only.
  const SSymPoint first = l->ListPt[0], last = l->ListPt[4];
  ASSERT_EQ(l->InverseLink(), S_OK);
  EXPECT_EQ(l->ListPt[0], last);
  EXPECT_EQ(l->ListPt[4], first);
  EXPECT_EQ(End(l, 0), a->Sym());
  EXPECT_EQ(End(l, 1), a->Sym());
}

TEST_F(LinkBase, MovedEndSymbolIsFollowed) {
  SSymRectangle* a = Box(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* b = Box(SSymRect(5000, 1000, 6000, 0));
  SSymLinkBase* l = Link(a, b, SSymListPt{{500, 500}, {5500, 500}});
  ASSERT_EQ(a->MoveBy(SSymSize(0, 300), 0), S_OK);
  EXPECT_EQ(l->ListPt[0], SSymPoint(500, 800));
  // The link itself: a two-point link records the move and keeps its points.
  {
    SRepCreateContext step(Session());
    ASSERT_EQ(l->MoveBy(SSymSize(100, 100), 0), S_OK);
  }
  EXPECT_EQ(l->ListPt[0], SSymPoint(500, 800));
  EXPECT_EQ(m_session->GetUndoCount(), 1);
  // A single point is no route.
  l->SetListPt(SSymListPt{{1, 1}}, 0, 0, 0);
  EXPECT_EQ(l->ListPt.GetCount(), 2);
}

TEST_F(LinkBase, AttachPointModesOnATransformedSymbol) {
  // b is scaled about its lower left corner to twice its width; the end at
  // (5200, 500), still inside and accepted there, moves to (5400, 500)
  // unless the mode keeps it.
  struct {
    int mode;
    LONG style;
    bool kept;
  } cases[] = {{0, 0, false}, {1, 0, true},  {2, 0, false}, {2, 1, true}, {3, 0, false},
               {3, 2, true},  {4, 0, true},  {5, 0, true},  {6, 0, true}, {7, 0, false}};
  for (const auto& c : cases) {
    SSymRectangle* a = Box(SSymRect(0, 1000, 1000, 0));
    SSymRectangle* b = Box(SSymRect(5000, 1000, 6000, 0));
    SSymLinkBase* l = Link(a, b, SSymListPt{{500, 500}, {5200, 500}});
    l->LineStyle = c.style;
    l->ListPt = SSymListPt{{500, 500}, {5200, 500}};
    g_nLinkAttachPointMode = c.mode;
    SSymMatrix m;
    m.SetTransform(SSymRect(5000, 1000, 6000, 0), SSymRect(5000, 1000, 7000, 0));
    b->m_rect = SSymRect(5000, 1000, 7000, 0);
    ASSERT_EQ(l->TransformLinkPt(b->Linkable(), m, 0), S_OK);
    const SSymPoint end = l->ListPt[l->ListPt.GetCount() - 1];
    EXPECT_EQ(end.x, c.kept ? 5200 : 5400) << "mode " << c.mode << " style " << c.style;
  }
}

TEST_F(LinkBase, BadEndsAreRefused) {
  SSymRectangle* a = Box(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* b = Box(SSymRect(5000, 1000, 6000, 0));
  SSymLinkBase* l = Link(a, b, SSymListPt{{500, 500}, {5500, 500}});
  // An object that is not linkable: the session itself is no symbol; a
  // plain repository object is not linkable.
  SRepObject* plain = new SRepObject();
  plain->AddRef();
  SRepVariant v;
  v.SetIOBJECT(plain);
  SString message;
  EXPECT_EQ(l->CanSetAttribute(0x02010040, v, &message), E_FAIL);
  EXPECT_EQ(message, SSymLoadString(1415));
  EXPECT_EQ(message, SString("Invalid link symbol extremity"));
  EXPECT_EQ(l->SetAttribute(0x02010040, v), E_FAIL);
  EXPECT_EQ(l->SetSrc(plain), E_FAIL);
  EXPECT_EQ(End(l, 0), a->Sym());  // nothing half applied
  plain->Release();
  // Setting the symbol already there changes nothing.
  EXPECT_EQ(l->SetSrc(a->Obj()), S_OK);
  EXPECT_EQ(a->GetLinks().GetCount(), 1);

  // A link without ends cannot be inverted.
  auto* bare = NewLink<SSymLinkBase>();
  EXPECT_EQ(bare->InverseLink(), E_FAIL);
  SSymPoint pt(7, 7);
  EXPECT_EQ(bare->GetAttachPoint(pt, 1), S_OK);
  EXPECT_EQ(pt, SSymPoint(0, 0));
  EXPECT_EQ(bare->SetAttachPoint(0, SSymPoint(1, 1), 0), S_OK);  // empty list: nothing

  // Deleting an end symbol deletes the link.
  ASSERT_EQ(b->Delete(), S_OK);
  EXPECT_TRUE(l->IsDeleted());
  EXPECT_EQ(a->GetLinks().GetCount(), 0);
}

}  // namespace

namespace {

// Notes the paths drawn and the pen width of each.
class PenCanvas : public RecordingCanvas {
 public:
  void SetPen(const SSymPen& pen) override {
    m_width = pen.m_width;
    RecordingCanvas::SetPen(pen);
  }
  void Polyline(const SSymListPt& pts, int to) override {
    widths.push_back(m_width);
    last = pts;
    RecordingCanvas::Polyline(pts, to);
  }
  std::vector<LONG> widths;
  SSymListPt last;

 private:
  LONG m_width = 0;
};

TEST_F(LinkBase, LastPointPulledBackUnderTheArrow) {
  // Arrowhead type 0 pulls the line back by three pen widths, halved.
  SSymRectangle* a = Box(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* b = Box(SSymRect(5000, 1000, 6000, 0));
  SSymLinkBase* l = Link(a, b, SSymListPt{{500, 500}, {5500, 500}});
  l->m_shadowStyle = 0;
  l->SetArrow(8, 0, 0);
  struct {
    LONG width;
    short shadow;
    LONG lastX;  // the drawn last point: on the outline, less the pull-back
  } cases[] = {{100, 0, 5000 - 150}, {2, 0, 5000 - 3}, {0, 0, 5000}, {2, 2, 5000 - 225}};
  for (const auto& c : cases) {
    l->m_pen.m_width = c.width;
    l->m_shadowStyle = c.shadow;
    PenCanvas canvas;
    ASSERT_EQ(l->DrawSymbol(canvas), S_OK);
    ASSERT_GE(canvas.last.GetCount(), 2);
    EXPECT_EQ(canvas.last[canvas.last.GetCount() - 1].x, c.lastX) << c.width << " " << c.shadow;
    EXPECT_EQ(l->ListPt[1], SSymPoint(5500, 500));  // the stored list is back
  }
}

TEST(LinkPullBack, ComputedWithoutOverflowOnLongSegments) {
  struct {
    SSymPoint e, from, toward;
    LONG len;
    SSymPoint out;
  } cases[] = {
      {{0, 0}, {0, 0}, {3000000, 0}, 1000, {1000, 0}},
      {{0, 0}, {0, 0}, {-3000000, 4000000}, 5000, {-3000, 4000}},
      {{5, 5}, {5, 5}, {6, 5}, 100, {5, 5}},  // a segment of length 1 is not pulled back
      {{7, 7}, {0, 0}, {100, 0}, 0, {7, 7}},
  };
  for (const auto& c : cases) EXPECT_EQ(SSymPolyBase::PullBack(c.e, c.from, c.toward, c.len), c.out);
  EXPECT_EQ(SSymPolyBase::PullBackLength(0, 40, false), 40);
  EXPECT_EQ(SSymPolyBase::PullBackLength(3, 2, false), 3);
  EXPECT_EQ(SSymPolyBase::PullBackLength(3, 2, true), 225);
}

TEST_F(LinkBase, DoubleLineOnlyForWidthsOneShortOfSeventyFive) {
  SSymRectangle* a = Box(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* b = Box(SSymRect(5000, 1000, 6000, 0));
  SSymLinkBase* l = Link(a, b, SSymListPt{{500, 500}, {5500, 500}});
  struct {
    LONG width;
    size_t paths;
  } cases[] = {{74, 2}, {149, 2}, {224, 3}, {75, 1}, {0, 1}, {150, 1}};
  for (const auto& c : cases) {
    l->m_pen.m_width = c.width;
    PenCanvas canvas;
    ASSERT_EQ(l->DrawSymbol(canvas), S_OK);
    EXPECT_EQ(canvas.widths.size(), c.paths) << c.width;
    EXPECT_EQ(l->m_pen.m_width, c.width);
  }
}

// A double line's background-coloured core runs on the line's own path and
// has no arrowheads of its own (they would reach past the line's arrowhead
// and cut into the box); the line's arrowhead, drawn with the wide pen,
// puts its outline's tip on the box's outline.
TEST_F(LinkBase, DoubleLineCoreAndArrowheadStayOffTheBox) {
  SSymRectangle* a = Box(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* b = Box(SSymRect(5000, 1000, 6000, 0));
  SSymLinkBase* l = Link(a, b, SSymListPt{{500, 500}, {5500, 500}});
  ASSERT_EQ(l->SetSymArrow(8, 0, 0), S_OK);
  for (LONG width : {149L, 449L}) {
    l->m_pen = SSymPen(SSymPen::Solid, width, SSymColor(0x975530));
    RecordingCanvas canvas;
    ASSERT_EQ(l->DrawSymbol(canvas), S_OK);
    std::string pen;
    int polygons = 0;
    for (const std::string& call : canvas.Calls()) {
      if (call.rfind("SetPen ", 0) == 0) pen = call;
      if (call.rfind("Polygon", 0) != 0) continue;
      ++polygons;
      EXPECT_EQ(pen, "SetPen " + std::to_string(SSymPen::Solid) + " " + std::to_string(width + 1) +
                         " 975530")
          << width;
    }
    EXPECT_EQ(polygons, 1) << width;
    SSymArrow* arrow = l->GetArrowHead(3);
    ASSERT_NE(arrow, nullptr);
    // Pulled back only by the cut tip's reach past the figure: under a pixel.
    EXPECT_LE(arrow->GetTip().x, 5000) << width;
    EXPECT_GT(arrow->GetTip().x, 5000 - 75) << width;
    EXPECT_EQ(l->m_pen.m_width, width);
  }
}

TEST_F(LinkBase, HitNumbersOfPointsAndSegments) {
  SSymRectangle* a = Box(SSymRect(0, 1000, 1000, 0));
  SSymRectangle* b = Box(SSymRect(9000, 1000, 10000, 0));
  SSymLinkBase* l = Link(a, b, SSymListPt{{500, 500}, {3000, 500}, {3000, 3000}, {6000, 3000}, {9500, 500}});
  l->ListPt = SSymListPt{{500, 500}, {3000, 500}, {3000, 3000}, {6000, 3000}, {9500, 500}};
  l->m_pen.m_width = 0;
  RecordingCanvas canvas;
  struct {
    SSymPoint at;
    BOOL hit;
    int part;
  } cases[] = {
      {{3000, 3000}, 1, 2},  // the third point
      {{3000, 1800}, 1, 6},  // on the segment from point 1 to point 2
      {{4500, 3000}, 1, 7},
      {{2000, 2000}, 0, -1},
  };
  for (const auto& c : cases) {
    int part = -1;
    EXPECT_EQ(l->IsPtInSym(canvas, c.at, &part, nullptr), c.hit) << c.at.x << "," << c.at.y;
    EXPECT_EQ(part, c.part) << c.at.x << "," << c.at.y;
  }
  l->Flags |= SSymBase::FlagHidden;
  int part = -1;
  EXPECT_EQ(l->IsPtInSym(canvas, SSymPoint(3000, 3000), &part, nullptr), 0);
}

}  // namespace
