#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/CMRMS.h"

namespace
{
constexpr double kPi = 3.141592653589793;
constexpr double kRate = 48000.0;

double Db(double linear)
{
  return 20.0 * std::log10(linear);
}

// Feeds frames of signal(channel, frame) through Process in blocks.
struct Feeder
{
  CMRMS& meter;
  uint32_t channels;
  int64_t frame = 0;

  template <typename Signal>
  void Feed(int64_t frames, Signal signal, int32_t block = 1000)
  {
    std::vector<std::vector<double>> in(channels, std::vector<double>(static_cast<size_t>(block)));
    std::vector<std::vector<double>> out(channels, std::vector<double>(static_cast<size_t>(block)));
    std::vector<double*> inPointers, outPointers;
    for (uint32_t c = 0; c < channels; ++c)
    {
      inPointers.push_back(in[c].data());
      outPointers.push_back(out[c].data());
    }
    while (frames > 0)
    {
      const int32_t n = static_cast<int32_t>(std::min<int64_t>(frames, block));
      for (uint32_t c = 0; c < channels; ++c)
        for (int32_t i = 0; i < n; ++i)
          in[c][static_cast<size_t>(i)] = signal(c, frame + i);
      meter.Process(inPointers.data(), outPointers.data(), n);
      frame += n;
      frames -= n;
    }
  }
};

double Sine(double amplitude, double frequency, int64_t n)
{
  return amplitude * std::sin(2.0 * kPi * frequency * static_cast<double>(n) / kRate);
}

void Prepare(CMRMS& meter, uint32_t channels, int32_t mode)
{
  meter.SetNumInputs(channels);
  meter.SetNumOutputs(channels);
  meter.SetSampleRate(kRate);
  meter.SetParam(CMRMS::kParamMode, mode);
}
}  // namespace

TEST(CMRMSTest, FullScaleSineReadsZeroDecibelsOnTheRmsReadOuts)
{
  CMRMS meter;
  Prepare(meter, 2, 5);
  Feeder feeder{meter, 2};
  const int64_t frames = 48000;
  const auto sine = [](int64_t n) { return Sine(1.0, 997.0, n); };
  feeder.Feed(frames, [&](uint32_t, int64_t n) { return sine(n); });

  // Expected values straight from the samples. Frames at or below the
  // floor's amplitude (the sine's zero crossings at n = 0 and 24000) are
  // not measured; the window holds the last 28800 measured frames.
  std::vector<double> measured;
  double sumAbs = 0.0;
  for (int64_t n = 0; n < frames; ++n)
  {
    sumAbs += std::fabs(sine(n));
    if (std::fabs(sine(n)) > 6.309e-8)
      measured.push_back(sine(n) * sine(n));
  }
  double sumSquares = 0.0, windowSquares = 0.0;
  for (size_t i = 0; i < measured.size(); ++i)
  {
    sumSquares += measured[i];
    if (i + 28800 >= measured.size())
      windowSquares += measured[i];
  }
  ASSERT_EQ(measured.size(), static_cast<size_t>(frames - 2));
  EXPECT_NEAR(meter.GetMeterValue(CMRMS::kMeterLongTerm), Db(std::sqrt(sumSquares / measured.size())) + 3.0, 1e-9);
  EXPECT_NEAR(meter.GetMeterValue(CMRMS::kMeterWindowRms), Db(std::sqrt(windowSquares / 28800)) + 3.0, 1e-9);
  EXPECT_NEAR(meter.GetMeterValue(CMRMS::kMeterWindowRms), 0.0, 0.02);
  EXPECT_NEAR(meter.GetMeterValue(CMRMS::kMeterMeanAbsolute), Db(sumAbs / frames), 1e-9);
  EXPECT_NEAR(meter.GetMeterValue(CMRMS::kMeterSamplePeak), 0.0, 1e-4);
  // Relative read-outs subtract mode 5's reference of -12 dB.
  EXPECT_DOUBLE_EQ(meter.GetRmsDb(0, true), meter.GetRmsDb(0, false) + 12.0);
  EXPECT_DOUBLE_EQ(meter.GetLongTermDb(true), meter.GetLongTermDb(false) + 12.0);
}

TEST(CMRMSTest, FramesWithAChannelAtTheFloorAreNotMeasured)
{
  // A 1 kHz sine at 48 kHz is exactly zero twice a period: those frames
  // stay out of the long-term mean.
  CMRMS meter;
  Prepare(meter, 1, 1);
  Feeder feeder{meter, 1};
  feeder.Feed(48000, [](uint32_t, int64_t n) { return n % 24 == 0 ? 0.0 : Sine(1.0, 1000.0, n); });
  double sumSquares = 0.0;
  int64_t measured = 0;
  for (int64_t n = 0; n < 48000; ++n)
    if (n % 24 != 0)
    {
      sumSquares += Sine(1.0, 1000.0, n) * Sine(1.0, 1000.0, n);
      ++measured;
    }
  EXPECT_NEAR(meter.GetMeterValue(CMRMS::kMeterLongTerm), Db(std::sqrt(sumSquares / measured)) + 3.0, 1e-9);
}

TEST(CMRMSTest, SilenceMeasuresNothingOnThePlainPath)
{
  CMRMS meter;
  Prepare(meter, 2, 1);
  Feeder feeder{meter, 2};
  feeder.Feed(30000, [](uint32_t, int64_t) { return 0.0; });
  EXPECT_EQ(meter.GetMeterValue(CMRMS::kMeterLongTerm), -144.0);
  EXPECT_EQ(meter.GetMeterValue(CMRMS::kMeterWindowRms), -141.0);
  EXPECT_EQ(meter.GetMeterValue(CMRMS::kMeterSamplePeak), -144.0);
  EXPECT_EQ(meter.GetMeterValue(CMRMS::kMeterTruePeak), -144.0);
}

TEST(CMRMSTest, ModeRowsOverrideTheWindowExceptInModeZero)
{
  CMRMS meter;
  Prepare(meter, 1, 3);
  meter.SetParam(CMRMS::kParamWindowMs, 1000.0);
  EXPECT_EQ(meter.GetParam(CMRMS::kParamWindowMs), 600.0);
  EXPECT_EQ(meter.WindowLength(), 28800);
  EXPECT_EQ(meter.ReferenceDb(), -20.0);

  meter.SetParam(CMRMS::kParamMode, 0);
  EXPECT_EQ(meter.GetParam(CMRMS::kParamWindowMs), 200.0);
  meter.SetParam(CMRMS::kParamWindowMs, 1000.0);
  meter.SetParam(CMRMS::kParamFloorDb, -90.0);
  EXPECT_EQ(meter.GetParam(CMRMS::kParamWindowMs), 1000.0);
  EXPECT_EQ(meter.GetParam(CMRMS::kParamFloorDb), -90.0);
  EXPECT_EQ(meter.WindowLength(), 48000);

  meter.SetParam(CMRMS::kParamMode, 2);
  EXPECT_TRUE(meter.IsWeighted());
  EXPECT_EQ(meter.GetParam(CMRMS::kParamFloorDb), -70.0);
  // A mode without a row keeps the window and floor and is not weighted.
  meter.SetParam(CMRMS::kParamMode, 9);
  EXPECT_FALSE(meter.IsWeighted());
  EXPECT_EQ(meter.GetParam(CMRMS::kParamWindowMs), 400.0);
  EXPECT_EQ(meter.GetParam(CMRMS::kParamMode), 9.0);
  EXPECT_EQ(meter.GetParam(4), 0.0);
  EXPECT_EQ(meter.GetNumParams(), 5);
}

TEST(CMRMSTest, WindowsShorterThanAFrameMeasureOverOneFrame)
{
  for (double windowMs : {0.0, -5.0, 1e-6, 0.01})
  {
    CMRMS meter;
    Prepare(meter, 1, 0);
    meter.SetParam(CMRMS::kParamWindowMs, windowMs);
    EXPECT_EQ(meter.WindowLength(), 1) << windowMs;
    Feeder feeder{meter, 1};
    feeder.Feed(500, [](uint32_t, int64_t n) { return n % 2 == 0 ? 0.5 : 0.25; });
    // The window holds the last frame only.
    EXPECT_NEAR(meter.GetMeterValue(CMRMS::kMeterWindowRms), Db(0.25) + 3.0, 1e-12) << windowMs;
    EXPECT_NEAR(meter.GetMeterValue(CMRMS::kMeterWindowMax), Db(0.5) + 3.0, 1e-12) << windowMs;
  }
  CMRMS meter;
  Prepare(meter, 1, 0);
  meter.SetParam(CMRMS::kParamWindowMs, 1e12);
  EXPECT_EQ(meter.WindowLength(), static_cast<int32_t>(CMRMS::kMaxWindowMs * kRate * 0.001));
}

TEST(CMRMSTest, OverCountStartsAtTheFirstFrameAboveFullScaleAndGrowsEachFrame)
{
  CMRMS meter;
  Prepare(meter, 1, 1);
  meter.SetParam(CMRMS::kParamTruePeak, 1);
  Feeder feeder{meter, 1};
  int64_t firstOver = 0;
  for (int64_t n = 1; n <= 200; ++n)
  {
    feeder.Feed(1, [](uint32_t, int64_t i) { return i == 100 ? 1.2 : 0.0; });
    if (firstOver == 0 && meter.GetMeterValue(CMRMS::kMeterTruePeak) > 0.0)
      firstOver = n;
    if (firstOver != 0)
    {
      EXPECT_EQ(meter.GetMeterValue(CMRMS::kMeterOverCount), static_cast<double>(n - firstOver + 1));
      EXPECT_EQ(meter.GetMeterValue(CMRMS::kMeterOverPosition), static_cast<double>(firstOver - 5));
    }
  }
  ASSERT_GT(firstOver, 101);
  EXPECT_LE(firstOver, 101 + 18);
  EXPECT_NEAR(meter.GetMeterValue(CMRMS::kMeterTruePeak), Db(1.2), 1e-12);
}

TEST(CMRMSTest, ResetForgetsTruePeaksStillInTheDetectorHistory)
{
  CMRMS meter;
  Prepare(meter, 1, 1);
  meter.SetParam(CMRMS::kParamTruePeak, 1);
  Feeder feeder{meter, 1};
  feeder.Feed(1, [](uint32_t, int64_t) { return 0.9; });
  meter.SetParam(CMRMS::kParamTruePeak, 1);  // every parameter set resets
  feeder.Feed(100, [](uint32_t, int64_t) { return 0.0; });
  EXPECT_EQ(meter.GetMeterValue(CMRMS::kMeterTruePeak), -144.0);
}

TEST(CMRMSTest, WeightedSurroundLayoutsDropTheLfeAndRaiseTheSurroundsBy9Point5Decibels)
{
  const auto windowLevel = [](uint32_t channels, uint32_t active) {
    CMRMS meter;
    Prepare(meter, channels, 2);
    Feeder feeder{meter, channels};
    feeder.Feed(24000, [&](uint32_t c, int64_t n) { return c == active ? Sine(0.3, 1000.0, n) : 0.0; });
    return meter.GetMeterValue(CMRMS::kMeterWindowRms);
  };
  const double front = windowLevel(6, 0);
  ASSERT_GT(front, -30.0);
  EXPECT_EQ(windowLevel(6, 3), -141.0);
  EXPECT_NEAR(windowLevel(6, 4) - front, 9.5, 1e-9);
  EXPECT_NEAR(windowLevel(6, 5) - front, 9.5, 1e-9);
  EXPECT_NEAR(windowLevel(6, 2) - front, 0.0, 1e-9);

  const double fiveFront = windowLevel(5, 1);
  EXPECT_NEAR(windowLevel(5, 3) - fiveFront, 9.5, 1e-9);
  EXPECT_NEAR(windowLevel(5, 4) - fiveFront, 9.5, 1e-9);
  // Five channels average over five, six over the five measured ones.
  EXPECT_NEAR(fiveFront, front, 1e-9);
}

TEST(CMRMSTest, GatedLongTermCountsOnlyFilledHistorySlots)
{
  // Silence through the first 3 s window leaves the first gated pass with
  // an empty history. The next pass, 750 ms later, must average the blocks
  // that have arrived since, not those blocks spread over all 90000 slots.
  CMRMS meter;
  Prepare(meter, 1, 2);
  Feeder feeder{meter, 1};
  feeder.Feed(150000, [](uint32_t, int64_t) { return 0.0; });
  EXPECT_EQ(meter.GetMeterValue(CMRMS::kMeterLongTerm), -141.0);
  feeder.Feed(40000, [](uint32_t, int64_t n) { return Sine(0.5, 1000.0, n); });
  const double window = meter.GetMeterValue(CMRMS::kMeterWindowRms);
  const double longTerm = meter.GetMeterValue(CMRMS::kMeterLongTerm);
  ASSERT_GT(window, -20.0);
  // The early blocks were only partly filled with the tone, so the gated
  // mean sits a little below the window level.
  EXPECT_LT(longTerm, window + 0.01);
  EXPECT_GT(longTerm, window - 3.0);
}

TEST(CMRMSTest, WeightedPathIsSafeInPlace)
{
  std::mt19937 rng(9);
  std::normal_distribution<double> dist(0.0, 0.3);
  const int32_t frames = 60000;
  std::vector<double> left(frames), right(frames);
  for (int32_t i = 0; i < frames; ++i)
  {
    left[static_cast<size_t>(i)] = dist(rng);
    right[static_cast<size_t>(i)] = 0.5 * dist(rng);
  }
  const std::vector<double> originalLeft = left, originalRight = right;

  CMRMS separate;
  CMRMS inPlace;
  for (CMRMS* m : {&separate, &inPlace})
  {
    Prepare(*m, 2, 2);
    m->SetParam(CMRMS::kParamTruePeak, 1);
  }
  std::vector<double> outLeft(frames), outRight(frames);
  for (int32_t start = 0; start < frames; start += 1000)
  {
    double* in[2] = {left.data() + start, right.data() + start};
    double* out[2] = {outLeft.data() + start, outRight.data() + start};
    separate.Process(in, out, 1000);
    inPlace.Process(in, in, 1000);
  }
  EXPECT_EQ(left, originalLeft);
  EXPECT_EQ(right, originalRight);
  EXPECT_EQ(outLeft, originalLeft);
  EXPECT_EQ(outRight, originalRight);
  for (int32_t index = CMRMS::kMeterLongTerm; index <= CMRMS::kMeterOverPosition; ++index)
    EXPECT_EQ(inPlace.GetMeterValue(index), separate.GetMeterValue(index)) << "read-out " << index;
  EXPECT_GT(inPlace.GetMeterValue(CMRMS::kMeterTruePeak), inPlace.GetMeterValue(CMRMS::kMeterWindowRms) - 3.0);
}

TEST(CMRMSTest, NonFiniteSamplesMeasureAsSilence)
{
  // One NaN or infinity from the host must not hold every read-out at NaN
  // (or a peak at infinity) until the next reset.
  const auto sample = [](uint32_t c, int64_t n) {
    if (c == 1 && n == 100)
      return std::nan("");
    if (c == 1 && n == 200)
      return HUGE_VAL;
    if (c == 0 && n == 300)
      return -HUGE_VAL;
    // A quarter-frame phase keeps every other sample well away from zero.
    return (c == 0 ? 0.5 : 0.25) * std::sin(2.0 * kPi * 997.0 * (static_cast<double>(n) + 0.25) / kRate);
  };
  const auto measurable = [&](uint32_t c, int64_t n) {
    const double x = sample(c, n);
    return std::isfinite(x) ? x : 0.0;
  };
  CMRMS meter;
  Prepare(meter, 2, 1);
  meter.SetParam(CMRMS::kParamTruePeak, 1);
  Feeder feeder{meter, 2};
  const int64_t frames = 48000;
  feeder.Feed(frames, sample);

  // Expected values from the samples, the bad ones taken as silence: a frame
  // with a silent channel is not measured; the window is the last 28800
  // measured frames.
  std::vector<double> measured;
  double sumAbs = 0.0, peak = 0.0;
  for (int64_t n = 0; n < frames; ++n)
  {
    const double x0 = measurable(0, n), x1 = measurable(1, n);
    sumAbs += (std::fabs(x0) + std::fabs(x1)) / 2.0;
    peak = std::max({peak, std::fabs(x0), std::fabs(x1)});
    const double quietest = std::min(std::fabs(x0), std::fabs(x1));
    ASSERT_TRUE(quietest == 0.0 || quietest > 1e-6) << n;
    if (quietest > 0.0)
      measured.push_back((x0 * x0 + x1 * x1) / 2.0);
  }
  double sumSquares = 0.0, windowSquares = 0.0;
  for (size_t i = 0; i < measured.size(); ++i)
  {
    sumSquares += measured[i];
    if (i + 28800 >= measured.size())
      windowSquares += measured[i];
  }
  ASSERT_EQ(measured.size(), static_cast<size_t>(frames - 3));
  EXPECT_NEAR(meter.GetMeterValue(CMRMS::kMeterLongTerm), Db(std::sqrt(sumSquares / measured.size())) + 3.0, 1e-9);
  EXPECT_NEAR(meter.GetMeterValue(CMRMS::kMeterWindowRms), Db(std::sqrt(windowSquares / 28800)) + 3.0, 1e-9);
  EXPECT_NEAR(meter.GetMeterValue(CMRMS::kMeterMeanAbsolute), Db(sumAbs / frames), 1e-9);
  EXPECT_NEAR(meter.GetMeterValue(CMRMS::kMeterSamplePeak), Db(peak), 1e-12);
  EXPECT_TRUE(std::isfinite(meter.GetMeterValue(CMRMS::kMeterTruePeak)));
  EXPECT_EQ(meter.GetMeterValue(CMRMS::kMeterOverCount), 0.0);

  // The weighted path: the bad samples must not reach the weighting filters.
  CMRMS weighted;
  Prepare(weighted, 2, 2);
  Feeder weightedFeeder{weighted, 2};
  weightedFeeder.Feed(frames * 4, sample);
  for (int32_t index = CMRMS::kMeterLongTerm; index <= CMRMS::kMeterTruePeak; ++index)
    EXPECT_TRUE(std::isfinite(weighted.GetMeterValue(index))) << "read-out " << index;
  EXPECT_GT(weighted.GetMeterValue(CMRMS::kMeterLongTerm), -20.0);
}

TEST(CMRMSTest, ElapsedTimeStopsAtTheLargestMillisecondCountInsteadOfWrapping)
{
  // At 0.001 Hz every frame is 10^6 ms, so 3000 weighted frames are past
  // the 2147483647 ms (about 24.8 days) an i32 holds.
  CMRMS meter;
  meter.SetNumInputs(1);
  meter.SetNumOutputs(1);
  meter.SetSampleRate(0.001);
  meter.SetParam(CMRMS::kParamMode, 2);
  std::vector<double> silence(3000, 0.0);
  double* io[1] = {silence.data()};
  meter.Process(io, io, 1000);
  EXPECT_GT(meter.ElapsedMs(), 0);
  meter.Process(io, io, 2000);
  EXPECT_EQ(meter.ElapsedMs(), 2147483647);
}

TEST(CMRMSTest, RefusesNonFiniteValuesAndTooManyChannels)
{
  CMRMS meter;
  Prepare(meter, 2, 0);
  meter.SetParam(CMRMS::kParamWindowMs, 300.0);
  meter.SetParam(CMRMS::kParamWindowMs, std::nan(""));
  meter.SetParam(CMRMS::kParamMode, HUGE_VAL);
  EXPECT_EQ(meter.GetParam(CMRMS::kParamWindowMs), 300.0);
  EXPECT_EQ(meter.GetParam(CMRMS::kParamMode), 0.0);
  meter.SetSampleRate(std::nan(""));
  meter.SetSampleRate(-1.0);
  EXPECT_EQ(meter.SampleRate, kRate);
  meter.SetNumInputs(CMRMS::kMaxChannels + 1);
  EXPECT_EQ(meter.NumInputs, 2u);

  // A null input channel measures as silence and is not copied.
  std::vector<double> left(100, 0.5), out(100, 7.0);
  double* in[2] = {left.data(), nullptr};
  double* outs[2] = {out.data(), nullptr};
  meter.Process(in, outs, 100);
  EXPECT_EQ(out, left);
  EXPECT_EQ(meter.GetMeterValue(CMRMS::kMeterSamplePeak), Db(0.5));

  char name[8] = {};
  EXPECT_TRUE(meter.GetName(name));
  EXPECT_STREQ(name, "MRMS");
}
