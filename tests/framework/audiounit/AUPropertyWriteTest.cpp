#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "StandIn/AudioUnits.h"
#include "tests/framework/audiounit/fakes/TestHost.h"

namespace {

using namespace fakes;

using AUPropertyWrite = HostedUnitTest;

std::vector<int> HostCounts(const AUTestPlugin& p)
{
  std::vector<int> counts;
  for (int i = 0; i < p.NInBuses(); ++i)
    counts.push_back(p.GetBus(kAudioUnitScope_Input, i)->mNHostChannels);
  for (int i = 0; i < p.NOutBuses(); ++i)
    counts.push_back(p.GetBus(kAudioUnitScope_Output, i)->mNHostChannels);
  return counts;
}

std::vector<bool> ConnectedInputs(const AUTestPlugin& p)
{
  std::vector<bool> connected;
  for (int c = 0; c < p.MaxNChannels(plugkit::kInput); ++c)
    connected.push_back(p.IsChannelConnected(plugkit::kInput, c));
  return connected;
}

TEST_F(AUPropertyWrite, StreamFormatsTheRenderRoadCannotReadAreRefusedAndChangeNothing)
{
  constexpr UInt32 kInt16 = kAudioFormatFlagIsSignedInteger | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
  constexpr double kInf = std::numeric_limits<double>::infinity();
  constexpr double kHighest = plugkit::PluginAU::kMaxSampleRate;
  struct Case
  {
    const char* name;
    AudioUnitScope scope;
    AudioUnitElement element;
    AudioStreamBasicDescription format;
    OSStatus status;
    std::vector<int> counts; // inputs then output, after the write
    double rate;
  };
  auto bits16 = [&] {
    AudioStreamBasicDescription d = FloatFormat(2, 48000.0, kInt16);
    d.mBitsPerChannel = 16;
    return d;
  };
  const Case cases[] = {
    {"stereo main", kAudioUnitScope_Input, 0, FloatFormat(2, 48000.0), noErr, {2, -1, -1}, 48000.0},
    {"mono side-chain", kAudioUnitScope_Input, 1, FloatFormat(1, 0.0), noErr, {-1, 1, -1}, 44100.0},
    {"global is the output", kAudioUnitScope_Global, 0, FloatFormat(1), noErr, {-1, -1, 1}, 44100.0},
    {"no channels", kAudioUnitScope_Input, 0, FloatFormat(0, 96000.0), kAudioUnitErr_InvalidProperty, {-1, -1, -1}, 44100.0},
    {"three main channels", kAudioUnitScope_Input, 0, FloatFormat(3), kAudioUnitErr_InvalidProperty, {-1, -1, -1}, 44100.0},
    {"three side-chain channels", kAudioUnitScope_Input, 1, FloatFormat(3), kAudioUnitErr_InvalidProperty, {-1, -1, -1}, 44100.0},
    {"packed integers", kAudioUnitScope_Input, 0, bits16(), kAudioUnitErr_InvalidProperty, {-1, -1, -1}, 44100.0},
    {"interleaved floats", kAudioUnitScope_Input, 0, FloatFormat(2, 48000.0, kAudioFormatFlagsNativeFloatPacked),
     kAudioUnitErr_InvalidProperty, {-1, -1, -1}, 44100.0},
    {"big-endian floats", kAudioUnitScope_Input, 0,
     FloatFormat(2, 48000.0, kAudioFormatFlagsCanonical | kAudioFormatFlagIsBigEndian), kAudioUnitErr_InvalidProperty,
     {-1, -1, -1}, 44100.0},
    {"100 Hz", kAudioUnitScope_Input, 0, FloatFormat(2, 100.0), kAudioUnitErr_InvalidPropertyValue, {-1, -1, -1}, 44100.0},
    {"infinite rate", kAudioUnitScope_Input, 0, FloatFormat(2, kInf), kAudioUnitErr_InvalidPropertyValue, {-1, -1, -1}, 44100.0},
    {"the highest rate", kAudioUnitScope_Input, 0, FloatFormat(2, kHighest), noErr, {2, -1, -1}, kHighest},
    {"a rate above it", kAudioUnitScope_Input, 0, FloatFormat(2, kHighest + 1.0), kAudioUnitErr_InvalidPropertyValue,
     {-1, -1, -1}, 44100.0},
    {"no third input", kAudioUnitScope_Input, 2, FloatFormat(2), kAudioUnitErr_InvalidProperty, {-1, -1, -1}, 44100.0},
    {"no second output", kAudioUnitScope_Output, 1, FloatFormat(2), kAudioUnitErr_InvalidProperty, {-1, -1, -1}, 44100.0},
    {"group scope", kAudioUnitScope_Group, 0, FloatFormat(2), kAudioUnitErr_InvalidProperty, {-1, -1, -1}, 44100.0},
  };
  int user = 0;
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Open();
    AudioUnitAddPropertyListener(Host().Unit(), kAudioUnitProperty_StreamFormat, RecordingListener, &user);
    ListenerCalls().clear();
    EXPECT_EQ(Host().Set(kAudioUnitProperty_StreamFormat, c.scope, c.element, c.format), c.status);
    EXPECT_EQ(HostCounts(Plugin()), c.counts);
    EXPECT_EQ(Plugin().GetSampleRate(), c.rate);
    EXPECT_TRUE(Plugin().resets.empty());
    const std::vector<ListenerCall> heard = {{&user, Host().Unit(), kAudioUnitProperty_StreamFormat, c.scope, c.element}};
    EXPECT_EQ(ListenerCalls(), c.status == noErr ? heard : std::vector<ListenerCall>{});
  }
  Open();
  EXPECT_EQ(AudioUnitSetProperty(Host().Unit(), kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, nullptr, 40),
            kAudioUnitErr_InvalidPropertyValue);
  const AudioStreamBasicDescription d = FloatFormat(2);
  EXPECT_EQ(AudioUnitSetProperty(Host().Unit(), kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &d, 39),
            kAudioUnitErr_InvalidPropertyValue);
}

TEST_F(AUPropertyWrite, OnceInitialisedEachBusMustFitALayoutWithTheOtherBuses)
{
  for (AUTestKind kind : {AUTestKind::Effect, AUTestKind::Wildcard})
  {
    Open(Road::Factory, kind);
    ASSERT_EQ(Host().Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, FloatFormat(kind == AUTestKind::Effect ? 2 : 1)), noErr);
    ASSERT_EQ(Host().Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, FloatFormat(2)), noErr);
    ASSERT_EQ(Host().Initialize(), noErr);
  }
  // Wildcard input with stereo output: one input channel is all its bus holds.
  EXPECT_EQ(Host().Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, FloatFormat(2)), kAudioUnitErr_InvalidProperty);

  Open();
  ASSERT_EQ(Host().Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, FloatFormat(2)), noErr);
  ASSERT_EQ(Host().Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, FloatFormat(2)), noErr);
  ASSERT_EQ(Host().Initialize(), noErr);
  struct Case
  {
    AudioUnitScope scope;
    AudioUnitElement element;
    UInt32 channels;
    OSStatus status;
  };
  const Case cases[] = {
    {kAudioUnitScope_Input, 1, 1, noErr},                          // 2.1-2
    {kAudioUnitScope_Input, 1, 2, noErr},                          // 2.2-2
    {kAudioUnitScope_Input, 0, 1, kAudioUnitErr_InvalidProperty},  // 1.2-2 is no layout
    {kAudioUnitScope_Output, 0, 1, kAudioUnitErr_InvalidProperty}, // 2.2-1 is no layout
  };
  for (const Case& c : cases)
    EXPECT_EQ(Host().Set(kAudioUnitProperty_StreamFormat, c.scope, c.element, FloatFormat(c.channels)), c.status);
  EXPECT_EQ(HostCounts(Plugin()), (std::vector<int>{2, 2, 2}));
}

TEST_F(AUPropertyWrite, SettingsApplyResetAndTellListenersAfterwards)
{
  Open();
  // The listener reads the property back: it must see the new value.
  static Float64 seenRate = 0.0;
  auto readBack = [](void*, AudioUnit unit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement) {
    UInt32 size = sizeof(seenRate);
    AudioUnitGetProperty(unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &seenRate, &size);
  };
  AudioUnitAddPropertyListener(Host().Unit(), kAudioUnitProperty_SampleRate, readBack, nullptr);
  ASSERT_EQ(Host().Set(kAudioUnitProperty_SampleRate, kAudioUnitScope_Output, 0, Float64(48000.0)), noErr);
  EXPECT_EQ(seenRate, 48000.0);
  EXPECT_EQ(Plugin().resets, std::vector<double>{48000.0});

  struct Case
  {
    AudioUnitPropertyID id;
    double value; // sent as Float64 for the sample rate, else UInt32
    OSStatus status;
    std::vector<std::string> log;
  };
  const Case cases[] = {
    {kAudioUnitProperty_SampleRate, 199.0, kAudioUnitErr_InvalidPropertyValue, {}},
    {kAudioUnitProperty_SampleRate, std::nan(""), kAudioUnitErr_InvalidPropertyValue, {}},
    {kAudioUnitProperty_SampleRate, plugkit::PluginAU::kMaxSampleRate + 1.0, kAudioUnitErr_InvalidPropertyValue, {}},
    {kAudioUnitProperty_MaximumFramesPerSlice, 0, kAudioUnitErr_InvalidPropertyValue, {}},
    {kAudioUnitProperty_MaximumFramesPerSlice, 1, noErr, {"reset"}},
    {kAudioUnitProperty_MaximumFramesPerSlice, 1024, noErr, {"reset"}},
    {kAudioUnitProperty_MaximumFramesPerSlice, 4e9, kAudioUnitErr_InvalidPropertyValue, {}},
    {kAudioUnitProperty_BypassEffect, 1, noErr, {"deactivate", "reset"}},
    {kAudioUnitProperty_BypassEffect, 0, noErr, {"activate", "reset"}},
    {kAudioUnitProperty_OfflineRender, 1, noErr, {"reset"}},
  };
  int user = 0;
  for (const Case& c : cases)
  {
    SCOPED_TRACE(testing::Message() << "property " << c.id << " value " << c.value);
    AudioUnitAddPropertyListener(Host().Unit(), c.id, RecordingListener, &user);
    Plugin().log.clear();
    ListenerCalls().clear();
    const OSStatus status = c.id == kAudioUnitProperty_SampleRate
                              ? Host().Set(c.id, kAudioUnitScope_Global, 0, Float64(c.value))
                              : Host().Set(c.id, kAudioUnitScope_Global, 0, static_cast<UInt32>(c.value));
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(Plugin().log, c.log);
    EXPECT_EQ(ListenerCalls().size(), c.status == noErr ? 1u : 0u);
  }
  EXPECT_EQ(Plugin().GetSampleRate(), 48000.0);
  EXPECT_EQ(Plugin().GetBlockSize(), 1024);
  EXPECT_FALSE(Plugin().GetBypassed());
  EXPECT_TRUE(Plugin().GetRenderingOffline());
  UInt32 frames = 0;
  EXPECT_EQ(Host().Get(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, frames), noErr);
  EXPECT_EQ(frames, 1024u);

  // An id the unit does not serve fails without telling anyone.
  AudioUnitAddPropertyListener(Host().Unit(), 9999, RecordingListener, &user);
  ListenerCalls().clear();
  EXPECT_EQ(Host().Set(9999, kAudioUnitScope_Global, 0, UInt32(1)), kAudioUnitErr_InvalidProperty);
  EXPECT_TRUE(ListenerCalls().empty());
}

TEST_F(AUPropertyWrite, SmallWritesCheckTheirScopeAndRecord)
{
  Open();
  HostCallbackInfo callbacks{};
  EXPECT_EQ(Host().Set(kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, callbacks), noErr);
  EXPECT_EQ(AudioUnitSetProperty(Host().Unit(), kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0,
                                 &callbacks, 32),
            noErr); // a host without the last function
  EXPECT_EQ(Host().Set(kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Input, 0, callbacks),
            kAudioUnitErr_InvalidProperty);
  AUMIDIOutputCallbackStruct midi{};
  EXPECT_EQ(Host().Set(kAudioUnitProperty_MIDIOutputCallback, kAudioUnitScope_Global, 0, midi), noErr);
  CFDictionaryRef none = nullptr;
  EXPECT_EQ(AudioUnitSetProperty(Host().Unit(), kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &none, 4),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(Host().Set(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, none),
            kAudioUnitErr_InvalidPropertyValue);
  for (AudioUnitPropertyID id : {kAudioUnitProperty_SampleRate, kAudioUnitProperty_BypassEffect,
                                 kAudioUnitProperty_MakeConnection, kAudioUnitProperty_PresentPreset,
                                 kAudioUnitProperty_AUHostIdentifier, kAudioUnitProperty_MIDIOutputCallback})
    EXPECT_EQ(AudioUnitSetProperty(Host().Unit(), id, kAudioUnitScope_Global, 0, nullptr, 64),
              kAudioUnitErr_InvalidPropertyValue)
      << "property " << id;

  const AUPreset loud{1, nullptr};
  EXPECT_EQ(Host().Set(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, loud), noErr);
  EXPECT_EQ(Plugin().GetCurrentPresetIdx(), 1);
  EXPECT_FLOAT_EQ(Host().Param(0), 6.0f);
  const AUPreset missing{7, nullptr};
  EXPECT_EQ(Host().Set(kAudioUnitProperty_CurrentPreset, kAudioUnitScope_Global, 0, missing), noErr);
  EXPECT_EQ(Plugin().GetCurrentPresetIdx(), 1);
}

TEST_F(AUPropertyWrite, HostIdentifierCountsOnlyBeforeTheHostIsKnown)
{
  Open();
  const AUHostIdentifier id{CFSTR("Some DAW"), {0, 0, 0x41, 10}};
  ASSERT_EQ(Host().Set(kAudioUnitProperty_AUHostIdentifier, kAudioUnitScope_Global, 0, id), noErr);
  EXPECT_STREQ(Plugin().GetHostName(), "Some DAW");
  EXPECT_EQ(Plugin().GetHostVersion(false), 0x000A0401);
  const AUHostIdentifier later{CFSTR("Reaper"), {0, 0, 0, 6}};
  ASSERT_EQ(Host().Set(kAudioUnitProperty_AUHostIdentifier, kAudioUnitScope_Global, 0, later), noErr);
  EXPECT_EQ(Plugin().GetHostVersion(false), 0x000A0401);

  Open();
  const AUHostIdentifier nameless{nullptr, {0, 0, 0, 2}};
  ASSERT_EQ(Host().Set(kAudioUnitProperty_AUHostIdentifier, kAudioUnitScope_Global, 0, nameless), noErr);
  EXPECT_EQ(Plugin().GetHost(), plugkit::kHostUnknown);
  EXPECT_EQ(Plugin().GetHostVersion(false), 0x00020000);
}

// An upstream unit of the test host: answers its output format, and its
// render entry when it has one.
struct FakeUpstream
{
  AudioComponentPlugInInterface iface{nullptr, nullptr, Lookup, nullptr};
  UInt32 channels = 2;
  bool answersFormat = true;
  bool hasRenderEntry = true;

  static OSStatus Render(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32, AudioBufferList*)
  {
    return noErr;
  }
  static OSStatus GetProperty(void* self, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement,
                              void* data, UInt32* size)
  {
    const auto* fake = static_cast<FakeUpstream*>(self);
    if (id == kAudioUnitProperty_StreamFormat && scope == kAudioUnitScope_Output && fake->answersFormat)
    {
      const AudioStreamBasicDescription d = FloatFormat(fake->channels, 48000.0);
      std::memcpy(data, &d, sizeof(d));
      *size = sizeof(d);
      return noErr;
    }
    if (id == kAudioUnitProperty_FastDispatch && fake->hasRenderEntry)
    {
      AudioUnitRenderProc render = Render;
      std::memcpy(data, &render, sizeof(render));
      return noErr;
    }
    return kAudioUnitErr_InvalidProperty;
  }
  static AudioComponentMethod Lookup(SInt16 selector)
  {
    return selector == kAudioUnitGetPropertySelect ? reinterpret_cast<AudioComponentMethod>(GetProperty) : nullptr;
  }
};

TEST_F(AUPropertyWrite, ConnectionsFromUpstreamUnitsAndCallbacksConnectTheirChannels)
{
  FakeUpstream upstream;
  AudioUnit source = standin::NewAudioComponentInstance(&upstream.iface);
  int storage = 0;
  SetComponentInstanceStorage(source, &storage);
  int user = 0;

  struct Case
  {
    const char* name;
    UInt32 channels;
    bool answersFormat, hasRenderEntry;
    UInt32 dest;
    OSStatus status;
    plugkit::EAUInputKind kind; // of the destination afterwards
    std::vector<bool> connected;
    size_t formatListenerCalls;
  };
  const Case cases[] = {
    {"own render entry", 2, true, true, 0, noErr, plugkit::eDirectFastProc, {true, true, false, false}, 1},
    {"no render entry", 2, true, false, 0, noErr, plugkit::eDirectNoFastProc, {true, true, false, false}, 1},
    {"mono side-chain", 1, true, true, 1, noErr, plugkit::eDirectFastProc, {false, false, true, false}, 1},
    {"format unreadable", 2, false, true, 0, kAudioUnitErr_InvalidProperty, plugkit::eNotConnected,
     {false, false, false, false}, 0},
    {"format refused", 3, true, true, 0, kAudioUnitErr_InvalidProperty, plugkit::eNotConnected,
     {false, false, false, false}, 0},
    {"no such input", 2, true, true, 2, kAudioUnitErr_InvalidProperty, plugkit::eNotConnected,
     {false, false, false, false}, 0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Open();
    upstream.channels = c.channels;
    upstream.answersFormat = c.answersFormat;
    upstream.hasRenderEntry = c.hasRenderEntry;
    AudioUnitAddPropertyListener(Host().Unit(), kAudioUnitProperty_StreamFormat, RecordingListener, &user);
    ListenerCalls().clear();
    const AudioUnitConnection connection{source, 3, c.dest};
    EXPECT_EQ(Host().Set(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, c.dest, connection), c.status);
    const plugkit::IAUInputConnection* record = Plugin().GetInputConnection(std::min<int>(c.dest, 1));
    EXPECT_EQ(record->mInputType, c.kind);
    EXPECT_EQ(ConnectedInputs(Plugin()), c.connected);
    EXPECT_EQ(ListenerCalls().size(), c.formatListenerCalls);
    if (c.status == noErr)
    {
      EXPECT_EQ(record->mUpstreamUnit, source);
      EXPECT_EQ(record->mUpstreamBusIdx, 3u);
      EXPECT_EQ(record->mUpstreamObj, c.hasRenderEntry ? &storage : nullptr);
      EXPECT_EQ(Plugin().GetSampleRate(), 48000.0);
    }
  }

  // A refused connect keeps the connection the bus had; no source
  // disconnects.
  Open();
  upstream = FakeUpstream{};
  ASSERT_EQ(Host().Set(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, AudioUnitConnection{source, 0, 0}), noErr);
  upstream.answersFormat = false;
  EXPECT_EQ(Host().Set(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, AudioUnitConnection{source, 0, 0}),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Plugin().GetInputConnection(0)->mInputType, plugkit::eDirectFastProc);
  EXPECT_EQ(Host().Set(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Global, 0, AudioUnitConnection{nullptr, 0, 0}),
            noErr);
  EXPECT_EQ(Plugin().GetInputConnection(0)->mInputType, plugkit::eNotConnected);
  EXPECT_EQ(Host().Set(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Output, 0, AudioUnitConnection{source, 0, 0}),
            kAudioUnitErr_InvalidProperty);

  // The host's own callback on the side-chain, then none.
  const AURenderCallbackStruct callback{FakeUpstream::Render, &user};
  ASSERT_EQ(Host().Set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 1, callback), noErr);
  EXPECT_EQ(Plugin().GetInputConnection(1)->mInputType, plugkit::eRenderCallback);
  EXPECT_EQ(Plugin().GetInputConnection(1)->mCallbackRefCon, &user);
  EXPECT_EQ(ConnectedInputs(Plugin()), (std::vector<bool>{false, false, true, true}));
  ASSERT_EQ(Host().Set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 1, AURenderCallbackStruct{}), noErr);
  EXPECT_EQ(Plugin().GetInputConnection(1)->mInputType, plugkit::eNotConnected);
  EXPECT_EQ(ConnectedInputs(Plugin()), (std::vector<bool>{false, false, false, false}));
  EXPECT_EQ(Host().Set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Global, 0, callback),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Host().Set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 2, callback),
            kAudioUnitErr_InvalidProperty);
  standin::DisposeComponentInstance(source);
}

TEST_F(AUPropertyWrite, ANewRateInAStreamFormatReachesAnInitialisedUnitsDSPAtOnce)
{
  // Before Initialize the rate waits for its reset; once initialised, a
  // format with a new rate resets as a rate write does, and one with the
  // same rate (or none) does not.
  struct Case
  {
    const char* name;
    bool initialised;
    AudioUnitScope scope;
    Float64 rate;
    std::vector<double> wantResets;
  };
  const Case cases[] = {
    {"new rate, initialised", true, kAudioUnitScope_Input, 96000.0, {96000.0}},
    {"new rate on the output", true, kAudioUnitScope_Output, 48000.0, {48000.0}},
    {"same rate", true, kAudioUnitScope_Input, 44100.0, {}},
    {"no rate", true, kAudioUnitScope_Input, 0.0, {}},
    {"new rate, not initialised", false, kAudioUnitScope_Input, 96000.0, {}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Open();
    ASSERT_EQ(Host().Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, FloatFormat(2)), noErr);
    ASSERT_EQ(Host().Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, FloatFormat(2)), noErr);
    if (c.initialised)
    {
      ASSERT_EQ(Host().Initialize(), noErr);
    }
    Plugin().resets.clear();
    EXPECT_EQ(Host().Set(kAudioUnitProperty_StreamFormat, c.scope, 0, FloatFormat(2, c.rate)), noErr);
    EXPECT_EQ(Plugin().resets, c.wantResets);
    EXPECT_EQ(Plugin().GetSampleRate(), c.rate > 0.0 ? c.rate : 44100.0);
  }
}

TEST_F(AUPropertyWrite, TheLargestSliceIs131072Frames)
{
  Open();
  const std::pair<UInt32, OSStatus> cases[] = {
    {131072, noErr}, {131073, kAudioUnitErr_InvalidPropertyValue}, {1u << 31, kAudioUnitErr_InvalidPropertyValue}};
  for (auto [frames, status] : cases)
  {
    EXPECT_EQ(Host().Set(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, frames), status) << frames;
    UInt32 now = 0;
    EXPECT_EQ(Host().Get(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, now), noErr);
    EXPECT_EQ(now, 131072u);
  }
}

} // namespace
