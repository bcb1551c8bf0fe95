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
  // A damaged option text leaves the flags as they were.
  SSymFormatEx damaged;
  damaged.m_flags = 0x40;
  damaged.InitFlagFromOption(SString("LINE A\r\nFONT Q"));
  EXPECT_EQ(damaged.m_flags, 0x40u);
}

TEST(SSymAllowOption, TextFormBothWays) {
  SSymAllowOption a;
  EXPECT_EQ(a.GetAsString(), "");
  EXPECT_EQ(a.SetFromString(SString("")), SSymAllowOption::ReadOk);
  for (DWORD c : a.m_category) EXPECT_EQ(c, 3u);
  a.m_category[SSymAllowOption::LINE] = 1;
  a.m_category[SSymAllowOption::FONT] = 2;
  EXPECT_EQ(a.GetAsString(), "LINE A\r\nFONT N");
  // A category neither applied nor modifiable has its own word, so that it
  // does not come back modifiable.
  a.m_category[SSymAllowOption::FONT] = 0;
  EXPECT_EQ(a.GetAsString(), "LINE A\r\nFONT NA");

  struct {
    const char* text;
    DWORD expected[7];
  } cases[] = {
      {"LINE A\r\nFONT N", {3, 1, 3, 3, 2, 3, 3}},
      {"LINE A\r\nFONT NA", {3, 1, 3, 3, 0, 3, 3}},
      {"SIZE N\n\n\nCONTENT A\r\n", {2, 3, 3, 3, 3, 3, 1}},  // empty lines and LF alone
      {"  SHADOW \t N  ", {3, 3, 3, 2, 3, 3, 3}},
  };
  for (const auto& c : cases) {
    SSymAllowOption o;
    o.m_mask = 0x123;
    EXPECT_EQ(o.SetFromString(SString(c.text)), SSymAllowOption::ReadOk) << c.text;
    for (int i = 0; i < 7; ++i) EXPECT_EQ(o.m_category[i], c.expected[i]) << c.text << " category " << i;
    EXPECT_EQ(o.m_mask, 0x123u);
  }
  SSymAllowOption m;
  m.SetAllFlags();
  EXPECT_EQ(m.m_mask, 0xDFFu);
  m.InitAllFlags();
  EXPECT_EQ(m.m_mask, 0u);
}

// A damaged text is refused whole: the categories read before the damaged
// line are not kept either.
TEST(SSymAllowOption, DamagedTextsChangeNothing) {
  using R = SSymAllowOption::ReadResult;
  struct {
    const char* text;
    R result;
    int line;
  } cases[] = {
      {"FONT N\r\nLINE A", SSymAllowOption::ReadOutOfOrder, 2},
      {"FILL N\r\nFILL A", SSymAllowOption::ReadOutOfOrder, 2},
      {"BOGUS\r\nSIZE N", SSymAllowOption::ReadUnknownKeyword, 1},
      {"SIZE N\r\nline A", SSymAllowOption::ReadUnknownKeyword, 2},
      {"LINE\r\nCONTENT A", SSymAllowOption::ReadMissingRestriction, 1},
      {"FILL X", SSymAllowOption::ReadUnknownRestriction, 1},
      {"FILL n", SSymAllowOption::ReadUnknownRestriction, 1},
      {"SIZE A\nSHADOW A B", SSymAllowOption::ReadExtraWords, 2},
      {"CONTENT N\r\nSIZE N", SSymAllowOption::ReadOutOfOrder, 2},
  };
  for (const auto& c : cases) {
    SSymAllowOption o;
    o.m_category[SSymAllowOption::SHAPE] = 1;
    int line = -1;
    EXPECT_EQ(o.SetFromString(SString(c.text), &line), c.result) << c.text;
    EXPECT_EQ(line, c.line) << c.text;
    for (int i = 0; i < 7; ++i) EXPECT_EQ(o.m_category[i], i == SSymAllowOption::SHAPE ? 1u : 3u) << c.text;
  }
}
