// Internal to the riding engine: the detection of one chunk and the output
// measure of the previous one in a single loop of four-double vectors
// (main left and right, output left and right), where the processor has
// them. The two halves share no data, and each lane does exactly the
// operations of RunDetection and RunOutput, so the results are bit for bit
// theirs; one loop carries both chains of biquads at once.
//
// It covers the usual settings: one detection unit (D1) fed d, the output
// unit (O1), no side-chain signal and no second units. Anything else runs
// the two-double loops.
#pragma once

#include <cstdint>

#include "dsp/RideChunkKernel.h"

namespace ride_detail
{
// Whether the processor has four-double vectors (checked once).
bool WideVectorsAvailable();

// Whether a block with this plan can run the four-double loop.
inline bool PlanRunsWide(const SectionPlan& plan)
{
  return !plan.computeE && !plan.units[kUnitD2].Used() && !plan.units[kUnitO2].Used() && WideVectorsAvailable();
}

// RunDetection for samples 0 to nDet of det (from in) and RunOutput for
// out, the samples both have in one four-double loop, the rest in the
// two-double loops.
void RunDetectionAndOutputWide(bool filterOn, CutFilters& filters, WeightUnit (&units)[kNumUnits],
                               const ChunkInputs& in, ChunkSignals& det, int32_t nDet, ChunkSignals& out);
}  // namespace ride_detail
