#include "framework/audiounit/PluginAU.h"

#include <algorithm>

#include "AudioToolbox/AudioUnitUtilities.h"
#include "CoreMIDI/MIDIServices.h"

// What the plug-in tells its host: parameter gestures and values as Audio
// Unit events, preset, parameter-list and latency changes through the
// host's property listeners, and MIDI and sys-ex output through the host's
// MIDI output callback. The MIDI sends run on the render thread and fill
// packet lists the wrapper made beforehand.

namespace plugkit {

namespace {

void NotifyParamEvent(AudioUnit unit, AudioUnitEventType type, int paramIdx)
{
  AudioUnitEvent event = {};
  event.mEventType = type;
  event.mArgument.mParameter = {unit, static_cast<AudioUnitParameterID>(paramIdx), kAudioUnitScope_Global, 0};
  AUEventListenerNotify(nullptr, nullptr, &event);
}

} // namespace

void PluginAU::NotifyHostGestureBegin(int paramIdx)
{
  NotifyParamEvent(mCI, kAudioUnitEvent_BeginParameterChangeGesture, paramIdx);
}

// The event carries no value: listeners read it back through GetParameter.
void PluginAU::NotifyHostParamValue(int paramIdx, double)
{
  NotifyParamEvent(mCI, kAudioUnitEvent_ParameterValueChange, paramIdx);
}

void PluginAU::NotifyHostGestureEnd(int paramIdx)
{
  NotifyParamEvent(mCI, kAudioUnitEvent_EndParameterChangeGesture, paramIdx);
}

void PluginAU::NotifyPresetChange()
{
  InformListeners(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global);
}

void PluginAU::NotifyHostParamInfoChange()
{
  InformListeners(kAudioUnitProperty_ParameterList, kAudioUnitScope_Global);
  InformListeners(kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global);
}

// Stored first, so a listener that reads the latency gets the new one.
void PluginAU::SetLatency(int samples)
{
  PluginProcessor::SetLatency(samples);
  InformListeners(kAudioUnitProperty_Latency, kAudioUnitScope_Global);
}

bool PluginAU::SendMidiMsg(const IMidiMsg& msg)
{
  const AUMIDIOutputCallback callback = mMidiCallback;
  if (!callback)
    return false;
  MIDIPacketList list = {};
  list.numPackets = 1;
  list.packet[0].timeStamp = static_cast<MIDITimeStamp>(static_cast<int64_t>(msg.mOffset));
  list.packet[0].length = 3;
  list.packet[0].data[0] = msg.mStatus;
  list.packet[0].data[1] = msg.mData1;
  list.packet[0].data[2] = msg.mData2;
  return callback(mMidiCallbackUserData, &mLastRenderTimeStamp, 0, &list) == noErr;
}

bool PluginAU::SendMidiMsgs(std::span<const IMidiMsg> msgs)
{
  if (!mMidiCallback)
    return false;
  // A message keeps its three bytes in one packet; messages of one sample
  // offset share a packet. A list that fills up is sent and started again.
  bool sent = true;
  mMidiOutList.Start();
  for (const IMidiMsg& msg : msgs)
  {
    const Byte bytes[3] = {msg.mStatus, msg.mData1, msg.mData2};
    const auto time = static_cast<MIDITimeStamp>(static_cast<int64_t>(msg.mOffset));
    if (!mMidiOutList.Add(time, 3, bytes))
    {
      sent = SendPacketList(mMidiOutList.List()) && sent;
      mMidiOutList.Start();
      mMidiOutList.Add(time, 3, bytes);
    }
  }
  if (!mMidiOutList.IsEmpty())
    sent = SendPacketList(mMidiOutList.List()) && sent;
  return sent;
}

bool PluginAU::SendSysEx(const ISysExMsg& msg)
{
  if (!mMidiCallback || !msg.mData || msg.mSize <= 0)
    return false;
  // Pieces of at most one packet, all at the message's time stamp; a
  // message longer than the list holds goes out in several lists.
  const auto time = static_cast<MIDITimeStamp>(static_cast<int64_t>(msg.mOffset));
  const auto size = static_cast<size_t>(msg.mSize);
  bool sent = true;
  mSysExOutList.Start();
  for (size_t at = 0; at < size; at += kMIDIPacketMaxDataSize)
  {
    const size_t n = std::min<size_t>(size - at, kMIDIPacketMaxDataSize);
    if (!mSysExOutList.Add(time, n, msg.mData + at))
    {
      sent = SendPacketList(mSysExOutList.List()) && sent;
      mSysExOutList.Start();
      mSysExOutList.Add(time, n, msg.mData + at);
    }
  }
  return SendPacketList(mSysExOutList.List()) && sent;
}

bool PluginAU::SendPacketList(const MIDIPacketList* list)
{
  // The host may have taken its callback away meanwhile.
  const AUMIDIOutputCallback callback = mMidiCallback;
  return callback && callback(mMidiCallbackUserData, &mLastRenderTimeStamp, 0, list) == noErr;
}

} // namespace plugkit
