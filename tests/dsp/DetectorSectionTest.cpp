// Detector sections against the model's section, their modes, resets,
// non-finite input and the sliding window of mode 6.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/DetectorSection.h"
#include "tests/dsp/RideReferenceModel.h"

namespace
{
constexpr double kFs = 48000.0;

DetectorSection Section(int mode, double seconds, double fs = kFs)
{
  DetectorSection s;
  SetupDetectorSection(s, mode, seconds, fs);
  return s;
}

double FeedSine(DetectorSection& s, double ampL, double ampR, int frames)
{
  for (int i = 0; i < frames; ++i)
  {
    const double x = std::sin(2.0 * ref::kPi * 997.0 * i / kFs);
    ProcessDetectorSample(s, ampL * x, ampR * x);
  }
  return DetectorLevelDb(s);
}
}  // namespace

TEST(DetectorSection, A997HzSineSettlesAt0dBOnBothChannelsAndMinus3OnOne)
{
  // The integration leaves a small ripple at twice the signal frequency.
  DetectorSection both = Section(2, 0.4), one = Section(2, 0.4);
  EXPECT_NEAR(FeedSine(both, 1.0, 1.0, 5 * 48000), 0.0, 0.05);
  EXPECT_NEAR(FeedSine(one, 1.0, 0.0, 5 * 48000), -3.01, 0.05);
}

TEST(DetectorSection, MatchesTheModelSampleBySample)
{
  for (int mode : {2, 4})
  {
    DetectorSection s = Section(mode, 0.025, 44100.0);
    ref::Section model;
    model.Setup(mode, 0.025, 44100.0);
    for (int i = 0; i < 20000; ++i)
    {
      const double L = 0.5 * std::sin(0.01 * i) + 0.1 * std::sin(0.37 * i), R = 0.3 * std::cos(0.021 * i);
      ProcessDetectorSample(s, L, R);
      model.Feed(L, R);
      ASSERT_EQ(s.power, model.power) << "mode " << mode << " sample " << i;
      ASSERT_EQ(DetectorLevelDb(s), model.Level());
    }
  }
}

TEST(DetectorSection, EachModeSetsItsTimeConstantGainMeterLengthAndPowerOfOneSample)
{
  // One sample (0.5, 0.25) into a fresh section. Unweighted modes take
  // L² + R²; weighted modes the K-weighted pair, whose power is that of
  // mode 4 (checked against the model above); modes 1 and 5 halve it; mode
  // 6 leaves the power alone and pushes L² + R² into its meter, measured
  // 3 dB down. Meter windows below 10 ms stay at 10 ms.
  const double weighted = [] {
    DetectorSection s = Section(4, 0.1);
    ProcessDetectorSample(s, 0.5, 0.25);
    return s.lastPower;
  }();
  const double plain = 0.5 * 0.5 + 0.25 * 0.25, kGain = 0.9235278572249818;
  struct Case
  {
    int mode;
    double given, seconds, gain;
    int meterN;
    double power;  // of the sample, before integration; NaN: mode 6
  };
  const Case cases[] = {
      {0, 0.1, 0.1, 1.0, 4800, plain},          {1, 0.1, 0.1, 1.0, 4800, 0.5 * plain},
      {2, 2.5, 0.4, kGain, 19200, weighted},    {3, 0.1, 3.0, kGain, 144000, weighted},
      {4, 0.001, 0.001, kGain, 480, weighted},  {5, 0.1, 0.1, kGain, 4800, 0.5 * weighted},
      {6, 0.05, 0.05, 1.0, 2400, std::nan("")},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.mode);
    DetectorSection s = Section(c.mode, c.given);
    EXPECT_EQ(s.coefficient, std::pow(10.0, -1.0 / (c.seconds * kFs)));
    EXPECT_EQ(s.modeGain, c.gain);
    EXPECT_EQ(s.meter.N, c.meterN);
    ProcessDetectorSample(s, 0.5, 0.25);
    if (c.mode == 6)
    {
      EXPECT_EQ(s.power, 0.0);
      const double mean = plain / c.meterN;
      EXPECT_EQ(s.meter.currentMean, mean);
      EXPECT_NEAR(DetectorMeasure(s), std::pow(10.0, (10.0 * std::log10(mean) - 3.0) / 20.0), 1e-15);
      continue;
    }
    EXPECT_EQ(s.lastPower, c.power);
    EXPECT_EQ(s.power, (0.0 - c.power) * s.coefficient + c.power);
    EXPECT_EQ(DetectorMeasure(s), std::sqrt(s.power) * c.gain);
  }
}

TEST(SlidingWindowMean, FourValuesGiveAMeanAtTheFourthPushThenEverySecondPush)
{
  DetectorMeter m;
  m.Setup(10.0, 3000.0, 400.0);  // N = trunc(10 ms × 0.4) = 4
  ASSERT_EQ(m.N, 4);
  std::vector<int> results;
  std::vector<double> means;
  for (int i = 1; i <= 10; ++i)
  {
    results.push_back(m.AddValue(static_cast<double>(i)));
    means.push_back(m.currentMean);
  }
  EXPECT_EQ(results, (std::vector<int>{0, 0, 0, 1, 0, 1, 0, 1, 0, 1}));
  // While filling, the mean is the partial sum over a zero-filled window;
  // then always the last four values.
  EXPECT_EQ(means, (std::vector<double>{0.25, 0.75, 1.5, 2.5, 3.5, 4.5, 5.5, 6.5, 7.5, 8.5}));
  EXPECT_EQ(m.mean, (7.0 + 8.0 + 9.0 + 10.0) / 4.0);
}

TEST(DetectorSection, NonFiniteSamplesAreSilenceForDirectCallersInEveryKindOfMode)
{
  // Unweighted, weighted and the meter of mode 6: a NaN and infinities on
  // either channel measure exactly as zeros would.
  for (int mode : {0, 2, 6})
  {
    DetectorSection bad = Section(mode, 0.01), zero = Section(mode, 0.01);
    for (int i = 0; i < 2000; ++i)
    {
      const double x = std::sin(0.05 * i), y = 0.5 * std::cos(0.03 * i);
      const bool left = i == 500 || i == 900, right = i == 700;
      ProcessDetectorSample(bad, i == 500 ? std::nan("") : i == 900 ? -HUGE_VAL : x, right ? HUGE_VAL : y);
      ProcessDetectorSample(zero, left ? 0.0 : x, right ? 0.0 : y);
    }
    EXPECT_EQ(bad.power, zero.power) << mode;
    EXPECT_EQ(bad.meter.currentMean, zero.meter.currentMean) << mode;
    EXPECT_EQ(DetectorLevelDb(bad), DetectorLevelDb(zero)) << mode;
    EXPECT_GT(DetectorLevelDb(zero), -20.0) << mode;
  }
}
