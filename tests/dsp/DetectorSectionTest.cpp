// Detector sections: K-weighted level, integration, the sliding window of
// mode 6, resets and non-finite input.
#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/DetectorSection.h"
#include "tests/dsp/RideReferenceModel.h"

namespace
{
constexpr double kFs = 48000.0;

double FeedSine(DetectorSection& s, double freq, double ampL, double ampR, int frames)
{
  for (int i = 0; i < frames; ++i)
  {
    const double x = std::sin(2.0 * ref::kPi * freq * i / kFs);
    ProcessDetectorSample(s, ampL * x, ampR * x);
  }
  return DetectorLevelDb(s);
}
}  // namespace

TEST(DetectorSection, A997HzSineSettlesAt0dBOnBothChannelsAndMinus3OnOne)
{
  DetectorSection both, one;
  SetupDetectorSection(both, 2, 0.4, kFs);
  SetupDetectorSection(one, 2, 0.4, kFs);
  // The integration leaves a small ripple at twice the signal frequency.
  EXPECT_NEAR(FeedSine(both, 997.0, 1.0, 1.0, 5 * 48000), 0.0, 0.05);
  EXPECT_NEAR(FeedSine(one, 997.0, 1.0, 0.0, 5 * 48000), -3.01, 0.05);
}

TEST(DetectorSection, MatchesTheFormulasSampleBySample)
{
  for (int mode : {2, 4})
  {
    DetectorSection s;
    SetupDetectorSection(s, mode, 0.025, 44100.0);
    ref::Section model;
    model.Setup(mode, 0.025, 44100.0);
    for (int i = 0; i < 20000; ++i)
    {
      const double L = 0.5 * std::sin(0.01 * i) + 0.1 * std::sin(0.37 * i);
      const double R = 0.3 * std::cos(0.021 * i);
      ProcessDetectorSample(s, L, R);
      model.Feed(L, R);
      ASSERT_EQ(s.power, model.power) << "mode " << mode << " sample " << i;
      ASSERT_EQ(DetectorLevelDb(s), model.Level());
    }
  }
}

TEST(DetectorSection, Mode2IgnoresTheTimeAndMode4UsesIt)
{
  DetectorSection a, b, c;
  SetupDetectorSection(a, 2, 0.01, kFs);
  SetupDetectorSection(b, 2, 2.5, kFs);
  SetupDetectorSection(c, 4, 0.001, kFs);
  EXPECT_EQ(a.coefficient, b.coefficient);
  EXPECT_EQ(a.coefficient, std::pow(10.0, -1.0 / (0.4 * kFs)));
  EXPECT_EQ(c.coefficient, std::pow(10.0, -1.0 / (0.001 * kFs)));
  EXPECT_EQ(a.modeGain, 0.9235278572249818);
  // The meter window of a 1 ms section stays at its 10 ms minimum.
  EXPECT_EQ(c.meter.currentMs, 10.0);
  EXPECT_EQ(c.meter.N, 480);
  EXPECT_EQ(a.meter.N, 19200);
  DetectorSection m3;
  SetupDetectorSection(m3, 3, 0.1, kFs);
  EXPECT_EQ(m3.coefficient, std::pow(10.0, -1.0 / (3.0 * kFs)));
  DetectorSection m0;
  SetupDetectorSection(m0, 0, 0.1, kFs);
  EXPECT_EQ(m0.modeGain, 1.0);
}

TEST(DetectorSection, UnweightedModesAndTheHalvedPower)
{
  DetectorSection m0, m1, m5;
  SetupDetectorSection(m0, 0, 0.1, kFs);
  SetupDetectorSection(m1, 1, 0.1, kFs);
  SetupDetectorSection(m5, 5, 0.1, kFs);
  ProcessDetectorSample(m0, 0.5, 0.25);
  ProcessDetectorSample(m1, 0.5, 0.25);
  const double p = 0.5 * 0.5 + 0.25 * 0.25;
  const double c = std::pow(10.0, -1.0 / (0.1 * kFs));
  EXPECT_EQ(m0.lastPower, p);
  EXPECT_EQ(m0.power, (0.0 - p) * c + p);
  EXPECT_EQ(m1.lastPower, p * 0.5);
  EXPECT_EQ(m1.power, (0.0 - p * 0.5) * c + p * 0.5);
  ProcessDetectorSample(m5, 0.5, 0.25);
  EXPECT_GT(m5.power, 0.0);
}

TEST(DetectorSection, ResetClearsPowerAndStatesButKeepsTheDesign)
{
  DetectorSection s;
  SetupDetectorSection(s, 2, 0.4, kFs);
  FeedSine(s, 1000.0, 0.5, 0.5, 10000);
  const double b0 = s.stages[0].b0;
  ResetDetectorSection(s);
  EXPECT_EQ(s.power, 0.0);
  EXPECT_EQ(s.peak, 0.0);
  EXPECT_EQ(s.stages[3].y1, 0.0);
  EXPECT_EQ(s.stages[0].b0, b0);
  EXPECT_EQ(DetectorLevelDb(s), -144.0);
  // The level then rises from -144 dB with the section's time constant.
  ProcessDetectorSample(s, 0.5, 0.5);
  EXPECT_LT(DetectorLevelDb(s), -20.0);
}

TEST(DetectorSection, NonFiniteSamplesAreSilence)
{
  DetectorSection a, b;
  SetupDetectorSection(a, 2, 0.4, kFs);
  SetupDetectorSection(b, 2, 0.4, kFs);
  for (int i = 0; i < 5000; ++i)
  {
    const double x = std::sin(0.05 * i);
    double bad = x;
    if (i == 1000)
      bad = std::numeric_limits<double>::quiet_NaN();
    if (i == 2000)
      bad = -std::numeric_limits<double>::infinity();
    ProcessDetectorSample(a, bad, x);
    ProcessDetectorSample(b, (i == 1000 || i == 2000) ? 0.0 : x, x);
  }
  EXPECT_EQ(a.power, b.power);
  EXPECT_TRUE(std::isfinite(DetectorLevelDb(a)));
}

TEST(SlidingWindowMean, FourValuesGiveAMeanAtTheFourthPushThenEverySecond)
{
  DetectorMeter m;
  m.Setup(10.0, 3000.0, 400.0);  // N = trunc(10 ms × 0.4) = 4
  ASSERT_EQ(m.N, 4);
  std::vector<int> results;
  for (int i = 1; i <= 10; ++i)
    results.push_back(m.AddValue(static_cast<double>(i)));
  EXPECT_EQ(results, (std::vector<int>{0, 0, 0, 1, 0, 1, 0, 1, 0, 1}));
  // The last mean is that of the last four values.
  EXPECT_EQ(m.mean, (7.0 + 8.0 + 9.0 + 10.0) / 4.0);
  // While filling, the mean is the partial sum over a zero-filled window.
  DetectorMeter f;
  f.Setup(10.0, 3000.0, 400.0);
  f.AddValue(2.0);
  EXPECT_EQ(f.mean, 0.5);
  EXPECT_EQ(f.state, 0);
}

TEST(SlidingWindowMean, AResetReadsAsAnEmptyWindow)
{
  DetectorMeter m;
  m.Setup(10.0, 3000.0, 400.0);
  for (int i = 0; i < 9; ++i)
    m.AddValue(100.0);
  m.Reset();
  std::vector<int> results;
  for (int i = 1; i <= 4; ++i)
    results.push_back(m.AddValue(1.0));
  EXPECT_EQ(results, (std::vector<int>{0, 0, 0, 1}));
  EXPECT_EQ(m.mean, 1.0);  // nothing of the 100s is left
}

TEST(DetectorSection, Mode6MeasuresThroughTheMeter)
{
  DetectorSection s;
  SetupDetectorSection(s, 6, 0.01, 400.0);  // window 10 ms, N = 4
  for (int i = 0; i < 4; ++i)
    ProcessDetectorSample(s, 0.5, 0.5);
  // Current mean 0.5; D = 20·log10(√0.5) − 3 = −6.0103 dB; measure 10^(D/20).
  const double a = std::sqrt(0.5);
  const double D = std::log(a) * 8.685889638065037 + 0.0 - 3.0;
  EXPECT_EQ(DetectorMeasure(s), std::exp(0.11512925464970228 * D));
  EXPECT_EQ(s.power, 0.0);
}
