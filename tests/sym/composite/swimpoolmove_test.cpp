// Moving, resizing and picking a swimlane pool: lanes carried along, the
// title band invalidated, growth across the lanes shared among them, the
// extent along them kept, and the hit zones at the pool's edge.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "sym/diagram/symview.h"
#include "win/winuser.h"
#include "support/recording_canvas.h"
#include "support/swim_fixture.h"
#include "support/swimgroup_fixture.h"

namespace {

class SwimPoolMove : public SwimFixture {
 protected:
  // A vertical pool of three lanes 3000 wide, 20000 long.
  SSymSwimLane* ThreeColumns(std::vector<TSwimLane*>& lanes) {
    SSymSwimLane* pool = NewPool(SSymRect(0, 20000, 3000, 0), 1);
    for (int i = 0; i < 3; ++i) lanes.push_back(AddLane(pool, SSymRect(3000 * i, 20000, 3000 * (i + 1), 0)));
    return pool;
  }
};

// Without a diagram nothing moves and the answer is E_FAIL.
TEST_F(SwimPoolMove, MoveWithoutDiagramFails) {
  SSymSwimLane* pool = Make<SSymSwimLane>();
  pool->InitialSymRect(SSymRect(0, 20000, 9000, 0));
  EXPECT_EQ(pool->MoveBy(SSymSize(500, 500), 0), E_FAIL);
  EXPECT_EQ(Rect(pool->Sym()), SSymRect(0, 20000, 9000, 0));
}

// The pool carries its lanes; the band above it (outside its rectangle) is
// invalidated in the diagram's view before the move.
TEST_F(SwimPoolMove, MoveCarriesLanesAndInvalidatesTitleBand) {
  std::vector<TSwimLane*> lanes;
  SSymSwimLane* pool = ThreeColumns(lanes);
  KvWindowsReset();
  WNDCLASSW wc{};
  wc.lpfnWndProc = &DefWindowProcW;
  wc.lpszClassName = u"TestPoolFrame";
  RegisterClassW(&wc);
  HWND frame = CreateWindowExW(0, u"TestPoolFrame", u"frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600,
                               nullptr, nullptr, nullptr, nullptr);
  auto* v = new SSymView();
  ASSERT_TRUE(v->CreateEx(0, nullptr, u"", WS_CHILD | WS_VISIBLE, RECT{0, 0, 400, 300}, SWnd::FromHandle(frame), 7));
  SSymView& view = *v;
  view.SetDiagram(m_d);
  view.SetState(view.GetState() | SSymView::StateAllowErase);
  view.ClearInvalidations();
  ASSERT_EQ(pool->MoveBy(SSymSize(1000, -500), 0), S_OK);
  EXPECT_EQ(Rect(pool->Sym()), SSymRect(1000, 19500, 10000, -500));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Rect(lanes[i]->Sym()), SSymRect(1000 + 3000 * i, 19500, 4000 + 3000 * i, -500));
  // The band lies above the pool's top edge: some invalidation reaches there.
  const SSymRect band = SSymRect(-75, 21200, 9075, 20000);
  bool reached = false;
  SSymCanvasView& canvas = view.GetCanvas();
  for (const auto& inv : view.GetInvalidations()) {
    const RECT b = canvas.VPtoDP(band);
    if (inv.rect.left == b.left && inv.rect.top == b.top && inv.rect.right == b.right && inv.rect.bottom == b.bottom)
      reached = true;
  }
  EXPECT_TRUE(reached);
  KvWindowsReset();
}

// Growth of 10 across three lanes is shared 3, 3, 4 and the lanes stay
// packed; a narrowing transform leaves the width as it was.
TEST_F(SwimPoolMove, TransformSharesGrowthAmongLanes) {
  std::vector<TSwimLane*> lanes;
  SSymSwimLane* pool = ThreeColumns(lanes);
  const SSymRect r = Rect(pool->Sym());
  SSymMatrix grow;
  grow.SetTransform(r, SSymRect(r.x1, r.y1, r.x2 + 10, r.y2));
  pool->Transform(grow, 0);
  EXPECT_EQ(Rect(pool->Sym()).x2, 9010);
  EXPECT_EQ(Rect(lanes[0]->Sym()), SSymRect(0, r.y1, 3003, r.y2));
  EXPECT_EQ(Rect(lanes[1]->Sym()), SSymRect(3003, r.y1, 6006, r.y2));
  EXPECT_EQ(Rect(lanes[2]->Sym()), SSymRect(6006, r.y1, 9010, r.y2));

  const SSymRect g = Rect(pool->Sym());
  SSymMatrix narrow;
  narrow.SetTransform(g, SSymRect(g.x1, g.y1, g.x2 - 4000, g.y2));
  EXPECT_EQ(pool->Transform(narrow, 0), 0);
  EXPECT_EQ(Rect(pool->Sym()), g);
}

// A transform that would cut into a lane's contents keeps the pool long
// enough; a second pool of the diagram takes the same extent.
TEST_F(SwimPoolMove, TransformKeepsContentsAndAlignsPools) {
  std::vector<TSwimLane*> lanes;
  SSymSwimLane* pool = ThreeColumns(lanes);
  lanes[1]->m_validBord = SSymRect(3000, 15000, 6000, 2000);
  SSymSwimLane* other = NewPool(SSymRect(20000, 20000, 23000, 0), 1);
  AddLane(other, SSymRect(20000, 20000, 23000, 0));
  const SSymRect r = Rect(pool->Sym());
  SSymMatrix shorten;
  shorten.SetTransform(r, SSymRect(r.x1, 10000, r.x2, 5000));
  pool->Transform(shorten, 0);
  const SSymRect p = Rect(pool->Sym());
  EXPECT_EQ(p.y2, 2000);
  EXPECT_EQ(p.y1, 15000 + pool->m_nHeadSize);
  const SSymRect o = Rect(other->Sym());
  EXPECT_EQ(o.y2, 2000);
  EXPECT_EQ(o.y1, 15000 + other->m_nHeadSize);
}

// Less than 75 units inside the edge picks nothing; 75 inside picks the
// pool; outside picks nothing; a hidden pool is never picked.
TEST_F(SwimPoolMove, BorderToleranceAtTheEdge) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 20000, 9000, 0), 1);
  RecordingCanvas canvas;
  struct Case {
    SSymPoint pt;
    BOOL hit;
  } cases[] = {{{74, 10000}, 0}, {{75, 10000}, 1}, {{4500, 19925}, 1}, {{4500, 19926}, 0}, {{-10, 10000}, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pt.x << "," << c.pt.y);
    EXPECT_EQ(pool->IsPtInSym(canvas, c.pt, nullptr, nullptr), c.hit);
  }
  pool->Show(0);
  EXPECT_EQ(pool->IsPtInSym(canvas, SSymPoint(4500, 10000), nullptr, nullptr), 0);
}

// A point on a lane answers the lane as the hit member; IsPtInSubSym
// answers 0 whatever it finds.
TEST_F(SwimPoolMove, MemberHitGivesTheMember) {
  std::vector<TSwimLane*> lanes;
  SSymSwimLane* pool = ThreeColumns(lanes);
  RecordingCanvas canvas;
  ISSymbol* hit = nullptr;
  EXPECT_EQ(pool->IsPtInSym(canvas, SSymPoint(4500, 10000), nullptr, &hit), 1);
  ASSERT_NE(hit, nullptr);
  EXPECT_TRUE(SRepAreSameObjects(hit, lanes[1]->Sym()));
  hit->Release();
  ISSymbol* sub = nullptr;
  EXPECT_EQ(pool->IsPtInSubSym(canvas, SSymPoint(4500, 10000), nullptr, &sub), 0);
  if (sub) sub->Release();
}

// A pool with a lane group: moving the pool carries the group and the
// lanes inside it.
class SwimPoolMoveGroups : public SwimGroupFixture {};

TEST_F(SwimPoolMoveGroups, MoveCarriesGroupsAndTheirLanes) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 20000, 9000, 0), 1);
  SSymSwimGroup* g = NewGroup(pool->Obj(), SSymRect(0, 20000, 6000, 0), u"G");
  TGroupLane* a = NewLane(g->Obj(), SSymRect(0, 20000, 3000, 0));
  TGroupLane* b = NewLane(g->Obj(), SSymRect(3000, 20000, 6000, 0));
  TGroupLane* c = NewLane(pool->Obj(), SSymRect(6000, 20000, 9000, 0));
  std::vector<ISSymbol*> all = {pool->Sym(), g->Sym(), a->Sym(), b->Sym(), c->Sym()};
  std::vector<SSymRect> before;
  for (ISSymbol* s : all) before.push_back(Rect(s));
  ASSERT_EQ(pool->MoveBy(SSymSize(700, 300), 0), S_OK);
  for (size_t i = 0; i < all.size(); ++i) {
    SSymRect r = before[i];
    r.OffsetRect(700, 300);
    EXPECT_EQ(Rect(all[i]), r) << i;
  }
}

// A group moved in a pool grouped by parents is dissolved: its lanes land
// in the pool at the drop position (clamped to the end) and the group is
// deleted; a pool whose only member was that group survives it.
TEST_F(SwimPoolMoveGroups, MovedGroupOfAParentGroupedPoolIsDissolved) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 20000, 9000, 0), 1);
  pool->m_nGroupType = 1;
  SSymSwimGroup* g = NewGroup(pool->Obj(), SSymRect(0, 20000, 6000, 0), u"G");
  TGroupLane* a = NewLane(g->Obj(), SSymRect(0, 20000, 3000, 0));
  TGroupLane* b = NewLane(g->Obj(), SSymRect(3000, 20000, 6000, 0));
  SComBag<ISSymbol> moved;
  moved.Add(g->Sym());
  SSymSwimReparentMovedSymbolsToLane(moved, SSymPoint(50000, 10000), pool);
  EXPECT_TRUE(g->IsDeleted());
  ASSERT_FALSE(pool->IsDeleted());
  const std::vector<ISSymbol*> members = MembersOf(pool->Obj());
  ASSERT_EQ(members.size(), 2u);
  EXPECT_TRUE(SRepAreSameObjects(members[0], a->Sym()));
  EXPECT_TRUE(SRepAreSameObjects(members[1], b->Sym()));
  EXPECT_FALSE(a->IsDeleted());
  EXPECT_FALSE(b->IsDeleted());
}

// Lanes moved together into a pool enter it in their order along the pool,
// whichever of them was made first (a bag's own order is by address).
TEST_F(SwimPoolMoveGroups, MovedLanesEnterInTheirOrderAlongThePool) {
  const SSymRect leftRect(10000, 20000, 13000, 0), rightRect(13000, 20000, 16000, 0);
  for (const bool reversed : {false, true}) {
    SCOPED_TRACE(reversed);
    FreshDiagram();
    SSymSwimLane* pool = NewPool(SSymRect(0, 20000, 3000, 0), 1);
    TGroupLane* kept = NewLane(pool->Obj(), SSymRect(0, 20000, 3000, 0));
    // The two lanes come from a second pool, side by side in it.
    SSymSwimLane* from = NewPool(SSymRect(10000, 20000, 16000, 0), 1);
    TGroupLane* made[2] = {Make<TGroupLane>(reversed ? rightRect : leftRect),
                           Make<TGroupLane>(reversed ? leftRect : rightRect)};
    TGroupLane* left = made[reversed ? 1 : 0];
    TGroupLane* right = made[reversed ? 0 : 1];
    for (TGroupLane* l : {left, right}) Put(from->Obj(), l->Sym());
    SComBag<ISSymbol> moved;
    moved.Add(left->Sym());
    moved.Add(right->Sym());
    SSymSwimReparentMovedSymbolsToLane(moved, SSymPoint(50000, 10000), pool);
    const std::vector<ISSymbol*> members = MembersOf(pool->Obj());
    ASSERT_EQ(members.size(), 3u);
    const auto at = [&](TGroupLane* l) {
      return std::find(members.begin(), members.end(), l->Sym()) - members.begin();
    };
    EXPECT_LT(at(kept), 3);
    EXPECT_EQ(at(right), at(left) + 1);
  }
}

// A pool moved in one user step, undone and redone: the pool, its separator,
// its group and every lane go back to their places and forward again, each
// moved once (the members' own records carry them while the step replays).
TEST_F(SwimPoolMoveGroups, UndoAndRedoOfAPoolMovePutEverythingBack) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 20000, 9000, 0), 1);
  SSymSwimGroup* g = NewGroup(pool->Obj(), SSymRect(0, 20000, 6000, 0), u"G");
  TGroupLane* a = NewLane(g->Obj(), SSymRect(0, 20000, 3000, 0));
  TGroupLane* b = NewLane(g->Obj(), SSymRect(3000, 20000, 6000, 0));
  TGroupLane* c = NewLane(pool->Obj(), SSymRect(6000, 20000, 9000, 0));
  ISSymbol* line = pool->GetLineSym();
  ASSERT_NE(line, nullptr);
  std::vector<ISSymbol*> all = {pool->Sym(), line, g->Sym(), a->Sym(), b->Sym(), c->Sym()};
  std::vector<SSymRect> before;
  for (ISSymbol* s : all) before.push_back(Rect(s));
  auto at = [&](LONG dx, LONG dy, const char* when) {
    for (size_t i = 0; i < all.size(); ++i) {
      SSymRect r = before[i];
      r.OffsetRect(dx, dy);
      EXPECT_EQ(Rect(all[i]), r) << when << " " << i;
    }
  };
  const int undos = m_session->GetUndoCount();
  {
    SRepCreateContext step(Session());
    ASSERT_EQ(pool->MoveBy(SSymSize(700, 300), 0), S_OK);
  }
  ASSERT_EQ(m_session->GetUndoCount(), undos + 1);
  at(700, 300, "moved");
  ASSERT_EQ(m_session->Undo(), S_OK);
  at(0, 0, "undone");
  ASSERT_EQ(m_session->Redo(), S_OK);
  at(700, 300, "redone");
  EXPECT_EQ(MembersOf(pool->Obj()), (std::vector<ISSymbol*>{g->Sym(), c->Sym()}));
  EXPECT_EQ(MembersOf(g->Obj()), (std::vector<ISSymbol*>{a->Sym(), b->Sym()}));
}

}  // namespace
