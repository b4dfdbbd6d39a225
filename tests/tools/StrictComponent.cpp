// A small unit written straight on the Audio Unit calls, without the
// framework, for the host's tests. It is strict where real units are and
// the framework happens not to be:
// - it takes only a self-consistent float stream format (bytes per frame
//   and per packet as the channels and interleaving make them);
// - it keeps its parameter's name string and does not hand it over
//   (no kAudioUnitParameterFlag_CFNameRelease), so a host that releases it
//   frees a string still in use;
// - its bundle and parameter are named "€€": three bytes a character in
//   UTF-8, one UTF-16 unit, so a buffer sized by length alone is too short.
// Its sound is fixed, so a test knows the output exactly: the input times
// the parameter "€€" (a factor, 1 by default), delayed by kLatency frames,
// which it reports as its latency (bypassed, the delayed input).
// It has one deliberate fault for the validator: its tail time's
// information call says 8 bytes, its read gives 4.
#include <algorithm>
#include <cstring>
#include <vector>

#include "AudioUnit/AudioUnit.h"
#include "CoreFoundation/CFString.h"

namespace {

constexpr long kLatency = 300;
constexpr UInt32 kMaxChannels = 2;

struct StrictUnit
{
  AudioComponentPlugInInterface record{};
  CFStringRef name = nullptr; // the parameter's, kept by the unit
  float factor = 1.0f;
  UInt32 bypass = 0;
  double rate = 44100.0;
  UInt32 channels = 2;
  UInt32 maxFrames = 1156;
  AURenderCallbackStruct input{};
  std::vector<std::vector<float>> in, delay; // per channel
  long delayAt = 0;
};

StrictUnit* Of(void* self)
{
  return static_cast<StrictUnit*>(self);
}

bool SelfConsistent(const AudioStreamBasicDescription& d)
{
  const bool nonInterleaved = d.mFormatFlags & kAudioFormatFlagIsNonInterleaved;
  const UInt32 frameBytes = (nonInterleaved ? 1 : d.mChannelsPerFrame) * d.mBitsPerChannel / 8;
  return d.mFormatID == kAudioFormatLinearPCM && (d.mFormatFlags & kAudioFormatFlagIsFloat) && nonInterleaved &&
         d.mBitsPerChannel == 32 && d.mFramesPerPacket == 1 && d.mBytesPerFrame == frameBytes &&
         d.mBytesPerPacket == frameBytes && d.mChannelsPerFrame >= 1 && d.mChannelsPerFrame <= kMaxChannels &&
         d.mSampleRate > 0.0;
}

AudioStreamBasicDescription FormatOf(const StrictUnit& u)
{
  AudioStreamBasicDescription d{};
  d.mSampleRate = u.rate;
  d.mFormatID = kAudioFormatLinearPCM;
  d.mFormatFlags = kAudioFormatFlagsCanonical;
  d.mBytesPerPacket = d.mBytesPerFrame = 4;
  d.mFramesPerPacket = 1;
  d.mChannelsPerFrame = u.channels;
  d.mBitsPerChannel = 32;
  return d;
}

// The size of each property the unit answers; 0 for the others.
UInt32 SizeOf(AudioUnitPropertyID id, AudioUnitScope scope)
{
  switch (id)
  {
    case kAudioUnitProperty_ParameterList: return scope == kAudioUnitScope_Global ? sizeof(AudioUnitParameterID) : 0;
    case kAudioUnitProperty_ParameterInfo: return sizeof(AudioUnitParameterInfo);
    case kAudioUnitProperty_StreamFormat: return sizeof(AudioStreamBasicDescription);
    case kAudioUnitProperty_ElementCount: return sizeof(UInt32);
    case kAudioUnitProperty_Latency: return sizeof(Float64);
    case kAudioUnitProperty_TailTime: return sizeof(Float64);
    case kAudioUnitProperty_SupportedNumChannels: return 2 * sizeof(AUChannelInfo);
    case kAudioUnitProperty_MaximumFramesPerSlice: return sizeof(UInt32);
    case kAudioUnitProperty_BypassEffect: return sizeof(UInt32);
    case kAudioUnitProperty_SampleRate: return sizeof(Float64);
    default: return 0;
  }
}

OSStatus Open(void* self, AudioComponentInstance)
{
  Of(self)->name = CFStringCreateWithCString(nullptr, "€€", kCFStringEncodingUTF8);
  return noErr;
}

OSStatus Close(void* self)
{
  CFRelease(Of(self)->name);
  delete Of(self);
  return noErr;
}

OSStatus Initialize(void* self)
{
  StrictUnit& u = *Of(self);
  u.in.assign(u.channels, std::vector<float>(u.maxFrames));
  u.delay.assign(u.channels, std::vector<float>(kLatency, 0.0f));
  u.delayAt = 0;
  return noErr;
}

OSStatus Uninitialize(void*)
{
  return noErr;
}

OSStatus GetPropertyInfo(void*, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement, UInt32* size,
                         Boolean* writable)
{
  const UInt32 bytes = SizeOf(id, scope);
  if (!bytes)
    return kAudioUnitErr_InvalidProperty;
  if (size)
    *size = bytes;
  if (writable)
    *writable = false;
  return noErr;
}

OSStatus GetProperty(void* self, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, void* data,
                     UInt32* size)
{
  const StrictUnit& u = *Of(self);
  UInt32 bytes = SizeOf(id, scope);
  if (!bytes)
    return kAudioUnitErr_InvalidProperty;
  if (!data || !size || *size < bytes)
    return kAudioUnitErr_InvalidPropertyValue;
  switch (id)
  {
    case kAudioUnitProperty_ParameterList: *static_cast<AudioUnitParameterID*>(data) = 0; break;
    case kAudioUnitProperty_ParameterInfo:
    {
      if (element != 0)
        return kAudioUnitErr_InvalidParameter;
      AudioUnitParameterInfo info{};
      std::strncpy(info.name, "€€", sizeof(info.name) - 1);
      info.cfNameString = u.name;
      info.unit = kAudioUnitParameterUnit_Generic;
      info.minValue = 0.0f;
      info.maxValue = 4.0f;
      info.defaultValue = 1.0f;
      info.flags = kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_IsWritable |
                   kAudioUnitParameterFlag_HasCFNameString;
      std::memcpy(data, &info, sizeof(info));
      break;
    }
    case kAudioUnitProperty_StreamFormat:
    {
      const AudioStreamBasicDescription d = FormatOf(u);
      std::memcpy(data, &d, sizeof(d));
      break;
    }
    case kAudioUnitProperty_ElementCount:
      *static_cast<UInt32*>(data) = scope == kAudioUnitScope_Input ? 2 : 1;
      break;
    case kAudioUnitProperty_Latency: *static_cast<Float64*>(data) = kLatency / u.rate; break;
    case kAudioUnitProperty_TailTime:
      // The fault: the information call promised a Float64.
      *static_cast<Float32*>(data) = 0.0f;
      bytes = sizeof(Float32);
      break;
    case kAudioUnitProperty_SupportedNumChannels:
    {
      const AUChannelInfo layouts[2] = {{1, 1}, {2, 2}};
      std::memcpy(data, layouts, sizeof(layouts));
      break;
    }
    case kAudioUnitProperty_MaximumFramesPerSlice: *static_cast<UInt32*>(data) = u.maxFrames; break;
    case kAudioUnitProperty_BypassEffect: *static_cast<UInt32*>(data) = u.bypass; break;
    case kAudioUnitProperty_SampleRate: *static_cast<Float64*>(data) = u.rate; break;
  }
  *size = bytes;
  return noErr;
}

OSStatus SetProperty(void* self, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                     const void* data, UInt32 size)
{
  StrictUnit& u = *Of(self);
  if (!data)
    return kAudioUnitErr_InvalidPropertyValue;
  switch (id)
  {
    case kAudioUnitProperty_StreamFormat:
    {
      if (size != sizeof(AudioStreamBasicDescription) || element > 1)
        return kAudioUnitErr_InvalidPropertyValue;
      AudioStreamBasicDescription d;
      std::memcpy(&d, data, sizeof(d));
      if (!SelfConsistent(d))
        return kAudioUnitErr_FormatNotSupported;
      // The side-chain (input 1) is taken and not listened to.
      if (element == 0)
        u.channels = d.mChannelsPerFrame, u.rate = d.mSampleRate;
      (void)scope;
      return noErr;
    }
    case kAudioUnitProperty_MaximumFramesPerSlice:
      if (size != sizeof(UInt32))
        return kAudioUnitErr_InvalidPropertyValue;
      std::memcpy(&u.maxFrames, data, sizeof(UInt32));
      return noErr;
    case kAudioUnitProperty_SetRenderCallback:
      if (size != sizeof(AURenderCallbackStruct))
        return kAudioUnitErr_InvalidPropertyValue;
      if (element == 0)
        std::memcpy(&u.input, data, sizeof(u.input));
      return noErr;
    case kAudioUnitProperty_BypassEffect:
      if (size != sizeof(UInt32))
        return kAudioUnitErr_InvalidPropertyValue;
      std::memcpy(&u.bypass, data, sizeof(UInt32));
      return noErr;
    case kAudioUnitProperty_HostCallbacks: return noErr;
    default: return kAudioUnitErr_InvalidProperty;
  }
}

OSStatus GetParameter(void* self, AudioUnitParameterID id, AudioUnitScope, AudioUnitElement,
                      AudioUnitParameterValue* value)
{
  if (id != 0 || !value)
    return kAudioUnitErr_InvalidParameter;
  *value = Of(self)->factor;
  return noErr;
}

OSStatus SetParameter(void* self, AudioUnitParameterID id, AudioUnitScope, AudioUnitElement,
                      AudioUnitParameterValue value, UInt32)
{
  if (id != 0)
    return kAudioUnitErr_InvalidParameter;
  Of(self)->factor = std::clamp(value, 0.0f, 4.0f);
  return noErr;
}

OSStatus Reset(void* self, AudioUnitScope, AudioUnitElement)
{
  for (auto& channel : Of(self)->delay)
    std::fill(channel.begin(), channel.end(), 0.0f);
  return noErr;
}

OSStatus Render(void* self, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* ts, UInt32, UInt32 frames,
                AudioBufferList* io)
{
  StrictUnit& u = *Of(self);
  if (!u.input.inputProc || u.in.empty())
    return kAudioUnitErr_NoConnection;
  if (frames > u.maxFrames)
    return kAudioUnitErr_TooManyFramesToProcess;
  struct
  {
    UInt32 mNumberBuffers;
    AudioBuffer mBuffers[kMaxChannels];
  } pulled{};
  pulled.mNumberBuffers = u.channels;
  for (UInt32 c = 0; c < u.channels; ++c)
    pulled.mBuffers[c] = {1, frames * 4, u.in[c].data()};
  const OSStatus status =
    u.input.inputProc(u.input.inputProcRefCon, flags, ts, 0, frames, reinterpret_cast<AudioBufferList*>(&pulled));
  if (status != noErr)
    return status;
  long at = 0;
  for (UInt32 c = 0; c < u.channels && c < io->mNumberBuffers; ++c)
  {
    auto* out = static_cast<float*>(io->mBuffers[c].mData);
    at = u.delayAt;
    for (UInt32 f = 0; f < frames; ++f)
    {
      const float x = u.in[c][f];
      out[f] = u.delay[c][at] * (u.bypass ? 1.0f : u.factor);
      u.delay[c][at] = x;
      at = at + 1 == kLatency ? 0 : at + 1;
    }
  }
  u.delayAt = at;
  return noErr;
}

// Listeners are taken and never called: no property of this unit changes
// by itself.
OSStatus Listener(void*, AudioUnitPropertyID, AudioUnitPropertyListenerProc, void*)
{
  return noErr;
}

AudioComponentMethod Lookup(SInt16 selector)
{
  switch (selector)
  {
    case kAudioUnitInitializeSelect: return reinterpret_cast<AudioComponentMethod>(Initialize);
    case kAudioUnitUninitializeSelect: return reinterpret_cast<AudioComponentMethod>(Uninitialize);
    case kAudioUnitGetPropertyInfoSelect: return reinterpret_cast<AudioComponentMethod>(GetPropertyInfo);
    case kAudioUnitGetPropertySelect: return reinterpret_cast<AudioComponentMethod>(GetProperty);
    case kAudioUnitSetPropertySelect: return reinterpret_cast<AudioComponentMethod>(SetProperty);
    case kAudioUnitGetParameterSelect: return reinterpret_cast<AudioComponentMethod>(GetParameter);
    case kAudioUnitSetParameterSelect: return reinterpret_cast<AudioComponentMethod>(SetParameter);
    case kAudioUnitResetSelect: return reinterpret_cast<AudioComponentMethod>(Reset);
    case kAudioUnitRenderSelect: return reinterpret_cast<AudioComponentMethod>(Render);
    case kAudioUnitAddPropertyListenerSelect:
    case kAudioUnitRemovePropertyListenerWithUserDataSelect: return reinterpret_cast<AudioComponentMethod>(Listener);
    default: return nullptr;
  }
}

} // namespace

extern "C" __attribute__((visibility("default"))) AudioComponentPlugInInterface* StrictComponentFactory()
{
  auto* unit = new StrictUnit;
  unit->record = {Open, Close, Lookup, nullptr};
  return &unit->record;
}
