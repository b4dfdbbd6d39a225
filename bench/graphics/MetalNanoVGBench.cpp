// The typical editor frame on the stand-in GPU (synchronous: one core).
// Arguments: the screen ratio and whether the GPU's fast paths are on.

#include <benchmark/benchmark.h>

#include "EditorFrameScene.h"

namespace {

using editor_frame_scene::EditorFrame;

void BM_EditorFrame(benchmark::State& state)
{
  EditorFrame frame(static_cast<float>(state.range(0)));
  standin::SetGpuFastPaths(state.range(1) != 0);
  for (auto _ : state)
    frame.Full();
}
BENCHMARK(BM_EditorFrame)->ArgNames({"ratio", "fast"})->ArgsProduct({{1, 2}, {1, 0}})->Unit(benchmark::kMillisecond);

void BM_KnobTick(benchmark::State& state)
{
  EditorFrame frame(1.0f);
  standin::SetGpuFastPaths(state.range(0) != 0);
  frame.Full();
  int tick = 0;
  for (auto _ : state)
    frame.KnobTick(++tick);
}
BENCHMARK(BM_KnobTick)->ArgNames({"fast"})->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace
