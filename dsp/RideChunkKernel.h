// Internal to the riding engine: the loops over a chunk that run the
// biquads: the detection (the cut filters, the units D1 and D2) and the
// output measure (the output cut filters, the units O1 and O2).
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

// Steps 1-3 for samples first to n of a chunk from in: the detection signals d
// (and e) into c, and the units D1 (and D2) with their power after each
// sample. kFilter: the cut filters run; kSide: e is computed; kD2: D2 is
// used. Only what the variant uses is copied in and out.
template <bool kFilter, bool kSide, bool kD2>
void RunDetection(CutFilters& filters, WeightUnit (&units)[kNumUnits], const ChunkInputs& in, ChunkSignals& c,
                  int32_t first, int32_t n)
{
  PairCut mainHP, mainLP, sideHP, sideLP;
  if constexpr (kFilter)
  {
    mainHP = filters.mainHP;
    mainLP = filters.mainLP;
    if constexpr (kSide)
    {
      sideHP = filters.sideHP;
      sideLP = filters.sideLP;
    }
  }
  WeightUnit d1 = units[kUnitD1];
  WeightUnit d2;
  if constexpr (kD2)
    d2 = units[kUnitD2];
  // The cut filters run over the chunk first, in a loop of their own: one
  // loop carrying four biquads and the power in a row is a longer chain
  // than the processor can overlap from one sample to the next.
  if constexpr (kFilter)
    for (int32_t k = first; k < n; ++k)
    {
      c.d[k] = mainLP.Tick(mainHP.Tick(FiniteOrZero(Pair{in.mainL[k], in.mainR[k]})));
      if constexpr (kSide)
        c.e[k] = sideLP.Tick(sideHP.Tick(FiniteOrZero(Pair{in.sideL[k], in.sideR[k]})));
    }
  for (int32_t k = first; k < n; ++k)
  {
    Pair d;
    if constexpr (kFilter)
      d = c.d[k];
    else
      c.d[k] = d = FiniteOrZero(Pair{in.mainL[k], in.mainR[k]});
    c.power[0][k] = d1.Step(d);
    Pair e = d;
    if constexpr (kSide)
    {
      if constexpr (kFilter)
        e = c.e[k];
      else
        c.e[k] = e = FiniteOrZero(Pair{in.sideL[k], in.sideR[k]});
    }
    if constexpr (kD2)
      c.power[1][k] = d2.Step(e);
  }
  if constexpr (kFilter)
  {
    filters.mainHP = mainHP;
    filters.mainLP = mainLP;
    if constexpr (kSide)
    {
      filters.sideHP = sideHP;
      filters.sideLP = sideLP;
    }
  }
  units[kUnitD1] = d1;
  if constexpr (kD2)
    units[kUnitD2] = d2;
}

// Step 11 for a chunk from sample first: the output audio's measure input (cut filters,
// times g × u) into c.o, the unit O1 fed it, and O2 fed o2Source.
template <bool kFilter, bool kO2>
void RunOutput(CutFilters& filters, WeightUnit (&units)[kNumUnits], ChunkSignals& c, const Pair* o2Source,
               int32_t first)
{
  PairCut outHP, outLP;
  if constexpr (kFilter)
  {
    outHP = filters.outHP;
    outLP = filters.outLP;
  }
  WeightUnit o1 = units[kUnitO1];
  WeightUnit o2;
  if constexpr (kO2)
    o2 = units[kUnitO2];
  // (oL·(g·u), oR·(g·u)): the product the section is fed. The cut filters
  // run in a loop of their own, as in RunDetection.
  if constexpr (kFilter)
    for (int32_t k = first; k < c.n; ++k)
      c.o[k] = outLP.Tick(outHP.Tick(FiniteOrZero(Pair{c.audioL[k], c.audioR[k]}))) * Splat(c.gainVolume[k]);
  for (int32_t k = first; k < c.n; ++k)
  {
    Pair o;
    if constexpr (kFilter)
      o = c.o[k];
    else
      c.o[k] = o = FiniteOrZero(Pair{c.audioL[k], c.audioR[k]}) * Splat(c.gainVolume[k]);
    o1.Step(o);
    if constexpr (kO2)
      o2.Step(o2Source[k]);
  }
  if constexpr (kFilter)
  {
    filters.outHP = outHP;
    filters.outLP = outLP;
  }
  units[kUnitO1] = o1;
  if constexpr (kO2)
    units[kUnitO2] = o2;
}

using RunDetectionFunction = void (*)(CutFilters&, WeightUnit (&)[kNumUnits], const ChunkInputs&, ChunkSignals&,
                                      int32_t, int32_t);
using RunOutputFunction = void (*)(CutFilters&, WeightUnit (&)[kNumUnits], ChunkSignals&, const Pair*, int32_t);

// The variants for the settings.
inline RunDetectionFunction DetectionVariant(bool filter, bool side, bool d2)
{
  static constexpr RunDetectionFunction kVariants[8] = {
      RunDetection<false, false, false>, RunDetection<false, false, true>, RunDetection<false, true, false>,
      RunDetection<false, true, true>,   RunDetection<true, false, false>, RunDetection<true, false, true>,
      RunDetection<true, true, false>,   RunDetection<true, true, true>,
  };
  return kVariants[(filter ? 4 : 0) | (side ? 2 : 0) | (d2 ? 1 : 0)];
}

inline RunOutputFunction OutputVariant(bool filter, bool o2)
{
  static constexpr RunOutputFunction kVariants[4] = {RunOutput<false, false>, RunOutput<false, true>,
                                                     RunOutput<true, false>, RunOutput<true, true>};
  return kVariants[(filter ? 2 : 0) | (o2 ? 1 : 0)];
}
}  // namespace ride_detail
