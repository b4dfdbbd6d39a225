#include "tools/AudioPipeline.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "tools/WorkerThread.h"

namespace auhost {

namespace {

// Pointers to the channels of a block held channel after channel.
std::vector<float*> ChannelsOf(std::vector<float>& samples, int channels, long blockFrames)
{
  std::vector<float*> pointers;
  for (int c = 0; c < channels; ++c)
    pointers.push_back(samples.data() + c * blockFrames);
  return pointers;
}

} // namespace

ReadAheadSource::ReadAheadSource(AudioSource& inner, long blockFrames, int depth)
  : ReadAheadSource(inner, nullptr, blockFrames, depth)
{
}

ReadAheadSource::ReadAheadSource(AudioSource& inner, BlockObserver observe, long blockFrames, int depth)
  : mInner(inner), mObserve(std::move(observe)), mChannels(inner.NumChannels()), mRate(inner.SampleRate()), mFrames(inner.Frames()),
    mBlockFrames(std::max(1L, blockFrames)), mRing(static_cast<size_t>(std::max(1, depth))),
    mEnd(inner.End() == kUnknownLength ? kNotFound : inner.End()), mObserved(static_cast<size_t>(mChannels))
{
  for (Block& block : mRing)
    block.samples.resize(static_cast<size_t>(mChannels * mBlockFrames));
  mThread = StartWorkerIfAllowed([this] { Run(); });
}

ReadAheadSource::~ReadAheadSource()
{
  if (!mThread.joinable())
    return;
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mStopping = true;
    mChanged.notify_all();
  }
  mThread.join();
}

bool ReadAheadSource::ReadInner(long start, long count, float* const* channels)
{
  std::lock_guard<std::mutex> lock(mInnerMutex);
  if (!mInner.ReadAt(start, count, channels))
  {
    mError = mInner.Error();
    return false;
  }
  if (mEnd == kNotFound && mInner.End() != kUnknownLength)
    mEnd = mInner.End();
  return true;
}

bool ReadAheadSource::ReadWithoutWorker(long start, long count, float* const* channels)
{
  if (!ReadInner(start, count, channels))
    return false;
  const long to = std::max(start, std::min(start + count, mEnd));
  if (mObserve && mNext >= start && mNext < to)
  {
    for (int c = 0; c < mChannels; ++c)
      mObserved[c] = channels[c] + (mNext - start);
    mObserve(mObserved.data(), to - mNext);
    mNext = to;
  }
  return true;
}

void ReadAheadSource::Run()
{
  size_t slot = 0;
  for (long at = 0;; at += mBlockFrames)
  {
    Block& block = mRing[slot];
    {
      std::unique_lock<std::mutex> lock(mMutex);
      mChanged.wait(lock, [&] { return mStopping || !block.ready; });
      if (mStopping)
        return;
    }
    // The block is the worker's until it is marked ready.
    const long count = mFrames == kUnknownLength ? mBlockFrames : std::min(mBlockFrames, mFrames - at);
    const std::vector<float*> channels = ChannelsOf(block.samples, mChannels, mBlockFrames);
    bool ok;
    long end;
    {
      std::lock_guard<std::mutex> lock(mInnerMutex);
      ok = mInner.ReadAt(at, count, channels.data());
      end = mInner.End();
    }
    // A read may find the end of a programme of unknown length.
    const bool last = ok && end != kUnknownLength && at + count >= end;
    const long held = last ? std::clamp(end - at, 0L, count) : count;
    if (ok && mObserve && held > 0)
      mObserve(channels.data(), held);
    std::lock_guard<std::mutex> lock(mMutex);
    block.start = at;
    block.count = held;
    block.failed = !ok;
    block.last = last;
    block.ready = true;
    mChanged.notify_all();
    if (!ok || last)
      return;
    slot = (slot + 1) % mRing.size();
  }
}

bool ReadAheadSource::ReadAt(long start, long count, float* const* channels)
{
  if (!mThread.joinable())
    return ReadWithoutWorker(start, count, channels);
  // Only the frames inside the programme come from the ring.
  const long from = std::max(start, 0L);
  long to = std::max(from, std::min(start + count, mEnd));
  if (mDirect || from != mNext || from == to)
    return ReadInner(start, count, channels);
  for (int c = 0; c < mChannels; ++c)
    std::fill(channels[c], channels[c] + (from - start), 0.0f);
  for (long at = from; at < to;)
  {
    Block& block = mRing[mFront];
    {
      std::unique_lock<std::mutex> lock(mMutex);
      mChanged.wait(lock, [&] { return block.ready; });
    }
    if (block.failed)
    {
      // The worker has stopped: the whole stretch is read again from the
      // source, which fails it as it would have without read-ahead.
      mDirect = true;
      return ReadInner(start, count, channels);
    }
    if (block.last)
    {
      // The end of the programme is here: the rest of the read is silence.
      mEnd = block.start + block.count;
      to = std::max(at, std::min(to, mEnd));
      if (at == to)
        break;
    }
    const long offset = at - block.start;
    const long n = std::min(block.count - offset, to - at);
    for (int c = 0; c < mChannels; ++c)
      std::memcpy(channels[c] + (at - start), block.samples.data() + c * mBlockFrames + offset,
                  static_cast<size_t>(n) * sizeof(float));
    at += n;
    if (offset + n == block.count)
    {
      std::lock_guard<std::mutex> lock(mMutex);
      block.ready = false;
      mChanged.notify_all();
      mFront = (mFront + 1) % mRing.size();
    }
  }
  for (int c = 0; c < mChannels; ++c)
    std::fill(channels[c] + (to - start), channels[c] + count, 0.0f);
  mNext = to;
  return true;
}

WriteBehindSink::WriteBehindSink(AudioSink& inner, int channels, long blockFrames, int depth)
  : WriteBehindSink(inner, channels, nullptr, blockFrames, depth)
{
}

WriteBehindSink::WriteBehindSink(AudioSink& inner, int channels, BlockObserver observe, long blockFrames, int depth)
  : mInner(inner), mObserve(std::move(observe)), mChannels(channels), mBlockFrames(std::max(1L, blockFrames)),
    mRing(static_cast<size_t>(std::max(1, depth)))
{
  for (Block& block : mRing)
    block.samples.resize(static_cast<size_t>(mChannels * mBlockFrames));
  mSpace.resize(static_cast<size_t>(std::max(0, mChannels)));
  mThread = StartWorkerIfAllowed([this] { Run(); });
}

WriteBehindSink::~WriteBehindSink()
{
  if (!mThread.joinable())
    return;
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mStopping = true;
    mChanged.notify_all();
  }
  mThread.join();
}

void WriteBehindSink::Run()
{
  size_t slot = 0;
  std::unique_lock<std::mutex> lock(mMutex);
  for (;;)
  {
    Block& block = mRing[slot];
    mChanged.wait(lock, [&] { return mStopping || block.full; });
    if (mStopping)
      return;
    // After a failed append the rest is only dropped, so a render that
    // goes on handing blocks over never waits for nothing.
    if (!mFailed)
    {
      lock.unlock();
      const std::vector<float*> channels = ChannelsOf(block.samples, mChannels, mBlockFrames);
      std::vector<const float*> constant(channels.begin(), channels.end());
      if (mObserve)
        mObserve(constant.data(), block.count);
      const bool ok = mInner.Append(constant.data(), block.count);
      lock.lock();
      if (!ok)
      {
        mError = mInner.Error();
        mFailed = true;
      }
    }
    block.count = 0;
    block.full = false;
    mChanged.notify_all();
    slot = (slot + 1) % mRing.size();
  }
}

bool WriteBehindSink::HandOver(std::unique_lock<std::mutex>& lock)
{
  mRing[mFilling].full = true;
  mChanged.notify_all();
  mFilling = (mFilling + 1) % mRing.size();
  Block& next = mRing[mFilling];
  // The worker gives every block back, failed or not, so this ends.
  mChanged.wait(lock, [&] { return !next.full; });
  return !mFailed;
}

bool WriteBehindSink::Keep(long count)
{
  // The block being filled is the render thread's until it is handed over,
  // and the worker leaves its count at 0 when it gives it back.
  Block& block = mRing[mFilling];
  block.count += count;
  if (block.count < mBlockFrames)
    return true;
  std::unique_lock<std::mutex> lock(mMutex);
  return HandOver(lock);
}

float* WriteBehindSink::FreeRoom(int channel)
{
  Block& block = mRing[mFilling];
  return block.samples.data() + channel * mBlockFrames + block.count;
}

bool WriteBehindSink::AppendWithoutWorker(const float* const* channels, long count)
{
  if (mFailed)
    return false;
  if (mObserve)
    mObserve(channels, count);
  if (mInner.Append(channels, count))
    return true;
  std::lock_guard<std::mutex> lock(mMutex);
  mError = mInner.Error();
  mFailed = true;
  return false;
}

bool WriteBehindSink::Append(const float* const* channels, long count)
{
  if (!mThread.joinable())
    return AppendWithoutWorker(channels, count);
  for (long at = 0; at < count;)
  {
    const long n = std::min(mBlockFrames - mRing[mFilling].count, count - at);
    for (int c = 0; c < mChannels; ++c)
      std::memcpy(FreeRoom(c), channels[c] + at, static_cast<size_t>(n) * sizeof(float));
    if (!Keep(n))
      return false;
    at += n;
  }
  return !mFailed.load();
}

float* const* WriteBehindSink::Space(long count)
{
  if (!mThread.joinable() || count < 0 || count > mBlockFrames - mRing[mFilling].count)
    return nullptr;
  for (int c = 0; c < mChannels; ++c)
    mSpace[c] = FreeRoom(c);
  return mSpace.data();
}

bool WriteBehindSink::Written(long count)
{
  if (!mThread.joinable() || count < 0 || count > mBlockFrames - mRing[mFilling].count)
    return false;
  return Keep(count) && !mFailed.load();
}

bool WriteBehindSink::Flush()
{
  std::unique_lock<std::mutex> lock(mMutex);
  if (!mThread.joinable())
    return !mFailed;
  if (mRing[mFilling].count > 0)
    HandOver(lock);
  mChanged.wait(lock, [&] {
    return std::none_of(mRing.begin(), mRing.end(), [](const Block& block) { return block.full; });
  });
  return !mFailed;
}

std::string WriteBehindSink::Error() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mFailed ? mError : mInner.Error();
}

} // namespace auhost
