// The host's side of a render: stream formats, the input callbacks that
// hand the source's audio (and a side-chain) to the unit, the transport and
// tempo callbacks, the slices pulled at a fixed block size, latency
// compensation as a DAW does it, and the main run loop driven every 20 ms
// of audio time so the unit's idle work runs as it would in a host. The
// audio streams: each slice is read, rendered and handed to the sink in
// turn, so nothing the size of the programme is held.
//
// Automation: a lane given is played into "Current Gain" before each slice,
// one value a slice (the unit reads it in Automation Read); when asked,
// every value event the unit sends for that parameter is recorded as a
// point of a lane (as a DAW records in Automation Write). Both read a
// point's time alike, so a lane recorded plays back the output it was
// recorded with. Main thread; the unit must be open and not
// yet initialised.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "AudioUnit/AudioUnit.h"
#include "tools/AudioFile.h"

namespace auhost {

struct AutomationPoint
{
  // Seconds on the programme's timeline: the value is the gain of the
  // output frame that the input's frame at this time becomes.
  double time = 0.0;
  float value = 0.0f;
};

// Sees the programme as it passes through a render: the main input's frames
// in order, each once (none past its end), and the output's frames aligned
// with them, in order. Called on the rendering thread.
class RenderTap
{
public:
  virtual ~RenderTap() = default;
  virtual void Input(const float* const* channels, long count) = 0;
  virtual void Output(const float* const* channels, long count) = 0;
};

struct RenderSetup
{
  AudioSource* main = nullptr;
  AudioSource* sidechain = nullptr; // same rate as main; may be shorter
  // Takes as many frames as the main input has, aligned with it: the
  // latency is rendered past the end and dropped from the start.
  AudioSink* output = nullptr;
  int blockSize = 512;
  AudioUnitParameterID automatedParam = 0;
  const std::vector<AutomationPoint>* playLane = nullptr;
  // Renders a further latency past the output's end, whose output nobody
  // keeps, so that the lane reaches the programme's end.
  bool recordLane = false;
  RenderTap* tap = nullptr; // may be null
  std::function<void(double fraction)> progress; // may be empty
};

struct RenderOutcome
{
  bool ok = false;
  std::string error;
  int latencySamples = 0;
  // When recorded, at least the parameter's value at the programme's start.
  std::vector<AutomationPoint> recordedLane;
};

// Renders block by block: the audio is read, rendered and handed on a
// slice at a time, so memory does not grow with the programme.
RenderOutcome RenderThrough(AudioUnit unit, const RenderSetup& setup);

// The same with the programme, side-chain and result in memory, for short
// programmes (the validator, tests): `setup`'s sources and sink are
// replaced; `output` gets the main input's channels and rate.
RenderOutcome RenderInMemory(AudioUnit unit, RenderSetup setup, const AudioData& main, const AudioData* sidechain,
                             AudioData& output);

// The value of a lane at a time: linear between points, held before the
// first and after the last. Null lane or no points: fallback.
float LaneValueAt(const std::vector<AutomationPoint>& lane, double time, float fallback);

// Seconds to let the idle timer run between slices.
inline constexpr double kIdlePeriodSeconds = 0.02;

} // namespace auhost
