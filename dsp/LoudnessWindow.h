// Sliding channel-weighted mean square of the loudness meter: a ring of the
// last N frame energies with a running sum, refreshed once per hop.
//
// Owned by CMEBUR128; whichever thread owns the meter calls it. Init
// allocates (set-up only); AddFrame and the read-outs never allocate.
#pragma once

#include <cstdint>
#include <vector>

class LoudnessWindow
{
public:
  // Sets the length (ms) and overlap and sizes the ring for the sample rate:
  // N = trunc(length × 0.001 × fs), at least 1 so that the ring always has a
  // slot. Then clears.
  void Init(double lengthMs, double overlap, double sampleRate);
  // Zeroes the ring, the sums and means, the state and the hop counter; the
  // read-outs return to -144.0.
  void Clear();

  // The energy of one frame of n K-weighted channel values: the sum of the
  // squares, with the surround channels of 5-channel (3, 4) and 6-channel
  // (4, 5) frames weighted by 1.41 and the LFE channel (3) of a 6-channel
  // frame left out; 0 for n < 1. A sum, not a mean.
  static double FrameEnergy(const double* z, int32_t n);
  // FrameEnergy of each of frames frames, the values of channel c at z[c]:
  // the same values, bit for bit, a block at a time.
  static void FrameEnergies(const double* const* z, int32_t n, double* energies, int32_t frames);

  // Adds one frame; returns 1 when it produced a new mean, else 0.
  int32_t AddFrame(const double* z, int32_t n) { return AddEnergy(FrameEnergy(z, n)); }
  // The same for a frame energy computed elsewhere.
  int32_t AddEnergy(double energy);

  // Loudness of the mean and of the largest mean, rounded to 0.1 LUFS and
  // cached.
  double MeanLufs();
  double LargestMeanLufs();

  double Mean() const { return mMean; }
  double SmallestMean() const { return mSmallestMean; }
  double LargestMean() const { return mLargestMean; }
  // 0 until the first window is full, then 1.
  int32_t State() const { return mState; }
  // 1 for the frame that produced a new mean.
  int32_t NewMeanFlag() const { return mNewMeanFlag; }
  int32_t Length() const { return mN; }

private:
  std::vector<double> mBuffer;
  double mLengthMs = 0.0;
  double mOverlap = 0.0;
  int32_t mN = 1;
  int32_t mWriteIndex = 0;
  double mRunningSum = 0.0;
  double mLeavingValue = 0.0;
  double mMean = 0.0;
  double mSmallestMean = 0.0;
  double mLargestMean = 0.0;
  double mMeanCache = -144.0;
  double mLargestCache = -144.0;
  int32_t mState = 0;
  int32_t mNewMeanFlag = 0;
  int32_t mHopCounter = 0;
  // Frames between means: a new mean comes once the hop counter exceeds this.
  double mHopThreshold = 0.0;
};
