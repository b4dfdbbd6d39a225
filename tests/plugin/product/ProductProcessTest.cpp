// Block processing, reset and latency as a host drives them.
#include <vector>

#include <gtest/gtest.h>

#include "tests/plugin/support/ProductHost.h"
#include "tests/support/TempHome.h"

namespace {

using namespace tolvane3;
using testsupport::ProductUnit;
using testsupport::Sine;

class ProductProcessTest : public testsupport::TempHomeTest
{
};

TEST_F(ProductProcessTest, TheScopeTakesOneEntryPerPeriodAndSaturates)
{
  ProductUnit unit;
  ASSERT_EQ(unit.Initialize(), noErr);
  const ScopeHistory& scope = unit.Plug().GetScopeHistory();
  unit.Process({});
  EXPECT_EQ(scope.Count(), 0);
  unit.Process(Sine(10000));
  EXPECT_EQ(scope.Count(), 1);
  EXPECT_EQ(unit.Plug().Engine().State().scopePeriod.count, 1180);
  for (int i = 0; i < 720; ++i)
    unit.Process(Sine(4410));
  EXPECT_EQ(scope.Count(), 706);
  EXPECT_EQ(scope.WriteIndex(), 705);

  // Paused: the history keeps still.
  unit.FromEditor(kScopePause, 1.0);
  const uint32_t version = scope.Version();
  unit.Process(Sine(4410));
  EXPECT_EQ(scope.Version(), version);
}

TEST_F(ProductProcessTest, PeriodsAskForAScopeRedrawAndAnAutomationWrite)
{
  struct Case
  {
    double automation;
    int frames;
    bool redraw, write;
  };
  for (const Case& c : {Case{0, 4410, true, false}, {1, 2205, false, true}, {2, 4410, true, true}, {1, 2204, false, false}})
  {
    ProductUnit unit;
    unit.Plug().GetParam(kAutomation)->Set(c.automation);
    unit.Plug().OnParamChange(kAutomation, plugkit::kSourceUI, -1);
    unit.Process(Sine(c.frames));
    EXPECT_EQ(unit.Plug().IsScopeRedrawPending(), c.redraw) << c.frames;
    EXPECT_EQ(unit.Plug().Engine().State().automationWritePending.load(), c.write) << c.automation;
  }
}

TEST_F(ProductProcessTest, DAWSyncPassesThroughWhileStoppedAndStartsClean)
{
  ProductUnit unit;
  ASSERT_EQ(unit.Initialize(), noErr);
  Tolvane3& plug = unit.Plug();
  unit.SetParam(kVolume, 6.0);
  const std::vector<double> in = Sine(4410);
  EXPECT_NE(unit.Process(in), in);
  ASSERT_EQ(plug.GetScopeHistory().Count(), 1);

  unit.SetParam(kDAWSync, 1.0);
  plug.GetTimeInfo().mTransportIsRunning = false;
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(unit.Process(in), in);
  EXPECT_EQ(plug.GetScopeHistory().Count(), 1);

  plug.GetTimeInfo().mTransportIsRunning = true;
  EXPECT_NE(unit.Process(Sine(100)), Sine(100));
  EXPECT_EQ(plug.GetScopeHistory().Count(), 0);
}

TEST_F(ProductProcessTest, ResetReinitialisesOnlyWhenRateOrBlockSizeChanged)
{
  ProductUnit unit;
  ASSERT_EQ(unit.Initialize(), noErr);
  Tolvane3& plug = unit.Plug();
  unit.Process(Sine(4410));
  ASSERT_EQ(plug.GetScopeHistory().Count(), 1);
  EXPECT_EQ(unit.Reset(), noErr);
  EXPECT_EQ(plug.GetScopeHistory().Count(), 1);

  plug.SetSampleRate(48000.0);
  EXPECT_EQ(unit.Reset(), noErr);
  EXPECT_EQ(plug.Engine().State().sampleRate, 48000.0);
  EXPECT_EQ(plug.GetScopeHistory().Count(), 0);
}

TEST_F(ProductProcessTest, LatencyReachesEachHostWhenItExpectsIt)
{
  struct Case
  {
    const char* host;  // null: never initialised
    int atOnce, afterIdle, afterBlock;
  };
  const Case cases[] = {
    {"com.apple.logic10", 33075, 33075, 33075},
    {"com.cockos.reaper", 0, 33075, 33075},
    {"com.avid.ProTools", 0, 0, 33075},
    {nullptr, 0, 0, 0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.host ? c.host : "no host");
    ProductUnit unit;
    if (c.host)
    {
      ASSERT_EQ(unit.Initialize(c.host), noErr);
    }
    // 750 ms lies on the knob's curve exactly: 33075 samples at 44.1 kHz.
    unit.FromEditor(kPreDelay, 750.0);
    EXPECT_EQ(unit.Plug().GetLatencyWanted(), 33075);
    EXPECT_EQ(unit.Latency(), c.atOnce);
    unit.Plug().OnIdle();
    EXPECT_EQ(unit.Latency(), c.afterIdle);
    unit.Process(Sine(64));
    EXPECT_EQ(unit.Latency(), c.afterBlock);
  }
}

void CountCall(void* calls, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
{
  ++*static_cast<int*>(calls);
}

TEST_F(ProductProcessTest, ANewRateInAStreamFormatMovesTheLatencyBeforeAnyReset)
{
  ProductUnit unit;
  ASSERT_EQ(unit.Initialize("com.apple.logic10"), noErr);
  unit.FromEditor(kPreDelay, 750.0);
  int latencyCalls = 0;
  AudioUnitAddPropertyListener(unit.Unit(), kAudioUnitProperty_Latency, CountCall, &latencyCalls);
  AudioStreamBasicDescription format{};
  format.mSampleRate = 96000.0;
  format.mFormatID = kAudioFormatLinearPCM;
  format.mFormatFlags = kAudioFormatFlagsCanonical;
  format.mBytesPerPacket = format.mBytesPerFrame = 4;
  format.mFramesPerPacket = 1;
  format.mChannelsPerFrame = 2;
  format.mBitsPerChannel = 32;
  ASSERT_EQ(AudioUnitSetProperty(unit.Unit(), kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &format,
                                 sizeof(format)),
            noErr);
  Float64 seconds = 0.0;
  UInt32 size = sizeof(seconds);
  ASSERT_EQ(AudioUnitGetProperty(unit.Unit(), kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0, &seconds, &size),
            noErr);
  EXPECT_DOUBLE_EQ(seconds, 0.75);
  EXPECT_EQ(unit.Latency(), 72000);
  EXPECT_EQ(latencyCalls, 1);
  EXPECT_EQ(unit.Plug().Engine().State().sampleRate, 96000.0);
}

} // namespace
