#pragma once

// The main run loop and its timers. A timer fires on the thread that runs the
// loop, in fire-time order with the other due timers; after firing it is
// rescheduled to the first multiple of its interval after the current time,
// so a late loop never fires a burst of catch-up calls. A timer invalidated
// inside its own callback fires no more. Running the loop from inside a timer
// callback (a modal panel) fires the other due timers but never re-enters the
// timer whose callback is on the stack.

#include "CoreFoundation/CFBase.h"

struct CFRunLoopObject;
struct CFRunLoopTimerObject;
typedef CFRunLoopObject* CFRunLoopRef;
typedef CFRunLoopTimerObject* CFRunLoopTimerRef;
typedef const char* CFRunLoopMode;

extern const CFRunLoopMode kCFRunLoopCommonModes;
extern const CFRunLoopMode kCFRunLoopDefaultMode;

typedef void (*CFRunLoopTimerCallBack)(CFRunLoopTimerRef timer, void* info);

struct CFRunLoopTimerContext
{
  CFIndex version;
  void* info;
  const void* (*retain)(const void* info);
  void (*release)(const void* info);
  const char* (*copyDescription)(const void* info);
};

enum
{
  kCFRunLoopRunFinished = 1,
  kCFRunLoopRunStopped = 2,
  kCFRunLoopRunTimedOut = 3,
  kCFRunLoopRunHandledSource = 4
};
typedef int32_t CFRunLoopRunResult;

CFRunLoopRef CFRunLoopGetMain();

// A timer with a first fire time and an interval in seconds (0: fires once).
// The context is copied; its info pointer is passed to the callback.
CFRunLoopTimerRef CFRunLoopTimerCreate(CFAllocatorRef allocator, CFAbsoluteTime fireDate, CFTimeInterval interval,
  CFOptionFlags flags, CFIndex order, CFRunLoopTimerCallBack callout, const CFRunLoopTimerContext* context);
// The loop keeps its own reference until the timer is invalidated.
void CFRunLoopAddTimer(CFRunLoopRef loop, CFRunLoopTimerRef timer, CFRunLoopMode mode);
void CFRunLoopTimerInvalidate(CFRunLoopTimerRef timer);
Boolean CFRunLoopTimerIsValid(CFRunLoopTimerRef timer);
CFAbsoluteTime CFRunLoopTimerGetNextFireDate(CFRunLoopTimerRef timer);
CFTimeInterval CFRunLoopTimerGetInterval(CFRunLoopTimerRef timer);

// Runs the main loop on the calling thread. With seconds <= 0: fires every
// timer that is due now, once. With seconds > 0: keeps firing timers as they
// fall due until that much time has passed (under the manual clock, the clock
// is moved forward instead of waiting). Returns kCFRunLoopRunHandledSource
// when a timer fired and returnAfterSourceHandled is set, else
// kCFRunLoopRunTimedOut, or kCFRunLoopRunFinished when the loop has no timer.
CFRunLoopRunResult CFRunLoopRunInMode(CFRunLoopMode mode, CFTimeInterval seconds, Boolean returnAfterSourceHandled);
