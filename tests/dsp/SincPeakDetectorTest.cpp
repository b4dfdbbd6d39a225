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

TEST(SincPeakDetectorTest, AnImpulseReachesTheEvaluatedIntervalWhenEighteenFramesOld)
{
  SincPeakDetector detector;
  double peak = detector.PushAndEvaluate(1.0);
  for (int32_t age = 1; age < 18; ++age)
    peak = std::max(peak, detector.PushAndEvaluate(0.0));
  EXPECT_LT(peak, 0.5);  // before that only the kernel's tails have seen it
  EXPECT_EQ(detector.PushAndEvaluate(0.0), 1.0);
  // A cleared detector has forgotten it.
  detector.Push(0.9);
  detector.Clear();
  for (int32_t i = 0; i < SincPeakDetector::kLength; ++i)
    EXPECT_EQ(detector.PushAndEvaluate(0.0), 0.0);
}

TEST(SincPeakDetectorTest, NeverReadsBelowTheSamplesAndFindsTheCrestOfAQuarterRateSine)
{
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  SincPeakDetector detector;
  double samples[200], peak = 0.0;
  for (int32_t i = 0; i < 200; ++i)
  {
    samples[i] = dist(rng);
    peak = std::max(peak, detector.PushAndEvaluate(samples[i]));
    double largest = 0.0;  // of the samples at least 18 frames old
    for (int32_t j = 0; j + 18 <= i; ++j)
      largest = std::max(largest, std::fabs(samples[j]));
    ASSERT_GE(peak, largest);
  }
  // Sampled between its crests, a quarter-rate sine of 0.5 has a sample
  // peak of 0.35.
  SincPeakDetector sine;
  double crest = 0.0;
  for (int32_t n = 0; n < 400; ++n)
    crest = std::max(crest, sine.PushAndEvaluate(0.5 * std::sin(3.141592653589793 / 2.0 * n + 3.141592653589793 / 4.0)));
  EXPECT_NEAR(crest, 0.5, 0.01);
}

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
