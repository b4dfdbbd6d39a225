#include "framework/audiounit/PluginAU.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

// The render road: one host render call for one output bus. It runs on the
// host's render thread and takes no lock and allocates nothing: the input
// buffer list lives on the stack, inputs and outputs without host memory use
// the preallocated scratch buffers, and sys-ex entries are copied into a
// member record.

namespace plugkit {

namespace {

// Room for the buffers of one input bus, one channel each: the same layout
// as an AudioBufferList, with 128 buffers.
constexpr UInt32 kMaxBusBuffers = 128;
struct BusBufferList
{
  UInt32 mNumberBuffers = 0;
  AudioBuffer mBuffers[kMaxBusBuffers] = {};

  AudioBufferList* AsList() { return reinterpret_cast<AudioBufferList*>(this); }
};
static_assert(offsetof(BusBufferList, mBuffers) == offsetof(AudioBufferList, mBuffers));

constexpr int kMidiEffectPlugType = 2;

void CallRenderNotify(const PK_PtrList<IAURenderNotify>& list, int n, AudioUnitRenderActionFlags action,
                      const AudioTimeStamp* ts, UInt32 busIdx, UInt32 nFrames, AudioBufferList* pBufferList)
{
  for (int i = 0; i < n; ++i)
  {
    const IAURenderNotify* notify = list.Get(i);
    if (!notify || !notify->mFunc)
      continue;
    AudioUnitRenderActionFlags flags = action;
    notify->mFunc(notify->mFuncArgs, &flags, ts, busIdx, nFrames, pBufferList);
  }
}

} // namespace

OSStatus PluginAU::Render(AudioUnitRenderActionFlags*, const AudioTimeStamp* inTimeStamp, UInt32 outputBusIdx,
                          UInt32 nFrames, AudioBufferList* pBufferList)
{
  if (!inTimeStamp)
    return kAudioUnitErr_InvalidPropertyValue;
  mLastRenderTimeStamp = *inTimeStamp;
  if (!(inTimeStamp->mFlags & kAudioTimeStampSampleTimeValid) || nFrames > static_cast<UInt32>(GetBlockSize()))
    return kAudioUnitErr_InvalidPropertyValue;

  const bool midiEffect = GetPlugType() == kMidiEffectPlugType;
  IAUBus* outBus = nullptr;
  if (!midiEffect)
  {
    outBus = outputBusIdx < static_cast<UInt32>(mOutBuses.GetSize()) ? mOutBuses.Get(static_cast<int>(outputBusIdx))
                                                                         : nullptr;
    if (!outBus)
      return kAudioUnitErr_InvalidElement;
    // More buffers than the bus has channels would land past the output
    // scratch buffer, or on the next bus; a buffer shorter than the slice
    // would be written past its end.
    if (!pBufferList || pBufferList->mNumberBuffers > static_cast<UInt32>(std::max(outBus->mNPlugChannels, 0)))
      return kAudioUnitErr_InvalidPropertyValue;
    for (UInt32 c = 0; c < pBufferList->mNumberBuffers; ++c)
    {
      const AudioBuffer& buffer = pBufferList->mBuffers[c];
      if (buffer.mData && buffer.mDataByteSize / sizeof(float) < nFrames)
        return kAudioUnitErr_InvalidPropertyValue;
    }
  }

  // Records the host adds from inside a notification wait for the next call.
  const int nNotify = mRenderNotify.GetSize();
  CallRenderNotify(mRenderNotify, nNotify, kAudioUnitRenderAction_PreRender, inTimeStamp, outputBusIdx, nFrames,
                   pBufferList);

  if (!midiEffect)
  {
    // Every output bus renders the same slice: its inputs are pulled once.
    if (inTimeStamp->mSampleTime != mLastRenderSampleTime)
    {
      const OSStatus status = PullInputs(inTimeStamp, nFrames);
      if (status != noErr)
        return status;
      mLastRenderSampleTime = inTimeStamp->mSampleTime;
    }
    AttachOutputBuffers(*outBus, pBufferList, nFrames);
  }

  // The block is processed once, by the render of the last bus that is
  // connected; earlier buses only leave their buffers to be written then.
  if (midiEffect || static_cast<int>(outputBusIdx) == LastConnectedOutputBus())
    ProcessSlice(static_cast<int>(outputBusIdx), static_cast<int>(nFrames));

  CallRenderNotify(mRenderNotify, nNotify, kAudioUnitRenderAction_PostRender, inTimeStamp, outputBusIdx, nFrames,
                   pBufferList);
  OutputSysexFromEditor();
  return noErr;
}

OSStatus PluginAU::PullInputs(const AudioTimeStamp* inTimeStamp, UInt32 nFrames)
{
  const int nBuses = mInBuses.GetSize();
  for (int busIdx = 0; busIdx < nBuses; ++busIdx)
  {
    const IAUBus* bus = mInBuses.Get(busIdx);
    const IAUInputConnection* connection = mInputConnections.Get(busIdx);
    if (!bus->mConnected)
      continue;
    const UInt32 nBuffers = static_cast<UInt32>(
      std::clamp(std::min(bus->mNHostChannels, bus->mNPlugChannels), 0, static_cast<int>(kMaxBusBuffers)));
    // The callback renders into the bus's part of the input scratch buffer;
    // so does what a source leaves silent.
    float* scratch = mInScratchBuf.Get() + static_cast<size_t>(bus->mPlugChannelStartIdx) * nFrames;

    BusBufferList list;
    list.mNumberBuffers = nBuffers;
    for (UInt32 b = 0; b < nBuffers; ++b)
      list.mBuffers[b] = {1, nFrames * static_cast<UInt32>(sizeof(float)), nullptr};

    AudioUnitRenderActionFlags flags = 0;
    OSStatus status = noErr;
    switch (connection ? connection->mInputType : eNotConnected)
    {
      case eDirectFastProc:
        status = connection->mUpstreamRenderProc(connection->mUpstreamObj, &flags, inTimeStamp,
                                                 connection->mUpstreamBusIdx, nFrames, list.AsList());
        break;
      case eDirectNoFastProc:
        status = AudioUnitRender(connection->mUpstreamUnit, &flags, inTimeStamp, connection->mUpstreamBusIdx,
                                 nFrames, list.AsList());
        break;
      case eRenderCallback:
        for (UInt32 b = 0; b < nBuffers; ++b)
          list.mBuffers[b].mData = scratch + static_cast<size_t>(b) * nFrames;
        status = connection->mCallbackProc(connection->mCallbackRefCon, &flags, inTimeStamp,
                                           static_cast<UInt32>(busIdx), nFrames, list.AsList());
        break;
      default:
        // Marked connected without a source: nothing to call, the bus is
        // silent.
        list.mNumberBuffers = 0;
        break;
    }
    if (status != noErr)
      return status;

    // A source may hand back its own buffers, fewer of them, or none at all
    // (null data, short sizes): what it did not give is silence.
    const UInt32 nGiven = std::min(list.mNumberBuffers, nBuffers);
    for (UInt32 b = 0; b < nBuffers; ++b)
    {
      float* channelScratch = scratch + static_cast<size_t>(b) * nFrames;
      float* data = b < nGiven ? static_cast<float*>(list.mBuffers[b].mData) : nullptr;
      const size_t given = data ? std::min<size_t>(list.mBuffers[b].mDataByteSize / sizeof(float), nFrames) : 0;
      if (given < nFrames)
      {
        if (data && data != channelScratch)
          std::memmove(channelScratch, data, given * sizeof(float));
        std::fill(channelScratch + given, channelScratch + nFrames, 0.0f);
        data = channelScratch;
      }
      AttachInputBuffers(kInput, bus->mPlugChannelStartIdx + static_cast<int>(b), 1, &data,
                         static_cast<int>(nFrames));
    }
  }
  return noErr;
}

void PluginAU::AttachOutputBuffers(IAUBus& bus, AudioBufferList* pBufferList, UInt32 nFrames)
{
  // k channels take the host's buffers, the rest of the bus stays
  // unconnected; re-marked whenever that changes.
  const int k = static_cast<int>(pBufferList->mNumberBuffers);
  const int first = bus.mPlugChannelStartIdx;
  bool marked = bus.mConnected;
  for (int c = 0; marked && c < bus.mNPlugChannels; ++c)
    marked = IsChannelConnected(kOutput, first + c) == (c < k);
  if (!marked)
  {
    SetChannelConnections(kOutput, first, k, true);
    SetChannelConnections(kOutput, first + k, std::max(bus.mNPlugChannels - k, 0), false);
    bus.mConnected = true;
  }

  for (int c = 0; c < k; ++c)
  {
    AudioBuffer& buffer = pBufferList->mBuffers[c];
    if (!buffer.mData)
    {
      buffer.mData = mOutScratchBuf.Get() + static_cast<size_t>(first + c) * nFrames;
      buffer.mDataByteSize = nFrames * static_cast<UInt32>(sizeof(float));
    }
    float* data = static_cast<float*>(buffer.mData);
    AttachInputBuffers(kOutput, first + c, 1, &data, static_cast<int>(nFrames));
  }
}

int PluginAU::LastConnectedOutputBus() const
{
  int last = -1;
  const int n = mOutBuses.GetSize();
  for (int i = 0; i < n && mOutBuses.Get(i)->mConnected; ++i)
    last = i;
  return last;
}

void PluginAU::ProcessSlice(int outputBusIdx, int nFrames)
{
  // Buses after this one are not rendered this time: the processor sees
  // their channels unconnected.
  if (outputBusIdx + 1 < mOutBuses.GetSize())
  {
    const int from = mOutBuses.Get(outputBusIdx + 1)->mPlugChannelStartIdx;
    SetChannelConnections(kOutput, from, MaxNChannels(kOutput) - from, false);
  }

  if (GetBypassed())
  {
    PassThroughBuffers(nFrames);
    return;
  }
  IMidiMsg msg;
  while (mMidiMsgsFromEditor.Pop(msg))
    ProcessMidiMsg(msg);
  UpdateHostTimeInfo();
  ProcessBuffers(nFrames);
}

void PluginAU::UpdateHostTimeInfo()
{
  IHostTimeInfo info;
  void* user = mHostCallbacks.hostUserData;

  if (mHostCallbacks.beatAndTempoProc)
  {
    Float64 beat = 0.0, tempo = 0.0;
    mHostCallbacks.beatAndTempoProc(user, &beat, &tempo);
    info.mTempo = tempo > 0.0 ? tempo : 120.0;
    info.mPPQPos = beat;
  }

  if (mHostCallbacks.transportStateProc)
  {
    Boolean playing = 0, changed = 0, cycling = 0;
    Float64 samplePos = 0.0, cycleStart = 0.0, cycleEnd = 0.0;
    mHostCallbacks.transportStateProc(user, &playing, &changed, &samplePos, &cycling, &cycleStart, &cycleEnd);
    info.mTransportIsRunning = playing != 0;
    info.mTransportLoopEnabled = cycling != 0;
    info.mSamplePos = samplePos > 0.0 ? samplePos : -1.0;
    info.mCycleStart = cycleStart > 0.0 ? cycleStart : -1.0;
    info.mCycleEnd = cycleEnd > 0.0 ? cycleEnd : -1.0;
  }

  if (mHostCallbacks.musicalTimeLocationProc)
  {
    UInt32 toNextBeat = 0, denominator = 0;
    Float32 numerator = 0.f;
    Float64 downBeat = 0.0;
    mHostCallbacks.musicalTimeLocationProc(user, &toNextBeat, &numerator, &denominator, &downBeat);
    // A numerator outside the int32 range has no meaningful truncation.
    const bool representable = std::isfinite(numerator) && std::fabs(numerator) < 2147483648.0f;
    info.mNumerator = representable ? static_cast<int32_t>(numerator) : 4;
    info.mDenominator = static_cast<int32_t>(denominator);
    info.mLastBar = downBeat > 0.0 ? downBeat : -1.0;
  }

  GetTimeInfo() = info;
}

void PluginAU::OutputSysexFromEditor()
{
  while (mSysExDataFromEditor.Pop(mSysExScratch))
  {
    // However the entry was filled, only its record's bytes go out.
    const int32_t size = std::clamp(mSysExScratch.mSize, 0, SysExData::kMaxSize);
    SendSysEx(ISysExMsg{mSysExScratch.mOffset, size, mSysExScratch.mData});
  }
}

} // namespace plugkit
