#include <algorithm>

#include "framework/audiounit/PluginAU.h"

namespace plugkit {

std::vector<int> PluginAU::HostCounts(const PK_PtrList<IAUBus>& buses)
{
  std::vector<int> counts;
  for (int i = 0; i < buses.GetSize(); ++i)
    counts.push_back(buses.Get(i)->mNHostChannels);
  return counts;
}

bool PluginAU::IsLegalBusCounts(const std::vector<int>& inCounts, const std::vector<int>& outCounts) const
{
  auto fits = [](const IChannelIOConfig& config, EChannelDirection direction, const std::vector<int>& counts) {
    for (size_t i = 0; i < counts.size(); ++i)
    {
      if (counts[i] < 0)
        continue;
      const IChannelIOBus* bus = config.GetBusInfo(direction, static_cast<int>(i));
      const int have = bus ? bus->mNChans : 0;
      if (have == IChannelIOBus::kWildcardChannels)
        continue;
      if (have != counts[i])
        return false;
    }
    return true;
  };
  for (int c = 0; c < NIOConfigs(); ++c)
  {
    const IChannelIOConfig& config = *GetIOConfig(c);
    if (fits(config, kInput, inCounts) && fits(config, kOutput, outCounts))
      return true;
  }
  return false;
}

bool PluginAU::CheckLegalIO(AudioUnitScope scope, int busIdx, int nChannels) const
{
  const bool input = scope == kAudioUnitScope_Input;
  const IAUBus* bus = GetBus(input ? kAudioUnitScope_Input : kAudioUnitScope_Output, busIdx);
  if (!bus || nChannels < 1 || nChannels > bus->mNPlugChannels)
    return false;
  std::vector<int> in = HostCounts(mInBuses);
  std::vector<int> out = HostCounts(mOutBuses);
  std::vector<int>& changed = input ? in : out;
  std::vector<int>& other = input ? out : in;
  changed[static_cast<size_t>(busIdx)] = nChannels;
  // Until the unit is initialised the other side may still change.
  if (!mActive)
    other.assign(other.size(), -1);
  return IsLegalBusCounts(in, out);
}

void PluginAU::AssessInputConnections()
{
  SetChannelConnections(kInput, 0, MaxNChannels(kInput), false);
  for (int i = 0; i < mInBuses.GetSize(); ++i)
  {
    IAUBus* bus = mInBuses.Get(i);
    IAUInputConnection* connection = mInputConnections.Get(i);
    if (connection->mUpstreamRenderProc && connection->mUpstreamObj)
      connection->mInputType = eDirectFastProc;
    else if (connection->mUpstreamUnit)
      connection->mInputType = eDirectNoFastProc;
    else if (connection->mCallbackProc)
      connection->mInputType = eRenderCallback;
    else
      connection->mInputType = eNotConnected;

    bus->mConnected = connection->mInputType != eNotConnected;
    if (!bus->mConnected)
      continue;
    if (bus->mNHostChannels < 0)
      bus->mNHostChannels = bus->mNPlugChannels;
    const int nConnected = std::min(bus->mNHostChannels, bus->mNPlugChannels);
    SetChannelConnections(kInput, bus->mPlugChannelStartIdx, nConnected, true);
    SetChannelConnections(kInput, bus->mPlugChannelStartIdx + nConnected, bus->mNPlugChannels - nConnected, false);
  }
}

} // namespace plugkit
