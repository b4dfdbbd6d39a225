#include "dsp/CMTolvaneV1.h"

#include <cmath>
#include <cstring>

#include "dsp/BufferHelpers.h"

namespace
{
int32_t CapacityFor(double fs)
{
  return TruncClamp(3.0 * fs, 1, INT32_MAX / 2);
}
}  // namespace

// --- DelayLine ---------------------------------------------------------------

void DelayLine::Setup(int32_t capacitySamples, int32_t delaySamples)
{
  if (capacitySamples < 1)
    capacitySamples = 1;
  const size_t size = 2 * static_cast<size_t>(capacitySamples);
  if (buffer.size() != size)
    buffer.assign(size, 0.0);
  capacity = capacitySamples;
  delay = delaySamples < 0 ? 0 : (delaySamples > capacity ? capacity : delaySamples);
  ringLength = 2 * delay;
  ringStart = 0;
  ringEnd = ringStart + ringLength;
  writePos = ringStart;
  stored = 0;
}

// --- CMTolvaneV1 -------------------------------------------------------------

CMTolvaneV1::CMTolvaneV1()
{
  Reset();
}

CMTolvaneV1::~CMTolvaneV1() = default;

bool CMTolvaneV1::GetName(char* buffer)
{
  std::memcpy(buffer, "MTolvane", sizeof("MTolvane"));
  return true;
}

void CMTolvaneV1::SetSampleRate(double rate)
{
  SampleRate = rate;
  Reset();
}

void CMTolvaneV1::Process(double** inputs, double** outputs, int32_t frames)
{
  ProcessFrames(inputs, outputs, frames, static_cast<int32_t>(NumInputs), static_cast<int32_t>(NumOutputs));
}

double CMTolvaneV1::LevelToDb(double p, bool round)
{
  const double a = std::sqrt(p);
  double L = a <= 6.309e-08 ? -144.0 : std::log(a) * 8.685889638065037;
  if (round)
    L = std::floor(L * 10.0 + 0.5) / 10.0;
  return L;
}

int32_t CMTolvaneV1::DelaySamplesFor(double windowMs, double fraction, double fs)
{
  const double w = windowMs * 0.001;
  const double windowSamples = std::trunc(w * fs);
  return TruncClamp(windowSamples * fraction, 0, CapacityFor(fs));
}

void CMTolvaneV1::DesignUserFilters()
{
  const double fs = SampleRate;
  for (int s = 0; s < 2; ++s)
  {
    UserHighPass[s].Zero();
    UserLowPass[s].Zero();
    DesignCutStage(UserHighPass[s], 1, LowCutHz, fs, kClassicCutAlphaDivisor);
    DesignCutStage(UserLowPass[s], 2, HighCutHz, fs, kClassicCutAlphaDivisor);
  }
}

void CMTolvaneV1::SetLowCutFreq(double hz)
{
  LowCutHz = hz;
  DesignUserFilters();
}

void CMTolvaneV1::SetHighCutFreq(double hz)
{
  HighCutHz = hz;
  DesignUserFilters();
}

void CMTolvaneV1::Reset()
{
  const double fs = SampleRate;
  // 1. Meters.
  CMRMS_N* meters[3] = {&DetectionMeter, &DelayedDetectionMeter, &OutputMeter};
  for (CMRMS_N* m : meters)
  {
    m->SetWindowMs(WindowMs);
    m->SetInterpolation(false);
    m->SetSampleRate(fs);
    m->Reset();
  }
  // 2. Delay lines: one function gives the delay, and the latency too.
  const int32_t C = CapacityFor(fs);
  const int32_t d = DelaySamplesFor(WindowMs, PreDelayFraction, fs);
  for (int c = 0; c < 2; ++c)
  {
    MainDelay[c].Setup(C, d);
    DetectionDelay[c].Setup(C, d);
  }
  // 3. Ramp. The length in samples follows the sample rate too, not only
  // the window.
  const double L = 0.25 * WindowMs;
  if (!Ramp.configured || L != Ramp.lengthMs || fs != Ramp.sampleRate)
  {
    Ramp.configured = true;
    Ramp.lengthMs = L;
    Ramp.sampleRate = fs;
    Ramp.N = L > 0.0 ? TruncClamp(L * 0.001 * fs, 0, INT32_MAX) : 1;
    // With N = 0 the gain jumps to each target at its first sample either
    // way (the counter is at once >= N); a step of 1 keeps the arithmetic
    // finite.
    Ramp.step = Ramp.N > 0 ? 1.0 / static_cast<double>(Ramp.N) : 1.0;
    Ramp.counter = 0;
  }
  Ramp.start = Ramp.end = Ramp.current = IdleGainDb;
  // 4. Filters.
  DesignUserFilters();
  for (int s = 0; s < 2; ++s)
  {
    KWeighting[s][0].DesignStage1(fs);
    KWeighting[s][1].DesignStage2(fs);
  }
  mLastG = 0.0;
  mLastGLinear = 1.0;
  mLastOutDb = 0.0;
  mLastOutLinear = 1.0;
}

void CMTolvaneV1::ProcessFrames(double** inputs, double** outputs, int32_t frames, int32_t connectedInputs,
                                int32_t connectedOutputs, FrameCallback callback, void* context)
{
  // Channel routing.
  int32_t M = 1, D = 1, first = 0;
  if (DetectionSource == 0)
  {
    M = connectedOutputs < 2 ? connectedOutputs : 2;
    D = M;
    first = 0;
  }
  else if (connectedInputs == 2 && connectedOutputs == 2)
  {
    M = 2, D = 2, first = 0;
  }
  else if (connectedInputs == 4 && connectedOutputs == 2)
  {
    M = 2, D = 2, first = 2;
  }
  else if (connectedInputs == 3 && connectedOutputs == 2)
  {
    M = 2, D = 1, first = 2;
  }
  else if (connectedInputs == 2 && connectedOutputs == 1)
  {
    M = 1, D = 1, first = 1;
  }

  // Block start: the detection level of the whole block.
  DetectionLevelDb = DetectionMeter.GetLevelDb();

  if (frames < 1 || M < 1 || inputs == nullptr || outputs == nullptr)
    return;
  for (int32_t c = 0; c < M; ++c)
    if (inputs[c] == nullptr || outputs[c] == nullptr)
      return;
  for (int32_t s = 0; s < D; ++s)
    if (inputs[first + s] == nullptr)
      return;

  // 10^(OutputGainDb/20) is the same for every frame of the block.
  if (OutputGainDb != mLastOutDb)
  {
    mLastOutDb = OutputGainDb;
    mLastOutLinear = DbToLinear(OutputGainDb);
  }
  const double outLinear = mLastOutLinear;

  for (int32_t i = 0; i < frames; ++i)
  {
    double main[2];
    double det[2];
    // 1. Detection treats samples it cannot measure (non-finite or huge) as
    // silence before its filters, so one bad sample cannot poison the
    // filters or the meters for good; the audio path passes them through.
    for (int32_t c = 0; c < M; ++c)
      main[c] = inputs[c][i];
    for (int32_t s = 0; s < D; ++s)
    {
      const double v = inputs[first + s][i];
      det[s] = MeasurableSample(v);
    }
    // 3. Detection filter.
    if (FilterMode == 4)
    {
      for (int32_t s = 0; s < D; ++s)
        det[s] = FilterTick(UserLowPass[s], FilterTick(UserHighPass[s], det[s]));
    }
    else if (FilterMode == 5)
    {
      for (int32_t s = 0; s < D; ++s)
        det[s] = KWeighting[s][1].Tick(KWeighting[s][0].Tick(det[s]));
    }
    // 4.
    DetectionMeter.AddFrame(det, D);
    // 6.
    RideFlag = DetectionLevelDb > NoiseDb ? 1 : 0;
    // 7.
    const double target = (DetectionMeter.IsWindowFilled() && DetectionLevelDb > NoiseDb)
                              ? TargetDb - DetectionLevelDb
                              : IdleGainDb;
    if (target != Ramp.end)
    {
      Ramp.start = Ramp.current;
      Ramp.end = target;
      Ramp.counter = 0;
    }
    // 8. The counter saturates instead of overflowing (after 2^31 samples,
    // about 12 hours at 48 kHz, without a new target).
    Ramp.current += (Ramp.end - Ramp.start) * Ramp.step;
    if (Ramp.counter >= Ramp.N)
      Ramp.current = Ramp.end;
    if (Ramp.counter < INT32_MAX)
      Ramp.counter += 1;
    // 9. Clamp; the minimum wins when the range is inverted.
    double g = Ramp.current;
    if (g > RangeMaxDb)
      g = RangeMaxDb;
    if (RangeMinDb > g)
      g = RangeMinDb;
    // 10.
    GainDb = std::floor(g * 10.0) / 10.0;
    double linear = 1.0;
    if (RideEnabled != 0)
    {
      if (g != mLastG)
      {
        mLastG = g;
        mLastGLinear = DbToLinear(g);
      }
      linear = mLastGLinear;
    }
    // 2., 5. and 11.: store, read d frames back, move on.
    double out[2];
    double delayedDet[2];
    for (int32_t c = 0; c < M; ++c)
      out[c] = MainDelay[c].Process(main[c]) * linear;
    for (int32_t s = 0; s < D; ++s)
      delayedDet[s] = DetectionDelay[s].Process(det[s]);
    // 12.
    OutputMeter.AddFrame(out, M);
    DelayedDetectionMeter.AddFrame(delayedDet, D);
    // 13.
    for (int32_t c = 0; c < M; ++c)
      outputs[c][i] = out[c] * outLinear;
    // 14.
    if (callback != nullptr)
      callback(context);
  }
}
