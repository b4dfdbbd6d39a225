// File reading and writing beside the render: a read-ahead thread decodes
// the programme into a bounded ring of blocks while the render works on
// earlier ones, and a write-behind thread encodes and writes what the render
// handed over, so the render thread neither waits on the disk nor spends
// its time converting samples. Both hold a fixed number of blocks, so memory
// does not grow with the programme; a render faster than the disk waits.
//
// Each wraps a source or a sink that only its worker touches while it runs,
// and answers exactly as the wrapped one would: same samples, same errors.
// One render thread calls each wrapper; the workers are joined when the
// wrappers go, whatever happened. Where the system refuses a worker (a task
// limit), the wrapper does its work on the render thread instead: the same
// answers, only without the overlap.
#pragma once

#include <atomic>
#include <climits>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/AudioFile.h"

namespace auhost {

// Sees each block a worker moves, in order, on the worker's thread: a way
// to measure the audio without a copy on the render thread.
using BlockObserver = std::function<void(const float* const* channels, long count)>;

// Frames per block, and blocks in each ring, for renders of files: four
// megabytes in all for stereo. Large blocks keep the hand-overs, each of
// which may wake a worker, rare.
inline constexpr long kPipelineBlockFrames = 65536;
inline constexpr int kPipelineDepth = 4;

// Reads `inner` from frame 0 to its end on a worker thread, `depth` blocks
// of `blockFrames` ahead of the reader. Reads that continue where the last
// one ended are served from the ring; any other stretch, and every read
// once the worker's read has failed, goes to `inner` itself (the worker
// stopped or shut out meanwhile), so a failure is reported for the same
// stretch and in the same words as without read-ahead. Of a source of
// unknown length the worker reads until it reports its end, which End()
// gives once the reader has come to the block holding it.
class ReadAheadSource final : public AudioSource
{
public:
  ReadAheadSource(AudioSource& inner, long blockFrames = kPipelineBlockFrames, int depth = kPipelineDepth);
  // `observe` sees every block the worker reads, before the reader may
  // take it.
  ReadAheadSource(AudioSource& inner, BlockObserver observe, long blockFrames = kPipelineBlockFrames,
                  int depth = kPipelineDepth);
  ~ReadAheadSource() override;
  ReadAheadSource(const ReadAheadSource&) = delete;
  ReadAheadSource& operator=(const ReadAheadSource&) = delete;

  int NumChannels() const override { return mChannels; }
  double SampleRate() const override { return mRate; }
  long Frames() const override { return mFrames; }
  long End() const override { return mEnd == kNotFound ? kUnknownLength : mEnd; }
  bool ReadAt(long start, long count, float* const* channels) override;
  std::string Error() const override { return mError; }

private:
  // mEnd while the end of an unknown length is not found: past every frame.
  static constexpr long kNotFound = LONG_MAX;
  struct Block
  {
    std::vector<float> samples; // channel after channel, blockFrames each
    long start = 0, count = 0;
    bool ready = false, failed = false;
    bool last = false; // the programme ends at start + count
  };
  void Run();
  // Reads `inner` itself, and learns its end when that read found it.
  bool ReadInner(long start, long count, float* const* channels);
  // Without a worker: reads `inner` on the caller's thread and shows the
  // observer what continues the programme in order.
  bool ReadWithoutWorker(long start, long count, float* const* channels);

  AudioSource& mInner;
  const BlockObserver mObserve;
  const int mChannels;
  const double mRate;
  const long mFrames, mBlockFrames;
  std::vector<Block> mRing;
  std::mutex mMutex;      // the ring's flags and mStopping
  std::mutex mInnerMutex; // `inner` between the worker and out-of-order reads
  std::condition_variable mChanged;
  bool mStopping = false;
  // Reader's side: where the next in-order read starts, the block it is
  // in, whether the ring is given up after a failed read, and where the
  // programme ends as far as the reader knows.
  long mNext = 0;
  size_t mFront = 0;
  bool mDirect = false;
  long mEnd;
  std::vector<const float*> mObserved; // what the observer is shown
  std::string mError;
  std::thread mThread; // not joinable when the system refused it
};

// Appends to `inner` on a worker thread: Append copies into a ring of
// `depth` blocks of `blockFrames` and returns; the worker appends each full
// block. Flush appends what is left and waits. Once an append to `inner`
// has failed, the rest is dropped and Append and Flush give false, with
// `inner`'s error. Destroyed without Flush, it drops what has not been
// appended. Without a worker, Append hands each stretch to the observer
// and `inner` at once, and Space has no room to offer.
class WriteBehindSink final : public AudioSink
{
public:
  WriteBehindSink(AudioSink& inner, int channels, long blockFrames = kPipelineBlockFrames,
                  int depth = kPipelineDepth);
  // `observe` sees every block before the worker appends it.
  WriteBehindSink(AudioSink& inner, int channels, BlockObserver observe, long blockFrames = kPipelineBlockFrames,
                  int depth = kPipelineDepth);
  ~WriteBehindSink() override;
  WriteBehindSink(const WriteBehindSink&) = delete;
  WriteBehindSink& operator=(const WriteBehindSink&) = delete;

  bool Append(const float* const* channels, long count) override;
  bool Flush() override;
  std::string Error() const override;
  // The rest of the block being filled, when `count` frames fit in it.
  float* const* Space(long count) override;
  bool Written(long count) override;

private:
  struct Block
  {
    std::vector<float> samples; // channel after channel, blockFrames each
    long count = 0;
    bool full = false; // handed to the worker
  };
  void Run();
  // Hands the block being filled to the worker and waits for the next one
  // to be free; false once an append has failed.
  bool HandOver(std::unique_lock<std::mutex>& lock);
  // Where the block being filled has room, for one channel.
  float* FreeRoom(int channel);
  // Counts `count` more frames into the block being filled and hands it
  // over once full; false once an append has failed.
  bool Keep(long count);
  // Without a worker: the observer and `inner` take the frames at once.
  bool AppendWithoutWorker(const float* const* channels, long count);

  AudioSink& mInner;
  const BlockObserver mObserve;
  const int mChannels;
  const long mBlockFrames;
  std::vector<Block> mRing;
  mutable std::mutex mMutex;
  std::condition_variable mChanged;
  bool mStopping = false;
  // Set under the mutex with mError; read without it by Append, which runs
  // for every slice and should not take the worker's lock each time.
  std::atomic<bool> mFailed{false};
  std::string mError;
  size_t mFilling = 0; // the block Append copies into (render thread)
  std::vector<float*> mSpace; // what Space gave (render thread)
  std::thread mThread; // not joinable when the system refused it
};

} // namespace auhost
