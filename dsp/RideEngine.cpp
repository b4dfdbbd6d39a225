#include "dsp/RideEngine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "dsp/BufferHelpers.h"
#include "dsp/PairKernels.h"

namespace
{
using S = RideEngineState;

inline double Finite(double x)
{
  return std::isfinite(x) ? x : 0.0;
}

void SetPeriod(PeriodCounter& p, double seconds, double fs)
{
  p.period = TruncClamp(seconds * fs, 1, INT32_MAX);
  p.count = 0;
  p.sampleRate = fs;
  p.samplesPerMs = fs / 1000.0;
}
}  // namespace

RideEngine::RideEngine(std::recursive_mutex& dspMutex, CMTolvaneV1& classic)
    : mMutex(dspMutex), mClassic(classic)
{
  // Usable at once, for the default format (the product constructor runs
  // DspInit again once its mirrors are set).
  DspInit();
}

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

// --- RideEngineProcess -------------------------------------------------------

void RideEngine::RideEngineProcess(double** inputs, double** outputs, int32_t frames, int32_t connectedInputs,
                                   int32_t connectedOutputs)
{
  using ride_detail::Pair;
  using ride_detail::PairCut;
  using ride_detail::PairSection;

  S& s = mState;
  if (frames < 1 || inputs == nullptr || outputs == nullptr)
    return;
  const int32_t mode = s.detectionMode;
  const RoutedChannels rc = RouteChannels(inputs, connectedInputs, outputs, connectedOutputs, mode >= 1);
  if (!rc.mainL || !rc.mainR || !rc.sideL || !rc.sideR || !rc.outL || !rc.outR)
    return;

  // The filters and sections, left and right side by side, for this block.
  FilterStage* const f = s.filters;
  PairCut mainHP, mainLP, sideHP, sideLP, outHP, outLP;
  mainHP.Load(f[S::kMainHighPassL], f[S::kMainHighPassR]);
  mainLP.Load(f[S::kMainLowPassL], f[S::kMainLowPassR]);
  sideHP.Load(f[S::kSideHighPassL], f[S::kSideHighPassR]);
  sideLP.Load(f[S::kSideLowPassL], f[S::kSideLowPassR]);
  outHP.Load(f[S::kOutHighPassL], f[S::kOutHighPassR]);
  outLP.Load(f[S::kOutLowPassL], f[S::kOutLowPassR]);
  PairSection main, side, output, delayed, noise;
  main.Load(s.sections[S::kMainDetection]);
  side.Load(s.sections[S::kSideChainDetection]);
  output.Load(s.sections[S::kOutput]);
  delayed.Load(s.sections[S::kDelayedDetection]);
  noise.Load(s.sections[S::kNoise]);

  DelayRing& ringMainL = s.rings[S::kRingMainL];
  DelayRing& ringMainR = s.rings[S::kRingMainR];
  DelayRing& ringDetL = s.rings[S::kRingDetectionL];
  DelayRing& ringDetR = s.rings[S::kRingDetectionR];
  DelayRing& ringGain = s.rings[S::kRingGain];
  DelayRing& ringRide = s.rings[S::kRingRide];

  // Settings are constant within a block (they change only between blocks,
  // under the mutex).
  const bool filterOn = s.filterMode == 1;
  const bool read = s.automationMode == S::kAutomationRead;
  const bool ab = s.ab != 0;
  const bool hold = s.gainHold == 1;
  const double noiseLevel = s.noiseLevelDb;
  const double target = s.targetLevelDb;
  const double idle = s.idleGainDb;
  const double rangeMin = s.rangeMinDb;
  const double rangeMax = s.rangeMaxDb;
  const double c = s.gainCoefficient;
  const PairSection& gate = s.noiseDetection != 0 ? noise : (mode == 1 ? side : main);
  const bool gateIsMain = &gate == &main;
  // u = e^(0.11512925464970228 × volume) (0 at or below -144 dB): the same
  // for every sample while the volume stays.
  if (s.volumeDb != s.cachedVolumeDb)
  {
    s.cachedVolumeDb = s.volumeDb;
    s.cachedVolumeFactor = DbToLinear(s.volumeDb);
  }
  const double u = s.cachedVolumeFactor;
  const double hostGainDb = s.currentGainDb.load(std::memory_order_relaxed);

  double smoothed = s.smoothedGainDb;
  double needed = s.neededGainDb;
  double targetGain = s.targetGainDb;
  int32_t rideFlag = s.rideFlag;
  double lastGainX = s.lastGainRingOutput;

  // Which measures the gain pass needs besides the gate's.
  const bool needMain = !gateIsMain;
  const bool needSide = mode == 2 && &gate != &side;

  // The block goes in chunks of kChunk samples, each in three passes: the
  // input side (steps 1-3 and 12), the gain (steps 4-10 and 14) and the
  // output measure (step 11). Every section, filter and ring still sees its
  // samples in order and each sample's steps use the same values as in one
  // pass, so the results are bit for bit those of the plain per-sample
  // order; the passes only shorten the chain of dependent operations per
  // sample, which bounds the speed of a single pass.
  // When the side-chain reads the main inputs and its cut filters are bit
  // for bit the main ones (the usual case in Internal), e is d: computed
  // once, exactly.
  const bool sideIsMain = rc.sideL == rc.mainL && rc.sideR == rc.mainR &&
                          (!filterOn || (std::memcmp(&sideHP, &mainHP, sizeof(PairCut)) == 0 &&
                                         std::memcmp(&sideLP, &mainLP, sizeof(PairCut)) == 0));
  // Step 3's feeding order by mode; the order among sections does not
  // matter (each has its own state), only that each gets its input.
  ride_detail::FeedGroup groupD, groupE;
  const bool delayedInGroup =
      ringDetL.delayLength == 0 && ringDetR.delayLength == 0 && mode >= 0 && mode <= 2;
  if (mode == 0)
  {
    groupD.Add(main);
    groupD.Add(side);
    groupD.Add(noise);
    if (delayedInGroup)
      groupD.Add(delayed);
  }
  else if (mode == 1)
  {
    groupD.Add(main);
    groupE.Add(side);
    groupE.Add(noise);
    if (delayedInGroup)
      groupE.Add(delayed);
  }
  else if (mode == 2)
  {
    groupD.Add(main);
    groupD.Add(noise);
    groupE.Add(side);
    if (delayedInGroup)
      groupE.Add(delayed);
  }

  constexpr int32_t kChunk = 64;
  alignas(16) double gateMeasure[kChunk];
  alignas(16) double mainMeasure[kChunk];
  alignas(16) double sideMeasure[kChunk];
  alignas(16) Pair outMeasureIn[kChunk];
  alignas(16) double outMeasureGain[kChunk];

  for (int32_t base = 0; base < frames; base += kChunk)
  {
    const int32_t n = std::min(kChunk, frames - base);

    // Pass 1: detection signals, main, side-chain, noise and delayed
    // sections (steps 1-3 and 12).
    for (int32_t k = 0; k < n; ++k)
    {
      const int32_t i = base + k;
      // 2. Detection treats non-finite samples as silence, so that one bad
      // sample cannot silence the rider for good; the audio path below
      // passes them through.
      Pair d{Finite(rc.mainL[i]), Finite(rc.mainR[i])};
      Pair e;
      if (sideIsMain)
      {
        if (filterOn)
          d = mainLP.Tick(mainHP.Tick(d));
        e = d;
      }
      else
      {
        e = Pair{Finite(rc.sideL[i]), Finite(rc.sideR[i])};
        if (filterOn)
        {
          d = mainLP.Tick(mainHP.Tick(d));
          e = sideLP.Tick(sideHP.Tick(e));
        }
      }
      // 3.
      groupD.Feed(d);
      groupE.Feed(e);
      gateMeasure[k] = gate.Measure();
      if (needMain)
        mainMeasure[k] = main.Measure();
      if (needSide)
        sideMeasure[k] = side.Measure();
      // 12. (With no pre-delay the rings give back what they are given, and
      // the delayed section is fed in its group above.)
      if (!delayedInGroup)
      {
        if (mode == 0)
        {
          const double a = ringDetL.Push(d[0]);
          const double b = ringDetR.Push(d[1]);
          delayed.Feed(Pair{a, b});
        }
        else if (mode == 1 || mode == 2)
        {
          const double a = ringDetL.Push(e[0]);
          const double b = ringDetR.Push(e[1]);
          delayed.Feed(Pair{a, b});
        }
      }
    }

    // Pass 2: gate, gain, delay, output (steps 1 and 4-10, 14).
    for (int32_t k = 0; k < n; ++k)
    {
      const int32_t i = base + k;
      // 1.
      rideFlag = 0;
      const double mL = rc.mainL[i], mR = rc.mainR[i];
      // 4. Gate: closed when noise level > round1(Level(gate)).
      const double gateLevel = LevelOfMeasure(gateMeasure[k]);
      double v;
      if (!(noiseLevel > RoundToTenthDb(gateLevel)))
      {
        // 5. Open.
        rideFlag = 1;
        const double mainLevel = gateIsMain ? gateLevel : LevelOfMeasure(mainMeasure[k]);
        const double R = mode == 2 ? (needSide ? LevelOfMeasure(sideMeasure[k]) : gateLevel) : target;
        v = R - mainLevel;
        needed = v;
      }
      else
      {
        v = hold ? needed : idle;
      }
      // 6. Range max wins when the range is inverted; idle gain unclamped.
      if (rideFlag == 1 || hold)
        v = std::min(std::max(v, rangeMin), rangeMax);
      // 7.
      targetGain = v;
      smoothed = (smoothed - v) * c + v;
      // 8.
      const double Lp = ringMainL.Push(mL);
      const double Rp = ringMainR.Push(mR);
      // 9.
      const double gLin = read ? 0.0 : DbToLinear(smoothed);
      double g;
      if (ab)
        g = 1.0;
      else if (read)
        g = s.automation.Process(hostGainDb);
      else
        g = gLin;
      // 10.
      rc.outL[i] = (Lp * g) * u;
      rc.outR[i] = (Rp * g) * u;
      // 11. (fed in pass 3)
      outMeasureIn[k] = Pair{Finite(Lp), Finite(Rp)};
      outMeasureGain[k] = g * u;
      // 14.
      if (!read)
      {
        lastGainX = ringGain.Push(gLin);
        rideFlag = static_cast<int32_t>(ringRide.Push(static_cast<double>(rideFlag)));
      }
      else
      {
        rideFlag = 0;
      }
    }

    // Pass 3: output measure (step 11). The cut filters never touch the
    // audio output itself.
    for (int32_t k = 0; k < n; ++k)
    {
      Pair o = outMeasureIn[k];
      if (filterOn)
        o = outLP.Tick(outHP.Tick(o));
      // (oL·(g·u), (g·u)·oR): the product commutes exactly.
      output.Feed(o * outMeasureGain[k]);
    }
  }

  groupD.Finish();
  groupE.Finish();
  if (sideIsMain && filterOn)
  {
    sideHP = mainHP;
    sideLP = mainLP;
  }
  mainHP.Store(f[S::kMainHighPassL], f[S::kMainHighPassR]);
  mainLP.Store(f[S::kMainLowPassL], f[S::kMainLowPassR]);
  sideHP.Store(f[S::kSideHighPassL], f[S::kSideHighPassR]);
  sideLP.Store(f[S::kSideLowPassL], f[S::kSideLowPassR]);
  outHP.Store(f[S::kOutHighPassL], f[S::kOutHighPassR]);
  outLP.Store(f[S::kOutLowPassL], f[S::kOutLowPassR]);
  main.Store();
  side.Store();
  output.Store();
  delayed.Store();
  noise.Store();

  // Inputs near the largest double can overflow a section's filters or power
  // even though they are finite; such a section would read silence for the
  // rest of the session. It starts afresh instead (never on real audio).
  for (DetectorSection& sec : s.sections)
    if (!std::isfinite(sec.power) || !std::isfinite(sec.stages[1].y1) || !std::isfinite(sec.stages[3].y1))
      [[unlikely]] ResetDetectorSection(sec);
  if (!std::isfinite(smoothed)) [[unlikely]]
    smoothed = 0.0;
  if (!std::isfinite(needed)) [[unlikely]]
    needed = 0.0;

  s.smoothedGainDb = smoothed;
  s.neededGainDb = needed;
  s.targetGainDb = targetGain;
  s.rideFlag = rideFlag;
  s.lastGainRingOutput = lastGainX;
  // 13.
  s.outputLevelDb = DetectorLevelDb(s.sections[S::kOutput]);
  s.inputLevelDb = DetectorLevelDb(s.sections[S::kDelayedDetection]);
  // 14. Idle and Write: the current gain is the dB of the gain ring's last
  // result; Read keeps the host's value.
  if (!read)
    s.currentGainDb.store(LevelOfMeasure(lastGainX), std::memory_order_relaxed);
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
