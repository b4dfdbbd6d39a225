// The classic riding engine: a per-sample rider on a sliding
// RMS meter with linear gain ramps and a pre-delay that is a fraction of
// its measuring window.
#pragma once

#include <cstdint>
#include <vector>

#include "dsp/CMRMS_N.h"
#include "dsp/CPluginProcessor.h"
#include "dsp/FilterStage.h"
#include "dsp/KWeightingFilter.h"

// A delay line of the classic engine: a ring of 2·d slots at the start of a
// buffer of 2·C doubles; the value read is the one stored d frames earlier.
struct DelayLine
{
  int32_t capacity = 0;    // C, samples
  int32_t delay = 0;       // d, samples
  int32_t ringLength = 0;  // 2·d
  std::vector<double> buffer;  // 2·C doubles
  int32_t writePos = 0;
  int32_t ringStart = 0;
  int32_t ringEnd = 0;
  // Frames stored since the last Setup (saturating). A slot that has not
  // been written since reads as zero, which is what a freshly zeroed buffer
  // would give, so a Reset (which may run on the audio thread) never
  // touches megabytes.
  int64_t stored = 0;

  // C = capacity, d = delay (clamped to 0..C), write position at the ring
  // start, contents reading as zeros. The buffer is reallocated only when
  // the capacity changes.
  void Setup(int32_t capacitySamples, int32_t delaySamples);

  // Stores v at the write position, reads the value stored d frames
  // earlier (v itself for d = 0), then moves the write position on.
  double Process(double v)
  {
    double* buf = buffer.data();
    buf[writePos] = v;
    if (stored < INT64_MAX)
      ++stored;
    int32_t readPos = writePos - delay;
    if (readPos < ringStart)
      readPos += ringLength;
    const double out = stored > delay ? buf[readPos] : 0.0;
    ++writePos;
    if (writePos >= ringEnd)
      writePos = ringStart;
    return out;
  }
};

struct GainRamp
{
  double lengthMs = 0.0;
  int32_t N = 1;
  double step = 1.0;
  int32_t counter = 0;
  double start = 0.0;
  double end = 0.0;
  double current = 0.0;
  // The sample rate N was computed for: N must follow the rate, not only
  // the window, or a rate change leaves the ramp too short or too long.
  double sampleRate = 0.0;
  bool configured = false;
};

class CMTolvaneV1 : public CPluginProcessor1
{
public:
  // A function of one context pointer, called after each frame when given.
  using FrameCallback = void (*)(void* context);

  CMTolvaneV1();
  ~CMTolvaneV1() override;

  void Process(double** inputs, double** outputs, int32_t frames) override;
  void SetNumInputs(uint32_t count) override { NumInputs = count; }
  void SetNumOutputs(uint32_t count) override { NumOutputs = count; }
  void SetSampleRate(double rate) override;
  int32_t GetNumParams() override { return 1; }
  void SetParam(int32_t, double) override {}
  double GetParam(int32_t) override { return 0.0; }
  double GetMeterValue(int32_t) override { return 0.0; }
  bool GetName(char* buffer) override;

  // Runs the rider over frames frames.
  void ProcessFrames(double** inputs, double** outputs, int32_t frames, int32_t connectedInputs,
                     int32_t connectedOutputs, FrameCallback callback = nullptr, void* context = nullptr);
  // Rebuilds meters, delay lines, ramp and filters for the current sample
  // rate and settings. Allocates only when a capacity changes.
  void Reset();
  void SetLowCutFreq(double hz);
  void SetHighCutFreq(double hz);
  // One biquad step (the same step as the riding engine's cut filters).
  static double FilterTick(FilterStage& stage, double in) { return stage.Tick(in); }
  // Level of a mean square p: ln(√p) × 8.685889638065037, -144.0 when √p ≤
  // 6.309e-08; rounded to 0.1 dB when asked.
  static double LevelToDb(double p, bool round);

  // The pre-delay in samples for a window (ms), a fraction and a rate:
  // trunc(trunc(WindowMs × 0.001 × fs) × fraction), within 0..trunc(3 × fs).
  // The delay lines use it, and so does the latency the plug-in reports.
  static int32_t DelaySamplesFor(double windowMs, double fraction, double fs);
  // The pre-delay for the current settings and rate.
  int32_t DelaySamples() const { return DelaySamplesFor(WindowMs, PreDelayFraction, SampleRate); }
  // The delay the lines apply now (equal to DelaySamples() after a Reset).
  int32_t ActiveDelaySamples() const { return MainDelay[0].delay; }

  // Members the plug-in reads or writes.
  double DetectionLevelDb = -144.0;
  int32_t RideFlag = 0;
  int32_t DetectionSource = 0;
  double TargetDb = -21.0;
  double NoiseDb = -45.0;
  double RangeMinDb = -6.0;
  double RangeMaxDb = 6.0;
  double IdleGainDb = 0.0;
  double WindowMs = 500.0;
  double PreDelayFraction = 0.75;
  int32_t FilterMode = 0;
  double LowCutHz = 300.0;
  double HighCutHz = 3400.0;
  int32_t RideEnabled = 1;
  double OutputGainDb = 0.0;
  double GainDb = 0.0;

  // Owned parts.
  CMRMS_N DetectionMeter;
  CMRMS_N DelayedDetectionMeter;
  CMRMS_N OutputMeter;
  DelayLine MainDelay[2];
  DelayLine DetectionDelay[2];
  GainRamp Ramp;
  FilterStage UserHighPass[2];
  FilterStage UserLowPass[2];
  // Channel s: [s][0] stage 1, [s][1] stage 2.
  KWeightingFilter KWeighting[2][2];

private:
  void DesignUserFilters();

  // Linear gains cached between frames (same input, same result).
  double mLastG = 0.0;
  double mLastGLinear = 1.0;
  double mLastOutDb = 0.0;
  double mLastOutLinear = 1.0;
};
