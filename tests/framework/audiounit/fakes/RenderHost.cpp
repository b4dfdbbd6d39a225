#include "tests/framework/audiounit/fakes/RenderHost.h"

#include <cmath>
#include <cstring>

#include "StandIn/AudioUnits.h"

namespace fakes {

AudioTimeStamp SampleTimeStamp(double sampleTime, UInt32 flags)
{
  AudioTimeStamp ts{};
  ts.mSampleTime = sampleTime;
  ts.mFlags = flags;
  return ts;
}

std::vector<float> Signal(UInt32 bus, UInt32 channel, UInt32 nFrames, double sampleTime)
{
  // Irrational steps: no two values coincide and none is exact in float.
  std::vector<float> block(nFrames);
  for (UInt32 f = 0; f < nFrames; ++f)
    block[f] = static_cast<float>(std::sin(0.1 * (sampleTime + f) + 1.3 * channel + 2.9 * bus) * 0.7);
  return block;
}

HostBuffers::HostBuffers(UInt32 nBuffers, UInt32 nFrames, bool nullData)
  : frames(nFrames), storage(nBuffers, std::vector<float>(nFrames, kUntouched)), list{nBuffers, {}}
{
  for (UInt32 c = 0; c < nBuffers && c < 8; ++c)
    list.mBuffers[c] = nullData ? AudioBuffer{1, 0, nullptr} : AudioBuffer{1, nFrames * 4, storage[c].data()};
}

std::vector<float> HostBuffers::Channel(UInt32 c) const
{
  const auto* data = static_cast<const float*>(list.mBuffers[c].mData);
  return data ? std::vector<float>(data, data + frames) : std::vector<float>{};
}

InputSource::~InputSource()
{
  if (unit)
    standin::DisposeComponentInstance(unit);
}

OSStatus InputSource::InstallAsCallback(const HostedUnit& host, UInt32 bus)
{
  feedsBus = bus;
  return host.Set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, bus, AURenderCallbackStruct{Render, this});
}

OSStatus InputSource::ConnectAsUnit(const HostedUnit& host, UInt32 bus)
{
  feedsBus = bus;
  unit = standin::NewAudioComponentInstance(&iface);
  SetComponentInstanceStorage(unit, this);
  return host.Set(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, bus, AudioUnitConnection{unit, 0, bus});
}

OSStatus InputSource::Render(void* self, AudioUnitRenderActionFlags*, const AudioTimeStamp* ts, UInt32, UInt32 nFrames,
                             AudioBufferList* list)
{
  auto* s = static_cast<InputSource*>(self);
  ++s->calls;
  if (s->status != noErr || s->data == SourceData::Null)
    return s->status;
  s->own.resize(list->mNumberBuffers);
  for (UInt32 c = 0; c < list->mNumberBuffers; ++c)
  {
    AudioBuffer& buffer = list->mBuffers[c];
    s->own[c] = Signal(s->feedsBus, c, nFrames, ts->mSampleTime);
    if (s->data == SourceData::Given)
      std::memcpy(buffer.mData, s->own[c].data(), nFrames * sizeof(float));
    else
      buffer = {1, s->data == SourceData::Short ? nFrames * 2 : nFrames * 4, s->own[c].data()};
  }
  if (s->data == SourceData::Fewer)
    list->mNumberBuffers = 1;
  return noErr;
}

AudioComponentMethod InputSource::Lookup(SInt16 selector)
{
  using GetProperty = OSStatus (*)(void*, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement, void*, UInt32*);
  static const GetProperty getProperty = [](void* self, AudioUnitPropertyID id, AudioUnitScope scope,
                                            AudioUnitElement, void* out, UInt32* size) -> OSStatus {
    if (id == kAudioUnitProperty_StreamFormat && scope == kAudioUnitScope_Output)
    {
      const AudioStreamBasicDescription d = FloatFormat(2);
      std::memcpy(out, &d, *size = sizeof(d));
      return noErr;
    }
    if (id != kAudioUnitProperty_FastDispatch || !static_cast<InputSource*>(self)->hasRenderEntry)
      return kAudioUnitErr_InvalidProperty;
    const AudioUnitRenderProc render = Render;
    std::memcpy(out, &render, *size = sizeof(render));
    return noErr;
  };
  if (selector == kAudioUnitGetPropertySelect)
    return reinterpret_cast<AudioComponentMethod>(getProperty);
  return selector == kAudioUnitRenderSelect ? reinterpret_cast<AudioComponentMethod>(Render) : nullptr;
}

} // namespace fakes
