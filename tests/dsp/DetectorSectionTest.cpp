// Detector sections against the model's section, their modes, resets,
// non-finite input and the sliding window of mode 6.
#include <cmath>
#include <limits>
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

TEST(DetectorSection, ModesSetTheTimeConstantGainAndWindow)
{
  // Mode 2 integrates over a fixed 0.4 s, mode 3 over 3 s, mode 4 over the
  // time given; the meter window of a 1 ms section stays at its 10 ms
  // minimum.
  struct Case
  {
    int mode;
    double seconds, timeConstant, modeGain;
    int N;
  };
  for (const Case& c : {Case{2, 0.01, 0.4, 0.9235278572249818, 19200}, Case{2, 2.5, 0.4, 0.9235278572249818, 19200},
                        Case{4, 0.001, 0.001, 0.9235278572249818, 480}, Case{3, 0.1, 3.0, 0.9235278572249818, 144000},
                        Case{0, 0.1, 0.1, 1.0, 4800}})
  {
    const DetectorSection s = Section(c.mode, c.seconds);
    EXPECT_EQ(s.coefficient, std::pow(10.0, -1.0 / (c.timeConstant * kFs))) << c.mode << " " << c.seconds;
    EXPECT_EQ(s.modeGain, c.modeGain) << c.mode;
    EXPECT_EQ(s.meter.N, c.N) << c.mode << " " << c.seconds;
  }
  // Unweighted modes integrate the summed power; mode 1 halves it.
  const double p = 0.5 * 0.5 + 0.25 * 0.25, c = std::pow(10.0, -1.0 / (0.1 * kFs));
  for (int mode : {0, 1})
  {
    DetectorSection s = Section(mode, 0.1);
    ProcessDetectorSample(s, 0.5, 0.25);
    const double q = mode == 1 ? p * 0.5 : p;
    EXPECT_TRUE(s.lastPower == q && s.power == (0.0 - q) * c + q) << mode;
  }
  DetectorSection m5 = Section(5, 0.1);
  ProcessDetectorSample(m5, 0.5, 0.25);
  EXPECT_GT(m5.power, 0.0);
}

TEST(DetectorSection, ResetClearsPowerAndStatesButKeepsTheDesignAndNonFiniteSamplesAreSilence)
{
  DetectorSection s = Section(2, 0.4);
  FeedSine(s, 0.5, 0.5, 10000);
  const double b0 = s.stages[0].b0;
  ResetDetectorSection(s);
  EXPECT_TRUE(s.power == 0.0 && s.stages[3].y1 == 0.0);
  EXPECT_EQ(s.stages[0].b0, b0);
  EXPECT_EQ(DetectorLevelDb(s), -144.0);
  ProcessDetectorSample(s, 0.5, 0.5);  // the level rises again with the time constant
  EXPECT_LT(DetectorLevelDb(s), -20.0);
  DetectorSection a = Section(2, 0.4), b = Section(2, 0.4);
  for (int i = 0; i < 5000; ++i)
  {
    const double x = std::sin(0.05 * i);
    const bool bad = i == 1000 || i == 2000;
    ProcessDetectorSample(a, i == 1000 ? std::nan("") : i == 2000 ? -HUGE_VAL : x, x);
    ProcessDetectorSample(b, bad ? 0.0 : x, x);
  }
  EXPECT_EQ(a.power, b.power);
  EXPECT_TRUE(std::isfinite(DetectorLevelDb(a)));
}

TEST(SlidingWindowMean, FourValuesGiveAMeanAtTheFourthPushThenEverySecondAndAResetEmptiesIt)
{
  DetectorMeter m;
  m.Setup(10.0, 3000.0, 400.0);  // N = trunc(10 ms × 0.4) = 4
  ASSERT_EQ(m.N, 4);
  std::vector<int> results;
  for (int i = 1; i <= 10; ++i)
    results.push_back(m.AddValue(static_cast<double>(i)));
  EXPECT_EQ(results, (std::vector<int>{0, 0, 0, 1, 0, 1, 0, 1, 0, 1}));
  EXPECT_EQ(m.mean, (7.0 + 8.0 + 9.0 + 10.0) / 4.0);  // the last four values
  // After a reset the window fills again from nothing: while filling, the
  // mean is the partial sum over a zero-filled window.
  m.Reset();
  EXPECT_EQ(m.AddValue(2.0), 0);
  EXPECT_TRUE(m.mean == 0.5 && m.state == 0);
  EXPECT_EQ((std::vector<int>{m.AddValue(1.0), m.AddValue(1.0), m.AddValue(0.0)}), (std::vector<int>{0, 0, 1}));
  EXPECT_EQ(m.mean, 1.0);
  EXPECT_EQ(m.state, 1);
}

TEST(DetectorSection, Mode6MeasuresThroughTheMeter)
{
  DetectorSection s = Section(6, 0.01, 400.0);  // window 10 ms, N = 4
  for (int i = 0; i < 4; ++i)
    ProcessDetectorSample(s, 0.5, 0.5);
  // Current mean 0.5; D = 20·log10(√0.5) − 3 = −6.0103 dB; measure 10^(D/20).
  const double D = std::log(std::sqrt(0.5)) * 8.685889638065037 + 0.0 - 3.0;
  EXPECT_EQ(DetectorMeasure(s), std::exp(0.11512925464970228 * D));
  EXPECT_EQ(s.power, 0.0);
}
