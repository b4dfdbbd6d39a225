#pragma once

#include <cstdint>
#include <functional>

#include "CoreFoundation/CFRunLoop.h"

namespace plugkit {

// A periodic callback on the main thread. It fires on the first pass of the
// main run loop after creation, then every period, whichever thread created
// it, also while the loop runs a modal panel or tracks the mouse. There is no
// pause or restart: it runs from creation until Stop or destruction.
//
// The creator owns the returned timer. Stop may be called on any thread that
// does not race the main loop's own use of the timer (the plug-in's
// destroying thread, which the host serialises with the main thread).
class Timer
{
public:
  using ITimerFunction = std::function<void(Timer& timer)>;

  // A running timer that calls func every periodMs milliseconds; null when
  // func is empty or the run loop cannot make a timer.
  static Timer* Create(ITimerFunction func, uint32_t periodMs);

  virtual ~Timer() = default;
  // Stops the timer for good; calling it again does nothing.
  virtual void Stop() = 0;
};

// The timer on a Core Foundation run-loop timer. It owns its run-loop timer
// reference and releases it exactly once, on Stop or destruction.
class Timer_impl : public Timer
{
public:
  Timer_impl(ITimerFunction func, uint32_t periodMs);
  ~Timer_impl() override;
  Timer_impl(const Timer_impl&) = delete;
  Timer_impl& operator=(const Timer_impl&) = delete;

  void Stop() override;
  bool IsRunning() const { return mOSTimer != nullptr; }

private:
  static void TimerProc(CFRunLoopTimerRef timer, void* info);

  CFRunLoopTimerRef mOSTimer = nullptr;
  ITimerFunction mTimerFunc;
  uint32_t mIntervalMs;
};

} // namespace plugkit
