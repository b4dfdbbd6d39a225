#pragma once

#include <gtest/gtest.h>

#include "StandIn/Hooks.h"

namespace testsupport {

// Fixture: the stand-in layer's clock is manual and the main run loop empty
// for the duration of a test; the loop is emptied and the real clock comes
// back afterwards, so no timer leaks from one test into the next.
class ManualClockTest : public testing::Test
{
protected:
  void SetUp() override
  {
    standin::ResetMainLoop();
    standin::UseManualClock(kStart);
  }
  void TearDown() override
  {
    standin::ResetMainLoop();
    standin::UseRealClock();
  }

  static constexpr double kStart = 1000.0;
};

} // namespace testsupport
