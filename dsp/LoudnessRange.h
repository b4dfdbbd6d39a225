// Loudness range: the spread between the 10th and the 95th percentile of the
// short-term loudness values that pass an absolute gate at -70 LUFS and a
// relative gate 20 LU below their mean.
//
// The first hour of values that pass the absolute gate (3600 of them) is
// kept sorted by loudness, so the gate and the percentiles of any programme
// up to an hour are exactly those of a direct computation over its values.
// Every value also enters a LoudnessHistogram, which takes over once the
// store is full: percentiles then come from counting in 0.01 LU bins, so the
// cost per value stays O(log bins) however long the programme runs. Owned by
// CMEBUR128; whichever thread owns the meter calls it. Only the constructor
// allocates.
#pragma once

#include <cstdint>
#include <vector>

#include "dsp/LoudnessHistogram.h"

class LoudnessRange
{
public:
  // Values kept exactly: one hour at one value per second.
  static constexpr int64_t kStoreCapacity = 3600;

  LoudnessRange();

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
  // Inserts a loudness value into the sorted store.
  void Store(double lufs);
  // The gate and the percentiles over the sorted store, or over the
  // histogram once the store has overflowed.
  void RangeOfStore();
  void RangeOfHistogram();

  // The first kStoreCapacity values above the absolute gate, by ascending
  // loudness.
  std::vector<double> mSorted;
  LoudnessHistogram mValues;
};
