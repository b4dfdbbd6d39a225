// Internal to the riding engine: where each detector section is computed
// in a block, and the signals of one chunk of it.
//
// The five sections often compute the same thing: with no pre-delay the
// delayed section is fed what the main section (or the side-chain section)
// is fed, in the same state, and in Internal mode the side-chain section
// is the main one. A section whose input, mode, coefficients and state are
// bit for bit another's is computed once and copied at the block's end;
// sections that share only the input and the K-weighting share one weighting
// and sit on the two lanes of one power vector. The results are those of
// feeding every section on its own: the same operations on the same values.
//
// Where a section goes (a "unit"):
// - D1 and D2 (detection): the sections whose measure the gain reads at
//   every sample (the gate, the main and in SideChain2 the side-chain
//   section), fed from the detection signals d and e, with the sections
//   that share their weighting.
// - O1 and O2 (deferred): the output section, and the sections read only
//   at the block's end (delayed, noise when it does not gate), fed after
//   the chunk's gain (O1 in the same loop as the next chunk's detection
//   where four-double vectors allow it, RideWideKernel.h).
// - Anything else (a mode without K-weighting, a third weighting that must
//   be read at every sample) is fed on its own, sample by sample ("extras").
//
// Everything lives in the engine, sized once; nothing is allocated.
#pragma once

#include <cmath>
#include <cstdint>

#include "dsp/DetectorSection.h"
#include "dsp/PairKernels.h"

namespace ride_detail
{
// Samples per chunk: the block goes in chunks, so that each loop runs one
// kind of work (biquads, or the logarithm and exponential calls) and carries
// only its own state.
constexpr int32_t kChunk = 64;
constexpr int32_t kSections = 5;  // in the order of RideEngineState::ESection

// What feeds a section.
enum Source : int8_t
{
  kNotFed,         // a detection mode outside Internal, SideChain1 and 2
  kSourceD,        // the main detection signal
  kSourceE,        // the side-chain detection signal (when it differs from d)
  kSourceDelayed,  // the detection signal through the pre-delay rings
  kSourceOutput,   // the output audio times gain and volume
};

enum UnitIndex : int8_t
{
  kUnitD1, kUnitD2, kUnitO1, kUnitO2, kNumUnits
};

// A K-weighting fed one input, and the power of up to two sections that
// share it, one per lane (a section's halving is its lane's scale of 0.5).
struct WeightUnit
{
  PairK stage1, stage2;
  Pair power{}, peak{}, lastPower{}, coefficient{}, scale{1.0, 1.0};
  int8_t section[2] = {-1, -1};
  Source source = kNotFed;

  bool Used() const { return section[0] >= 0; }

  // ProcessDetectorSample's steps 3 to 5 for both lanes; returns the power.
  Pair Step(Pair in)
  {
    const Pair k = stage2.Tick(stage1.Tick(in));
    const Pair sq = k * k;
    const Pair p = Splat(sq[0] + sq[1]) * scale;
    lastPower = p;
    power = (power - p) * coefficient + p;
    peak = MaxOf(power, peak);
    return power;
  }
};

// One chunk's signals (n samples, n ≤ kChunk).
struct ChunkSignals
{
  Pair d[kChunk];
  Pair e[kChunk];
  Pair f[kChunk];
  Pair o[kChunk];  // the output section's input
  Pair power[2][kChunk];  // the power of D1 and D2 after each sample, per lane
  Pair extraMeasure[kSections][kChunk];
  double mainL[kChunk], mainR[kChunk];  // the audio through the pre-delay rings
  const double* audioL = nullptr;       // the delayed audio: mainL, or the input itself without delay
  const double* audioR = nullptr;
  double gain[kChunk];                  // g
  double measure[3][kChunk];            // what the gain reads: gate, main, side-chain
  double smoothed[kChunk];
  double gainVolume[kChunk];            // g × u
  double gainLinear[kChunk];            // for the gain ring
  double ride[kChunk];                  // for the ride ring
  double ringOut[kChunk];               // what the gain and ride rings give
  int32_t n = 0;

  const Pair* SourceArray(Source s) const
  {
    return s == kSourceD ? d : s == kSourceE ? e : s == kSourceDelayed ? f : o;
  }
};

// A measure read at every sample of a chunk: p[k × stride], or for a power
// sqrt(p[k × stride]) × gain (as PairSection::Measure).
struct MeasureRef
{
  const double* p = nullptr;
  int32_t stride = 0;
  bool fromPower = false;
  double gain = 1.0;
  double At(int32_t k) const { return fromPower ? std::sqrt(p[k * stride]) * gain : p[k * stride]; }
};

struct SectionPlan
{
  PairSection sections[kSections];
  Source source[kSections];
  bool live[kSections];
  int8_t copyOf[kSections];  // the section computed for this one, or -1
  int8_t unit[kSections];    // its unit, or -1
  int8_t lane[kSections];
  bool isExtra[kSections];
  int8_t extraSlot[kSections];  // its place among the extras (and their measures), or -1
  int8_t extras[kSections];
  int32_t nExtras = 0;
  WeightUnit units[kNumUnits];
  double constantMeasure[kSections];  // of sections not fed
  bool computeE = false;  // the side-chain signal is computed (its filters run)

  // Loads the sections of s and decides where each is computed. mode is the
  // detection mode; sideIsMain when e is d bit for bit; delayedThroughRings
  // when the delayed section is fed through the rings (a pre-delay);
  // filterOn when the cut filters run; live[k] when the gain reads section
  // k at every sample.
  void Build(DetectorSection* s, int32_t mode, bool sideIsMain, bool delayedThroughRings, bool filterOn,
             const bool (&liveSections)[kSections]);
  // Feeds the extras fed from chunk c's detection signals (det) and the
  // output extras from the previous chunk (out, may be null).
  void FeedExtras(ChunkSignals* det, ChunkSignals* out);
  // Where section k's measure is for chunk c; empty (null) for a section
  // that is not read at every sample.
  MeasureRef MeasureOf(int32_t k, const ChunkSignals& c) const;
  // Writes everything back to the sections.
  void Store();

private:
  void Place(int8_t k, bool secondDetectionSignal);
};

// What block processing works in: allocated with the engine.
struct ProcessScratch
{
  SectionPlan plan;
  ChunkSignals chunks[2];  // this chunk's and the previous one's
};
}  // namespace ride_detail
