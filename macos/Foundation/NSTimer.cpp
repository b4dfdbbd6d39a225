#include "Foundation/NSTimer.h"

#include "CoreFoundation/CFDate.h"

NSTimer::NSTimer(double interval, NSObject* target, std::string selector)
  : mInterval(interval), mTarget(target), mSelector(std::move(selector))
{
  if (mTarget)
    mTarget->retain();
}

NSTimer::~NSTimer()
{
  invalidate();
  CFRelease(mTimer);
}

NSTimer* NSTimer::newScheduledTimer(double interval, NSObject* target, std::string selector, bool repeats)
{
  auto* timer = new NSTimer(interval, target, std::move(selector));
  CFRunLoopTimerContext context = {0, timer, nullptr, nullptr, nullptr};
  timer->mTimer = CFRunLoopTimerCreate(kCFAllocatorDefault, CFAbsoluteTimeGetCurrent() + interval,
    repeats ? interval : 0.0, 0, 0, &NSTimer::Fire, &context);
  if (timer->mTimer)
    CFRunLoopAddTimer(CFRunLoopGetMain(), timer->mTimer, kCFRunLoopCommonModes);
  return timer;
}

void NSTimer::Fire(CFRunLoopTimerRef, void* info)
{
  auto* timer = static_cast<NSTimer*>(info);
  if (!timer->isValid())
    return;
  timer->retain(); // the action may invalidate and release the timer
  timer->mTarget->performAction(timer->mSelector, timer);
  if (timer->mInterval <= 0.0 || !CFRunLoopTimerIsValid(timer->mTimer))
    timer->invalidate();
  timer->release();
}

void NSTimer::invalidate()
{
  if (mTimer && CFRunLoopTimerIsValid(mTimer))
    CFRunLoopTimerInvalidate(mTimer);
  if (NSObject* target = mTarget)
  {
    mTarget = nullptr;
    target->release();
  }
}

bool NSTimer::isValid() const
{
  return mTarget && mTimer && CFRunLoopTimerIsValid(mTimer);
}
