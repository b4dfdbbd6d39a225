#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "CoreFoundation/CFDate.h"
#include "StandIn/Hooks.h"
#include "framework/Timer.h"
#include "tests/support/ManualClock.h"

namespace {

using plugkit::Timer;
using testsupport::ManualClockTest;

using TimerOnMainLoop = ManualClockTest;

TEST_F(TimerOnMainLoop, FiresOnTheFirstPassThenEveryPeriod)
{
  std::vector<double> calls;
  std::unique_ptr<Timer> timer(Timer::Create([&](Timer&) { calls.push_back(CFAbsoluteTimeGetCurrent()); }, 20));
  ASSERT_TRUE(timer);
  EXPECT_TRUE(calls.empty()) << "nothing fires before the loop runs";

  standin::RunMainLoopFor(0);
  ASSERT_EQ(calls.size(), 1u) << "the first call does not wait a period";
  EXPECT_DOUBLE_EQ(calls[0], kStart);

  standin::RunMainLoopFor(0.1);
  ASSERT_EQ(calls.size(), 6u);
  for (size_t i = 1; i < calls.size(); ++i)
    EXPECT_NEAR(calls[i] - calls[i - 1], 0.020, 1e-9);
}

TEST_F(TimerOnMainLoop, PassesItselfToTheCallback)
{
  Timer* seen = nullptr;
  std::unique_ptr<Timer> timer(Timer::Create([&](Timer& t) { seen = &t; }, 20));
  standin::RunMainLoopFor(0);
  EXPECT_EQ(seen, timer.get());
}

TEST_F(TimerOnMainLoop, StopThenDestroyReleasesTheRunLoopTimerOnce)
{
  const int before = standin::LiveTimerCount();
  int calls = 0;
  Timer* timer = Timer::Create([&](Timer&) { ++calls; }, 20);
  EXPECT_EQ(standin::LiveTimerCount(), before + 1);

  timer->Stop();
  timer->Stop(); // idempotent
  delete timer;
  EXPECT_EQ(standin::LiveTimerCount(), before);
  EXPECT_EQ(standin::OverReleaseCount(), 0);

  standin::RunMainLoopFor(0.1);
  EXPECT_EQ(calls, 0);
}

TEST_F(TimerOnMainLoop, DestroyingARunningTimerStopsIt)
{
  const int before = standin::LiveTimerCount();
  int calls = 0;
  {
    std::unique_ptr<Timer> timer(Timer::Create([&](Timer&) { ++calls; }, 20));
    standin::RunMainLoopFor(0);
  }
  EXPECT_EQ(standin::LiveTimerCount(), before);
  EXPECT_EQ(standin::OverReleaseCount(), 0);
  standin::RunMainLoopFor(0.1);
  EXPECT_EQ(calls, 1);
}

TEST_F(TimerOnMainLoop, ACallbackThatStopsItsTimerIsNotCalledAgain)
{
  int calls = 0;
  std::unique_ptr<Timer> timer(Timer::Create([&](Timer& t) {
    ++calls;
    t.Stop();
  }, 20));
  standin::RunMainLoopFor(0.1);
  EXPECT_EQ(calls, 1);
}

TEST(Timer, RefusesAnEmptyCallback)
{
  EXPECT_EQ(Timer::Create(nullptr, 20), nullptr);
}

} // namespace
