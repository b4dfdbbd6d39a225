#include "dsp/LoudnessHistogram.h"

#include <algorithm>
#include <cmath>

LoudnessHistogram::LoudnessHistogram()
  : mCountTree(kBinCount + 1, 0),
    mEnergyTree(kBinCount + 1, 0.0),
    mBinCounts(kBinCount, 0),
    mBinLoudnessSums(kBinCount, 0.0)
{
}

void LoudnessHistogram::Clear()
{
  std::fill(mCountTree.begin(), mCountTree.end(), 0);
  std::fill(mEnergyTree.begin(), mEnergyTree.end(), 0.0);
  std::fill(mBinCounts.begin(), mBinCounts.end(), 0);
  std::fill(mBinLoudnessSums.begin(), mBinLoudnessSums.end(), 0.0);
  mTotalCount = 0;
}

int32_t LoudnessHistogram::BinOf(double lufs)
{
  const double position = std::floor((lufs - kLowestLufs) / kBinWidth);
  // Written so that a NaN lands in the lowest bin.
  if (!(position > 0.0))
    return 0;
  if (position >= kBinCount - 1)
    return kBinCount - 1;
  return static_cast<int32_t>(position);
}

void LoudnessHistogram::Add(double lufs, double energy)
{
  const int32_t bin = BinOf(lufs);
  ++mBinCounts[static_cast<size_t>(bin)];
  mBinLoudnessSums[static_cast<size_t>(bin)] += lufs;
  for (int32_t i = TreeIndexOf(bin); i <= kBinCount; i += i & -i)
  {
    ++mCountTree[static_cast<size_t>(i)];
    mEnergyTree[static_cast<size_t>(i)] += energy;
  }
  ++mTotalCount;
}

LoudnessHistogram::Totals LoudnessHistogram::Prefix(int32_t treeIndex) const
{
  Totals totals;
  for (int32_t i = treeIndex; i > 0; i -= i & -i)
  {
    totals.count += mCountTree[static_cast<size_t>(i)];
    totals.energy += mEnergyTree[static_cast<size_t>(i)];
  }
  return totals;
}

LoudnessHistogram::Totals LoudnessHistogram::AtOrAbove(double threshold) const
{
  return Prefix(TreeIndexOf(BinOf(threshold)));
}

double LoudnessHistogram::LoudnessAtRank(double threshold, int64_t rank) const
{
  const int64_t kept = AtOrAbove(threshold).count;
  if (rank < 0 || rank >= kept)
    return kLowestLufs;
  // The rank-th quietest of the kept blocks is the (kept - 1 - rank)-th
  // loudest of all blocks, since the kept ones are the loudest.
  int64_t remaining = kept - 1 - rank;
  // Finds the first tree index whose prefix count exceeds remaining.
  int32_t position = 0;
  int32_t step = 1;
  while (step * 2 <= kBinCount)
    step *= 2;
  for (; step > 0; step /= 2)
  {
    const int32_t next = position + step;
    if (next <= kBinCount && mCountTree[static_cast<size_t>(next)] <= remaining)
    {
      position = next;
      remaining -= mCountTree[static_cast<size_t>(next)];
    }
  }
  const int32_t bin = kBinCount - (position + 1);
  const size_t index = static_cast<size_t>(bin);
  return mBinLoudnessSums[index] / static_cast<double>(mBinCounts[index]);
}
