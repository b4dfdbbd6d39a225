#include "AudioUnit/AUComponent.h"
#include "CoreServices/ComponentInstanceRecord.h"
#include "StandIn/AudioUnits.h"

#include <type_traits>

// Each call goes to the unit's method from its record's look-up (the
// method takes the record first), or, for a unit without a record, through
// its component entry with the arguments in words 1, 2, ... after the
// instance in word 0.

namespace {

// One argument as a word of the call record (Components.h).
inline uint64_t Word(UInt32 v)
{
  return ComponentWordFromUInt(v);
}
inline uint64_t Word(Float32 v)
{
  return ComponentWordFromFloat(v);
}
template <typename T>
uint64_t Word(T* p)
{
  if constexpr (std::is_function_v<T>)
    return ComponentWordFromPointer(reinterpret_cast<const void*>(p));
  else
    return ComponentWordFromPointer(p);
}

template <typename... Args>
OSStatus Call(AudioUnit unit, int16_t selector, Args... args)
{
  if (!unit)
    return badComponentSelector;
  if (unit->plugIn)
  {
    using Method = OSStatus (*)(void*, Args...);
    AudioComponentMethod m = unit->plugIn->Lookup ? unit->plugIn->Lookup(selector) : nullptr;
    return m ? reinterpret_cast<Method>(m)(unit->plugIn, args...) : badComponentSelector;
  }
  if (!unit->entry)
    return badComponentSelector;
  return standin::CallComponent(unit, selector, {ComponentWordFromPointer(unit), Word(args)...});
}

} // namespace

OSStatus AudioUnitInitialize(AudioUnit unit)
{
  return Call(unit, kAudioUnitInitializeSelect);
}

OSStatus AudioUnitUninitialize(AudioUnit unit)
{
  return Call(unit, kAudioUnitUninitializeSelect);
}

OSStatus AudioUnitGetPropertyInfo(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                                  AudioUnitElement element, UInt32* outDataSize, Boolean* outWritable)
{
  return Call(unit, kAudioUnitGetPropertyInfoSelect, id, scope, element, outDataSize, outWritable);
}

OSStatus AudioUnitGetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                              void* outData, UInt32* ioDataSize)
{
  return Call(unit, kAudioUnitGetPropertySelect, id, scope, element, outData, ioDataSize);
}

OSStatus AudioUnitSetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                              const void* inData, UInt32 inDataSize)
{
  return Call(unit, kAudioUnitSetPropertySelect, id, scope, element, inData, inDataSize);
}

OSStatus AudioUnitGetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue* outValue)
{
  return Call(unit, kAudioUnitGetParameterSelect, id, scope, element, outValue);
}

OSStatus AudioUnitSetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue value, UInt32 bufferOffset)
{
  return Call(unit, kAudioUnitSetParameterSelect, id, scope, element, value, bufferOffset);
}

OSStatus AudioUnitRender(AudioUnit unit, AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* inTimeStamp,
                         UInt32 inOutputBusNumber, UInt32 inNumberFrames, AudioBufferList* ioData)
{
  return Call(unit, kAudioUnitRenderSelect, ioActionFlags, inTimeStamp, inOutputBusNumber, inNumberFrames, ioData);
}

OSStatus AudioUnitReset(AudioUnit unit, AudioUnitScope scope, AudioUnitElement element)
{
  return Call(unit, kAudioUnitResetSelect, scope, element);
}

OSStatus AudioUnitAddPropertyListener(AudioUnit unit, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                      void* userData)
{
  return Call(unit, kAudioUnitAddPropertyListenerSelect, id, proc, userData);
}

OSStatus AudioUnitRemovePropertyListenerWithUserData(AudioUnit unit, AudioUnitPropertyID id,
                                                     AudioUnitPropertyListenerProc proc, void* userData)
{
  return Call(unit, kAudioUnitRemovePropertyListenerWithUserDataSelect, id, proc, userData);
}

OSStatus AudioUnitAddRenderNotify(AudioUnit unit, AURenderCallback proc, void* userData)
{
  return Call(unit, kAudioUnitAddRenderNotifySelect, proc, userData);
}

OSStatus AudioUnitRemoveRenderNotify(AudioUnit unit, AURenderCallback proc, void* userData)
{
  return Call(unit, kAudioUnitRemoveRenderNotifySelect, proc, userData);
}

OSStatus AudioUnitScheduleParameters(AudioUnit unit, const AudioUnitParameterEvent* events, UInt32 nEvents)
{
  return Call(unit, kAudioUnitScheduleParametersSelect, events, nEvents);
}
