#pragma once

#include "CoreFoundation/CFBase.h"

// Seconds of the system's monotonic clock. While a test has made the
// stand-in clock manual (StandIn/Hooks.h) it follows the manual clock, so
// run-loop timers and everything timed by this clock move together.
CFTimeInterval CACurrentMediaTime();
