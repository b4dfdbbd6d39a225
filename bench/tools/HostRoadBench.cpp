// What the host road costs on top of the riding engine: the same ten
// seconds of stereo audio at 48 kHz in 512-frame blocks, rendered once
// through the command-line host (factory, render road, processor base,
// product, riding engine, idle ticks) and once by the bare engine; opening
// the unit is timed apart (BM_OpenUnit).
// BM_HostOverhead reports the ratio as "overhead%" (target: at most 10).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "StandIn/Hooks.h"
#include "dsp/CMTolvaneV1.h"
#include "dsp/RideEngine.h"
#include "tools/ComponentBundle.h"
#include "tools/HostRender.h"

namespace {

constexpr double kRate = 48000.0;
constexpr int kBlock = 512;

const auhost::AudioData& Programme()
{
  static const auhost::AudioData audio = [] {
    auhost::AudioData a;
    a.sampleRate = kRate;
    const size_t n = static_cast<size_t>(10.0 * kRate);
    for (int c = 0; c < 2; ++c)
    {
      std::vector<float> ch(n);
      for (size_t i = 0; i < n; ++i)
      {
        const double env = 0.1 * (1.0 + 0.9 * std::sin(2.0 * 3.141592653589793 * 0.3 * double(i) / kRate));
        ch[i] = static_cast<float>(env * std::sin(2.0 * 3.141592653589793 * 1000.0 * double(i) / kRate + c));
      }
      a.channels.push_back(std::move(ch));
    }
    return a;
  }();
  return audio;
}

const auhost::ComponentBundle& Bundle()
{
  static std::unique_ptr<auhost::ComponentBundle> bundle = [] {
    standin::UseManualClock();
    std::string error;
    return auhost::ComponentBundle::Load(TOLVANE3_BUNDLE, error);
  }();
  return *bundle;
}

// The unit is opened outside the timing: opening builds the product (its
// folders, presets and buffers) once per instance, not per block.
double HostRender()
{
  std::string error;
  auto unit = auhost::OpenedUnit::Open(Bundle(), error);
  const auto start = std::chrono::steady_clock::now();
  auhost::RenderSetup setup;
  setup.blockSize = kBlock;
  auhost::AudioData output;
  auhost::RenderInMemory(unit->Unit(), setup, Programme(), nullptr, output);
  benchmark::DoNotOptimize(output.channels[0].back());
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double EngineRender()
{
  // The engine works in doubles, as the product hands it the audio; the
  // copy is made once, outside the timing, to give the engine its best case.
  static std::vector<double> in[2], out[2];
  const auhost::AudioData& a = Programme();
  for (int c = 0; c < 2 && in[c].empty(); ++c)
  {
    in[c].assign(a.channels[c].begin(), a.channels[c].end());
    out[c].resize(in[c].size());
  }
  const auto start = std::chrono::steady_clock::now();
  std::recursive_mutex mutex;
  CMTolvaneV1 classic;
  RideEngine engine(mutex, classic);
  engine.ResetIfFormatChanged(ProcessorFormat{kRate, kBlock, 2, 2});
  engine.UpdateLatency();
  for (long pos = 0; pos + kBlock <= a.Frames(); pos += kBlock)
  {
    double* i[2] = {in[0].data() + pos, in[1].data() + pos};
    double* o[2] = {out[0].data() + pos, out[1].data() + pos};
    std::lock_guard<std::recursive_mutex> lock(mutex);
    engine.RideEngineProcess(i, o, kBlock, 2, 2);
  }
  benchmark::DoNotOptimize(out[0].back());
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_HostRoad(benchmark::State& state)
{
  for (auto _ : state)
    state.SetIterationTime(HostRender());
  state.counters["xRealTime"] = benchmark::Counter(10.0 * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_BareEngine(benchmark::State& state)
{
  for (auto _ : state)
    state.SetIterationTime(EngineRender());
  state.counters["xRealTime"] = benchmark::Counter(10.0 * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_OpenUnit(benchmark::State& state)
{
  std::string error;
  for (auto _ : state)
    benchmark::DoNotOptimize(auhost::OpenedUnit::Open(Bundle(), error));
}

// Both in turn, so a busy machine slows them alike; the best of each.
void BM_HostOverhead(benchmark::State& state)
{
  double host = 1e9, bare = 1e9;
  for (auto _ : state)
  {
    host = std::min(host, HostRender());
    bare = std::min(bare, EngineRender());
  }
  state.counters["overhead%"] = 100.0 * (host - bare) / bare;
}

} // namespace

BENCHMARK(BM_HostRoad)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_BareEngine)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_OpenUnit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostOverhead)->Unit(benchmark::kMillisecond)->Iterations(10);
