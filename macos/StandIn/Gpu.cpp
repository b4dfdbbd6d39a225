#include "StandIn/Gpu.h"

#include <atomic>

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
};

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

void ResetGpu()
{
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
