#include "dsp/ScopeHistory.h"

#include <thread>

// The sequence lock without standalone fences: the writer's data stores are
// release stores (none can move before the odd sequence value that opens the
// write), the reader's data loads are acquire loads (none can move after the
// sequence check that closes the read). A reader that sees any value of a
// write in progress therefore also sees the odd or the later sequence value
// and retries. On x86 all of these are plain moves.
namespace
{
constexpr auto kRelaxed = std::memory_order_relaxed;
constexpr auto kRelease = std::memory_order_release;
constexpr auto kAcquire = std::memory_order_acquire;
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
}

void ScopeHistory::EndWrite()
{
  const uint32_t s = mSequence.load(kRelaxed);
  mSequence.store(s + 1, kRelease);
}

void ScopeHistory::Push(double a, double b, double g, double r)
{
  BeginWrite();
  const int32_t i = mWriteIndex.load(kRelaxed);
  mInputLevel[i].store(a, kRelease);
  mOutputLevel[i].store(b, kRelease);
  mGain[i].store(g, kRelease);
  mRide[i].store(r, kRelease);
  if (i == kLastIndex && kCapacity >= 2)
  {
    for (int32_t k = 0; k <= kCapacity - 2; ++k)
    {
      mInputLevel[k].store(mInputLevel[k + 1].load(kRelaxed), kRelease);
      mOutputLevel[k].store(mOutputLevel[k + 1].load(kRelaxed), kRelease);
      mGain[k].store(mGain[k + 1].load(kRelaxed), kRelease);
      mRide[k].store(mRide[k + 1].load(kRelaxed), kRelease);
    }
  }
  if (i < kLastIndex)
    mWriteIndex.store(i + 1, kRelease);
  const int32_t c = mCount.load(kRelaxed);
  if (c < kCapacity)
    mCount.store(c + 1, kRelease);
  EndWrite();
}

void ScopeHistory::Clear()
{
  BeginWrite();
  mWriteIndex.store(0, kRelease);
  mCount.store(0, kRelease);
  EndWrite();
}

bool ScopeHistory::ReadSnapshot(ScopeSnapshot& out, int maxAttempts) const
{
  for (int attempt = 0; attempt < maxAttempts; ++attempt)
  {
    const uint32_t before = mSequence.load(kAcquire);
    if (before & 1u)
    {
      std::this_thread::yield();  // a write is under way
      continue;
    }
    const int32_t count = mCount.load(kAcquire);
    const int32_t writeIndex = mWriteIndex.load(kAcquire);
    const int32_t n = count < 0 ? 0 : (count > kCapacity ? kCapacity : count);
    for (int32_t k = 0; k < n; ++k)
    {
      out.inputLevel[k] = mInputLevel[k].load(kAcquire);
      out.outputLevel[k] = mOutputLevel[k].load(kAcquire);
      out.gain[k] = mGain[k].load(kAcquire);
      out.ride[k] = mRide[k].load(kAcquire);
    }
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
