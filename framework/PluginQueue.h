#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>

#include "graphics/PK_TypedBuf.h"

namespace plugkit {

// A bounded queue of fixed-size entries between threads: any number of
// producers, one consumer. Storage is allocated once in the constructor;
// Push and Pop never allocate, lock or block, so the audio thread may use
// either side. When the queue is full, Push drops the new entry and says so.
//
// Several producers are allowed because a host may set parameters from its
// audio thread and its main thread at the same time. Each slot carries a
// sequence number that tells whose turn it is: a producer claims a slot by
// advancing the shared write position with a compare-and-swap, writes the
// entry, then publishes the slot; the consumer takes a slot only once it is
// published. A producer that has claimed a slot but not yet published it
// holds up the consumer at that slot until it does, never longer.
//
// Threads: Push from any thread; Pop and ElementsAvailable from the one
// consumer thread. T must be trivially copyable.
template <class T>
class PluginQueue
{
  static_assert(std::is_trivially_copyable_v<T>, "queue entries are copied as bytes");

public:
  // A queue that holds up to `capacity` entries at once (at least 2: with a
  // single slot the turn numbers of two laps would coincide). When memory
  // runs out the queue has no room and every Push fails.
  explicit PluginQueue(int capacity)
  {
    if (capacity < 2)
      capacity = 2;
    if (!mItems.Resize(capacity) || mItems.GetSize() != capacity)
    {
      mItems.Resize(0);
      return;
    }
    mSequence.reset(new (std::nothrow) std::atomic<size_t>[static_cast<size_t>(capacity)]);
    if (!mSequence)
    {
      mItems.Resize(0);
      return;
    }
    mSlots = static_cast<size_t>(capacity);
    for (size_t i = 0; i < mSlots; ++i)
      mSequence[i].store(i, std::memory_order_relaxed);
  }

  PluginQueue(const PluginQueue&) = delete;
  PluginQueue& operator=(const PluginQueue&) = delete;

  // Adds a copy of the item; false (and the item dropped) when full.
  bool Push(const T& item)
  {
    if (mSlots == 0)
      return false;
    size_t pos = mWrite.load(std::memory_order_relaxed);
    for (;;)
    {
      const size_t seq = mSequence[pos % mSlots].load(std::memory_order_acquire);
      const auto diff = static_cast<std::ptrdiff_t>(seq - pos);
      if (diff == 0)
      {
        if (mWrite.compare_exchange_weak(pos, pos + 1, std::memory_order_relaxed))
          break;
      }
      else if (diff < 0)
        return false; // the slot still holds an entry from one lap ago: full
      else
        pos = mWrite.load(std::memory_order_relaxed); // another producer took it
    }
    mItems.Get()[pos % mSlots] = item;
    mSequence[pos % mSlots].store(pos + 1, std::memory_order_release);
    return true;
  }

  // Takes the oldest published entry; false when there is none.
  bool Pop(T& item)
  {
    if (mSlots == 0)
      return false;
    const size_t pos = mRead.load(std::memory_order_relaxed);
    const size_t seq = mSequence[pos % mSlots].load(std::memory_order_acquire);
    if (seq != pos + 1)
      return false;
    item = mItems.Get()[pos % mSlots];
    mSequence[pos % mSlots].store(pos + mSlots, std::memory_order_release);
    mRead.store(pos + 1, std::memory_order_release);
    return true;
  }

  // Entries claimed by producers and not yet taken. An entry still being
  // written counts already, so a consumer must stop when Pop fails rather
  // than wait for the count to drop.
  size_t ElementsAvailable() const
  {
    const size_t read = mRead.load(std::memory_order_acquire);
    const size_t write = mWrite.load(std::memory_order_acquire);
    return write > read ? write - read : 0;
  }

  size_t Capacity() const { return mSlots; }

private:
  PK_TypedBuf<T> mItems{4096};
  std::unique_ptr<std::atomic<size_t>[]> mSequence;
  size_t mSlots = 0;
  // Apart, so that producers and the consumer do not share a cache line.
  alignas(64) std::atomic<size_t> mWrite{0};
  alignas(64) std::atomic<size_t> mRead{0};
};

} // namespace plugkit
