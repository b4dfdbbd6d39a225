#include <algorithm>
#include <cstdint>
#include <cstring>

#include "framework/audiounit/CFText.h"
#include "framework/audiounit/PluginAU.h"

namespace plugkit {

namespace {

bool IsUsableSampleRate(double rate)
{
  return rate >= PluginAU::kMinSampleRate && rate <= PluginAU::kMaxSampleRate;
}

// Only what the render road reads: 32-bit native floats, one buffer per
// channel.
bool IsRenderableFormat(const AudioStreamBasicDescription& d)
{
  const UInt32 flags = d.mFormatFlags;
  return d.mFormatID == kAudioFormatLinearPCM && (flags & kAudioFormatFlagIsFloat) &&
         (flags & kAudioFormatFlagIsNonInterleaved) && !(flags & kAudioFormatFlagIsSignedInteger) &&
         !(flags & kAudioFormatFlagIsBigEndian) && d.mBitsPerChannel == 32;
}

template <typename T>
bool Read(const void* pData, UInt32 dataSize, T& out)
{
  if (!pData || dataSize < sizeof(T))
    return false;
  std::memcpy(&out, pData, sizeof(T));
  return true;
}

} // namespace

OSStatus PluginAU::SetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                               UInt32 dataSize, const void* pData)
{
  const bool global = scope == kAudioUnitScope_Global;
  const bool input = scope == kAudioUnitScope_Input;

  switch (id)
  {
    case kAudioUnitProperty_ClassInfo:
    {
      CFDictionaryRef dict = nullptr;
      if (!Read(pData, dataSize, dict))
        return kAudioUnitErr_InvalidPropertyValue;
      const OSStatus status = SetState(dict);
      if (status != noErr)
        return status;
      break;
    }
    case kAudioUnitProperty_MakeConnection:
    {
      if (!global && !input)
        return kAudioUnitErr_InvalidProperty;
      AudioUnitConnection c{};
      if (!Read(pData, dataSize, c))
        return kAudioUnitErr_InvalidPropertyValue;
      if (c.destInputNumber >= static_cast<UInt32>(mInputConnections.GetSize()))
        return kAudioUnitErr_InvalidProperty;
      IAUInputConnection& connection = *mInputConnections.Get(static_cast<int>(c.destInputNumber));
      if (c.sourceAudioUnit)
      {
        AudioStreamBasicDescription format{};
        UInt32 size = sizeof(format);
        if (AudioUnitGetProperty(c.sourceAudioUnit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output,
                                 c.sourceOutputNumber, &format, &size) != noErr ||
            SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, c.destInputNumber, sizeof(format),
                        &format) != noErr)
          return kAudioUnitErr_InvalidProperty; // the old connection stays
        connection = IAUInputConnection{};
        connection.mUpstreamUnit = c.sourceAudioUnit;
        connection.mUpstreamBusIdx = c.sourceOutputNumber;
        AudioUnitRenderProc render = nullptr;
        size = sizeof(render);
        if (AudioUnitGetProperty(c.sourceAudioUnit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global,
                                 kAudioUnitRenderSelect, &render, &size) == noErr &&
            render)
        {
          connection.mUpstreamRenderProc = render;
          connection.mUpstreamObj = GetComponentInstanceStorage(c.sourceAudioUnit);
        }
      }
      else
        connection = IAUInputConnection{};
      AssessInputConnections();
      break;
    }
    case kAudioUnitProperty_SampleRate:
    {
      Float64 rate = 0.0;
      if (!Read(pData, dataSize, rate) || !IsUsableSampleRate(rate))
        return kAudioUnitErr_InvalidPropertyValue;
      SetSampleRate(rate);
      OnReset();
      break;
    }
    case kAudioUnitProperty_StreamFormat:
    {
      const AudioUnitScope busScope = input ? kAudioUnitScope_Input : kAudioUnitScope_Output;
      IAUBus* bus = (input || global || scope == kAudioUnitScope_Output)
                      ? GetBusMutable(busScope, static_cast<int>(std::min<UInt32>(element, INT32_MAX)))
                      : nullptr;
      if (!bus)
        return kAudioUnitErr_InvalidProperty;
      AudioStreamBasicDescription d{};
      if (!Read(pData, dataSize, d))
        return kAudioUnitErr_InvalidPropertyValue;
      const int nChannels = d.mChannelsPerFrame > static_cast<UInt32>(INT32_MAX) ? 0 : static_cast<int>(d.mChannelsPerFrame);
      if (!IsRenderableFormat(d) || !CheckLegalIO(busScope, static_cast<int>(element), nChannels))
        return kAudioUnitErr_InvalidProperty;
      // 0 (or NaN) leaves the rate as it is.
      if (d.mSampleRate > 0.0 && !IsUsableSampleRate(d.mSampleRate))
        return kAudioUnitErr_InvalidPropertyValue;
      bus->mNHostChannels = nChannels;
      const bool newRate = d.mSampleRate > 0.0 && d.mSampleRate != GetSampleRate();
      if (newRate)
        SetSampleRate(d.mSampleRate);
      AssessInputConnections();
      // An initialised unit may render before the host resets it: the DSP
      // (and the latency it reports) follows the new rate now, as after a
      // reset. Before Initialize, Initialize's own reset brings it.
      if (newRate && mActive)
        OnReset();
      break;
    }
    case kAudioUnitProperty_MaximumFramesPerSlice:
    {
      UInt32 frames = 0;
      if (!Read(pData, dataSize, frames) || frames < 1 || frames > static_cast<UInt32>(kMaxBlockSize))
        return kAudioUnitErr_InvalidPropertyValue;
      SetBlockSize(static_cast<int>(frames));
      ResizeScratchBuffers();
      OnReset();
      break;
    }
    case kAudioUnitProperty_BypassEffect:
    {
      UInt32 bypass = 0;
      if (!Read(pData, dataSize, bypass))
        return kAudioUnitErr_InvalidPropertyValue;
      SetBypassed(bypass != 0);
      OnActivate(!GetBypassed());
      OnReset();
      break;
    }
    case kAudioUnitProperty_SetRenderCallback:
    {
      if (!input || element >= static_cast<UInt32>(mInputConnections.GetSize()))
        return kAudioUnitErr_InvalidProperty;
      AURenderCallbackStruct callback{};
      if (!Read(pData, dataSize, callback))
        return kAudioUnitErr_InvalidPropertyValue;
      IAUInputConnection& connection = *mInputConnections.Get(static_cast<int>(element));
      connection = IAUInputConnection{};
      if (callback.inputProc)
      {
        connection.mCallbackProc = callback.inputProc;
        connection.mCallbackRefCon = callback.inputProcRefCon;
      }
      AssessInputConnections();
      break;
    }
    case kAudioUnitProperty_HostCallbacks:
    {
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      // Hosts built before the last function existed pass a shorter record:
      // what they leave out stays null.
      if (!pData || dataSize < sizeof(void*))
        return kAudioUnitErr_InvalidPropertyValue;
      HostCallbackInfo info{};
      std::memcpy(&info, pData, std::min<size_t>(dataSize, sizeof(info)));
      mHostCallbacks = info;
      break;
    }
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
    {
      AUPreset preset{};
      if (!Read(pData, dataSize, preset))
        return kAudioUnitErr_InvalidPropertyValue;
      RestorePreset(static_cast<int>(preset.presetNumber));
      break;
    }
    case kAudioUnitProperty_OfflineRender:
    {
      UInt32 offline = 0;
      if (!Read(pData, dataSize, offline))
        return kAudioUnitErr_InvalidPropertyValue;
      SetRenderingOffline(offline != 0);
      OnReset();
      break;
    }
    case kAudioUnitProperty_AUHostIdentifier:
    {
      AUHostIdentifier host{};
      if (!Read(pData, dataSize, host))
        return kAudioUnitErr_InvalidPropertyValue;
      if (GetHost() == kHostUninit)
      {
        const int version = (host.hostVersion.majorRev << 16) | ((host.hostVersion.minorAndBugRev >> 4) << 8) |
                            (host.hostVersion.minorAndBugRev & 0x0F);
        PK_String name;
        if (host.hostName && CFStringToUTF8(host.hostName, name))
          SetHost(name.Get(), version);
        else
          SetHost(nullptr, version);
      }
      break;
    }
    case kAudioUnitProperty_MIDIOutputCallback:
    {
      AUMIDIOutputCallbackStruct callback{};
      if (!Read(pData, dataSize, callback))
        return kAudioUnitErr_InvalidPropertyValue;
      mMidiCallback = callback.midiOutputCallback;
      mMidiCallbackUserData = callback.userData;
      break;
    }
    default: return kAudioUnitErr_InvalidProperty;
  }

  InformListeners(id, scope, element);
  return noErr;
}

} // namespace plugkit
