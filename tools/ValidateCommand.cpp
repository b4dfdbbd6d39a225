#include "tools/ValidateCommand.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "CoreFoundation/CFDictionary.h"
#include "CoreFoundation/CFRunLoop.h"
#include "StandIn/CFObjects.h"
#include "tools/HostRender.h"
#include "tools/UnitParameters.h"

namespace auhost {

namespace {

// One check: passes or fails with a reason.
struct Verdict
{
  bool pass = true;
  std::string why;
  void Fail(const std::string& reason)
  {
    if (pass)
      why = reason;
    pass = false;
  }
};

AudioData TestSignal(int channels, double rate, double seconds, bool silent)
{
  AudioData a;
  a.sampleRate = rate;
  const size_t n = static_cast<size_t>(seconds * rate);
  for (int c = 0; c < channels; ++c)
  {
    std::vector<float> ch(n, 0.0f);
    if (!silent)
      for (size_t i = 0; i < n; ++i)
        ch[i] = static_cast<float>(0.3 * std::sin(0.05 * static_cast<double>(i) * (1 + c)) *
                                   (0.5 + 0.5 * std::sin(static_cast<double>(i) / rate * 3.0)));
    a.channels.push_back(std::move(ch));
  }
  return a;
}

struct FreshRender
{
  bool ok = false;
  std::string error;
  AudioData output;
};

// Renders in a fresh unit; `prepare` runs on the open unit first.
FreshRender RenderFresh(const ComponentBundle& bundle, const AudioData& main, const AudioData* side, int block,
                        const std::function<void(AudioUnit)>& prepare)
{
  FreshRender result;
  auto opened = OpenedUnit::Open(bundle, result.error);
  if (!opened)
    return result;
  if (prepare)
    prepare(opened->Unit());
  RenderSetup setup;
  setup.blockSize = block;
  const RenderOutcome outcome = RenderInMemory(opened->Unit(), setup, main, side, result.output);
  result.ok = outcome.ok;
  result.error = outcome.error;
  return result;
}

bool AllClean(const AudioData& a, std::string& why)
{
  for (const auto& ch : a.channels)
    for (float v : ch)
    {
      if (!std::isfinite(v))
      {
        why = "non-finite output";
        return false;
      }
      if (v != 0.0f && std::fabs(v) < 1.17549435e-38f)
      {
        why = "denormal output";
        return false;
      }
    }
  return true;
}

Verdict OpenCloseRepeatedly(const ComponentBundle& bundle)
{
  Verdict v;
  for (int i = 0; i < 10 && v.pass; ++i)
  {
    std::string error;
    auto unit = OpenedUnit::Open(bundle, error);
    if (!unit)
      v.Fail(error);
    else if (AudioUnitInitialize(unit->Unit()) != noErr)
      v.Fail("Initialize failed after open " + std::to_string(i + 1));
  }
  return v;
}

Verdict PropertiesAnswerAsTheirInfo(AudioUnit unit)
{
  struct Probe
  {
    AudioUnitPropertyID id;
    AudioUnitScope scope;
  };
  const Probe probes[] = {
    {kAudioUnitProperty_ParameterList, kAudioUnitScope_Global}, {kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input},
    {kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output},  {kAudioUnitProperty_ElementCount, kAudioUnitScope_Input},
    {kAudioUnitProperty_Latency, kAudioUnitScope_Global},       {kAudioUnitProperty_TailTime, kAudioUnitScope_Global},
    {kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global},
    {kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global},
    {kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global},  {kAudioUnitProperty_SampleRate, kAudioUnitScope_Output},
  };
  Verdict v;
  for (const Probe& p : probes)
  {
    UInt32 infoSize = 0;
    Boolean writable = false;
    const OSStatus infoStatus = AudioUnitGetPropertyInfo(unit, p.id, p.scope, 0, &infoSize, &writable);
    std::vector<uint8_t> data(infoSize + 16);
    UInt32 size = infoSize;
    const OSStatus status = AudioUnitGetProperty(unit, p.id, p.scope, 0, data.data(), &size);
    if ((infoStatus == noErr) != (status == noErr) || (status == noErr && size != infoSize))
      v.Fail("property " + std::to_string(p.id) + " scope " + std::to_string(p.scope) + ": info says " +
             std::to_string(infoSize) + " bytes (status " + std::to_string(infoStatus) + "), the read gives " +
             std::to_string(size) + " (status " + std::to_string(status) + ")");
  }
  return v;
}

Verdict ParametersReadBack(AudioUnit unit)
{
  Verdict v;
  const std::vector<ParameterDescription> params = ReadParameters(unit);
  if (params.empty())
    v.Fail("no parameters listed");
  for (const ParameterDescription& p : params)
  {
    if (!(p.flags & kAudioUnitParameterFlag_IsWritable))
      continue;
    for (float want : {p.minValue, p.maxValue, p.defaultValue})
    {
      float got = NAN;
      AudioUnitSetParameter(unit, p.id, kAudioUnitScope_Global, 0, want, 0);
      AudioUnitGetParameter(unit, p.id, kAudioUnitScope_Global, 0, &got);
      if (!(std::fabs(got - want) <= 1e-4f * std::max(1.0f, std::fabs(want))))
        v.Fail("\"" + p.name + "\" set to " + std::to_string(want) + " reads back " + std::to_string(got));
    }
  }
  return v;
}

Verdict StreamFormatsAcceptedAndRefused(AudioUnit unit)
{
  auto format = [](UInt32 channels, double rate, UInt32 flags, UInt32 bits) {
    AudioStreamBasicDescription d{};
    d.mSampleRate = rate;
    d.mFormatID = kAudioFormatLinearPCM;
    d.mFormatFlags = flags;
    d.mBytesPerPacket = d.mBytesPerFrame = bits / 8;
    d.mFramesPerPacket = 1;
    d.mChannelsPerFrame = channels;
    d.mBitsPerChannel = bits;
    return d;
  };
  struct Case
  {
    const char* what;
    AudioStreamBasicDescription format;
    bool accepted;
  };
  const Case cases[] = {
    {"mono float at 44.1 kHz", format(1, 44100, kAudioFormatFlagsCanonical, 32), true},
    {"stereo float at 96 kHz", format(2, 96000, kAudioFormatFlagsCanonical, 32), true},
    {"interleaved float", format(2, 48000, kAudioFormatFlagsNativeFloatPacked, 32), false},
    {"16-bit integers", format(2, 48000, kAudioFormatFlagIsSignedInteger | kAudioFormatFlagIsNonInterleaved, 16),
     false},
    {"no channels", format(0, 48000, kAudioFormatFlagsCanonical, 32), false},
    {"eight channels", format(8, 48000, kAudioFormatFlagsCanonical, 32), false},
  };
  Verdict v;
  for (const Case& c : cases)
    for (AudioUnitScope scope : {kAudioUnitScope_Input, kAudioUnitScope_Output})
    {
      const bool accepted =
        AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, scope, 0, &c.format, sizeof(c.format)) == noErr;
      if (accepted != c.accepted)
        v.Fail(std::string(c.what) + (accepted ? " accepted" : " refused") + " on the " +
               (scope == kAudioUnitScope_Input ? "input" : "output"));
    }
  return v;
}

Verdict RendersEverywhere(const ComponentBundle& bundle)
{
  Verdict v;
  for (int block : {1, 64, 512, 4096})
    for (double rate : {44100.0, 48000.0, 96000.0})
      for (int channels : {1, 2})
        for (bool side : {false, true})
        {
          // One-frame slices cost a call each: a shorter programme.
          const AudioData main = TestSignal(channels, rate, block == 1 ? 0.05 : 0.3, false);
          const AudioData sidechain = TestSignal(channels, rate, 0.3, false);
          std::string why;
          const FreshRender out = RenderFresh(bundle, main, side ? &sidechain : nullptr, block, nullptr);
          const std::string where = std::to_string(block) + " frames at " + std::to_string(int(rate)) + " Hz, " +
                                    std::to_string(channels) + " channels" + (side ? " with side-chain" : "");
          if (!out.ok)
            v.Fail(where + ": " + out.error);
          else if (!AllClean(out.output, why))
            v.Fail(where + ": " + why);
        }
  return v;
}

Verdict SilenceStaysClean(const ComponentBundle& bundle)
{
  Verdict v;
  std::string why;
  const AudioData silence = TestSignal(2, 48000.0, 2.0, true);
  const FreshRender out = RenderFresh(bundle, silence, nullptr, 512, nullptr);
  if (!out.ok)
    v.Fail(out.error);
  else if (!AllClean(out.output, why))
    v.Fail(why);
  return v;
}

Verdict StateRestoresParameters(const ComponentBundle& bundle)
{
  Verdict v;
  std::string error;
  auto a = OpenedUnit::Open(bundle, error);
  auto b = a ? OpenedUnit::Open(bundle, error) : nullptr;
  if (!b)
  {
    v.Fail(error);
    return v;
  }
  const std::vector<ParameterDescription> params = ReadParameters(a->Unit());
  // Every writable parameter a quarter of the way up its range.
  for (const ParameterDescription& p : params)
    if (p.flags & kAudioUnitParameterFlag_IsWritable)
      AudioUnitSetParameter(a->Unit(), p.id, kAudioUnitScope_Global, 0,
                            std::round(p.minValue + 0.25f * (p.maxValue - p.minValue)), 0);
  CFDictionaryRef state = nullptr;
  UInt32 size = sizeof(state);
  if (AudioUnitGetProperty(a->Unit(), kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, &size) !=
        noErr ||
      !state)
  {
    v.Fail("no ClassInfo");
    return v;
  }
  const OSStatus status =
    AudioUnitSetProperty(b->Unit(), kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, sizeof(state));
  CFRelease(state);
  if (status != noErr)
    v.Fail("the unit refused its own ClassInfo (status " + std::to_string(status) + ")");
  for (const ParameterDescription& p : params)
  {
    float x = 0, y = 0;
    AudioUnitGetParameter(a->Unit(), p.id, kAudioUnitScope_Global, 0, &x);
    AudioUnitGetParameter(b->Unit(), p.id, kAudioUnitScope_Global, 0, &y);
    if (std::fabs(x - y) > 1e-4f * std::max(1.0f, std::fabs(x)))
      v.Fail("\"" + p.name + "\" saved as " + std::to_string(x) + " restored as " + std::to_string(y));
  }
  return v;
}

Verdict BypassIsBitExact(const ComponentBundle& bundle)
{
  Verdict v;
  const AudioData main = TestSignal(2, 48000.0, 1.0, false);
  const FreshRender out = RenderFresh(bundle, main, nullptr, 512, [](AudioUnit unit) {
    const UInt32 on = 1;
    AudioUnitSetProperty(unit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &on, sizeof(on));
  });
  if (!out.ok)
    v.Fail(out.error);
  else if (out.output.channels != main.channels)
    v.Fail("the bypassed output differs from the input");
  return v;
}

} // namespace

bool RunValidation(const ComponentBundle& bundle)
{
  std::string error;
  // A first open may make what a module keeps for the process (its
  // classes, constant texts): counted from after it.
  if (!OpenedUnit::Open(bundle, error))
  {
    std::printf("FAIL  open: %s\nverdict: FAIL\n", error.c_str());
    return false;
  }
  // So is the host's main run loop, made on its first use (a unit without
  // timers leaves that to the first render): it must not count as a leak.
  CFRunLoopGetMain();
  const long objectsBefore = standin::LiveObjectCount();
  auto probe = OpenedUnit::Open(bundle, error);
  if (!probe)
  {
    std::printf("FAIL  open again: %s\nverdict: FAIL\n", error.c_str());
    return false;
  }
  struct Check
  {
    const char* name;
    std::function<Verdict()> run;
  };
  const AudioUnit unit = probe->Unit();
  const Check checks[] = {
    {"open and close repeatedly", [&] { return OpenCloseRepeatedly(bundle); }},
    {"property reads answer as their information calls", [&] { return PropertiesAnswerAsTheirInfo(unit); }},
    {"parameters read back their minimum, maximum and default", [&] { return ParametersReadBack(unit); }},
    {"stream formats accepted and refused", [&] { return StreamFormatsAcceptedAndRefused(unit); }},
    {"render at 1, 64, 512 and 4096 frames, 44.1/48/96 kHz, mono and stereo, with and without side-chain",
     [&] { return RendersEverywhere(bundle); }},
    {"silence in gives no non-finite or denormal output", [&] { return SilenceStaysClean(bundle); }},
    {"state saved and restored gives the same parameters", [&] { return StateRestoresParameters(bundle); }},
    {"bypass is bit-exact", [&] { return BypassIsBitExact(bundle); }},
  };
  bool all = true;
  for (const Check& c : checks)
  {
    const Verdict v = c.run();
    all = all && v.pass;
    std::printf("%s  %s%s%s\n", v.pass ? "PASS" : "FAIL", c.name, v.pass ? "" : ": ", v.why.c_str());
    std::fflush(stdout);
  }
  probe.reset();
  const long leaked = standin::LiveObjectCount() - objectsBefore;
  std::printf("%s  no Core Foundation object leaks%s\n", leaked == 0 ? "PASS" : "FAIL",
              leaked == 0 ? "" : (": " + std::to_string(leaked) + " objects left").c_str());
  all = all && leaked == 0;
  std::printf("verdict: %s\n", all ? "PASS" : "FAIL");
  return all;
}

} // namespace auhost
