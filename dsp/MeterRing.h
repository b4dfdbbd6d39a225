// A fixed-capacity ring of doubles that knows how many of its slots have
// been written: the block RMS meter's momentary, short-term and gated
// history rings.
//
// Reset allocates (set-up only); Push and the sums never allocate.
#pragma once

#include <cstdint>
#include <vector>

class MeterRing
{
public:
  // Capacity at least 1; every slot zeroed, nothing filled.
  void Reset(int32_t capacity)
  {
    mCapacity = capacity < 1 ? 1 : capacity;
    mBuffer.assign(static_cast<size_t>(mCapacity), 0.0);
    mWriteIndex = 0;
    mFilled = 0;
  }

  // Stores at the write index, advances it (wrapping to 0 at the capacity)
  // and raises the filled count until it equals the capacity.
  void Push(double value)
  {
    mBuffer[static_cast<size_t>(mWriteIndex)] = value;
    mWriteIndex = mWriteIndex + 1 == mCapacity ? 0 : mWriteIndex + 1;
    if (mFilled < mCapacity)
      ++mFilled;
  }

  bool IsFull() const { return mFilled == mCapacity; }
  int32_t Capacity() const { return mCapacity; }
  int32_t Filled() const { return mFilled; }
  // The filled slots: the ring fills from slot 0 up, so they are the first
  // Filled() entries until it is full, and all of them after.
  const double* Data() const { return mBuffer.data(); }

  // Sum of the filled slots.
  double SumOfFilled() const
  {
    double sum = 0.0;
    for (int32_t i = 0; i < mFilled; ++i)
      sum += mBuffer[static_cast<size_t>(i)];
    return sum;
  }

private:
  std::vector<double> mBuffer = std::vector<double>(1, 0.0);
  int32_t mCapacity = 1;
  int32_t mWriteIndex = 0;
  int32_t mFilled = 0;
};
