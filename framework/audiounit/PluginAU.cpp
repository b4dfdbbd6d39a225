#include "framework/audiounit/PluginAU.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "framework/audiounit/PluginAUViewFactory.h"

namespace plugkit {

const char* InputKindName(EAUInputKind kind)
{
  switch (kind)
  {
    case eNotConnected: return "NotConnected";
    case eDirectFastProc: return "DirectFastProc";
    case eDirectNoFastProc: return "DirectNoFastProc";
    case eRenderCallback: return "RenderCallback";
    default: return "";
  }
}

PluginAU::PluginAU(const PluginInstanceInfo& info, const PluginConfig& config)
  : PluginAPIBase(config, kAPIAU)
  , PluginProcessor(config)
{
  mCocoaViewFactoryClassName.Set(info.cocoaViewFactoryClassName.Get());

  int nInBuses = MaxNBuses(kInput);
  if (nInBuses == 1 && MaxNChannelsForBus(kInput, 0) == 0)
    nInBuses = 0; // a plug-in without audio input
  const int nOutBuses = MaxNBuses(kOutput);

  // A wildcard bus (-1) takes one channel. A bus never reaches past the
  // processor's channels of its side, so no index derived from it can.
  auto makeBuses = [this](EChannelDirection direction, int nBuses, PK_PtrList<IAUBus>& buses) {
    int start = 0;
    const int nChannels = MaxNChannels(direction);
    for (int i = 0; i < nBuses; ++i)
    {
      auto* bus = new IAUBus;
      bus->mNHostChannels = -1;
      bus->mPlugChannelStartIdx = std::min(start, nChannels);
      bus->mNPlugChannels = std::clamp(std::abs(MaxNChannelsForBus(direction, i)), 0,
                                       nChannels - bus->mPlugChannelStartIdx);
      start = bus->mPlugChannelStartIdx + bus->mNPlugChannels;
      buses.Add(bus);
    }
  };
  for (int i = 0; i < nInBuses; ++i)
    mInputConnections.Add(new IAUInputConnection);
  makeBuses(kInput, nInBuses, mInBuses);
  makeBuses(kOutput, nOutBuses, mOutBuses);

  AssessInputConnections();
  SetBlockSize(kDefaultBlockSize);
  ResizeScratchBuffers();
  RegisterAUViewFactoryClass(mCocoaViewFactoryClassName.Get(), GetPluginName());
}

PluginAU::~PluginAU()
{
  mRenderNotify.Empty(true);
  mInBuses.Empty(true);
  mOutBuses.Empty(true);
  mInputConnections.Empty(true);
  mPropertyListeners.Empty(true);
}

void PluginAU::ResizeScratchBuffers()
{
  const int block = GetBlockSize();
  const int nIn = MaxNChannels(kInput) * block;
  const int nOut = MaxNChannels(kOutput) * block;
  if (float* in = mInScratchBuf.Resize(nIn))
    std::memset(in, 0, sizeof(float) * static_cast<size_t>(nIn));
  if (float* out = mOutScratchBuf.Resize(nOut))
    std::memset(out, 0, sizeof(float) * static_cast<size_t>(nOut));
}

const IAUBus* PluginAU::GetBus(AudioUnitScope scope, int busIdx) const
{
  if (scope == kAudioUnitScope_Input)
    return mInBuses.Get(busIdx);
  if (scope == kAudioUnitScope_Output)
    return mOutBuses.Get(busIdx);
  return nullptr;
}

IAUBus* PluginAU::GetBusMutable(AudioUnitScope scope, int busIdx)
{
  return const_cast<IAUBus*>(GetBus(scope, busIdx));
}

int PluginAU::NHostChannelsConnected(const PK_PtrList<IAUBus>& buses, int excludeIdx)
{
  bool any = false;
  int total = 0;
  for (int i = 0; i < buses.GetSize(); ++i)
  {
    const int n = buses.Get(i)->mNHostChannels;
    if (i != excludeIdx && n >= 0)
    {
      any = true;
      total += n;
    }
  }
  return any ? total : -1;
}

void PluginAU::InformListeners(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element)
{
  // The listeners registered now and not removed since are called. Removals
  // only mark their record until the outermost notification ends, so the
  // records keep their places under this loop; a marked one is skipped, here
  // and in any notification nested inside, because a host may free its data
  // once it has removed the listener. Listeners added meanwhile sit past the
  // count taken here. Nothing is copied, so the render thread may notify.
  const int n = mPropertyListeners.GetSize();
  ++mNotifyDepth;
  for (int i = 0; i < n; ++i)
  {
    const IAUPropertyListener* l = mPropertyListeners.Get(i);
    if (l->mPropID == id && !l->mRemoved)
      l->mListenerProc(l->mProcArgs, mCI, id, scope, element);
  }
  if (--mNotifyDepth == 0)
    DeleteRemovedListeners();
}

void PluginAU::DeleteRemovedListeners()
{
  for (int i = mPropertyListeners.GetSize() - 1; i >= 0; --i)
  {
    if (mPropertyListeners.Get(i)->mRemoved)
      mPropertyListeners.Delete(i, true);
  }
}

void PluginAU::RemoveListenerAt(int idx)
{
  if (mNotifyDepth > 0)
    mPropertyListeners.Get(idx)->mRemoved = true;
  else
    mPropertyListeners.Delete(idx, true);
}

void PluginAU::FillClumpNames()
{
  if (mClumpNamesForNParams == NParams())
    return;
  mClumpNames.clear();
  for (int i = 0; i < NParams(); ++i)
  {
    const char* group = GetParam(i)->GetGroup();
    if (!group || !*group)
      continue;
    bool known = false;
    for (size_t c = 0; c < mClumpNames.size() && !known; ++c)
      known = std::strcmp(mClumpNames[c], group) == 0;
    if (!known)
      mClumpNames.push_back(group);
  }
  mClumpNamesForNParams = NParams();
}

UInt32 PluginAU::ClumpIDOfGroup(const char* group)
{
  if (!group || !*group)
    return 0;
  FillClumpNames();
  for (size_t c = 0; c < mClumpNames.size(); ++c)
  {
    if (std::strcmp(mClumpNames[c], group) == 0)
      return static_cast<UInt32>(c + 1);
  }
  return 0;
}

const char* PluginAU::ClumpName(UInt32 clumpID)
{
  FillClumpNames();
  if (clumpID < 1 || clumpID > mClumpNames.size())
    return nullptr;
  return mClumpNames[clumpID - 1];
}

} // namespace plugkit
