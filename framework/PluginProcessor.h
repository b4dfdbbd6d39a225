#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "framework/ChannelIOConfig.h"
#include "framework/IMidiMsg.h"
#include "framework/PluginConfig.h"
#include "graphics/PK_PtrList.h"
#include "graphics/PK_String.h"
#include "graphics/PK_TypedBuf.h"

namespace plugkit {

// The host's transport and tempo for the current block, filled per block by
// the format wrapper. Positions are -1 while the host has not said.
struct IHostTimeInfo
{
  double mTempo = 120.0;
  double mSamplePos = -1.0;
  double mPPQPos = -1.0;
  double mLastBar = -1.0;
  double mCycleStart = -1.0;
  double mCycleEnd = -1.0;
  int32_t mNumerator = 4;
  int32_t mDenominator = 4;
  bool mTransportIsRunning = false;
  bool mTransportLoopEnabled = false;
};

// One input or output channel of the processor.
struct IProcessorChannel
{
  bool mConnected = false;
  // This channel's entry in its side's data-pointer array.
  double** mData = nullptr;
  // Output side: the host buffer that receives this block's output. Null
  // unless attached for the current block.
  float* mHostBuffer = nullptr;
  // Block-size doubles once SetBlockSize ran.
  PK_TypedBuf<double> mScratchBuf{4096};
  PK_String mLabel;
};

// The processing half of every plug-in: the legal channel layouts parsed
// from the configuration's channel-I/O string, one channel record per
// possible input and output channel with a double scratch buffer, the
// sample rate, block size, latency and tail, the bypass and offline flags,
// the host time record, and the per-block road that the wrapper's render
// call drives: mark connections, attach the host's float buffers (inputs
// widened to double), run ProcessBlock (or pass through when bypassed),
// narrow the outputs back into the host's buffers.
//
// Threads: the buffer road and ProcessBlock run on the host's render
// thread; SetBlockSize, SetLatency and the property changes on the thread
// of the host's property calls. Nothing here locks or, on the render road,
// allocates: scratch buffers are sized by SetBlockSize beforehand.
//
// Bad input: channel ranges are cut to the channels that exist; a block
// longer than the last SetBlockSize is processed up to the block size and
// the rest of each host output is zeroed; an output is written back only
// through a host buffer attached for the current block.
class PluginProcessor
{
public:
  explicit PluginProcessor(const PluginConfig& config);
  virtual ~PluginProcessor();
  PluginProcessor(const PluginProcessor&) = delete;
  PluginProcessor& operator=(const PluginProcessor&) = delete;

  // The default copies input i to output i where both exist and zeroes every
  // further output.
  virtual void ProcessBlock(double** inputs, double** outputs, int nFrames);
  virtual void ProcessMidiMsg(const IMidiMsg& msg) { SendMidiMsg(msg); }
  virtual void ProcessSysEx(const ISysExMsg& msg) {}
  virtual void OnReset() {}
  virtual void OnActivate(bool active) {}
  virtual bool SendMidiMsg(const IMidiMsg& msg) = 0;
  // Sends every message in order, also after a failure; true when all were
  // sent.
  virtual bool SendMidiMsgs(std::span<const IMidiMsg> msgs);
  virtual bool SendSysEx(const ISysExMsg& msg) { return false; }
  // "Output", "Output 1", "Input", "Main"/"Aux", "Input 3".
  virtual void GetBusName(EChannelDirection direction, int busIdx, int nBuses, PK_String& str) const;
  virtual void SetLatency(int samples) { mLatency = samples; }

  // Channel layouts ------------------------------------------------------------
  static int ParseChannelIOStr(const char* str, PK_PtrList<IChannelIOConfig>& configs, int& maxNInChans,
                               int& maxNOutChans, int& maxNInBuses, int& maxNOutBuses)
  {
    return plugkit::ParseChannelIOStr(str, configs, maxNInChans, maxNOutChans, maxNInBuses, maxNOutBuses);
  }
  // True when some layout has that many input and output channels; a
  // negative count means any number.
  bool IsLegalIO(int nIn, int nOut) const;
  // The largest number of buses of that side; pConfigIdx receives the
  // (last) layout that has it.
  int MaxNBuses(EChannelDirection direction, int* pConfigIdx = nullptr) const;
  // The largest channel count any layout gives that bus; -1 when the first
  // layout has a "*" bus on that side; 0 for a bus no layout has.
  int MaxNChannelsForBus(EChannelDirection direction, int busIdx) const;
  // The first layout with exactly these bus channel counts on both sides;
  // -1 when none.
  int GetIOConfigWithChanCounts(const std::vector<int>& inputBuses, const std::vector<int>& outputBuses) const;
  int NIOConfigs() const { return mIOConfigs.GetSize(); }
  const IChannelIOConfig* GetIOConfig(int idx) const { return mIOConfigs.Get(idx); }

  // Channels ---------------------------------------------------------------------
  // The number of channel records of a side.
  int MaxNChannels(EChannelDirection direction) const { return Channels(direction).GetSize(); }
  int NChannelsConnected(EChannelDirection direction) const;
  bool IsChannelConnected(EChannelDirection direction, int chIdx) const;
  void SetChannelConnections(EChannelDirection direction, int chIdx, int n, bool connected);
  // Channels from the third on: inputs unconnected, outputs connected.
  void SetExtraChannelConnections();
  void SetChannelLabel(EChannelDirection direction, int chIdx, const char* formatStr, bool zeroBased = false);
  const char* GetChannelLabel(EChannelDirection direction, int chIdx) const;

  // The buffer road -----------------------------------------------------------------
  // Each connected channel of the range takes the next host buffer; inputs
  // are widened into the scratch buffers, outputs remember their host
  // buffer for the write-back of this block.
  void AttachInputBuffers(EChannelDirection direction, int chIdx, int n, float** ppData, int nFrames);
  // Each connected channel of the range uses the next given double buffer.
  void AttachBuffers(EChannelDirection direction, int chIdx, int n, double** ppData);
  void ProcessBuffers(int nFrames);
  void PassThroughBuffers(int nFrames);
  void ProcessDoubleBuffers(int nFrames);
  void ProcessBuffersAccumulating(int nFrames);
  void ZeroScratchBuffers();

  // Settings ----------------------------------------------------------------------------
  // Resizes and zeroes every scratch buffer; nothing when unchanged.
  void SetBlockSize(int blockSize);
  int GetBlockSize() const { return mBlockSize; }
  double GetSampleRate() const { return mSampleRate; }
  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
  int GetLatency() const { return mLatency; }
  int GetTailSize() const { return mTailSize; }
  void SetTailSize(int samples) { mTailSize = samples; }
  bool GetBypassed() const { return mBypassed; }
  void SetBypassed(bool bypassed) { mBypassed = bypassed; }
  bool GetRenderingOffline() const { return mRenderingOffline; }
  void SetRenderingOffline(bool offline) { mRenderingOffline = offline; }
  int GetPlugType() const { return mPlugType; }
  bool DoesMIDIIn() const { return mDoesMIDIIn; }
  IHostTimeInfo& GetTimeInfo() { return mTimeInfo; }
  const IHostTimeInfo& GetTimeInfo() const { return mTimeInfo; }
  // Sample rate * 60 / tempo; 0 without a positive tempo.
  double GetSamplesPerBeat() const;
  // "aufx", "aumf", "aumu" or "aumi" as a four-character code.
  uint32_t GetAUComponentType() const;

protected:
  const PK_PtrList<IProcessorChannel>& Channels(EChannelDirection direction) const
  {
    return direction == kInput ? mInChannels : mOutChannels;
  }
  double** DataPointers(EChannelDirection direction) const
  {
    return direction == kInput ? mInData.Get() : mOutData.Get();
  }
  // Frames limited to what the scratch buffers hold.
  int FramesThatFit(int nFrames) const;
  // Narrows each connected output into its attached host buffer (adding
  // when accumulate is set), then forgets the host buffers.
  void WriteOutputsToHost(int nFrames, bool accumulate);

  int mPlugType = 0;
  bool mDoesMIDIIn = false;
  bool mDoesMIDIOut = false;
  bool mDoesMPE = false;
  int mLatency = 0;
  double mSampleRate = 44100.0;
  int mBlockSize = 0;
  int mTailSize = 0;
  bool mBypassed = false;
  bool mRenderingOffline = false;
  PK_PtrList<IChannelIOConfig> mIOConfigs;
  PK_TypedBuf<double*> mInData;
  PK_TypedBuf<double*> mOutData;
  PK_PtrList<IProcessorChannel> mInChannels;
  PK_PtrList<IProcessorChannel> mOutChannels;
  IHostTimeInfo mTimeInfo;
};

} // namespace plugkit
