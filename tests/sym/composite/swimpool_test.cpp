// The swimlane pool: the heading band of a new lane, the packing of lanes
// and its tolerance, hidden lanes, the quarter turn and back, the size
// setters, drawing and its separator line.
#include <gtest/gtest.h>

#include <vector>

#include "sym/composite/symcompimpl.h"
#include "sym/composite/symswimcoln.h"
#include "support/recording_canvas.h"
#include "support/swim_fixture.h"

namespace {

class SwimPool : public SwimFixture {};

struct LaneSpec {
  SSymRect rect;
  int inner;
};
struct NewLaneCase {
  const char* name;
  int vertical;
  SSymRect pool;
  std::vector<LaneSpec> lanes;
  SSymRect expected;
};

// The band of a new lane: the whole of an empty pool that is at least 4000
// across, else 8000 along it; after the last lane when that is an inner
// lane, else after the last but one (the end lane stays last). H = 2000.
TEST_F(SwimPool, NewSwimlaneRect) {
  const NewLaneCase cases[] = {
      {"EmptyVertical4000", 1, SSymRect(0, 20000, 3999, 0), {}, SSymRect(0, 20000, 3999, 18000)},
      {"EmptyVertical3999", 1, SSymRect(0, 20000, 3998, 0), {}, SSymRect(0, 20000, 8000, 18000)},
      {"EmptyHorizontal4000", 0, SSymRect(0, 3999, 20000, 0), {}, SSymRect(0, 3999, 2000, 0)},
      {"EmptyHorizontal3999", 0, SSymRect(0, 3998, 20000, 0), {}, SSymRect(0, 8000, 2000, 0)},
      {"VerticalOneEndLane", 1, SSymRect(0, 20000, 3000, 0), {{SSymRect(0, 20000, 3000, 0), 0}},
       SSymRect(3000, 20000, 11000, 18000)},
      {"VerticalEndLanes",
       1,
       SSymRect(0, 20000, 3000, 0),
       {{SSymRect(0, 20000, 3000, 0), 0}, {SSymRect(3000, 20000, 8000, 0), 0}},
       SSymRect(3000, 20000, 11000, 18000)},
      {"VerticalLastInner",
       1,
       SSymRect(0, 20000, 3000, 0),
       {{SSymRect(0, 20000, 3000, 0), 0}, {SSymRect(3000, 20000, 8000, 0), 1}},
       SSymRect(8000, 20000, 16000, 18000)},
      {"HorizontalEndLanes",
       0,
       SSymRect(0, 3000, 20000, 0),
       {{SSymRect(0, 3000, 20000, 0), 0}, {SSymRect(0, 8000, 20000, 3000), 0}},
       SSymRect(0, 11000, 2000, 3000)},
      {"HorizontalLastInner",
       0,
       SSymRect(0, 3000, 20000, 0),
       {{SSymRect(0, 3000, 20000, 0), 0}, {SSymRect(0, 8000, 20000, 3000), 1}},
       SSymRect(0, 16000, 2000, 8000)},
  };
  for (const NewLaneCase& c : cases) {
    SCOPED_TRACE(c.name);
    FreshDiagram();
    SSymSwimLane* pool = NewPool(c.pool, c.vertical);
    for (const LaneSpec& l : c.lanes) AddLane(pool, l.rect, l.inner);
    SSymRect r(1, 2, 3, 4);
    pool->GetNewSwimlaneRect(r);
    EXPECT_EQ(r, c.expected);
  }
}

TEST_F(SwimPool, NewSwimlaneRectWithoutDiagramLeavesTheRectangle) {
  SSymSwimLane* pool = Make<SSymSwimLane>();
  pool->InitialSymRect(SSymRect(0, 20000, 8000, 0));
  SSymRect r(1, 2, 3, 4);
  pool->GetNewSwimlaneRect(r);
  EXPECT_EQ(r, SSymRect(1, 2, 3, 4));
}

// Lanes are packed edge to edge from the start edge, stretched across the
// pool, and the pool ends where the last lane ends, in both orientations.
TEST_F(SwimPool, ArrangeLanesPacksAndFits) {
  SSymSwimLane* v = NewPool(SSymRect(0, 20000, 3000, 0), 1);
  AddLane(v, SSymRect(0, 20000, 3000, 0));
  TSwimLane* second = AddLane(v, SSymRect(3000, 20000, 8000, 0));
  EXPECT_EQ(Rect(v->Sym()), SSymRect(0, 20000, 8000, 0));
  second->PutRect(SSymRect(5000, 15000, 9000, 2000));
  v->ArrangeLanes(0);
  EXPECT_EQ(Rect(second->Sym()), SSymRect(3000, 20000, 7000, 0));
  EXPECT_EQ(Rect(v->Sym()), SSymRect(0, 20000, 7000, 0));

  FreshDiagram();
  SSymSwimLane* h = NewPool(SSymRect(0, 3000, 20000, 0), 0);
  TSwimLane* bottom = AddLane(h, SSymRect(0, 3000, 20000, 0));
  TSwimLane* top = AddLane(h, SSymRect(0, 8000, 20000, 3000));
  bottom->PutRect(SSymRect(100, 2500, 15000, 500));
  h->ArrangeLanes(0);
  EXPECT_EQ(Rect(bottom->Sym()), SSymRect(0, 2000, 20000, 0));
  EXPECT_EQ(Rect(top->Sym()), SSymRect(0, 7000, 20000, 2000));
  EXPECT_EQ(Rect(h->Sym()), SSymRect(0, 7000, 20000, 0));
}

// A fitted rectangle within 50 units (the sum over the corners) of the
// pool's leaves the pool as it is; 51 fits it. An empty pool is left alone.
TEST_F(SwimPool, ArrangeLanesThreshold) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 20000, 3000, 0), 1);
  AddLane(pool, SSymRect(0, 20000, 3000, 0));
  pool->PutRect(SSymRect(0, 20000, 3050, 0));
  pool->ArrangeLanes(0);
  EXPECT_EQ(Rect(pool->Sym()), SSymRect(0, 20000, 3050, 0));
  pool->PutRect(SSymRect(0, 20000, 3051, 0));
  pool->ArrangeLanes(0);
  EXPECT_EQ(Rect(pool->Sym()), SSymRect(0, 20000, 3000, 0));

  FreshDiagram();  // a pool of its own length
  SSymSwimLane* empty = NewPool(SSymRect(0, 20000, 5000, 0), 1);
  empty->ArrangeLanes(1);
  EXPECT_EQ(Rect(empty->Sym()), SSymRect(0, 20000, 5000, 0));
}

// A hidden lane keeps its place in the order but takes no room.
TEST_F(SwimPool, HiddenLanesTakeNoRoom) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 20000, 3000, 0), 1);
  TSwimLane* a = AddLane(pool, SSymRect(0, 20000, 3000, 0));
  TSwimLane* b = AddLane(pool, SSymRect(3000, 20000, 5000, 0));
  TSwimLane* c = AddLane(pool, SSymRect(5000, 20000, 9000, 0));
  b->Flags |= SSymBase::FlagHidden;
  pool->ArrangeLanes(0);
  EXPECT_EQ(Rect(a->Sym()), SSymRect(0, 20000, 3000, 0));
  EXPECT_EQ(Rect(c->Sym()), SSymRect(3000, 20000, 7000, 0));
  EXPECT_EQ(Rect(pool->Sym()), SSymRect(0, 20000, 7000, 0));
  ASSERT_EQ(CountOf(pool), 3);
  EXPECT_TRUE(SRepAreSameObjects(pool->Members()[1].Get(), b->Sym()));
}

// A vertical pool of lanes 3000 and 5000 wide turns into a horizontal pool
// with the first lane 3000 high at the bottom and the second above it; the
// content turns with its lane; turning back restores everything.
TEST_F(SwimPool, TurnAndBackRestoresLanes) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 10000, 3000, 0), 1);
  TSwimLane* first = AddLane(pool, SSymRect(0, 10000, 3000, 0));
  TSwimLane* second = AddLane(pool, SSymRect(3000, 10000, 8000, 0));
  TSym* child = Make<TSym>(SSymRect(1000, 5500, 2000, 4500));
  first->Add(child->Sym());

  SetVertical(0);
  pool->ChangeOrientation();
  EXPECT_EQ(pool->IsVertical(), 0);
  EXPECT_EQ(Rect(pool->Sym()), SSymRect(-1000, 9000, 9000, 1000));
  EXPECT_EQ(Rect(first->Sym()), SSymRect(-1000, 4000, 9000, 1000));
  EXPECT_EQ(Rect(second->Sym()), SSymRect(-1000, 9000, 9000, 4000));
  EXPECT_EQ(Rect(child->Sym()), SSymRect(3500, 3000, 4500, 2000));

  SetVertical(1);
  pool->ChangeOrientation();
  EXPECT_EQ(pool->IsVertical(), 1);
  EXPECT_EQ(Rect(pool->Sym()), SSymRect(0, 10000, 8000, 0));
  EXPECT_EQ(Rect(first->Sym()), SSymRect(0, 10000, 3000, 0));
  EXPECT_EQ(Rect(second->Sym()), SSymRect(3000, 10000, 8000, 0));
  EXPECT_EQ(Rect(child->Sym()), SSymRect(1000, 5500, 2000, 4500));
}

// The point mappings of a turn undo each other.
TEST_F(SwimPool, RotatePointInLaneRoundTrip) {
  const SSymRect tall(0, 10000, 3000, 0), wide(-1000, 4000, 9000, 1000);
  const SSymPoint p(1500, 5000);
  const SSymPoint turned = SSymSwimLane::RotatePointInLane(p, tall, wide, 0);
  EXPECT_EQ(turned, SSymPoint(4000, 2500));
  EXPECT_EQ(SSymSwimLane::RotatePointInLane(turned, wide, tall, 1), p);
}

// Along the lanes the pool keeps what its lanes' contents and its heading
// need; across them it takes the size asked for.
TEST_F(SwimPool, SizeAlongTheLanesKeepsTheContents) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 20000, 8000, 0), 1);
  TSwimLane* lane = AddLane(pool, SSymRect(0, 20000, 8000, 0));
  lane->m_validBord = SSymRect(0, 25000, 8000, 0);
  EXPECT_EQ(pool->GetHeadHeight(), 2000);
  pool->SetHeight(5000);
  // Lowest content 0, highest 25000, plus the heading of 2000.
  EXPECT_EQ(Rect(pool->Sym()).Height(), 27000);
  pool->SetHeight(40000);
  EXPECT_EQ(Rect(pool->Sym()).Height(), 40000);
  pool->SetWidth(12000);
  EXPECT_EQ(Rect(pool->Sym()).Width(), 12000);
}

// Drawing draws the shown lanes, and the pool's separator line runs along
// its start edge (the left edge of a vertical pool).
TEST_F(SwimPool, DrawDrawsShownLanesAndPlacesItsLine) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 20000, 3000, 0), 1);
  AddLane(pool, SSymRect(0, 20000, 3000, 0));
  TSwimLane* hidden = AddLane(pool, SSymRect(3000, 20000, 8000, 0));
  hidden->Flags |= SSymBase::FlagHidden;
  RecordingCanvas canvas;
  EXPECT_EQ(pool->Draw(canvas), S_OK);
  ASSERT_NE(pool->GetLineSym(), nullptr);
  EXPECT_NE(SSymSwimColn::FromInterface(pool->GetLineSym()), nullptr);
  SComWrap<ISSymPolyline> line(pool->GetLineSym());
  SSymListPt pts;
  line->GetListPt(pts);
  ASSERT_EQ(pts.GetCount(), 2);
  const SSymRect r = Rect(pool->Sym());
  EXPECT_EQ(pts.GetAt(0), SSymPoint(r.x1, r.y1));
  EXPECT_EQ(pts.GetAt(1), SSymPoint(r.x1, r.y2));
  EXPECT_EQ(pool->m_nHeadSize, 2000);
}

// Dragging the pool's own line outward moves the pool's start edge (the
// bottom of stacked lanes) with the first lane in pool order, whichever of
// the two lanes was made first: their addresses say nothing of their order.
TEST_F(SwimPool, PoolLineMovesTheFirstLaneInPoolOrder) {
  for (const bool reversed : {false, true}) {
    SCOPED_TRACE(reversed);
    FreshDiagram();
    SSymSwimLane* pool = NewPool(SSymRect(0, 20000, 30000, 0), 0);
    TSwimLane* made[2] = {Make<TSwimLane>(), Make<TSwimLane>()};
    TSwimLane* first = made[reversed ? 1 : 0];
    TSwimLane* second = made[reversed ? 0 : 1];
    first->PutRect(SSymRect(0, 10000, 30000, 0));
    second->PutRect(SSymRect(0, 20000, 30000, 10000));
    for (TSwimLane* lane : {first, second}) ASSERT_EQ(static_cast<ISSymOwner*>(pool)->Add(lane->Sym()), S_OK);
    ASSERT_EQ(Rect(first->Sym()), SSymRect(0, 10000, 30000, 0));
    SSymSwimColn* line = SSymSwimColn::FromInterface(pool->GetLineSym());
    ASSERT_NE(line, nullptr);
    SSymListPt pts = line->ListPoints();
    ASSERT_EQ(pts.GetCount(), 2);
    {
      SRepCreateContext step(Session());
      pts[0].y = pts[1].y = 0 - 1000;
      line->SetListPt(pts, 0, 0, 0);
    }
    EXPECT_EQ(Rect(first->Sym()), SSymRect(0, 10000, 30000, -1000));
    EXPECT_EQ(Rect(second->Sym()), SSymRect(0, 20000, 30000, 10000));
    EXPECT_EQ(Rect(pool->Sym()), SSymRect(0, 20000, 30000, -1000));
  }
}

// A lane that notes whether its own child drawing rested while it was drawn.
class TDrawnLane : public TSwimLane {
 public:
  using TSwimLane::TSwimLane;
  HRESULT Draw(SSymCanvas&) override {
    ++m_draws;
    m_childDrawRested = (m_state & SSymCompImpl::StateNoChildDraw) != 0;
    return S_OK;
  }
  int m_draws = 0;
  bool m_childDrawRested = false;
};

// The pool draws its lanes' contents itself: while it draws the lanes, their
// own child drawing rests, so nothing is drawn twice; afterwards each lane
// has it back as it had it (a lane that had it resting keeps it so).
TEST_F(SwimPool, LanesLeaveTheirChildrenToThePoolWhileItDraws) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 20000, 3000, 0), 1);
  TDrawnLane* open = Make<TDrawnLane>(SSymRect(0, 20000, 3000, 0));
  TDrawnLane* resting = Make<TDrawnLane>(SSymRect(3000, 20000, 8000, 0));
  resting->m_state |= SSymCompImpl::StateNoChildDraw;
  for (TDrawnLane* lane : {open, resting}) ASSERT_EQ(static_cast<ISSymOwner*>(pool)->Add(lane->Sym()), S_OK);
  RecordingCanvas canvas;
  EXPECT_EQ(pool->Draw(canvas), S_OK);
  for (TDrawnLane* lane : {open, resting}) {
    EXPECT_EQ(lane->m_draws, 1);
    EXPECT_TRUE(lane->m_childDrawRested);
  }
  EXPECT_EQ(open->m_state & SSymCompImpl::StateNoChildDraw, 0u);
  EXPECT_NE(resting->m_state & SSymCompImpl::StateNoChildDraw, 0u);
}

// The child symbols of the lanes; hidden lanes' children only with all.
TEST_F(SwimPool, AllChildrenOfTheLanes) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 20000, 3000, 0), 1);
  TSwimLane* a = AddLane(pool, SSymRect(0, 20000, 3000, 0));
  TSwimLane* b = AddLane(pool, SSymRect(3000, 20000, 8000, 0));
  TSym* ca = Make<TSym>(SSymRect(500, 5000, 1500, 4000));
  TSym* cb = Make<TSym>(SSymRect(3500, 5000, 4500, 4000));
  a->Add(ca->Sym());
  b->Add(cb->Sym());
  b->Flags |= SSymBase::FlagHidden;
  SUnsortedComBag<ISSymbol> shown, all;
  static_cast<ISSymSwimPool*>(pool)->GetAllChildrenSym(shown, 0);
  pool->GetAllChildrenSym(all, 1);
  ASSERT_EQ(shown.GetOrderCount(), 1);
  EXPECT_EQ(shown.GetOrderAt(0), ca->Sym());
  EXPECT_EQ(all.GetOrderCount(), 2);
}

// A pool placed in a diagram without display preferences reads its
// orientation from the saved preference text.
TEST_F(SwimPool, OrientationFromSavedPreferenceText) {
  SSymDiagram* bare = NewDiagram<SSymDiagram>();
  bare->SetAttribute(SSymDiagramMem::IdDispPrefSave, [] {
    SRepVariant v;
    v.SetTEXT(SString(u"Show Swimlane=Yes\nSwimlaneVert=No\n"));
    return v;
  }());
  SSymSwimLane* pool = Make<SSymSwimLane>();
  pool->InitialSymRect(SSymRect(0, 20000, 8000, 0));
  ASSERT_EQ(bare->GetDispPrefPtr(), nullptr);
  bare->Add(pool->Sym());
  EXPECT_EQ(pool->IsVertical(), 0);
}

}  // namespace
