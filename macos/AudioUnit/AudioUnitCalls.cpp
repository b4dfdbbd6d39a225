#include "AudioUnit/AUComponent.h"
#include "CoreServices/ComponentInstanceRecord.h"
#include "StandIn/AudioUnits.h"

// Each call goes to the unit's method from its record's look-up (the
// method takes the record first), or, for a unit without a record, through
// its component entry with the arguments in words 1, 2, ... after the
// instance in word 0.

namespace {

template <typename Method>
Method Look(AudioUnit unit, int16_t selector)
{
  if (!unit || !unit->plugIn || !unit->plugIn->Lookup)
    return nullptr;
  return reinterpret_cast<Method>(unit->plugIn->Lookup(selector));
}

template <typename... Words>
OSStatus ViaEntry(AudioUnit unit, int16_t selector, Words... words)
{
  if (!unit || !unit->entry)
    return badComponentSelector;
  return standin::CallComponent(unit, selector, {ComponentWordFromPointer(unit), words...});
}

} // namespace

OSStatus AudioUnitInitialize(AudioUnit unit)
{
  using M = OSStatus (*)(void*);
  if (unit && unit->plugIn)
  {
    M m = Look<M>(unit, kAudioUnitInitializeSelect);
    return m ? m(unit->plugIn) : badComponentSelector;
  }
  return ViaEntry(unit, kAudioUnitInitializeSelect);
}

OSStatus AudioUnitUninitialize(AudioUnit unit)
{
  using M = OSStatus (*)(void*);
  if (unit && unit->plugIn)
  {
    M m = Look<M>(unit, kAudioUnitUninitializeSelect);
    return m ? m(unit->plugIn) : badComponentSelector;
  }
  return ViaEntry(unit, kAudioUnitUninitializeSelect);
}

OSStatus AudioUnitGetPropertyInfo(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                                  AudioUnitElement element, UInt32* outDataSize, Boolean* outWritable)
{
  using M = OSStatus (*)(void*, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement, UInt32*, Boolean*);
  if (unit && unit->plugIn)
  {
    M m = Look<M>(unit, kAudioUnitGetPropertyInfoSelect);
    return m ? m(unit->plugIn, id, scope, element, outDataSize, outWritable) : badComponentSelector;
  }
  return ViaEntry(unit, kAudioUnitGetPropertyInfoSelect, ComponentWordFromUInt(id), ComponentWordFromUInt(scope),
                  ComponentWordFromUInt(element), ComponentWordFromPointer(outDataSize),
                  ComponentWordFromPointer(outWritable));
}

OSStatus AudioUnitGetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                              void* outData, UInt32* ioDataSize)
{
  using M = OSStatus (*)(void*, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement, void*, UInt32*);
  if (unit && unit->plugIn)
  {
    M m = Look<M>(unit, kAudioUnitGetPropertySelect);
    return m ? m(unit->plugIn, id, scope, element, outData, ioDataSize) : badComponentSelector;
  }
  return ViaEntry(unit, kAudioUnitGetPropertySelect, ComponentWordFromUInt(id), ComponentWordFromUInt(scope),
                  ComponentWordFromUInt(element), ComponentWordFromPointer(outData),
                  ComponentWordFromPointer(ioDataSize));
}

OSStatus AudioUnitSetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                              const void* inData, UInt32 inDataSize)
{
  using M = OSStatus (*)(void*, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement, const void*, UInt32);
  if (unit && unit->plugIn)
  {
    M m = Look<M>(unit, kAudioUnitSetPropertySelect);
    return m ? m(unit->plugIn, id, scope, element, inData, inDataSize) : badComponentSelector;
  }
  return ViaEntry(unit, kAudioUnitSetPropertySelect, ComponentWordFromUInt(id), ComponentWordFromUInt(scope),
                  ComponentWordFromUInt(element), ComponentWordFromPointer(inData), ComponentWordFromUInt(inDataSize));
}

OSStatus AudioUnitGetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue* outValue)
{
  using M = OSStatus (*)(void*, AudioUnitParameterID, AudioUnitScope, AudioUnitElement, AudioUnitParameterValue*);
  if (unit && unit->plugIn)
  {
    M m = Look<M>(unit, kAudioUnitGetParameterSelect);
    return m ? m(unit->plugIn, id, scope, element, outValue) : badComponentSelector;
  }
  return ViaEntry(unit, kAudioUnitGetParameterSelect, ComponentWordFromUInt(id), ComponentWordFromUInt(scope),
                  ComponentWordFromUInt(element), ComponentWordFromPointer(outValue));
}

OSStatus AudioUnitSetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue value, UInt32 bufferOffset)
{
  using M = OSStatus (*)(void*, AudioUnitParameterID, AudioUnitScope, AudioUnitElement, AudioUnitParameterValue,
                         UInt32);
  if (unit && unit->plugIn)
  {
    M m = Look<M>(unit, kAudioUnitSetParameterSelect);
    return m ? m(unit->plugIn, id, scope, element, value, bufferOffset) : badComponentSelector;
  }
  return ViaEntry(unit, kAudioUnitSetParameterSelect, ComponentWordFromUInt(id), ComponentWordFromUInt(scope),
                  ComponentWordFromUInt(element), ComponentWordFromFloat(value), ComponentWordFromUInt(bufferOffset));
}

OSStatus AudioUnitRender(AudioUnit unit, AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* inTimeStamp,
                         UInt32 inOutputBusNumber, UInt32 inNumberFrames, AudioBufferList* ioData)
{
  using M = OSStatus (*)(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32, AudioBufferList*);
  if (unit && unit->plugIn)
  {
    M m = Look<M>(unit, kAudioUnitRenderSelect);
    return m ? m(unit->plugIn, ioActionFlags, inTimeStamp, inOutputBusNumber, inNumberFrames, ioData)
             : badComponentSelector;
  }
  return ViaEntry(unit, kAudioUnitRenderSelect, ComponentWordFromPointer(ioActionFlags),
                  ComponentWordFromPointer(inTimeStamp), ComponentWordFromUInt(inOutputBusNumber),
                  ComponentWordFromUInt(inNumberFrames), ComponentWordFromPointer(ioData));
}

OSStatus AudioUnitReset(AudioUnit unit, AudioUnitScope scope, AudioUnitElement element)
{
  using M = OSStatus (*)(void*, AudioUnitScope, AudioUnitElement);
  if (unit && unit->plugIn)
  {
    M m = Look<M>(unit, kAudioUnitResetSelect);
    return m ? m(unit->plugIn, scope, element) : badComponentSelector;
  }
  return ViaEntry(unit, kAudioUnitResetSelect, ComponentWordFromUInt(scope), ComponentWordFromUInt(element));
}

OSStatus AudioUnitAddPropertyListener(AudioUnit unit, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                      void* userData)
{
  using M = OSStatus (*)(void*, AudioUnitPropertyID, AudioUnitPropertyListenerProc, void*);
  if (unit && unit->plugIn)
  {
    M m = Look<M>(unit, kAudioUnitAddPropertyListenerSelect);
    return m ? m(unit->plugIn, id, proc, userData) : badComponentSelector;
  }
  return ViaEntry(unit, kAudioUnitAddPropertyListenerSelect, ComponentWordFromUInt(id),
                  ComponentWordFromPointer(reinterpret_cast<const void*>(proc)), ComponentWordFromPointer(userData));
}

OSStatus AudioUnitRemovePropertyListenerWithUserData(AudioUnit unit, AudioUnitPropertyID id,
                                                     AudioUnitPropertyListenerProc proc, void* userData)
{
  using M = OSStatus (*)(void*, AudioUnitPropertyID, AudioUnitPropertyListenerProc, void*);
  if (unit && unit->plugIn)
  {
    M m = Look<M>(unit, kAudioUnitRemovePropertyListenerWithUserDataSelect);
    return m ? m(unit->plugIn, id, proc, userData) : badComponentSelector;
  }
  return ViaEntry(unit, kAudioUnitRemovePropertyListenerWithUserDataSelect, ComponentWordFromUInt(id),
                  ComponentWordFromPointer(reinterpret_cast<const void*>(proc)), ComponentWordFromPointer(userData));
}

OSStatus AudioUnitAddRenderNotify(AudioUnit unit, AURenderCallback proc, void* userData)
{
  using M = OSStatus (*)(void*, AURenderCallback, void*);
  if (unit && unit->plugIn)
  {
    M m = Look<M>(unit, kAudioUnitAddRenderNotifySelect);
    return m ? m(unit->plugIn, proc, userData) : badComponentSelector;
  }
  return ViaEntry(unit, kAudioUnitAddRenderNotifySelect, ComponentWordFromPointer(reinterpret_cast<const void*>(proc)),
                  ComponentWordFromPointer(userData));
}

OSStatus AudioUnitRemoveRenderNotify(AudioUnit unit, AURenderCallback proc, void* userData)
{
  using M = OSStatus (*)(void*, AURenderCallback, void*);
  if (unit && unit->plugIn)
  {
    M m = Look<M>(unit, kAudioUnitRemoveRenderNotifySelect);
    return m ? m(unit->plugIn, proc, userData) : badComponentSelector;
  }
  return ViaEntry(unit, kAudioUnitRemoveRenderNotifySelect,
                  ComponentWordFromPointer(reinterpret_cast<const void*>(proc)), ComponentWordFromPointer(userData));
}

OSStatus AudioUnitScheduleParameters(AudioUnit unit, const AudioUnitParameterEvent* events, UInt32 nEvents)
{
  using M = OSStatus (*)(void*, const AudioUnitParameterEvent*, UInt32);
  if (unit && unit->plugIn)
  {
    M m = Look<M>(unit, kAudioUnitScheduleParametersSelect);
    return m ? m(unit->plugIn, events, nEvents) : badComponentSelector;
  }
  return ViaEntry(unit, kAudioUnitScheduleParametersSelect, ComponentWordFromPointer(events),
                  ComponentWordFromUInt(nEvents));
}
