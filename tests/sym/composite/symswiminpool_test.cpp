// Lanes in the library's own pool: a lane placed into a diagram without a
// pool makes one, lanes placed one after the other share it, the pool's own
// separator drags its start edge with its first lane, and deleting the
// lanes of a pool with no undo being recorded takes the pool with the last.
#include <gtest/gtest.h>

#include "support/swim_fixture.h"
#include "sym/composite/symswim.h"
#include "sym/composite/symswimcoln.h"

namespace {

class LaneInPool : public SwimFixture {
 protected:
  SSymSwim* NewLane(const SSymRect& r) { return LibLane(r); }
};

// A lane dropped where there is no pool makes one 40000 long, side by side
// as the diagram's preference says; the next lane joins that pool.
TEST_F(LaneInPool, ALaneWithoutAPoolMakesOne) {
  SetVertical(1);
  ASSERT_EQ(m_d->GetSwimLaneList().GetCount(), 0);
  SSymSwim* a = NewLane(SSymRect(1000, 30000, 9000, 10000));
  a->AddSymInSwim(m_d);
  ASSERT_EQ(m_d->GetSwimLaneList().GetCount(), 1);
  ISSymbol* pool = a->GetPoolSym();
  ASSERT_NE(pool, nullptr);
  EXPECT_EQ(pool, m_d->GetSwimLaneList().GetAt(0));
  const SSymRect p = Rect(pool);
  EXPECT_EQ(std::labs(p.y1 - p.y2), 40000);
  EXPECT_NE(a->GetColnSym(), nullptr);
  EXPECT_TRUE(a->IsSymInitialized());

  SSymSwim* b = NewLane(SSymRect(50000, 30000, 51000, 10000));
  b->AddSymInSwim(m_d);
  EXPECT_EQ(m_d->GetSwimLaneList().GetCount(), 1);
  EXPECT_EQ(b->GetPoolSym(), pool);
  // The second lane stands beside the first, not on it.
  const SSymRect ra = Rect(a->Sym()), rb = Rect(b->Sym());
  EXPECT_TRUE(std::max(ra.x1, ra.x2) <= std::min(rb.x1, rb.x2) || std::max(rb.x1, rb.x2) <= std::min(ra.x1, ra.x2));
}

// The pool's own line marks its start edge: dragged outward the pool and its
// first lane grow; inward they shrink, never below 8000 of lane.
TEST_F(LaneInPool, PoolSeparatorDragsTheStartEdge) {
  SetVertical(0);
  SSymSwim* a = NewLane(SSymRect(0, 10000, 40000, 0));
  a->AddSymInSwim(m_d);
  SSymSwimLane* pool = SSymSwimLane::FromInterface(a->GetPoolSym());
  ASSERT_NE(pool, nullptr);
  SSymSwimColn* line = SSymSwimColn::FromInterface(pool->GetLineSym());
  ASSERT_NE(line, nullptr);
  ASSERT_EQ(line->ListPoints().GetCount(), 2);
  const SSymRect lane0 = Rect(a->Sym());
  const LONG start = std::min(lane0.y1, lane0.y2);
  SSymListPt pts = line->ListPoints();
  {
    SRepCreateContext step(Session());
    pts[0].y = pts[1].y = line->ListPoints()[0].y - 1000;
    line->SetListPt(pts, 0, 0, 0);
  }
  EXPECT_EQ(std::min(Rect(a->Sym()).y1, Rect(a->Sym()).y2), start - 1000);
  {
    SRepCreateContext step(Session());
    pts[0].y = pts[1].y = line->ListPoints()[0].y + 100000;  // far past the lane
    line->SetListPt(pts, 0, 0, 0);
  }
  const SSymRect after = Rect(a->Sym());
  EXPECT_EQ(std::labs(after.y1 - after.y2), SSymSwimColn::MinThickness);
}

// With no undo being recorded, deleting the lanes one by one leaves the
// pool while a lane is left and takes it with the last.
TEST_F(LaneInPool, DeletingTheLastLaneOutsideUndo) {
  SetVertical(1);
  SSymSwim* a = NewLane(SSymRect(0, 20000, 8000, 0));
  a->AddSymInSwim(m_d);
  SSymSwim* b = NewLane(SSymRect(8000, 20000, 16000, 0));
  b->AddSymInSwim(m_d);
  ISSymbol* pool = a->GetPoolSym();
  ASSERT_NE(pool, nullptr);
  SComWrap<ISSymbol> keep(pool);
  ASSERT_EQ(a->Delete(), S_OK);
  EXPECT_EQ(a->GetColnSym(), nullptr);
  EXPECT_FALSE(SSymSwimLane::FromInterface(pool)->IsDeleted());
  ASSERT_EQ(b->Delete(), S_OK);
  EXPECT_TRUE(SSymSwimLane::FromInterface(pool)->IsDeleted());
}

}  // namespace
