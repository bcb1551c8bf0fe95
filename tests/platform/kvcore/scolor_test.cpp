#include <gtest/gtest.h>

#include <cmath>

#include "kvcore/scolor.h"

TEST(SColor, TextFormBothWays) {
  EXPECT_EQ(SColor(0x00804020u).GetAsString(), "32, 64, 128");
  struct {
    const char* text;
    DWORD value;
    bool ok;
  } cases[] = {
      {"255, 255, 255", 0xFFFFFF, true}, {"1,2,3", 0x030201, true},     {" 10 20 30 \r\n", 0x1E140A, true},
      {"256, 0, 0", 0xFF000000, false},  {"1, 2", 0xFF000000, false},   {"1, 2, 3, 4", 0xFF000000, false},
      {"red", 0xFF000000, false},        {"", 0xFF000000, false},       {"1, 2, -3", 0xFF000000, false},
      {"1,,2,3", 0xFF000000, false},     {"1, 2, 3,", 0xFF000000, false},
  };
  for (const auto& c : cases) {
    SColor color(0x123456u);
    EXPECT_EQ(color.SetAsString(SString(c.text), 0xFF000000), c.ok) << c.text;
    EXPECT_EQ(color.GetColor(), c.value) << c.text;
  }
  EXPECT_EQ(SColor(SString("bad")).GetColor(), 0u);
  EXPECT_EQ(SColor(SString("bad"), 0xFF000000).GetColor(), 0xFF000000u);
  EXPECT_EQ(SColor(SColor::Olive).GetColor(), 0x008080u);
}

TEST(SColor, HueSaturationLightness) {
  struct {
    DWORD color;
    double h, s, l;
  } cases[] = {{0x000000, 0, 0, 0},          {0xFFFFFF, 0, 0, 1},         {0x0000FF, 0, 1, 0.5},
               {0x00FF00, 1.0 / 3, 1, 0.5}, {0xFF0000, 2.0 / 3, 1, 0.5}, {0x808080, 0, 0, 128 / 255.0}};
  for (const auto& c : cases) {
    double h, s, l;
    SColor(c.color).GetHSLColor(h, s, l);
    EXPECT_NEAR(h, c.h, 1e-9) << std::hex << c.color;
    EXPECT_NEAR(s, c.s, 1e-9) << std::hex << c.color;
    EXPECT_NEAR(l, c.l, 1e-9) << std::hex << c.color;
  }
  // Every colour of a coarse grid survives the round trip.
  for (DWORD r = 0; r < 256; r += 51)
    for (DWORD g = 0; g < 256; g += 17)
      for (DWORD b = 0; b < 256; b += 85) {
        const DWORD word = r | (g << 8) | (b << 16);
        double h, s, l;
        SColor(word).GetHSLColor(h, s, l);
        SColor back;
        back.SetHSLColor(h, s, l);
        EXPECT_EQ(back.GetColor(), word);
      }
}
