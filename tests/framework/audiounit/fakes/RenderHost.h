#pragma once

#include <vector>

#include "AudioUnit/AudioUnit.h"
#include "tests/framework/audiounit/fakes/TestHost.h"

namespace fakes {

// What a host brings to render calls: time stamps, its output buffers, its
// input callback and the upstream units it connects.

AudioTimeStamp SampleTimeStamp(double sampleTime, UInt32 flags = kAudioTimeStampSampleTimeValid);

// A test signal that differs for every bus, channel, frame and sample time.
float Signal(UInt32 bus, UInt32 channel, UInt32 frame, double sampleTime);
// Signal for channel `channel` of `bus`, frames [0, nFrames).
std::vector<float> SignalBlock(UInt32 bus, UInt32 channel, UInt32 nFrames, double sampleTime);

// One bus's output buffers as a host hands them over: one channel a buffer,
// filled with kUntouched so that a test sees what the unit wrote. With null
// data the unit must point the buffers at memory of its own.
struct HostBuffers
{
  static constexpr float kUntouched = -7.0f;
  static constexpr UInt32 kMaxBuffers = 8;

  HostBuffers(UInt32 nBuffers, UInt32 nFrames, bool nullData = false);
  HostBuffers(const HostBuffers&) = delete;
  HostBuffers& operator=(const HostBuffers&) = delete;
  AudioBufferList* List() { return reinterpret_cast<AudioBufferList*>(&list); }
  // Buffer c as the list points to it now.
  std::vector<float> Channel(UInt32 c) const;

  UInt32 frames;
  std::vector<std::vector<float>> storage;
  struct
  {
    UInt32 mNumberBuffers;
    AudioBuffer mBuffers[kMaxBuffers];
  } list;
};

// How a source hands its audio back.
enum class SourceData
{
  Own,    // its own buffers, full size
  Null,   // leaves the data pointers null
  Short,  // its own buffers, claiming half the bytes
  Fewer,  // its own buffer for the first channel only
  Given,  // writes into the buffers it was given
};

// The host's input callback, or an upstream unit: fills its buffers with
// Signal of the bus it feeds, counts its calls, and fails with `status`
// when that is set.
struct InputSource
{
  AudioComponentPlugInInterface iface{nullptr, nullptr, Lookup, nullptr};
  SourceData data = SourceData::Given;
  OSStatus status = noErr;
  UInt32 feedsBus = 0;
  bool hasRenderEntry = true;
  int calls = 0;
  std::vector<std::vector<float>> own;

  // As the host's input callback on `bus` (SetRenderCallback).
  OSStatus InstallAsCallback(const HostedUnit& host, UInt32 bus);
  // As an upstream unit connected to `bus` (MakeConnection); it has its own
  // render entry unless hasRenderEntry is cleared first. Returns the unit,
  // which the caller disposes of.
  AudioUnit ConnectAsUnit(const HostedUnit& host, UInt32 bus);

  OSStatus Fill(const AudioTimeStamp* ts, UInt32 nFrames, AudioBufferList* list);
  static OSStatus Callback(void* self, AudioUnitRenderActionFlags*, const AudioTimeStamp* ts, UInt32, UInt32 nFrames,
                           AudioBufferList* list);
  static AudioComponentMethod Lookup(SInt16 selector);
};

} // namespace fakes
