#include <gtest/gtest.h>

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
