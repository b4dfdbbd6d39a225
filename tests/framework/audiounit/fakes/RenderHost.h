#pragma once

#include <vector>

#include "tests/framework/audiounit/fakes/TestHost.h"

namespace fakes {

// What a host brings to render calls: time stamps, output buffers, its input
// callback and upstream units.

AudioTimeStamp SampleTimeStamp(double sampleTime, UInt32 flags = kAudioTimeStampSampleTimeValid);
// A test signal that differs for every bus, channel, frame and sample time,
// frames [0, nFrames).
std::vector<float> Signal(UInt32 bus, UInt32 channel, UInt32 nFrames, double sampleTime);

// One bus's output buffers as a host hands them over, one channel each,
// filled with kUntouched; with null data the unit must lend its own.
struct HostBuffers
{
  static constexpr float kUntouched = -7.0f;
  HostBuffers(UInt32 nBuffers, UInt32 nFrames, bool nullData = false);
  AudioBufferList* List() { return reinterpret_cast<AudioBufferList*>(&list); }
  // Buffer c as the list points to it now.
  std::vector<float> Channel(UInt32 c) const;

  UInt32 frames;
  std::vector<std::vector<float>> storage;
  struct
  {
    UInt32 mNumberBuffers;
    AudioBuffer mBuffers[8];
  } list;
};

// How a source hands its audio back.
enum class SourceData
{
  Given, // written into the buffers it was given
  Own,   // its own buffers
  Null,  // data pointers left null
  Short, // its own buffers, claiming half the bytes
  Fewer, // its own buffer for the first channel only
};

// The host's input callback, or an upstream unit (with or without its own
// render entry): fills its buffers with Signal of the bus it feeds, counts
// its calls, and fails with `status` when that is set.
struct InputSource
{
  AudioComponentPlugInInterface iface{nullptr, nullptr, Lookup, nullptr}; // first: the record is the source
  SourceData data = SourceData::Given;
  OSStatus status = noErr;
  bool hasRenderEntry = true;
  UInt32 feedsBus = 0;
  int calls = 0;
  AudioUnit unit = nullptr;
  std::vector<std::vector<float>> own;

  ~InputSource();
  OSStatus InstallAsCallback(const HostedUnit& host, UInt32 bus);
  OSStatus ConnectAsUnit(const HostedUnit& host, UInt32 bus);
  static OSStatus Render(void* self, AudioUnitRenderActionFlags*, const AudioTimeStamp* ts, UInt32, UInt32 nFrames,
                         AudioBufferList* list);
  static AudioComponentMethod Lookup(SInt16 selector);
};

} // namespace fakes
