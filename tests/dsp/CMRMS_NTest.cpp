// The sliding-window RMS meter.
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/CMRMS_N.h"

namespace
{
constexpr double kPi = 3.141592653589793;

void FeedSine(CMRMS_N& m, int frames, double fs, double ampL, double ampR, int channels)
{
  for (int i = 0; i < frames; ++i)
  {
    const double x = std::sin(2.0 * kPi * 1000.0 * i / fs);
    const double v[2] = {ampL * x, ampR * x};
    m.AddFrame(v, channels);
  }
}
}  // namespace

TEST(CMRMS_N, AFullScaleSineReads0dB)
{
  CMRMS_N m;
  m.SetSampleRate(48000.0);
  FeedSine(m, 48000, 48000.0, 1.0, 0.0, 1);
  EXPECT_EQ(m.GetLevelDb(), 0.0);
  CMRMS_N both;
  both.SetSampleRate(48000.0);
  FeedSine(both, 48000, 48000.0, 1.0, 1.0, 2);
  EXPECT_EQ(both.GetLevelDb(), 0.0);
  CMRMS_N half;
  half.SetSampleRate(48000.0);
  FeedSine(half, 48000, 48000.0, 1.0, 0.0, 2);
  EXPECT_EQ(half.GetLevelDb(), -3.0);
}

TEST(CMRMS_N, BeforeTheFirstWindowItReadsMinus141)
{
  CMRMS_N m;  // 300 ms at 44100 Hz: N = 13230
  m.SetSampleRate(44100.0);
  FeedSine(m, 13229, 44100.0, 0.5, 0.0, 1);
  EXPECT_EQ(m.IsWindowFilled(), 0);
  EXPECT_EQ(m.GetLevelDb(), -141.0);
  FeedSine(m, 1, 44100.0, 0.5, 0.0, 1);
  EXPECT_EQ(m.IsWindowFilled(), 1);
  EXPECT_GT(m.GetLevelDb(), -10.0);
}

TEST(RmsWindow, FirstMeanAtNThenEvery3308Frames)
{
  RmsWindow w;
  w.Init(10.0, 3000.0, 300.0, 0.75, 44100.0);
  ASSERT_EQ(w.N, 13230);
  std::vector<int> at;
  const double x[1] = {0.1};
  for (int i = 1; i <= 13230 + 3 * 3308; ++i)
    if (w.AddFrame(x, 1))
      at.push_back(i);
  EXPECT_EQ(at, (std::vector<int>{13230, 13230 + 3308, 13230 + 2 * 3308, 13230 + 3 * 3308}));
}

TEST(CMRMS_N, SilenceReadsMinus141AndMinus144)
{
  CMRMS_N m;
  m.SetSampleRate(44100.0);
  FeedSine(m, 20000, 44100.0, 1e-9, 0.0, 1);
  EXPECT_EQ(m.GetLevelDb(), -141.0);
  EXPECT_EQ(m.GetSamplePeakDb(), -144.0);
  EXPECT_EQ(m.GetInterpolatedPeakDb(), -144.0);
}

TEST(CMRMS_N, InterpolationOffLeavesTheInterpolatedPeakAtMinus144)
{
  CMRMS_N m;
  m.SetInterpolation(false);
  m.SetSampleRate(44100.0);
  FeedSine(m, 20000, 44100.0, 0.5, 0.5, 2);
  EXPECT_EQ(m.GetInterpolatedPeakDb(), -144.0);
  EXPECT_EQ(m.GetSamplePeakDb(), std::floor(20.0 * std::log10(0.5) * 10.0 + 0.5) / 10.0);
  CMRMS_N on;
  on.SetSampleRate(44100.0);
  FeedSine(on, 20000, 44100.0, 0.5, 0.5, 2);
  EXPECT_NEAR(on.GetInterpolatedPeakDb(), -6.0, 0.2);
}

TEST(CMRMS_N, LevelConversionRoundsAndAddsThree)
{
  // Mean square p: floor(10 × 20·log10(√p) + 0.5) / 10 + 3.
  const double p = 0.0123;
  const double L = std::log(std::sqrt(p)) * 8.685889638065037;
  EXPECT_EQ(MeanSquareToMeterDb(p), std::floor(L * 10.0 + 0.5) / 10.0 + 3.0);
  EXPECT_EQ(MeanSquareToMeterDb(0.0), -141.0);
}

TEST(CMRMS_N, ProcessCopiesTheInputAndMeters)
{
  CMRMS_N m;
  m.SetNumInputs(2);
  m.SetSampleRate(1000.0);
  m.SetWindowMs(10.0);  // N = 10
  std::vector<double> a(100, 0.5), b(100, -0.5), oa(100), ob(100);
  double* in[2] = {a.data(), b.data()};
  double* out[2] = {oa.data(), ob.data()};
  m.Process(in, out, 100);
  EXPECT_EQ(oa, a);
  EXPECT_EQ(ob, b);
  EXPECT_EQ(m.GetLevelDb(), MeanSquareToMeterDb(0.25));
  EXPECT_EQ(m.ElapsedMs(), 100);
  char name[16];
  EXPECT_TRUE(m.GetName(name));
  EXPECT_STREQ(name, "CMRMS_N");
}

TEST(CMRMS_N, NonFiniteValuesCountAsSilence)
{
  CMRMS_N a, b;
  a.SetSampleRate(1000.0);
  b.SetSampleRate(1000.0);
  a.SetWindowMs(10.0);
  b.SetWindowMs(10.0);
  for (int i = 0; i < 50; ++i)
  {
    const double bad[2] = {i == 20 ? std::numeric_limits<double>::quiet_NaN() : 0.3, 0.2};
    const double zero[2] = {i == 20 ? 0.0 : 0.3, 0.2};
    a.AddFrame(bad, 2);
    b.AddFrame(zero, 2);
  }
  EXPECT_EQ(a.GetLevelDb(), b.GetLevelDb());
  EXPECT_EQ(a.GetLongTermDb(), b.GetLongTermDb());
  EXPECT_TRUE(std::isfinite(a.GetLongTermDb()));
}

TEST(CMRMS_N, ElapsedTimeStopsAtTheLargestMillisecondCountInsteadOfLeavingItsRange)
{
  // At 0.001 Hz every frame is 10^6 ms (and the read-out is refreshed at
  // every frame), so 3000 frames are past the 2147483647 ms (about 24.8
  // days) an i32 holds.
  CMRMS_N m;
  m.SetNumInputs(1);
  m.SetSampleRate(0.001);
  std::vector<double> silence(3000, 0.0);
  double* io[1] = {silence.data()};
  m.Process(io, io, 1000);
  EXPECT_EQ(m.ElapsedMs(), 1000000000);
  m.Process(io, io, 2000);
  EXPECT_EQ(m.ElapsedMs(), 2147483647);
}

TEST(CubicSegment, EndsAtTheTwoMiddleSamples)
{
  EXPECT_EQ(CubicSegmentValue(0.0, 1.0, 2.0, 3.0, 0.0), 1.0);
  EXPECT_EQ(CubicSegmentValue(0.0, 1.0, 2.0, 3.0, 1.0), 2.0);
  EXPECT_NEAR(CubicSegmentValue(0.0, 1.0, 2.0, 3.0, 0.5), 1.5, 1e-12);
}
