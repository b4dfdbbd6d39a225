#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "StandIn/Hooks.h"
#include "framework/Timer.h"
#include "tests/support/ManualClock.h"

namespace {

using plugkit::Timer;
using testsupport::ManualClockTest;

using TimerThreads = ManualClockTest;

TEST_F(TimerThreads, ATimerMadeOnAnotherThreadFiresOnTheMainLoop)
{
  const std::thread::id mainThread = std::this_thread::get_id();
  int calls = 0;
  bool onMain = true;
  std::unique_ptr<Timer> timer;
  std::thread creator([&] {
    timer.reset(Timer::Create([&](Timer&) {
      ++calls;
      onMain = onMain && std::this_thread::get_id() == mainThread;
    }, 20));
  });
  creator.join();
  ASSERT_TRUE(timer);

  standin::RunMainLoopFor(0.05);
  EXPECT_EQ(calls, 3);
  EXPECT_TRUE(onMain);

  // The plug-in may be destroyed on another thread than the main one.
  std::thread destroyer([&] { timer.reset(); });
  destroyer.join();
  standin::RunMainLoopFor(0.05);
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(standin::OverReleaseCount(), 0);
}

} // namespace
