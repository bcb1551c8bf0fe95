// The custom shape page's sizes: a shape in the page's sample, and the size
// a symbol takes for a chosen symbol shape.
#include <gtest/gtest.h>

#include "sym/dialogs/symdlgcustomshape.h"

namespace {

using D = SSymDlgCustomShape;

TEST(CustomShapeSizes, SampleKeepsTheShapesProportionsWithinItsFrame) {
  const struct {
    LONG w, h, cx, cy;
  } cases[] = {
      {1000, 3000, 2400, 7200},  // 16800 high is cut to 7200: 40320000 / 16800 wide
      {2000, 1000, 5600, 2800},
      {100, 100, 5600, 5600},
      {7, 9, 5600, 7200},        // 7200 high exactly stays
      {0, 1000, 5600, 4800},     // no natural size: the plain frame
      {1000, -1, 5600, 4800},
      {1, 2000000000, 0, 7200},  // no overflow for an extreme shape
  };
  for (const auto& c : cases) EXPECT_EQ(D::SampleSize(c.w, c.h), SSymSize(c.cx, c.cy)) << c.w << " x " << c.h;
}

TEST(CustomShapeSizes, ChosenShapeSizesTheSymbolOrFallsBackToItsNaturalSize) {
  const struct {
    SSymSize initial;
    LONG w, h;
    SSymSize out;
  } cases[] = {
      {{3600, 2400}, 100, 100, {100, 100}},     // far outside half to twice: the natural size
      {{3600, 2400}, 3000, 2000, {3600, 2400}},
      {{3600, 2400}, 2000, 2000, {3600, 3600}},  // the width leads
      {{1500, 1800}, 1000, 1000, {1800, 1800}},  // the height leads
      {{4800, 1200}, 2000, 1000, {2000, 1000}},  // 4800 wide is above twice 2000
      {{3600, 2400}, 0, 100, {3600, 2400}},      // no natural size: unchanged
      {{0, 0}, 1000, 1000, {1000, 1000}},        // an empty symbol takes the natural size
  };
  for (const auto& c : cases)
    EXPECT_EQ(D::FittedSize(c.initial, c.w, c.h), c.out) << c.initial.cx << " x " << c.initial.cy;
}

}  // namespace
