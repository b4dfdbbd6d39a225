#include "dispatch/dispatch.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

#include "CoreFoundation/CFBase.h"
#include "StandIn/Gpu.h"

struct dispatch_semaphore_s : CFObject
{
  std::mutex mutex;
  std::condition_variable wake;
  long count = 0;
  long waiters = 0;
};

struct dispatch_data_s : CFObject
{
  std::vector<uint8_t> copy;
  const void* bytes = nullptr;
  size_t size = 0;
  dispatch_block_t destructor;
  ~dispatch_data_s() override
  {
    if (destructor)
      destructor();
  }
};

const dispatch_block_t DISPATCH_DATA_DESTRUCTOR_DEFAULT;

namespace {

using Clock = std::chrono::steady_clock;

int64_t NowNanoseconds()
{
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

} // namespace

dispatch_time_t dispatch_time(dispatch_time_t when, int64_t delta)
{
  if (when == DISPATCH_TIME_FOREVER)
    return DISPATCH_TIME_FOREVER;
  int64_t base = when == DISPATCH_TIME_NOW ? NowNanoseconds() : static_cast<int64_t>(when);
  int64_t t = base + delta;
  return t <= 0 ? 1 : static_cast<dispatch_time_t>(t);
}

dispatch_semaphore_t dispatch_semaphore_create(long value)
{
  if (value < 0)
    return nullptr;
  auto* s = new dispatch_semaphore_s;
  s->count = value;
  return s;
}

long dispatch_semaphore_wait(dispatch_semaphore_t s, dispatch_time_t timeout)
{
  std::unique_lock<std::mutex> lock(s->mutex);
  ++s->waiters;
  auto ready = [s] { return s->count > 0; };
  bool taken;
  if (timeout == DISPATCH_TIME_FOREVER)
  {
    s->wake.wait(lock, ready);
    taken = true;
  }
  else
  {
    int64_t left = static_cast<int64_t>(timeout) - NowNanoseconds();
    taken = s->wake.wait_for(lock, std::chrono::nanoseconds(left > 0 ? left : 0), ready);
  }
  --s->waiters;
  if (!taken)
    return 1;
  --s->count;
  return 0;
}

long dispatch_semaphore_signal(dispatch_semaphore_t s)
{
  standin::CompletionSignalStep(); // a test may hold a completion handler here
  std::lock_guard<std::mutex> lock(s->mutex);
  ++s->count;
  s->wake.notify_one();
  return s->waiters > 0 ? 1 : 0;
}

dispatch_data_t dispatch_data_create(const void* buffer, size_t size, dispatch_queue_t, dispatch_block_t destructor)
{
  auto* d = new dispatch_data_s;
  if (destructor)
  {
    d->bytes = buffer;
    d->destructor = std::move(destructor);
  }
  else
  {
    d->copy.resize(size);
    if (size)
      std::memcpy(d->copy.data(), buffer, size);
    d->bytes = d->copy.data();
  }
  d->size = size;
  return d;
}

size_t dispatch_data_get_size(dispatch_data_t data) { return data ? data->size : 0; }
const void* dispatch_data_get_bytes(dispatch_data_t data) { return data ? data->bytes : nullptr; }

void dispatch_retain(void* object) { CFRetain(object); }
void dispatch_release(void* object) { CFRelease(object); }
