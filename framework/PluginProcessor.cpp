#include "framework/PluginProcessor.h"

#include <algorithm>
#include <cstring>

namespace plugkit {

namespace {

constexpr uint32_t FourCC(char a, char b, char c, char d)
{
  return (static_cast<uint32_t>(static_cast<uint8_t>(a)) << 24) | (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 8) | static_cast<uint32_t>(static_cast<uint8_t>(d));
}

void CreateChannels(PK_PtrList<IProcessorChannel>& channels, PK_TypedBuf<double*>& data, int n)
{
  double** slots = data.Resize(n);
  const int made = data.GetSize();
  for (int i = 0; i < made; ++i)
  {
    slots[i] = nullptr;
    auto* channel = new IProcessorChannel;
    channel->mData = &slots[i];
    if (!channels.Add(channel))
    {
      delete channel;
      break;
    }
  }
}

} // namespace

PluginProcessor::PluginProcessor(const PluginConfig& config)
  : mPlugType(config.pluginType), mDoesMIDIIn(config.midiIn), mDoesMIDIOut(config.midiOut), mDoesMPE(config.mpe),
    mLatency(config.latency)
{
  int maxNIn = 0, maxNOut = 0, maxNInBuses = 0, maxNOutBuses = 0;
  ParseChannelIOStr(config.channelIOStr, mIOConfigs, maxNIn, maxNOut, maxNInBuses, maxNOutBuses);
  CreateChannels(mInChannels, mInData, maxNIn);
  CreateChannels(mOutChannels, mOutData, maxNOut);
}

PluginProcessor::~PluginProcessor()
{
  mInChannels.Empty(true);
  mOutChannels.Empty(true);
  mIOConfigs.Empty(true);
}

// Virtual defaults ---------------------------------------------------------------------

void PluginProcessor::ProcessBlock(double** inputs, double** outputs, int nFrames)
{
  const int nIn = MaxNChannels(kInput);
  const int nOut = MaxNChannels(kOutput);
  const size_t bytes = sizeof(double) * static_cast<size_t>(std::max(nFrames, 0));
  for (int i = 0; i < nOut; ++i)
  {
    double* out = outputs ? outputs[i] : nullptr;
    if (!out)
      continue;
    const double* in = (inputs && i < nIn) ? inputs[i] : nullptr;
    if (in)
      std::memmove(out, in, bytes);
    else
      std::memset(out, 0, bytes);
  }
}

bool PluginProcessor::SendMidiMsgs(std::span<const IMidiMsg> msgs)
{
  bool allSent = true;
  for (const IMidiMsg& msg : msgs)
    allSent = SendMidiMsg(msg) && allSent;
  return allSent;
}

void PluginProcessor::GetBusName(EChannelDirection direction, int busIdx, int nBuses, PK_String& str) const
{
  if (direction == kOutput)
  {
    if (nBuses == 1)
      str.Set("Output");
    else
      str.SetFormatted(32, "Output %i", busIdx);
    return;
  }
  if (nBuses == 1)
    str.Set("Input");
  else if (nBuses == 2)
    str.Set(busIdx == 0 ? "Main" : "Aux");
  else
    str.SetFormatted(32, "Input %i", busIdx);
}

// Channel layouts -------------------------------------------------------------------------

bool PluginProcessor::IsLegalIO(int nIn, int nOut) const
{
  const int n = NIOConfigs();
  for (int i = 0; i < n; ++i)
  {
    const IChannelIOConfig* config = GetIOConfig(i);
    const int inTotal = config->GetTotalNChannels(kInput);
    const int outTotal = config->GetTotalNChannels(kOutput);
    if (nIn < 0)
    {
      if (nOut < 0 || outTotal == nOut)
        return true;
    }
    else if (inTotal == nIn && (nOut < 0 || outTotal == nOut))
    {
      return true;
    }
  }
  return false;
}

int PluginProcessor::MaxNBuses(EChannelDirection direction, int* pConfigIdx) const
{
  int maxNBuses = 0;
  int configIdx = 0;
  const int n = NIOConfigs();
  for (int i = 0; i < n; ++i)
  {
    const int nBuses = GetIOConfig(i)->NBuses(direction);
    if (nBuses >= maxNBuses)
    {
      maxNBuses = nBuses;
      configIdx = i;
    }
  }
  if (pConfigIdx)
    *pConfigIdx = configIdx;
  return maxNBuses;
}

int PluginProcessor::MaxNChannelsForBus(EChannelDirection direction, int busIdx) const
{
  const IChannelIOConfig* first = GetIOConfig(0);
  if (!first)
    return 0;
  if (first->ContainsWildcard(direction))
    return -1;
  if (busIdx < 0 || busIdx >= MaxNBuses(direction))
    return 0;
  int maxNChans = 0;
  const int n = NIOConfigs();
  for (int i = 0; i < n; ++i)
  {
    const IChannelIOBus* bus = GetIOConfig(i)->GetBusInfo(direction, busIdx);
    if (bus)
      maxNChans = std::max(maxNChans, bus->mNChans);
  }
  return maxNChans;
}

int PluginProcessor::GetIOConfigWithChanCounts(const std::vector<int>& inputBuses,
                                               const std::vector<int>& outputBuses) const
{
  auto sideMatches = [](const IChannelIOConfig& config, EChannelDirection direction, const std::vector<int>& counts) {
    if (config.NBuses(direction) != static_cast<int>(counts.size()))
      return false;
    for (size_t b = 0; b < counts.size(); ++b)
    {
      if (config.GetBusInfo(direction, static_cast<int>(b))->mNChans != counts[b])
        return false;
    }
    return true;
  };
  const int n = NIOConfigs();
  for (int i = 0; i < n; ++i)
  {
    const IChannelIOConfig& config = *GetIOConfig(i);
    if (sideMatches(config, kInput, inputBuses) && sideMatches(config, kOutput, outputBuses))
      return i;
  }
  return -1;
}

// Channels ---------------------------------------------------------------------------------

int PluginProcessor::NChannelsConnected(EChannelDirection direction) const
{
  int count = 0;
  const int n = MaxNChannels(direction);
  for (int i = 0; i < n; ++i)
    count += Channels(direction).Get(i)->mConnected ? 1 : 0;
  return count;
}

bool PluginProcessor::IsChannelConnected(EChannelDirection direction, int chIdx) const
{
  const IProcessorChannel* channel = Channels(direction).Get(chIdx);
  return channel && channel->mConnected;
}

void PluginProcessor::SetChannelConnections(EChannelDirection direction, int chIdx, int n, bool connected)
{
  const int first = std::max(chIdx, 0);
  const int end = static_cast<int>(std::min<long long>(static_cast<long long>(chIdx) + n, MaxNChannels(direction)));
  for (int i = first; i < end; ++i)
  {
    IProcessorChannel* channel = Channels(direction).Get(i);
    channel->mConnected = connected;
    // A buffer remembered from an earlier block must never be written again.
    channel->mHostBuffer = nullptr;
    if (!connected)
      *channel->mData = channel->mScratchBuf.Get();
  }
}

void PluginProcessor::SetExtraChannelConnections()
{
  for (int i = 2; i < MaxNChannels(kInput); ++i)
  {
    IProcessorChannel* channel = mInChannels.Get(i);
    channel->mConnected = false;
    *channel->mData = channel->mScratchBuf.Get();
  }
  for (int i = 2; i < MaxNChannels(kOutput); ++i)
    mOutChannels.Get(i)->mConnected = true;
}

void PluginProcessor::SetChannelLabel(EChannelDirection direction, int chIdx, const char* formatStr, bool zeroBased)
{
  IProcessorChannel* channel = Channels(direction).Get(chIdx);
  if (!channel || !formatStr)
    return;
  channel->mLabel.SetFormatted(32, formatStr, zeroBased ? chIdx : chIdx + 1);
}

const char* PluginProcessor::GetChannelLabel(EChannelDirection direction, int chIdx) const
{
  const IProcessorChannel* channel = Channels(direction).Get(chIdx);
  return channel ? channel->mLabel.Get() : "";
}

// The buffer road ----------------------------------------------------------------------------

int PluginProcessor::FramesThatFit(int nFrames) const
{
  return std::clamp(nFrames, 0, mBlockSize);
}

void PluginProcessor::AttachInputBuffers(EChannelDirection direction, int chIdx, int n, float** ppData, int nFrames)
{
  const int first = std::max(chIdx, 0);
  const int end = static_cast<int>(std::min<long long>(static_cast<long long>(chIdx) + n, MaxNChannels(direction)));
  const int frames = FramesThatFit(nFrames);
  int next = 0;
  for (int i = first; i < end; ++i)
  {
    IProcessorChannel* channel = Channels(direction).Get(i);
    if (!channel->mConnected)
      continue;
    float* host = ppData ? ppData[next] : nullptr;
    ++next;
    double* scratch = channel->mScratchBuf.Get();
    *channel->mData = scratch;
    if (direction == kInput)
    {
      if (host && scratch)
      {
        for (int s = 0; s < frames; ++s)
          scratch[s] = static_cast<double>(host[s]);
      }
    }
    else
    {
      channel->mHostBuffer = host;
    }
  }
}

void PluginProcessor::AttachBuffers(EChannelDirection direction, int chIdx, int n, double** ppData)
{
  const int first = std::max(chIdx, 0);
  const int end = static_cast<int>(std::min<long long>(static_cast<long long>(chIdx) + n, MaxNChannels(direction)));
  int next = 0;
  for (int i = first; i < end; ++i)
  {
    IProcessorChannel* channel = Channels(direction).Get(i);
    if (channel->mConnected)
      *channel->mData = ppData ? ppData[next++] : nullptr;
  }
}

void PluginProcessor::WriteOutputsToHost(int nFrames, bool accumulate)
{
  const int frames = FramesThatFit(nFrames);
  const int nOut = MaxNChannels(kOutput);
  for (int i = 0; i < nOut; ++i)
  {
    IProcessorChannel* channel = mOutChannels.Get(i);
    float* host = channel->mHostBuffer;
    const double* data = *channel->mData;
    channel->mHostBuffer = nullptr;
    if (!channel->mConnected || !host)
      continue;
    int s = 0;
    if (data)
    {
      if (accumulate)
      {
        for (; s < frames; ++s)
          host[s] += static_cast<float>(data[s]);
      }
      else
      {
        for (; s < frames; ++s)
          host[s] = static_cast<float>(data[s]);
      }
    }
    // What did not fit the scratch buffers is silence, not stale host data.
    if (!accumulate)
    {
      for (; s < nFrames; ++s)
        host[s] = 0.0f;
    }
  }
}

void PluginProcessor::ProcessDoubleBuffers(int nFrames)
{
  double** inputs = MaxNChannels(kInput) ? mInData.Get() : nullptr;
  double** outputs = MaxNChannels(kOutput) ? mOutData.Get() : nullptr;
  ProcessBlock(inputs, outputs, FramesThatFit(nFrames));
}

void PluginProcessor::ProcessBuffers(int nFrames)
{
  ProcessDoubleBuffers(nFrames);
  WriteOutputsToHost(nFrames, false);
}

void PluginProcessor::ProcessBuffersAccumulating(int nFrames)
{
  ProcessDoubleBuffers(nFrames);
  WriteOutputsToHost(nFrames, true);
}

void PluginProcessor::PassThroughBuffers(int nFrames)
{
  // The same copy as the default ProcessBlock, whatever a subclass made of
  // that.
  PluginProcessor::ProcessBlock(mInData.Get(), mOutData.Get(), FramesThatFit(nFrames));
  WriteOutputsToHost(nFrames, false);
}

void PluginProcessor::ZeroScratchBuffers()
{
  for (EChannelDirection direction : {kInput, kOutput})
  {
    const int n = MaxNChannels(direction);
    for (int i = 0; i < n; ++i)
    {
      double* scratch = Channels(direction).Get(i)->mScratchBuf.Get();
      if (scratch)
        std::memset(scratch, 0, sizeof(double) * static_cast<size_t>(mBlockSize));
    }
  }
}

// Settings ---------------------------------------------------------------------------------------

void PluginProcessor::SetBlockSize(int blockSize)
{
  if (blockSize == mBlockSize)
    return;
  blockSize = std::max(blockSize, 0);
  int fitted = blockSize;
  for (EChannelDirection direction : {kInput, kOutput})
  {
    const int n = MaxNChannels(direction);
    for (int i = 0; i < n; ++i)
    {
      IProcessorChannel* channel = Channels(direction).Get(i);
      double* scratch = channel->mScratchBuf.Resize(blockSize);
      // Out of memory leaves a smaller buffer: never claim more than all hold.
      fitted = std::min(fitted, channel->mScratchBuf.GetSize());
      if (scratch)
        std::memset(scratch, 0, sizeof(double) * static_cast<size_t>(channel->mScratchBuf.GetSize()));
      // The old block may be gone: every slot points at the new one until
      // the next attach.
      *channel->mData = scratch;
    }
  }
  mBlockSize = fitted;
}

double PluginProcessor::GetSamplesPerBeat() const
{
  return mTimeInfo.mTempo > 0.0 ? mSampleRate * 60.0 / mTimeInfo.mTempo : 0.0;
}

uint32_t PluginProcessor::GetAUComponentType() const
{
  switch (mPlugType)
  {
    case 2: return FourCC('a', 'u', 'm', 'i');
    case 1: return FourCC('a', 'u', 'm', 'u');
    case 0: return mDoesMIDIIn ? FourCC('a', 'u', 'm', 'f') : FourCC('a', 'u', 'f', 'x');
    default: return FourCC('a', 'u', 'f', 'x');
  }
}

} // namespace plugkit
