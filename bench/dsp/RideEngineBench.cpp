// Throughput of the riding engine and the classic engine: frames per second
// and the multiple of real time (counter "xRealTime") at 44.1, 48 and 96 kHz,
// stereo, product defaults, cut filters off and on, in 512-frame blocks; and
// at 48 kHz in the host block sizes of live work (32, 64) against 512.
#include <benchmark/benchmark.h>

#include <cmath>
#include <mutex>
#include <vector>

#include "dsp/CMTolvaneV1.h"
#include "dsp/RideEngine.h"

namespace
{
constexpr int kBlock = 512;

struct Signal
{
  std::vector<double> left, right, outL, outR;
  double* in[2];
  double* out[2];

  explicit Signal(double fs, int frames)
      : left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames)), outL(static_cast<size_t>(frames)),
        outR(static_cast<size_t>(frames))
  {
    // A 1 kHz tone whose level wanders slowly, and a little noise, so that
    // the gate opens and closes and the gain moves.
    unsigned seed = 12345u;
    for (int i = 0; i < frames; ++i)
    {
      seed = seed * 1664525u + 1013904223u;
      const double noise = (static_cast<double>(seed >> 8) / 16777216.0 - 0.5) * 1e-3;
      const double env = 0.1 * (1.0 + 0.9 * std::sin(2.0 * 3.141592653589793 * 0.3 * i / fs));
      const double s = env * std::sin(2.0 * 3.141592653589793 * 1000.0 * i / fs);
      left[static_cast<size_t>(i)] = s + noise;
      right[static_cast<size_t>(i)] = 0.8 * s - noise;
    }
    in[0] = left.data();
    in[1] = right.data();
    out[0] = outL.data();
    out[1] = outR.data();
  }
};

void Report(benchmark::State& state, double fs, int64_t frames)
{
  state.SetItemsProcessed(frames);
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
  state.counters["xRealTime"] =
      benchmark::Counter(static_cast<double>(frames) / fs, benchmark::Counter::kIsRate);
}

// Calls processBlock(pos) once per iteration on successive blocks of a
// signal of total frames, starting over at its end, then reports the rate.
template <class ProcessBlock>
void RunBlocks(benchmark::State& state, double fs, int total, ProcessBlock processBlock, int block = kBlock)
{
  int64_t frames = 0;
  int pos = 0;
  for (auto _ : state)
  {
    processBlock(pos);
    frames += block;
    pos += block;
    if (pos + block > total)
      pos = 0;
  }
  Report(state, fs, frames);
}

void RunRideEngine(benchmark::State& state, double fs, bool cut, int block)
{
  std::recursive_mutex mutex;
  CMTolvaneV1 classic;
  RideEngine engine(mutex, classic);
  engine.ResetIfFormatChanged(ProcessorFormat{fs, block, 2, 2});
  engine.ApplyFilterMode(cut ? 1 : 0);
  engine.UpdateLatency();
  const int total = static_cast<int>(fs);  // one second of signal
  Signal sig(fs, total);
  RunBlocks(
      state, fs, total,
      [&](int pos) {
        double* in[2] = {sig.in[0] + pos, sig.in[1] + pos};
        double* out[2] = {sig.out[0] + pos, sig.out[1] + pos};
        std::lock_guard<std::recursive_mutex> lock(mutex);
        engine.RideEngineProcess(in, out, block, 2, 2);
        benchmark::DoNotOptimize(out[0][block - 1]);
      },
      block);
}

void BM_RideEngine(benchmark::State& state)
{
  RunRideEngine(state, static_cast<double>(state.range(0)), state.range(1) != 0, kBlock);
}

void BM_RideEngineBlock(benchmark::State& state)
{
  RunRideEngine(state, 48000.0, false, static_cast<int>(state.range(0)));
}

// Settings where fewer sections share their weighting: a pre-delay (the
// delayed section has input of its own) and SideChain1 on a 4-2 layout.
void BM_RideEngineVariant(benchmark::State& state)
{
  const double fs = 48000.0;
  const bool sideChain = state.range(0) != 0;
  std::recursive_mutex mutex;
  CMTolvaneV1 classic;
  RideEngine engine(mutex, classic);
  engine.ResetIfFormatChanged(ProcessorFormat{fs, kBlock, sideChain ? 4 : 2, 2});
  engine.ApplyFilterMode(1);
  engine.ApplyPreDelay(100.0);
  if (sideChain)
    engine.ApplyDetectionMode(1);
  const int total = static_cast<int>(fs);
  Signal sig(fs, total), side(fs, total);
  RunBlocks(state, fs, total, [&](int pos) {
    double* in[4] = {sig.in[0] + pos, sig.in[1] + pos, side.in[1] + pos, side.in[0] + pos};
    double* out[2] = {sig.out[0] + pos, sig.out[1] + pos};
    std::lock_guard<std::recursive_mutex> lock(mutex);
    engine.RideEngineProcess(in, out, kBlock, sideChain ? 4 : 2, 2);
    benchmark::DoNotOptimize(out[0][kBlock - 1]);
  });
}

void RunClassicEngine(benchmark::State& state, double fs, bool cut, int block)
{
  CMTolvaneV1 classic;
  classic.SetNumInputs(2);
  classic.SetNumOutputs(2);
  classic.TargetDb = -18.0;
  classic.NoiseDb = -48.0;
  classic.RangeMinDb = -9.0;
  classic.RangeMaxDb = 9.0;
  classic.WindowMs = 400.0;
  classic.FilterMode = cut ? 4 : 0;
  classic.SetSampleRate(fs);
  const int total = static_cast<int>(fs);
  Signal sig(fs, total);
  RunBlocks(
      state, fs, total,
      [&](int pos) {
        double* in[2] = {sig.in[0] + pos, sig.in[1] + pos};
        double* out[2] = {sig.out[0] + pos, sig.out[1] + pos};
        classic.ProcessFrames(in, out, block, 2, 2);
        benchmark::DoNotOptimize(out[0][block - 1]);
      },
      block);
}

void BM_ClassicEngine(benchmark::State& state)
{
  RunClassicEngine(state, static_cast<double>(state.range(0)), state.range(1) != 0, kBlock);
}

void BM_ClassicEngineBlock(benchmark::State& state)
{
  RunClassicEngine(state, 48000.0, false, static_cast<int>(state.range(0)));
}
}  // namespace

BENCHMARK(BM_RideEngine)
    ->ArgNames({"fs", "cut"})
    ->Args({44100, 0})
    ->Args({44100, 1})
    ->Args({48000, 0})
    ->Args({48000, 1})
    ->Args({96000, 0})
    ->Args({96000, 1});
BENCHMARK(BM_RideEngineVariant)->ArgNames({"preDelay100msCutSideChain1"})->Arg(0)->Arg(1);
BENCHMARK(BM_ClassicEngine)
    ->ArgNames({"fs", "cut"})
    ->Args({44100, 0})
    ->Args({48000, 0})
    ->Args({48000, 1})
    ->Args({96000, 0});
BENCHMARK(BM_RideEngineBlock)->ArgName("block")->Arg(32)->Arg(64)->Arg(512);
BENCHMARK(BM_ClassicEngineBlock)->ArgName("block")->Arg(32)->Arg(64)->Arg(512);
