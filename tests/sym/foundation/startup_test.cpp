// Start-up statics of the frame: the mouse-wheel message of the views, the
// display preferences' request for a new id, and the unload terminator
// slots that later subsystems fill.
#include <gtest/gtest.h>

#include "sym/diagram/symprefshowcoll.h"
#include "sym/foundation/symstartupstatics.h"
#include "sym/foundation/symterminators.h"
#include "win/winloader.h"
#include "win/winversion.h"

namespace {

struct WheelCase {
  const char* name;
  DWORD platform, major;
  bool wheel;  // 522, else the registered message
};
class MouseWheel : public ::testing::TestWithParam<WheelCase> {};

TEST_P(MouseWheel, MessageNumberByPlatform) {
  const WheelCase& c = GetParam();
  const UINT registered = RegisterWindowMessageW(u"MSWHEEL_ROLLMSG");
  ASSERT_NE(registered, 0u);
  EXPECT_EQ(SSymMouseWheelMessageFor(c.platform, c.major), c.wheel ? 522u : registered);
}

INSTANTIATE_TEST_SUITE_P(Platforms, MouseWheel,
                         ::testing::Values(WheelCase{"NT4", VER_PLATFORM_WIN32_NT, 4, true},
                                           WheelCase{"NT3", VER_PLATFORM_WIN32_NT, 3, false},
                                           WheelCase{"Windows5", VER_PLATFORM_WIN32_WINDOWS, 5, true},
                                           WheelCase{"Windows4", VER_PLATFORM_WIN32_WINDOWS, 4, false},
                                           WheelCase{"Win32s", VER_PLATFORM_WIN32s, 3, false},
                                           WheelCase{"NT10", VER_PLATFORM_WIN32_NT, 10, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StartUpStatics, KeptAtStartUp) {
  // This platform is of the NT family, major version 10.
  EXPECT_EQ(SSymGetMouseWheelMessage(), 522u);
  EXPECT_EQ(SPrefShowColl::g_szNewCodeRequest, SString("<NewOIDRequested>"));
}

TEST(StartUpStatics, VersionRecord) {
  OSVERSIONINFOW info{};
  EXPECT_FALSE(GetVersionExW(&info)) << "the size field must be set";
  EXPECT_FALSE(GetVersionExW(nullptr));
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionExW(&info));
  EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
  EXPECT_EQ(info.dwMajorVersion, 10u);
  KvSetVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 10);
  ASSERT_TRUE(GetVersionExW(&info));
  EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_WINDOWS);
  EXPECT_EQ(SSymMouseWheelMessageFor(info.dwPlatformId, info.dwMajorVersion),
            RegisterWindowMessageW(u"MSWHEEL_ROLLMSG"));
  KvResetVersion();
}

TEST(StartUpStatics, TerminatorSlotsInOrder) {
  // The rendering subsystem fills its slot; the others run their stand-ins
  // until their subsystems land, and every slot runs without failing.
  const char* names[] = {"TerminateSymArrow", "TerminatePictureManager", "TerminateSharedDC", "TerminateSwimSelection"};
  for (int i = 0; i < SSymTerminatorSlotCount; ++i)
    EXPECT_STREQ(SSymTerminatorName(static_cast<SSymTerminatorSlot>(i)), names[i]);
  EXPECT_STREQ(SSymTerminatorName(static_cast<SSymTerminatorSlot>(7)), "");
  SSymRunTerminator(static_cast<SSymTerminatorSlot>(-1));  // out of range: nothing
}

}  // namespace
