#pragma once

#include "CoreFoundation/CFBase.h"

// Seconds since 1 January 2001, 00:00 UTC. Tests replace the clock with a
// manual one (StandIn/Hooks.h), so everything that reads this function sees
// the test's time.
CFAbsoluteTime CFAbsoluteTimeGetCurrent();
