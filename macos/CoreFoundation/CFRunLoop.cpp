#include "CoreFoundation/CFRunLoop.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>
#include <vector>

#include "CoreFoundation/CFDate.h"
#include "StandIn/Hooks.h"

namespace {
std::atomic<int> gLiveTimers{0};
}

struct CFRunLoopTimerObject : CFObject
{
  CFRunLoopTimerObject() { ++gLiveTimers; }
  ~CFRunLoopTimerObject() override { --gLiveTimers; }

  CFAbsoluteTime nextFire = 0;
  CFTimeInterval interval = 0;
  CFRunLoopTimerCallBack callout = nullptr;
  CFRunLoopTimerContext context{};
  std::atomic<bool> valid{true};
  bool firing = false; // only touched on the thread that runs the loop
  long sequence = 0;   // creation order breaks ties between equal fire times
};

struct CFRunLoopObject : CFObject
{
  std::recursive_mutex mutex;
  std::vector<CFRunLoopTimerRef> timers; // each holds one reference
};

const CFRunLoopMode kCFRunLoopCommonModes = "kCFRunLoopCommonModes";
const CFRunLoopMode kCFRunLoopDefaultMode = "kCFRunLoopDefaultMode";

namespace {

long gNextSequence = 0;

// Drops the loop's reference of every timer that was invalidated.
void PruneInvalid(CFRunLoopRef loop)
{
  std::vector<CFRunLoopTimerRef> dropped;
  {
    std::lock_guard<std::recursive_mutex> lock(loop->mutex);
    auto& timers = loop->timers;
    for (auto it = timers.begin(); it != timers.end();)
    {
      if (!(*it)->valid)
      {
        dropped.push_back(*it);
        it = timers.erase(it);
      }
      else
        ++it;
    }
  }
  for (CFRunLoopTimerRef t : dropped)
    CFRelease(t);
}

// The next fire time after `now` on the timer's grid.
CFAbsoluteTime NextAfter(CFAbsoluteTime fire, CFTimeInterval interval, CFAbsoluteTime now)
{
  if (fire > now)
    return fire;
  const double periods = std::floor((now - fire) / interval) + 1.0;
  CFAbsoluteTime next = fire + periods * interval;
  while (next <= now) // guards rounding at the edge
    next += interval;
  return next;
}

// Fires every timer due at the current time once; returns how many fired.
int FireDueTimers(CFRunLoopRef loop)
{
  const CFAbsoluteTime now = CFAbsoluteTimeGetCurrent();
  std::vector<CFRunLoopTimerRef> due;
  {
    std::lock_guard<std::recursive_mutex> lock(loop->mutex);
    for (CFRunLoopTimerRef t : loop->timers)
      if (t->valid && !t->firing && t->nextFire <= now)
        {
        CFRetain(t);
        due.push_back(t);
      }
  }
  std::stable_sort(due.begin(), due.end(), [](CFRunLoopTimerRef a, CFRunLoopTimerRef b) {
    return a->nextFire != b->nextFire ? a->nextFire < b->nextFire : a->sequence < b->sequence;
  });

  int fired = 0;
  for (CFRunLoopTimerRef t : due)
  {
    // An earlier callback (or a nested run) may have invalidated or fired it.
    if (t->valid && !t->firing && t->nextFire <= now)
    {
      const CFAbsoluteTime scheduled = t->nextFire;
      t->firing = true;
      t->callout(t, t->context.info);
      t->firing = false;
      ++fired;
      if (t->interval > 0)
        t->nextFire = NextAfter(scheduled, t->interval, CFAbsoluteTimeGetCurrent());
      else
        t->valid = false; // a one-shot timer is done
    }
    CFRelease(t);
  }
  PruneInvalid(loop);
  return fired;
}

// The earliest fire time among the loop's valid timers, or false when none.
bool EarliestFire(CFRunLoopRef loop, CFAbsoluteTime& when)
{
  std::lock_guard<std::recursive_mutex> lock(loop->mutex);
  bool any = false;
  for (CFRunLoopTimerRef t : loop->timers)
  {
    if (!t->valid || t->firing)
      continue;
    if (!any || t->nextFire < when)
      when = t->nextFire;
    any = true;
  }
  return any;
}

} // namespace

CFRunLoopRef CFRunLoopGetMain()
{
  static CFRunLoopObject* mainLoop = new CFRunLoopObject; // lives for the process
  return mainLoop;
}

CFRunLoopTimerRef CFRunLoopTimerCreate(CFAllocatorRef, CFAbsoluteTime fireDate, CFTimeInterval interval, CFOptionFlags,
  CFIndex, CFRunLoopTimerCallBack callout, const CFRunLoopTimerContext* context)
{
  if (!callout)
    return nullptr;
  auto* timer = new CFRunLoopTimerObject;
  timer->nextFire = fireDate;
  timer->interval = interval > 0 ? interval : 0;
  timer->callout = callout;
  if (context)
    timer->context = *context;
  {
    std::lock_guard<std::recursive_mutex> lock(CFRunLoopGetMain()->mutex);
    timer->sequence = gNextSequence++;
  }
  return timer;
}

void CFRunLoopAddTimer(CFRunLoopRef loop, CFRunLoopTimerRef timer, CFRunLoopMode)
{
  if (!loop || !timer || !timer->valid)
    return;
  std::lock_guard<std::recursive_mutex> lock(loop->mutex);
  if (std::find(loop->timers.begin(), loop->timers.end(), timer) != loop->timers.end())
    return;
  CFRetain(timer);
  loop->timers.push_back(timer);
}

void CFRunLoopTimerInvalidate(CFRunLoopTimerRef timer)
{
  if (!timer)
    return;
  timer->valid = false;
  // While the loop is firing timers it prunes on its own; outside a run the
  // reference is dropped at once so the timer can go away.
  CFRunLoopRef loop = CFRunLoopGetMain();
  bool anyFiring = false;
  {
    std::lock_guard<std::recursive_mutex> lock(loop->mutex);
    for (CFRunLoopTimerRef t : loop->timers)
      anyFiring = anyFiring || t->firing;
  }
  if (!anyFiring)
    PruneInvalid(loop);
}

Boolean CFRunLoopTimerIsValid(CFRunLoopTimerRef timer)
{
  return timer && timer->valid;
}

CFAbsoluteTime CFRunLoopTimerGetNextFireDate(CFRunLoopTimerRef timer)
{
  return timer ? timer->nextFire : 0;
}

CFTimeInterval CFRunLoopTimerGetInterval(CFRunLoopTimerRef timer)
{
  return timer ? timer->interval : 0;
}

CFRunLoopRunResult CFRunLoopRunInMode(CFRunLoopMode, CFTimeInterval seconds, Boolean returnAfterSourceHandled)
{
  CFRunLoopRef loop = CFRunLoopGetMain();
  const CFAbsoluteTime end = CFAbsoluteTimeGetCurrent() + std::max(seconds, 0.0);
  int fired = 0;
  for (;;)
  {
    fired += FireDueTimers(loop);
    if (fired && returnAfterSourceHandled)
      return kCFRunLoopRunHandledSource;

    CFAbsoluteTime next = 0;
    const bool any = EarliestFire(loop, next);
    const CFAbsoluteTime now = CFAbsoluteTimeGetCurrent();
    if (!any && fired == 0 && seconds <= 0)
      return kCFRunLoopRunFinished;
    if (seconds <= 0 || now >= end)
      return kCFRunLoopRunTimedOut;

    const CFAbsoluteTime wake = any ? std::min(next, end) : end;
    if (standin::IsManualClock())
      standin::AdvanceManualClock(wake - now);
    else if (wake > now)
      std::this_thread::sleep_for(std::chrono::duration<double>(wake - now));
  }
}

namespace standin {

void RunMainLoopFor(CFTimeInterval seconds)
{
  CFRunLoopRunInMode(kCFRunLoopDefaultMode, seconds, false);
}

int LiveTimerCount()
{
  return gLiveTimers.load();
}

int ScheduledTimerCount()
{
  CFRunLoopRef loop = CFRunLoopGetMain();
  std::lock_guard<std::recursive_mutex> lock(loop->mutex);
  int count = 0;
  for (CFRunLoopTimerRef t : loop->timers)
    count += t->valid ? 1 : 0;
  return count;
}

void ResetMainLoop()
{
  CFRunLoopRef loop = CFRunLoopGetMain();
  std::vector<CFRunLoopTimerRef> timers;
  {
    std::lock_guard<std::recursive_mutex> lock(loop->mutex);
    timers.swap(loop->timers);
  }
  for (CFRunLoopTimerRef t : timers)
  {
    t->valid = false;
    CFRelease(t);
  }
  ResetOverReleaseCount();
}

} // namespace standin
