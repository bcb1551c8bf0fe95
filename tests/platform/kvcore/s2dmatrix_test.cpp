#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "kvcore/s2dmatrix.h"

TEST(S2DMatrix, TransformProductAndInverse) {
  const S2DMatrix scale(2, 0, 10, 0, 3, -5);
  EXPECT_EQ(scale.Transform(S2DVector(1, 1)), S2DVector(12, -2, 1));
  const S2DMatrix shift(1, 0, 1, 0, 1, 1);
  // The product applies its right factor first.
  EXPECT_EQ((scale * shift).Transform(S2DVector(0, 0)), S2DVector(12, -2, 1));
  S2DMatrix inv = scale;
  ASSERT_TRUE(inv.Invert());
  const S2DMatrix one = inv * scale;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(one.Get(r, c), r == c ? 1.0 : 0.0, 1e-12);
  S2DMatrix singular(0, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_FALSE(singular.Invert());
  EXPECT_EQ(singular.Get(2, 2), 0.0);
  EXPECT_TRUE(S2DMatrix().IsIdentity());
}

// A NaN or an infinity in any entry makes the matrix not finite; such a
// matrix, or one whose inverse would overflow, has no inverse and is left as it was.
TEST(S2DMatrix, NonFiniteEntriesAreToldAndNotInverted) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_TRUE(S2DMatrix().IsFinite());
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      for (double bad : {nan, inf, -inf}) {
        S2DMatrix m(2, 0, 10, 0, 3, -5);
        m.Set(r, c, bad);
        EXPECT_FALSE(m.IsFinite()) << r << c;
        const S2DMatrix before = m;
        EXPECT_FALSE(m.Invert()) << r << c;
        for (int i = 0; i < 3; ++i)
          for (int j = 0; j < 3; ++j) {
            if (!std::isnan(before.Get(i, j))) {
              EXPECT_EQ(m.Get(i, j), before.Get(i, j));
            }
          }
      }
  S2DMatrix tiny(1e-300, 0, 0, 0, 1e-300, 0);
  EXPECT_FALSE(tiny.Invert());
  EXPECT_EQ(tiny.Get(0, 0), 1e-300);
}
