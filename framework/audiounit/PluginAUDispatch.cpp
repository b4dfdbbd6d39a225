#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

#include "framework/audiounit/AUPlugInGlue.h"
#include "framework/audiounit/CFText.h"
#include "framework/audiounit/PluginAU.h"

namespace plugkit {

namespace {

// "a.b.c" packed as a << 16 | b << 8 | c, each part the decimal number
// after one separating character; missing parts count 0.
int PackVersionText(const char* text)
{
  if (!text || !*text)
    return 0;
  char* end = nullptr;
  const long a = std::strtol(text, &end, 10);
  long b = 0, c = 0;
  if (end && *end)
  {
    b = std::strtol(end + 1, &end, 10);
    if (end && *end)
      c = std::strtol(end + 1, &end, 10);
  }
  return static_cast<int>((a << 16) | ((b << 8) & 0xFFFF) | (c & 0xFF));
}

bool CanDo(int selector)
{
  switch (selector)
  {
    case 1: case 2: case 3: case 4: case 5: case 6: case 7:
    case 9: case 10: case 11:
    case 14: case 15: case 16: case 17:
      return true;
    default:
      return false;
  }
}

} // namespace

ComponentResult PluginAU::ComponentDispatch(ComponentParameters* params, PluginAU* self)
{
  if (!params)
    return badComponentSelector;
  const uint64_t* w = params->params;
  const int16_t selector = params->what;

  switch (selector)
  {
    case kComponentOpenSelect:
    {
      auto ci = PointerFromComponentWord<ComponentInstanceRecord>(w[1]);
      PluginAU* plugin = nullptr;
      try
      {
        plugin = CreatePluginInstance(nullptr);
      }
      catch (...)
      {
        return -108;
      }
      if (!plugin)
        return -108;
      plugin->PruneUninitializedPresets();
      plugin->mCI = ci;
      SetComponentInstanceStorage(ci, plugin);
      plugin->CreateTimer();
      return noErr;
    }
    case kComponentCloseSelect:
      if (self)
      {
        for (int i = 0; i < self->mInBuses.GetSize(); ++i)
        {
          self->mInBuses.Get(i)->mConnected = false;
          self->mInBuses.Get(i)->mNHostChannels = -1;
          *self->mInputConnections.Get(i) = IAUInputConnection{};
        }
        for (int i = 0; i < self->mOutBuses.GetSize(); ++i)
        {
          self->mOutBuses.Get(i)->mConnected = false;
          self->mOutBuses.Get(i)->mNHostChannels = -1;
        }
        SetComponentInstanceStorage(self->mCI, nullptr);
        DestroyPlugin(self);
      }
      return noErr;
    case kComponentCanDoSelect: return CanDo(IntFromComponentWord(w[0])) ? 1 : 0;
    case kComponentVersionSelect:
      // The version does not need an open instance.
      return self ? self->GetPluginVersion(false) : badComponentSelector;
    default: break;
  }

  const bool audioUnitSelector = (selector >= 1 && selector <= 18 && selector != 8 && selector != 12 &&
                                  selector != 13) ||
                                 (selector >= kMusicDeviceMIDIEventSelect && selector <= kMusicDeviceStopNoteSelect);
  if (!audioUnitSelector)
    return badComponentSelector;
  if (!self)
    return kAudioUnitErr_Uninitialized;

  const UInt32 a1 = UIntFromComponentWord(w[1]);
  const UInt32 a2 = UIntFromComponentWord(w[2]);
  const UInt32 a3 = UIntFromComponentWord(w[3]);

  switch (selector)
  {
    case kAudioUnitInitializeSelect: return self->Initialize();
    case kAudioUnitUninitializeSelect: self->Uninitialize(); return noErr;
    case kAudioUnitGetPropertyInfoSelect:
    {
      UInt32 localSize = 0;
      Boolean localWritable = false;
      UInt32* size = PointerFromComponentWord<UInt32>(w[4]);
      Boolean* writable = PointerFromComponentWord<Boolean>(w[5]);
      if (!size)
        size = &localSize;
      if (!writable)
        writable = &localWritable;
      *writable = false;
      return self->GetProperty(a1, a2, a3, size, writable, nullptr);
    }
    case kAudioUnitGetPropertySelect:
      return self->ReadProperty(a1, a2, a3, PointerFromComponentWord<UInt32>(w[5]), PointerFromComponentWord(w[4]));
    case kAudioUnitSetPropertySelect:
      return self->SetProperty(a1, a2, a3, UIntFromComponentWord(w[5]), PointerFromComponentWord(w[4]));
    case kAudioUnitGetParameterSelect:
      return self->GetParameter(a1, a2, a3, PointerFromComponentWord<AudioUnitParameterValue>(w[4]));
    case kAudioUnitSetParameterSelect:
      return self->SetParameter(a1, a2, a3, FloatFromComponentWord(w[4]), UIntFromComponentWord(w[5]));
    case kAudioUnitResetSelect: return self->Reset(a1, a2);
    case kAudioUnitAddPropertyListenerSelect:
      return self->AddPropertyListener(a1, reinterpret_cast<AudioUnitPropertyListenerProc>(w[2]),
                                       PointerFromComponentWord(w[3]));
    case kAudioUnitRemovePropertyListenerSelect:
      return self->RemovePropertyListener(a1, reinterpret_cast<AudioUnitPropertyListenerProc>(w[2]));
    case kAudioUnitRemovePropertyListenerWithUserDataSelect:
      return self->RemovePropertyListenerWithUserData(a1, reinterpret_cast<AudioUnitPropertyListenerProc>(w[2]),
                                                      PointerFromComponentWord(w[3]));
    case kAudioUnitRenderSelect:
      return self->Render(PointerFromComponentWord<AudioUnitRenderActionFlags>(w[1]),
                          PointerFromComponentWord<const AudioTimeStamp>(w[2]), a3, UIntFromComponentWord(w[4]),
                          PointerFromComponentWord<AudioBufferList>(w[5]));
    case kAudioUnitAddRenderNotifySelect:
      return self->AddRenderNotify(reinterpret_cast<AURenderCallback>(w[1]), PointerFromComponentWord(w[2]));
    case kAudioUnitRemoveRenderNotifySelect:
      return self->RemoveRenderNotify(reinterpret_cast<AURenderCallback>(w[1]), PointerFromComponentWord(w[2]));
    case kAudioUnitScheduleParametersSelect:
      return self->ScheduleParameters(PointerFromComponentWord<const AudioUnitParameterEvent>(w[1]), a2);
    case kMusicDeviceMIDIEventSelect: return self->MIDIEvent(a1, a2, a3, UIntFromComponentWord(w[4]));
    case kMusicDeviceSysExSelect: return self->SysEx(PointerFromComponentWord<const UInt8>(w[1]), a2);
    case kMusicDeviceStartNoteSelect:
      return self->StartNote(a1, a2, PointerFromComponentWord<NoteInstanceID>(w[3]), UIntFromComponentWord(w[4]),
                             PointerFromComponentWord<const MusicDeviceNoteParams>(w[5]));
    case kMusicDevicePrepareInstrumentSelect:
    case kMusicDeviceReleaseInstrumentSelect:
    case kMusicDeviceStopNoteSelect:
      return noErr;
    default: return badComponentSelector;
  }
}

OSStatus PluginAU::Initialize()
{
  if (GetHost() == kHostUninit)
  {
    CFBundleRef mainBundle = CFBundleGetMainBundle();
    if (!mainBundle)
      SetHost("", 0);
    else
    {
      PK_String identifier, version;
      CFStringToUTF8(CFBundleGetIdentifier(mainBundle), identifier);
      CFTypeRef versionValue = CFBundleGetValueForInfoDictionaryKey(mainBundle, kCFBundleVersionKey);
      if (versionValue && CFGetTypeID(versionValue) == CFStringGetTypeID())
        CFStringToUTF8(static_cast<CFStringRef>(versionValue), version);
      SetHost(identifier.Get(), PackVersionText(version.Get()));
    }
  }

  const int nIn = NHostChannelsConnected(mInBuses);
  const int nOut = NHostChannelsConnected(mOutBuses);
  if (!(nIn == 0 && nOut == 0) && !IsLegalBusCounts(HostCounts(mInBuses), HostCounts(mOutBuses)))
    return badComponentSelector;

  mActive = true;
  OnParamReset(kSourceReset);
  OnActivate(true);
  // A sample rate or block size set before this call reaches the DSP here.
  OnReset();
  // The next render pulls its inputs, whatever sample time the host gives.
  mLastRenderSampleTime = -1.0;
  return noErr;
}

void PluginAU::Uninitialize()
{
  mActive = false;
  OnActivate(false);
}

OSStatus PluginAU::GetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement,
                                AudioUnitParameterValue* outValue)
{
  if (scope != kAudioUnitScope_Global)
    return kAudioUnitErr_InvalidProperty;
  const IParam* param = GetParam(static_cast<int>(id));
  if (!param || id > INT32_MAX)
    return kAudioUnitErr_InvalidParameter;
  if (!outValue)
    return kAudioUnitErr_InvalidPropertyValue;
  *outValue = static_cast<AudioUnitParameterValue>(param->Value());
  return noErr;
}

OSStatus PluginAU::SetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement,
                                AudioUnitParameterValue value, UInt32 bufferOffset)
{
  if (scope != kAudioUnitScope_Global)
    return kAudioUnitErr_InvalidProperty;
  const int idx = static_cast<int>(id);
  IParam* param = id > INT32_MAX ? nullptr : GetParam(idx);
  if (!param)
    return kAudioUnitErr_InvalidParameter;
  param->Set(static_cast<double>(value));
  SendParameterValueFromHost(idx, false, static_cast<double>(value));
  OnParamChange(idx, kSourceHost, static_cast<int>(bufferOffset));
  return noErr;
}

OSStatus PluginAU::ScheduleParameters(const AudioUnitParameterEvent* events, UInt32 nEvents)
{
  if (nEvents > 0 && !events)
    return kAudioUnitErr_InvalidPropertyValue;
  for (UInt32 i = 0; i < nEvents; ++i)
  {
    const AudioUnitParameterEvent& e = events[i];
    if (e.eventType != kParameterEvent_Immediate)
      continue;
    const OSStatus status =
      SetParameter(e.parameter, e.scope, e.element, e.eventValues.immediate.value, e.eventValues.immediate.bufferOffset);
    if (status != noErr)
      return status;
  }
  return noErr;
}

OSStatus PluginAU::Reset(AudioUnitScope, AudioUnitElement)
{
  OnReset();
  // A host that never advances its sample time still gets fresh input
  // after a reset.
  mLastRenderSampleTime = -1.0;
  return noErr;
}

OSStatus PluginAU::AddPropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc, void* userData)
{
  if (!proc)
    return kAudioUnitErr_InvalidPropertyValue;
  for (int i = 0; i < mPropertyListeners.GetSize(); ++i)
  {
    const IAUPropertyListener* l = mPropertyListeners.Get(i);
    if (!l->mRemoved && l->mPropID == id && l->mListenerProc == proc)
      return noErr;
  }
  auto* listener = new (std::nothrow) IAUPropertyListener{id, proc, userData};
  if (listener && !mPropertyListeners.Add(listener))
    delete listener;
  return noErr;
}

OSStatus PluginAU::RemovePropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc)
{
  for (int i = 0; i < mPropertyListeners.GetSize(); ++i)
  {
    const IAUPropertyListener* l = mPropertyListeners.Get(i);
    if (!l->mRemoved && l->mPropID == id && l->mListenerProc == proc)
    {
      RemoveListenerAt(i);
      break;
    }
  }
  return noErr;
}

OSStatus PluginAU::RemovePropertyListenerWithUserData(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                                      void* userData)
{
  for (int i = 0; i < mPropertyListeners.GetSize(); ++i)
  {
    const IAUPropertyListener* l = mPropertyListeners.Get(i);
    if (!l->mRemoved && l->mPropID == id && l->mListenerProc == proc && l->mProcArgs == userData)
    {
      RemoveListenerAt(i);
      break;
    }
  }
  return noErr;
}

OSStatus PluginAU::AddRenderNotify(AURenderCallback proc, void* userData)
{
  if (!proc)
    return kAudioUnitErr_InvalidPropertyValue;
  auto* notify = new (std::nothrow) IAURenderNotify{proc, userData};
  if (notify && !mRenderNotify.Add(notify))
    delete notify;
  return noErr;
}

OSStatus PluginAU::RemoveRenderNotify(AURenderCallback proc, void*)
{
  for (int i = 0; i < mRenderNotify.GetSize(); ++i)
  {
    if (mRenderNotify.Get(i)->mFunc == proc)
    {
      mRenderNotify.Delete(i, true);
      break;
    }
  }
  return noErr;
}

OSStatus PluginAU::MIDIEvent(UInt32 status, UInt32 data1, UInt32 data2, UInt32 offsetSampleFrame)
{
  if (!DoesMIDIIn())
    return badComponentSelector;
  const IMidiMsg msg{static_cast<int32_t>(offsetSampleFrame), static_cast<uint8_t>(status),
                     static_cast<uint8_t>(data1), static_cast<uint8_t>(data2)};
  ProcessMidiMsg(msg);
  mMidiMsgsFromProcessor.Push(msg);
  return noErr;
}

OSStatus PluginAU::SysEx(const UInt8* data, UInt32 length)
{
  if (!DoesMIDIIn())
    return badComponentSelector;
  if (length > 0 && !data)
    return kAudioUnitErr_InvalidPropertyValue;
  const ISysExMsg msg{0, static_cast<int32_t>(std::min<UInt32>(length, INT32_MAX)), data};
  ProcessSysEx(msg);
  return noErr;
}

OSStatus PluginAU::StartNote(MusicDeviceInstrumentID, MusicDeviceGroupID, NoteInstanceID* outNoteID, UInt32,
                             const MusicDeviceNoteParams* params)
{
  if (!outNoteID || !params)
    return kAudioUnitErr_InvalidPropertyValue;
  const double pitch = params->mPitch;
  *outNoteID = std::isfinite(pitch) && pitch > -1.0 && pitch < 4294967296.0
                 ? static_cast<NoteInstanceID>(static_cast<int64_t>(std::trunc(pitch)))
                 : 0;
  return noErr;
}

} // namespace plugkit
