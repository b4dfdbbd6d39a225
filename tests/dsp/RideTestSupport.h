// Shared by the riding-engine tests: an engine with its mutex and classic
// engine, test signals, bit-exact comparison and an allocation counter.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <vector>

#include "dsp/CMTolvaneV1.h"
#include "dsp/RideEngine.h"
#include "tests/dsp/RideReferenceModel.h"

namespace ridetest
{
// Counts heap allocations on this thread while Counting is alive.
struct AllocationCounter
{
  AllocationCounter();
  ~AllocationCounter();
  int64_t Count() const;

private:
  int64_t mStart;
};

inline bool SameBits(double a, double b)
{
  return std::memcmp(&a, &b, sizeof(double)) == 0;
}

// A riding engine set up like the product does: mirrors from the settings,
// then the reset that runs DspInit.
struct Rig
{
  std::recursive_mutex mutex;
  CMTolvaneV1 classic;
  RideEngine engine{mutex, classic};

  explicit Rig(const ref::Settings& s, int numInputs = 2, int numOutputs = 2, int blockSize = 512)
  {
    RideEngineState& st = engine.State();
    st.filterMode = s.filterMode;
    st.lowCutHz = s.lowCut;
    st.highCutHz = s.highCut;
    st.detectionMode = s.detectionMode;
    st.targetLevelDb = s.target;
    st.sensitivityMs = s.sensitivity;
    st.preDelayMs = s.preDelayMs;
    st.noiseLevelDb = s.noise;
    st.rangeMinDb = s.rangeMin;
    st.rangeMaxDb = s.rangeMax;
    st.idleGainDb = s.idle;
    st.volumeDb = s.volume;
    st.gainHold = s.gainHold;
    st.noiseDetection = s.noiseDetection;
    st.noiseDetectionTimingMs = s.noiseTiming;
    st.ab = s.ab;
    st.automationMode = s.automation;
    engine.ResetIfFormatChanged(ProcessorFormat{s.fs, blockSize, numInputs, numOutputs});
    if (s.automation == 2)
      engine.SetCurrentGainDb(s.hostGain);
  }

  void Process(double** in, double** out, int frames, int nIn = 2, int nOut = 2)
  {
    std::lock_guard<std::recursive_mutex> lock(mutex);
    engine.RideEngineProcess(in, out, frames, nIn, nOut);
  }
};

// A test programme: tones at changing levels, with quiet and silent stretches
// so that the gate opens and closes and the gain moves both ways; channel 1
// differs from channel 0.
inline std::vector<double> Programme(int frames, double fs, int channel, uint32_t seed = 1u)
{
  static const double kLevels[] = {0.3, 0.05, 0.0, 0.001, 0.5, 0.02, 0.0005, 0.2, 0.0, 0.08};
  std::vector<double> x(static_cast<size_t>(frames));
  uint32_t r = seed * 2654435761u + static_cast<uint32_t>(channel) * 40503u;
  const int segment = static_cast<int>(0.25 * fs);
  double env = 0.0;
  for (int i = 0; i < frames; ++i)
  {
    const double goal = kLevels[(i / segment) % 10] * (channel == 0 ? 1.0 : 0.7);
    env += (goal - env) * 0.002;
    r = r * 1664525u + 1013904223u;
    const double noise = (static_cast<double>(r >> 8) / 16777216.0 - 0.5) * 0.02;
    const double t = i / fs;
    const double tone = std::sin(2.0 * ref::kPi * (220.0 + 110.0 * channel) * t) +
                        0.5 * std::sin(2.0 * ref::kPi * 1870.0 * t) + 0.3 * std::sin(2.0 * ref::kPi * 5200.0 * t);
    x[static_cast<size_t>(i)] = env * (tone + noise);
  }
  return x;
}

inline std::vector<double> Sine(int frames, double fs, double freq, double amplitude)
{
  std::vector<double> x(static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i)
    x[static_cast<size_t>(i)] = amplitude * std::sin(2.0 * ref::kPi * freq * i / fs);
  return x;
}
}  // namespace ridetest
