#include <gtest/gtest.h>

#include "sym/symbol/symintfcapture.h"
#include "win/winuser.h"

namespace {

class MouseFlagsTest : public ::testing::Test {
 protected:
  void SetUp() override { KvWindowsReset(); }
  void TearDown() override { KvWindowsReset(); }
};

TEST_F(MouseFlagsTest, ASnapshotReadsEachKeyAndAMessageWordGainsOnlyAlt) {
  struct Case {
    int vk;
    UINT bit;
  } const cases[] = {
      {VK_LBUTTON, SMouseFlags::Left},   {VK_RBUTTON, SMouseFlags::Right},   {VK_SHIFT, SMouseFlags::Shift},
      {VK_CONTROL, SMouseFlags::Control}, {VK_MBUTTON, SMouseFlags::Middle}, {VK_MENU, SMouseFlags::Alt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.vk);
    KvSetKeyState(c.vk, true);
    EXPECT_EQ(SMouseFlags().GetFlags(), c.bit);
    // The message word is taken as it is; Alt is the one key added to it.
    EXPECT_EQ(SMouseFlags(UINT(MK_LBUTTON)).GetFlags(), c.vk == VK_MENU ? 1u | SMouseFlags::Alt : 1u);
    KvSetKeyState(c.vk, false, true);  // toggled but up: not down
    EXPECT_EQ(SMouseFlags().GetFlags(), 0u);
  }
  KvSetKeyState(VK_SHIFT, true);
  KvSetKeyState(VK_CONTROL, true);
  EXPECT_TRUE(SMouseFlags().Has(SMouseFlags::Shift | SMouseFlags::Control));
  EXPECT_FALSE(SMouseFlags().Has(SMouseFlags::Shift | SMouseFlags::Alt));
}

}  // namespace
