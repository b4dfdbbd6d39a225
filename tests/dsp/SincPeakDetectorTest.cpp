#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/SincPeakDetector.h"

namespace
{
constexpr double kPi = 3.141592653589793;
}

TEST(SincPeakDetectorTest, TablesHoldTheSincKernelAtTheFourOffsets)
{
  const double offsets[4] = {0.0, 0.18362181817838, 0.5, 1.0};
  for (int32_t table = 0; table < 4; ++table)
  {
    for (int32_t k = 0; k < SincPeakDetector::kLength; ++k)
    {
      const double u = 19 - k + offsets[table];
      const double expected = u == 0.0 ? 1.0 : std::sin(kPi * u) / (kPi * u);
      EXPECT_NEAR(SincPeakDetector::TableValue(table, k), expected, 1e-15) << table << " " << k;
    }
  }
}

TEST(SincPeakDetectorTest, HistoryShiftsTowardItsStart)
{
  SincPeakDetector detector;
  for (int32_t i = 1; i <= 100; ++i)
    detector.Push(i);
  for (int32_t i = 0; i < SincPeakDetector::kLength; ++i)
    EXPECT_EQ(detector.HistoryAt(i), 100 - 38 + i);
}

TEST(SincPeakDetectorTest, AnImpulseReachesTheEvaluatedIntervalWhenEighteenFramesOld)
{
  SincPeakDetector detector;
  double peak = detector.PushAndEvaluate(1.0);
  for (int32_t age = 1; age < 18; ++age)
    peak = std::max(peak, detector.PushAndEvaluate(0.0));
  // Before that only the kernel's tails have seen it.
  EXPECT_LT(peak, 0.5);
  EXPECT_EQ(detector.PushAndEvaluate(0.0), 1.0);
}

TEST(SincPeakDetectorTest, NeverReadsBelowTheLargestEvaluatedSample)
{
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  SincPeakDetector detector;
  double samples[200];
  double peak = 0.0;
  for (int32_t i = 0; i < 200; ++i)
  {
    samples[i] = dist(rng);
    peak = std::max(peak, detector.PushAndEvaluate(samples[i]));
    // Samples at least 18 frames old have been evaluated.
    double largest = 0.0;
    for (int32_t j = 0; j + 18 <= i; ++j)
      largest = std::max(largest, std::fabs(samples[j]));
    ASSERT_GE(peak, largest);
  }
}

TEST(SincPeakDetectorTest, QuarterRateSineBetweenItsCrestsReadsItsAmplitude)
{
  const double amplitude = 0.5;
  SincPeakDetector detector;
  double peak = 0.0;
  double samplePeak = 0.0;
  for (int32_t n = 0; n < 400; ++n)
  {
    const double x = amplitude * std::sin(kPi / 2.0 * n + kPi / 4.0);
    samplePeak = std::max(samplePeak, std::fabs(x));
    peak = std::max(peak, detector.PushAndEvaluate(x));
  }
  EXPECT_NEAR(samplePeak, amplitude * std::sqrt(0.5), 1e-12);
  EXPECT_NEAR(peak, amplitude, 0.02 * amplitude);
}

TEST(SincPeakDetectorTest, ClearForgetsTheHistory)
{
  SincPeakDetector detector;
  detector.Push(0.9);
  detector.Clear();
  for (int32_t i = 0; i < SincPeakDetector::kLength; ++i)
    EXPECT_EQ(detector.PushAndEvaluate(0.0), 0.0);
}

TEST(SincPeakDetectorTest, PushBlockEqualsSampleBySampleEvaluation)
{
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  SincPeakDetector bySample;
  SincPeakDetector byBlock;
  for (int32_t block : {1, 5, 127, 128, 129, 300, 2})
  {
    std::vector<double> x(static_cast<size_t>(block));
    double expected = 0.0;
    for (double& v : x)
    {
      v = dist(rng);
      expected = std::max(expected, bySample.PushAndEvaluate(v));
    }
    EXPECT_EQ(byBlock.PushBlock(x.data(), block), expected) << block;
    for (int32_t i = 0; i < SincPeakDetector::kLength; ++i)
      EXPECT_EQ(byBlock.HistoryAt(i), bySample.HistoryAt(i));
  }
}
