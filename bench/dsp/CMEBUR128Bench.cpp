// The loudness meter against libebur128 on the same 60 s of stereo 48 kHz
// audio fed in host blocks of 1 to 4096 frames, both measuring momentary,
// short-term, integrated, range and true peak. Counters: "xRealTime"
// (multiple of real time) for each meter, and "speedup" (libebur128's time
// over ours, > 1 when ours is faster).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include <ebur128.h>

#include "dsp/CMEBUR128.h"

namespace
{
constexpr double kRate = 48000.0;
constexpr int32_t kFrames = 60 * 48000;

// A programme with some life in it: a tone whose level wanders over 40 dB,
// and noise.
struct Programme
{
  std::vector<double> left, right, interleaved;

  Programme() : left(kFrames), right(kFrames), interleaved(2 * static_cast<size_t>(kFrames))
  {
    std::mt19937 rng(2024);
    std::normal_distribution<double> noise(0.0, 0.02);
    for (int32_t n = 0; n < kFrames; ++n)
    {
      const double t = n / kRate;
      const double level = std::pow(10.0, (-30.0 + 20.0 * std::sin(0.3 * t)) / 20.0);
      const double tone = level * std::sin(2.0 * 3.141592653589793 * 997.0 * t);
      left[static_cast<size_t>(n)] = tone + noise(rng);
      right[static_cast<size_t>(n)] = 0.7 * tone + noise(rng);
      interleaved[2 * static_cast<size_t>(n)] = left[static_cast<size_t>(n)];
      interleaved[2 * static_cast<size_t>(n) + 1] = right[static_cast<size_t>(n)];
    }
  }
};

const Programme& TheProgramme()
{
  static const Programme programme;
  return programme;
}

double RunOurs(const Programme& p, int32_t block)
{
  CMEBUR128 meter;
  meter.SetSampleRate(kRate);
  std::vector<double> outL(static_cast<size_t>(block)), outR(static_cast<size_t>(block));
  double* outputs[2] = {outL.data(), outR.data()};
  for (int32_t start = 0; start < kFrames; start += block)
  {
    double* inputs[2] = {const_cast<double*>(p.left.data()) + start, const_cast<double*>(p.right.data()) + start};
    meter.Process(inputs, outputs, std::min(block, kFrames - start));
  }
  return meter.GetIntegratedLufs() + meter.GetLoudnessRange() + meter.GetTruePeakDb() + meter.GetLoudness() +
         meter.GetMomentaryLufs();
}

double RunPeer(const Programme& p, int32_t block)
{
  ebur128_state* state = ebur128_init(2, static_cast<unsigned long>(kRate),
                                      EBUR128_MODE_M | EBUR128_MODE_S | EBUR128_MODE_I |
                                        EBUR128_MODE_LRA | EBUR128_MODE_TRUE_PEAK);
  double sum = 0.0;
  for (int32_t start = 0; start < kFrames; start += block)
    ebur128_add_frames_double(state, p.interleaved.data() + 2 * static_cast<size_t>(start),
                              static_cast<size_t>(std::min(block, kFrames - start)));
  double value = 0.0;
  ebur128_loudness_global(state, &value);
  sum += value;
  ebur128_loudness_range(state, &value);
  sum += value;
  ebur128_true_peak(state, 0, &value);
  sum += value;
  ebur128_loudness_shortterm(state, &value);
  sum += value;
  ebur128_loudness_momentary(state, &value);
  sum += value;
  ebur128_destroy(&state);
  return sum;
}

void SetRealTime(benchmark::State& state)
{
  state.SetItemsProcessed(state.iterations() * kFrames);
  state.counters["xRealTime"] = benchmark::Counter(static_cast<double>(state.iterations()) * kFrames / kRate,
                                                   benchmark::Counter::kIsRate);
}

void BM_CMEBUR128_Stereo48k60s(benchmark::State& state)
{
  const Programme& p = TheProgramme();
  const auto block = static_cast<int32_t>(state.range(0));
  for (auto _ : state)
    benchmark::DoNotOptimize(RunOurs(p, block));
  SetRealTime(state);
}

void BM_Libebur128_Stereo48k60s(benchmark::State& state)
{
  const Programme& p = TheProgramme();
  const auto block = static_cast<int32_t>(state.range(0));
  for (auto _ : state)
    benchmark::DoNotOptimize(RunPeer(p, block));
  SetRealTime(state);
}

// Both meters on the same programme in each iteration; "speedup" is the
// peer's time over ours.
void BM_CMEBUR128_SpeedupOverLibebur128(benchmark::State& state)
{
  const Programme& p = TheProgramme();
  const auto block = static_cast<int32_t>(state.range(0));
  double ours = 0.0;
  double peer = 0.0;
  for (auto _ : state)
  {
    const auto t0 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(RunOurs(p, block));
    const auto t1 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(RunPeer(p, block));
    const auto t2 = std::chrono::steady_clock::now();
    ours += std::chrono::duration<double>(t1 - t0).count();
    peer += std::chrono::duration<double>(t2 - t1).count();
  }
  state.counters["speedup"] = peer / ours;
}

// Host block sizes: single frames, the 32 and 64 frames of live work, and
// the larger blocks of mixing and offline rendering.
void HostBlocks(benchmark::internal::Benchmark* b)
{
  b->ArgName("block")->Unit(benchmark::kMillisecond);
  for (int block : {1, 32, 64, 512, 4096})
    b->Arg(block);
}
BENCHMARK(BM_CMEBUR128_Stereo48k60s)->Apply(HostBlocks);
BENCHMARK(BM_Libebur128_Stereo48k60s)->Apply(HostBlocks);
BENCHMARK(BM_CMEBUR128_SpeedupOverLibebur128)->Apply(HostBlocks);
}  // namespace
