// Lengths between graphic units (1/7200 inch) and the units a user types.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "kvcore/sstring.h"
#include "sym/dialogs/symdlgsize.h"

namespace {

TEST(SSymDlgSize, ShowsGraphicLengthsInEachUnit) {
  const int ppiX = SSymDlgSize::ScreenPixelsPerInch(1), ppiY = SSymDlgSize::ScreenPixelsPerInch(0);
  ASSERT_GT(ppiX, 0);
  const struct {
    int unit;
    long graphic;
    int horizontal;
    double shown;
  } cases[] = {
      {SSymDlgSize::Inch, 10800, 1, 1.5},
      {SSymDlgSize::Millimetre, 7200, 1, 25.4},
      {SSymDlgSize::Pixel, 7200, 1, double(ppiX)},
      {SSymDlgSize::Pixel, 7200 * 3, 0, 3.0 * ppiY},
      // A part of a pixel is rounded half up.
      {SSymDlgSize::Pixel, 7200 / ppiX * 5 / 2 + 1, 1, 3.0},
      {7, 7200, 1, 1.0},  // an unknown unit shows inches
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.graphic);
    EXPECT_DOUBLE_EQ(SSymDlgSize::UnitToGraphic(c.unit, c.graphic, c.horizontal), c.shown);
  }
}

TEST(SSymDlgSize, TypedLengthsBecomeGraphicUnitsCutTowardZero) {
  const int ppi = SSymDlgSize::ScreenPixelsPerInch(1);
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    int unit;
    double typed;
    long graphic;
  } cases[] = {
      {SSymDlgSize::Inch, 1.5, 10800},
      {SSymDlgSize::Millimetre, 25.4, 7200},
      {SSymDlgSize::Millimetre, 1.0, 283},  // 283.46...
      {SSymDlgSize::Millimetre, -1.0, -283},  // toward zero
      {SSymDlgSize::Pixel, double(ppi), 7200},
      // Whatever is typed stays a long.
      {SSymDlgSize::Inch, std::nan(""), 0},
      {SSymDlgSize::Inch, inf, LONG_MAX},
      {SSymDlgSize::Millimetre, -1e300, LONG_MIN},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    EXPECT_EQ(SSymDlgSize::GraphicToUnit(c.unit, c.typed, 1), c.graphic);
  }
}

// What a person types into a size box: numbers in the unit become graphic
// units; words, signs, zero and sizes off the plane are refused and leave
// the stored size alone.
TEST(SSymDlgSize, TypedSizeTextsAreReadOrRefused) {
  using R = SSymDlgSize::ReadResult;
  const int ppi = SSymDlgSize::ScreenPixelsPerInch(1);
  const struct {
    int unit;
    const char16_t* text;
    R result;
    LONG graphic;  // stored; 1234 is the size before
  } cases[] = {
      {SSymDlgSize::Inch, u"2", SSymDlgSize::ReadOk, 14400},
      {SSymDlgSize::Inch, u"  1.5\t", SSymDlgSize::ReadOk, 10800},
      {SSymDlgSize::Inch, u".5", SSymDlgSize::ReadOk, 3600},
      {SSymDlgSize::Millimetre, u"25.4", SSymDlgSize::ReadOk, 7200},
      {SSymDlgSize::Pixel, u"96", SSymDlgSize::ReadOk, LONG(96 * 7200 / ppi)},
      {SSymDlgSize::Inch, u"", SSymDlgSize::ReadEmpty, 1234},
      {SSymDlgSize::Inch, u"   ", SSymDlgSize::ReadEmpty, 1234},
      {SSymDlgSize::Inch, u"two", SSymDlgSize::ReadNotANumber, 1234},
      {SSymDlgSize::Inch, u"2 inches", SSymDlgSize::ReadNotANumber, 1234},
      {SSymDlgSize::Inch, u"1e3", SSymDlgSize::ReadNotANumber, 1234},
      {SSymDlgSize::Inch, u"1.2.3", SSymDlgSize::ReadNotANumber, 1234},
      {SSymDlgSize::Inch, u"inf", SSymDlgSize::ReadNotANumber, 1234},
      {SSymDlgSize::Inch, u"-", SSymDlgSize::ReadNotANumber, 1234},
      {SSymDlgSize::Inch, u"-2", SSymDlgSize::ReadNotPositive, 1234},
      {SSymDlgSize::Inch, u"0", SSymDlgSize::ReadNotPositive, 1234},
      {SSymDlgSize::Inch, u"-0", SSymDlgSize::ReadNotPositive, 1234},
      {SSymDlgSize::Inch, u"0.0001", SSymDlgSize::ReadNotPositive, 1234},  // under one graphic unit
      {SSymDlgSize::Inch, u"149130", SSymDlgSize::ReadOk, 1073736000},  // the largest whole inches
      {SSymDlgSize::Inch, u"149131", SSymDlgSize::ReadTooLarge, 1234},
      {SSymDlgSize::Millimetre, u"99999999999999999999", SSymDlgSize::ReadTooLarge, 1234},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(SString(c.text).ToUtf8());
    LONG graphic = 1234;
    EXPECT_EQ(SSymDlgSize::ReadTypedLength(c.unit, SString(c.text), 1, graphic), c.result);
    EXPECT_EQ(graphic, c.graphic);
  }
}

TEST(SSymDlgSize, UnitNamesGoIntoCaptions) {
  const struct {
    int unit;
    const char16_t* caption;
    bool replaced;
    const char16_t* result;
  } cases[] = {
      {SSymDlgSize::Millimetre, u" Current size (inch) ", true, u" Current size (mm) "},
      {SSymDlgSize::Pixel, u" Normal size (inch) ", true, u" Normal size (pixel) "},
      {SSymDlgSize::Inch, u" Normal size (mm) ", true, u" Normal size (inch) "},
      {7, u"Size (inch)", true, u"Size (pixel)"},  // any other unit counts in pixels
      {SSymDlgSize::Millimetre, u"Size (", true, u"Size (mm"},
      {SSymDlgSize::Millimetre, u"a) b (c) d", true, u"a) b (mm) d"},
      {SSymDlgSize::Millimetre, u" Current size ", false, u" Current size "},
      {SSymDlgSize::Millimetre, u"", false, u""},
  };
  for (const auto& c : cases) {
    SString caption(c.caption);
    EXPECT_EQ(SSymDlgSize::ReplaceUnitText(c.unit, caption), c.replaced) << caption.ToUtf8();
    EXPECT_EQ(caption, SString(c.result));
  }
}

}  // namespace
