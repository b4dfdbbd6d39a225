// The loudness meter against libebur128 on the same generated programmes:
// integrated loudness must agree within 0.1 LU.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

#include <ebur128.h>
#include <gtest/gtest.h>

#include "dsp/CMEBUR128.h"

namespace
{
constexpr double kPi = 3.141592653589793;
constexpr double kRate = 48000.0;

// A programme: channel count, length and sample(channel, frame).
struct Programme
{
  const char* name;
  uint32_t channels;
  int64_t frames;
  std::function<double(uint32_t, int64_t)> sample;
};

double DbToAmplitude(double db)
{
  return std::pow(10.0, db / 20.0);
}

double Sine(double db, double frequency, int64_t n)
{
  return DbToAmplitude(db) * std::sin(2.0 * kPi * frequency * static_cast<double>(n) / kRate);
}

std::vector<double> Noise(size_t count, unsigned seed, double db)
{
  std::mt19937 rng(seed);
  std::normal_distribution<double> dist(0.0, DbToAmplitude(db));
  std::vector<double> values(count);
  for (double& v : values)
    v = dist(rng);
  return values;
}

using Planar = std::vector<std::vector<double>>;

Planar Render(const Programme& p)
{
  Planar channels(p.channels, std::vector<double>(static_cast<size_t>(p.frames)));
  for (uint32_t c = 0; c < p.channels; ++c)
    for (int64_t n = 0; n < p.frames; ++n)
      channels[c][static_cast<size_t>(n)] = p.sample(c, n);
  return channels;
}

double MeasureOurs(const Planar& channels)
{
  const uint32_t count = static_cast<uint32_t>(channels.size());
  const int64_t frames = static_cast<int64_t>(channels[0].size());
  CMEBUR128 meter;
  meter.SetNumInputs(count);
  meter.SetNumOutputs(count);
  meter.SetSampleRate(kRate);
  const int32_t block = 512;
  std::vector<std::vector<double>> outputs(count, std::vector<double>(block));
  std::vector<double*> in(count), out(count);
  for (uint32_t c = 0; c < count; ++c)
    out[c] = outputs[c].data();
  for (int64_t start = 0; start < frames; start += block)
  {
    for (uint32_t c = 0; c < count; ++c)
      in[c] = const_cast<double*>(channels[c].data()) + start;
    meter.Process(in.data(), out.data(), static_cast<int32_t>(std::min<int64_t>(block, frames - start)));
  }
  return meter.Gate().IntegratedLufs;
}

double MeasurePeer(const Planar& channels)
{
  const uint32_t count = static_cast<uint32_t>(channels.size());
  const size_t frames = channels[0].size();
  ebur128_state* state = ebur128_init(count, static_cast<unsigned long>(kRate),
                                      EBUR128_MODE_M | EBUR128_MODE_S | EBUR128_MODE_I |
                                        EBUR128_MODE_LRA | EBUR128_MODE_TRUE_PEAK);
  EXPECT_NE(state, nullptr);
  if (state == nullptr)
    return 0.0;
  std::vector<double> interleaved(frames * count);
  for (size_t n = 0; n < frames; ++n)
    for (uint32_t c = 0; c < count; ++c)
      interleaved[n * count + c] = channels[c][n];
  EXPECT_EQ(ebur128_add_frames_double(state, interleaved.data(), frames), EBUR128_SUCCESS);
  double integrated = 0.0;
  EXPECT_EQ(ebur128_loudness_global(state, &integrated), EBUR128_SUCCESS);
  ebur128_destroy(&state);
  return integrated;
}
}  // namespace

TEST(CMEBUR128ComparisonTest, IntegratedLoudnessAgreesWithLibebur128)
{
  const int64_t threeSeconds = static_cast<int64_t>(3 * kRate);
  const std::vector<double> noiseLeft = Noise(static_cast<size_t>(threeSeconds), 1, -18.0);
  const std::vector<double> noiseRight = Noise(static_cast<size_t>(threeSeconds), 2, -24.0);
  const std::vector<double> surround = Noise(static_cast<size_t>(threeSeconds), 3, -26.0);

  const std::vector<Programme> programmes = {
    {"stereo 1 kHz at -20 dBFS", 2, threeSeconds, [](uint32_t, int64_t n) { return Sine(-20.0, 1000.0, n); }},
    {"mono 100 Hz at -12 dBFS", 1, threeSeconds, [](uint32_t, int64_t n) { return Sine(-12.0, 100.0, n); }},
    {"stereo 5 kHz at -30 dBFS", 2, threeSeconds, [](uint32_t c, int64_t n) { return c == 0 ? Sine(-30.0, 5000.0, n) : 0.0; }},
    {"level steps of 2 s: -14, -36, -26, -80, -20 dBFS", 2, 10 * static_cast<int64_t>(kRate),
     [](uint32_t, int64_t n) {
       const double steps[5] = {-14.0, -36.0, -26.0, -80.0, -20.0};
       return Sine(steps[(n / 96000) % 5], 997.0, n);
     }},
    {"stereo noise", 2, threeSeconds,
     [&](uint32_t c, int64_t n) { return (c == 0 ? noiseLeft : noiseRight)[static_cast<size_t>(n)]; }},
    {"5.1 noise", 6, threeSeconds,
     [&](uint32_t c, int64_t n) {
       const double v = c < 3 ? noiseLeft[static_cast<size_t>(n)] : surround[static_cast<size_t>(n)];
       return c == 3 ? 0.5 * v : v;
     }},
  };
  for (const Programme& p : programmes)
  {
    const Planar channels = Render(p);
    const double ours = MeasureOurs(channels);
    const double peer = MeasurePeer(channels);
    EXPECT_NEAR(ours, peer, 0.1) << p.name;
    std::printf("%s: %.4f (libebur128 %.4f)\n", p.name, ours, peer);
  }
}
