#include "dsp/LoudnessWindow.h"

#include <algorithm>
#include <cmath>

#include "dsp/LoudnessUnits.h"

namespace
{
constexpr double kSurroundWeight = 1.41;
}

void LoudnessWindow::Init(double lengthMs, double overlap, double sampleRate)
{
  mLengthMs = lengthMs;
  mOverlap = overlap;
  const double frames = std::trunc(lengthMs * 0.001 * sampleRate);
  // A window shorter than one frame would leave the ring without a slot.
  mN = frames >= 1.0 && frames < 2147483647.0 ? static_cast<int32_t>(frames) : 1;
  mHopThreshold = (1.0 - overlap) * mN;
  mBuffer.assign(static_cast<size_t>(mN), 0.0);
  Clear();
}

void LoudnessWindow::Clear()
{
  std::fill(mBuffer.begin(), mBuffer.end(), 0.0);
  mWriteIndex = 0;
  mRunningSum = 0.0;
  mLeavingValue = 0.0;
  mMean = 0.0;
  mSmallestMean = 0.0;
  mLargestMean = 0.0;
  mMeanCache = loudness::kSilenceLufs;
  mLargestCache = loudness::kSilenceLufs;
  mState = 0;
  mNewMeanFlag = 0;
  mHopCounter = 0;
}

namespace
{
// The weight of channel c in a frame of n channels: 1, the surround weight,
// or 0 for a channel left out (the LFE of a 6-channel frame).
double ChannelWeight(int32_t c, int32_t n)
{
  if (n == 5)
    return c >= 3 ? kSurroundWeight : 1.0;
  if (n == 6)
    return c == 3 ? 0.0 : (c >= 4 ? kSurroundWeight : 1.0);
  return 1.0;
}
}  // namespace

// Both forms add the weighted squares to 0.0 in channel order, so they give
// the same bits.
double LoudnessWindow::FrameEnergy(const double* z, int32_t n)
{
  double energy = 0.0;
  for (int32_t c = 0; c < n; ++c)
  {
    const double weight = ChannelWeight(c, n);
    if (weight == 1.0)
      energy += z[c] * z[c];
    else if (weight != 0.0)
      energy += weight * (z[c] * z[c]);
  }
  return energy;
}

void LoudnessWindow::FrameEnergies(const double* const* z, int32_t n, double* energies, int32_t frames)
{
  std::fill(energies, energies + frames, 0.0);
  for (int32_t c = 0; c < n; ++c)
  {
    const double weight = ChannelWeight(c, n);
    const double* values = z[c];
    if (weight == 1.0)
    {
      for (int32_t i = 0; i < frames; ++i)
        energies[i] += values[i] * values[i];
    }
    else if (weight != 0.0)
    {
      for (int32_t i = 0; i < frames; ++i)
        energies[i] += weight * (values[i] * values[i]);
    }
  }
}

int32_t LoudnessWindow::AddEnergy(double energy)
{
  mNewMeanFlag = 0;
  mRunningSum += energy;
  mLeavingValue = mBuffer[static_cast<size_t>(mWriteIndex)];
  mBuffer[static_cast<size_t>(mWriteIndex)] = energy;
  ++mWriteIndex;
  ++mHopCounter;
  if (mWriteIndex == mN)
  {
    mWriteIndex = 0;
    if (mState == 0)
    {
      mSmallestMean = mLargestMean = mRunningSum / mN;
      mState = 1;
    }
  }
  if (mState != 1)
    return 0;

  // Rounding drift must never make the sum of squares negative.
  mRunningSum = std::max(0.0, mRunningSum - mLeavingValue);
  if (static_cast<double>(mHopCounter) > mHopThreshold)
  {
    mHopCounter = 0;
    mMean = mRunningSum / mN;
    mSmallestMean = std::min(mSmallestMean, mMean);
    mLargestMean = std::max(mLargestMean, mMean);
    mNewMeanFlag = 1;
    return 1;
  }
  return 0;
}

double LoudnessWindow::MeanLufs()
{
  mMeanCache = loudness::RoundToTenth(loudness::OfMeanSquare(mMean));
  return mMeanCache;
}

double LoudnessWindow::LargestMeanLufs()
{
  mLargestCache = loudness::RoundToTenth(loudness::OfMeanSquare(mLargestMean));
  return mLargestCache;
}
