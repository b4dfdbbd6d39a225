// The scope's history of input level, output level, gain and ride, shared
// between the audio thread, which pushes an entry every 0.1 s, and the
// editor's scope, which reads it.
//
// The record is allocated once with the engine that owns it and never
// replaced, so the editor never reads a released record; DspInit and the
// resets only clear its indexes. Readers never block the writer: every write is framed by a
// sequence counter (odd while a write is under way) and a reader copies the
// record and retries when the counter moved (a sequence lock). The entries
// and indexes are atomics (plain moves on x86), so the copy is free of data
// races.
//
// Writers (Push, Clear) must be serialised by the caller (the product's DSP
// mutex); readers may run on any thread at any time.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

// A reader's copy of the history.
struct ScopeSnapshot
{
  static constexpr int32_t kCapacity = 706;
  std::array<double, kCapacity> inputLevel{};
  std::array<double, kCapacity> outputLevel{};
  std::array<double, kCapacity> gain{};
  std::array<double, kCapacity> ride{};
  int32_t writeIndex = 0;
  int32_t count = 0;  // valid entries, from position 0 (the oldest)
};

class ScopeHistory
{
public:
  static constexpr int32_t kCapacity = 706;
  static constexpr int32_t kLastIndex = kCapacity - 1;

  ScopeHistory();
  ScopeHistory(const ScopeHistory&) = delete;
  ScopeHistory& operator=(const ScopeHistory&) = delete;

  // Push of one entry (input level a, output level b, gain g, ride r), in
  // these steps: store at the write index; when that is the last index
  // (and the capacity is at least 2) every array moves one place toward the
  // start; the write index advances while below the last index, the count
  // while below the capacity.
  void Push(double a, double b, double g, double r);
  // Write index and count to 0.
  void Clear();

  // Copies the history into out. Lock-free; retries while a write is under
  // way, at most maxAttempts times. Returns false (out then holds an empty
  // history) only when every attempt overlapped a write.
  bool ReadSnapshot(ScopeSnapshot& out, int maxAttempts = 64) const;

  // Single-word read-outs (each consistent on its own).
  int32_t Count() const { return mCount.load(std::memory_order_relaxed); }
  int32_t WriteIndex() const { return mWriteIndex.load(std::memory_order_relaxed); }
  int32_t LastIndex() const { return kLastIndex; }
  int32_t Capacity() const { return kCapacity; }
  // The number of completed writes (Push or Clear) since construction.
  uint32_t Version() const { return mSequence.load(std::memory_order_acquire) >> 1; }

private:
  void BeginWrite();
  void EndWrite();

  std::array<std::atomic<double>, kCapacity> mInputLevel;
  std::array<std::atomic<double>, kCapacity> mOutputLevel;
  std::array<std::atomic<double>, kCapacity> mGain;
  std::array<std::atomic<double>, kCapacity> mRide;
  std::atomic<int32_t> mWriteIndex{0};
  std::atomic<int32_t> mCount{0};
  std::atomic<uint32_t> mSequence{0};
};
