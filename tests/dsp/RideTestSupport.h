// Shared by the engine tests: an engine rig with its mutex and classic
// engine, test signals, block partitions, bit-exact comparison and an
// allocation count.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <mutex>
#include <random>
#include <vector>

#include "dsp/CMTolvaneV1.h"
#include "dsp/RideEngine.h"
#include "tests/dsp/RideReferenceModel.h"

namespace ridetest
{
using Signal = std::vector<double>;

// Heap allocations made on this thread so far (new and delete are replaced
// in RideEngineTest.cpp).
int64_t Allocations();

inline bool SameBits(double a, double b)
{
  return std::memcmp(&a, &b, sizeof(double)) == 0;
}

// The engine's gain exponential is within a few units in the last place of
// std::exp, which the model uses: what the gain reaches (the output audio,
// the output level, the current gain) agrees within these bounds, far inside
// 1e-9 of the peak and 1e-9 dB. Non-finite values must match exactly.
inline bool NearGainProduct(double got, double want)
{
  return SameBits(got, want) || std::fabs(got - want) <= 1e-13 * std::fabs(want);
}

inline bool NearDb(double got, double want)
{
  return SameBits(got, want) || std::fabs(got - want) <= 1e-9;
}

// 10^(db / 20) as the engines compute it.
inline double Gain(double db)
{
  return std::exp(0.11512925464970228 * db);
}

// Calls f(pos, n) over frames frames, in blocks taken in turn from sizes.
template <class F>
void InBlocks(int frames, const std::vector<int>& sizes, F&& f)
{
  for (int pos = 0, b = 0; pos < frames; ++b)
  {
    const int n = std::min(sizes[static_cast<size_t>(b) % sizes.size()], frames - pos);
    f(pos, n);
    pos += n;
  }
}

inline std::vector<int> RandomBlocks(uint32_t seed, int maxSize, int minSize = 1)
{
  std::mt19937 gen(seed);
  std::uniform_int_distribution<int> d(minSize, maxSize);
  std::vector<int> v(257);
  for (int& x : v)
    x = d(gen);
  return v;
}

// Channel pointers at frame pos of each signal.
template <size_t N>
struct At
{
  double* p[N];
  At(std::initializer_list<Signal*> signals, int pos)
  {
    size_t c = 0;
    for (Signal* s : signals)
      p[c++] = s->data() + pos;
  }
};

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
  // Frames [pos, pos + n) of a stereo pair into a stereo pair.
  void Run(Signal& l, Signal& r, Signal& ol, Signal& orr, int pos, int n)
  {
    At<2> in({&l, &r}, pos), out({&ol, &orr}, pos);
    Process(in.p, out.p, n);
  }
};

// What a run of the engine leaves: both outputs and the engine values.
struct RunResult
{
  Signal left, right;
  double current, smoothed, needed, input, output;
  int ride;
};

inline RunResult RunBlocks(const ref::Settings& s, Signal a, Signal b, const std::vector<int>& blocks)
{
  Rig rig(s);
  RunResult r;
  r.left.assign(a.size(), 0.0);
  r.right.assign(a.size(), 0.0);
  InBlocks(static_cast<int>(a.size()), blocks, [&](int pos, int n) { rig.Run(a, b, r.left, r.right, pos, n); });
  const RideEngine& e = rig.engine;
  r.current = e.CurrentGainDb();
  r.smoothed = e.SmoothedGainDb();
  r.needed = e.NeededGainDb();
  r.input = e.InputLevelDb();
  r.output = e.OutputLevelDb();
  r.ride = e.RideFlag();
  return r;
}

// A test programme: tones at changing levels, with quiet and silent stretches
// so that the gate opens and closes and the gain moves both ways; channel 1
// differs from channel 0.
inline Signal Programme(int frames, double fs, int channel, uint32_t seed = 1u)
{
  static const double kLevels[] = {0.3, 0.05, 0.0, 0.001, 0.5, 0.02, 0.0005, 0.2, 0.0, 0.08};
  Signal x(static_cast<size_t>(frames));
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

inline Signal Sine(int frames, double fs, double freq, double amplitude)
{
  Signal x(static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i)
    x[static_cast<size_t>(i)] = amplitude * std::sin(2.0 * ref::kPi * freq * i / fs);
  return x;
}
}  // namespace ridetest
