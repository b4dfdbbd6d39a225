// The queues' cost on the audio thread: a push and a pop without contention,
// and pushes from two threads at once (the host setting parameters from its
// audio and its main thread) while nothing drains.
#include <benchmark/benchmark.h>

#include "framework/PluginQueue.h"
#include "framework/QueueRecords.h"

namespace {

using plugkit::ParamTuple;
using plugkit::PluginQueue;

void BM_QueuePushPop(benchmark::State& state)
{
  PluginQueue<ParamTuple> queue(512);
  ParamTuple out;
  int i = 0;
  for (auto _ : state)
  {
    queue.Push(ParamTuple{i++ & 31, 0.5});
    queue.Pop(out);
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_QueuePushPop);

void BM_SysExPushPop(benchmark::State& state)
{
  PluginQueue<plugkit::SysExData> queue(4);
  uint8_t bytes[64] = {0xF0};
  plugkit::SysExData out;
  for (auto _ : state)
  {
    queue.Push(plugkit::SysExData::From(plugkit::ISysExMsg{0, 64, bytes}));
    queue.Pop(out);
    benchmark::DoNotOptimize(out.mSize);
  }
}
BENCHMARK(BM_SysExPushPop);

// Both threads push into one queue and the first thread drains it between
// runs of pushes, so the queue is never full for long.
PluginQueue<ParamTuple>* gShared = nullptr;

void BM_QueueTwoProducers(benchmark::State& state)
{
  if (state.thread_index() == 0)
    gShared = new PluginQueue<ParamTuple>(512);
  ParamTuple out;
  int i = 0;
  for (auto _ : state)
  {
    gShared->Push(ParamTuple{state.thread_index(), double(i++)});
    if (state.thread_index() == 0)
      gShared->Pop(out);
  }
  if (state.thread_index() == 0)
  {
    delete gShared;
    gShared = nullptr;
  }
}
BENCHMARK(BM_QueueTwoProducers)->Threads(2);

} // namespace
