// Inter-sample peak estimate by sinc reconstruction over a 39-sample history.
//
// Each pushed sample enters a history of 2·19 + 1 samples (oldest first);
// Evaluate reconstructs the signal between the middle sample and the next
// newer one at the offsets 0, 0.18362181817838, 0.5 and 1.0 and returns the
// largest absolute value. A sample therefore reaches the evaluated interval
// when it is 18 frames old. Offsets 0 and 1.0 are the samples themselves,
// because the sinc kernel is exactly 0 at every other whole offset.
//
// One detector per channel; whichever thread owns the meter calls it. Push
// and Evaluate neither allocate nor fail.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

class SincPeakDetector
{
public:
  static constexpr int32_t kHalfWidth = 19;
  static constexpr int32_t kLength = 2 * kHalfWidth + 1;
  static constexpr int32_t kTableCount = 4;
  static constexpr std::array<double, kTableCount> kOffsets = {0.0, 0.18362181817838, 0.5, 1.0};

  SincPeakDetector() { Clear(); }

  // Zeroes the history.
  void Clear();

  // Shifts the history one place toward its start and puts x last.
  void Push(double x);

  // The largest absolute reconstructed value over the four offsets (0 for a
  // silent history).
  double Evaluate() const;

  double PushAndEvaluate(double x)
  {
    Push(x);
    return Evaluate();
  }

  // Pushes frames samples and returns the largest of their evaluations: the
  // same values as PushAndEvaluate sample by sample, bit for bit, computed
  // a block at a time so that the compiler can vectorise the dot products.
  // Its cost follows the number of frames, so any host block size pays
  // about the same per frame.
  double PushBlock(const double* x, int32_t frames);

  // History entry i, 0 the oldest and kLength - 1 the newest.
  double HistoryAt(int32_t i) const { return mLine[static_cast<size_t>(i)]; }

  // Entry k of table j: sinc(h − k + offset j) with sinc(u) = sin(πu)/(πu).
  static double TableValue(int32_t table, int32_t k);

private:
  // Samples per pass of PushBlock.
  static constexpr int32_t kBlockFrames = 128;

  // The history (its first kLength values, oldest first), followed by room
  // for one pass of PushBlock: a pass appends its samples right after the
  // history, so the window of each sample is a contiguous run, and then
  // moves the newest kLength values back to the start.
  std::array<double, kLength + kBlockFrames> mLine{};
};
