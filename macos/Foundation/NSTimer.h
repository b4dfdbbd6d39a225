#pragma once

// A timer on the main run loop (common modes). A repeating timer sends its
// action to its target every interval and retains the target until it is
// invalidated, as the platform's timer does; invalidating releases it.

#include <string>

#include "CoreFoundation/CFRunLoop.h"
#include "Foundation/NSObject.h"

class NSTimer : public NSObject
{
public:
  // Scheduled on the main loop; the caller gets a reference of its own.
  static NSTimer* newScheduledTimer(double interval, NSObject* target, std::string selector, bool repeats);
  ~NSTimer() override;

  void invalidate();
  bool isValid() const;
  double timeInterval() const { return mInterval; }

private:
  NSTimer(double interval, NSObject* target, std::string selector);
  static void Fire(CFRunLoopTimerRef timer, void* info);

  double mInterval;
  NSObject* mTarget;
  std::string mSelector;
  CFRunLoopTimerRef mTimer = nullptr;
};
