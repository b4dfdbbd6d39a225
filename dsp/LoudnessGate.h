// Integrated loudness: the mean of the 400 ms block energies behind an
// absolute gate at -70 LUFS and a relative gate 10 LU below the mean of the
// blocks that passed the absolute gate.
//
// The first hour of blocks that pass the absolute gate (36000 of them) is
// stored as it came and gated exactly on every new block, so the integrated
// loudness of any programme up to an hour equals a direct computation over
// its blocks, bit for bit. The stored blocks are rescanned only when the
// relative gate has moved past one of them; otherwise the new block simply
// joins the blocks kept before, which gives the same sum. Every block also enters a LoudnessHistogram, which takes over
// once the store is full: a ten-hour programme costs no more memory or time
// per block than a one-hour one, at the price of gating to the histogram's
// 0.01 LU bins. Owned by CMEBUR128; whichever thread owns the meter calls
// it. Only the constructor allocates.
#pragma once

#include <cstdint>
#include <vector>

#include "dsp/LoudnessHistogram.h"

class LoudnessGate
{
public:
  // Blocks gated exactly: one hour at ten blocks per second.
  static constexpr int64_t kStoreCapacity = 36000;

  LoudnessGate();

  // Forgets every block; both loudness values return to -141.0.
  void Clear();
  // Adds one block energy (a channel-weighted mean square) and recomputes.
  void AddBlock(double energy);

  // Loudness of the mean of the blocks above the absolute gate.
  double AbsoluteGatedLufs = -141.0;
  // Loudness of the mean of the blocks above both gates (-144.0 when none).
  double IntegratedLufs = -141.0;
  // Sum of the energies and number of the blocks above the absolute gate.
  double Sum = 0.0;
  int64_t Count = 0;
  double AbsoluteGate = -70.0;
  double RelativeGate = -10.0;

private:
  // The stored blocks at or above threshold, summed in the order they came.
  LoudnessHistogram::Totals StoredAtOrAbove(double threshold) const;
  // The same, reusing the last result when no stored block but the newest
  // (when this call added one) lies between the last threshold and this one.
  LoudnessHistogram::Totals GateStored(double threshold, bool added, double newestLufs, double newestEnergy);

  // The first kStoreCapacity blocks above the absolute gate: their energies
  // and loudness values in the order they came, and the loudness values
  // sorted ascending.
  std::vector<double> mEnergies;
  std::vector<double> mLoudness;
  std::vector<double> mSortedLoudness;
  // The stored blocks kept by the last exact gating.
  LoudnessHistogram::Totals mKept;
  LoudnessHistogram mBlocks;
};
