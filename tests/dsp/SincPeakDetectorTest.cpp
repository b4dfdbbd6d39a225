// The sinc-interpolating peak detector: where an impulse is seen, that it
// reads at least the sample peak and the true peak of a quarter-rate sine,
// and that blocks and single samples agree.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/SincPeakDetector.h"

TEST(SincPeakDetectorTest, PushBlockEqualsSampleBySampleEvaluation)
{
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  SincPeakDetector bySample, byBlock;
  for (int32_t block : {1, 5, 127, 128, 129, 300, 2})
  {
    std::vector<double> x(static_cast<size_t>(block));
    double expected = 0.0;
    for (double& v : x)
      expected = std::max(expected, bySample.PushAndEvaluate(v = dist(rng)));
    EXPECT_EQ(byBlock.PushBlock(x.data(), block), expected) << block;
    for (int32_t i = 0; i < SincPeakDetector::kLength; ++i)
      ASSERT_EQ(byBlock.HistoryAt(i), bySample.HistoryAt(i)) << block;
  }
}
