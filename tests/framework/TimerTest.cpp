#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "CoreFoundation/CFDate.h"
#include "StandIn/Hooks.h"
#include "framework/Timer.h"
#include "tests/support/ManualClock.h"

namespace {

using plugkit::Timer;
using TimerOnMainLoop = testsupport::ManualClockTest;

TEST_F(TimerOnMainLoop, FiresOnTheFirstPassThenEveryPeriodPassingItself)
{
  std::vector<double> calls;
  Timer* seen = nullptr;
  std::unique_ptr<Timer> timer(Timer::Create([&](Timer& t) {
    calls.push_back(CFAbsoluteTimeGetCurrent());
    seen = &t;
  }, 20));
  ASSERT_TRUE(timer);
  EXPECT_TRUE(calls.empty()) << "nothing fires before the loop runs";
  standin::RunMainLoopFor(0);
  EXPECT_EQ(calls, std::vector<double>{kStart}) << "the first call does not wait a period";
  EXPECT_EQ(seen, timer.get());
  standin::RunMainLoopFor(0.1);
  ASSERT_EQ(calls.size(), 6u);
  for (size_t i = 1; i < calls.size(); ++i)
    EXPECT_NEAR(calls[i] - calls[i - 1], 0.020, 1e-9);
  EXPECT_EQ(Timer::Create(nullptr, 20), nullptr) << "an empty callback is refused";
}

TEST_F(TimerOnMainLoop, StoppingOrDestroyingReleasesTheRunLoopTimerOnceAndEndsTheCalls)
{
  // Stop (twice) then delete, delete while running, stop from the callback.
  const int before = standin::LiveTimerCount();
  int calls[3] = {};
  Timer* stopped = Timer::Create([&](Timer&) { ++calls[0]; }, 20);
  EXPECT_EQ(standin::LiveTimerCount(), before + 1);
  stopped->Stop();
  stopped->Stop();
  delete stopped;
  {
    std::unique_ptr<Timer> running(Timer::Create([&](Timer&) { ++calls[1]; }, 20));
    standin::RunMainLoopFor(0);
  }
  EXPECT_EQ(standin::LiveTimerCount(), before);
  EXPECT_EQ(standin::OverReleaseCount(), 0);
  std::unique_ptr<Timer> selfStopping(Timer::Create([&](Timer& t) {
    ++calls[2];
    t.Stop();
  }, 20));
  standin::RunMainLoopFor(0.1);
  EXPECT_EQ((std::vector<int>{calls[0], calls[1], calls[2]}), (std::vector<int>{0, 1, 1}));
}

} // namespace
