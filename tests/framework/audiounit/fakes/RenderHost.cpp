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

float Signal(UInt32 bus, UInt32 channel, UInt32 frame, double sampleTime)
{
  // Irrational steps, so no two values coincide and none is exact in float.
  return static_cast<float>(std::sin(0.1 * (sampleTime + frame) + 1.3 * channel + 2.9 * bus) * 0.7);
}

std::vector<float> SignalBlock(UInt32 bus, UInt32 channel, UInt32 nFrames, double sampleTime)
{
  std::vector<float> block(nFrames);
  for (UInt32 f = 0; f < nFrames; ++f)
    block[f] = Signal(bus, channel, f, sampleTime);
  return block;
}

HostBuffers::HostBuffers(UInt32 nBuffers, UInt32 nFrames, bool nullData) : frames(nFrames), list{}
{
  list.mNumberBuffers = nBuffers;
  storage.assign(nBuffers, std::vector<float>(nFrames, kUntouched));
  for (UInt32 c = 0; c < nBuffers && c < kMaxBuffers; ++c)
    list.mBuffers[c] = {1, nFrames * 4, nullData ? nullptr : storage[c].data()};
}

std::vector<float> HostBuffers::Channel(UInt32 c) const
{
  const auto* data = static_cast<const float*>(list.mBuffers[c].mData);
  return data ? std::vector<float>(data, data + frames) : std::vector<float>{};
}

OSStatus InputSource::InstallAsCallback(const HostedUnit& host, UInt32 bus)
{
  feedsBus = bus;
  return host.Set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, bus, AURenderCallbackStruct{Callback, this});
}

AudioUnit InputSource::ConnectAsUnit(const HostedUnit& host, UInt32 bus)
{
  feedsBus = bus;
  AudioUnit unit = standin::NewAudioComponentInstance(&iface);
  SetComponentInstanceStorage(unit, this);
  host.Set(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, bus, AudioUnitConnection{unit, 0, bus});
  return unit;
}

OSStatus InputSource::Fill(const AudioTimeStamp* ts, UInt32 nFrames, AudioBufferList* list)
{
  ++calls;
  if (status != noErr)
    return status;
  const UInt32 n = list->mNumberBuffers;
  own.resize(n);
  for (UInt32 c = 0; c < n; ++c)
  {
    AudioBuffer& buffer = list->mBuffers[c];
    if (data == SourceData::Null)
      continue;
    if (data != SourceData::Given)
    {
      own[c] = SignalBlock(feedsBus, c, nFrames, ts->mSampleTime);
      buffer.mData = own[c].data();
      buffer.mDataByteSize = data == SourceData::Short ? nFrames * 2 : nFrames * 4;
    }
    else
    {
      const std::vector<float> block = SignalBlock(feedsBus, c, nFrames, ts->mSampleTime);
      std::memcpy(buffer.mData, block.data(), nFrames * sizeof(float));
    }
  }
  if (data == SourceData::Fewer)
    list->mNumberBuffers = 1;
  return noErr;
}

OSStatus InputSource::Callback(void* self, AudioUnitRenderActionFlags*, const AudioTimeStamp* ts, UInt32, UInt32 nFrames,
                               AudioBufferList* list)
{
  return static_cast<InputSource*>(self)->Fill(ts, nFrames, list);
}

AudioComponentMethod InputSource::Lookup(SInt16 selector)
{
  // The record comes first in the source, so the record is the source.
  using GetProperty = OSStatus (*)(void*, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement, void*, UInt32*);
  static const GetProperty getProperty = [](void* self, AudioUnitPropertyID id, AudioUnitScope scope,
                                            AudioUnitElement, void* out, UInt32* size) -> OSStatus {
    const auto* source = static_cast<InputSource*>(self);
    if (id == kAudioUnitProperty_StreamFormat && scope == kAudioUnitScope_Output)
    {
      const AudioStreamBasicDescription d = FloatFormat(2);
      std::memcpy(out, &d, sizeof(d));
      *size = sizeof(d);
      return noErr;
    }
    if (id == kAudioUnitProperty_FastDispatch && source->hasRenderEntry)
    {
      const AudioUnitRenderProc render = Callback;
      std::memcpy(out, &render, sizeof(render));
      *size = sizeof(render);
      return noErr;
    }
    return kAudioUnitErr_InvalidProperty;
  };
  if (selector == kAudioUnitGetPropertySelect)
    return reinterpret_cast<AudioComponentMethod>(getProperty);
  if (selector == kAudioUnitRenderSelect)
    return reinterpret_cast<AudioComponentMethod>(Callback);
  return nullptr;
}

} // namespace fakes
