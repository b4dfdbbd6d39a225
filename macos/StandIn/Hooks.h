#pragma once

// Controls of the stand-in layer that a real Mac has no equivalent for: the
// manual clock and the run-loop driver that tests use, and the counters that
// let a test see what the system did with the objects it was given.

#include <string>

#include "CoreFoundation/CFBase.h"

namespace standin {

// From now on CFAbsoluteTimeGetCurrent returns `start` until moved.
void UseManualClock(CFAbsoluteTime start = 1000.0);
// Moves the manual clock forward without running the loop.
void AdvanceManualClock(CFTimeInterval seconds);
// Back to the system clock.
void UseRealClock();
bool IsManualClock();

// Runs the main loop for `seconds` of manual time: the clock jumps from one
// due timer to the next, firing each in order, and ends `seconds` later.
void RunMainLoopFor(CFTimeInterval seconds);

// Run-loop timers that exist (created and not yet destroyed).
int LiveTimerCount();
// Timers the main loop holds (added and not yet invalidated).
int ScheduledTimerCount();
// CFRelease calls on objects that no longer existed.
int OverReleaseCount();
// CFGetTypeID calls given null, which crash on the platform; never reset.
int NullTypeQueryCount();
// Zeroes the over-release counter.
void ResetOverReleaseCount();
// Forgets every timer of the main loop and zeroes the counters: a clean
// slate between tests.
void ResetMainLoop();

} // namespace standin
