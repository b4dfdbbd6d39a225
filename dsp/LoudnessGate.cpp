#include "dsp/LoudnessGate.h"

#include <algorithm>

#include "dsp/LoudnessUnits.h"

namespace
{
constexpr double kNoBlockLufs = -141.0;
}

LoudnessGate::LoudnessGate()
  : mEnergies(static_cast<size_t>(kStoreCapacity), 0.0),
    mLoudness(static_cast<size_t>(kStoreCapacity), 0.0),
    mSortedLoudness(static_cast<size_t>(kStoreCapacity), 0.0)
{
  Clear();
}

void LoudnessGate::Clear()
{
  mBlocks.Clear();
  mKept = {};
  Sum = 0.0;
  Count = 0;
  AbsoluteGatedLufs = kNoBlockLufs;
  IntegratedLufs = kNoBlockLufs;
}

LoudnessHistogram::Totals LoudnessGate::StoredAtOrAbove(double threshold) const
{
  LoudnessHistogram::Totals totals;
  const size_t stored = static_cast<size_t>(Count);
  for (size_t i = 0; i < stored; ++i)
  {
    if (mLoudness[i] >= threshold)
    {
      totals.energy += mEnergies[i];
      ++totals.count;
    }
  }
  return totals;
}

LoudnessHistogram::Totals LoudnessGate::GateStored(double threshold, bool added, double newestLufs,
                                                   double newestEnergy)
{
  // Blocks at or above a threshold are the top of the sorted values, so two
  // thresholds keep the same earlier blocks exactly when they keep as many.
  const auto end = mSortedLoudness.begin() + static_cast<std::ptrdiff_t>(Count);
  const int64_t atOrAbove = end - std::lower_bound(mSortedLoudness.begin(), end, threshold);
  const bool newestKept = added && newestLufs >= threshold;
  if (atOrAbove - (newestKept ? 1 : 0) == mKept.count)
  {
    // The newest block comes last in the order of summation.
    if (newestKept)
    {
      mKept.energy += newestEnergy;
      ++mKept.count;
    }
  }
  else
  {
    mKept = StoredAtOrAbove(threshold);
  }
  return mKept;
}

void LoudnessGate::AddBlock(double energy)
{
  const double lufs = loudness::OfMeanSquare(energy);
  const bool added = lufs >= AbsoluteGate;
  if (added)
  {
    Sum += energy;
    if (Count < kStoreCapacity)
    {
      mEnergies[static_cast<size_t>(Count)] = energy;
      mLoudness[static_cast<size_t>(Count)] = lufs;
      const auto end = mSortedLoudness.begin() + static_cast<std::ptrdiff_t>(Count);
      const auto at = std::upper_bound(mSortedLoudness.begin(), end, lufs);
      std::copy_backward(at, end, end + 1);
      *at = lufs;
    }
    mBlocks.Add(lufs, energy);
    ++Count;
  }
  if (Count == 0)
  {
    AbsoluteGatedLufs = IntegratedLufs;
    return;
  }
  AbsoluteGatedLufs = loudness::OfMeanSquare(Sum / static_cast<double>(Count));
  const double threshold = AbsoluteGatedLufs + RelativeGate;
  const LoudnessHistogram::Totals kept =
    Count <= kStoreCapacity ? GateStored(threshold, added, lufs, energy) : mBlocks.AtOrAbove(threshold);
  IntegratedLufs = kept.count == 0
                     ? loudness::kSilenceLufs
                     : loudness::OfMeanSquare(kept.energy / static_cast<double>(kept.count));
}
