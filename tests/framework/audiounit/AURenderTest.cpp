#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "StandIn/AudioUnits.h"
#include "tests/framework/audiounit/fakes/RenderHost.h"

namespace {

using namespace fakes;

using AURender = HostedUnitTest;

constexpr UInt32 kBlock = 512;

// Every render notification as the unit made it.
struct NotifyCall
{
  AudioUnitRenderActionFlags flags;
  double sampleTime;
  UInt32 bus, frames;
  bool operator==(const NotifyCall&) const = default;
};
std::vector<NotifyCall> gNotifyCalls;

OSStatus RecordingNotify(void*, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* ts, UInt32 bus, UInt32 frames,
                         AudioBufferList*)
{
  gNotifyCalls.push_back({*flags, ts->mSampleTime, bus, frames});
  return noErr;
}

OSStatus Render(const HostedUnit& host, double sampleTime, HostBuffers& out, UInt32 bus = 0)
{
  const AudioTimeStamp ts = SampleTimeStamp(sampleTime);
  return AudioUnitRender(host.Unit(), nullptr, &ts, bus, out.frames, out.List());
}

TEST_F(AURender, RefusedCallsRunNoNotificationAndPullNothing)
{
  struct Case
  {
    const char* name;
    UInt32 flags, frames, bus, nBuffers;
    bool noList;
    OSStatus want;
    UInt32 shortBufferBytes = 0; // the second buffer's size when set
  };
  constexpr UInt32 kValid = kAudioTimeStampSampleTimeValid;
  const Case cases[] = {
    {"a whole block", kValid, kBlock, 0, 2, false, noErr},
    {"one buffer of two", kValid | kAudioTimeStampHostTimeValid, 64, 0, 1, false, noErr},
    {"no valid sample time", kAudioTimeStampHostTimeValid, 64, 0, 2, false, kAudioUnitErr_InvalidPropertyValue},
    {"one frame more than the block", kValid, kBlock + 1, 0, 2, false, kAudioUnitErr_InvalidPropertyValue},
    {"an output bus the unit lacks", kValid, 64, 1, 2, false, kAudioUnitErr_InvalidElement},
    {"more buffers than the bus has channels", kValid, 64, 0, 3, false, kAudioUnitErr_InvalidPropertyValue},
    {"no buffer list", kValid, 64, 0, 2, true, kAudioUnitErr_InvalidPropertyValue},
    {"a buffer shorter than the slice", kValid, 64, 0, 2, false, kAudioUnitErr_InvalidPropertyValue, 63 * 4 + 3},
    {"a buffer longer than the slice", kValid, 64, 0, 2, false, noErr, 65 * 4},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Open();
    InputSource source;
    ASSERT_EQ(source.InstallAsCallback(Host(), 0), noErr);
    AudioUnitAddRenderNotify(Host().Unit(), RecordingNotify, nullptr);
    gNotifyCalls.clear();
    HostBuffers out(c.nBuffers, c.frames);
    if (c.shortBufferBytes)
      out.list.mBuffers[1].mDataByteSize = c.shortBufferBytes;
    const AudioTimeStamp ts = SampleTimeStamp(0.0, c.flags);
    EXPECT_EQ(AudioUnitRender(Host().Unit(), nullptr, &ts, c.bus, c.frames, c.noList ? nullptr : out.List()), c.want);
    const bool rendered = c.want == noErr;
    EXPECT_EQ(gNotifyCalls.size(), rendered ? 2u : 0u);
    EXPECT_EQ(source.calls, rendered ? 1 : 0);
    for (UInt32 ch = 0; ch < c.nBuffers; ++ch)
      EXPECT_EQ(out.Channel(ch), rendered ? SignalBlock(0, ch, c.frames, 0.0) : out.storage[ch]);
  }
}

TEST_F(AURender, InputsArePulledOncePerSampleTimeUntilAResetOrInitialize)
{
  enum Step { kRender, kReset, kInitialize };
  struct Case
  {
    Step step;
    double sampleTime;
    int wantPulls;
  };
  const Case steps[] = {
    {kRender, 0, 1}, {kRender, 0, 1}, {kRender, 64, 2}, {kReset, 0, 2},     {kRender, 64, 3},
    {kRender, 64, 3}, {kInitialize, 0, 3}, {kRender, 64, 4}, {kRender, 64, 4}, {kRender, 0, 5},
  };
  Open();
  InputSource source;
  source.InstallAsCallback(Host(), 0);
  HostBuffers out(2, 64);
  for (const Case& s : steps)
  {
    if (s.step == kRender)
      ASSERT_EQ(Render(Host(), s.sampleTime, out), noErr);
    else if (s.step == kReset)
      AudioUnitReset(Host().Unit(), kAudioUnitScope_Global, 0);
    else
      ASSERT_EQ(Host().Initialize(), noErr);
    EXPECT_EQ(source.calls, s.wantPulls) << "after the step at sample time " << s.sampleTime;
  }
}

TEST_F(AURender, AFailingSourceEndsTheRenderAndIsAskedAgain)
{
  Open();
  InputSource source;
  source.InstallAsCallback(Host(), 0);
  AudioUnitAddRenderNotify(Host().Unit(), RecordingNotify, nullptr);
  gNotifyCalls.clear();
  HostBuffers out(2, 64);
  source.status = -50;
  EXPECT_EQ(Render(Host(), 128, out), -50);
  EXPECT_EQ(gNotifyCalls, (std::vector<NotifyCall>{{kAudioUnitRenderAction_PreRender, 128, 0, 64}}));
  EXPECT_EQ(out.Channel(0), out.storage[0]);

  source.status = noErr;
  EXPECT_EQ(Render(Host(), 128, out), noErr);
  EXPECT_EQ(source.calls, 2) << "the same sample time is pulled again";
  EXPECT_EQ(out.Channel(1), SignalBlock(0, 1, 64, 128));
}

// Adds RecordingNotify the first time it is called.
OSStatus AddingNotify(void* unit, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* ts, UInt32 bus,
                      UInt32 frames, AudioBufferList* list)
{
  if (gNotifyCalls.empty())
    AudioUnitAddRenderNotify(static_cast<AudioUnit>(unit), RecordingNotify, nullptr);
  return RecordingNotify(nullptr, flags, ts, bus, frames, list);
}

TEST_F(AURender, NotificationsFrameEachRenderWithTheRecordsPresentBeforeIt)
{
  Open();
  AudioUnitAddRenderNotify(Host().Unit(), AddingNotify, Host().Unit());
  gNotifyCalls.clear();
  HostBuffers out(2, 32);
  ASSERT_EQ(Render(Host(), 0, out), noErr);
  ASSERT_EQ(Render(Host(), 32, out), noErr);
  constexpr UInt32 kPre = kAudioUnitRenderAction_PreRender, kPost = kAudioUnitRenderAction_PostRender;
  EXPECT_EQ(gNotifyCalls, (std::vector<NotifyCall>{{kPre, 0, 0, 32},
                                                    {kPost, 0, 0, 32},
                                                    {kPre, 32, 0, 32},
                                                    {kPre, 32, 0, 32},
                                                    {kPost, 32, 0, 32},
                                                    {kPost, 32, 0, 32}}));
  EXPECT_EQ(gNotifyCalls[0].flags, 4u);
  EXPECT_EQ(gNotifyCalls[1].flags, 8u);
}

TEST_F(AURender, WhatASourceLeavesOutIsSilence)
{
  struct Case
  {
    const char* name;
    bool asUnit, hasRenderEntry;
    SourceData data;
    bool nullOutput;
    // Frames of each channel that carry the signal; the rest is silence.
    UInt32 signalFrames[2];
  };
  constexpr UInt32 kFrames = 64;
  const Case cases[] = {
    {"host callback", false, false, SourceData::Given, false, {kFrames, kFrames}},
    {"host callback, null output buffers", false, false, SourceData::Given, true, {kFrames, kFrames}},
    {"unit with its own render entry", true, true, SourceData::Own, false, {kFrames, kFrames}},
    {"unit through AudioUnitRender", true, false, SourceData::Own, true, {kFrames, kFrames}},
    {"unit leaving the data null", true, true, SourceData::Null, false, {0, 0}},
    {"unit giving half the bytes", true, false, SourceData::Short, false, {kFrames / 2, kFrames / 2}},
    {"unit giving one buffer of two", true, true, SourceData::Fewer, false, {kFrames, 0}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Open();
    InputSource source;
    source.hasRenderEntry = c.hasRenderEntry;
    AudioUnit unit = nullptr;
    if (c.asUnit)
      unit = source.ConnectAsUnit(Host(), 0);
    else
      source.InstallAsCallback(Host(), 0);
    ASSERT_EQ(Plugin().GetInputConnection(0)->mInputType,
              !c.asUnit ? plugkit::eRenderCallback : c.hasRenderEntry ? plugkit::eDirectFastProc : plugkit::eDirectNoFastProc);

    // A full block first, so that stale audio would show.
    const SourceData scripted = c.data;
    source.data = c.asUnit ? SourceData::Own : SourceData::Given;
    HostBuffers first(2, kFrames);
    ASSERT_EQ(Render(Host(), 0, first), noErr);
    source.data = scripted;
    HostBuffers out(2, kFrames, c.nullOutput);
    ASSERT_EQ(Render(Host(), kFrames, out), noErr);
    for (UInt32 ch = 0; ch < 2; ++ch)
    {
      std::vector<float> want = SignalBlock(0, ch, kFrames, kFrames);
      std::fill(want.begin() + c.signalFrames[ch], want.end(), 0.0f);
      EXPECT_EQ(out.Channel(ch), want) << "channel " << ch;
    }
    if (unit)
      standin::DisposeComponentInstance(unit);
  }
}

TEST_F(AURender, TheSideChainReachesTheProcessorThroughTheHostCallback)
{
  Open();
  InputSource main, side;
  main.InstallAsCallback(Host(), 0);
  side.InstallAsCallback(Host(), 1);
  std::vector<std::vector<double>> seen;
  Plugin().process = [&](double** in, double**, int n) {
    seen.clear();
    for (int ch = 0; ch < 4; ++ch)
      seen.emplace_back(in[ch], in[ch] + n);
  };
  HostBuffers out(2, 16);
  ASSERT_EQ(Render(Host(), 256, out), noErr);
  ASSERT_EQ(seen.size(), 4u);
  for (UInt32 ch = 0; ch < 4; ++ch)
  {
    const std::vector<float> want = SignalBlock(ch / 2, ch % 2, 16, 256);
    EXPECT_EQ(seen[ch], std::vector<double>(want.begin(), want.end())) << "input channel " << ch;
  }
}

// The host's transport, answered through its callbacks.
struct HostClock
{
  Float64 beat = 0, tempo = 0, samplePos = 0, cycleStart = 0, cycleEnd = 0, downBeat = 0;
  Boolean playing = 0, cycling = 0;
  Float32 numerator = 0;
  UInt32 denominator = 0;

  static OSStatus BeatAndTempo(void* self, Float64* beat, Float64* tempo)
  {
    const auto* c = static_cast<HostClock*>(self);
    *beat = c->beat;
    *tempo = c->tempo;
    return noErr;
  }
  static OSStatus MusicalTime(void* self, UInt32* toNextBeat, Float32* numerator, UInt32* denominator, Float64* downBeat)
  {
    const auto* c = static_cast<HostClock*>(self);
    *toNextBeat = 99;
    *numerator = c->numerator;
    *denominator = c->denominator;
    *downBeat = c->downBeat;
    return noErr;
  }
  static OSStatus Transport(void* self, Boolean* playing, Boolean* changed, Float64* samplePos, Boolean* cycling,
                            Float64* cycleStart, Float64* cycleEnd)
  {
    const auto* c = static_cast<HostClock*>(self);
    *playing = c->playing;
    *changed = 1;
    *samplePos = c->samplePos;
    *cycling = c->cycling;
    *cycleStart = c->cycleStart;
    *cycleEnd = c->cycleEnd;
    return noErr;
  }
};

// tempo, samplePos, ppq, lastBar, cycleStart, cycleEnd, numerator, denominator, running, looping
using TimeFields = std::tuple<double, double, double, double, double, double, int, int, bool, bool>;
TimeFields Fields(const plugkit::IHostTimeInfo& t)
{
  return {t.mTempo, t.mSamplePos, t.mPPQPos, t.mLastBar, t.mCycleStart, t.mCycleEnd, t.mNumerator, t.mDenominator,
          t.mTransportIsRunning, t.mTransportLoopEnabled};
}

TEST_F(AURender, TheHostTimeRecordComesFromTheHostsCallbacks)
{
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  struct Case
  {
    const char* name;
    bool callbacks;
    HostClock clock;
    TimeFields want;
  };
  const Case cases[] = {
    {"no callbacks", false, {}, {120.0, -1.0, -1.0, -1.0, -1.0, -1.0, 4, 4, false, false}},
    {"everything given", true, {17.25, 93.5, 44100, 8, 16, 12, 1, 1, 7.9f, 8},
     {93.5, 44100, 17.25, 12, 8, 16, 7, 8, true, true}},
    {"the start of the time line", true, {0, 0, 0, 0, 0, 0, 0, 0, 0.f, 0}, {120.0, -1.0, 0, -1.0, -1.0, -1.0, 0, 0, false, false}},
    {"below zero", true, {-2, -5, -10, -1, -1, -3, 0, 0, -3.5f, 4}, {120.0, -1.0, -2, -1.0, -1.0, -1.0, -3, 4, false, false}},
    {"a numerator that is not a number", true, {1, 60, 1, 1, 1, 1, 0, 0, kNaN, 2}, {60, 1, 1, 1, 1, 1, 4, 2, false, false}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Open();
    HostClock clock = c.clock;
    if (c.callbacks)
    {
      const HostCallbackInfo info{&clock, HostClock::BeatAndTempo, HostClock::MusicalTime, HostClock::Transport, nullptr};
      ASSERT_EQ(Host().Set(kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, info), noErr);
    }
    Plugin().GetTimeInfo().mTempo = 1.0; // must be replaced
    HostBuffers out(2, 8);
    ASSERT_EQ(Render(Host(), 0, out), noErr);
    EXPECT_EQ(Fields(Plugin().GetTimeInfo()), c.want);
  }
}

TEST_F(AURender, BypassCopiesTheInputBitForBitAndLeavesTheRestAlone)
{
  Open();
  InputSource source;
  source.InstallAsCallback(Host(), 0);
  HostClock clock;
  clock.tempo = 90;
  const HostCallbackInfo info{&clock, HostClock::BeatAndTempo, nullptr, nullptr, nullptr};
  Host().Set(kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, info);
  int blocks = 0;
  Plugin().process = [&](double** in, double** out, int n) {
    ++blocks;
    for (int ch = 0; ch < 2; ++ch)
      for (int f = 0; f < n; ++f)
        out[ch][f] = -in[ch][f];
  };
  Plugin().SendMidiMsgFromUI({3, 0x90, 60, 100});

  for (const bool bypass : {true, false})
  {
    SCOPED_TRACE(bypass ? "bypassed" : "processing");
    ASSERT_EQ(Host().Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, UInt32{bypass}), noErr);
    HostBuffers out(2, 64);
    ASSERT_EQ(Render(Host(), bypass ? 0 : 64, out), noErr);
    for (UInt32 ch = 0; ch < 2; ++ch)
    {
      std::vector<float> want = SignalBlock(0, ch, 64, bypass ? 0 : 64);
      if (!bypass)
        for (float& v : want)
          v = -v;
      EXPECT_EQ(std::memcmp(out.Channel(ch).data(), want.data(), 64 * sizeof(float)), 0) << "channel " << ch;
    }
    EXPECT_EQ(blocks, bypass ? 0 : 1);
    EXPECT_EQ(Plugin().midiIn.size(), bypass ? 0u : 1u) << "the editor's MIDI waits for a processed block";
    EXPECT_EQ(Plugin().GetTimeInfo().mTempo, bypass ? 120.0 : 90.0);
  }
}

TEST_F(AURender, OnlyTheLastConnectedOutputBusProcessesTheBlock)
{
  Open(Road::Factory, AUTestKind::TwoOutputs);
  InputSource source;
  source.InstallAsCallback(Host(), 0);
  int blocks = 0;
  Plugin().process = [&](double** in, double** out, int n) {
    ++blocks;
    Plugin().PluginAU::ProcessBlock(in, out, n);
  };
  // The host renders bus 0 before it has ever rendered bus 1: bus 0 is the
  // last connected one and processes alone.
  HostBuffers bus0(2, 32), bus1(2, 32);
  ASSERT_EQ(Render(Host(), 0, bus0, 0), noErr);
  EXPECT_EQ(blocks, 1);
  // From then on bus 0 only hands over its buffers, and bus 1 processes.
  ASSERT_EQ(Render(Host(), 32, bus1, 1), noErr);
  HostBuffers next0(2, 32), next1(2, 32);
  ASSERT_EQ(Render(Host(), 64, next0, 0), noErr);
  EXPECT_EQ(next0.Channel(0), next0.storage[0]) << "not written before bus 1 renders";
  ASSERT_EQ(Render(Host(), 64, next1, 1), noErr);
  EXPECT_EQ(blocks, 3);
  EXPECT_EQ(source.calls, 3);
  EXPECT_EQ(next0.Channel(0), SignalBlock(0, 0, 32, 64));
  EXPECT_EQ(next0.Channel(1), SignalBlock(0, 1, 32, 64));
  EXPECT_EQ(next1.Channel(0), std::vector<float>(32, 0.0f));
}

TEST_F(AURender, EveryBufferTheHostGivesIsWrittenWhateverTheBusWidth)
{
  // A four-channel first output bus, before a stereo one the host never
  // renders; the host gives it 4, then 2, then 4 buffers again.
  Open(Road::Factory, AUTestKind::WideFirstOutput);
  Plugin().process = [](double**, double** out, int n) {
    for (int ch = 0; ch < 6; ++ch)
      std::fill(out[ch], out[ch] + n, ch + 1.0);
  };
  for (const UInt32 nBuffers : {4u, 2u, 4u})
  {
    SCOPED_TRACE(nBuffers);
    HostBuffers out(nBuffers, 16);
    ASSERT_EQ(Render(Host(), 16.0 * nBuffers, out), noErr);
    for (UInt32 ch = 0; ch < nBuffers; ++ch)
      EXPECT_EQ(out.Channel(ch), std::vector<float>(16, ch + 1.0f)) << "channel " << ch;
    for (int ch = 0; ch < 6; ++ch)
      EXPECT_EQ(Plugin().IsChannelConnected(plugkit::kOutput, ch), ch < static_cast<int>(nBuffers)) << ch;
  }
}

} // namespace
