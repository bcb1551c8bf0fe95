// Moves with the mouse in the host's model diagram, which has swimlane
// pools: the other pools follow a moved pool along their axis, a pool
// dropped on a pool merges into it, lanes dropped among their pool's lanes
// take the drop position (also from inside a lane group), and lanes dropped
// outside their pool go to the pool under the drop or to a new pool, never
// into an ordinary symbol. Switching swimlanes off dissolves the pools.
#include <gtest/gtest.h>

#include <vector>

#include "tests/apps/symhost/model/hostlanes_fixture.h"
#include "apps/symhost/model/hostlane.h"
#include "apps/symhost/model/hostmodelsyms.h"
#include "apps/symhost/samplediagram.h"
#include "sym/composite/symswimcoln.h"
#include "sym/composite/symswimgroup.h"
#include "sym/composite/symswimpool.h"
#include "sym/edit/symselection.h"
#include "sym/edit/symviewedit.h"
#include "sym/symbol/symcoll.h"
#include "win/winreg.h"

namespace {

class HostMove : public HostLanesTest {
 protected:
  void SetUp() override {
    HostLanesTest::SetUp();
    if (HasFatalFailure()) return;
    // The first pool: three lanes side by side, 20000 wide each.
    for (int i = 0; i < 3; ++i) first.push_back(NewLane(SSymRect(20000 * i, 30000, 20000 * (i + 1), 0), nullptr));
    pool1 = SSymSwimLane::FromInterface(first[0]->GetPoolSym());
    ASSERT_NE(nullptr, pool1);
    view = new SSymViewEdit();
    view->SetDiagram(diagram->Diagram());
    selection = view->GetSelection();
  }
  void TearDown() override {
    if (selection) selection->Clear(0);
    delete view;
    pools.clear();
    HostLanesTest::TearDown();
  }
  using HostLanesTest::NewLane;
  SHostLaneSym* NewLane(const SSymRect& rect, SSymSwimLane* pool) { return NewLane(SString(u"Lane"), rect, pool); }
  // A second pool on rect with n lanes.
  SSymSwimLane* NewPool(const SSymRect& rect, int n, std::vector<SHostLaneSym*>& out) {
    SComOut<ISSymbol> made;
    EXPECT_EQ(holder.Session()->CreateObject(CLSID_SSymSwimLane, IID_ISSymbol, made.Void()), S_OK);
    SComWrap<ISSymbolInit>(made.Get())->InitialSymRect(rect);
    EXPECT_EQ(diagram->Add(made.Get()), S_OK);
    pools.emplace_back(made.Get());
    SSymSwimLane* pool = SSymSwimLane::FromInterface(made.Get());
    const LONG w = (rect.x2 - rect.x1) / n;
    for (int i = 0; i < n; ++i)
      out.push_back(NewLane(SSymRect(rect.x1 + w * i, rect.y1, rect.x1 + w * (i + 1), rect.y2), pool));
    return pool;
  }
  // Selects the symbols and moves them by offset with the mouse, dropped at
  // `drop` with the dragged outline `outline`.
  void Drag(std::initializer_list<ISSymbol*> syms, const SSymSize& offset, const SSymPoint& drop,
            const SSymRect& outline) {
    selection->Clear(0);
    for (ISSymbol* s : syms) selection->Add(s, 0);
    SSymTrackerMover tracker(outline, drop);
    view->SetMoveTracker(&tracker);
    selection->MoveBy(offset, 0, 1);
    view->SetMoveTracker(nullptr);
  }
  static std::vector<ISSymbol*> MembersOf(SSymSwimLane* pool) {
    std::vector<ISSymbol*> out;
    for (const auto& m : pool->Members()) out.push_back(m.Get());
    return out;
  }
  static std::vector<ISSymbol*> Syms(std::initializer_list<SHostLaneSym*> ls) {
    std::vector<ISSymbol*> out;
    for (SHostLaneSym* l : ls) out.push_back(l->Sym());
    return out;
  }
  int PoolCount() { return diagram->GetSwimLaneList().GetCount(); }

  std::vector<SComWrap<ISSymbol>> pools;
  std::vector<SHostLaneSym*> first;
  SSymSwimLane* pool1 = nullptr;
  SSymViewEdit* view = nullptr;
  SSymSelection* selection = nullptr;
};

// A pool moved away from every other pool takes them along its own axis:
// vertical pools (lanes side by side) follow in y only, horizontal ones in x.
TEST_F(HostMove, OtherPoolsFollowAlongTheAxis) {
  std::vector<SHostLaneSym*> second;
  SSymSwimLane* pool2 = NewPool(SSymRect(100000, 30000, 140000, 0), 2, second);
  for (int vertical : {1, 0}) {
    SCOPED_TRACE(vertical);
    diagram->GetDispPrefPtr()->m_bSwimlaneVert = vertical;
    const SSymRect before = RectOf(pool2->Sym());
    const SSymRect moved = RectOf(pool1->Sym());
    Drag({pool1->Sym()}, SSymSize(300, 500), SSymPoint(moved.x1 + 300, moved.y2 - 4000),
         SSymRect(moved.x1 + 300, moved.y2 - 500, moved.x2 + 300, moved.y2 - 30000));
    const SSymRect after = RectOf(pool2->Sym());
    EXPECT_EQ(after.x1 - before.x1, vertical ? 0 : 300);
    EXPECT_EQ(after.y1 - before.y1, vertical ? 500 : 0);
    EXPECT_EQ(after.x2 - after.x1, before.x2 - before.x1);
  }
}

// A pool dropped on a pool of its grouping gives it its lanes at the drop
// position and goes; a pool without lanes brings nothing and merges into
// nothing.
TEST_F(HostMove, PoolDroppedOnPoolMergesIntoIt) {
  std::vector<SHostLaneSym*> second;
  SSymSwimLane* pool2 = NewPool(SSymRect(100000, 30000, 140000, 0), 2, second);
  // Dropped over the first pool, between its first and second lanes.
  Drag({pool2->Sym()}, SSymSize(-80000, 0), SSymPoint(25000, 15000), SSymRect(20000, 30000, 60000, 0));
  EXPECT_EQ(MembersOf(pool1), Syms({first[0], second[0], second[1], first[1], first[2]}));
  EXPECT_TRUE(pool2->IsDeleted());
  EXPECT_EQ(PoolCount(), 1);
  for (SHostLaneSym* l : second) EXPECT_EQ(l->GetPoolSym(), pool1->Sym());
}

// Lanes dropped among their own pool's lanes are filed at the drop
// position, in the order of their positions, and packed again.
TEST_F(HostMove, LanesTakeTheDropPositionInTheirPool) {
  // The first lane dragged over the last one's right half.
  Drag({first[0]->Sym()}, SSymSize(45000, 0), SSymPoint(55000, 15000), SSymRect(45000, 30000, 65000, 0));
  EXPECT_EQ(MembersOf(pool1), Syms({first[1], first[2], first[0]}));
  EXPECT_EQ(RectOf(first[1]->Sym()).x1, RectOf(pool1->Sym()).x1);
  EXPECT_LT(RectOf(first[2]->Sym()).x1, RectOf(first[0]->Sym()).x1);
  EXPECT_EQ(PoolCount(), 1);
}

// A lane inside a lane group reaches its pool past the group: the move is
// filed inside the group, with no failure breaking the caller's step.
TEST_F(HostMove, LaneInAGroupIsFiledThroughItsPool) {
  SSymCollection grouped;
  grouped.Add(first[1]->Sym());
  grouped.Add(first[2]->Sym());
  ASSERT_EQ(pool1->CreateUserGroup(grouped), S_OK);
  SComOut<ISSymOwner> owner;
  ASSERT_EQ(first[2]->GetOwner(&owner), S_OK);
  ISSymbol* group = SComWrap<ISSymbol>(owner.Get()).Get();
  ASSERT_EQ(group->GetSymbolType(), SSymSwimLane::GroupTypeCode);
  // The group's last lane dragged onto the left of its first.
  const SSymRect r1 = RectOf(first[1]->Sym());
  EXPECT_NO_THROW(Drag({first[2]->Sym()}, SSymSize(-20000, 0), SSymPoint(r1.x1 + 1000, 15000),
                       SSymRect(r1.x1, r1.y1, r1.x2, r1.y2)));
  SSymSwimGroup* g = SSymSwimGroup::FromInterface(group);
  ASSERT_NE(nullptr, g);
  std::vector<ISSymbol*> inGroup;
  for (const auto& m : g->Members()) inGroup.push_back(m.Get());
  EXPECT_EQ(inGroup, Syms({first[2], first[1]}));
  EXPECT_EQ(first[2]->GetPoolSym(), pool1->Sym());
  // Both lanes dragged out of the group before the first lane: the emptied
  // group goes rather than stay behind without lanes.
  const SSymRect p = RectOf(pool1->Sym());
  Drag({first[1]->Sym(), first[2]->Sym()}, SSymSize(-20000, 0), SSymPoint(p.x1 + 1000, 15000),
       SSymRect(p.x1, p.y1, p.x1 + 40000, p.y2));
  EXPECT_TRUE(g->IsDeleted());
  EXPECT_EQ(MembersOf(pool1), Syms({first[2], first[1], first[0]}));
}

// Lanes dragged out of their pool onto empty canvas, or onto an ordinary
// symbol, make one new pool that takes them; the symbol under the drop is
// left as it was.
TEST_F(HostMove, LanesDroppedOutsideMakeANewPool) {
  for (bool onEntity : {false, true}) {
    SCOPED_TRACE(onEntity ? "on an entity" : "on empty canvas");
    SHostLaneSym* lane = NewLane(SSymRect(60000, 30000, 80000, 0), pool1);
    const int before = PoolCount();
    ISSymbol* entity = nullptr;
    SSymRect entityRect;
    const LONG x = onEntity ? 400000 : 200000;
    if (onEntity) {
      entity = diagram->CreateSymbolForObject(SHostAddEntity(Model(), SString(u"Order")), x + 10000, 15000, 1);
      ASSERT_NE(nullptr, entity);
      holder.Track(entity);
      entityRect = RectOf(entity);
    }
    const SSymRect r = RectOf(lane->Sym());
    Drag({lane->Sym()}, SSymSize(x - r.x1, 0), SSymPoint(x + 10000, 15000), SSymRect(x, r.y1, x + 20000, r.y2));
    EXPECT_EQ(PoolCount(), before + 1);
    SSymSwimLane* made = SSymSwimLane::FromInterface(lane->GetPoolSym());
    ASSERT_NE(nullptr, made);
    EXPECT_NE(made, pool1);
    EXPECT_EQ(MembersOf(made), Syms({lane}));
    EXPECT_EQ(MembersOf(pool1).size(), 3u);
    if (entity) {
      EXPECT_TRUE(diagram->Contains(entity, 0));
      EXPECT_EQ(RectOf(entity), entityRect);
    }
  }
}

// Lanes dropped onto another pool join it at the drop position; a pool
// emptied by the move goes.
TEST_F(HostMove, LanesDroppedOnAnotherPoolJoinIt) {
  std::vector<SHostLaneSym*> second;
  SSymSwimLane* pool2 = NewPool(SSymRect(100000, 30000, 140000, 0), 2, second);
  Drag({first[0]->Sym()}, SSymSize(110000, 0), SSymPoint(125000, 15000), SSymRect(110000, 30000, 130000, 0));
  EXPECT_EQ(MembersOf(pool2), Syms({second[0], first[0], second[1]}));
  EXPECT_EQ(MembersOf(pool1), Syms({first[1], first[2]}));
  // The other two follow into the first pool's place: it goes.
  Drag({first[1]->Sym(), first[2]->Sym()}, SSymSize(100000, 0), SSymPoint(101000, 15000),
       SSymRect(100000, 30000, 140000, 0));
  EXPECT_TRUE(pool1->IsDeleted());
  EXPECT_EQ(PoolCount(), 1);
  EXPECT_EQ(MembersOf(pool2).size(), 5u);
}

// Switching swimlanes off dissolves the pools: the lanes' entities become
// top-level symbols where they stand.
TEST_F(HostMove, SwimlanesOffDissolvesThePools) {
  std::vector<ISSymbol*> held;
  for (int i = 0; i < 3; ++i) {
    const SSymRect r = RectOf(first[i]->Sym());
    ISSymbol* e = diagram->CreateSymbolForObject(SHostAddEntity(Model(), SString(u"E")), r.x1 + 8000, 15000, 1);
    ASSERT_NE(nullptr, e);
    holder.Track(e);
    ASSERT_EQ(first[i]->Comp()->Add(e), S_OK);
    held.push_back(e);
  }
  std::vector<SSymRect> before;
  for (ISSymbol* e : held) before.push_back(RectOf(e));
  view->OnDesactvSwimlane();
  EXPECT_EQ(diagram->GetDispPrefPtr()->m_bShowSwimlane, 0);
  EXPECT_TRUE(pool1->IsDeleted());
  EXPECT_EQ(PoolCount(), 0);
  for (std::size_t i = 0; i < held.size(); ++i) {
    EXPECT_TRUE(diagram->Contains(held[i], 0));
    EXPECT_EQ(RectOf(held[i]), before[i]);
  }
}

}  // namespace
