// The sliding-window RMS meter of the classic engine.
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/CMRMS_N.h"

namespace
{
// A meter at fs fed frames of a 1 kHz sine of the given amplitudes.
CMRMS_N& FeedSine(CMRMS_N& m, int frames, double fs, double ampL, double ampR, int channels)
{
  for (int i = 0; i < frames; ++i)
  {
    const double x = std::sin(2.0 * 3.141592653589793 * 1000.0 * i / fs);
    const double v[2] = {ampL * x, ampR * x};
    m.AddFrame(v, channels);
  }
  return m;
}

CMRMS_N& At(CMRMS_N& m, double fs, double windowMs = 300.0)
{
  m.SetSampleRate(fs);
  m.SetWindowMs(windowMs);
  return m;
}

double Rounded(double db)
{
  return std::floor(db * 10.0 + 0.5) / 10.0;
}
}  // namespace

TEST(CMRMS_N, BeforeTheFirstWindowItReadsMinus141ThenAMeanEvery3308Frames)
{
  CMRMS_N m;
  At(m, 44100.0);  // 300 ms at 44100 Hz: N = 13230
  FeedSine(m, 13229, 44100.0, 0.5, 0.0, 1);
  EXPECT_EQ(m.IsWindowFilled(), 0);
  EXPECT_EQ(m.GetLevelDb(), -141.0);
  FeedSine(m, 1, 44100.0, 0.5, 0.0, 1);
  EXPECT_EQ(m.IsWindowFilled(), 1);
  EXPECT_GT(m.GetLevelDb(), -10.0);
  RmsWindow w;
  w.Init(10.0, 3000.0, 300.0, 0.75, 44100.0);
  std::vector<int> at;
  const double x[1] = {0.1};
  for (int i = 1; i <= 13230 + 3 * 3308; ++i)
    if (w.AddFrame(x, 1))
      at.push_back(i);
  EXPECT_EQ(at, (std::vector<int>{13230, 13230 + 3308, 13230 + 2 * 3308, 13230 + 3 * 3308}));
}

TEST(CMRMS_N, PeaksAndCrestOfEitherChannel)
{
  // The sample peak (and the crest, peak over long-term level) is that of
  // the louder channel, whichever it is; the interpolated peak is off when
  // asked.
  for (const bool first : {true, false})
  {
    CMRMS_N m;
  At(m, 44100.0);
    FeedSine(m, 20000, 44100.0, first ? 0.5 : 0.1, first ? 0.1 : 0.5, 2);
    EXPECT_EQ(m.GetSamplePeakDb(), Rounded(20.0 * std::log10(0.5))) << first;
    EXPECT_EQ(m.GetCrestDb(), m.GetSamplePeakDb() - m.GetLongTermDb()) << first;
    EXPECT_NEAR(m.GetInterpolatedPeakDb(), -6.0, 0.2) << first;
  }
  CMRMS_N off;
  At(off, 44100.0);
  off.SetInterpolation(false);
  EXPECT_EQ(FeedSine(off, 20000, 44100.0, 0.5, 0.5, 2).GetInterpolatedPeakDb(), -144.0);
  EXPECT_EQ(CubicSegmentValue(0.0, 1.0, 2.0, 3.0, 0.0), 1.0);  // ends at the two middle samples
  EXPECT_EQ(CubicSegmentValue(0.0, 1.0, 2.0, 3.0, 1.0), 2.0);
  EXPECT_NEAR(CubicSegmentValue(0.0, 1.0, 2.0, 3.0, 0.5), 1.5, 1e-12);
}

TEST(CMRMS_N, ProcessCopiesTheInputAndMeters)
{
  CMRMS_N m;
  At(m, 1000.0, 10.0);  // N = 10
  m.SetNumInputs(2);
  std::vector<double> a(100, 0.5), b(100, -0.5), oa(100), ob(100);
  double* in[2] = {a.data(), b.data()};
  double* out[2] = {oa.data(), ob.data()};
  m.Process(in, out, 100);
  EXPECT_EQ(oa, a);
  EXPECT_EQ(ob, b);
  EXPECT_EQ(m.GetLevelDb(), MeanSquareToMeterDb(0.25));
  EXPECT_EQ(m.ElapsedMs(), 100);
}

TEST(CMRMS_N, SamplesItCannotSquareAndSumCountAsSilence)
{
  // A 1 kHz sine at 0.1 in a 100 ms window at 48 kHz, one bad frame at
  // 0.15 s: a window and a hop later the meter reads what it reads with
  // zeros there (about -20 dB), where a sum gone non-finite would have lost
  // the whole window for good.
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = HUGE_VAL;
  const std::pair<double, double> bad[] = {{nan, 0.05}, {inf, 0.05}, {1e155, 0.05}, {-1e155, -1e155},
                                           {1.3e154, 1.3e154}};  // each square finite, their sum not
  for (const auto& [left, right] : bad)
  {
    SCOPED_TRACE(testing::Message() << left << " " << right);
    CMRMS_N poisoned, clean;
    At(poisoned, 48000.0, 100.0);
    At(clean, 48000.0, 100.0);
    const int at = 7200, frames = at + 4800 + 1201;
    for (int i = 0; i < frames; ++i)
    {
      const double x = 0.1 * std::sin(2.0 * 3.141592653589793 * 1000.0 * i / 48000.0);
      const double withBad[2] = {i == at ? left : x, i == at ? right : x};
      const double withZero[2] = {i == at ? 0.0 : x, i == at ? 0.0 : x};
      poisoned.AddFrame(withBad, 2);
      clean.AddFrame(withZero, 2);
    }
    EXPECT_NEAR(clean.GetLevelDb(), -20.0, 0.1);
    EXPECT_EQ(poisoned.GetLevelDb(), clean.GetLevelDb());
    EXPECT_EQ(poisoned.GetLongTermDb(), clean.GetLongTermDb());
    EXPECT_EQ(poisoned.GetSamplePeakDb(), clean.GetSamplePeakDb());
  }
}

TEST(CMRMS_N, ElapsedTimeStopsAtTheLargestMillisecondCountInsteadOfLeavingItsRange)
{
  // At 0.001 Hz every frame is 10^6 ms (and the read-out is refreshed at
  // every frame), so 3000 frames are past the 2147483647 ms an i32 holds.
  CMRMS_N m;
  At(m, 0.001);
  m.SetNumInputs(1);
  std::vector<double> silence(3000, 0.0);
  double* io[1] = {silence.data()};
  m.Process(io, io, 1000);
  EXPECT_EQ(m.ElapsedMs(), 1000000000);
  m.Process(io, io, 2000);
  EXPECT_EQ(m.ElapsedMs(), 2147483647);
}
