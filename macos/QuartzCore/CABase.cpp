#include "QuartzCore/CABase.h"

#include <chrono>

#include "CoreFoundation/CFDate.h"
#include "StandIn/Hooks.h"

CFTimeInterval CACurrentMediaTime()
{
  if (standin::IsManualClock())
    return CFAbsoluteTimeGetCurrent();
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return std::chrono::duration<double>(now).count();
}
