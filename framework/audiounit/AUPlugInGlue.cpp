#include "framework/audiounit/AUPlugInGlue.h"

#include <cstdint>
#include <new>

#include "framework/audiounit/PluginAU.h"

namespace plugkit {

namespace {

// The factory's block: the record, the object's address, then the object
// on the next cache-line boundary (the block itself starts on one).
constexpr size_t kPluginSlotOffset = sizeof(AUPlugInRecord);
constexpr size_t kObjectOffset =
  (kPluginSlotOffset + sizeof(void*) + kPluginInstanceAlignment - 1) / kPluginInstanceAlignment *
  kPluginInstanceAlignment;

PluginAU** PluginSlot(void* record)
{
  return reinterpret_cast<PluginAU**>(static_cast<char*>(record) + kPluginSlotOffset);
}

void* ObjectArea(void* record)
{
  return static_cast<char*>(record) + kObjectOffset;
}

} // namespace

AudioComponentPlugInInterface* NewAUPlugInBlock()
{
  void* block =
    ::operator new(kObjectOffset + PluginInstanceSize(), std::align_val_t{kPluginInstanceAlignment}, std::nothrow);
  if (!block)
    return nullptr;
  auto* record = new (block) AUPlugInRecord{};
  record->mInterface.Open = AUPlugInOpen;
  record->mInterface.Close = AUPlugInClose;
  record->mInterface.Lookup = AUMethodLookup;
  record->mInterface.reserved = nullptr;
  record->mConstruct = AUPlugInConstruct;
  record->mDestroy = AUPlugInDestroy;
  *PluginSlot(block) = nullptr;
  return &record->mInterface;
}

PluginAU* PluginOfRecord(void* record)
{
  return record ? *PluginSlot(record) : nullptr;
}

OSStatus AUPlugInOpen(void* self, AudioComponentInstance ci)
{
  if (!self)
    return kAudioUnitErr_InvalidPropertyValue;
  auto* record = static_cast<AUPlugInRecord*>(self);
  PluginAU* plugin = nullptr;
  try
  {
    plugin = static_cast<PluginAU*>(record->mConstruct(ObjectArea(self), ci));
  }
  catch (...)
  {
    return -108;
  }
  if (!plugin)
    return -108;
  *PluginSlot(self) = plugin;
  plugin->SetComponentInstance(ci);
  plugin->PruneUninitializedPresets();
  plugin->CreateTimer();
  return noErr;
}

OSStatus AUPlugInClose(void* self)
{
  if (!self)
    return noErr;
  auto* record = static_cast<AUPlugInRecord*>(self);
  if (PluginAU* plugin = PluginOfRecord(self))
    record->mDestroy(plugin);
  *PluginSlot(self) = nullptr;
  record->~AUPlugInRecord();
  ::operator delete(self, std::align_val_t{kPluginInstanceAlignment});
  return noErr;
}

void* AUPlugInConstruct(void* memory, AudioComponentInstance)
{
  return CreatePluginInstance(memory);
}

void AUPlugInDestroy(void* plugin)
{
  auto* p = static_cast<PluginAU*>(plugin);
  if (!p)
    return;
  p->StopTimer();
  p->~PluginAU();
}

AudioComponentMethod AUMethodLookup(SInt16 selector)
{
  switch (selector)
  {
    case kAudioUnitInitializeSelect: return reinterpret_cast<AudioComponentMethod>(AUMethodInitialize);
    case kAudioUnitUninitializeSelect: return reinterpret_cast<AudioComponentMethod>(AUMethodUninitialize);
    case kAudioUnitGetPropertyInfoSelect: return reinterpret_cast<AudioComponentMethod>(AUMethodGetPropertyInfo);
    case kAudioUnitGetPropertySelect: return reinterpret_cast<AudioComponentMethod>(AUMethodGetProperty);
    case kAudioUnitSetPropertySelect: return reinterpret_cast<AudioComponentMethod>(AUMethodSetProperty);
    case kAudioUnitGetParameterSelect: return reinterpret_cast<AudioComponentMethod>(AUMethodGetParameter);
    case kAudioUnitSetParameterSelect: return reinterpret_cast<AudioComponentMethod>(AUMethodSetParameter);
    case kAudioUnitResetSelect: return reinterpret_cast<AudioComponentMethod>(AUMethodReset);
    case kAudioUnitAddPropertyListenerSelect:
      return reinterpret_cast<AudioComponentMethod>(AUMethodAddPropertyListener);
    case kAudioUnitRemovePropertyListenerSelect:
      return reinterpret_cast<AudioComponentMethod>(AUMethodRemovePropertyListener);
    case kAudioUnitRenderSelect: return reinterpret_cast<AudioComponentMethod>(AUMethodRender);
    case kAudioUnitAddRenderNotifySelect: return reinterpret_cast<AudioComponentMethod>(AUMethodAddRenderNotify);
    case kAudioUnitRemoveRenderNotifySelect:
      return reinterpret_cast<AudioComponentMethod>(AUMethodRemoveRenderNotify);
    case kAudioUnitScheduleParametersSelect:
      return reinterpret_cast<AudioComponentMethod>(AUMethodScheduleParameters);
    case kAudioUnitRemovePropertyListenerWithUserDataSelect:
      return reinterpret_cast<AudioComponentMethod>(AUMethodRemovePropertyListenerWithUserData);
    default: return nullptr;
  }
}

// Methods -------------------------------------------------------------------------------

OSStatus AUMethodInitialize(void* self)
{
  PluginAU* p = PluginOfRecord(self);
  return p ? p->Initialize() : kAudioUnitErr_Uninitialized;
}

OSStatus AUMethodUninitialize(void* self)
{
  PluginAU* p = PluginOfRecord(self);
  if (!p)
    return kAudioUnitErr_Uninitialized;
  p->Uninitialize();
  return noErr;
}

OSStatus AUMethodGetPropertyInfo(void* self, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                 UInt32* outDataSize, Boolean* outWritable)
{
  PluginAU* p = PluginOfRecord(self);
  if (!p)
    return kAudioUnitErr_Uninitialized;
  UInt32 size = 0;
  Boolean writable = false;
  const OSStatus status = p->GetProperty(id, scope, element, &size, &writable, nullptr);
  if (outDataSize)
    *outDataSize = size;
  if (outWritable)
    *outWritable = writable;
  return status;
}

OSStatus AUMethodGetProperty(void* self, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                             void* outData, UInt32* ioDataSize)
{
  PluginAU* p = PluginOfRecord(self);
  if (!p)
    return kAudioUnitErr_Uninitialized;
  return p->ReadProperty(id, scope, element, ioDataSize, outData);
}

OSStatus AUMethodSetProperty(void* self, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                             const void* inData, UInt32 inDataSize)
{
  PluginAU* p = PluginOfRecord(self);
  return p ? p->SetProperty(id, scope, element, inDataSize, inData) : kAudioUnitErr_Uninitialized;
}

OSStatus AUMethodGetParameter(void* self, AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                              AudioUnitParameterValue* outValue)
{
  PluginAU* p = PluginOfRecord(self);
  return p ? p->GetParameter(id, scope, element, outValue) : kAudioUnitErr_Uninitialized;
}

OSStatus AUMethodSetParameter(void* self, AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                              AudioUnitParameterValue value, UInt32 bufferOffset)
{
  PluginAU* p = PluginOfRecord(self);
  return p ? p->SetParameter(id, scope, element, value, bufferOffset) : kAudioUnitErr_Uninitialized;
}

OSStatus AUMethodReset(void* self, AudioUnitScope scope, AudioUnitElement element)
{
  PluginAU* p = PluginOfRecord(self);
  return p ? p->Reset(scope, element) : kAudioUnitErr_Uninitialized;
}

OSStatus AUMethodAddPropertyListener(void* self, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                     void* userData)
{
  PluginAU* p = PluginOfRecord(self);
  return p ? p->AddPropertyListener(id, proc, userData) : kAudioUnitErr_Uninitialized;
}

OSStatus AUMethodRemovePropertyListener(void* self, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc)
{
  PluginAU* p = PluginOfRecord(self);
  return p ? p->RemovePropertyListener(id, proc) : kAudioUnitErr_Uninitialized;
}

OSStatus AUMethodRemovePropertyListenerWithUserData(void* self, AudioUnitPropertyID id,
                                                    AudioUnitPropertyListenerProc proc, void* userData)
{
  PluginAU* p = PluginOfRecord(self);
  return p ? p->RemovePropertyListenerWithUserData(id, proc, userData) : kAudioUnitErr_Uninitialized;
}

OSStatus AUMethodRender(void* self, AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* inTimeStamp,
                        UInt32 outputBusIdx, UInt32 nFrames, AudioBufferList* ioData)
{
  PluginAU* p = PluginOfRecord(self);
  return p ? p->Render(ioActionFlags, inTimeStamp, outputBusIdx, nFrames, ioData) : kAudioUnitErr_Uninitialized;
}

OSStatus AUMethodAddRenderNotify(void* self, AURenderCallback proc, void* userData)
{
  PluginAU* p = PluginOfRecord(self);
  return p ? p->AddRenderNotify(proc, userData) : kAudioUnitErr_Uninitialized;
}

OSStatus AUMethodRemoveRenderNotify(void* self, AURenderCallback proc, void* userData)
{
  PluginAU* p = PluginOfRecord(self);
  return p ? p->RemoveRenderNotify(proc, userData) : kAudioUnitErr_Uninitialized;
}

OSStatus AUMethodScheduleParameters(void* self, const AudioUnitParameterEvent* events, UInt32 nEvents)
{
  PluginAU* p = PluginOfRecord(self);
  return p ? p->ScheduleParameters(events, nEvents) : kAudioUnitErr_Uninitialized;
}

OSStatus AUMethodMIDIEvent(void* self, UInt32 status, UInt32 data1, UInt32 data2, UInt32 offsetSampleFrame)
{
  PluginAU* p = PluginOfRecord(self);
  return p ? p->MIDIEvent(status, data1, data2, offsetSampleFrame) : kAudioUnitErr_Uninitialized;
}

OSStatus AUMethodSysEx(void* self, const UInt8* data, UInt32 length)
{
  PluginAU* p = PluginOfRecord(self);
  return p ? p->SysEx(data, length) : kAudioUnitErr_Uninitialized;
}

} // namespace plugkit
