// Format records: the whole visual format of a symbol, and the extended
// record with its per-attribute flags and format option text.
#pragma once

#include <vector>

#include "sym/foundation/symgeom.h"
#include "sym/foundation/symvalues.h"

class SSymFormat {
 public:
  SSymFormat() = default;
  virtual ~SSymFormat() = default;
  SSymFormat(const SSymFormat&) = default;
  SSymFormat& operator=(const SSymFormat&) = default;

  // Presets; the font list is left as it is.
  void SetLineFormat();
  void SetSolidFormat();

  SSymPen m_pen{1, 0, SSymColor(0xFF0000)};
  LONG m_lineStyle = 0;
  LONG m_arrows[3] = {24, 24, 24};  // ends 4, 2 and 8
  LONG m_fill = 1;
  SSymBrush m_brush;
  SSymColor m_shadowColor{0xC0C0C0};
  LONG m_shadowStyle = 0;
  SSymLstFonts m_fonts;
  LONG m_textStyle = 0x211;
  LONG m_textFlag = 1;
  SSymSize m_size;
  SSymSize m_size2;
  LONG m_margins[5] = {0, 0, 0, 0, 0};
};

class SSymFormatEx : public SSymFormat {
 public:
  // Flag bits: which values of the record are meaningful.
  enum : DWORD {
    FlagPen = 0x1,
    FlagLineStyle = 0x2,
    FlagArrows = 0x4,
    FlagBrush = 0x8,
    FlagShadowColor = 0x10,
    FlagShadowStyle = 0x20,
    FlagFonts = 0x40,
    FlagTextStyle = 0x80,
    FlagMargin1 = 0x100,
    FlagMargin2 = 0x200,
    FlagMargin3 = 0x400,
    FlagSize1 = 0x800,
    FlagSize2 = 0x1000,
    FlagCustomShape = 0x2000,
    FlagFontCategory = 0x4000,
    FlagContent1 = 0x8000,
    FlagContent2 = 0x10000,
    FlagApplyMarks = 0x20000,
    MarkSize = 0x40000,
    MarkLine = 0x80000,
    MarkFill = 0x100000,
    MarkShadow = 0x200000,
    MarkFont = 0x400000,
    MarkShape = 0x800000,
    MarkContent = 0x1000000,
  };
  // Value bits and mark bit of each category, in the order SIZE, LINE, FILL,
  // SHADOW, FONT, SHAPE, CONTENT.
  static constexpr DWORD CategoryValueBits[7] = {0x1F80, 0x7, 0x8, 0x30, 0x4000, 0x2000, 0x18000};
  static constexpr DWORD CategoryMarkBits[7] = {0x40000, 0x80000, 0x100000, 0x200000, 0x400000, 0x800000, 0x1000000};

  SSymFormatEx() { m_points.reserve(8); }
  explicit SSymFormatEx(const SSymFormat& format) : SSymFormat(format) { m_points.reserve(8); }
  SSymFormatEx(const SSymFormatEx&) = default;
  SSymFormatEx& operator=(const SSymFormatEx&) = default;

  // Sets the category value and mark bits from a format option text; a
  // damaged text (SSymAllowOption::SetFromString) leaves the flags as they were.
  void InitFlagFromOption(const SString& option);
  // Clears the value bits of every category whose mark is off.
  void UpdateFlags();

  std::vector<SSymPoint> m_points;
  SString m_option;
  LONG m_extra = 0;
  DWORD m_flags = 0;
};
