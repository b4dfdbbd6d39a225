#include "CoreFoundation/CFDate.h"

#include <atomic>
#include <chrono>

#include "StandIn/Hooks.h"

namespace {

// Seconds between the Unix epoch and 1 January 2001.
constexpr double kEpochOffset = 978307200.0;

std::atomic<bool> gManual{false};
std::atomic<double> gManualNow{0.0};

} // namespace

CFAbsoluteTime CFAbsoluteTimeGetCurrent()
{
  if (gManual.load())
    return gManualNow.load();
  const auto sinceUnix = std::chrono::system_clock::now().time_since_epoch();
  return std::chrono::duration<double>(sinceUnix).count() - kEpochOffset;
}

namespace standin {

void UseManualClock(CFAbsoluteTime start)
{
  gManualNow.store(start);
  gManual.store(true);
}

void AdvanceManualClock(CFTimeInterval seconds)
{
  if (seconds > 0)
    gManualNow.store(gManualNow.load() + seconds);
}

void UseRealClock()
{
  gManual.store(false);
}

bool IsManualClock()
{
  return gManual.load();
}

} // namespace standin
