#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "StandIn/Hooks.h"
#include "tests/framework/fakes/ApiTestPlugin.h"
#include "tests/support/ManualClock.h"

namespace {

using fakes::ApiTestPlugin;
using testsupport::ManualClockTest;

using ApiBaseThreads = ManualClockTest;

TEST_F(ApiBaseThreads, HostValuesFromTwoThreadsAllReachTheEditorInTheirOrder)
{
  // The host's audio thread sets parameter 0 and its main thread parameter 2
  // while the idle timer drains on the main loop. Each sends fewer values
  // than the queue holds, so nothing may be dropped.
  constexpr int kEach = 200;
  ApiTestPlugin plugin;
  plugin.CreateTimer();
  std::atomic<int> running{2};
  auto host = [&](int paramIdx) {
    for (int i = 0; i < kEach; ++i)
      plugin.SendParameterValueFromHost(paramIdx, false, i);
    --running;
  };
  std::thread audio(host, 0);
  std::thread hostMain(host, 2);
  while (running.load() > 0 || plugin.PendingToEditor() > 0)
    standin::RunMainLoopFor(0.02);
  audio.join();
  hostMain.join();
  standin::RunMainLoopFor(0.02);

  std::vector<int> next(3, 0);
  for (const plugkit::ParamTuple& value : plugin.valuesToEditor)
  {
    ASSERT_TRUE(value.idx == 0 || value.idx == 2);
    EXPECT_EQ(value.value, next[static_cast<size_t>(value.idx)]++);
  }
  EXPECT_EQ(next[0], kEach);
  EXPECT_EQ(next[2], kEach);
}

} // namespace
