#include <gtest/gtest.h>

#include "sym/foundation/symallowopt.h"
#include "sym/foundation/symformat.h"

TEST(SSymFormat, DefaultsAndPresets) {
  SSymFormat f;
  EXPECT_EQ(f.m_pen, SSymPen(1, 0, SSymColor(0xFF0000)));
  EXPECT_EQ(f.m_arrows[0] + f.m_arrows[1] + f.m_arrows[2], 72);
  EXPECT_EQ(f.m_fill, 1);
  EXPECT_EQ(f.m_brush, SSymBrush());
  EXPECT_EQ(f.m_shadowColor.GetColor(), 0xC0C0C0u);
  EXPECT_EQ(f.m_textStyle, 0x211);
  EXPECT_EQ(f.m_textFlag, 1);
  EXPECT_TRUE(f.m_fonts.IsEmpty());

  SSymFonts entry;
  entry.m_name = SString("Title");
  f.m_fonts.Add(entry);
  f.m_pen = SSymPen(3, 40, SSymColor(1));
  f.m_margins[2] = 9;
  f.SetLineFormat();
  EXPECT_EQ(f.m_fonts.GetCount(), 1);  // fonts kept
  EXPECT_EQ(f.m_pen, SSymPen(1, 0, SSymColor(0xFF0000)));
  EXPECT_EQ(f.m_fill, 0);
  EXPECT_EQ(f.m_brush.GetStyle(), 4);
  EXPECT_EQ(f.m_textFlag, 0);
  EXPECT_EQ(f.m_margins[2], 0);
  f.SetSolidFormat();
  EXPECT_EQ(f.m_fill, 1);
  EXPECT_EQ(f.m_brush.GetStyle(), 1);
  EXPECT_EQ(f.m_textFlag, 1);
  EXPECT_EQ(f.m_size, SSymSize(3600, 2400));
  EXPECT_EQ(f.m_size2, SSymSize(3600, 2400));

  SSymFormatEx ex(f);
  EXPECT_EQ(ex.m_fonts, f.m_fonts);
  EXPECT_EQ(ex.m_flags, 0u);
  EXPECT_GE(ex.m_points.capacity(), 8u);

  SSymBrush hatched(3, SSymColor(0x10));
  hatched.GetSymFormat(f);
  EXPECT_EQ(f.m_brush, hatched);
  EXPECT_EQ(SSymBrush(f), hatched);
  f.m_fill = 0;
  SSymBrush(4, 0, SSymColor(0)).GetSymFormat(f);
  EXPECT_EQ(f.m_fill, 0);  // a hollow brush leaves the fill flag
}

TEST(SSymFormatEx, FlagsFromTheOptionText) {
  const DWORD allValues = 0x1F80 | 0x7 | 0x8 | 0x30 | 0x4000 | 0x2000 | 0x18000;
  struct {
    const char* text;
    DWORD flags, updated;
  } cases[] = {
      {"", allValues | 0x20000, 0x20000},
      {"LINE A\r\nFILL N", (allValues & ~0x8u) | 0x80000 | 0x20000, 0x7 | 0x80000 | 0x20000},
      {"SIZE A\nSHADOW A\nCONTENT A", allValues | 0x40000 | 0x200000 | 0x1000000 | 0x20000,
       0x1F80 | 0x30 | 0x18000 | 0x40000 | 0x200000 | 0x1000000 | 0x20000},
      {"FONT N\r\n\r\nSHAPE A", (allValues & ~0x4000u) | 0x800000 | 0x20000, 0x2000 | 0x800000 | 0x20000},
  };
  for (const auto& c : cases) {
    SSymFormatEx ex;
    ex.m_flags = 0x40 | 0x80000000u | 0x400000;  // fonts bit and high bits stay; a stale mark goes
    ex.InitFlagFromOption(SString(c.text));
    EXPECT_EQ(ex.m_flags, c.flags | 0x40 | 0x80000000u) << c.text;
    ex.UpdateFlags();
    EXPECT_EQ(ex.m_flags, c.updated | 0x40 | 0x80000000u) << c.text;
  }
}

TEST(SSymAllowOption, TextFormBothWays) {
  SSymAllowOption a;
  EXPECT_EQ(a.GetAsString(), "");
  a.SetFromString(SString(""));
  for (DWORD c : a.m_category) EXPECT_EQ(c, 3u);
  a.m_category[SSymAllowOption::LINE] = 1;
  a.m_category[SSymAllowOption::FONT] = 0;
  EXPECT_EQ(a.GetAsString(), "LINE A\r\nFONT N");

  struct {
    const char* text;
    DWORD expected[7];
  } cases[] = {
      {"LINE A\r\nFONT N", {3, 1, 3, 3, 2, 3, 3}},
      {"FONT N\r\nLINE A", {3, 3, 3, 3, 2, 3, 3}},   // LINE comes earlier: reading ends
      {"FILL X\r\nFILL N", {3, 3, 3, 3, 3, 3, 3}},   // other word: nothing, but FILL is passed
      {"BOGUS\r\nSIZE N", {3, 3, 3, 3, 3, 3, 3}},    // no keyword ends the reading
      {"LINE\r\nCONTENT A", {3, 3, 3, 3, 3, 3, 1}},  // one word: that category, nothing else
      {"CONTENT N\r\nSIZE N", {3, 3, 3, 3, 3, 3, 2}},
  };
  for (const auto& c : cases) {
    SSymAllowOption o;
    o.m_mask = 0x123;
    o.SetFromString(SString(c.text));
    for (int i = 0; i < 7; ++i) EXPECT_EQ(o.m_category[i], c.expected[i]) << c.text << " category " << i;
    EXPECT_EQ(o.m_mask, 0x123u);
  }
  SSymAllowOption m;
  m.SetAllFlags();
  EXPECT_EQ(m.m_mask, 0xDFFu);
  m.InitAllFlags();
  EXPECT_EQ(m.m_mask, 0u);
}
