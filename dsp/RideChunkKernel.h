// Internal to the riding engine: the loop over a chunk that needs no
// logarithm or exponential. It computes one chunk's detection (the cut
// filters, the units D1 and D2 and their measures) and, in the same loop,
// the previous chunk's output side (the output cut filters and the units O1
// and O2). The two halves have no data in common, so each sample carries
// several independent chains of biquads for the processor to overlap,
// instead of one chain at a time in loops of their own.
//
// Settings pick one of a few compiled variants, so that no sample tests
// them; the state is copied into locals for the loop (registers) and back.
#pragma once

#include <algorithm>
#include <cstdint>

#include "dsp/PairKernels.h"
#include "dsp/RideSectionPlan.h"

namespace ride_detail
{
// The cut filters, left and right side by side.
struct CutFilters
{
  PairCut mainHP, mainLP, sideHP, sideLP, outHP, outLP;
};

// The raw inputs of the detection chunk (at its first sample).
struct ChunkInputs
{
  const double* mainL;
  const double* mainR;
  const double* sideL;
  const double* sideR;
};

// Runs the detection of det (nDet samples from in) and the output side of out
// (nOut samples). kFilter: the cut filters run; kSide: e is computed; kD2,
// kO2: those units are used. o2Source is the O2 unit's input (of out).
template <bool kFilter, bool kSide, bool kD2, bool kO2>
void RunChunk(CutFilters& filters, WeightUnit (&units)[kNumUnits], const ChunkInputs& in, ChunkSignals* det,
              int32_t nDet, ChunkSignals* out, int32_t nOut, const Pair* o2Source)
{
  CutFilters f = filters;
  WeightUnit d1 = units[kUnitD1], d2 = units[kUnitD2], o1 = units[kUnitO1], o2 = units[kUnitO2];

  const auto detect = [&](int32_t k) {
    Pair d = FiniteOrZero(Pair{in.mainL[k], in.mainR[k]});
    if constexpr (kFilter)
      d = f.mainLP.Tick(f.mainHP.Tick(d));
    det->d[k] = d;
    det->measure[0][k] = SqrtOf(d1.Step(d)) * d1.modeGain;
    Pair e = d;
    if constexpr (kSide)
    {
      e = FiniteOrZero(Pair{in.sideL[k], in.sideR[k]});
      if constexpr (kFilter)
        e = f.sideLP.Tick(f.sideHP.Tick(e));
      det->e[k] = e;
    }
    if constexpr (kD2)
      det->measure[1][k] = SqrtOf(d2.Step(e)) * d2.modeGain;
  };
  const auto output = [&](int32_t k) {
    Pair o = FiniteOrZero(Pair{out->mainL[k], out->mainR[k]});
    if constexpr (kFilter)
      o = f.outLP.Tick(f.outHP.Tick(o));
    // (oL·(g·u), oR·(g·u)): the product the section is fed.
    o = o * Splat(out->gainVolume[k]);
    out->o[k] = o;
    o1.Step(o);
    if constexpr (kO2)
      o2.Step(o2Source[k]);
  };

  const int32_t both = std::min(nDet, nOut);
  for (int32_t k = 0; k < both; ++k)
  {
    detect(k);
    output(k);
  }
  for (int32_t k = both; k < nDet; ++k)
    detect(k);
  for (int32_t k = both; k < nOut; ++k)
    output(k);

  filters = f;
  units[kUnitD1] = d1;
  units[kUnitD2] = d2;
  units[kUnitO1] = o1;
  units[kUnitO2] = o2;
}

using RunChunkFunction = void (*)(CutFilters&, WeightUnit (&)[kNumUnits], const ChunkInputs&, ChunkSignals*, int32_t,
                                  ChunkSignals*, int32_t, const Pair*);

// The variant for the settings.
inline RunChunkFunction ChunkVariant(bool filter, bool side, bool d2, bool o2)
{
  static constexpr RunChunkFunction kVariants[16] = {
      RunChunk<false, false, false, false>, RunChunk<false, false, false, true>,
      RunChunk<false, false, true, false>,  RunChunk<false, false, true, true>,
      RunChunk<false, true, false, false>,  RunChunk<false, true, false, true>,
      RunChunk<false, true, true, false>,   RunChunk<false, true, true, true>,
      RunChunk<true, false, false, false>,  RunChunk<true, false, false, true>,
      RunChunk<true, false, true, false>,   RunChunk<true, false, true, true>,
      RunChunk<true, true, false, false>,   RunChunk<true, true, false, true>,
      RunChunk<true, true, true, false>,    RunChunk<true, true, true, true>,
  };
  return kVariants[(filter ? 8 : 0) | (side ? 4 : 0) | (d2 ? 2 : 0) | (o2 ? 1 : 0)];
}
}  // namespace ride_detail
