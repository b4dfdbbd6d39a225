#include "dsp/ScopeHistory.h"

#include <thread>

namespace
{
constexpr auto kRelaxed = std::memory_order_relaxed;
}

ScopeHistory::ScopeHistory()
{
  for (int32_t k = 0; k < kCapacity; ++k)
  {
    mInputLevel[k].store(0.0, kRelaxed);
    mOutputLevel[k].store(0.0, kRelaxed);
    mGain[k].store(0.0, kRelaxed);
    mRide[k].store(0.0, kRelaxed);
  }
}

void ScopeHistory::BeginWrite()
{
  const uint32_t s = mSequence.load(kRelaxed);
  mSequence.store(s + 1, kRelaxed);
  std::atomic_thread_fence(std::memory_order_release);
}

void ScopeHistory::EndWrite()
{
  const uint32_t s = mSequence.load(kRelaxed);
  mSequence.store(s + 1, std::memory_order_release);
}

void ScopeHistory::Push(double a, double b, double g, double r)
{
  BeginWrite();
  const int32_t i = mWriteIndex.load(kRelaxed);
  mInputLevel[i].store(a, kRelaxed);
  mOutputLevel[i].store(b, kRelaxed);
  mGain[i].store(g, kRelaxed);
  mRide[i].store(r, kRelaxed);
  if (i == kLastIndex && kCapacity >= 2)
  {
    for (int32_t k = 0; k <= kCapacity - 2; ++k)
    {
      mInputLevel[k].store(mInputLevel[k + 1].load(kRelaxed), kRelaxed);
      mOutputLevel[k].store(mOutputLevel[k + 1].load(kRelaxed), kRelaxed);
      mGain[k].store(mGain[k + 1].load(kRelaxed), kRelaxed);
      mRide[k].store(mRide[k + 1].load(kRelaxed), kRelaxed);
    }
  }
  if (i < kLastIndex)
    mWriteIndex.store(i + 1, kRelaxed);
  const int32_t c = mCount.load(kRelaxed);
  if (c < kCapacity)
    mCount.store(c + 1, kRelaxed);
  EndWrite();
}

void ScopeHistory::Clear()
{
  BeginWrite();
  mWriteIndex.store(0, kRelaxed);
  mCount.store(0, kRelaxed);
  EndWrite();
}

bool ScopeHistory::ReadSnapshot(ScopeSnapshot& out, int maxAttempts) const
{
  for (int attempt = 0; attempt < maxAttempts; ++attempt)
  {
    const uint32_t before = mSequence.load(std::memory_order_acquire);
    if (before & 1u)
    {
      std::this_thread::yield();  // a write is under way
      continue;
    }
    const int32_t count = mCount.load(kRelaxed);
    const int32_t writeIndex = mWriteIndex.load(kRelaxed);
    const int32_t n = count < 0 ? 0 : (count > kCapacity ? kCapacity : count);
    for (int32_t k = 0; k < n; ++k)
    {
      out.inputLevel[k] = mInputLevel[k].load(kRelaxed);
      out.outputLevel[k] = mOutputLevel[k].load(kRelaxed);
      out.gain[k] = mGain[k].load(kRelaxed);
      out.ride[k] = mRide[k].load(kRelaxed);
    }
    std::atomic_thread_fence(std::memory_order_acquire);
    if (mSequence.load(kRelaxed) == before)
    {
      out.count = n;
      out.writeIndex = writeIndex;
      return true;
    }
  }
  out.count = 0;
  out.writeIndex = 0;
  return false;
}
