// Lengths between graphic units (1/7200 inch) and the units a user types.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

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

}  // namespace
