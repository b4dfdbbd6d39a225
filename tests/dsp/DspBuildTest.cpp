#include <cmath>

#include <gtest/gtest.h>

// The engine's results are compared bit for bit with independent models, so
// a product must be rounded before the sum: (1 + e)(1 - e) rounds to 1.0, and
// only a fused multiply-add would keep the -e^2.
TEST(DspBuild, MultiplyAndAddRoundSeparately)
{
  volatile double e = std::ldexp(1.0, -30);
  const double a = 1.0 + e, b = 1.0 - e;
  EXPECT_EQ(a * b - 1.0, 0.0) << "fused multiply-add detected";
}
