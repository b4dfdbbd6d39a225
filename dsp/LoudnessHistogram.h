// Every block a loudness measurement has kept, as a fine histogram of block
// loudness: per bin the number of blocks, the sum of their energies and the
// sum of their loudness values.
//
// A list of blocks grows without bound over a long programme, and growing it
// would allocate on the audio thread. The histogram has a fixed size
// allocated at construction, adds a block and answers "how many blocks, and
// how much energy, at or above this loudness" and "the k-th quietest of
// them" in O(log bins), however long the programme runs.
//
// Bins are 0.01 LU wide from -70 LUFS (the absolute gate: nothing quieter is
// kept) to +30 LUFS; louder blocks share the top bin, which keeps their
// energies exact. A gate at loudness T counts the whole bin containing T, so
// blocks up to 0.01 LU below a relative gate may be counted; the percentiles
// read the mean loudness of their bin, so steady programmes read exactly.
//
// Owned by one meter; whichever thread owns the meter calls it. Only the
// constructor allocates.
#pragma once

#include <cstdint>
#include <vector>

class LoudnessHistogram
{
public:
  static constexpr double kLowestLufs = -70.0;
  static constexpr double kBinWidth = 0.01;
  static constexpr int32_t kBinCount = 10000;

  struct Totals
  {
    int64_t count = 0;
    double energy = 0.0;
  };

  LoudnessHistogram();

  void Clear();
  // Keeps one block of the given loudness and energy.
  void Add(double lufs, double energy);

  int64_t Count() const { return mTotalCount; }
  // The blocks in the bin of threshold and above.
  Totals AtOrAbove(double threshold) const;
  // Among the blocks counted by AtOrAbove(threshold), sorted ascending, the
  // mean loudness of the bin holding the one of index rank (0-based).
  // rank must lie below AtOrAbove(threshold).count.
  double LoudnessAtRank(double threshold, int64_t rank) const;

  static int32_t BinOf(double lufs);

private:
  // Fenwick trees over the bins in descending loudness order (tree index 1
  // is the loudest bin), so that a prefix is "this bin and everything
  // louder".
  int32_t TreeIndexOf(int32_t bin) const { return kBinCount - bin; }
  Totals Prefix(int32_t treeIndex) const;

  std::vector<int64_t> mCountTree;
  std::vector<double> mEnergyTree;
  std::vector<int64_t> mBinCounts;
  std::vector<double> mBinLoudnessSums;
  int64_t mTotalCount = 0;
};
