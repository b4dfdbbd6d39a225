#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "CoreFoundation/CoreFoundation.h"
#include "StandIn/Hooks.h"
#include "tests/support/ManualClock.h"

namespace {

using testsupport::ManualClockTest;

// A timer that records the manual time of each of its calls and can run a
// scripted action from inside its callback.
struct Probe
{
  std::vector<double> firedAt;
  std::vector<char>* order = nullptr;
  char name = '?';
  std::function<void(CFRunLoopTimerRef)> during;
  CFRunLoopTimerRef timer = nullptr;

  static void Callout(CFRunLoopTimerRef timer, void* info)
  {
    auto* self = static_cast<Probe*>(info);
    self->firedAt.push_back(CFAbsoluteTimeGetCurrent());
    if (self->order)
      self->order->push_back(self->name);
    if (self->during)
      self->during(timer);
  }

  void Start(double firstFire, double interval)
  {
    CFRunLoopTimerContext context{0, this, nullptr, nullptr, nullptr};
    timer = CFRunLoopTimerCreate(kCFAllocatorDefault, firstFire, interval, 0, 0, Callout, &context);
    CFRunLoopAddTimer(CFRunLoopGetMain(), timer, kCFRunLoopCommonModes);
  }

  void Stop()
  {
    if (!timer)
      return;
    CFRunLoopTimerInvalidate(timer);
    CFRelease(timer);
    timer = nullptr;
  }
};

using RunLoopTimers = ManualClockTest;

TEST_F(RunLoopTimers, FiresAtOnceThenEveryPeriodOfManualTime)
{
  Probe probe;
  probe.Start(CFAbsoluteTimeGetCurrent(), 0.020);

  CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0, false);
  ASSERT_EQ(probe.firedAt.size(), 1u);
  EXPECT_DOUBLE_EQ(probe.firedAt[0], kStart);

  standin::RunMainLoopFor(0.100);
  ASSERT_EQ(probe.firedAt.size(), 6u);
  for (size_t i = 1; i < probe.firedAt.size(); ++i)
    EXPECT_NEAR(probe.firedAt[i] - probe.firedAt[i - 1], 0.020, 1e-9);
  probe.Stop();
}

TEST_F(RunLoopTimers, LateLoopFiresOnceAndKeepsTheGrid)
{
  Probe probe;
  probe.Start(kStart, 0.020);
  standin::AdvanceManualClock(0.105); // five periods missed
  CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0, false);
  EXPECT_EQ(probe.firedAt.size(), 1u) << "no catch-up burst";
  EXPECT_NEAR(CFRunLoopTimerGetNextFireDate(probe.timer), kStart + 0.120, 1e-9);
  probe.Stop();
}

TEST_F(RunLoopTimers, DueTimersFireInFireTimeOrder)
{
  std::vector<char> order;
  Probe a, b, c;
  a.name = 'a', b.name = 'b', c.name = 'c';
  a.order = b.order = c.order = &order;
  c.Start(kStart + 0.003, 0); // created first, due last
  a.Start(kStart + 0.001, 0);
  b.Start(kStart + 0.002, 0);
  standin::AdvanceManualClock(0.010);
  CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0, false);
  EXPECT_EQ(order, (std::vector<char>{'a', 'b', 'c'}));
  a.Stop(), b.Stop(), c.Stop();
}

TEST_F(RunLoopTimers, OneShotTimerFiresOnceAndLeavesTheLoop)
{
  Probe probe;
  probe.Start(kStart + 0.005, 0);
  standin::RunMainLoopFor(1.0);
  EXPECT_EQ(probe.firedAt.size(), 1u);
  EXPECT_EQ(standin::ScheduledTimerCount(), 0);
  probe.Stop();
}

TEST_F(RunLoopTimers, TimerInvalidatedInsideItsCallbackFiresNoMore)
{
  Probe probe;
  probe.during = [](CFRunLoopTimerRef self) { CFRunLoopTimerInvalidate(self); };
  probe.Start(kStart, 0.020);
  standin::RunMainLoopFor(0.200);
  EXPECT_EQ(probe.firedAt.size(), 1u);
  EXPECT_FALSE(CFRunLoopTimerIsValid(probe.timer));
  probe.Stop();
}

TEST_F(RunLoopTimers, NestedRunFiresOtherTimersButNotTheOneOnTheStack)
{
  Probe outer, inner;
  int nestedRuns = 0;
  outer.during = [&](CFRunLoopTimerRef) {
    if (nestedRuns++ == 0) // a modal panel runs the loop for a while
      standin::RunMainLoopFor(0.050);
  };
  outer.Start(kStart, 0.020);
  inner.Start(kStart + 0.010, 0.010);

  CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0, false);
  EXPECT_EQ(outer.firedAt.size(), 1u) << "the firing timer was re-entered";
  EXPECT_EQ(inner.firedAt.size(), 5u);

  standin::RunMainLoopFor(0.020);
  EXPECT_GE(outer.firedAt.size(), 2u) << "the outer timer must keep running after the nested run";
  outer.Stop(), inner.Stop();
}

TEST_F(RunLoopTimers, EachTimerIsReleasedExactlyOnce)
{
  const int before = standin::LiveTimerCount();
  Probe probe;
  probe.Start(kStart, 0.020);
  EXPECT_EQ(standin::LiveTimerCount(), before + 1);
  standin::RunMainLoopFor(0.040);
  probe.Stop();
  EXPECT_EQ(standin::LiveTimerCount(), before);
  EXPECT_EQ(standin::OverReleaseCount(), 0);

  // A second release of the same, now destroyed, timer is caught and counted.
  CFRunLoopTimerContext context{0, &probe, nullptr, nullptr, nullptr};
  CFRunLoopTimerRef t = CFRunLoopTimerCreate(kCFAllocatorDefault, kStart, 1, 0, 0, Probe::Callout, &context);
  CFRelease(t);
  CFRelease(t);
  EXPECT_EQ(standin::OverReleaseCount(), 1);
}

TEST_F(RunLoopTimers, AResetOfTheLoopLeavesNoTimerAndReleasesEachOnce)
{
  const int before = standin::LiveTimerCount();
  std::vector<CFRunLoopTimerRef> timers;
  for (double interval : {0.0, 0.02, 1.0})
  {
    CFRunLoopTimerContext context{0, nullptr, nullptr, nullptr, nullptr};
    timers.push_back(CFRunLoopTimerCreate(kCFAllocatorDefault, kStart + 5.0, interval, 0, 0, Probe::Callout, &context));
    CFRunLoopAddTimer(CFRunLoopGetMain(), timers.back(), kCFRunLoopCommonModes);
    CFRelease(timers.back()); // the loop holds the only reference
  }
  EXPECT_EQ(standin::LiveTimerCount(), before + 3);
  standin::ResetMainLoop();
  EXPECT_EQ(standin::LiveTimerCount(), 0);
  EXPECT_EQ(standin::OverReleaseCount(), 0);
  standin::RunMainLoopFor(10.0); // nothing left to fire (a callout would crash on the null probe)
}

TEST(RunLoopClock, RealClockCountsFrom2001)
{
  standin::UseRealClock();
  const double now = CFAbsoluteTimeGetCurrent();
  EXPECT_GT(now, 7.0e8); // later than 2023
  EXPECT_LT(now, 3.0e9);
}

} // namespace
