// The true-peak oversampler: its published tap sets and the factor and gain
// it takes for a rate.
#include <cmath>
#include <cstdint>
#include <numeric>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/TruePeakOversampler.h"

namespace
{
constexpr double kFourTimesSum = 3.94921875;
constexpr double kTwoTimesSum = 3.958600850717981;
}  // namespace

TEST(TruePeakOversamplerTest, TapSetsAreThePublishedSymmetricFilters)
{
  // Four times: phase 0 (elements 4k) begins with these taps and holds the
  // largest; phase 3 is phase 0 reversed and phase 2 is phase 1 reversed.
  const TruePeakOversampler::TapSet& four = TruePeakOversampler::kFourTimesTaps;
  EXPECT_EQ((std::vector<double>{four[0], four[4], four[8], four[12], four[24]}),
            (std::vector<double>{0.001708984375, 0.010986328125, -0.0196533203125, 0.033203125, 0.97216796875}));
  EXPECT_EQ(*std::max_element(four.begin(), four.end()), 0.97216796875);
  EXPECT_DOUBLE_EQ(std::accumulate(four.begin(), four.end(), 0.0), kFourTimesSum);
  for (int k = 0; k < 12; ++k)
    EXPECT_TRUE(four[4 * k + 3] == four[4 * (11 - k)] && four[4 * k + 2] == four[4 * (11 - k) + 1]) << k;
  const TruePeakOversampler::TapSet& two = TruePeakOversampler::kTwoTimesTaps;
  EXPECT_EQ(two[0], -0.012421945913447892);
  EXPECT_EQ(two[23], 1.7995978372665244);
  double phase0 = 0.0;
  for (size_t i = 0; i < 24; ++i)
  {
    EXPECT_EQ(two[47 - i], two[i]);
    phase0 += two[2 * i];
  }
  EXPECT_NEAR(std::accumulate(two.begin(), two.end(), 0.0), kTwoTimesSum, 1e-14);
  EXPECT_NEAR(phase0, 1.9793004253589905, 1e-14);
}

TEST(TruePeakOversamplerTest, ChoosesFactorAndGainFromTheTruncatedRate)
{
  struct Case
  {
    double rate;
    int32_t factor;
    double tapSum;
  };
  TruePeakOversampler o;
  for (const Case& c : {Case{44100.0, 4, kFourTimesSum}, Case{48000.0, 4, kFourTimesSum},
                        Case{48000.9, 4, kFourTimesSum}, Case{48001.0, 2, kTwoTimesSum},
                        Case{96000.0, 2, kTwoTimesSum}, Case{96001.0, 1, 1.0}, Case{192000.0, 1, 1.0}})
  {
    SCOPED_TRACE(c.rate);
    o.History[5] = 0.25;
    o.Position = 7;
    o.Init(c.rate);
    EXPECT_TRUE(o.Factor == c.factor && o.FactorValue == c.factor && o.TapCount == 48);
    EXPECT_EQ(o.ActiveSet, c.factor == 4 ? o.FourTimesSet.data() : o.TwoTimesSet.data());
    EXPECT_NEAR(o.TapSum, c.tapSum, 1e-14);
    EXPECT_NEAR(o.Gain, 1.0 / c.tapSum, 1e-15);
    EXPECT_TRUE(o.Position == 0 && o.History[5] == 0.0);
  }
}
