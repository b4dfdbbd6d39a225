#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

#include "dsp/TruePeakOversampler.h"

namespace
{
constexpr double kFourTimesSum = 3.94921875;
constexpr double kTwoTimesSum = 3.958600850717981;

double Sum(const TruePeakOversampler::TapSet& taps)
{
  double sum = 0.0;
  for (double tap : taps)
    sum += tap;
  return sum;
}
}  // namespace

TEST(TruePeakOversamplerTest, FourTimesSetIsTheAnnexTwoFilter)
{
  const TruePeakOversampler::TapSet& taps = TruePeakOversampler::kFourTimesTaps;
  // Phase 0 (elements 4k) begins with these taps and holds the largest one.
  EXPECT_EQ(taps[0], 0.001708984375);
  EXPECT_EQ(taps[4], 0.010986328125);
  EXPECT_EQ(taps[8], -0.0196533203125);
  EXPECT_EQ(taps[12], 0.033203125);
  double largest = 0.0;
  for (double tap : taps)
    largest = std::max(largest, tap);
  EXPECT_EQ(largest, 0.97216796875);
  EXPECT_EQ(taps[24], 0.97216796875);
  EXPECT_DOUBLE_EQ(Sum(taps), kFourTimesSum);
  // Phase 3 is phase 0 reversed and phase 2 is phase 1 reversed, so the
  // whole filter is symmetric.
  for (int k = 0; k < 12; ++k)
  {
    EXPECT_EQ(taps[4 * k + 3], taps[4 * (11 - k)]);
    EXPECT_EQ(taps[4 * k + 2], taps[4 * (11 - k) + 1]);
  }
}

TEST(TruePeakOversamplerTest, TwoTimesSetIsSymmetricWithItsSum)
{
  const TruePeakOversampler::TapSet& taps = TruePeakOversampler::kTwoTimesTaps;
  EXPECT_EQ(taps[0], -0.012421945913447892);
  EXPECT_EQ(taps[23], 1.7995978372665244);
  for (int i = 0; i < 24; ++i)
    EXPECT_EQ(taps[static_cast<size_t>(47 - i)], taps[static_cast<size_t>(i)]);
  EXPECT_NEAR(Sum(taps), kTwoTimesSum, 1e-14);
  double phase0 = 0.0;
  for (int k = 0; k < 24; ++k)
    phase0 += taps[static_cast<size_t>(2 * k)];
  EXPECT_NEAR(phase0, 1.9793004253589905, 1e-14);
}

TEST(TruePeakOversamplerTest, ChoosesFactorAndGainFromTheTruncatedRate)
{
  struct Case
  {
    double rate;
    int32_t factor;
    double tapSum;
    const double* set;
  };
  TruePeakOversampler oversampler;
  const Case cases[] = {
    {44100.0, 4, kFourTimesSum, oversampler.FourTimesSet.data()},
    {48000.0, 4, kFourTimesSum, oversampler.FourTimesSet.data()},
    {48000.9, 4, kFourTimesSum, oversampler.FourTimesSet.data()},
    {48001.0, 2, kTwoTimesSum, oversampler.TwoTimesSet.data()},
    {96000.0, 2, kTwoTimesSum, oversampler.TwoTimesSet.data()},
    {96001.0, 1, 1.0, oversampler.TwoTimesSet.data()},
    {192000.0, 1, 1.0, oversampler.TwoTimesSet.data()},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.rate);
    oversampler.History[5] = 0.25;
    oversampler.Position = 7;
    oversampler.Init(c.rate);
    EXPECT_EQ(oversampler.Factor, c.factor);
    EXPECT_EQ(oversampler.FactorValue, static_cast<double>(c.factor));
    EXPECT_EQ(oversampler.ActiveSet, c.set);
    EXPECT_NEAR(oversampler.TapSum, c.tapSum, 1e-14);
    EXPECT_NEAR(oversampler.Gain, 1.0 / c.tapSum, 1e-15);
    EXPECT_EQ(oversampler.TapCount, 48);
    EXPECT_EQ(oversampler.Position, 0);
    EXPECT_EQ(oversampler.History[5], 0.0);
  }
}
