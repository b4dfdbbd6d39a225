#pragma once

// Command queues and command buffers of the stand-in GPU.
//
// A command buffer collects encoded passes, is enqueued (its place in the
// queue is fixed) and committed (it may run). The GPU runs a queue's
// committed buffers strictly in enqueue order, so an enqueued buffer that is
// never committed holds back every later one, as on the platform. After a
// buffer has run its completion handlers run (on the GPU's thread, or on
// the committing thread in synchronous mode), then its waiters wake; with
// late handlers (StandIn/Gpu.h) the waiters wake first, as the platform
// allows. A buffer keeps everything it uses alive until it has completed.

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "CoreFoundation/CFBase.h"
#include "Metal/MTLTypes.h"
#include "StandIn/Strong.h"

class MTLDevice;
class MTLCommandBuffer;
class MTLRenderCommandEncoder;
class MTLBlitCommandEncoder;
struct MTLRenderPassDescriptor;
class CAMetalDrawable;

class MTLCommandQueue : public CFObject
{
public:
  explicit MTLCommandQueue(MTLDevice* device);
  ~MTLCommandQueue() override;
  MTLDevice* device() const { return mDevice.get(); }
  Strong<MTLCommandBuffer> commandBuffer();

private:
  friend class MTLCommandBuffer;
  friend struct GpuScheduler;
  Strong<MTLDevice> mDevice;
  std::deque<MTLCommandBuffer*> mPending; // enqueued, not yet run; each holds a reference
};

using MTLCommandBufferHandler = std::function<void(MTLCommandBuffer*)>;

class MTLCommandBuffer : public CFObject
{
public:
  explicit MTLCommandBuffer(MTLCommandQueue* queue);
  ~MTLCommandBuffer() override;

  MTLCommandQueue* commandQueue() const { return mQueue.get(); }
  MTLDevice* device() const;
  MTLCommandBufferStatus status() const;

  // Null once the buffer is committed or while another encoder is open.
  Strong<MTLRenderCommandEncoder> renderCommandEncoderWithDescriptor(const MTLRenderPassDescriptor& descriptor);
  Strong<MTLBlitCommandEncoder> blitCommandEncoder();

  void addCompletedHandler(MTLCommandBufferHandler handler);
  // Presents the drawable once the buffer has run.
  void presentDrawable(CAMetalDrawable* drawable);
  void enqueue();
  void commit();
  void waitUntilScheduled() const;
  void waitUntilCompleted() const;

  // The stand-in's encoders add their work here.
  void AddWork(std::function<void()> work);
  void EncoderEnded();

private:
  friend struct GpuScheduler;
  void Execute();
  void MarkCompleted();

  Strong<MTLCommandQueue> mQueue;
  MTLCommandBufferStatus mStatus = MTLCommandBufferStatusNotEnqueued;
  bool mEncoderOpen = false;
  std::vector<std::function<void()>> mWork;
  std::vector<MTLCommandBufferHandler> mCompletedHandlers;
};
