// The pool with the library's own lanes (SSymSwim) in a diagram with
// swimlane preferences: a lane dropped where there is no pool makes one and
// goes into it, and moves of lanes in a pool merge into one undo step.
#include <gtest/gtest.h>

#include "sym/composite/symswim.h"
#include "sym/composite/symswimcoln.h"
#include "sym/symbol/symaction.h"
#include "support/swim_fixture.h"

namespace {

class SwimPoolLanes : public SwimFixture {
 protected:
  SSymSwim* Lane(const SSymRect& r) { return LibLane(r); }
  SSymSwimLane* OnlyPool() {
    SComTable<ISSymbol> pools = m_d->GetSwimLaneList();
    if (pools.GetCount() != 1) return nullptr;
    return SSymSwimLane::FromInterface(pools.GetAt(0));
  }
};

// The first lane dropped makes a side-by-side pool 40000 long and keeps its
// own thickness of 8000; the second goes into the same pool after it.
TEST_F(SwimPoolLanes, DroppedLaneWithoutPoolMakesOne) {
  SetVertical(1);
  ASSERT_EQ(m_d->GetSwimLaneList().GetCount(), 0);
  SSymSwim* first = Lane(SSymRect(5000, 30000, 13000, 1000));
  first->AddSymInSwim(m_d);
  SSymSwimLane* pool = OnlyPool();
  ASSERT_NE(pool, nullptr);
  EXPECT_EQ(first->GetPoolSym(), pool->Sym());
  EXPECT_NE(pool->GetLineSym(), nullptr);
  const SSymRect p = Rect(pool->Sym());
  EXPECT_EQ(p.y1 - p.y2, 40000);
  EXPECT_EQ(Rect(first->Sym()).Width(), 8001);

  SSymSwim* second = Lane(SSymRect(0, 5000, 5000, 0));
  second->AddSymInSwim(m_d);
  ASSERT_EQ(OnlyPool(), pool);
  ASSERT_EQ(CountOf(pool), 2);
  EXPECT_EQ(Rect(second->Sym()).x1, Rect(first->Sym()).x2);
  EXPECT_EQ(Rect(pool->Sym()).x2, Rect(second->Sym()).x2);
  EXPECT_EQ(Rect(second->Sym()).y1, Rect(pool->Sym()).y1);
}

// Two lanes of a pool moved by one offset in one step make one move record
// listing both; one undo puts both back where the pool had them.
TEST_F(SwimPoolLanes, LaneMovesMergeIntoOneUndoStep) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 10000, 40000, 0), 0);
  SSymSwim* a = Lane(SSymRect(0, 10000, 40000, 0));
  SSymSwim* b = Lane(SSymRect(0, 20000, 40000, 10000));
  static_cast<ISSymOwner*>(pool)->Add(a->Sym());
  static_cast<ISSymOwner*>(pool)->Add(b->Sym());
  const SSymRect ra = Rect(a->Sym()), rb = Rect(b->Sym());
  const int undos = m_session->GetUndoCount();
  {
    SRepCreateContext step(Session());
    ISRepContext* ctx = step.GetContext();
    const int start = ctx->GetActionCount();
    a->MoveBy(SSymSize(0, 500), 0);
    b->MoveBy(SSymSize(0, 500), 0);
    ASSERT_EQ(ctx->GetActionCount(), start + 1);
    auto* move = dynamic_cast<SSymActionMove*>(ctx->GetLastAction());
    ASSERT_NE(move, nullptr);
    EXPECT_TRUE(move->Contains(a->Sym()));
    EXPECT_TRUE(move->Contains(b->Sym()));
  }
  ASSERT_EQ(m_session->GetUndoCount(), undos + 1);
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(Rect(a->Sym()), ra);
  EXPECT_EQ(Rect(b->Sym()), rb);
  EXPECT_EQ(CountOf(pool), 2);
}

// The pool moved in one step carries its lanes and their separators; the
// lanes are not listed beside the pool (it carries them in replays too), so
// undo and redo move each of them once.
TEST_F(SwimPoolLanes, UndoAndRedoOfAPoolMoveMoveEachLaneOnce) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 10000, 40000, 0), 0);
  SSymSwim* a = Lane(SSymRect(0, 10000, 40000, 0));
  SSymSwim* b = Lane(SSymRect(0, 20000, 40000, 10000));
  static_cast<ISSymOwner*>(pool)->Add(a->Sym());
  static_cast<ISSymOwner*>(pool)->Add(b->Sym());
  ASSERT_TRUE(a->GetColnSym() && b->GetColnSym());
  std::vector<ISSymbol*> all = {pool->Sym(), a->Sym(), b->Sym(), a->GetColnSym(), b->GetColnSym()};
  std::vector<SSymRect> before;
  for (ISSymbol* s : all) before.push_back(Rect(s));
  auto at = [&](LONG dx, LONG dy, const char* when) {
    for (size_t i = 0; i < all.size(); ++i) {
      SSymRect r = before[i];
      r.OffsetRect(dx, dy);
      EXPECT_EQ(Rect(all[i]), r) << when << " " << i;
    }
  };
  {
    SRepCreateContext step(Session());
    ASSERT_EQ(pool->MoveBy(SSymSize(-400, 900), 0), S_OK);
    auto* move = dynamic_cast<SSymActionMove*>(step.GetContext()->GetLastAction());
    ASSERT_NE(move, nullptr);
    EXPECT_FALSE(move->Contains(a->Sym()));
  }
  at(-400, 900, "moved");
  ASSERT_EQ(m_session->Undo(), S_OK);
  at(0, 0, "undone");
  ASSERT_EQ(m_session->Redo(), S_OK);
  at(-400, 900, "redone");
}

}  // namespace
