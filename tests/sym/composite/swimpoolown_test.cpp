// The swimlane pool as owner: where an added lane goes, when a pool deletes
// itself, lanes inside groups, refused input, the active rectangle, and the
// position searches among inner and end lanes.
#include <gtest/gtest.h>

#include <vector>

#include "kvrep/srepsession.h"
#include "sym/composite/symswimgroup.h"
#include "support/recording_canvas.h"
#include "support/swim_fixture.h"

namespace {

class SwimPoolOwn : public SwimFixture {
 protected:
  ISSymOwner* Owner(SSymSwimLane* pool) { return pool; }
  // A pool of three lanes 3000 units thick (rows from the bottom when
  // horizontal, columns from the left when vertical).
  SSymSwimLane* ThreeLanes(int vertical, int inner, std::vector<TSwimLane*>* lanes = nullptr) {
    SSymSwimLane* pool = NewPool(vertical ? SSymRect(0, 20000, 3000, 0) : SSymRect(0, 3000, 20000, 0), vertical);
    for (int i = 0; i < 3; ++i) {
      const LONG a = 3000 * i, b = 3000 * (i + 1);
      TSwimLane* l = AddLane(pool, vertical ? SSymRect(a, 20000, b, 0) : SSymRect(0, b, 20000, a), inner);
      if (lanes) lanes->push_back(l);
    }
    return pool;
  }
};

// The first lane keeps its place and gives the pool its extent; a lane
// lying beyond the far edge moves onto it; one that overlaps it stays; the
// pool grows by the lane either way.
TEST_F(SwimPoolOwn, AddPlacesTheLane) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 10000, 20000, 0), 0);
  TSwimLane* first = AddLane(pool, SSymRect(0, 10000, 20000, 0));
  EXPECT_EQ(Rect(first->Sym()), SSymRect(0, 10000, 20000, 0));
  EXPECT_EQ(Rect(pool->Sym()), SSymRect(0, 10000, 20000, 0));
  TSwimLane* above = AddLane(pool, SSymRect(0, 20000, 20000, 17000));
  EXPECT_EQ(Rect(above->Sym()), SSymRect(0, 13000, 20000, 10000));
  EXPECT_EQ(Rect(pool->Sym()), SSymRect(0, 13000, 20000, 0));
  TSwimLane* overlapping = AddLane(pool, SSymRect(0, 15000, 20000, 12000));
  EXPECT_EQ(Rect(pool->Sym()), SSymRect(0, 16000, 20000, 0));
  EXPECT_EQ(Rect(overlapping->Sym()), SSymRect(0, 16000, 20000, 13000));  // packed after the others
  EXPECT_EQ(CountOf(pool), 3);
}

// An inner lane added to a pool that ends with an end lane goes before it.
TEST_F(SwimPoolOwn, InnerLaneGoesBeforeATrailingEndLane) {
  SSymSwimLane* pool = ThreeLanes(1, 0);
  TSwimLane* inner = AddLane(pool, SSymRect(9000, 20000, 12000, 0), 1);
  const auto members = pool->Members();
  ASSERT_EQ(members.size(), 4u);
  EXPECT_TRUE(SRepAreSameObjects(members[2].Get(), inner->Sym()));
}

// Removing one of three end lanes (no group) outside undo keeps the pool
// with the other two, packed; only when the last lane goes does the pool
// delete itself, and no lane is deleted with it.
TEST_F(SwimPoolOwn, PoolStaysWhileLanesRemain) {
  std::vector<TSwimLane*> lanes;
  SSymSwimLane* pool = ThreeLanes(1, 0, &lanes);
  EXPECT_EQ(Owner(pool)->Remove(lanes[1]->Sym()), S_OK);
  EXPECT_FALSE(pool->IsDeleted());
  EXPECT_EQ(CountOf(pool), 2);
  EXPECT_EQ(Rect(lanes[2]->Sym()), SSymRect(3000, 20000, 6000, 0));
  EXPECT_EQ(Rect(pool->Sym()), SSymRect(0, 20000, 6000, 0));
  Owner(pool)->Remove(lanes[0]->Sym());
  EXPECT_FALSE(pool->IsDeleted());
  Owner(pool)->Remove(lanes[2]->Sym());
  EXPECT_TRUE(pool->IsDeleted());
  for (TSwimLane* l : lanes) EXPECT_FALSE(l->IsDeleted());
}

// A pool emptied while a change is recorded deletes itself unless the
// recording context keeps it.
TEST_F(SwimPoolOwn, EmptiedPoolKeptByTheRecordingContext) {
  for (bool keep : {false, true}) {
    SCOPED_TRACE(keep ? "kept" : "not kept");
    FreshDiagram();
    SSymSwimLane* pool = NewPool(SSymRect(0, 20000, 3000, 0), 1);
    TSwimLane* lane = AddLane(pool, SSymRect(0, 20000, 3000, 0));
    {
      SRepCreateContext step(Session());
      auto* ctx = static_cast<SRepContext*>(step.GetContext());
      ASSERT_NE(ctx, nullptr);
      if (keep) ctx->KeepObject(pool->Obj());
      Owner(pool)->Remove(lane->Sym());
    }
    EXPECT_EQ(pool->IsDeleted() != 0, !keep);
  }
}

// A lane inside a lane group finds its pool up the owners; the pool finds
// the lane through the group, and contains it only deeply.
TEST_F(SwimPoolOwn, LaneInsideAGroupReachesThePool) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 20000, 3000, 0), 1);
  TSwimGroup* group = Make<TSwimGroup>(SSymRect(0, 20000, 3000, 0));
  ASSERT_EQ(Owner(pool)->Add(group->Sym()), S_OK);
  TSwimLane* lane = Make<TSwimLane>(SSymRect(0, 18000, 3000, 0));
  group->Add(lane->Sym());
  EXPECT_EQ(SSymSwimLane::PoolOf(lane->Sym()), pool);
  EXPECT_EQ(SSymSwimFindPool(lane->Sym()), pool->Sym());
  EXPECT_EQ(SComWrap<ISSwimlane>(lane->Sym())->GetPoolSym(), pool->Sym());
  EXPECT_FALSE(Owner(pool)->Contains(lane->Sym(), 0));
  EXPECT_TRUE(Owner(pool)->Contains(lane->Sym(), 1));
  SUnsortedComBag<ISSymbol> all;
  pool->GetAllLane(all, 1);
  ASSERT_EQ(all.GetOrderCount(), 1);
  EXPECT_EQ(all.GetOrderAt(0), lane->Sym());
}

// Refused input changes nothing and loses no lane: no symbol, the pool
// itself, a lane of another pool to remove. A lane taken from another pool
// moves over whole; the pool it leaves empty goes.
TEST_F(SwimPoolOwn, BadInputIsRefused) {
  std::vector<TSwimLane*> lanes;
  SSymSwimLane* pool = ThreeLanes(1, 0, &lanes);
  SSymSwimLane* other = NewPool(SSymRect(20000, 20000, 23000, 0), 1);
  TSwimLane* foreign = AddLane(other, SSymRect(20000, 20000, 23000, 0));

  EXPECT_EQ(Owner(pool)->Add(nullptr), E_POINTER);
  EXPECT_EQ(Owner(pool)->Add(pool->Sym()), E_INVALIDARG);
  EXPECT_EQ(Owner(pool)->Add(lanes[0]->Sym()), S_FALSE);
  EXPECT_EQ(Owner(pool)->Remove(foreign->Sym()), S_FALSE);
  EXPECT_EQ(Owner(pool)->Remove(nullptr), E_POINTER);
  EXPECT_EQ(CountOf(pool), 3);
  EXPECT_EQ(CountOf(other), 1);

  EXPECT_EQ(Owner(pool)->Add(foreign->Sym()), S_OK);
  EXPECT_EQ(CountOf(pool), 4);
  EXPECT_TRUE(Owner(pool)->Contains(foreign->Sym(), 0));
  EXPECT_FALSE(foreign->IsDeleted());
  EXPECT_TRUE(other->IsDeleted());
}

TEST_F(SwimPoolOwn, EmptyPoolSearches) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 20000, 3000, 0), 1);
  int index = 7;
  EXPECT_EQ(pool->GetLanePosition(SSymPoint(100, 100), nullptr, index), nullptr);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(pool->GetPointPosition(SSymPoint(100, 100)), 0);
  EXPECT_FALSE(Owner(pool)->Contains(pool->Sym(), 1));
}

struct PositionCase {
  const char* name;
  int vertical;
  int inner;
  SSymPoint point;
  int index;
};

// Where a point falls among three lanes 3000 thick: inner lanes compare it
// with their middles; end lanes are counted without looking, and the
// trailing end lane is not a place of its own.
TEST_F(SwimPoolOwn, LanePosition) {
  const PositionCase cases[] = {
      {"StackedInnerLowerHalfOfSecond", 0, 1, SSymPoint(5000, 3500), 1},
      {"StackedInnerUpperHalfOfThird", 0, 1, SSymPoint(5000, 8000), 3},
      {"StackedInnerBefore", 0, 1, SSymPoint(5000, 0), 0},
      {"StackedInnerAfter", 0, 1, SSymPoint(5000, 9000), 3},
      {"StackedEndInside", 0, 0, SSymPoint(5000, 3500), 2},
      {"StackedEndBefore", 0, 0, SSymPoint(5000, -10), 1},
      {"StackedEndAfter", 0, 0, SSymPoint(5000, 9500), 2},
      {"SideBySideInnerLeftHalfOfSecond", 1, 1, SSymPoint(3500, 100), 1},
      {"SideBySideInnerAfter", 1, 1, SSymPoint(9000, 100), 3},
      {"SideBySideEndAfter", 1, 0, SSymPoint(9000, 100), 2},
  };
  for (const PositionCase& c : cases) {
    SCOPED_TRACE(c.name);
    FreshDiagram();
    SSymSwimLane* pool = ThreeLanes(c.vertical, c.inner);
    int index = -1;
    EXPECT_EQ(pool->GetLanePosition(c.point, nullptr, index), nullptr);
    EXPECT_EQ(index, c.index);
  }
}

TEST_F(SwimPoolOwn, LanePositionSkipsExcludedAndPointPosition) {
  std::vector<TSwimLane*> lanes;
  SSymSwimLane* pool = ThreeLanes(0, 1, &lanes);
  SComBag<ISSymbol> excluded;
  excluded.Add(lanes[0]->Sym());
  int index = -1;
  pool->GetLanePosition(SSymPoint(5000, 3500), &excluded, index);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(pool->GetPointPosition(SSymPoint(5000, 3500)), 1);
  EXPECT_EQ(pool->GetPointPosition(SSymPoint(5000, 9500)), 3);
}

// A point inside a lane group is placed among the group's members: the
// search answers the group and the group's own index; a point in a lane
// before the group answers no group.
TEST_F(SwimPoolOwn, LanePositionInsideAGroup) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 3000, 20000, 0), 0);
  AddLane(pool, SSymRect(0, 3000, 20000, 0), 1);
  SSymSwimGroup* group = Make<SSymSwimGroup>();
  group->InitialSymRect(SSymRect(0, 9000, 20000, 3000));
  ASSERT_EQ(Owner(pool)->Add(group->Sym()), S_OK);
  for (LONG y : {3000, 6000}) {
    TSwimLane* l = Make<TSwimLane>(SSymRect(0, y + 3000, 20000, y));
    l->m_inner = 1;
    group->Collection(SymAttr::Symbols)->Insert(l->Obj(), -1);
  }
  const SSymRect g = Rect(group->Sym());
  const SSymPoint inside((g.x1 + g.x2) / 2, g.y2 + 1000);
  int expected = -1;
  ASSERT_EQ(group->GetLanePosition(inside, nullptr, expected), group->Sym());
  int index = -1;
  EXPECT_EQ(pool->GetLanePosition(inside, nullptr, index), group->Sym());
  EXPECT_EQ(index, expected);
  EXPECT_EQ(pool->GetLanePosition(SSymPoint(10000, 1000), nullptr, index), nullptr);
  EXPECT_EQ(index, 0);
}

// The active rectangle takes in the title band above a side-by-side pool
// and left of a stacked one.
TEST_F(SwimPoolOwn, ActiveRectCoversTheTitleBand) {
  RecordingCanvas canvas;
  SSymSwimLane* v = ThreeLanes(1, 0);
  EXPECT_GE(v->GetActiveRect(canvas, 1).y1, Rect(v->Sym()).y1 + SSymSwimLane::TitleBand);
  FreshDiagram();
  SSymSwimLane* h = ThreeLanes(0, 0);
  EXPECT_LE(h->GetActiveRect(canvas, 1).x1, Rect(h->Sym()).x1 - SSymSwimLane::TitleBand);
}

TEST_F(SwimPoolOwn, RelatedObjectsNeedAList) {
  SSymSwimLane* pool = ThreeLanes(1, 0);
  EXPECT_EQ(pool->GetRelatedObjectList(nullptr, nullptr, 0, nullptr, 0, 0), E_INVALIDARG);
  SRepListObject list;
  EXPECT_EQ(pool->GetRelatedObjectList(&list, nullptr, 0, nullptr, 0, 0), S_OK);
  EXPECT_EQ(list.GetCount(), 0);
}

}  // namespace
