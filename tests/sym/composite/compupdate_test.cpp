// The guard that suspends composite growth: registration counts, Done, and
// the library-wide switch; and the test that a symbol lies within the inner
// areas of the composites above it.
#include <gtest/gtest.h>

#include "support/comp_fixture.h"

namespace {

using CompUpdate = CompFixture;

TEST_F(CompUpdate, NullCompositeTouchesOnlyTheSwitch) {
  ISSymCompSym* a = NewComp(&TCompSym::DefaultDef())->CompSym();
  EXPECT_FALSE(SSymCompUpdate::CanUpdate(a));
  {
    SSymCompUpdate all(nullptr, true);
    EXPECT_TRUE(SSymCompUpdate::IsAllSuspended());
    EXPECT_TRUE(SSymCompUpdate::CanUpdate(a));
    EXPECT_EQ(SSymCompUpdate::GetCount(a), 0u);
  }
  EXPECT_FALSE(SSymCompUpdate::IsAllSuspended());
  EXPECT_FALSE(SSymCompUpdate::CanUpdate(a));
}

TEST_F(CompUpdate, DoneReleasesOnceAndTheEndNothingMore) {
  ISSymCompSym* a = NewComp(&TCompSym::DefaultDef())->CompSym();
  ISSymCompSym* b = NewComp(&TCompSym::DefaultDef())->CompSym();
  {
    SSymCompUpdate guard(a, false);
    EXPECT_TRUE(SSymCompUpdate::CanUpdate(a));
    EXPECT_FALSE(SSymCompUpdate::CanUpdate(b));  // only the named composite
    guard.Done();
    EXPECT_FALSE(SSymCompUpdate::CanUpdate(a));
    guard.Done();
    EXPECT_EQ(SSymCompUpdate::GetCount(a), 0u);
  }
  EXPECT_EQ(SSymCompUpdate::GetCount(a), 0u);
}

// Done of the inner guard lets go of its own registration only: the outer
// guard keeps the composite suspended until it ends.
TEST_F(CompUpdate, NestedGuardsKeepTheirOwnRegistrations) {
  ISSymCompSym* a = NewComp(&TCompSym::DefaultDef())->CompSym();
  {
    SSymCompUpdate outer(a, false);
    {
      SSymCompUpdate inner(a, false);
      EXPECT_EQ(SSymCompUpdate::GetCount(a), 2u);
      inner.Done();
      EXPECT_EQ(SSymCompUpdate::GetCount(a), 1u);
    }
    EXPECT_TRUE(SSymCompUpdate::CanUpdate(a));
  }
  EXPECT_FALSE(SSymCompUpdate::CanUpdate(a));
}

// A guard made with false inside one made with true keeps every composite
// suspended; the switch is lifted when the outer guard ends.
TEST_F(CompUpdate, SwitchIsRestoredInScopeOrder) {
  ISSymCompSym* a = NewComp(&TCompSym::DefaultDef())->CompSym();
  {
    SSymCompUpdate outer(nullptr, true);
    {
      SSymCompUpdate inner(a, false);
      EXPECT_TRUE(SSymCompUpdate::IsAllSuspended());
    }
    EXPECT_TRUE(SSymCompUpdate::IsAllSuspended());
  }
  EXPECT_FALSE(SSymCompUpdate::IsAllSuspended());
  EXPECT_FALSE(SSymCompUpdate::CanUpdate(a));
}

// A composite whose owner a test sets, to make owner links that loop.
class TLoopComp : public TComp {
 public:
  using TComp::TComp;
  HRESULT GetOwner(ISSymOwner** out) override {
    if (!out) return E_POINTER;
    *out = m_owner;
    if (m_owner) m_owner->AddRef();
    return S_OK;
  }
  ISSymOwner* m_owner = nullptr;  // not counted
};

// Nested composites: outer (0..48000 x 0..36000) in the diagram, inner
// (10000..30000 x 5000..20000) in outer.
class CompAncestors : public CompFixture {
 protected:
  void SetUp() override {
    CompFixture::SetUp();
    outer = Place<TComp>(DiagramOwner(), SSymRect(0, 36000, 48000, 0));
    inner = Place<TComp>(static_cast<ISSymOwner*>(outer), SSymRect(10000, 20000, 30000, 5000));
  }
  int InInner(SSymRect r) {
    TSym* s = Place<TSym>(static_cast<ISSymOwner*>(inner), r);
    return IsSymInCompAncestors(s->Sym(), inner->Sym());
  }
  TComp* outer = nullptr;
  TComp* inner = nullptr;
};

TEST_F(CompAncestors, ChildMustMeetEveryInnerArea) {
  struct Case {
    const char* what;
    SSymRect rect;
    int expected;
  };
  const Case cases[] = {
      {"well inside", SSymRect(12000, 18000, 16000, 8000), 1},
      {"crossing the inner edge", SSymRect(29000, 18000, 34000, 8000), 1},
      {"outside the inner composite", SSymRect(32000, 18000, 36000, 8000), 0},
      {"within the inset of the left edge", SSymRect(10000, 18000, 10070, 8000), 0},
      {"just past the inset", SSymRect(10000, 18000, 10080, 8000), 1},
      {"within the inset of the top edge", SSymRect(12000, 20000, 16000, 19930), 0},
      {"outside the outer composite too", SSymRect(50000, 18000, 52000, 8000), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(InInner(c.rect), c.expected) << c.what;
}

TEST_F(CompAncestors, OuterInsetAlsoCounts) {
  // A composite that juts out of the outer one: a child well inside its own
  // inner area but within the outer composite's edge band is not inside.
  TComp* edge = Place<TComp>(static_cast<ISSymOwner*>(outer), SSymRect(-4000, 36000, 4000, 30000));
  TSym* s = Place<TSym>(static_cast<ISSymOwner*>(edge), SSymRect(10, 35000, 60, 31000));
  EXPECT_EQ(IsSymInCompAncestors(s->Sym(), edge->Sym()), 0);
  TSym* t = Place<TSym>(static_cast<ISSymOwner*>(edge), SSymRect(1000, 35000, 3000, 31000));
  EXPECT_EQ(IsSymInCompAncestors(t->Sym(), edge->Sym()), 1);
}

TEST_F(CompAncestors, StartsOutsideCompositesAndBadInput) {
  TSym* free = Place<TSym>(DiagramOwner(), SSymRect(100000, 3600, 104800, 0));
  EXPECT_EQ(IsSymInCompAncestors(free->Sym(), free->Sym()), 1);  // no composite above
  EXPECT_EQ(IsSymInCompAncestors(free->Sym(), nullptr), 1);
  EXPECT_EQ(IsSymInCompAncestors(nullptr, inner->Sym()), 0);
  // Far outside the composites named by the start.
  EXPECT_EQ(IsSymInCompAncestors(free->Sym(), inner->Sym()), 0);
}

TEST_F(CompAncestors, OwnerLinksThatLoopEndTheWalk) {
  TLoopComp* a = Make<TLoopComp>(SSymRect(0, 36000, 48000, 0));
  TLoopComp* b = Make<TLoopComp>(SSymRect(0, 36000, 48000, 0));
  a->m_owner = b;
  b->m_owner = a;
  TSym* s = Make<TSym>(SSymRect(1000, 30000, 2000, 20000));
  EXPECT_EQ(IsSymInCompAncestors(s->Sym(), a->Sym()), 1);
  b->PutRect(SSymRect(5000, 36000, 48000, 0));
  EXPECT_EQ(IsSymInCompAncestors(s->Sym(), a->Sym()), 0);  // b, met through a, is still tested
  a->m_owner = b->m_owner = nullptr;
}

}  // namespace
