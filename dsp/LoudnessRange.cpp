#include "dsp/LoudnessRange.h"

#include <cmath>

#include "dsp/LoudnessUnits.h"

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
  mValues.Add(LatestLufs, energy);
  ++Count;
  MeanLufs = loudness::OfMeanSquare(Sum / static_cast<double>(Count));

  RelativeThresholdLufs = MeanLufs + RelativeGate;
  GatedCount = mValues.AtOrAbove(RelativeThresholdLufs).count;
  LowLufs = mValues.LoudnessAtRank(RelativeThresholdLufs, PercentileIndex(GatedCount, LowPercentile));
  HighLufs = mValues.LoudnessAtRank(RelativeThresholdLufs, PercentileIndex(GatedCount, HighPercentile));
  Range = HighLufs - LowLufs;
}
