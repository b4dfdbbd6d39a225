#include <algorithm>
#include <cstring>

#include "framework/audiounit/AUPresetRecords.h"
#include "framework/audiounit/CFText.h"
#include "framework/audiounit/PluginAU.h"

namespace plugkit {

namespace {

AudioUnitParameterUnit AudioUnitUnitOf(const IParam& p, CFStringRef* unitName)
{
  switch (p.Type())
  {
    case IParam::kTypeInt:
    case IParam::kTypeEnum: return kAudioUnitParameterUnit_Indexed;
    case IParam::kTypeBool: return kAudioUnitParameterUnit_Boolean;
    default: break;
  }
  static const AudioUnitParameterUnit kByUnitCode[] = {
    kAudioUnitParameterUnit_Percent,       kAudioUnitParameterUnit_Seconds,
    kAudioUnitParameterUnit_Milliseconds,  kAudioUnitParameterUnit_SampleFrames,
    kAudioUnitParameterUnit_Decibels,      kAudioUnitParameterUnit_LinearGain,
    kAudioUnitParameterUnit_Pan,           kAudioUnitParameterUnit_Phase,
    kAudioUnitParameterUnit_Degrees,       kAudioUnitParameterUnit_Meters,
    kAudioUnitParameterUnit_Rate,          kAudioUnitParameterUnit_Ratio,
    kAudioUnitParameterUnit_Hertz,         kAudioUnitParameterUnit_Octaves,
    kAudioUnitParameterUnit_Cents,         kAudioUnitParameterUnit_AbsoluteCents,
    kAudioUnitParameterUnit_RelativeSemiTones, kAudioUnitParameterUnit_MIDINoteNumber,
    kAudioUnitParameterUnit_MIDIController, kAudioUnitParameterUnit_BPM,
    kAudioUnitParameterUnit_Beats,
  };
  const int code = p.Unit();
  if (code >= 0 && code < static_cast<int>(std::size(kByUnitCode)))
    return kByUnitCode[code];
  if (code == IParam::kUnitCustom && p.GetLabel() && *p.GetLabel())
  {
    *unitName = NewCFStringFromUTF8(p.GetLabel());
    return kAudioUnitParameterUnit_CustomUnit;
  }
  return kAudioUnitParameterUnit_Generic;
}

AudioUnitParameterOptions DisplayFlagOf(IParam::DisplayHint hint)
{
  switch (hint)
  {
    case IParam::kDisplayLog: return kAudioUnitParameterFlag_DisplayLogarithmic;
    case IParam::kDisplayExp: return kAudioUnitParameterFlag_DisplayExponential;
    case IParam::kDisplaySquared: return kAudioUnitParameterFlag_DisplaySquared;
    case IParam::kDisplaySquareRoot: return kAudioUnitParameterFlag_DisplaySquareRoot;
    case IParam::kDisplayCubed: return kAudioUnitParameterFlag_DisplayCubed;
    case IParam::kDisplayCubeRoot: return kAudioUnitParameterFlag_DisplayCubeRoot;
    default: return 0;
  }
}

// At most maxBytes bytes of text, not cutting a character in half.
PK_String CutUTF8(const char* text, int maxBytes)
{
  int n = static_cast<int>(std::strlen(text));
  if (n > maxBytes)
  {
    n = std::max(maxBytes, 0);
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
      --n;
  }
  PK_String out;
  if (n > 0)
    out.Set(text, n);
  return out;
}

void AppendTagsFor(int nChannels, std::vector<AudioChannelLayoutTag>& tags)
{
  const UInt32 n = static_cast<UInt32>(nChannels);
  std::vector<AudioChannelLayoutTag> add;
  switch (nChannels)
  {
    case 0: add = {kAudioChannelLayoutTag_UseChannelDescriptions}; break;
    case 1: add = {kAudioChannelLayoutTag_Mono}; break;
    case 2: add = {kAudioChannelLayoutTag_Stereo}; break;
    case 3: add = {kAudioChannelLayoutTag_MPEG_3_0_A}; break;
    case 4:
      add = {kAudioChannelLayoutTag_Quadraphonic, kAudioChannelLayoutTag_Ambisonic_B_Format,
             kAudioChannelLayoutTag_HOA_ACN_SN3D | 4};
      break;
    case 5: add = {kAudioChannelLayoutTag_MPEG_5_0_A}; break;
    case 6: add = {kAudioChannelLayoutTag_MPEG_5_1_A, kAudioChannelLayoutTag_AudioUnit_6_0}; break;
    case 7: add = {kAudioChannelLayoutTag_MPEG_6_1_A, kAudioChannelLayoutTag_AudioUnit_7_0}; break;
    case 8: add = {kAudioChannelLayoutTag_MPEG_7_1_C, kAudioChannelLayoutTag_MPEG_7_1_A}; break;
    case 9:
    case 16: add = {kAudioChannelLayoutTag_HOA_ACN_SN3D | n}; break;
    default: add = {kAudioChannelLayoutTag_DiscreteInOrder | n}; break;
  }
  for (AudioChannelLayoutTag t : add)
    if (std::find(tags.begin(), tags.end(), t) == tags.end())
      tags.push_back(t);
}

template <typename T>
void Write(void* pData, const T& value)
{
  std::memcpy(pData, &value, sizeof(T));
}

} // namespace

int PluginAU::GetChannelLayoutTags(AudioUnitScope scope, AudioUnitElement element, AudioChannelLayoutTag* tags) const
{
  if (scope != kAudioUnitScope_Input && scope != kAudioUnitScope_Output)
    return 0;
  const EChannelDirection direction = scope == kAudioUnitScope_Input ? kInput : kOutput;
  std::vector<AudioChannelLayoutTag> found;
  for (int c = 0; c < NIOConfigs(); ++c)
  {
    if (const IChannelIOBus* bus = GetIOConfig(c)->GetBusInfo(direction, static_cast<int>(element)))
      AppendTagsFor(bus->mNChans, found);
  }
  if (!tags)
    return static_cast<int>(found.size());
  std::copy(found.begin(), found.end(), tags);
  return 1;
}

OSStatus PluginAU::ReadProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                UInt32* pDataSize, void* pData)
{
  Boolean writable = false;
  UInt32 ownSize = 0;
  if (!pDataSize)
  {
    // The information call's status does not matter here: the read gives
    // its own (some properties tell their size and refuse the question).
    GetProperty(id, scope, element, &ownSize, &writable, nullptr);
    pDataSize = &ownSize;
  }
  return GetProperty(id, scope, element, pDataSize, &writable, pData);
}

OSStatus PluginAU::GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                               UInt32* pDataSize, Boolean* pWriteable, void* pData)
{
  const bool global = scope == kAudioUnitScope_Global;
  const UInt32 room = pData ? *pDataSize : 0;
  // Tells the size (and writability); a read must have room for it.
  auto answer = [&](UInt32 size, bool writable) -> OSStatus {
    if (pData && room < size)
      return kAudioUnitErr_InvalidPropertyValue;
    *pDataSize = size;
    if (writable)
      *pWriteable = true;
    return noErr;
  };
  auto paramOf = [&](UInt32 paramId) -> IParam* {
    return paramId > static_cast<UInt32>(INT32_MAX) ? nullptr : GetParam(static_cast<int>(paramId));
  };
  OSStatus status = noErr;

  switch (id)
  {
    case kPrivatePropertyPluginObject:
    {
      if ((status = answer(sizeof(void*), false)) != noErr || !pData)
        return status;
      Write<PluginAU*>(pData, this);
      return noErr;
    }
    case kAudioUnitProperty_ClassInfo:
    {
      if ((status = answer(sizeof(CFDictionaryRef), true)) != noErr || !pData)
        return status;
      CFMutableDictionaryRef dict = nullptr;
      status = GetState(&dict);
      if (status == noErr)
        Write(pData, dict);
      return status;
    }
    case kAudioUnitProperty_MakeConnection:
      if (!global && scope != kAudioUnitScope_Input)
        return kAudioUnitErr_InvalidProperty;
      return answer(sizeof(AudioUnitConnection), true);
    case kAudioUnitProperty_SampleRate:
      if ((status = answer(sizeof(Float64), true)) != noErr || !pData)
        return status;
      Write<Float64>(pData, GetSampleRate());
      return noErr;
    case kAudioUnitProperty_ParameterList:
    {
      const int n = global ? NParams() : 0;
      if ((status = answer(static_cast<UInt32>(n) * sizeof(AudioUnitParameterID), false)) != noErr || !pData)
        return status;
      auto* ids = static_cast<AudioUnitParameterID*>(pData);
      for (int i = 0; i < n; ++i)
        ids[i] = static_cast<AudioUnitParameterID>(i);
      return noErr;
    }
    case kAudioUnitProperty_ParameterInfo:
    {
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      const IParam* p = paramOf(element);
      if (!p)
        return kAudioUnitErr_InvalidElement;
      if ((status = answer(sizeof(AudioUnitParameterInfo), false)) != noErr || !pData)
        return status;
      AudioUnitParameterInfo info{};
      info.flags = kAudioUnitParameterFlag_IsWritable | kAudioUnitParameterFlag_IsReadable |
                   kAudioUnitParameterFlag_HasCFNameString | kAudioUnitParameterFlag_IsHighResolution |
                   kAudioUnitParameterFlag_CFNameRelease;
      if (p->GetMeta())
        info.flags |= kAudioUnitParameterFlag_IsElementMeta;
      if (!p->GetCanAutomate())
        info.flags |= kAudioUnitParameterFlag_NonRealTime;
      if (p->NDisplayTexts() > 0)
        info.flags |= kAudioUnitParameterFlag_ValuesHaveStrings;
      info.cfNameString = NewCFStringFromUTF8(p->GetName());
      std::strncpy(info.name, CutUTF8(p->GetName(), sizeof(info.name) - 1).Get(), sizeof(info.name) - 1);
      info.unit = AudioUnitUnitOf(*p, &info.unitName);
      info.flags |= DisplayFlagOf(p->GetDisplayHint());
      info.minValue = static_cast<AudioUnitParameterValue>(p->GetMin());
      info.maxValue = static_cast<AudioUnitParameterValue>(p->GetMax());
      info.defaultValue = static_cast<AudioUnitParameterValue>(p->GetDefault());
      if (const UInt32 clump = ClumpIDOfGroup(p->GetGroup()))
      {
        info.clumpID = clump;
        info.flags |= kAudioUnitParameterFlag_HasClump;
      }
      Write(pData, info);
      return noErr;
    }
    case kAudioUnitProperty_FastDispatch: return kAudioUnitErr_InvalidElement;
    case kAudioUnitProperty_StreamFormat:
    {
      const IAUBus* bus = GetBus(scope == kAudioUnitScope_Input ? kAudioUnitScope_Input
                                 : (global || scope == kAudioUnitScope_Output) ? kAudioUnitScope_Output
                                                                                : scope,
                                 static_cast<int>(std::min<UInt32>(element, INT32_MAX)));
      if (!bus)
        return kAudioUnitErr_InvalidProperty;
      if ((status = answer(sizeof(AudioStreamBasicDescription), true)) != noErr || !pData)
        return status;
      AudioStreamBasicDescription d{};
      d.mSampleRate = GetSampleRate();
      d.mFormatID = kAudioFormatLinearPCM;
      d.mFormatFlags = kAudioFormatFlagsCanonical;
      d.mBytesPerPacket = 4;
      d.mFramesPerPacket = 1;
      d.mBytesPerFrame = 4;
      d.mChannelsPerFrame = static_cast<UInt32>(bus->mNHostChannels >= 0 ? bus->mNHostChannels : bus->mNPlugChannels);
      d.mBitsPerChannel = 32;
      Write(pData, d);
      return noErr;
    }
    case kAudioUnitProperty_ElementCount:
    {
      if ((status = answer(sizeof(UInt32), false)) != noErr || !pData)
        return status;
      UInt32 n = 0;
      if (global)
        n = 1;
      else if (scope == kAudioUnitScope_Input)
        n = static_cast<UInt32>(NInBuses());
      else if (scope == kAudioUnitScope_Output)
        n = static_cast<UInt32>(NOutBuses());
      Write(pData, n);
      return noErr;
    }
    case kAudioUnitProperty_Latency:
    case kAudioUnitProperty_TailTime:
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      if ((status = answer(sizeof(Float64), false)) != noErr || !pData)
        return status;
      Write<Float64>(pData, (id == kAudioUnitProperty_Latency ? GetLatency() : GetTailSize()) / GetSampleRate());
      return noErr;
    case kAudioUnitProperty_SupportedNumChannels:
    {
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      const int n = NIOConfigs();
      if ((status = answer(static_cast<UInt32>(n) * sizeof(AUChannelInfo), false)) != noErr || !pData)
        return status;
      auto* infos = static_cast<AUChannelInfo*>(pData);
      auto count = [](const IChannelIOConfig& c, EChannelDirection d) -> SInt16 {
        if (c.ContainsWildcard(d))
          return -1;
        return static_cast<SInt16>(std::clamp(c.NBuses(d) ? c.GetTotalNChannels(d) : 0, -32768, 32767));
      };
      for (int i = 0; i < n; ++i)
        infos[i] = AUChannelInfo{count(*GetIOConfig(i), kInput), count(*GetIOConfig(i), kOutput)};
      return noErr;
    }
    case kAudioUnitProperty_MaximumFramesPerSlice:
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      if ((status = answer(sizeof(UInt32), true)) != noErr || !pData)
        return status;
      Write<UInt32>(pData, static_cast<UInt32>(GetBlockSize()));
      return noErr;
    case kAudioUnitProperty_ParameterValueStrings:
    {
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      const IParam* p = paramOf(element);
      if (!p)
        return kAudioUnitErr_InvalidElement;
      const int n = p->NDisplayTexts();
      if (n == 0)
      {
        *pDataSize = 0;
        return kAudioUnitErr_InvalidProperty;
      }
      if ((status = answer(sizeof(CFArrayRef), false)) != noErr || !pData)
        return status;
      CFMutableArrayRef array = CFArrayCreateMutable(kCFAllocatorDefault, n, &kCFTypeArrayCallBacks);
      if (!array)
        return coreFoundationUnknownErr;
      for (int i = 0; i < n; ++i)
      {
        CFStringRef text = NewCFStringFromUTF8(p->GetDisplayTextForValue(static_cast<double>(i)));
        if (text)
        {
          CFArrayAppendValue(array, text);
          CFRelease(text);
        }
      }
      Write<CFArrayRef>(pData, array);
      return noErr;
    }
    case kAudioUnitProperty_AudioChannelLayout: return kAudioUnitErr_InvalidPropertyValue;
    case kAudioUnitProperty_BypassEffect:
    case kAudioUnitProperty_OfflineRender:
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      if ((status = answer(sizeof(UInt32), true)) != noErr || !pData)
        return status;
      Write<UInt32>(pData, (id == kAudioUnitProperty_BypassEffect ? GetBypassed() : GetRenderingOffline()) ? 1 : 0);
      return noErr;
    case kAudioUnitProperty_LastRenderError:
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      if ((status = answer(sizeof(UInt32), false)) != noErr || !pData)
        return status;
      Write<UInt32>(pData, 0);
      return noErr;
    case kAudioUnitProperty_SetRenderCallback:
      if ((!global && scope != kAudioUnitScope_Input) || element >= static_cast<UInt32>(NInBuses()))
        return kAudioUnitErr_InvalidProperty;
      return answer(sizeof(AURenderCallbackStruct), true);
    case kAudioUnitProperty_FactoryPresets:
    {
      if ((status = answer(sizeof(CFArrayRef), false)) != noErr || !pData)
        return status;
      CFArrayCallBacks callBacks;
      GetAUPresetArrayCallBacks(&callBacks);
      CFMutableArrayRef array = CFArrayCreateMutable(kCFAllocatorDefault, NPresets(), &callBacks);
      if (!array)
        return coreFoundationUnknownErr;
      for (int i = 0; i < NPresets(); ++i)
      {
        CFStringRef name = NewCFStringFromUTF8(GetPresetName(i));
        if (AUPresetRecord* record = CreateAUPresetRecord(kCFAllocatorDefault, i, name))
        {
          CFArrayAppendValue(array, record);
          ReleaseAUPresetRecord(record);
        }
        if (name)
          CFRelease(name);
      }
      Write<CFArrayRef>(pData, array);
      return noErr;
    }
    case kAudioUnitProperty_HostCallbacks:
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      return answer(sizeof(HostCallbackInfo), true);
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
    {
      if ((status = answer(sizeof(AUPreset), true)) != noErr || !pData)
        return status;
      Write(pData, AUPreset{GetCurrentPresetIdx(), NewCFStringFromUTF8(GetPresetName(GetCurrentPresetIdx()))});
      return noErr;
    }
    case kAudioUnitProperty_ElementName:
    {
      if (!pData)
      {
        *pDataSize = sizeof(CFStringRef);
        return kAudioUnitErr_InvalidProperty;
      }
      if (scope != kAudioUnitScope_Input && scope != kAudioUnitScope_Output)
        return kAudioUnitErr_InvalidScope;
      const EChannelDirection direction = scope == kAudioUnitScope_Input ? kInput : kOutput;
      const int nBuses = MaxNBuses(direction);
      if (element >= static_cast<UInt32>(nBuses))
        return kAudioUnitErr_InvalidElement;
      if ((status = answer(sizeof(CFStringRef), false)) != noErr)
        return status;
      PK_String name;
      GetBusName(direction, static_cast<int>(element), nBuses, name);
      Write(pData, NewCFStringFromUTF8(name.Get()));
      return noErr;
    }
    case kAudioUnitProperty_CocoaUI:
    {
      if (!HasUI())
        return kAudioUnitErr_InvalidProperty;
      CFStringRef identifier = NewCFStringFromUTF8(GetBundleID());
      CFBundleRef bundle = CFBundleGetBundleWithIdentifier(identifier);
      if (identifier)
        CFRelease(identifier);
      // Without its bundle a host could not load the view class.
      if (!bundle)
        return kAudioUnitErr_InvalidProperty;
      if ((status = answer(sizeof(AudioUnitCocoaViewInfo), false)) != noErr || !pData)
        return status;
      AudioUnitCocoaViewInfo info{};
      info.mCocoaAUViewBundleLocation = CFBundleCopyBundleURL(bundle);
      if (!info.mCocoaAUViewBundleLocation)
        return kAudioUnitErr_InvalidProperty;
      info.mCocoaAUViewClass[0] = NewCFStringFromUTF8(GetCocoaViewClassName());
      Write(pData, info);
      return noErr;
    }
    case kAudioUnitProperty_SupportedChannelLayoutTags:
    {
      if (global)
      {
        if (pData)
          return kAudioUnitErr_InvalidProperty;
        *pDataSize = 0;
        return noErr;
      }
      const int n = GetChannelLayoutTags(scope, element, nullptr);
      if ((status = answer(static_cast<UInt32>(n) * sizeof(AudioChannelLayoutTag), n > 0)) != noErr || !pData)
        return status;
      GetChannelLayoutTags(scope, element, static_cast<AudioChannelLayoutTag*>(pData));
      return noErr;
    }
    case kAudioUnitProperty_ParameterStringFromValue:
    {
      if (!global)
        return noErr;
      if ((status = answer(sizeof(AudioUnitParameterStringFromValue), false)) != noErr || !pData)
        return status;
      auto* record = static_cast<AudioUnitParameterStringFromValue*>(pData);
      const IParam* p = paramOf(record->inParamID);
      if (!p)
        return kAudioUnitErr_InvalidElement;
      if (!record->inValue)
        return kAudioUnitErr_InvalidPropertyValue;
      p->GetDisplay(static_cast<double>(*record->inValue), false, mDisplayScratch);
      record->outString = NewCFStringFromUTF8(mDisplayScratch.Get());
      return noErr;
    }
    case kAudioUnitProperty_ParameterIDName:
    {
      if (!global)
        return noErr;
      if ((status = answer(sizeof(AudioUnitParameterIDName), false)) != noErr || !pData)
        return status;
      auto* record = static_cast<AudioUnitParameterIDName*>(pData);
      const IParam* p = paramOf(record->inID);
      if (!p)
        return kAudioUnitErr_InvalidElement;
      if (record->inDesiredLength < kAudioUnitParameterName_Full)
        return kAudioUnitErr_InvalidPropertyValue;
      const int keep = record->inDesiredLength == kAudioUnitParameterName_Full
                         ? IParam::kTextFieldSize - 1
                         : std::min<int>(record->inDesiredLength, IParam::kTextFieldSize - 1);
      record->outName = NewCFStringFromUTF8(CutUTF8(p->GetName(), keep).Get());
      return noErr;
    }
    case kAudioUnitProperty_ParameterClumpName:
    {
      if (!global)
        return noErr;
      if ((status = answer(sizeof(AudioUnitParameterNameInfo), false)) != noErr || !pData)
        return status;
      auto* record = static_cast<AudioUnitParameterNameInfo*>(pData);
      const char* name = static_cast<SInt32>(record->inID) > 0 ? ClumpName(record->inID) : nullptr;
      if (!name)
        return kAudioUnitErr_PropertyNotInUse;
      record->outName = NewCFStringFromUTF8(name);
      return noErr;
    }
    case kAudioUnitProperty_ParameterValueFromString:
    {
      if (!global)
        return noErr;
      if ((status = answer(sizeof(AudioUnitParameterValueFromString), false)) != noErr || !pData)
        return status;
      auto* record = static_cast<AudioUnitParameterValueFromString*>(pData);
      const IParam* p = paramOf(record->inParamID);
      if (!p)
        return kAudioUnitErr_InvalidElement;
      PK_String text;
      if (!CFStringToUTF8(record->inString, text))
        return kAudioUnitErr_InvalidPropertyValue;
      record->outValue = static_cast<AudioUnitParameterValue>(p->StringToValue(text.Get()));
      return noErr;
    }
    case kAudioUnitProperty_MIDIOutputCallbackInfo:
    {
      if ((status = answer(sizeof(CFArrayRef), false)) != noErr || !pData)
        return status;
      // A constant string: the array keeps no reference, and none leaks.
      const void* names[1] = {CFSTR("midiOut")};
      CFArrayRef array = CFArrayCreate(kCFAllocatorDefault, names, 1, nullptr);
      if (!array)
        return coreFoundationUnknownErr;
      Write(pData, array);
      return noErr;
    }
    case kAudioUnitProperty_MIDIOutputCallback:
      if ((status = answer(sizeof(AUMIDIOutputCallbackStruct), true)) != noErr)
        return status;
      return pData ? kAudioUnitErr_InvalidProperty : noErr;
    case kMusicDeviceProperty_InstrumentCount:
      if (!global || GetPlugType() != 1)
        return kAudioUnitErr_InvalidProperty;
      if ((status = answer(sizeof(UInt32), false)) != noErr || !pData)
        return status;
      Write<UInt32>(pData, 1);
      return noErr;
    default: return kAudioUnitErr_InvalidProperty;
  }
}

} // namespace plugkit
