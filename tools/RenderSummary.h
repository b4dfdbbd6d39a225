// The summary of a render, measured on two worker threads while the render
// runs: the render gathers its input and output blocks into batches and
// hands each batch over without waiting; one worker measures the input's
// loudness, the other the output's loudness and the gain. The frames
// waiting are bounded, so slow workers hold the render back rather than
// letting memory grow. Mono or stereo.
//
// Input and Output may be called on two threads (each always on the same
// one), as long as every input frame is given before the output frame
// aligned with it.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "tools/HostRender.h"
#include "tools/ProgrammeSummary.h"

namespace auhost {

class RenderSummary final : public RenderTap
{
public:
  RenderSummary(int channels, double sampleRate);
  ~RenderSummary() override;
  RenderSummary(const RenderSummary&) = delete;
  RenderSummary& operator=(const RenderSummary&) = delete;

  void Input(const float* const* channels, long count) override { Gather(mInputBatch, channels, count); }
  void Output(const float* const* channels, long count) override { Gather(mOutputBatch, channels, count); }

  // Measures what is still gathered and waits for the workers to finish.
  void Finish();
  const Loudness& InputLoudness() const { return mInputLoudness; }
  const Loudness& OutputLoudness() const { return mOutputLoudness; }
  const GainStats& Gain() const { return mGain; }

  // A stretch of one stream, channel after channel.
  struct Batch
  {
    bool input = false;
    long frames = 0;
    std::vector<float> samples;
    const float* Channel(int c) const { return samples.data() + c * frames; }
  };

private:
  // A thread that measures the batches handed to it, in order; where the
  // system refuses the thread, Hand measures each batch itself.
  class Worker
  {
  public:
    explicit Worker(std::function<void(const Batch&)> measure);
    ~Worker();
    // Waits while too many frames wait already.
    void Hand(const std::shared_ptr<const Batch>& batch);
    void Finish();

  private:
    std::function<void(const Batch&)> mMeasure;
    std::mutex mMutex;
    std::condition_variable mChanged;
    std::deque<std::shared_ptr<const Batch>> mWaiting;
    long mWaitingFrames = 0;
    bool mClosing = false;
    std::thread mThread;
  };

  // Frames gathered per batch, and the frames a worker may have waiting.
  // Large batches keep the hand-overs (each may wake a worker) rare.
  static constexpr long kBatchFrames = 65536;
  static constexpr long kMaxWaitingFrames = 4 * kBatchFrames;

  void Gather(std::unique_ptr<Batch>& batch, const float* const* channels, long count);
  // A batch to gather into: a measured one taken back, or a new one.
  std::unique_ptr<Batch> TakeBatch(bool input);
  void GiveBack(Batch* batch);
  void Send(std::unique_ptr<Batch>& batch);
  // Feeds a batch to a loudness meter and to a gain meter (either may be
  // null).
  void Measure(LoudnessMeter* meter, GainMeter* gain, const Batch& batch) const;

  const int mChannels;
  LoudnessMeter mInputMeter, mOutputMeter;
  GainMeter mGainMeter;
  Loudness mInputLoudness, mOutputLoudness;
  GainStats mGain;
  std::unique_ptr<Batch> mInputBatch, mOutputBatch;
  // Batches both workers are done with, for reuse, so that the render
  // thread neither allocates nor clears a batch after the first few.
  // Declared before the workers, which give batches back until they stop.
  std::mutex mSpareMutex;
  std::vector<std::unique_ptr<Batch>> mSpare;
  Worker mInputWorker, mOutputWorker;
  bool mFinished = false;
};

} // namespace auhost
