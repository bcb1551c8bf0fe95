#include <gtest/gtest.h>

#include "win/windef.h"

TEST(Guid, TextFormsRoundTrip) {
  constexpr GUID g = MakeGUID("{155E214F-0445-11D1-83D9-444553540000}");
  EXPECT_EQ(g.Data1, 0x155E214Fu);
  EXPECT_EQ(g.Data4[7], 0x00);
  EXPECT_EQ(GuidToString(g), "{155E214F-0445-11D1-83D9-444553540000}");
  GUID back{};
  ASSERT_TRUE(GuidFromString(std::string("155e214f-0445-11d1-83d9-444553540000"), &back));
  EXPECT_EQ(back, g);
  std::uint8_t bytes[16];
  GuidToBytes(g, bytes);
  EXPECT_EQ(bytes[0], 0x4F);
  EXPECT_EQ(bytes[3], 0x15);
  EXPECT_EQ(GuidFromBytes(bytes), g);
}

TEST(Guid, RejectsMalformedText) {
  GUID g{};
  for (const char* bad : {"", "{155E214F-0445-11D1-83D9-44455354000}", "{155E214F+0445-11D1-83D9-444553540000}",
                          "155E214F-0445-11D1-83D9-44455354000G", "{155E214F-0445-11D1-83D9-444553540000"})
    EXPECT_FALSE(GuidFromString(std::string(bad), &g)) << bad;
  EXPECT_FALSE(GuidFromString(std::string("{155E214F-0445-11D1-83D9-444553540000}"), nullptr));
}
