// The multi-mode RMS meter: read-outs against a direct computation over the
// samples, its modes, its gated long-term value and its refusals.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/CMRMS.h"

namespace
{
constexpr double kPi = 3.141592653589793;
constexpr double kRate = 48000.0;
using Source = std::function<double(uint32_t channel, int64_t frame)>;

double Db(double linear)
{
  return 20.0 * std::log10(linear);
}

double Sine(double amplitude, double frequency, double n)
{
  return amplitude * std::sin(2.0 * kPi * frequency * n / kRate);
}

// A meter of the given channels and mode, fed frames of a source through
// Process in blocks.
struct Meter
{
  CMRMS m;
  uint32_t channels;
  int64_t frame = 0;

  Meter(uint32_t n, int32_t mode, bool truePeak = false) : channels(n)
  {
    m.SetNumInputs(n);
    m.SetNumOutputs(n);
    m.SetSampleRate(kRate);
    m.SetParam(CMRMS::kParamMode, mode);
    if (truePeak)
      m.SetParam(CMRMS::kParamTruePeak, 1);
  }
  void Feed(int64_t frames, const Source& source, int32_t block = 1000)
  {
    std::vector<std::vector<double>> in(channels, std::vector<double>(static_cast<size_t>(block)));
    std::vector<double*> p;
    for (auto& c : in)
      p.push_back(c.data());
    for (; frames > 0; frames -= block)
    {
      const int32_t n = static_cast<int32_t>(std::min<int64_t>(frames, block));
      for (uint32_t c = 0; c < channels; ++c)
        for (int32_t i = 0; i < n; ++i)
          in[c][static_cast<size_t>(i)] = source(c, frame + i);
      m.Process(p.data(), p.data(), n);
      frame += n;
    }
  }
  double operator[](int32_t readOut) { return m.GetMeterValue(readOut); }
};
}  // namespace

TEST(CMRMSTest, ReadOutsEqualADirectComputationOverTheSamples)
{
  // Frames with a channel at or below the floor's amplitude (a sine's zero
  // crossings, non-finite samples taken as silence) are not measured; the
  // 600 ms window holds the last 28800 measured frames.
  struct Case
  {
    const char* name;
    uint32_t channels;
    int32_t mode;
    Source source;
    size_t unmeasured;
    bool truePeak;
  };
  const Case cases[] = {
      {"full-scale sine", 2, 5, [](uint32_t, int64_t n) { return Sine(1.0, 997.0, n); }, 2, false},
      {"1 kHz sine with exact zeros", 1, 1,
       [](uint32_t, int64_t n) { return n % 24 == 0 ? 0.0 : Sine(1.0, 1000.0, n); }, 2000, false},
      {"non-finite samples", 2, 1,
       [](uint32_t c, int64_t n) {
         if (c == 1 && n == 100)
           return std::nan("");
         if ((c == 1 && n == 200) || (c == 0 && n == 300))
           return c == 0 ? -HUGE_VAL : HUGE_VAL;
         return Sine(c == 0 ? 0.5 : 0.25, 997.0, n + 0.25);  // a quarter-frame phase: no zero
       },
       3, true},
      {"samples whose squares overflow", 2, 1,
       [](uint32_t c, int64_t n) {
         if (n == 200)
           return 1.3e154;  // each square finite, their sum not
         if (c == 0 && (n == 100 || n == 300))
           return n == 100 ? 1e155 : -1e300;
         return Sine(c == 0 ? 0.5 : 0.25, 997.0, n + 0.25);
       },
       3, true},
  };
  for (const Case& k : cases)
  {
    SCOPED_TRACE(k.name);
    Meter meter(k.channels, k.mode, k.truePeak);
    const int64_t frames = 48000;
    meter.Feed(frames, k.source);
    std::vector<double> measured;
    double sumAbs = 0.0, peak = 0.0;
    for (int64_t n = 0; n < frames; ++n)
    {
      double q = 0.0, a = 0.0, quietest = HUGE_VAL;
      for (uint32_t c = 0; c < k.channels; ++c)
      {
        // Samples the meter cannot square and sum count as silence.
        const double x = std::fabs(k.source(c, n)) < 0x1p448 ? k.source(c, n) : 0.0;
        q += x * x, a += std::fabs(x), peak = std::max(peak, std::fabs(x));
        quietest = std::min(quietest, std::fabs(x));
      }
      sumAbs += a / k.channels;
      if (quietest > 6.309e-8)
        measured.push_back(q / k.channels);
    }
    ASSERT_EQ(measured.size(), static_cast<size_t>(frames) - k.unmeasured);
    double sum = 0.0, window = 0.0;
    for (size_t i = 0; i < measured.size(); ++i)
      sum += measured[i], window += i + 28800 >= measured.size() ? measured[i] : 0.0;
    EXPECT_NEAR(meter[CMRMS::kMeterLongTerm], Db(std::sqrt(sum / measured.size())) + 3.0, 1e-9);
    EXPECT_NEAR(meter[CMRMS::kMeterWindowRms], Db(std::sqrt(window / 28800)) + 3.0, 1e-9);
    EXPECT_NEAR(meter[CMRMS::kMeterMeanAbsolute], Db(sumAbs / frames), 1e-9);
    EXPECT_NEAR(meter[CMRMS::kMeterSamplePeak], Db(peak), 1e-9);
    EXPECT_TRUE(std::isfinite(meter[CMRMS::kMeterTruePeak]));
    EXPECT_EQ(meter[CMRMS::kMeterOverCount], 0.0);
  }
  // Relative read-outs subtract the mode's reference (-12 dB in mode 5).
  Meter five(1, 5);
  five.Feed(30000, [](uint32_t, int64_t n) { return Sine(0.5, 997.0, n); });
  EXPECT_DOUBLE_EQ(five.m.GetRmsDb(0, true), five.m.GetRmsDb(0, false) + 12.0);
  EXPECT_DOUBLE_EQ(five.m.GetLongTermDb(true), five.m.GetLongTermDb(false) + 12.0);
}

TEST(CMRMSTest, SilenceMeasuresNothingOnThePlainPath)
{
  Meter meter(2, 1, true);
  meter.Feed(30000, [](uint32_t, int64_t) { return 0.0; });
  const std::vector<double> readOuts = {meter[CMRMS::kMeterLongTerm], meter[CMRMS::kMeterWindowRms],
                                        meter[CMRMS::kMeterSamplePeak], meter[CMRMS::kMeterTruePeak]};
  EXPECT_EQ(readOuts, (std::vector<double>{-144.0, -141.0, -144.0, -144.0}));
}

TEST(CMRMSTest, ModeRowsApplyWheneverTheModeIsSetAndAnUnknownModeIsNotWeighted)
{
  // Parameter sets in order on a fresh meter, then what the meter holds.
  // Every set re-applies the current mode's row, so only mode 0 (whose row
  // applies when the mode itself is set) keeps a window or floor set later.
  struct Case
  {
    const char* name;
    std::vector<std::pair<int32_t, double>> sets;
    double windowMs, floorDb, referenceDb;
    bool weighted;
  };
  const Case cases[] = {
      {"mode 3 keeps its 600 ms over a window set", {{0, 3}, {1, 1000.0}, {2, -90.0}}, 600.0, -144.0, -20.0, false},
      {"mode 0 applies its row, then keeps what is set", {{0, 0}, {1, 1000.0}, {2, -90.0}}, 1000.0, -90.0, 0.0, false},
      {"mode 0 set again applies its row", {{0, 0}, {1, 1000.0}, {0, 0}}, 200.0, -144.0, 0.0, false},
      {"mode 2 is weighted", {{0, 2}, {1, 1000.0}}, 400.0, -70.0, -23.0, true},
      {"mode 4", {{0, 4}}, 600.0, -144.0, -14.0, false},
      {"an unknown mode keeps the row before it but is not weighted", {{0, 2}, {0, 9}, {1, 1000.0}}, 1000.0, -70.0,
       -23.0, false},
      {"a negative mode likewise", {{0, 2}, {0, -1}}, 400.0, -70.0, -23.0, false},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Meter meter(1, 5);
    for (const auto& [index, value] : c.sets)
      meter.m.SetParam(index, value);
    EXPECT_EQ(meter.m.GetParam(CMRMS::kParamWindowMs), c.windowMs);
    EXPECT_EQ(meter.m.GetParam(CMRMS::kParamFloorDb), c.floorDb);
    EXPECT_EQ(meter.m.ReferenceDb(), c.referenceDb);
    EXPECT_EQ(meter.m.IsWeighted(), c.weighted);
    EXPECT_EQ(meter.m.WindowLength(), static_cast<int32_t>(c.windowMs * 48.0));
  }
}

TEST(CMRMSTest, APeakStillInTheHistoryAtAResetIsNotReportedAfterIt)
{
  // A reset (any parameter set, or a new sample rate) starts the meter as a
  // new one: samples fed before it must not reach the true peak or the over
  // count through the detectors' 18-frame look-back.
  const std::function<void(CMRMS&)> resets[] = {[](CMRMS& m) { m.SetParam(CMRMS::kParamWindowMs, 600.0); },
                                                [](CMRMS& m) { m.SetSampleRate(kRate); }};
  for (int32_t mode : {1, 2})
    for (const auto& reset : resets)
    {
      Meter meter(2, mode, true);
      meter.Feed(100, [](uint32_t, int64_t n) { return n == 99 ? 1.5 : 0.0; });
      reset(meter.m);
      meter.Feed(100, [](uint32_t, int64_t) { return 0.0; });
      EXPECT_EQ(meter[CMRMS::kMeterTruePeak], -144.0) << mode;
      EXPECT_EQ(meter[CMRMS::kMeterOverCount], 0.0) << mode;
    }
}

TEST(CMRMSTest, WindowsShorterThanAFrameMeasureOverOneFrame)
{
  for (double windowMs : {0.0, -5.0, 1e-6, 0.01})
  {
    Meter meter(1, 0);
    meter.m.SetParam(CMRMS::kParamWindowMs, windowMs);
    EXPECT_EQ(meter.m.WindowLength(), 1) << windowMs;
    meter.Feed(500, [](uint32_t, int64_t n) { return n % 2 == 0 ? 0.5 : 0.25; });
    // The window holds the last frame only.
    EXPECT_NEAR(meter[CMRMS::kMeterWindowRms], Db(0.25) + 3.0, 1e-12) << windowMs;
    EXPECT_NEAR(meter[CMRMS::kMeterWindowMax], Db(0.5) + 3.0, 1e-12) << windowMs;
  }
  Meter meter(1, 0);
  meter.m.SetParam(CMRMS::kParamWindowMs, 1e12);
  EXPECT_EQ(meter.m.WindowLength(), static_cast<int32_t>(CMRMS::kMaxWindowMs * kRate * 0.001));
}

TEST(CMRMSTest, OverCountStartsAtTheFirstFrameAboveFullScaleAndGrowsEachFrame)
{
  Meter meter(1, 1, true);
  int64_t firstOver = 0;
  for (int64_t n = 1; n <= 200; ++n)
  {
    meter.Feed(1, [](uint32_t, int64_t i) { return i == 100 ? 1.2 : 0.0; });
    if (firstOver == 0 && meter[CMRMS::kMeterTruePeak] > 0.0)
      firstOver = n;
    if (firstOver != 0)
    {
      EXPECT_EQ(meter[CMRMS::kMeterOverCount], static_cast<double>(n - firstOver + 1));
      EXPECT_EQ(meter[CMRMS::kMeterOverPosition], static_cast<double>(firstOver - 5));
    }
  }
  ASSERT_GT(firstOver, 101);
  EXPECT_LE(firstOver, 101 + 18);
  EXPECT_NEAR(meter[CMRMS::kMeterTruePeak], Db(1.2), 1e-12);
  // Every parameter set resets, forgetting peaks still in the detector.
  Meter reset(1, 1, true);
  reset.Feed(1, [](uint32_t, int64_t) { return 0.9; });
  reset.m.SetParam(CMRMS::kParamTruePeak, 1);
  reset.Feed(100, [](uint32_t, int64_t) { return 0.0; });
  EXPECT_EQ(reset[CMRMS::kMeterTruePeak], -144.0);
}

TEST(CMRMSTest, WeightedSurroundLayoutsDropTheLfeAndRaiseTheSurroundsBy9Point5Decibels)
{
  const auto windowLevel = [](uint32_t channels, uint32_t active) {
    Meter meter(channels, 2);
    meter.Feed(24000, [&](uint32_t c, int64_t n) { return c == active ? Sine(0.3, 1000.0, n) : 0.0; });
    return meter[CMRMS::kMeterWindowRms];
  };
  const double front = windowLevel(6, 0), fiveFront = windowLevel(5, 1);
  ASSERT_GT(front, -30.0);
  EXPECT_EQ(windowLevel(6, 3), -141.0);
  const double raised[][3] = {{6, 4, 9.5}, {6, 5, 9.5}, {6, 2, 0.0}, {5, 3, 9.5}, {5, 4, 9.5}};
  for (const auto& r : raised)
    EXPECT_NEAR(windowLevel(static_cast<uint32_t>(r[0]), static_cast<uint32_t>(r[1])) - front, r[2], 1e-9);
  // Five channels average over five, six over the five measured ones.
  EXPECT_NEAR(fiveFront, front, 1e-9);
}

TEST(CMRMSTest, GatedLongTermCountsOnlyFilledHistorySlots)
{
  // The first gated pass comes when the 3 s short-term window is full, at
  // frame 144000, right after the momentary block of that frame. A tone in
  // only the last 100 ms puts exactly one block above the gate: the
  // long-term value is that block, as the window shows it.
  Meter one(1, 2);
  one.Feed(144000, [](uint32_t, int64_t n) { return n >= 139200 ? Sine(0.5, 1000.0, n) : 0.0; }, 4800);
  ASSERT_GT(one[CMRMS::kMeterWindowRms], -30.0);
  EXPECT_NEAR(one[CMRMS::kMeterLongTerm], one[CMRMS::kMeterWindowRms], 1e-9);
  // Silence through the first pass leaves an empty history. The next pass,
  // 750 ms later, averages the blocks that have arrived since, not those
  // blocks spread over all 90000 slots: a little below the window level.
  Meter meter(1, 2);
  meter.Feed(150000, [](uint32_t, int64_t) { return 0.0; });
  EXPECT_EQ(meter[CMRMS::kMeterLongTerm], -141.0);
  meter.Feed(40000, [](uint32_t, int64_t n) { return Sine(0.5, 1000.0, n); });
  const double window = meter[CMRMS::kMeterWindowRms];
  ASSERT_GT(window, -20.0);
  EXPECT_LT(meter[CMRMS::kMeterLongTerm], window + 0.01);
  EXPECT_GT(meter[CMRMS::kMeterLongTerm], window - 3.0);
}

TEST(CMRMSTest, WeightedPathIsSafeInPlaceAndIgnoresNonFiniteSamples)
{
  std::mt19937 rng(9);
  std::normal_distribution<double> dist(0.0, 0.3);
  const int32_t frames = 60000;
  std::vector<double> left(frames), right(frames), outLeft(frames), outRight(frames);
  for (int32_t i = 0; i < frames; ++i)
    left[static_cast<size_t>(i)] = dist(rng), right[static_cast<size_t>(i)] = 0.5 * dist(rng);
  const std::vector<double> originalLeft = left, originalRight = right;
  Meter separate(2, 2, true), inPlace(2, 2, true);
  for (int32_t start = 0; start < frames; start += 1000)
  {
    double* in[2] = {left.data() + start, right.data() + start};
    double* out[2] = {outLeft.data() + start, outRight.data() + start};
    separate.m.Process(in, out, 1000);
    inPlace.m.Process(in, in, 1000);
  }
  EXPECT_EQ(left, originalLeft);
  EXPECT_EQ(right, originalRight);
  EXPECT_EQ(outLeft, originalLeft);
  EXPECT_EQ(outRight, originalRight);
  for (int32_t index = CMRMS::kMeterLongTerm; index <= CMRMS::kMeterOverPosition; ++index)
    EXPECT_EQ(inPlace[index], separate[index]) << "read-out " << index;
  EXPECT_GT(inPlace[CMRMS::kMeterTruePeak], inPlace[CMRMS::kMeterWindowRms] - 3.0);
  // The bad samples must not reach the weighting filters.
  Meter weighted(2, 2);
  weighted.Feed(4 * 48000, [](uint32_t c, int64_t n) {
    if (n == 100 || n == 200 || n == 300)
      return n == 100 ? std::nan("") : n == 200 ? HUGE_VAL : 1e155;
    return Sine(c == 0 ? 0.5 : 0.25, 997.0, n + 0.25);
  });
  for (int32_t index = CMRMS::kMeterLongTerm; index <= CMRMS::kMeterTruePeak; ++index)
    EXPECT_TRUE(std::isfinite(weighted[index])) << "read-out " << index;
  EXPECT_GT(weighted[CMRMS::kMeterLongTerm], -20.0);
}

TEST(CMRMSTest, ElapsedTimeStopsAtTheLargestMillisecondCountInsteadOfWrapping)
{
  // At 0.001 Hz every frame is 10^6 ms, so 3000 weighted frames are past
  // the 2147483647 ms (about 24.8 days) an i32 holds.
  Meter meter(1, 2);
  meter.m.SetSampleRate(0.001);
  meter.Feed(1000, [](uint32_t, int64_t) { return 0.0; });
  EXPECT_GT(meter.m.ElapsedMs(), 0);
  meter.Feed(2000, [](uint32_t, int64_t) { return 0.0; });
  EXPECT_EQ(meter.m.ElapsedMs(), 2147483647);
}

TEST(CMRMSTest, RefusesNonFiniteValuesAndTooManyChannels)
{
  Meter meter(2, 0);
  CMRMS& m = meter.m;
  m.SetParam(CMRMS::kParamWindowMs, 300.0);
  m.SetParam(CMRMS::kParamWindowMs, std::nan(""));
  m.SetParam(CMRMS::kParamMode, HUGE_VAL);
  EXPECT_EQ(m.GetParam(CMRMS::kParamWindowMs), 300.0);
  EXPECT_EQ(m.GetParam(CMRMS::kParamMode), 0.0);
  m.SetSampleRate(std::nan(""));
  m.SetSampleRate(-1.0);
  EXPECT_EQ(m.SampleRate, kRate);
  m.SetNumInputs(65);
  EXPECT_EQ(m.NumInputs, 2u);
  m.SetNumInputs(64);
  EXPECT_EQ(m.NumInputs, 64u);
  m.SetNumInputs(2);
  // A null input channel measures as silence and is not copied.
  std::vector<double> left(100, 0.5), out(100, 7.0);
  double* in[2] = {left.data(), nullptr};
  double* outs[2] = {out.data(), nullptr};
  m.Process(in, outs, 100);
  EXPECT_EQ(out, left);
  EXPECT_EQ(meter[CMRMS::kMeterSamplePeak], Db(0.5));
}
