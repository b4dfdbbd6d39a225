#include "dsp/LoudnessRange.h"

#include <algorithm>
#include <cmath>

#include "dsp/LoudnessUnits.h"

LoudnessRange::LoudnessRange() : mSorted(static_cast<size_t>(kStoreCapacity), 0.0)
{
  Clear();
}

void LoudnessRange::Clear()
{
  mValues.Clear();
  Range = 0.0;
  Sum = 0.0;
  Count = 0;
  LatestLufs = loudness::kSilenceLufs;
  RelativeThresholdLufs = loudness::kSilenceLufs;
  MeanLufs = loudness::kSilenceLufs;
  LowLufs = loudness::kSilenceLufs;
  HighLufs = loudness::kSilenceLufs;
  GatedCount = 0;
}

int64_t LoudnessRange::PercentileIndex(int64_t m, double percentile)
{
  return static_cast<int64_t>(std::floor(static_cast<double>(m - 1) * percentile / 100.0 + 0.5));
}

void LoudnessRange::AddBlock(double energy)
{
  LatestLufs = loudness::OfMeanSquare(energy);
  // A value below the absolute gate changes nothing that the range depends on.
  if (!(LatestLufs >= AbsoluteGate))
    return;
  Sum += energy;
  if (Count < kStoreCapacity)
    Store(LatestLufs);
  mValues.Add(LatestLufs, energy);
  ++Count;
  MeanLufs = loudness::OfMeanSquare(Sum / static_cast<double>(Count));

  RelativeThresholdLufs = MeanLufs + RelativeGate;
  if (Count <= kStoreCapacity)
    RangeOfStore();
  else
    RangeOfHistogram();
  Range = HighLufs - LowLufs;
}

void LoudnessRange::Store(double lufs)
{
  // At most one value per second: moving the louder ones up costs little.
  const auto end = mSorted.begin() + static_cast<std::ptrdiff_t>(Count);
  const auto at = std::upper_bound(mSorted.begin(), end, lufs);
  std::copy_backward(at, end, end + 1);
  *at = lufs;
}

void LoudnessRange::RangeOfStore()
{
  // The values at or above the threshold are the top of the sorted store,
  // already in the ascending order the percentiles are read from.
  const auto end = mSorted.begin() + static_cast<std::ptrdiff_t>(Count);
  const auto first = std::lower_bound(mSorted.begin(), end, RelativeThresholdLufs);
  GatedCount = end - first;
  if (GatedCount == 0)
    return; // cannot happen for finite values: the loudest is above the mean
  LowLufs = first[PercentileIndex(GatedCount, LowPercentile)];
  HighLufs = first[PercentileIndex(GatedCount, HighPercentile)];
}

void LoudnessRange::RangeOfHistogram()
{
  GatedCount = mValues.AtOrAbove(RelativeThresholdLufs).count;
  LowLufs = mValues.LoudnessAtRank(RelativeThresholdLufs, PercentileIndex(GatedCount, LowPercentile));
  HighLufs = mValues.LoudnessAtRank(RelativeThresholdLufs, PercentileIndex(GatedCount, HighPercentile));
}
