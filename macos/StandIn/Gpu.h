#pragma once

// Controls of the stand-in GPU that a real Mac has no equivalent for, and
// the command log through which tests see what was encoded.
//
// By default command buffers run on a worker thread, one at a time per queue
// in enqueue order. Synchronous mode runs a committed buffer on the thread
// that commits it, so tests stay deterministic; the gate holds all
// execution until opened, so a test can keep frames in flight.

#include <optional>
#include <string>
#include <vector>

#include "Metal/MTLTypes.h"

namespace standin {

void SetGpuSynchronous(bool synchronous);
bool IsGpuSynchronous();
// While closed, no command buffer starts executing.
void SetGpuGateOpen(bool open);
// Makes MTLCreateSystemDefaultDevice answer null (no GPU).
void SetGpuAvailable(bool available);
bool IsGpuAvailable();
// Textures made without data start magenta instead of zeroed, to show that
// nothing reads contents it has not written.
void SetStrictTextures(bool strict);
bool AreTexturesStrict();
// Turns the rasteriser's shortcuts on or off; their results are identical.
void SetGpuFastPaths(bool enabled);
bool AreGpuFastPathsEnabled();
// The platform may run a buffer's completion handlers after the buffer
// counts as completed (its waiters already woken); while on, so does the
// stand-in.
void SetLateCompletionHandlers(bool late);
bool AreCompletionHandlersLate();
// Holds the next semaphore signal made from inside a completion handler
// until released, so a test can keep a handler between its last steps.
void HoldNextCompletionSignal();
// True once a signal is held (false after `timeoutMs`).
bool WaitForHeldCompletionSignal(int timeoutMs = 5000);
void ReleaseHeldCompletionSignal();
// Buffers and textures of more than `bytes` are refused, as an exhausted
// GPU refuses them (0: no limit).
void SetGpuAllocationLimit(unsigned long long bytes);
bool IsGpuAllocationRefused(unsigned long long bytes);
// Synchronous, gate open, device available, not strict, fast paths on,
// handlers before completion, no held signal, no allocation limit, empty
// command log.
void ResetGpu();

struct CommandLogEntry
{
  enum Kind { kRenderPass, kDraw, kBlit } kind = kDraw;
  // Render pass
  MTLLoadAction loadAction = MTLLoadActionDontCare;
  MTLClearColor clearColor;
  int targetWidth = 0, targetHeight = 0;
  // Draw
  MTLPrimitiveType primitive = MTLPrimitiveTypeTriangle;
  bool indexed = false;
  NSUInteger start = 0, count = 0; // vertices, or indices when indexed
  MTLCullMode cull = MTLCullModeNone;
  std::string stencilLabel; // the depth-stencil state's label
  std::optional<MTLStencilDescriptor> frontStencil, backStencil;
  MTLBlendFactor blend[4] = {}; // source RGB, destination RGB, source alpha, destination alpha
  const void* pipeline = nullptr;
  bool writesColor = true; // false for a pipeline without fragment function or write mask
  // Blit
  std::string blit; // "copy", "mipmaps", "synchronize"
};

// While on, every executed draw of a pass with a stencil attachment appends
// the number of non-zero stencil values it left behind.
void SetStencilTrace(bool on);
bool IsStencilTraceOn();
std::vector<int> StencilTrace();
void AppendStencilTrace(int nonZeroValues);

std::vector<CommandLogEntry> CommandLog();
void ClearCommandLog();
void AppendCommandLog(const CommandLogEntry& entry);

} // namespace standin

#include <mutex>

namespace standin {
// Guards texture contents between the GPU's passes and the CPU's uploads
// and read-backs.
std::mutex& GpuMemoryLock();
// Marks the calling thread as running completion handlers (the command
// buffer's own bookkeeping) and, from the semaphore, waits while a held
// signal is asked for.
void SetInCompletionHandler(bool inside);
void CompletionSignalStep();
} // namespace standin
