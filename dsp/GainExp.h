// The riding engine's dB-to-linear gain, two values to an instruction.
//
// The gain of every sample is e^(0.11512925464970228 × dB); the C library's
// exp costs more than the rest of a sample's gain. This one reduces the
// argument by ln 2 (in two parts, so that n·ln 2 is exact) and evaluates a
// degree-12 polynomial in Estrin's order, whose short dependency chains let
// neighbouring samples overlap. It is within a few units in the last place
// of std::exp (relative error below 1e-15), far inside what a gain needs.
//
// Every lane does the same operations, and a single value is computed as a
// pair, so a gain has the same bits whether it comes alone or in a block,
// at any position: results never depend on how a host cuts its blocks.
#pragma once

#include <cstdint>

#include "dsp/PairKernels.h"

namespace ride_detail
{
// e^x per lane for |x| ≤ 700; other lanes (and NaN) go through std::exp.
Pair ExpOf(Pair x);

// DbToLinear on each lane, with ExpOf: 0.0 at or below -144 dB.
Pair GainDbToLinear(Pair db);

// One value: lane 0 of the pair (db, db), the same bits as in a block.
double GainDbToLinear(double db);

// out[k] = GainDbToLinear(db[k]) for k < n.
void GainDbToLinearBlock(const double* db, double* out, int32_t n);
}  // namespace ride_detail
