// The summary of a render, measured on a worker thread while the render
// runs: the render hands over copies of its input and output blocks and
// goes on; the worker feeds them to the loudness and gain meters. The
// blocks waiting are bounded, so a slow worker holds the render back rather
// than letting memory grow.
#pragma once

#include <condition_variable>
#include <deque>
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

  void Input(const float* const* channels, long count) override { Hand(true, channels, count); }
  void Output(const float* const* channels, long count) override { Hand(false, channels, count); }

  // Waits for the worker to measure every block handed over.
  void Finish();
  const Loudness& InputLoudness() const { return mInputLoudness; }
  const Loudness& OutputLoudness() const { return mOutputLoudness; }
  const GainStats& Gain() const { return mGain; }

private:
  struct Block
  {
    bool input = false;
    long frames = 0;
    std::vector<float> samples; // channel after channel
  };
  // Frames that may wait for the worker, inputs and outputs together.
  static constexpr long kMaxWaitingFrames = 1L << 16;

  void Hand(bool input, const float* const* channels, long count);
  void Work();
  void Measure(const Block& block);

  const int mChannels;
  LoudnessMeter mInputMeter, mOutputMeter;
  GainMeter mGainMeter;
  Loudness mInputLoudness, mOutputLoudness;
  GainStats mGain;

  std::mutex mMutex;
  std::condition_variable mChanged;
  std::deque<Block> mWaiting;
  std::vector<Block> mSpare; // measured blocks, kept for their memory
  long mWaitingFrames = 0;
  bool mClosing = false;
  std::thread mWorker;
};

} // namespace auhost
