// The display preferences applied to the diagram's pools: pools dissolved
// into top-level symbols when swimlanes are not shown (lanes inside groups
// too), pools of the other orientation turned and placed one after another
// without lying over each other, pools already in the preferred
// orientation left alone, and pools without lanes turned or dissolved whole.
#include <gtest/gtest.h>

#include <vector>

#include "support/swim_fixture.h"
#include "sym/symbol/symcoll.h"

namespace {

class DiagramSwimPref : public SwimFixture {
 protected:
  SSymDispPref* Prefs() { return m_d->GetDispPrefPtr(); }
  void Apply(int show, int vertical) {
    Prefs()->m_bShowSwimlane = show;
    Prefs()->m_bSwimlaneVert = vertical;
    m_d->ApplyDispPref();
  }
  int PoolsIn() {
    int n = 0;
    for (SRepObject* o : m_d->Collection(SymAttr::Symbols)->Items())
      if (SSymSwimLane::FromInterface(static_cast<ISRepObject*>(o))) ++n;
    return n;
  }
  // A horizontal pool of two lanes stacked from y2 upward, each 4000 high.
  SSymSwimLane* Stacked(LONG y2, std::vector<TSwimLane*>* out = nullptr) {
    SSymSwimLane* pool = NewPool(SSymRect(0, y2 + 8000, 20000, y2), 0);
    for (int i = 0; i < 2; ++i) {
      TSwimLane* l = AddLane(pool, SSymRect(0, y2 + 4000 * (i + 1), 20000, y2 + 4000 * i), 1);
      if (out) out->push_back(l);
    }
    return pool;
  }
};

// Swimlanes off: a pool of two lanes (held in a lane group) with three
// symbols each leaves the six symbols at the top level, where they stood,
// and no pool.
TEST_F(DiagramSwimPref, SwimlanesOffDissolvesPoolsThroughTheirGroups) {
  std::vector<TSwimLane*> lanes;
  SSymSwimLane* pool = Stacked(0, &lanes);
  std::vector<TSym*> children;
  std::vector<SSymRect> before;
  for (TSwimLane* l : lanes) {
    const SSymRect r = Rect(l->Sym());
    for (int i = 0; i < 3; ++i) {
      TSym* c = Make<TSym>(SSymRect(r.x1 + 3000 + 5000 * i, r.y1 - 500, r.x1 + 6000 + 5000 * i, r.y2 + 500));
      ASSERT_EQ(l->Add(c->Sym()), S_OK);
      children.push_back(c);
      before.push_back(Rect(c->Sym()));
    }
  }
  SSymCollection both;
  both.Add(lanes[0]->Sym());
  both.Add(lanes[1]->Sym());
  ASSERT_EQ(pool->CreateUserGroup(both), S_OK);
  Apply(0, 0);
  EXPECT_EQ(PoolsIn(), 0);
  EXPECT_TRUE(pool->IsDeleted());
  EXPECT_EQ(m_d->GetCount(), 6);
  for (std::size_t i = 0; i < children.size(); ++i) {
    EXPECT_TRUE(m_d->Contains(children[i]->Sym(), 0));
    EXPECT_EQ(Rect(children[i]->Sym()), before[i]);
  }
}

// Three stacked horizontal pools turned vertical stand side by side, in
// the order they were stacked (bottom first), on one bottom edge, each after
// the one before at their former distance, none over another.
TEST_F(DiagramSwimPref, TurnedPoolsArePlacedOneAfterAnother) {
  std::vector<SSymSwimLane*> pools;
  for (LONG y2 : {0, 12000, 24000}) pools.push_back(Stacked(y2));
  Apply(1, 1);
  for (SSymSwimLane* p : pools) EXPECT_EQ(p->IsVertical(), 1);
  for (std::size_t i = 1; i < pools.size(); ++i) {
    SCOPED_TRACE(i);
    const SSymRect prev = Rect(pools[i - 1]->Sym()).Normalize(), cur = Rect(pools[i]->Sym()).Normalize();
    EXPECT_EQ(cur.y2, prev.y2);
    EXPECT_EQ(cur.x1 - prev.x1, 12000);
    EXPECT_GE(cur.x1, prev.x2);
  }
  // Their lanes were turned with them: side by side inside the pool.
  SUnsortedComBag<ISSymbol> lanes;
  pools[2]->GetAllLane(lanes, 1);
  ASSERT_EQ(lanes.GetOrderCount(), 2);
  const SSymRect p = Rect(pools[2]->Sym()).Normalize();
  for (int i = 0; i < 2; ++i) {
    const SSymRect l = Rect(lanes.GetOrderAt(i)).Normalize();
    EXPECT_GE(l.x1, p.x1);
    EXPECT_LE(l.x2, p.x2);
  }
}

// Pools already in the preferred orientation are not touched; a pool
// without lanes is turned (or, with swimlanes off, deleted) as a whole.
TEST_F(DiagramSwimPref, PoolsInPlaceStayAndPoolsWithoutLanesTurnWhole) {
  std::vector<SSymSwimLane*> pools;
  for (LONG y2 : {0, 12000}) pools.push_back(Stacked(y2));
  const SSymRect a = Rect(pools[0]->Sym()), b = Rect(pools[1]->Sym());
  Apply(1, 0);
  EXPECT_EQ(Rect(pools[0]->Sym()), a);
  EXPECT_EQ(Rect(pools[1]->Sym()), b);

  FreshDiagram();
  SSymSwimLane* empty = NewPool(SSymRect(0, 8000, 20000, 0), 0);
  Apply(1, 1);
  EXPECT_EQ(empty->IsVertical(), 1);
  EXPECT_FALSE(empty->IsDeleted());
  Apply(0, 1);
  EXPECT_TRUE(empty->IsDeleted());
  EXPECT_EQ(m_d->GetCount(), 0);
  // A diagram without symbols is left as it is.
  Apply(0, 1);
  EXPECT_EQ(m_d->GetCount(), 0);
}

}  // namespace
