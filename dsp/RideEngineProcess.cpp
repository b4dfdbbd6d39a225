// Block processing: RideEngineProcess, the audio thread's side of the
// riding engine. Nothing here allocates, locks or logs; the work space is
// the engine's, sized at construction.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "dsp/BufferHelpers.h"
#include "dsp/GainExp.h"
#include "dsp/PairKernels.h"
#include "dsp/RideChunkKernel.h"
#include "dsp/RideEngine.h"
#include "dsp/RideSectionPlan.h"
#include "dsp/RideWideKernel.h"

namespace
{
using S = RideEngineState;

// What the gain loop reads of the settings (constant within a block).
struct GainSettings
{
  bool read, ab, hold, gateIsMain, sideLevel;
  double openAt, target, idle, rangeMin, rangeMax, c, u, hostGainDb;
};

struct GainState
{
  double smoothed, needed, targetGain;
};

// The measures a chunk's gain reads, into out: a loop per kind of measure
// rather than a test per sample.
void ReadMeasures(const ride_detail::MeasureRef& r, double* out, int32_t n)
{
  using ride_detail::Pair;
  if (r.fromPower)
  {
    // Two square roots to an instruction.
    const double* p = r.p;
    const ptrdiff_t stride = r.stride;
    const Pair gain{r.gain, r.gain};
    int32_t k = 0;
    for (; k + 1 < n; k += 2)
    {
      const Pair m = ride_detail::SqrtOf(Pair{p[k * stride], p[(k + 1) * stride]}) * gain;
      out[k] = m[0];
      out[k + 1] = m[1];
    }
    for (; k < n; ++k)
      out[k] = std::sqrt(p[k * stride]) * r.gain;
  }
  else
    for (int32_t k = 0; k < n; ++k)
      out[k] = r.p[k * r.stride];
}

// std::min(std::max(x, lo), hi), with the same results (NaN and signed
// zeros included), written out: on references the compiler takes the
// operands through memory, in the loop that carries the smoothing.
inline double Clamp(double x, double lo, double hi)
{
  const double atLeastLo = x < lo ? lo : x;
  return hi < atLeastLo ? hi : atLeastLo;
}

// Steps 4-7 for a chunk: the gate, the needed gain and its smoothing. The
// loop around the logarithm carries the smoothing's recurrence, so that the
// two overlap; the variants keep the settings' tests out of it.
template <bool kGateIsMain, bool kSideLevel>
void SmoothChunk(const GainSettings& g, GainState& st, ride_detail::ChunkSignals& c)
{
  const double* const gate = c.measure[0];
  const double* const main = c.measure[1];
  const double* const side = c.measure[2];
  const double openAt = g.openAt, target = g.target, lo = g.rangeMin, hi = g.rangeMax, coefficient = g.c;
  const double idleOrHeld = g.idle;
  const bool hold = g.hold;
  double needed = st.needed;
  double smoothed = st.smoothed;
  double v = st.targetGain;
  for (int32_t k = 0; k < c.n; ++k)
  {
    // 4. Gate: closed when noise level > round1(Level(gate)).
    const double gateLevel = LevelOfMeasure(gate[k]);
    if (gateLevel * 10.0 + 0.5 >= openAt)
    {
      // 5. Open. 6. Range max wins when the range is inverted.
      c.ride[k] = 1.0;
      const double mainLevel = kGateIsMain ? gateLevel : LevelOfMeasure(main[k]);
      const double R = kSideLevel ? LevelOfMeasure(side[k]) : target;
      needed = R - mainLevel;
      v = Clamp(needed, lo, hi);
    }
    else
    {
      // Idle gain unclamped.
      c.ride[k] = 0.0;
      v = hold ? Clamp(needed, lo, hi) : idleOrHeld;
    }
    // 7.
    smoothed = (smoothed - v) * coefficient + v;
    c.smoothed[k] = smoothed;
  }
  st = GainState{smoothed, needed, v};
}

// Steps 4-9 for a chunk: the gain g of each sample, with g × u for the
// output measure, and the linear gain and the ride flag for the rings.
void GainChunk(const GainSettings& g, GainState& st, AutomationSmoother& automation,
               const ride_detail::MeasureRef (&reads)[3], ride_detail::ChunkSignals& c)
{
  const int32_t n = c.n;
  ReadMeasures(reads[0], c.measure[0], n);
  if (!g.gateIsMain)
    ReadMeasures(reads[1], c.measure[1], n);
  if (g.sideLevel)
    ReadMeasures(reads[2], c.measure[2], n);
  if (g.gateIsMain)
    g.sideLevel ? SmoothChunk<true, true>(g, st, c) : SmoothChunk<true, false>(g, st, c);
  else
    g.sideLevel ? SmoothChunk<false, true>(g, st, c) : SmoothChunk<false, false>(g, st, c);
  // 9.
  const double u = g.u;
  if (!g.read)
    ride_detail::GainDbToLinearBlock(c.smoothed, c.gainLinear, n);
  if (!g.read && !g.ab)
  {
    for (int32_t k = 0; k < n; ++k)
    {
      c.gain[k] = c.gainLinear[k];
      c.gainVolume[k] = c.gainLinear[k] * u;
    }
    return;
  }
  for (int32_t k = 0; k < n; ++k)
  {
    c.gain[k] = g.ab ? 1.0 : automation.Process(g.hostGainDb);
    c.gainVolume[k] = c.gain[k] * u;
  }
}

// Step 10 for a chunk. Both inputs are read before either output is
// written: in place, the outputs may be the inputs (both one buffer in mono).
void WriteAudio(const ride_detail::ChunkSignals& c, double u, double* outL, double* outR)
{
  for (int32_t k = 0; k < c.n; ++k)
  {
    const double l = c.audioL[k], r = c.audioR[k];
    outL[k] = (l * c.gain[k]) * u;
    outR[k] = (r * c.gain[k]) * u;
  }
}

// What the ring gives last for n values (Push on each, in order).
double PushBlockLast(DelayRing& ring, const double* in, double* scratch, int32_t n)
{
  if (ring.delayLength == 0)
    return in[n - 1];
  ring.PushBlock(in, 1, scratch, 1, n);
  return scratch[n - 1];
}

}  // namespace

// --- RideEngineProcess -------------------------------------------------------

void RideEngine::RideEngineProcess(double** inputs, double** outputs, int32_t frames, int32_t connectedInputs,
                                   int32_t connectedOutputs)
{
  using namespace ride_detail;

  S& s = mState;
  if (frames < 1 || inputs == nullptr || outputs == nullptr)
    return;
  const int32_t mode = s.detectionMode;
  const RoutedChannels rc = RouteChannels(inputs, connectedInputs, outputs, connectedOutputs, mode >= 1);
  if (!rc.mainL || !rc.mainR || !rc.sideL || !rc.sideR || !rc.outL || !rc.outR)
    return;

  // The cut filters, left and right side by side, for this block.
  FilterStage* const f = s.filters;
  CutFilters cut;
  cut.mainHP.Load(f[S::kMainHighPassL], f[S::kMainHighPassR]);
  cut.mainLP.Load(f[S::kMainLowPassL], f[S::kMainLowPassR]);
  cut.sideHP.Load(f[S::kSideHighPassL], f[S::kSideHighPassR]);
  cut.sideLP.Load(f[S::kSideLowPassL], f[S::kSideLowPassR]);
  cut.outHP.Load(f[S::kOutHighPassL], f[S::kOutHighPassR]);
  cut.outLP.Load(f[S::kOutLowPassL], f[S::kOutLowPassR]);

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
  const int32_t gateIndex =
      s.noiseDetection != 0 ? S::kNoise : (mode == 1 ? S::kSideChainDetection : S::kMainDetection);
  // u = e^(0.11512925464970228 × volume) (0 at or below -144 dB): the same
  // for every sample while the volume stays.
  if (s.volumeDb != s.cachedVolumeDb)
  {
    s.cachedVolumeDb = s.volumeDb;
    s.cachedVolumeFactor = DbToLinear(s.volumeDb);
  }
  GainSettings gs;
  gs.read = read;
  gs.ab = s.ab != 0;
  gs.hold = s.gainHold == 1;
  gs.gateIsMain = gateIndex == S::kMainDetection;
  gs.sideLevel = mode == 2;
  gs.openAt = RoundedLevelThreshold(s.noiseLevelDb);
  gs.target = s.targetLevelDb;
  gs.idle = s.idleGainDb;
  gs.rangeMin = s.rangeMinDb;
  gs.rangeMax = s.rangeMaxDb;
  gs.c = s.gainCoefficient;
  gs.u = s.cachedVolumeFactor;
  gs.hostGainDb = s.currentGainDb.load(std::memory_order_relaxed);
  GainState gain{s.smoothedGainDb, s.neededGainDb, s.targetGainDb};
  int32_t rideFlag = s.rideFlag;
  double lastGainX = s.lastGainRingOutput;

  // When the side-chain reads the main inputs and its cut filters are bit
  // for bit the main ones (the usual case in Internal), e is d: computed
  // once, exactly.
  const bool sideIsMain = rc.sideL == rc.mainL && rc.sideR == rc.mainR &&
                          (!filterOn || (std::memcmp(&cut.sideHP, &cut.mainHP, sizeof(PairCut)) == 0 &&
                                         std::memcmp(&cut.sideLP, &cut.mainLP, sizeof(PairCut)) == 0));
  // With no pre-delay the rings give back what they are given: the delayed
  // section is fed the detection signal itself.
  const bool ringsFeedDelayed =
      mode >= 0 && mode <= 2 && !(ringDetL.delayLength == 0 && ringDetR.delayLength == 0);
  bool live[kSections] = {};
  live[gateIndex] = true;
  live[S::kMainDetection] = true;
  if (mode == 2)
    live[S::kSideChainDetection] = true;
  SectionPlan& plan = mScratch->plan;
  plan.Build(s.sections, mode, sideIsMain, ringsFeedDelayed, filterOn, live);
  WeightUnit& o2 = plan.units[kUnitO2];
  const RunDetectionFunction runDetection = DetectionVariant(filterOn, plan.computeE, plan.units[kUnitD2].Used());
  const RunOutputFunction runOutput = OutputVariant(filterOn, o2.Used());
  const Source ringSource = mode == 0 || !plan.computeE ? kSourceD : kSourceE;

  // The block goes in chunks: a chunk's detection (steps 1-3 and 12), its
  // gain (steps 4-9 and 14), its output measure (step 11) and its audio
  // (steps 8 and 10). Every section, filter and ring still sees its samples
  // in order, with the values of the plain per-sample order, so the results
  // are bit for bit the same.
  // A chunk's output measure and audio wait for the next chunk's detection,
  // so that where the processor has four-double vectors one loop runs both.
  const bool wide = PlanRunsWide(plan);
  ChunkSignals* cur = &mScratch->chunks[0];
  ChunkSignals* prev = nullptr;
  int32_t prevBase = 0;
  const auto finishPrevious = [&](const ChunkInputs* in, int32_t nDet) {
    // 1.-3. of this chunk (in), 11. of the previous one. The cut filters
    // never touch the audio output itself.
    if (in && prev && wide)
      RunDetectionAndOutputWide(filterOn, cut, plan.units, *in, *cur, nDet, *prev);
    else
    {
      if (in)
        runDetection(cut, plan.units, *in, *cur, 0, nDet);
      if (prev)
        runOutput(cut, plan.units, *prev, prev->SourceArray(o2.source), 0);
    }
    if (prev)
    {
      plan.FeedExtras(nullptr, prev);
      // 10.
      WriteAudio(*prev, gs.u, rc.outL + prevBase, rc.outR + prevBase);
    }
  };
  for (int32_t base = 0; base < frames; base += kChunk)
  {
    const int32_t n = std::min(kChunk, frames - base);
    ChunkSignals& c = *cur;
    c.n = n;
    // (2. Detection treats non-finite samples as silence, so that one bad
    // sample cannot silence the rider for good; the audio path passes them
    // through.)
    const ChunkInputs in{rc.mainL + base, rc.mainR + base, rc.sideL + base, rc.sideR + base};
    finishPrevious(&in, n);
    // 12.
    if (ringsFeedDelayed)
    {
      const double* src = reinterpret_cast<const double*>(c.SourceArray(ringSource));
      double* dst = reinterpret_cast<double*>(c.f);
      ringDetL.PushBlock(src, 2, dst, 2, n);
      ringDetR.PushBlock(src + 1, 2, dst + 1, 2, n);
    }
    plan.FeedExtras(&c, nullptr);
    // 4.-9.
    const MeasureRef reads[3] = {plan.MeasureOf(gateIndex, c),
                                 gs.gateIsMain ? MeasureRef{} : plan.MeasureOf(S::kMainDetection, c),
                                 gs.sideLevel ? plan.MeasureOf(S::kSideChainDetection, c) : MeasureRef{}};
    GainChunk(gs, gain, s.automation, reads, c);
    // 14.
    if (!read)
    {
      lastGainX = PushBlockLast(ringGain, c.gainLinear, c.ringOut, n);
      rideFlag = static_cast<int32_t>(PushBlockLast(ringRide, c.ride, c.ringOut, n));
    }
    else
    {
      rideFlag = 0;
    }
    // 8. Without a pre-delay the audio is the input itself: it is read
    // before the output is written (a host may process in place).
    c.audioL = rc.mainL + base;
    c.audioR = rc.mainR + base;
    if (ringMainL.delayLength != 0)
    {
      ringMainL.PushBlock(rc.mainL + base, 1, c.mainL, 1, n);
      c.audioL = c.mainL;
    }
    if (ringMainR.delayLength != 0)
    {
      ringMainR.PushBlock(rc.mainR + base, 1, c.mainR, 1, n);
      c.audioR = c.mainR;
    }
    prev = cur;
    prevBase = base;
    cur = cur == &mScratch->chunks[0] ? &mScratch->chunks[1] : &mScratch->chunks[0];
  }
  finishPrevious(nullptr, 0);

  if (sideIsMain && filterOn)
  {
    cut.sideHP = cut.mainHP;
    cut.sideLP = cut.mainLP;
  }
  cut.mainHP.Store(f[S::kMainHighPassL], f[S::kMainHighPassR]);
  cut.mainLP.Store(f[S::kMainLowPassL], f[S::kMainLowPassR]);
  cut.sideHP.Store(f[S::kSideHighPassL], f[S::kSideHighPassR]);
  cut.sideLP.Store(f[S::kSideLowPassL], f[S::kSideLowPassR]);
  cut.outHP.Store(f[S::kOutHighPassL], f[S::kOutHighPassR]);
  cut.outLP.Store(f[S::kOutLowPassL], f[S::kOutLowPassR]);
  plan.Store();

  // Inputs near the largest double can overflow a section's filters or power
  // even though they are finite; such a section would read silence for the
  // rest of the session. It starts afresh instead (never on real audio).
  for (DetectorSection& sec : s.sections)
    if (!std::isfinite(sec.power) || !std::isfinite(sec.stages[1].y1) || !std::isfinite(sec.stages[3].y1))
      [[unlikely]] ResetDetectorSection(sec);
  double smoothed = gain.smoothed;
  double needed = gain.needed;
  if (!std::isfinite(smoothed)) [[unlikely]]
    smoothed = 0.0;
  if (!std::isfinite(needed)) [[unlikely]]
    needed = 0.0;

  s.smoothedGainDb = smoothed;
  s.neededGainDb = needed;
  s.targetGainDb = gain.targetGain;
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
