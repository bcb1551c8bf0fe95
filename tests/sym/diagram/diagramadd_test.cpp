// Where Add puts what comes to a diagram with swimlane pools: a lane into
// the diagram's pool, a lane group into the pool under it or a pool of its
// own, a shape drawn inside a lane into that lane; a new pool lines up with
// the first below its heading band; an attached pool turns to the lanes'
// orientation of the preferences. Symbols of other sessions and deleted
// ones are refused with nothing placed.
#include <gtest/gtest.h>

#include "kvcore/sexceptiondlg.h"
#include "kvcore/sexceptionhook.h"
#include "sym/composite/symswimgroup.h"
#include "sym/foundation/sdsym.h"
#include "sym/symbol/symcoll.h"
#include "support/swim_fixture.h"

namespace {

// A lane that holds children and takes those dropped inside it.
class TDropLane : public TSwimLane {
 public:
  using TSwimLane::TSwimLane;
  int IsPtInLane(const SSymPoint& pt) override { return Sym()->GetClipRect(0, 0).PtInRect(pt) ? 1 : 0; }
};

// A pool as AttachSymbol sees it: its orientation and the turns asked of it.
class TTurnPool : public SRepFaces<TTurnPool, TSym, ISSymSwimPool> {
 public:
  TTurnPool(ISRepSession* s, SSymRect r, int vertical) : SRepFaces(s, r), m_vertical(vertical) {
    m_symType = SSymSwimLane::TypeCode;
  }
  int IsVertical() override { return m_vertical; }
  void ChangeOrientation() override {
    ++m_turns;
    m_vertical = !m_vertical;
  }
  void GetNewSwimlaneRect(SSymRect&) override {}
  ISSymbol* GetLineSym() override { return nullptr; }
  void ArrangeLanes(int) override {}
  void GetAllChildrenSym(SUnsortedComBag<ISSymbol>&, int) override {}
  int m_vertical;
  int m_turns = 0;
};

class DiagramAdd : public SwimFixture {
 protected:
  void SetUp() override {
    SwimFixture::SetUp();
    SetVertical(1);
  }
  void TearDown() override {
    for (SRepObject* o : m_foreign) o->Release();
    if (m_other) m_other->Release();
    SwimFixture::TearDown();
  }
  int Pools() { return m_d->GetSwimLaneList().GetCount(); }
  // A symbol made in a second session.
  template <class T, class... A>
  T* Foreign(A... args) {
    if (!m_other) {
      m_other = new SRepSession();
      m_other->AddRef();
    }
    T* t = new T(static_cast<ISRepSession*>(m_other), args...);
    t->AddRef();
    t->SetSession(m_other);
    m_foreign.push_back(t);
    return t;
  }
  SSymSwimGroup* Group(const SSymRect& r) {
    SSymSwimGroup* g = Make<SSymSwimGroup>();
    g->PutRect(r);
    return g;
  }
  static ISSymbol* OwnerOf(ISSymbol* s) {
    SComOut<ISSymOwner> owner;
    if (s->GetOwner(&owner) != S_OK || !owner) return nullptr;
    return SComWrap<ISSymbol>(owner.Get()).Get();
  }

  SRepSession* m_other = nullptr;
  std::vector<SRepObject*> m_foreign;
};

// A lane goes into the diagram's pool, at its end, never among the
// diagram's own symbols; without a pool the diagram gets one for it.
TEST_F(DiagramAdd, ALaneJoinsThePoolOrBringsOne) {
  SSymSwim* alone = LibLane(SSymRect(0, 30000, 8000, 0));
  EXPECT_EQ(m_d->Add(alone->Sym()), S_OK);
  ASSERT_EQ(Pools(), 1);
  ISSymbol* pool = m_d->GetSwimLaneList().GetAt(0);
  EXPECT_EQ(alone->GetPoolSym(), pool);
  EXPECT_EQ(m_d->GetPos(alone->Sym()), -1);

  SSymSwim* next = LibLane(SSymRect(50000, 30000, 58000, 0));
  EXPECT_EQ(m_d->Add(next->Sym()), S_OK);
  EXPECT_EQ(Pools(), 1);
  EXPECT_EQ(next->GetPoolSym(), pool);
  EXPECT_EQ(CountOf(SSymSwimLane::FromInterface(pool)), 2);
  EXPECT_EQ(Rect(next->Sym()).x1, Rect(alone->Sym()).x2);  // after the first
}

// A lane group goes into the first pool that groups as the user chose and
// lies under it; elsewhere it gets a pool of its own, made on its rectangle.
TEST_F(DiagramAdd, ALaneGroupGoesIntoThePoolUnderItOrAPoolOfItsOwn) {
  SSymSwimLane* byParents = NewPool(SSymRect(0, 30000, 20000, 0), 1);
  byParents->m_nGroupType = 1;
  SSymSwimLane* user = NewPool(SSymRect(0, 30000, 20000, 0), 1);
  ASSERT_EQ(Pools(), 2);

  SSymSwimGroup* over = Group(SSymRect(2000, 28000, 6000, 2000));
  EXPECT_EQ(m_d->Add(over->Sym()), S_OK);
  EXPECT_EQ(OwnerOf(over->Sym()), user->Sym());
  EXPECT_EQ(CountOf(byParents), 0);
  EXPECT_EQ(m_d->GetPos(over->Sym()), -1);

  SSymSwimGroup* away = Group(SSymRect(90000, 28000, 96000, 2000));
  EXPECT_EQ(m_d->Add(away->Sym()), S_OK);
  ASSERT_EQ(Pools(), 3);
  ISSymbol* made = m_d->GetSwimLaneList().GetAt(2);
  EXPECT_EQ(OwnerOf(away->Sym()), made);
  EXPECT_GE(m_d->GetPos(made), 0);
  EXPECT_TRUE(Rect(made).Intersects(SSymRect(90000, 28000, 96000, 2000)));
}

TEST_F(DiagramAdd, ALaneGroupNeedsADiagramTypeWithSwimlanes) {
  TPrefDiagram* plain = NewDiagram();
  SSymSwimGroup* g = Group(SSymRect(0, 8000, 4000, 0));
  EXPECT_EQ(plain->Add(g->Sym()), S_FALSE);
  EXPECT_EQ(plain->GetSwimLaneList().GetCount(), 0);
  EXPECT_EQ(plain->GetCount(), 0);
  EXPECT_EQ(OwnerOf(g->Sym()), nullptr);
}

// A shape a tool draws inside a lane becomes the lane's child, also in a
// lane of a lane group; one drawn beside the lanes lies below the pools.
TEST_F(DiagramAdd, AShapeDrawnInALaneBecomesItsChild) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 30000, 40000, 0), 1);
  TDropLane* lane = Make<TDropLane>(SSymRect(0, 30000, 20000, 0));
  ASSERT_EQ(static_cast<ISSymOwner*>(pool)->Add(lane->Sym()), S_OK);
  SetSymFirstCreation drawing(true);

  TSym* inside = Make<TSym>(SSymRect(4000, 12000, 8000, 8000));
  EXPECT_EQ(m_d->Add(inside->Sym()), S_OK);
  EXPECT_EQ(OwnerOf(inside->Sym()), lane->Sym());
  EXPECT_EQ(m_d->GetPos(inside->Sym()), -1);

  TSym* beside = Make<TSym>(SSymRect(60000, 12000, 64000, 8000));
  EXPECT_EQ(m_d->Add(beside->Sym()), S_OK);
  EXPECT_EQ(m_d->GetPos(beside->Sym()), 0);
  EXPECT_EQ(m_d->GetPos(pool->Sym()), 1);
}

TEST_F(DiagramAdd, AShapeDrawnInAGroupedLaneBecomesItsChild) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 30000, 40000, 0), 1);
  TDropLane* first = Make<TDropLane>(SSymRect(0, 30000, 20000, 0));
  TDropLane* second = Make<TDropLane>(SSymRect(20000, 30000, 40000, 0));
  ASSERT_EQ(static_cast<ISSymOwner*>(pool)->Add(first->Sym()), S_OK);
  ASSERT_EQ(static_cast<ISSymOwner*>(pool)->Add(second->Sym()), S_OK);
  SSymCollection both;
  both.Add(first->Sym());
  both.Add(second->Sym());
  ASSERT_EQ(pool->CreateUserGroup(both), S_OK);
  ASSERT_NE(OwnerOf(second->Sym()), pool->Sym());  // in the group

  SetSymFirstCreation drawing(true);
  const SSymRect r = Rect(second->Sym());
  const SSymPoint c((r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2);
  TSym* shape = Make<TSym>(SSymRect(c.x - 1000, c.y + 1000, c.x + 1000, c.y - 1000));
  EXPECT_EQ(m_d->Add(shape->Sym()), S_OK);
  EXPECT_EQ(OwnerOf(shape->Sym()), second->Sym());
}

// A new pool spans the first pool's length below its heading band and
// lines up with its far edge.
TEST_F(DiagramAdd, ANewPoolLinesUpBelowTheFirstPoolsHeading) {
  SSymSwimLane* first = NewPool(SSymRect(0, 30000, 20000, 0), 1);
  const LONG heading = first->GetHeadHeight();
  ASSERT_GT(heading, 0);
  SSymSwimLane* added = NewPool(SSymRect(30000, 20000, 50000, 5000), 1);
  const SSymRect r = Rect(added->Sym());
  EXPECT_EQ(r.y2, 0);
  EXPECT_EQ(r.y1, 30000 - heading);
  EXPECT_EQ(Rect(first->Sym()), SSymRect(0, 30000, 20000, 0));
}

// A pool of the other orientation turns once on being attached, when it is
// at least 70 across; a thinner one, or one already in the preferences'
// orientation, keeps its orientation.
TEST_F(DiagramAdd, AnAttachedPoolTurnsToThePreferencesOrientation) {
  const struct {
    const char* name;
    int prefsVertical, poolVertical;
    SSymRect rect;
    int turns;
  } cases[] = {
      {"vertical pool 70 wide", 0, 1, {0, 10000, 70, 0}, 1},
      {"vertical pool 69 wide", 0, 1, {0, 10000, 69, 0}, 0},
      {"horizontal pool 70 high", 1, 0, {0, 70, 10000, 0}, 1},
      {"same orientation", 1, 1, {0, 10000, 5000, 0}, 0},
  };
  for (const auto& c : cases) {
    FreshDiagram();
    SetVertical(c.prefsVertical);
    TTurnPool* pool = Make<TTurnPool>(c.rect, c.poolVertical);
    EXPECT_EQ(m_d->AttachSymbol(pool->Sym(), 0), pool->Sym()) << c.name;
    EXPECT_EQ(pool->m_turns, c.turns) << c.name;
    EXPECT_GE(m_d->GetPos(pool->Sym()), 0) << c.name;
  }
}

// Symbols of another session and deleted ones are refused; nothing of them
// lands anywhere and no pool is made for them.
TEST_F(DiagramAdd, ForeignAndDeletedSymbolsAreRefusedWithNothingPlaced) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 30000, 20000, 0), 1);
  const struct {
    const char* name;
    ISSymbol* symbol;
    HRESULT expected;
  } cases[] = {
      {"foreign shape", Foreign<TSym>()->Sym(), E_INVALIDARG},
      {"foreign lane", Foreign<SSymSwim>()->Sym(), E_INVALIDARG},
      {"foreign group", Foreign<SSymSwimGroup>()->Sym(), E_INVALIDARG},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(m_d->Add(c.symbol), c.expected) << c.name;
    EXPECT_EQ(Pools(), 1) << c.name;
    EXPECT_EQ(CountOf(pool), 0) << c.name;
    EXPECT_EQ(m_d->GetCount(), 1) << c.name;
  }
  for (SRepObject* o : m_foreign) {
    if (SSymSwim* l = dynamic_cast<SSymSwim*>(o)) {
      EXPECT_EQ(l->GetPoolSym(), nullptr);
    }
  }

  SSymSwim* gone = LibLane(SSymRect(0, 30000, 8000, 0));
  gone->Delete();
  EXPECT_EQ(m_d->Add(gone->Sym()), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(CountOf(pool), 0);
  TSym* goneShape = Make<TSym>();
  goneShape->Delete();
  EXPECT_EQ(m_d->Add(goneShape->Sym()), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(m_d->GetCount(), 1);
}

// A deleted pool takes nothing any more: a lane or a group that comes
// after it goes to a live pool or a new one.
TEST_F(DiagramAdd, ADeletedPoolTakesNothing) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 30000, 20000, 0), 1);
  ASSERT_EQ(pool->Delete(), S_OK);
  ASSERT_EQ(Pools(), 0);
  SSymSwimGroup* g = Group(SSymRect(2000, 28000, 6000, 2000));
  EXPECT_EQ(m_d->Add(g->Sym()), S_OK);
  ASSERT_EQ(Pools(), 1);
  EXPECT_NE(OwnerOf(g->Sym()), pool->Sym());
  SSymSwim* lane = LibLane(SSymRect(0, 30000, 8000, 0));
  EXPECT_EQ(m_d->Add(lane->Sym()), S_OK);
  EXPECT_EQ(lane->GetPoolSym(), m_d->GetSwimLaneList().GetAt(0));
}

}  // namespace
