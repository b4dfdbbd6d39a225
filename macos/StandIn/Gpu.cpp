#include "StandIn/Gpu.h"

#include <atomic>
#include <chrono>
#include <condition_variable>

namespace standin {
namespace {

struct GpuControls
{
  std::atomic<bool> available{true};
  std::atomic<bool> strict{false};
  std::atomic<bool> fastPaths{true};
  std::mutex logMutex;
  std::vector<CommandLogEntry> log;
  std::atomic<bool> stencilTraceOn{false};
  std::vector<int> stencilTrace;
  std::atomic<bool> lateHandlers{false};
  std::atomic<unsigned long long> allocationLimit{0};
  // The held completion signal: asked for, reached, released.
  std::mutex holdMutex;
  std::condition_variable holdChanged;
  bool holdArmed = false;
  bool holding = false;
};

thread_local bool tInCompletionHandler = false;

GpuControls& Controls()
{
  static GpuControls* controls = new GpuControls; // outlives the GPU thread
  return *controls;
}

} // namespace

bool IsGpuAvailable() { return Controls().available; }
void SetGpuAvailable(bool available) { Controls().available = available; }
void SetStrictTextures(bool strict) { Controls().strict = strict; }
bool AreTexturesStrict() { return Controls().strict; }
void SetGpuFastPaths(bool enabled) { Controls().fastPaths = enabled; }
bool AreGpuFastPathsEnabled() { return Controls().fastPaths; }

void SetLateCompletionHandlers(bool late) { Controls().lateHandlers = late; }
bool AreCompletionHandlersLate() { return Controls().lateHandlers; }

void SetGpuAllocationLimit(unsigned long long bytes) { Controls().allocationLimit = bytes; }
bool IsGpuAllocationRefused(unsigned long long bytes)
{
  const unsigned long long limit = Controls().allocationLimit;
  return limit != 0 && bytes > limit;
}

void HoldNextCompletionSignal()
{
  std::lock_guard<std::mutex> lock(Controls().holdMutex);
  Controls().holdArmed = true;
}

bool WaitForHeldCompletionSignal(int timeoutMs)
{
  GpuControls& c = Controls();
  std::unique_lock<std::mutex> lock(c.holdMutex);
  return c.holdChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return c.holding; });
}

void ReleaseHeldCompletionSignal()
{
  GpuControls& c = Controls();
  {
    std::lock_guard<std::mutex> lock(c.holdMutex);
    c.holdArmed = false;
  }
  c.holdChanged.notify_all();
}

void SetInCompletionHandler(bool inside) { tInCompletionHandler = inside; }

void CompletionSignalStep()
{
  if (!tInCompletionHandler)
    return;
  GpuControls& c = Controls();
  std::unique_lock<std::mutex> lock(c.holdMutex);
  if (!c.holdArmed)
    return;
  c.holding = true;
  c.holdChanged.notify_all();
  c.holdChanged.wait(lock, [&] { return !c.holdArmed; });
  c.holding = false;
}

void ResetGpu()
{
  SetLateCompletionHandlers(false);
  ReleaseHeldCompletionSignal();
  SetGpuAllocationLimit(0);
  SetGpuSynchronous(true);
  SetGpuGateOpen(true);
  SetGpuAvailable(true);
  SetStrictTextures(false);
  SetGpuFastPaths(true);
  ClearCommandLog();
  SetStencilTrace(false);
}

void SetStencilTrace(bool on)
{
  std::lock_guard<std::mutex> lock(Controls().logMutex);
  Controls().stencilTraceOn = on;
  Controls().stencilTrace.clear();
}

bool IsStencilTraceOn() { return Controls().stencilTraceOn; }

std::vector<int> StencilTrace()
{
  std::lock_guard<std::mutex> lock(Controls().logMutex);
  return Controls().stencilTrace;
}

void AppendStencilTrace(int nonZeroValues)
{
  std::lock_guard<std::mutex> lock(Controls().logMutex);
  Controls().stencilTrace.push_back(nonZeroValues);
}

std::vector<CommandLogEntry> CommandLog()
{
  std::lock_guard<std::mutex> lock(Controls().logMutex);
  return Controls().log;
}

void ClearCommandLog()
{
  std::lock_guard<std::mutex> lock(Controls().logMutex);
  Controls().log.clear();
}

void AppendCommandLog(const CommandLogEntry& entry)
{
  std::lock_guard<std::mutex> lock(Controls().logMutex);
  // A long-running program that never reads the log must not grow without
  // bound; tests read it long before this.
  if (Controls().log.size() >= 100000)
    Controls().log.clear();
  Controls().log.push_back(entry);
}

std::mutex& GpuMemoryLock()
{
  static std::mutex* lock = new std::mutex;
  return *lock;
}

} // namespace standin
