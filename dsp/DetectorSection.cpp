#include "dsp/DetectorSection.h"

#include <algorithm>
#include <cmath>

namespace
{
// π·f0 for the two stages as literal constants: K = tan(π·f0 / fs) is
// computed as tan(5284.078578647624 / fs) and tan(119.80611514558424 / fs).
constexpr double kStage1PiF0 = 5284.078578647624;
constexpr double kStage2PiF0 = 119.80611514558424;

struct StageConstants
{
  double f0, Q, Vh, Vb, w, piF0;
};
constexpr StageConstants kStage1{1681.974450955532, 0.70717523695542, 1.58486470113086, 1.25872093023256, 1.0, kStage1PiF0};
constexpr StageConstants kStage2{38.13547087611304, 0.50032703732504, 1.00499489871469, 0.0, 0.0, kStage2PiF0};

void DesignStage(KWeightingStage& st, const StageConstants& c, double fs)
{
  st.ClearState();
  st.sampleRate = fs;
  st.f0 = c.f0;
  st.Vb = c.Vb;
  st.K2Weight = c.w;
  st.Vh = c.Vh;
  st.Q = c.Q;
  const double K = std::tan(c.piF0 / fs);
  const double K2 = K * K;
  st.K = K;
  st.K2 = K2;
  const double a0 = K2 + K / c.Q + 1.0;
  st.rawA0 = a0;
  st.a0 = 1.0;
  st.a1 = 2.0 * (K2 - 1.0) / a0;
  st.a2 = (K2 - K / c.Q + 1.0) / a0;
  st.b0 = (c.Vh + c.Vb * K / c.Q + c.w * K2) / a0;
  st.b1 = 2.0 * (c.w * K2 - c.Vh) / a0;
  st.b2 = (c.Vh - c.Vb * K / c.Q + c.w * K2) / a0;
  st.lastOutput = 0.0;
}
}  // namespace

void DetectorMeter::Setup(double shortest, double longest, double fs)
{
  sampleRate = fs;
  shortestMs = shortest;
  longestMs = longest;
  int32_t cap = static_cast<int32_t>(longest * 0.001 * fs);
  if (cap < 1)
    cap = 1;
  // Reallocated only when the capacity changes; Reset makes the contents
  // read as zeros either way.
  if (static_cast<int32_t>(window.size()) != cap)
    window.assign(static_cast<size_t>(cap), 0.0);
  capacity = cap;
  currentMs = shortest;
  N = std::clamp(static_cast<int32_t>(shortest * 0.001 * fs), 1, capacity);
  overlap = 0.75;
  Reset();
}

void DetectorMeter::SetWindowMs(double ms)
{
  if (ms == currentMs || !(ms >= shortestMs && ms <= longestMs))
    return;
  currentMs = ms;
  N = std::clamp(static_cast<int32_t>(ms * 0.001 * sampleRate), 1, capacity > 0 ? capacity : 1);
  overlap = 0.75;
  levelDb[0] = levelDb[1] = levelDb[2] = -144.0;
  Reset();
}

void DetectorMeter::Reset()
{
  // The window reads as zeros after a reset without being cleared: no entry
  // is read before it has been written again (while the state is 0 the
  // leaving value is taken as 0, which is what a zeroed slot holds), so a
  // reset on the audio thread never touches megabytes.
  writeIndex = 0;
  state = 0;
  newMean = 0;
  hop = 0;
  sum = 0.0;
  leaving = 0.0;
  mean = 0.0;
  smallestMean = 0.0;
  largestMean = 0.0;
  largestCurrentMean = 0.0;
  longTermSum = 0.0;
  longTermCount = 0;
  longTermAverage = 0.0;
  levelDb[0] = levelDb[1] = levelDb[2] = -144.0;
}

int32_t DetectorMeter::AddValue(double v)
{
  if (window.empty())
    return 0;
  int32_t result = 0;
  // 1.
  sum += v;
  // While the state is 0 the slot has not been written since the reset: it
  // holds a zero.
  leaving = state == 0 ? 0.0 : window[static_cast<size_t>(writeIndex)];
  window[static_cast<size_t>(writeIndex)] = v;
  longTermSum += v;
  if (longTermCount < INT32_MAX)
    longTermCount += 1;
  writeIndex += 1;
  hop += 1;
  const double n = static_cast<double>(N);
  // 2. and 3.
  if (writeIndex >= N)
  {
    writeIndex = 0;
    if (state == 0)
    {
      mean = sum / n;
      smallestMean = std::min(smallestMean, mean);
      largestMean = std::max(largestMean, mean);
      state = 1;
      newMean = 0;
    }
  }
  else if (state == 0)
  {
    mean = sum / n;
    smallestMean = std::min(smallestMean, mean);
    largestMean = std::max(largestMean, mean);
    newMean = 0;
  }
  // 4.
  if (state == 1)
  {
    newMean = 0;
    sum = std::max(0.0, sum - leaving);
    if (static_cast<double>(hop) > (1.0 - overlap) * n)
    {
      mean = sum / n;
      smallestMean = std::min(smallestMean, mean);
      largestMean = std::max(largestMean, mean);
      newMean = 1;
      hop = 0;
      result = 1;
    }
  }
  // 5.
  longTermAverage = longTermSum / static_cast<double>(longTermCount < 1 ? 1 : longTermCount);
  currentMean = sum / n;
  largestCurrentMean = std::max(largestCurrentMean, currentMean);
  return result;
}

void SetupDetectorSection(DetectorSection& s, int32_t mode, double T, double fs)
{
  // 1.
  s.mode = mode;
  s.modeGain = (mode >= 2 && mode <= 5) ? DetectorSection::kKWeightingGain : 1.0;
  // 2.
  const double t = mode == 3 ? 3.0 : (mode == 2 ? 0.4 : T);
  s.coefficient = std::pow(10.0, -1.0 / (t * fs));
  // 3.
  DesignStage(s.stages[0], kStage1, fs);
  DesignStage(s.stages[1], kStage2, fs);
  DesignStage(s.stages[2], kStage1, fs);
  DesignStage(s.stages[3], kStage2, fs);
  // 4.
  s.meter.Setup(10.0, 3000.0, fs);
  s.meter.SetWindowMs(t * 1000.0);
  // 5.
  s.power = 0.0;
  s.peak = 0.0;
  for (KWeightingStage& st : s.stages)
    st.ClearState();
  s.meter.levelOffsetDb = 0.0;
  s.meter.channelMode = 0;
  s.meter.Reset();
}

void ResetDetectorSection(DetectorSection& s)
{
  s.power = 0.0;
  s.peak = 0.0;
  for (KWeightingStage& st : s.stages)
    st.ClearState();
  s.meter.Reset();
}

double DetectorMeasureMode6(const DetectorSection& s)
{
  const double a = std::sqrt(s.meter.currentMean);
  const double lvl = a > 6.309e-8 ? std::log(a) * 8.685889638065037 : -144.0;
  const double D = lvl + s.meter.levelOffsetDb - 3.0;
  return D > -144.0 ? std::exp(0.11512925464970228 * D) : 0.0;
}
