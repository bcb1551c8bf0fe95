// The guard that suspends composite growth: registration counts, Done, and
// the library-wide switch.
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

}  // namespace
