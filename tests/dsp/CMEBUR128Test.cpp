// The loudness meter: channel weights, hops, true peak, resets, block
// partitions and refusals.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/CMEBUR128.h"

namespace
{
constexpr double kPi = 3.141592653589793;

double Sine(double amplitude, double frequency, double rate, int64_t n)
{
  return amplitude * std::sin(2.0 * kPi * frequency * static_cast<double>(n) / rate);
}

// A meter with the given channel count and rate, fed through Process in
// blocks of 4800 frames of signal(channel, frame).
struct Meter
{
  CMEBUR128 meter;
  std::vector<std::vector<double>> buffers;
  int64_t frame = 0;

  Meter(uint32_t channels, double rate)
  {
    meter.SetNumInputs(channels);
    meter.SetNumOutputs(channels);
    meter.SetSampleRate(rate);
    buffers.assign(channels, std::vector<double>(4800, 0.0));
  }
  void Feed(int64_t frames, const std::function<double(int32_t, int64_t)>& signal)
  {
    std::vector<double*> pointers;
    for (auto& b : buffers)
      pointers.push_back(b.data());
    for (; frames > 0; frames -= 4800)
    {
      const int32_t block = static_cast<int32_t>(std::min<int64_t>(frames, 4800));
      for (size_t c = 0; c < buffers.size(); ++c)
        for (int32_t i = 0; i < block; ++i)
          buffers[c][static_cast<size_t>(i)] = signal(static_cast<int32_t>(c), frame + i);
      meter.Process(pointers.data(), pointers.data(), block);
      frame += block;
    }
  }
};
}  // namespace

TEST(CMEBUR128Test, ChannelsAreSummedWithTheSurroundWeights)
{
  std::mt19937 rng(5);
  std::normal_distribution<double> dist(0.0, 0.1);
  std::vector<double> noise(19200);
  for (double& v : noise)
    v = dist(rng);
  // The momentary mean with the noise on the given channels.
  const auto meanWith = [&](uint32_t channels, std::vector<int32_t> active) {
    Meter m(channels, 48000.0);
    m.Feed(19200, [&](int32_t c, int64_t n) {
      return std::count(active.begin(), active.end(), c) ? noise[static_cast<size_t>(n)] : 0.0;
    });
    return m.meter.Momentary().Mean();
  };
  const double mono = meanWith(1, {0});
  ASSERT_GT(mono, 0.0);
  EXPECT_DOUBLE_EQ(meanWith(2, {0, 1}), 2.0 * mono);  // summed, not averaged: +3 LU
  // The same signal on LFE and left surround: only the surround counts.
  EXPECT_NEAR(meanWith(6, {3, 4}), 1.41 * mono, 1e-15);
  const std::vector<std::vector<double>> weights = {
      {1.0}, {1.0, 1.0}, {1.0, 1.0, 1.0}, {1.0, 1.0, 1.0, 1.0}, {1.0, 1.0, 1.0, 1.41, 1.41},
      {1.0, 1.0, 1.0, 0.0, 1.41, 1.41}, {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0}};
  for (const std::vector<double>& layout : weights)
  {
    const int32_t n = static_cast<int32_t>(layout.size());
    for (int32_t c = 0; c < n; ++c)
    {
      std::vector<double> z(layout.size(), 0.0);
      z[static_cast<size_t>(c)] = 0.5;
      EXPECT_DOUBLE_EQ(LoudnessWindow::FrameEnergy(z.data(), n), 0.25 * layout[static_cast<size_t>(c)])
          << n << " channels, channel " << c;
    }
  }
  const double z[2] = {0.5, 0.5};
  EXPECT_EQ(LoudnessWindow::FrameEnergy(z, 0), 0.0);
}

TEST(CMEBUR128Test, MomentaryAndShortTermMeansFollowTheirHops)
{
  // Each window gives its first mean when full, then one per hop; every
  // momentary mean is one gating block.
  CMEBUR128 meter;
  meter.SetSampleRate(48000.0);
  std::vector<int64_t> momentary, shortTerm;
  for (int64_t n = 1; n <= 144000 + 2 * 48001; ++n)
  {
    const double frame[1] = {Sine(0.25, 1000.0, 48000.0, n)};
    meter.AddFrame(frame, 1);
    if (meter.Momentary().NewMeanFlag() != 0 && momentary.size() < 4)
      momentary.push_back(n);
    if (meter.ShortTerm().NewMeanFlag() != 0)
      shortTerm.push_back(n);
    if (n == 19200 + 3 * 4801)
    {
      EXPECT_EQ(meter.Gate().Count, 4);
    }
  }
  EXPECT_EQ(momentary, (std::vector<int64_t>{19200, 19200 + 4801, 19200 + 2 * 4801, 19200 + 3 * 4801}));
  EXPECT_EQ(shortTerm, (std::vector<int64_t>{144000, 144000 + 48001, 144000 + 2 * 48001}));
}

TEST(CMEBUR128Test, TruePeakReadsBetweenTheSamplesEighteenFramesLate)
{
  Meter m(2, 48000.0);
  EXPECT_EQ(m.meter.GetTruePeakDb(), -144.0);
  // A quarter-rate sine off its crests: the sample peak alone would read
  // 3 dB low.
  m.Feed(4800, [&](int32_t c, int64_t n) { return c == 1 ? 0.5 * std::sin(kPi / 2.0 * n + kPi / 4.0) : 0.0; });
  EXPECT_NEAR(m.meter.GetTruePeakDb(), 20.0 * std::log10(0.5), 0.15);
  CMEBUR128 meter;
  meter.SetNumInputs(1);
  const double impulse[1] = {1.0}, silence[1] = {0.0};
  meter.AddFrame(impulse, 1);
  for (int i = 1; i < 18; ++i)
    meter.AddFrame(silence, 1);
  EXPECT_LT(meter.TruePeakMaximum(), 0.5);
  meter.AddFrame(silence, 1);
  EXPECT_EQ(meter.TruePeakMaximum(), 1.0);
  EXPECT_EQ(meter.GetTruePeakDb(), 0.0);
}

TEST(CMEBUR128Test, ResetsForgetEveryMeasurementAndPeaksStillInTheHistory)
{
  // A peak that entered the history just before a reset must not reach the
  // read-out after it.
  const std::function<void(CMEBUR128&)> resets[] = {[](CMEBUR128& m) { m.Reset(); },
                                                    [](CMEBUR128& m) { m.ClearState(); },
                                                    [](CMEBUR128& m) { m.SetSampleRate(48000.0); }};
  for (const auto& reset : resets)
  {
    Meter m(1, 48000.0);
    m.Feed(48000 * 8, [&](int32_t, int64_t n) {
      return n == 48000 * 8 - 1 ? 0.9 : Sine(n < 192000 ? 0.3 : 0.1, 440.0, 48000.0, n);
    });
    ASSERT_GT(m.meter.GetIntegratedLufs(), -30.0);
    ASSERT_GT(m.meter.GetLoudnessRange(), 0.0);
    reset(m.meter);
    const std::vector<double> readOuts = {m.meter.GetMomentaryLufs(), m.meter.GetLoudness(),
                                          m.meter.GetMomentaryMaxLufs(), m.meter.GetIntegratedLufs(),
                                          m.meter.GetLoudnessRange(), m.meter.GetTruePeakDb(),
                                          1.0 * m.meter.Momentary().State()};
    EXPECT_EQ(readOuts, (std::vector<double>{-144.0, -144.0, -144.0, -141.0, 0.0, -144.0, 0.0}));
    m.Feed(60, [](int32_t, int64_t) { return 0.0; });
    EXPECT_EQ(m.meter.TruePeakMaximum(), 0.0);
  }
}

TEST(CMEBUR128Test, SamplesItCannotMeasureAreSilenceForTheLoudnessAndTheTruePeak)
{
  // Eight seconds of two sines, 10 dB quieter after 4 s, with one bad
  // frame at 1 s, fed through Process and frame by frame: every read-out
  // equals that of zeros in its place. An infinite true peak, an infinite
  // integrated loudness, a NaN range or a momentary loudness 42 LU low for
  // the rest of the programme are what a sum gone non-finite gave.
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = HUGE_VAL;
  const std::pair<double, double> bad[] = {{0.0, 0.0}, {inf, 0.0}, {nan, -inf}, {1e155, 0.0}, {-1e300, 1e155},
                                           {1.3e154, 1.3e154}};  // squares finite, their weighted sum not
  const int64_t at = 48000, frames = 8 * 48000;
  std::vector<double> clean;
  for (const auto& sample : bad)
  {
    // Plain copies: clang 14 cannot capture a structured binding in a lambda.
    const double left = sample.first, right = sample.second;
    SCOPED_TRACE(testing::Message() << left << " " << right);
    const auto signal = [&](int32_t c, int64_t n) {
      if (n == at)
        return c == 0 ? left : right;
      return Sine(n < 192000 ? 0.1 : 0.0316, c == 0 ? 1000.0 : 440.0, 48000.0, n);
    };
    Meter blocks(2, 48000.0);
    blocks.Feed(frames, signal);
    CMEBUR128 frameByFrame;
    frameByFrame.SetSampleRate(48000.0);
    for (int64_t n = 0; n < frames; ++n)
    {
      const double x[2] = {signal(0, n), signal(1, n)};
      frameByFrame.AddFrame(x, 2);
    }
    for (CMEBUR128* m : {&blocks.meter, &frameByFrame})
    {
      const std::vector<double> readOuts = {m->GetMomentaryLufs(),  m->GetMomentaryMaxLufs(), m->GetLoudness(),
                                            m->GetShortTermMaxLufs(), m->GetIntegratedLufs(), m->GetLoudnessRange(),
                                            m->GetTruePeakDb()};
      if (clean.empty())  // the first row: zeros
      {
        clean = readOuts;
        ASSERT_GT(clean[4], -30.0);
        ASSERT_GT(clean[5], 3.0);
      }
      EXPECT_EQ(readOuts, clean);
    }
  }
}

TEST(CMEBUR128Test, PassesAudioThroughUnchangedAndCountsElapsedTime)
{
  CMEBUR128 meter;
  meter.SetSampleRate(48000.0);
  std::vector<double> left(1000), right(1000), outLeft(1000, 9.0), outRight(1000, 9.0);
  for (size_t i = 0; i < left.size(); ++i)
    left[i] = std::sin(0.01 * static_cast<double>(i)), right[i] = -0.5 * left[i];
  const std::vector<double> originalLeft = left;
  double* inputs[2] = {left.data(), right.data()};
  double* outputs[2] = {outLeft.data(), outRight.data()};
  for (int block = 0; block < 48; ++block)
    meter.Process(inputs, outputs, 1000);
  EXPECT_EQ(outLeft, left);
  EXPECT_EQ(outRight, right);
  EXPECT_EQ(meter.SampleCounter(), 48000);
  EXPECT_EQ(meter.ElapsedMs(), 1000);
  EXPECT_EQ(meter.ChannelCount(), 2);
  meter.SetNumInputs(8);
  std::vector<double> more(1000, 0.0);
  std::vector<double*> eight(8, more.data());
  meter.Process(eight.data(), eight.data(), 1000);
  EXPECT_EQ(meter.ChannelCount(), 6);
  // In place, and with a missing output buffer.
  meter.SetNumInputs(2);
  double* inPlace[2] = {left.data(), nullptr};
  meter.Process(inPlace, inPlace, 1000);
  EXPECT_EQ(left, originalLeft);
  // At 0.001 Hz every frame is 10^6 ms: 3000 frames are past the
  // 2147483647 ms an i32 holds, and the count stops there.
  CMEBUR128 slow;
  slow.SetNumInputs(1);
  slow.SetSampleRate(0.001);
  std::vector<double> silence(3000, 0.0);
  double* io[1] = {silence.data()};
  slow.Process(io, io, 1000);
  EXPECT_GT(slow.ElapsedMs(), 0);
  slow.Process(io, io, 2000);
  EXPECT_EQ(slow.ElapsedMs(), 2147483647);
}

TEST(CMEBUR128Test, RefusesSampleRatesThatAreNotPositiveNumbersAndSetsUpTheOversamplers)
{
  CMEBUR128 meter;
  meter.SetSampleRate(96000.0);
  for (int32_t c = 0; c < CMEBUR128::kMaxChannels; ++c)
    EXPECT_EQ(meter.Oversampler(c).Factor, 2);
  meter.SetSampleRate(48000.0);
  EXPECT_EQ(meter.Oversampler(5).Factor, 4);
  const double frame[2] = {0.5, 0.5};
  for (int i = 0; i < 30000; ++i)
    meter.AddFrame(frame, 2);
  const double momentary = meter.GetMomentaryLufs();
  for (double rate : {0.0, -44100.0, std::nan(""), HUGE_VAL})
  {
    meter.SetSampleRate(rate);
    EXPECT_EQ(meter.SampleRate, 48000.0);
    EXPECT_EQ(meter.GetMomentaryLufs(), momentary);
  }
  // A rate so low that a window would be shorter than a frame still has a
  // one-frame window.
  meter.SetSampleRate(1.0);
  for (int i = 0; i < 10; ++i)
    meter.AddFrame(frame, 2);
  EXPECT_EQ(meter.Momentary().Length(), 1);
}

TEST(CMEBUR128Test, ProcessMeasuresExactlyAsFrameByFrameAddFrameForEveryBlockPartition)
{
  // Block processing runs each channel's filters and peak detector over a
  // chunk at a time (the filters two channels side by side); every read-out
  // must equal the frame-by-frame road bit for bit, whatever the host's
  // block sizes, tiny values and non-finite samples. Three channels: a pair
  // and one alone.
  std::mt19937 rng(21);
  std::normal_distribution<double> dist(0.0, 0.2);
  const int32_t frames = 80000;
  std::vector<std::vector<double>> programme(3, std::vector<double>(frames));
  for (int32_t i = 0; i < frames; ++i)
  {
    const double level = 1.0 + 0.9 * std::sin(i * 3e-4);
    programme[0][static_cast<size_t>(i)] = level * dist(rng);
    programme[1][static_cast<size_t>(i)] = i % 997 == 0 ? 1e-9 : 0.5 * level * dist(rng);
    programme[2][static_cast<size_t>(i)] = 0.3 * dist(rng);
  }
  programme[0][12345] = std::nan("");
  programme[1][23456] = HUGE_VAL;

  const auto readOuts = [](CMEBUR128& m) {
    return std::vector<double>{m.Momentary().Mean(), m.Momentary().LargestMean(), m.ShortTerm().Mean(),
                               m.ShortTerm().LargestMean(), m.Gate().IntegratedLufs, m.Range().Range,
                               m.TruePeakMaximum(), m.GetLoudnessRange()};
  };
  CMEBUR128 byFrame;
  byFrame.SetSampleRate(16000.0);
  for (int32_t i = 0; i < frames; ++i)
  {
    const double frame[3] = {programme[0][static_cast<size_t>(i)], programme[1][static_cast<size_t>(i)],
                             programme[2][static_cast<size_t>(i)]};
    byFrame.AddFrame(frame, 3);
  }
  ASSERT_GT(byFrame.Range().Count, 1);

  const std::vector<int32_t> partitions[] = {{1}, {7}, {32}, {4096}, {1, 7, 128, 129, 300, 1000, 4096}};
  for (const std::vector<int32_t>& sizes : partitions)
  {
    CMEBUR128 byBlock;
    byBlock.SetNumInputs(3);
    byBlock.SetSampleRate(16000.0);
    for (int32_t start = 0, b = 0; start < frames; ++b)
    {
      const int32_t block = std::min(sizes[static_cast<size_t>(b) % sizes.size()], frames - start);
      double* inputs[3] = {programme[0].data() + start, programme[1].data() + start, programme[2].data() + start};
      byBlock.Process(inputs, nullptr, block);
      start += block;
    }
    EXPECT_EQ(readOuts(byBlock), readOuts(byFrame)) << "blocks of " << sizes[0];
  }
}
