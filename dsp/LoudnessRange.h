// Loudness range: the spread between the 10th and the 95th percentile of the
// short-term loudness values that pass an absolute gate at -70 LUFS and a
// relative gate 20 LU below their mean.
//
// Every value that passes the absolute gate is kept for as long as the meter
// runs (in a LoudnessHistogram): percentiles come from counting, not from
// sorting, so the cost per value stays O(log bins) whatever the order of the
// values (a long fade costs no more than any other programme). Owned by
// CMEBUR128; whichever thread owns the meter calls it. Only the constructor
// allocates.
#pragma once

#include <cstdint>

#include "dsp/LoudnessHistogram.h"

class LoudnessRange
{
public:
  LoudnessRange() { Clear(); }

  // Forgets every value; the range returns to 0.0.
  void Clear();
  // Adds one short-term energy (a channel-weighted mean square) and
  // recomputes the range.
  void AddBlock(double energy);

  double Range = 0.0;
  // Sum of the energies and number of the values above the absolute gate.
  double Sum = 0.0;
  int64_t Count = 0;
  double AbsoluteGate = -70.0;
  double RelativeGate = -20.0;
  double LowPercentile = 10.0;
  double HighPercentile = 95.0;
  double LatestLufs = -144.0;
  double RelativeThresholdLufs = -144.0;
  double MeanLufs = -144.0;
  double LowLufs = -144.0;
  double HighLufs = -144.0;
  // Number of values above both gates.
  int64_t GatedCount = 0;

private:
  // Index of percentile p among m sorted values: trunc(floor((m − 1)·p/100 + 0.5)).
  static int64_t PercentileIndex(int64_t m, double percentile);

  LoudnessHistogram mValues;
};
