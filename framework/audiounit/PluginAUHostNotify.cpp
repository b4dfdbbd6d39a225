#include "framework/audiounit/PluginAU.h"

// Host notifications and MIDI output. Until they are built the host hears
// of nothing and no MIDI goes out.

namespace plugkit {

void PluginAU::NotifyHostGestureBegin(int)
{
}

void PluginAU::NotifyHostParamValue(int, double)
{
}

void PluginAU::NotifyHostGestureEnd(int)
{
}

void PluginAU::NotifyPresetChange()
{
}

void PluginAU::NotifyHostParamInfoChange()
{
}

void PluginAU::SetLatency(int samples)
{
  PluginProcessor::SetLatency(samples);
}

bool PluginAU::SendMidiMsg(const IMidiMsg&)
{
  return false;
}

bool PluginAU::SendMidiMsgs(std::span<const IMidiMsg>)
{
  return false;
}

bool PluginAU::SendSysEx(const ISysExMsg&)
{
  return false;
}

} // namespace plugkit
