#include "Metal/MTLCommandQueue.h"

#include <algorithm>
#include <thread>

#include "Metal/MTLBlitCommandEncoder.h"
#include "Metal/MTLDevice.h"
#include "Metal/MTLRenderCommandEncoder.h"
#include "QuartzCore/CAMetalLayer.h"
#include "StandIn/Gpu.h"

// The GPU: one scheduler for every queue. A queue's buffers run one at a
// time in enqueue order; the worker thread (started on first use) runs them
// unless the GPU is synchronous, in which case whoever commits or opens the
// gate runs what has become ready.
struct GpuScheduler
{
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<MTLCommandQueue*> queues;
  std::vector<MTLCommandQueue*> running; // queues with a buffer executing
  bool synchronous = true;
  bool gateOpen = true;
  bool workerStarted = false;

  static GpuScheduler& Get()
  {
    static GpuScheduler* scheduler = new GpuScheduler; // the worker outlives static destructors
    return *scheduler;
  }

  // A committed buffer at the front of a queue that is not running; the
  // caller holds the mutex.
  MTLCommandBuffer* TakeReady()
  {
    if (!gateOpen)
      return nullptr;
    for (MTLCommandQueue* q : queues)
    {
      if (q->mPending.empty() || q->mPending.front()->mStatus != MTLCommandBufferStatusCommitted)
        continue;
      if (std::find(running.begin(), running.end(), q) != running.end())
        continue;
      MTLCommandBuffer* buffer = q->mPending.front();
      q->mPending.pop_front();
      running.push_back(q);
      return buffer;
    }
    return nullptr;
  }

  // Runs one buffer (its reference from the queue is handed over) without
  // holding the mutex.
  void Run(MTLCommandBuffer* buffer)
  {
    MTLCommandQueue* queue = buffer->mQueue.get();
    buffer->Execute();
    {
      std::lock_guard<std::mutex> lock(mutex);
      running.erase(std::find(running.begin(), running.end(), queue));
    }
    changed.notify_all();
    CFRelease(buffer);
  }

  // Synchronous mode: the calling thread runs whatever is ready.
  void RunReadyHere()
  {
    for (;;)
    {
      MTLCommandBuffer* buffer;
      {
        std::lock_guard<std::mutex> lock(mutex);
        if (!synchronous || !(buffer = TakeReady()))
          return;
      }
      Run(buffer);
    }
  }

  void WorkerLoop()
  {
    for (;;)
    {
      MTLCommandBuffer* buffer;
      {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return !synchronous && (buffer = TakeReady()) != nullptr; });
      }
      Run(buffer);
    }
  }

  // The caller holds the mutex.
  void StartWorkerIfNeeded()
  {
    if (synchronous || workerStarted)
      return;
    workerStarted = true;
    std::thread([this] { WorkerLoop(); }).detach();
  }
};

namespace standin {

void SetGpuSynchronous(bool synchronous)
{
  GpuScheduler& s = GpuScheduler::Get();
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    s.synchronous = synchronous;
    s.StartWorkerIfNeeded();
  }
  s.changed.notify_all();
  s.RunReadyHere();
}

bool IsGpuSynchronous()
{
  GpuScheduler& s = GpuScheduler::Get();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.synchronous;
}

void SetGpuGateOpen(bool open)
{
  GpuScheduler& s = GpuScheduler::Get();
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    s.gateOpen = open;
  }
  s.changed.notify_all();
  s.RunReadyHere();
}

} // namespace standin

MTLCommandQueue::MTLCommandQueue(MTLDevice* device) : mDevice(device)
{
  GpuScheduler& s = GpuScheduler::Get();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.queues.push_back(this);
}

MTLCommandQueue::~MTLCommandQueue()
{
  // Every pending buffer holds this queue, so none is left here.
  GpuScheduler& s = GpuScheduler::Get();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.queues.erase(std::find(s.queues.begin(), s.queues.end(), this));
}

Strong<MTLCommandBuffer> MTLCommandQueue::commandBuffer() { return MakeStrong<MTLCommandBuffer>(this); }

MTLCommandBuffer::MTLCommandBuffer(MTLCommandQueue* queue) : mQueue(queue) {}
MTLCommandBuffer::~MTLCommandBuffer() = default;

MTLDevice* MTLCommandBuffer::device() const { return mQueue->device(); }

MTLCommandBufferStatus MTLCommandBuffer::status() const
{
  GpuScheduler& s = GpuScheduler::Get();
  std::lock_guard<std::mutex> lock(s.mutex);
  return mStatus;
}

Strong<MTLRenderCommandEncoder> MTLCommandBuffer::renderCommandEncoderWithDescriptor(const MTLRenderPassDescriptor& d)
{
  if (mEncoderOpen || status() >= MTLCommandBufferStatusCommitted || !d.colorAttachments[0].texture)
    return nullptr;
  mEncoderOpen = true;
  return MakeStrong<MTLRenderCommandEncoder>(this, d);
}

Strong<MTLBlitCommandEncoder> MTLCommandBuffer::blitCommandEncoder()
{
  if (mEncoderOpen || status() >= MTLCommandBufferStatusCommitted)
    return nullptr;
  mEncoderOpen = true;
  return MakeStrong<MTLBlitCommandEncoder>(this);
}

void MTLCommandBuffer::AddWork(std::function<void()> work) { mWork.push_back(std::move(work)); }
void MTLCommandBuffer::EncoderEnded() { mEncoderOpen = false; }

void MTLCommandBuffer::addCompletedHandler(MTLCommandBufferHandler handler)
{
  mCompletedHandlers.push_back(std::move(handler));
}

void MTLCommandBuffer::presentDrawable(CAMetalDrawable* drawable)
{
  Strong<CAMetalDrawable> keep(drawable);
  mCompletedHandlers.insert(mCompletedHandlers.begin(), [keep](MTLCommandBuffer*) { keep->present(); });
}

void MTLCommandBuffer::enqueue()
{
  GpuScheduler& s = GpuScheduler::Get();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (mStatus != MTLCommandBufferStatusNotEnqueued)
    return;
  mStatus = MTLCommandBufferStatusEnqueued;
  CFRetain(this);
  mQueue->mPending.push_back(this);
}

void MTLCommandBuffer::commit()
{
  enqueue();
  GpuScheduler& s = GpuScheduler::Get();
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    if (mStatus != MTLCommandBufferStatusEnqueued)
      return;
    mStatus = MTLCommandBufferStatusCommitted;
    s.StartWorkerIfNeeded();
  }
  s.changed.notify_all();
  s.RunReadyHere();
}

void MTLCommandBuffer::Execute()
{
  {
    std::lock_guard<std::mutex> lock(standin::GpuMemoryLock());
    for (auto& work : mWork)
      work();
  }
  GpuScheduler& s = GpuScheduler::Get();
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    mStatus = MTLCommandBufferStatusScheduled;
  }
  s.changed.notify_all();
  const bool late = standin::AreCompletionHandlersLate();
  if (late)
    MarkCompleted();
  standin::SetInCompletionHandler(true);
  for (auto& handler : mCompletedHandlers)
    handler(this);
  standin::SetInCompletionHandler(false);
  mCompletedHandlers.clear();
  mWork.clear(); // what the passes used may go now
  if (!late)
    MarkCompleted();
}

void MTLCommandBuffer::MarkCompleted()
{
  GpuScheduler& s = GpuScheduler::Get();
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    mStatus = MTLCommandBufferStatusCompleted;
  }
  s.changed.notify_all();
}

void MTLCommandBuffer::waitUntilScheduled() const
{
  GpuScheduler& s = GpuScheduler::Get();
  std::unique_lock<std::mutex> lock(s.mutex);
  s.changed.wait(lock, [this] { return mStatus >= MTLCommandBufferStatusScheduled; });
}

void MTLCommandBuffer::waitUntilCompleted() const
{
  GpuScheduler& s = GpuScheduler::Get();
  std::unique_lock<std::mutex> lock(s.mutex);
  s.changed.wait(lock, [this] { return mStatus == MTLCommandBufferStatusCompleted; });
}
