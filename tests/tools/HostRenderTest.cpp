// Renders through the built product bundle, in-process, as the host does.
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "CoreFoundation/CFString.h"
#include "StandIn/AudioUnitEvents.h"
#include "StandIn/Hooks.h"
#include "tests/support/TempHome.h"
#include "tests/tools/ToolsTestSupport.h"
#include "tools/ComponentBundle.h"
#include "tools/HostRender.h"
#include "tools/PresetFile.h"
#include "tools/ProgrammeSummary.h"
#include "tools/UnitParameters.h"

namespace toolstest {

std::string TempFolder()
{
  // Kept until the test program ends, then removed with everything in it.
  static std::vector<std::unique_ptr<testsupport::TempFolder>> folders;
  folders.push_back(std::make_unique<testsupport::TempFolder>());
  return folders.back()->Path();
}

} // namespace toolstest

namespace {

using namespace auhost;

class ProductRender : public testing::Test
{
protected:
  static void SetUpTestSuite()
  {
    standin::UseManualClock();
    std::string error;
    sBundle = ComponentBundle::Load(PRODUCT_BUNDLE, error).release();
    ASSERT_NE(sBundle, nullptr) << error;
  }

  struct Rendered
  {
    RenderOutcome outcome;
    AudioData output;
  };

  // Opens a unit, applies the settings and renders `in`, as a stream of
  // unknown length when asked, with the unit told the host's name when given.
  Rendered Render(const AudioData& in, const std::vector<std::string>& sets, int block = 512,
                       const std::vector<AutomationPoint>* lane = nullptr, bool record = false,
                       bool unknownLength = false, const char* hostName = nullptr)
  {
    std::string error;
    auto unit = OpenedUnit::Open(*sBundle, error);
    EXPECT_TRUE(unit) << error;
    if (hostName)
    {
      const AUHostIdentifier host{CFStringCreateWithCString(nullptr, hostName, kCFStringEncodingUTF8), {}};
      EXPECT_EQ(AudioUnitSetProperty(unit->Unit(), kAudioUnitProperty_AUHostIdentifier, kAudioUnitScope_Global, 0,
                                     &host, sizeof(host)),
                noErr);
      CFRelease(host.hostName);
    }
    const auto params = ReadParameters(unit->Unit());
    for (const std::string& s : sets)
      EXPECT_TRUE(SetParameterFromAssignment(unit->Unit(), params, s, error)) << error;
    RenderSetup setup;
    setup.blockSize = block;
    setup.automatedParam = FindParameter(params, "Current Gain")->id;
    setup.playLane = lane;
    setup.recordLane = record;
    Rendered out;
    toolstest::FoundByReading stream(in);
    AudioDataSink sink(out.output, in.NumChannels(), in.sampleRate);
    setup.main = &stream;
    setup.output = &sink;
    out.outcome = unknownLength ? RenderThrough(unit->Unit(), setup)
                                : RenderInMemory(unit->Unit(), setup, in, nullptr, out.output);
    EXPECT_TRUE(out.outcome.ok || (unknownLength && in.Frames() == 0)) << out.outcome.error;
    return out;
  }

  static ComponentBundle* sBundle;
};

ComponentBundle* ProductRender::sBundle = nullptr;

// Level of the second half, where riding has settled.
double SettledLevelDb(const AudioData& a)
{
  double sum = 0.0;
  const long from = a.Frames() / 2;
  for (const auto& ch : a.channels)
    for (long i = from; i < a.Frames(); ++i)
      sum += double(ch[i]) * ch[i];
  return 10.0 * std::log10(sum / double((a.Frames() - from) * a.NumChannels()));
}

TEST_F(ProductRender, OutputLinesUpWithTheInputWhateverTheLatencyAndBlockSize)
{
  const AudioData in = toolstest::Bursts(1.0, -12.0);
  // "AB" applies unity gain, so the output is the input delayed by the
  // pre-delay, which the host compensates.
  for (const char* delay : {"0", "50", "333"})
    for (int block : {64, 512, 1000})
    {
      SCOPED_TRACE(std::string("pre-delay ") + delay + " ms, block " + std::to_string(block));
      const Rendered out = Render(in, {"AB=On", std::string("Pre-Delay=") + delay}, block);
      EXPECT_EQ(out.outcome.latencySamples, std::lround(std::atof(delay) * 48.0));
      EXPECT_EQ(out.output.channels, in.channels);
    }
}

// A stream whose header gives no length is read to its end, then its
// latency tail: the same render, slice for slice, as with the length known,
// wherever the end falls against the slices. An empty one is refused.
TEST_F(ProductRender, AProgrammeOfUnknownLengthRendersAsTheSameProgrammeOfKnownLength)
{
  for (const double seconds : {1000.0 / 48000.0, 1024.0 / 48000.0, 1.0})
    for (const char* delay : {"0", "50"})
      for (int block : {64, 512, 1000})
      {
        SCOPED_TRACE(testing::Message() << seconds * 48000.0 << " frames, pre-delay " << delay << " ms, block "
                                        << block);
        const AudioData in = toolstest::Bursts(seconds, -12.0);
        const std::vector<std::string> sets = {std::string("Pre-Delay=") + delay};
        const Rendered known = Render(in, sets, block), found = Render(in, sets, block, nullptr, false, true);
        EXPECT_EQ(found.outcome.latencySamples, known.outcome.latencySamples);
        EXPECT_EQ(found.output.channels, known.output.channels);
      }
  const Rendered empty = Render(AudioData{48000.0, {{}, {}}}, {"Pre-Delay=50"}, 512, nullptr, false, true);
  EXPECT_FALSE(empty.outcome.ok);
  EXPECT_EQ(empty.outcome.error, "no audio in the input");
  EXPECT_EQ(empty.output.Frames(), 0);
}

// A steady programme settles at the target, or as near as the default
// range of +-9 dB lets it.
TEST_F(ProductRender, RidesASteadyProgrammeToTheTargetWithinTheRange)
{
  struct Case
  {
    double inputDb, targetDb;
  };
  for (const Case c : {Case{-24.0, -18.0}, Case{-10.0, -18.0}, Case{-40.0, -18.0}, Case{-20.0, -12.0}})
  {
    SCOPED_TRACE(testing::Message() << c.inputDb << " toward " << c.targetDb);
    AudioData in = toolstest::Bursts(8.0, 0.0);
    for (auto& ch : in.channels)
      for (size_t i = 0; i < ch.size(); ++i)
        ch[i] = static_cast<float>(std::pow(10.0, c.inputDb / 20.0) * std::sqrt(2.0) * std::sin(0.1305 * double(i)));
    char target[32];
    std::snprintf(target, sizeof target, "Target Level=%g", c.targetDb);
    const Rendered out = Render(in, {target});
    // The level the plug-in rides sums the channels' powers (and weights
    // a 1 kHz tone by about 0 dB).
    const double stereo = 10.0 * std::log10(2.0);
    const double input = SettledLevelDb(in) + stereo;
    EXPECT_NEAR(SettledLevelDb(out.output) + stereo, std::clamp(c.targetDb, input - 9.0, input + 9.0), 1.0);
    const GainStats gain = MeasureGain(in, out.output);
    EXPECT_LE(gain.maxDb, 9.05);
    EXPECT_GE(gain.minDb, -9.05);
  }
}

TEST_F(ProductRender, PlaysAnAutomationLaneInRead)
{
  const AudioData in = toolstest::Bursts(3.0, -20.0);
  const std::vector<AutomationPoint> lane = {{0.0, 6.0f}, {3.0, 6.0f}};
  const Rendered out = Render(in, {"Automation=Read"}, 512, &lane);
  EXPECT_NEAR(SettledLevelDb(out.output) - SettledLevelDb(in), 6.0, 0.2);
}

TEST_F(ProductRender, AutomationWrittenInWriteReproducesTheGainInRead)
{
  const AudioData in = toolstest::Bursts(6.0, -32.0);
  const Rendered written = Render(in, {"Automation=Write"}, 512, nullptr, true);
  ASSERT_FALSE(written.outcome.recordedLane.empty()) << "no \"Current Gain\" automation was written";
  const Rendered read = Render(in, {"Automation=Read"}, 512, &written.outcome.recordedLane);
  const GainStats a = MeasureGain(in, written.output), b = MeasureGain(in, read.output);
  EXPECT_NEAR(a.meanDb, b.meanDb, 0.5);
  EXPECT_NEAR(SettledLevelDb(written.output), SettledLevelDb(read.output), 0.5);
}

// A unit that frames each value it writes with gesture events (as this
// one does for some hosts) records the lane of one that sends the value
// alone: one point a value, not one an event.
TEST_F(ProductRender, AUnitThatFramesItsWritesWithGesturesRecordsOnePointAValue)
{
  const AudioData in = toolstest::Bursts(2.0, -32.0);
  const Rendered plain = Render(in, {"Automation=Write"}, 512, nullptr, true);
  const Rendered framed = Render(in, {"Automation=Write"}, 512, nullptr, true, false, "Logic Pro");
  ASSERT_GT(plain.outcome.recordedLane.size(), 30u);
  // The premise: the unit did frame its values. The recording host takes
  // the events as it goes; a render that records nothing leaves them all to
  // be counted.
  std::string error;
  auto unit = OpenedUnit::Open(*sBundle, error);
  ASSERT_TRUE(unit) << error;
  const AudioUnitParameterID gain = FindParameter(ReadParameters(unit->Unit()), "Current Gain")->id;
  unit.reset();
  Render(in, {"Automation=Write"}, 512, nullptr, false, false, "Logic Pro");
  long values = 0, begins = 0, ends = 0;
  for (const AudioUnitEvent& e : standin::RecordedAudioUnitEvents())
    if (e.mEventType != kAudioUnitEvent_PropertyChange && e.mArgument.mParameter.mParameterID == gain)
    {
      values += e.mEventType == kAudioUnitEvent_ParameterValueChange;
      begins += e.mEventType == kAudioUnitEvent_BeginParameterChangeGesture;
      ends += e.mEventType == kAudioUnitEvent_EndParameterChangeGesture;
    }
  EXPECT_GT(values, 30);
  EXPECT_EQ(begins, values);
  EXPECT_EQ(ends, values);
  ASSERT_EQ(framed.outcome.recordedLane.size(), plain.outcome.recordedLane.size());
  for (size_t i = 0; i < plain.outcome.recordedLane.size(); ++i)
  {
    EXPECT_EQ(framed.outcome.recordedLane[i].time, plain.outcome.recordedLane[i].time) << i;
    EXPECT_EQ(framed.outcome.recordedLane[i].value, plain.outcome.recordedLane[i].value) << i;
  }
}

// A slice plays one value of the lane. Through the strict unit, whose
// output is its input times its one parameter, exactly: a step in the lane
// between two frames is played from the frame after it when each frame is
// a slice, and from the slice boundary nearest to it, on either side, when
// slices are longer.
TEST_F(ProductRender, ALanesStepIsPlayedWhereTheLanePutsIt)
{
  std::string error;
  const auto strict = ComponentBundle::Load(STRICT_BUNDLE, error);
  ASSERT_NE(strict, nullptr) << error;
  const long latency = 300; // the strict unit's
  // A step a quarter of a frame after frame 1363, a quarter of a slice of
  // 512 after a slice boundary.
  const long stepFrame = 1364;
  const double rate = 48000.0, step = (stepFrame - 0.75) / rate;
  const std::vector<AutomationPoint> lane = {{step, 0.5f}, {step, 2.0f}};
  const AudioData in{rate, {std::vector<float>(4800, 0.25f)}};
  for (const int block : {1, 512})
  {
    SCOPED_TRACE("block " + std::to_string(block));
    auto unit = OpenedUnit::Open(*strict, error);
    ASSERT_TRUE(unit) << error;
    RenderSetup setup;
    setup.blockSize = block;
    setup.automatedParam = 0;
    setup.playLane = &lane;
    AudioData out;
    const RenderOutcome outcome = RenderInMemory(unit->Unit(), setup, in, nullptr, out);
    ASSERT_TRUE(outcome.ok) << outcome.error;
    ASSERT_EQ(outcome.latencySamples, latency);
    ASSERT_EQ(out.Frames(), in.Frames());
    // Output frame f belongs to the slice rendered from f + latency.
    long played = in.Frames(), nearest = 0;
    for (long f = 0; f < in.Frames(); ++f)
    {
      if ((f + latency) % block == 0 && std::fabs(f - step * rate) < std::fabs(nearest - step * rate))
        nearest = f;
      if (played == in.Frames() && out.channels[0][f] != 0.25f * 0.5f)
        played = f;
    }
    EXPECT_EQ(played, block == 1 ? stepFrame : nearest);
    long wrong = 0;
    for (long f = 0; f < in.Frames(); ++f)
      wrong += out.channels[0][f] != 0.25f * (f < played ? 0.5f : 2.0f);
    EXPECT_EQ(wrong, 0);
  }
}

TEST_F(ProductRender, PresetFilesRoundTripTheState)
{
  const std::string dir = toolstest::TempFolder();
  std::string error;
  auto a = OpenedUnit::Open(*sBundle, error);
  const auto params = ReadParameters(a->Unit());
  for (const char* s : {"Target Level=-23.5", "Detecion Mode=SideChain1", "Low Cut=1.2k", "Automation=Write"})
    ASSERT_TRUE(SetParameterFromAssignment(a->Unit(), params, s, error)) << error;
  ASSERT_TRUE(SavePresetFile(a->Unit(), dir + "/a.aupreset", error)) << error;

  auto b = OpenedUnit::Open(*sBundle, error);
  ASSERT_TRUE(LoadPresetFile(b->Unit(), dir + "/a.aupreset", error)) << error;
  for (const ParameterDescription& p : params)
  {
    float x = 0, y = 0;
    AudioUnitGetParameter(a->Unit(), p.id, kAudioUnitScope_Global, 0, &x);
    AudioUnitGetParameter(b->Unit(), p.id, kAudioUnitScope_Global, 0, &y);
    EXPECT_FLOAT_EQ(x, y) << p.name;
  }
  ASSERT_TRUE(SavePresetFile(b->Unit(), dir + "/b.aupreset", error)) << error;
  std::string first, second;
  ASSERT_TRUE(ReadTextFile(dir + "/a.aupreset", auhost::kMaxPlistBytes, first, error) &&
              ReadTextFile(dir + "/b.aupreset", auhost::kMaxPlistBytes, second, error));
  EXPECT_EQ(first, second);

  // A damaged preset is refused and leaves the unit as it was.
  const std::string damaged = first.substr(0, first.find("<data>") + 6) + "!!" + first.substr(first.find("<data>") + 6);
  ASSERT_TRUE(WriteTextFile(dir + "/bad.aupreset", damaged, error));
  EXPECT_FALSE(LoadPresetFile(b->Unit(), dir + "/bad.aupreset", error));
  float target = 0;
  AudioUnitGetParameter(b->Unit(), FindParameter(params, "Target Level")->id, kAudioUnitScope_Global, 0, &target);
  EXPECT_FLOAT_EQ(target, -23.5f);
}

} // namespace
