// The riding engine's level detectors: K-weighted stereo power
// with a one-pole integrator, and the window part of the DetectorMeter that
// mode 6 feeds. The meter's dormant records (true-peak oversamplers,
// ballistics, holds, history rings), which nothing feeds or reads, are left
// out.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

// One K-weighting biquad of a detector section.
struct KWeightingStage
{
  static constexpr double kOffset = 1e-25;  // denormal offset of the detectors

  double x1 = 0.0, x2 = 0.0, x = 0.0, y1 = 0.0, y2 = 0.0, y = 0.0;
  double sampleRate = 0.0;
  // Design constants.
  double f0 = 0.0, Vb = 0.0, K2Weight = 0.0, Vh = 0.0, Q = 0.0;
  double K = 0.0, K2 = 0.0;
  double rawA0 = 0.0;
  // Normalised coefficients; a0 is exactly 1.0.
  double a0 = 1.0, a1 = 0.0, a2 = 0.0, b0 = 0.0, b1 = 0.0, b2 = 0.0;
  double lastOutput = 0.0;

  void ClearState()
  {
    x1 = x2 = x = y1 = y2 = y = 0.0;
  }

  // x = input + 1e-25; y = (b0·x + b1·x1 + b2·x2 − a1·y1 − a2·y2) / a0 +
  // 1e-25. The normalised a0 is exactly 1.0, so the division, which would
  // not change a bit, is left out.
  double Tick(double in)
  {
    const double xn = in + kOffset;
    const double yn = (b0 * xn + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2) + kOffset;
    x = xn;
    y = yn;
    x2 = x1;
    x1 = xn;
    y2 = y1;
    y1 = yn;
    lastOutput = yn;
    return yn;
  }
};

// The sliding-window mean-square part of a DetectorMeter.
struct DetectorMeter
{
  double sampleRate = 0.0;
  std::vector<double> window;  // capacity entries
  int32_t capacity = 0;
  // SlidingWindowMean fields.
  int32_t writeIndex = 0;
  int32_t state = 0;  // 0 until the window has filled once, then 1
  int32_t newMean = 0;
  int32_t hop = 0;
  double sum = 0.0;
  double leaving = 0.0;
  double mean = 0.0;
  double smallestMean = 0.0;
  double largestMean = 0.0;
  double currentMean = 0.0;
  double largestCurrentMean = 0.0;
  double levelDb[3] = {-144.0, -144.0, -144.0};
  double longTermSum = 0.0;
  int32_t longTermCount = 0;
  double longTermAverage = 0.0;
  // Window set-up.
  double shortestMs = 10.0;
  double longestMs = 3000.0;
  double currentMs = 0.0;
  int32_t N = 1;
  double overlap = 0.75;
  double levelOffsetDb = 0.0;
  int32_t channelMode = 0;

  // sample rate = fs; capacity = trunc(b × 0.001 × fs) (buffer reallocated
  // only when it changes); current window a ms, N = trunc(a × 0.001 × fs),
  // q = 0.75; then Reset.
  void Setup(double shortest, double longest, double fs);
  // Nothing when ms equals the current window or lies outside [shortest,
  // longest]; else current window = ms, N = trunc(ms × 0.001 × fs), q =
  // 0.75, level fields -144, Reset.
  void SetWindowMs(double ms);
  // Index, state, flags, sums and means to 0 (the current mean keeps its
  // value); level fields -144. The window reads as zeros afterwards.
  void Reset();
  // SlidingWindowMean::AddValue: 1 when a new mean was produced, else 0.
  int32_t AddValue(double v);
};

// One detector section.
struct DetectorSection
{
  static constexpr double kKWeightingGain = 0.9235278572249818;  // 10^(-0.691/20)

  double power = 0.0;
  double peak = 0.0;
  double coefficient = 0.0;
  double lastPower = 0.0;
  // Left stage 1, left stage 2, right stage 1, right stage 2.
  KWeightingStage stages[4];
  int32_t mode = 0;
  double modeGain = 1.0;
  DetectorMeter meter;
};

// Prepares a section for a mode, an integration time T (s) and a sample rate
// fs, and resets it.
void SetupDetectorSection(DetectorSection& section, int32_t mode, double T, double fs);
// Power and peak to 0, the four stage states to 0, then DetectorMeter::Reset.
void ResetDetectorSection(DetectorSection& section);

// Feeds one stereo sample. Non-finite samples are treated as silence: a NaN
// or infinity from a host must not poison the section for good.
inline void ProcessDetectorSample(DetectorSection& s, double L, double R)
{
  if (!std::isfinite(L))
    L = 0.0;
  if (!std::isfinite(R))
    R = 0.0;
  double kL, kR;
  const int32_t mode = s.mode;
  if (mode >= 2 && mode <= 5)
  {
    kL = s.stages[1].Tick(s.stages[0].Tick(L));
    kR = s.stages[3].Tick(s.stages[2].Tick(R));
  }
  else if (mode == 6)
  {
    double v = L * L + R * R;
    if (s.meter.channelMode == 1 || s.meter.channelMode == 2)
      v = v * 0.5;
    s.meter.AddValue(v);
    return;
  }
  else
  {
    kL = L;
    kR = R;
  }
  double p = kL * kL + kR * kR;
  s.lastPower = p;
  if (mode == 1 || mode == 5)
  {
    p = p * 0.5;
    s.lastPower = p;
  }
  s.power = (s.power - p) * s.coefficient + p;
  if (s.power > s.peak)
    s.peak = s.power;
}

// The measure of a section: sqrt(power) × mode gain, or for mode 6 the
// meter's current mean turned into an amplitude.
double DetectorMeasureMode6(const DetectorSection& s);
inline double DetectorMeasure(const DetectorSection& s)
{
  if (s.mode == 6) [[unlikely]]
    return DetectorMeasureMode6(s);
  return std::sqrt(s.power) * s.modeGain;
}

// Level of a measure x: 8.685889638065037 × ln|x| when |x| > 6.309e-8, else
// -144.0.
inline double LevelOfMeasure(double x)
{
  const double a = std::fabs(x);
  return a > 6.309e-8 ? 8.685889638065037 * std::log(a) : -144.0;
}

inline double DetectorLevelDb(const DetectorSection& s)
{
  return LevelOfMeasure(DetectorMeasure(s));
}
