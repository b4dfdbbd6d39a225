#include "framework/Timer.h"

#include <utility>

#include "CoreFoundation/CFDate.h"

namespace plugkit {

Timer* Timer::Create(ITimerFunction func, uint32_t periodMs)
{
  if (!func)
    return nullptr;
  auto* timer = new Timer_impl(std::move(func), periodMs);
  if (!timer->IsRunning())
  {
    delete timer;
    return nullptr;
  }
  return timer;
}

Timer_impl::Timer_impl(ITimerFunction func, uint32_t periodMs)
  : mTimerFunc(std::move(func))
  , mIntervalMs(periodMs)
{
  CFRunLoopTimerContext context{0, this, nullptr, nullptr, nullptr};
  // The first fire date is now, so the callback comes on the loop's next pass
  // rather than a whole period later.
  mOSTimer = CFRunLoopTimerCreate(kCFAllocatorDefault, CFAbsoluteTimeGetCurrent(), mIntervalMs / 1000.0, 0, 0,
    TimerProc, &context);
  if (mOSTimer)
    CFRunLoopAddTimer(CFRunLoopGetMain(), mOSTimer, kCFRunLoopCommonModes);
}

Timer_impl::~Timer_impl()
{
  Stop();
}

void Timer_impl::Stop()
{
  if (!mOSTimer)
    return;
  CFRunLoopTimerRef timer = mOSTimer;
  mOSTimer = nullptr;
  CFRunLoopTimerInvalidate(timer);
  CFRelease(timer);
}

void Timer_impl::TimerProc(CFRunLoopTimerRef, void* info)
{
  auto* self = static_cast<Timer_impl*>(info);
  // A callback that stopped its own timer may still be on the stack of the
  // loop's current pass; the loop checks validity before each call, so a
  // stopped timer is never entered again.
  if (self->mTimerFunc)
    self->mTimerFunc(*self);
}

} // namespace plugkit
