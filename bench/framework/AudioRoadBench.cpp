// What the host's audio thread costs in the framework: setting and reading
// parameter values, and one block through the processor's float/double road.
#include <vector>

#include <benchmark/benchmark.h>

#include "framework/IParam.h"
#include "framework/PluginProcessor.h"

namespace {

class BenchProcessor : public plugkit::PluginProcessor
{
public:
  explicit BenchProcessor(const plugkit::PluginConfig& config) : PluginProcessor(config) {}
  bool SendMidiMsg(const plugkit::IMidiMsg&) override { return true; }
};

void BM_ParamSetNormalized(benchmark::State& state)
{
  plugkit::IParam param;
  param.InitFrequency("Freq", 1000.0, 20.0, 20000.0, 1.0, plugkit::IParam::kFlagStepped);
  double x = 0.0;
  for (auto _ : state)
  {
    x += 0.001;
    if (x > 1.0)
      x = 0.0;
    param.SetNormalized(x);
    benchmark::DoNotOptimize(param.Value());
  }
}
BENCHMARK(BM_ParamSetNormalized);

// A stereo block through attach, the default copy and the write-back.
void BM_ProcessBuffersStereo(benchmark::State& state)
{
  const int frames = static_cast<int>(state.range(0));
  plugkit::PluginConfig config;
  config.channelIOStr = "1-1 1.1-1 1.2-1 2-2 2.1-2 2.2-2";
  BenchProcessor proc(config);
  proc.SetBlockSize(frames);
  std::vector<float> inL(static_cast<size_t>(frames), 0.25f), inR(inL), outL(inL), outR(inL);
  float* ins[] = {inL.data(), inR.data()};
  float* outs[] = {outL.data(), outR.data()};
  for (auto _ : state)
  {
    proc.SetChannelConnections(plugkit::kInput, 0, 4, false);
    proc.SetChannelConnections(plugkit::kInput, 0, 2, true);
    proc.SetChannelConnections(plugkit::kOutput, 0, 2, true);
    proc.AttachInputBuffers(plugkit::kInput, 0, 4, ins, frames);
    proc.AttachInputBuffers(plugkit::kOutput, 0, 2, outs, frames);
    proc.ProcessBuffers(frames);
    benchmark::DoNotOptimize(outL.data());
  }
  state.SetItemsProcessed(state.iterations() * frames);
}
BENCHMARK(BM_ProcessBuffersStereo)->Arg(64)->Arg(512)->Arg(4096);

} // namespace
