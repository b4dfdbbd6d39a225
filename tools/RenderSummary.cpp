#include "tools/RenderSummary.h"

#include <algorithm>

#include "tools/WorkerThread.h"

namespace auhost {

RenderSummary::Worker::Worker(std::function<void(const Batch&)> measure) : mMeasure(std::move(measure))
{
  mThread = StartWorkerIfAllowed([this] {
    std::unique_lock<std::mutex> lock(mMutex);
    for (;;)
    {
      mChanged.wait(lock, [&] { return mClosing || !mWaiting.empty(); });
      if (mWaiting.empty())
        return;
      const std::shared_ptr<const Batch> batch = mWaiting.front();
      lock.unlock();
      mMeasure(*batch);
      lock.lock();
      mWaiting.pop_front();
      mWaitingFrames -= batch->frames;
      mChanged.notify_all();
    }
  });
}

RenderSummary::Worker::~Worker()
{
  Finish();
}

void RenderSummary::Worker::Hand(const std::shared_ptr<const Batch>& batch)
{
  std::unique_lock<std::mutex> lock(mMutex);
  if (!mThread.joinable())
  {
    // Measured at once, under the lock, as the input's and the output's
    // threads may both hand batches to one worker.
    mMeasure(*batch);
    return;
  }
  mChanged.wait(lock, [&] { return mWaitingFrames + batch->frames <= kMaxWaitingFrames || mWaiting.empty(); });
  mWaiting.push_back(batch);
  mWaitingFrames += batch->frames;
  mChanged.notify_all();
}

void RenderSummary::Worker::Finish()
{
  if (!mThread.joinable())
    return;
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mClosing = true;
    mChanged.notify_all();
  }
  mThread.join();
}

RenderSummary::RenderSummary(int channels, double sampleRate)
  : mChannels(std::clamp(channels, 1, 2)), mInputMeter(mChannels, sampleRate), mOutputMeter(mChannels, sampleRate),
    mGainMeter(mChannels, sampleRate), mInputWorker([this](const Batch& b) { Measure(&mInputMeter, nullptr, b); }),
    mOutputWorker([this](const Batch& b) { Measure(b.input ? nullptr : &mOutputMeter, &mGainMeter, b); })
{
}

RenderSummary::~RenderSummary()
{
  Finish();
}

void RenderSummary::Measure(LoudnessMeter* meter, GainMeter* gain, const Batch& batch) const
{
  const float* channels[2] = {batch.Channel(0), batch.Channel(mChannels - 1)};
  if (meter)
    meter->Add(channels, batch.frames);
  if (gain && batch.input)
    gain->AddInput(channels, batch.frames);
  else if (gain)
    gain->AddOutput(channels, batch.frames);
}

void RenderSummary::Gather(std::unique_ptr<Batch>& batch, const float* const* channels, long count)
{
  const bool input = &batch == &mInputBatch;
  for (long at = 0; at < count;)
  {
    if (!batch)
      batch = TakeBatch(input);
    const long take = std::min(count - at, kBatchFrames - batch->frames);
    for (int c = 0; c < mChannels; ++c)
      std::copy(channels[c] + at, channels[c] + at + take, batch->samples.begin() + c * kBatchFrames + batch->frames);
    batch->frames += take;
    at += take;
    if (batch->frames == kBatchFrames)
      Send(batch);
  }
}

std::unique_ptr<RenderSummary::Batch> RenderSummary::TakeBatch(bool input)
{
  std::unique_ptr<Batch> batch;
  {
    std::lock_guard<std::mutex> lock(mSpareMutex);
    if (!mSpare.empty())
    {
      batch = std::move(mSpare.back());
      mSpare.pop_back();
    }
  }
  if (!batch)
  {
    batch = std::make_unique<Batch>();
    batch->samples.resize(static_cast<size_t>(kBatchFrames * mChannels));
  }
  batch->input = input;
  batch->frames = 0;
  return batch;
}

void RenderSummary::GiveBack(Batch* batch)
{
  // Only the last holder gives a batch back, so nothing else refers to it.
  std::unique_ptr<Batch> owned(batch);
  std::lock_guard<std::mutex> lock(mSpareMutex);
  mSpare.push_back(std::move(owned));
}

void RenderSummary::Send(std::unique_ptr<Batch>& batch)
{
  // Channel after channel, as Batch::Channel reads them.
  if (batch->frames < kBatchFrames)
    for (int c = 1; c < mChannels; ++c)
      std::copy_n(batch->samples.begin() + c * kBatchFrames, batch->frames, batch->samples.begin() + c * batch->frames);
  const std::shared_ptr<const Batch> shared(batch.release(), [this](Batch* b) { GiveBack(b); });
  if (shared->input)
    mInputWorker.Hand(shared);
  mOutputWorker.Hand(shared);
}

void RenderSummary::Finish()
{
  if (mFinished)
    return;
  mFinished = true;
  if (mInputBatch)
    Send(mInputBatch);
  if (mOutputBatch)
    Send(mOutputBatch);
  mInputWorker.Finish();
  mOutputWorker.Finish();
  mInputLoudness = mInputMeter.Result();
  mOutputLoudness = mOutputMeter.Result();
  mGain = mGainMeter.Result();
}

} // namespace auhost
