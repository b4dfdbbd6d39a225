#include "dsp/RideEngine.h"

#include <algorithm>
#include <cmath>

#include "dsp/BufferHelpers.h"
#include "dsp/RideSectionPlan.h"

namespace
{
using S = RideEngineState;

void SetPeriod(PeriodCounter& p, double seconds, double fs)
{
  p.period = TruncClamp(seconds * fs, 1, INT32_MAX);
  p.count = 0;
  p.sampleRate = fs;
  p.samplesPerMs = fs / 1000.0;
}

}  // namespace

RideEngine::RideEngine(std::recursive_mutex& dspMutex, CMTolvaneV1& classic)
    : mMutex(dspMutex), mClassic(classic), mScratch(std::make_unique<ride_detail::ProcessScratch>())
{
  // Usable at once, for the default format (the product constructor runs
  // DspInit again once its mirrors are set).
  DspInit();
}

RideEngine::~RideEngine() = default;

void RideEngine::SetProcessorFormat(const ProcessorFormat& format)
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mFormat = format;
}

bool RideEngine::ResetIfFormatChanged(const ProcessorFormat& format)
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mFormat = format;
  if (format.sampleRate == mState.sampleRate && format.blockSize == mState.blockSize)
    return false;
  mState.sampleRate = format.sampleRate;
  mState.blockSize = format.blockSize;
  DspInit();
  return true;
}

int32_t RideEngine::RingCapacityFor(double fs)
{
  return TruncClamp(3.0 * fs, 1, INT32_MAX);
}

int32_t RideEngine::PreDelaySamplesFor(double ms, double fs)
{
  // trunc(ms / 1000 × fs) loses a sample where ms / 1000
  // is not a binary fraction (0.009 × 48000 = 431.99999999999994). ms × fs
  // is an exact integer for whole milliseconds at whole rates, and its
  // quotient by 1000 is exact whenever it is whole, and otherwise at least
  // 0.001 away from the next integer, so trunc gives the true floor.
  return TruncClamp(ms * fs / 1000.0, 0, RingCapacityFor(fs));
}

int32_t RideEngine::PreDelaySamples() const
{
  return PreDelaySamplesFor(mState.preDelayMs, mState.sampleRate);
}

uint32_t RideEngine::ComputeLatencySamples() const
{
  // The latency is the delay the audio really gets,
  // computed by the same function the rings (or the classic engine's delay
  // lines) use.
  if (mState.classicMode != 0)
    return static_cast<uint32_t>(mClassic.DelaySamples());
  return static_cast<uint32_t>(PreDelaySamples());
}

uint32_t RideEngine::UpdateLatency()
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  const uint32_t latency = ComputeLatencySamples();
  mState.latencySamples.store(latency, std::memory_order_relaxed);
  return latency;
}

// --- DspInit -------------------------------------------------------------------

void RideEngine::DspInit()
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  S& s = mState;
  const double fs = s.sampleRate;
  const double baseFs = mFormat.sampleRate;
  // 1.
  SetPeriod(s.scopePeriod, 0.1, baseFs);
  SetPeriod(s.automationPeriod, 0.05, baseFs);
  s.scopePeriodMs = 100.0;
  s.automationPeriodMs = 50.0;
  // 2.
  s.automationWritePending.store(false, std::memory_order_relaxed);
  s.engineActive = false;
  s.sensitivityCopyMs = s.sensitivityMs;
  s.detectionSectionMode = 2;
  s.outputSectionMode = 2;
  s.noiseSectionMode = 4;
  s.currentGainDb.store(0.0, std::memory_order_relaxed);
  s.outputLevelDb = -144.0;
  s.inputLevelDb = -140.0;
  s.rideFlag = 0;
  s.neededGainDb = 0.0;
  s.maxPreDelayMs = 3000.0;
  s.lastGainRingOutput = 1.0;
  // 3. Rings: capacity and delay length max(trunc(3 × fs), 1); reallocated
  // only when the capacity changes, zeroed either way.
  const int32_t capacity = RingCapacityFor(fs);
  for (DelayRing& r : s.rings)
  {
    r.Allocate(capacity);
    r.delayLength = capacity;
  }
  // 4.
  for (FilterStage& f : s.filters)
    f.Zero();
  // 5. The scope history is never replaced (the editor may be reading it),
  // only emptied.
  mScope.Clear();
  // 6. Classic engine.
  mClassic.SampleRate = fs;
  mClassic.Reset();
  mClassic.SetNumInputs(static_cast<uint32_t>(std::max(mFormat.numInputs, 0)));
  mClassic.SetNumOutputs(static_cast<uint32_t>(std::max(mFormat.numOutputs, 0)));
  s.classicInputs = mFormat.numInputs;
  s.classicOutputs = mFormat.numOutputs;
  // 7.
  RecomputeFilters();
}

// --- RecomputeFilters --------------------------------------------------------

void RideEngine::ApplyRingDelays()
{
  const int32_t D = PreDelaySamples();
  for (DelayRing& r : mState.rings)
    if (r.delayLength != D)
      r.SetDelay(D);
}

void RideEngine::SetupSections(double sensitivityMs)
{
  S& s = mState;
  const double fs = s.sampleRate;
  const double T = sensitivityMs / 1000.0;
  SetupDetectorSection(s.sections[S::kMainDetection], s.detectionSectionMode, T, fs);
  SetupDetectorSection(s.sections[S::kSideChainDetection], s.detectionSectionMode, T, fs);
  SetupDetectorSection(s.sections[S::kOutput], s.outputSectionMode, T, fs);
  SetupDetectorSection(s.sections[S::kDelayedDetection], s.outputSectionMode, T, fs);
  SetupDetectorSection(s.sections[S::kNoise], s.noiseSectionMode, s.noiseDetectionTimingMs / 1000.0, fs);
}

void RideEngine::SyncClassicFilterMode()
{
  mClassic.FilterMode = mState.filterMode != 0 ? (mState.classicITUPreFilter != 0 ? 5 : 4) : 0;
}

void RideEngine::RecomputeFilters()
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  S& s = mState;
  const double fs = s.sampleRate;
  // 1.
  ApplyRingDelays();
  // 2. The sensitivity copy follows "Sensitivity" like every other value
  // derived from it.
  s.sensitivityCopyMs = s.sensitivityMs;
  SetupSections(s.sensitivityMs);
  // 3.
  s.gainCoefficient = std::pow(10.0, -1.0 / (s.sensitivityMs / 1000.0 * fs));
  s.smoothedGainDb = 0.0;
  // 4.
  s.automation.Setup(fs);
  // 5.
  for (int32_t k : {S::kMainHighPassL, S::kMainHighPassR, S::kSideHighPassL, S::kSideHighPassR,
                    S::kOutHighPassL, S::kOutHighPassR})
    DesignCutStage(s.filters[k], 1, s.lowCutHz, fs, kRideCutAlphaDivisor);
  for (int32_t k : {S::kMainLowPassL, S::kMainLowPassR, S::kSideLowPassL, S::kSideLowPassR,
                    S::kOutLowPassL, S::kOutLowPassR})
    DesignCutStage(s.filters[k], 2, s.highCutHz, fs, kRideCutAlphaDivisor);
  // 6. Classic engine in step.
  mClassic.DetectionSource = std::clamp(s.detectionMode, 0, 1);
  SyncClassicFilterMode();
  mClassic.SetLowCutFreq(s.lowCutHz);
  mClassic.SetHighCutFreq(s.highCutHz);
  if (mClassic.WindowMs != s.sensitivityMs)
  {
    mClassic.WindowMs = s.sensitivityMs;
    mClassic.Reset();
  }
  if (mClassic.PreDelayFraction != s.preDelayFractionPct / 100.0)
  {
    mClassic.PreDelayFraction = s.preDelayFractionPct / 100.0;
    mClassic.Reset();
  }
  mClassic.TargetDb = s.targetLevelDb;
  mClassic.NoiseDb = s.noiseLevelDb;
  mClassic.RangeMinDb = s.rangeMinDb;
  mClassic.RangeMaxDb = s.rangeMaxDb;
  mClassic.IdleGainDb = s.idleGainDb;
  mClassic.RideEnabled = s.ab == 0 ? 1 : 0;
  mClassic.OutputGainDb = s.volumeDb;
  mClassic.Reset();
  // 7.
  mScope.Clear();
  // 8.
  s.latencySamples.store(ComputeLatencySamples(), std::memory_order_relaxed);
}

// --- RouteChannels -----------------------------------------------------------

RoutedChannels RideEngine::RouteChannels(double** in, int32_t n, double** out, int32_t m,
                                         bool sideChainMode) const
{
  RoutedChannels r;
  // † The plug-in API is always Audio Unit here; the shifted side-chain
  // inputs apply when the processor base has exactly two output channels.
  const bool dagger = mFormat.numOutputs == 2;
  auto I = [in](int k) { return in[k]; };
  auto O = [out](int k) { return out[k]; };
  if (sideChainMode)
  {
    if (n == 1 && m == 1)
      r = {I(0), I(0), I(0), I(0), O(0), O(0)};
    else if (n == 2 && m == 1)
      r = {I(0), I(0), dagger ? I(2) : I(1), dagger ? I(2) : I(1), O(0), O(0)};
    else if (n == 3 && m == 1)
      r = {I(0), I(0), dagger ? I(2) : I(1), dagger ? I(3) : I(2), O(0), O(0)};
    else if (n == 2 && m == 2)
      r = {I(0), I(1), I(0), I(1), O(0), O(1)};
    else if (n == 3 && m == 2)
      r = {I(0), I(1), I(2), I(2), O(0), O(1)};
    else if (n == 4 && m == 2)
      r = {I(0), I(1), I(2), I(3), O(0), O(1)};
    else
      r = {I(0), I(1), I(0), I(1), O(0), m == 1 ? O(0) : O(1)};
  }
  else
  {
    if (m == 1 && n >= 1 && n <= 3)
      r = {I(0), I(0), I(0), I(0), O(0), O(0)};
    else if (m == 2 && n >= 2 && n <= 4)
      r = {I(0), I(1), I(0), I(1), O(0), O(1)};
    else
      r = {I(0), I(0), I(0), I(0), O(0), m == 1 ? O(0) : O(1)};
  }
  return r;
}

// --- Parameter follow-ups --------------------------------------------------------

void RideEngine::ResetDetectors()
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  S& s = mState;
  s.smoothedGainDb = 0.0;
  ResetDetectorSection(s.sections[S::kMainDetection]);
  ResetDetectorSection(s.sections[S::kSideChainDetection]);
  ResetDetectorSection(s.sections[S::kOutput]);
  ResetDetectorSection(s.sections[S::kDelayedDetection]);
}

void RideEngine::ApplyFilterMode(int32_t value)
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mState.filterMode = value;
  ResetDetectors();
  SyncClassicFilterMode();
}

void RideEngine::ApplyLowCut(double hz)
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  S& s = mState;
  s.lowCutHz = hz;
  for (int32_t k : {S::kMainHighPassL, S::kMainHighPassR, S::kSideHighPassL, S::kSideHighPassR,
                    S::kOutHighPassL, S::kOutHighPassR})
    DesignCutStage(s.filters[k], 1, hz, s.sampleRate, kRideCutAlphaDivisor);
  mClassic.SetLowCutFreq(hz);
}

void RideEngine::ApplyHighCut(double hz)
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  S& s = mState;
  s.highCutHz = hz;
  for (int32_t k : {S::kMainLowPassL, S::kMainLowPassR, S::kSideLowPassL, S::kSideLowPassR,
                    S::kOutLowPassL, S::kOutLowPassR})
    DesignCutStage(s.filters[k], 2, hz, s.sampleRate, kRideCutAlphaDivisor);
  mClassic.SetHighCutFreq(hz);
}

void RideEngine::ApplyDetectionMode(int32_t value)
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mState.detectionMode = value;
  ResetDetectors();
  mClassic.DetectionSource = std::clamp(value, 0, 1);
}

void RideEngine::ApplyTargetLevel(double db)
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mState.targetLevelDb = db;
  mClassic.TargetDb = db;
}

void RideEngine::ApplySensitivity(double ms)
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  S& s = mState;
  s.sensitivityMs = ms;
  s.gainCoefficient = std::pow(10.0, -1.0 / (ms / 1000.0 * s.sampleRate));
  s.smoothedGainDb = 0.0;
  s.sensitivityCopyMs = ms;
  SetupSections(ms);
  ResetDetectors();
  if (mClassic.WindowMs != ms)
  {
    mClassic.WindowMs = ms;
    mClassic.Reset();
  }
}

void RideEngine::PreDelayFollowUp()
{
  ApplyRingDelays();
  ResetDetectors();
  const double fraction = mState.preDelayFractionPct / 100.0;
  if (mClassic.PreDelayFraction != fraction)
  {
    mClassic.PreDelayFraction = fraction;
    mClassic.Reset();
  }
}

void RideEngine::ApplyPreDelay(double ms)
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mState.preDelayMs = ms;
  PreDelayFollowUp();
}

void RideEngine::ApplyPreDelayFraction(double percent)
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mState.preDelayFractionPct = percent;
  PreDelayFollowUp();
}

void RideEngine::ApplyNoiseLevel(double db)
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mState.noiseLevelDb = db;
  mClassic.NoiseDb = db;
}

void RideEngine::ApplyRangeMin(double db)
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mState.rangeMinDb = db;
  mClassic.RangeMinDb = db;
}

void RideEngine::ApplyRangeMax(double db)
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mState.rangeMaxDb = db;
  mClassic.RangeMaxDb = db;
}

void RideEngine::ApplyIdleGain(double db)
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mState.idleGainDb = db;
  mClassic.IdleGainDb = db;
}

void RideEngine::ApplyVolume(double db)
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mState.volumeDb = db;
  mClassic.OutputGainDb = db;
}

void RideEngine::ApplyAB(int32_t value)
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mState.ab = value;
  mClassic.RideEnabled = value == 0 ? 1 : 0;
}

void RideEngine::ApplyAutomationMode(int32_t value)
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mState.automationMode = value;
  mState.currentGainDb.store(0.0, std::memory_order_relaxed);
}

void RideEngine::ApplyDAWSync(int32_t value)
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mState.dawSync = value;
}

void RideEngine::ApplyGainHold(int32_t value)
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mState.gainHold = value;
}

void RideEngine::ApplyNoiseDetection(int32_t value)
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mState.noiseDetection = value;
}

void RideEngine::ApplyNoiseDetectionTiming(double ms)
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  S& s = mState;
  s.noiseDetectionTimingMs = ms;
  SetupDetectorSection(s.sections[S::kNoise], s.noiseSectionMode, ms / 1000.0, s.sampleRate);
}

void RideEngine::ApplyClassicMode(int32_t value)
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mState.classicMode = value;
  ResetDetectors();
  mScope.Clear();
  mClassic.Reset();
}

void RideEngine::ApplyClassicITUPreFilter(int32_t value)
{
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mState.classicITUPreFilter = value;
  ResetDetectors();
  SyncClassicFilterMode();
}

void RideEngine::SetCurrentGainDb(double db)
{
  if (!std::isfinite(db))
    return;
  std::lock_guard<std::recursive_mutex> lock(mMutex);
  mState.currentGainDb.store(db, std::memory_order_relaxed);
}
