#include "tools/RenderSummary.h"

#include <algorithm>

namespace auhost {

RenderSummary::RenderSummary(int channels, double sampleRate)
  : mChannels(channels), mInputMeter(channels, sampleRate), mOutputMeter(channels, sampleRate),
    mGainMeter(channels, sampleRate)
{
  mWorker = std::thread([this] { Work(); });
}

RenderSummary::~RenderSummary()
{
  Finish();
}

void RenderSummary::Hand(bool input, const float* const* channels, long count)
{
  if (count <= 0)
    return;
  std::unique_lock<std::mutex> lock(mMutex);
  // A block larger than the bound still goes when nothing else waits.
  mChanged.wait(lock, [&] { return mWaitingFrames == 0 || mWaitingFrames + count <= kMaxWaitingFrames; });
  Block block;
  if (!mSpare.empty())
  {
    block = std::move(mSpare.back());
    mSpare.pop_back();
  }
  lock.unlock();
  block.input = input;
  block.frames = count;
  block.samples.resize(static_cast<size_t>(count * mChannels));
  for (int c = 0; c < mChannels; ++c)
    std::copy(channels[c], channels[c] + count, block.samples.begin() + c * count);
  lock.lock();
  mWaitingFrames += count;
  mWaiting.push_back(std::move(block));
  mChanged.notify_all();
}

void RenderSummary::Work()
{
  std::unique_lock<std::mutex> lock(mMutex);
  for (;;)
  {
    mChanged.wait(lock, [&] { return mClosing || !mWaiting.empty(); });
    if (mWaiting.empty())
      return;
    Block block = std::move(mWaiting.front());
    mWaiting.pop_front();
    lock.unlock();
    Measure(block);
    lock.lock();
    mWaitingFrames -= block.frames;
    mSpare.push_back(std::move(block));
    mChanged.notify_all();
  }
}

void RenderSummary::Measure(const Block& block)
{
  const float* channels[2] = {block.samples.data(), block.samples.data() + (mChannels - 1) * block.frames};
  if (block.input)
  {
    mInputMeter.Add(channels, block.frames);
    mGainMeter.AddInput(channels, block.frames);
  }
  else
  {
    mOutputMeter.Add(channels, block.frames);
    mGainMeter.AddOutput(channels, block.frames);
  }
}

void RenderSummary::Finish()
{
  if (!mWorker.joinable())
    return;
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mClosing = true;
    mChanged.notify_all();
  }
  mWorker.join();
  mInputLoudness = mInputMeter.Result();
  mOutputLoudness = mOutputMeter.Result();
  mGain = mGainMeter.Result();
}

} // namespace auhost
