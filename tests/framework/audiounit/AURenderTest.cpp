#include <cmath>
#include <cstring>
#include <limits>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "tests/framework/audiounit/fakes/RenderHost.h"

namespace {

using namespace fakes;

using AURender = HostedUnitTest;

std::vector<AudioUnitRenderActionFlags> gNotified;
OSStatus RecordingNotify(void*, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32, UInt32, AudioBufferList*)
{
  gNotified.push_back(*flags);
  return noErr;
}

OSStatus Render(const HostedUnit& host, double sampleTime, HostBuffers& out, UInt32 bus = 0)
{
  const AudioTimeStamp ts = SampleTimeStamp(sampleTime);
  return AudioUnitRender(host.Unit(), nullptr, &ts, bus, out.frames, out.List());
}

TEST_F(AURender, RefusedCallsRunNoNotificationAndPullNothing)
{
  constexpr UInt32 kValid = kAudioTimeStampSampleTimeValid, kHostTime = kAudioTimeStampHostTimeValid;
  struct Case
  {
    const char* name;
    UInt32 flags, frames, bus, nBuffers;
    OSStatus want;
    UInt32 secondBufferBytes = 0; // when set
    bool noList = false, noTimeStamp = false;
  };
  const Case cases[] = {
    {"a whole block", kValid, 512, 0, 2, noErr},
    {"one buffer of two", kValid | kHostTime, 64, 0, 1, noErr},
    {"a buffer longer than the slice", kValid, 64, 0, 2, noErr, 65 * 4},
    {"no valid sample time", kHostTime, 64, 0, 2, kAudioUnitErr_InvalidPropertyValue},
    {"one frame more than the block", kValid, 513, 0, 2, kAudioUnitErr_InvalidPropertyValue},
    {"an output bus the unit lacks", kValid, 64, 1, 2, kAudioUnitErr_InvalidElement},
    {"more buffers than the bus has channels", kValid, 64, 0, 3, kAudioUnitErr_InvalidPropertyValue},
    {"a buffer shorter than the slice", kValid, 64, 0, 2, kAudioUnitErr_InvalidPropertyValue, 63 * 4 + 3},
    {"no buffer list", kValid, 64, 0, 2, kAudioUnitErr_InvalidPropertyValue, 0, true},
    {"no time stamp", kValid, 64, 0, 2, kAudioUnitErr_InvalidPropertyValue, 0, false, true},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Open();
    InputSource source;
    ASSERT_EQ(source.InstallAsCallback(Host(), 0), noErr);
    AudioUnitAddRenderNotify(Host().Unit(), RecordingNotify, nullptr);
    gNotified.clear();
    HostBuffers out(c.nBuffers, c.frames);
    if (c.secondBufferBytes)
      out.list.mBuffers[1].mDataByteSize = c.secondBufferBytes;
    const AudioTimeStamp ts = SampleTimeStamp(0.0, c.flags);
    EXPECT_EQ(AudioUnitRender(Host().Unit(), nullptr, c.noTimeStamp ? nullptr : &ts, c.bus, c.frames,
                              c.noList ? nullptr : out.List()),
              c.want);
    const bool rendered = c.want == noErr;
    const std::vector<UInt32> notified = rendered ? std::vector<UInt32>{4, 8} : std::vector<UInt32>{};
    EXPECT_EQ(gNotified, notified) << "pre- and post-render";
    EXPECT_EQ(source.calls, rendered ? 1 : 0);
    for (UInt32 ch = 0; ch < c.nBuffers; ++ch)
      EXPECT_EQ(out.Channel(ch), rendered ? Signal(0, ch, c.frames, 0.0) : out.storage[ch]);
  }
}

TEST_F(AURender, InputsArePulledOncePerSampleTimeUntilAResetOrInitialize)
{
  enum Step { kRender, kReset, kInitialize };
  const std::tuple<Step, double, int> steps[] = {
    {kRender, 0, 1},  {kRender, 0, 1},      {kRender, 64, 2}, {kReset, 0, 2},    {kRender, 64, 3},
    {kRender, 64, 3}, {kInitialize, 0, 3}, {kRender, 64, 4}, {kRender, 64, 4}, {kRender, 0, 5},
  };
  Open();
  InputSource source;
  source.InstallAsCallback(Host(), 0);
  HostBuffers out(2, 64);
  for (const auto& [step, sampleTime, wantPulls] : steps)
  {
    if (step == kRender)
      ASSERT_EQ(Render(Host(), sampleTime, out), noErr);
    else if (step == kReset)
      AudioUnitReset(Host().Unit(), kAudioUnitScope_Global, 0);
    else
      ASSERT_EQ(Host().Initialize(), noErr);
    EXPECT_EQ(source.calls, wantPulls) << "after the step at sample time " << sampleTime;
  }

  // A failing source ends the render before the post-render notification,
  // and the same sample time is pulled again.
  AudioUnitAddRenderNotify(Host().Unit(), RecordingNotify, nullptr);
  gNotified.clear();
  source.status = -50;
  EXPECT_EQ(Render(Host(), 128, out), -50);
  EXPECT_EQ(gNotified, std::vector<UInt32>{4});
  source.status = noErr;
  EXPECT_EQ(Render(Host(), 128, out), noErr);
  EXPECT_EQ(source.calls, 7);
}

TEST_F(AURender, WhatASourceLeavesOutIsSilence)
{
  constexpr UInt32 kFrames = 64;
  struct Case
  {
    const char* name;
    bool asUnit, hasRenderEntry;
    SourceData data;
    bool nullOutput;
    UInt32 signalFrames[2]; // per channel; the rest is silence
  };
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
    ASSERT_EQ(c.asUnit ? source.ConnectAsUnit(Host(), 0) : source.InstallAsCallback(Host(), 0), noErr);
    EXPECT_EQ(Plugin().GetInputConnection(0)->mInputType,
              !c.asUnit ? plugkit::eRenderCallback : c.hasRenderEntry ? plugkit::eDirectFastProc : plugkit::eDirectNoFastProc);
    // A block first that leaves audio in the wrapper's input scratch, so
    // that stale audio would show.
    source.data = c.asUnit ? SourceData::Short : SourceData::Given;
    HostBuffers first(2, kFrames), out(2, kFrames, c.nullOutput);
    ASSERT_EQ(Render(Host(), 0, first), noErr);
    source.data = c.data;
    ASSERT_EQ(Render(Host(), kFrames, out), noErr);
    for (UInt32 ch = 0; ch < 2; ++ch)
    {
      std::vector<float> want = Signal(0, ch, kFrames, kFrames);
      std::fill(want.begin() + c.signalFrames[ch], want.end(), 0.0f);
      EXPECT_EQ(out.Channel(ch), want) << "channel " << ch;
      EXPECT_EQ(out.list.mBuffers[ch].mDataByteSize, kFrames * 4) << "the size of the buffer lent";
    }
  }

  // The side-chain reaches the processor through the host's callback.
  Open();
  InputSource main, side;
  main.InstallAsCallback(Host(), 0);
  side.InstallAsCallback(Host(), 1);
  std::vector<std::vector<double>> seen;
  Plugin().process = [&](double** in, double**, int n) {
    for (int ch = 0; ch < 4; ++ch)
      seen.emplace_back(in[ch], in[ch] + n);
  };
  HostBuffers out(2, 512);
  ASSERT_EQ(Render(Host(), 256, out), noErr);
  ASSERT_EQ(seen.size(), 4u);
  for (UInt32 ch = 0; ch < 4; ++ch)
  {
    const std::vector<float> want = Signal(ch / 2, ch % 2, 512, 256);
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
    std::tie(*beat, *tempo) = std::tie(c->beat, c->tempo);
    return noErr;
  }
  static OSStatus MusicalTime(void* self, UInt32* toNextBeat, Float32* num, UInt32* den, Float64* downBeat)
  {
    const auto* c = static_cast<HostClock*>(self);
    std::tie(*toNextBeat, *num, *den, *downBeat) = std::make_tuple(99u, c->numerator, c->denominator, c->downBeat);
    return noErr;
  }
  static OSStatus Transport(void* self, Boolean* playing, Boolean* changed, Float64* samplePos, Boolean* cycling,
                            Float64* cycleStart, Float64* cycleEnd)
  {
    const auto* c = static_cast<HostClock*>(self);
    std::tie(*playing, *changed, *samplePos, *cycling, *cycleStart, *cycleEnd) =
      std::make_tuple(c->playing, Boolean{1}, c->samplePos, c->cycling, c->cycleStart, c->cycleEnd);
    return noErr;
  }
};

TEST_F(AURender, TheHostTimeRecordComesFromTheHostsCallbacks)
{
  // tempo, samplePos, ppq, lastBar, cycleStart, cycleEnd, numerator, denominator, running, looping
  using Fields = std::tuple<double, double, double, double, double, double, int, int, bool, bool>;
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  struct Case
  {
    const char* name;
    bool callbacks;
    HostClock clock;
    Fields want;
  };
  const Case cases[] = {
    {"no callbacks", false, {}, {120, -1, -1, -1, -1, -1, 4, 4, false, false}},
    {"everything given", true, {17.25, 93.5, 44100, 8, 16, 12, 1, 1, 7.9f, 8}, {93.5, 44100, 17.25, 12, 8, 16, 7, 8, true, true}},
    {"the start of the time line", true, {}, {120, -1, 0, -1, -1, -1, 0, 0, false, false}},
    {"below zero", true, {-2, -5, -10, -1, -1, -3, 0, 0, -3.5f, 4}, {120, -1, -2, -1, -1, -1, -3, 4, false, false}},
    {"a numerator that is no number", true, {1, 60, 1, 1, 1, 1, 0, 0, kNaN, 2}, {60, 1, 1, 1, 1, 1, 4, 2, false, false}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Open();
    HostClock clock = c.clock;
    const HostCallbackInfo info{&clock, HostClock::BeatAndTempo, HostClock::MusicalTime, HostClock::Transport, nullptr};
    if (c.callbacks)
    {
      ASSERT_EQ(Host().Set(kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, info), noErr);
    }
    Plugin().GetTimeInfo().mTempo = 1.0; // must be replaced
    HostBuffers out(2, 8);
    ASSERT_EQ(Render(Host(), 0, out), noErr);
    const plugkit::IHostTimeInfo& t = Plugin().GetTimeInfo();
    EXPECT_EQ(Fields(t.mTempo, t.mSamplePos, t.mPPQPos, t.mLastBar, t.mCycleStart, t.mCycleEnd, t.mNumerator,
                     t.mDenominator, t.mTransportIsRunning, t.mTransportLoopEnabled),
              c.want);
  }
}

TEST_F(AURender, BypassCopiesTheInputBitForBitAndLeavesTheRestAlone)
{
  Open();
  InputSource source;
  source.InstallAsCallback(Host(), 0);
  HostClock clock;
  clock.tempo = 90;
  Host().Set(kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0,
             HostCallbackInfo{&clock, HostClock::BeatAndTempo, nullptr, nullptr, nullptr});
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
      std::vector<float> want = Signal(0, ch, 64, bypass ? 0 : 64);
      for (float& v : want)
        v = bypass ? v : -v;
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
  Plugin().process = [&](double** in, double** out, int n) { ++blocks, Plugin().PluginAU::ProcessBlock(in, out, n); };
  // Before bus 1 has rendered, bus 0 is the last connected one and
  // processes; from then on it only hands over its buffers.
  HostBuffers bus0(2, 32), bus1(2, 32), next0(2, 32), next1(2, 32);
  ASSERT_EQ(Render(Host(), 0, bus0, 0), noErr);
  EXPECT_EQ(blocks, 1);
  ASSERT_EQ(Render(Host(), 32, bus1, 1), noErr);
  ASSERT_EQ(Render(Host(), 64, next0, 0), noErr);
  EXPECT_EQ(next0.Channel(0), next0.storage[0]) << "not written before bus 1 renders";
  ASSERT_EQ(Render(Host(), 64, next1, 1), noErr);
  EXPECT_EQ(std::make_pair(blocks, source.calls), std::make_pair(3, 3));
  EXPECT_EQ(next0.Channel(1), Signal(0, 1, 32, 64));
  EXPECT_EQ(next1.Channel(0), std::vector<float>(32, 0.0f));
}

TEST_F(AURender, EveryBufferTheHostGivesIsWrittenWhateverTheBusWidth)
{
  // A four-channel first output bus before a stereo one the host never
  // renders; it gets 4, then 2, then 4 buffers.
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
    for (UInt32 ch = 0; ch < 6; ++ch)
      EXPECT_EQ(Plugin().IsChannelConnected(plugkit::kOutput, static_cast<int>(ch)), ch < nBuffers) << ch;
  }
}

} // namespace
