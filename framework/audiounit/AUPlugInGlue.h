#pragma once

#include <cstddef>

#include "AudioUnit/AudioUnit.h"

namespace plugkit {

class PluginAU;

// Link-time hooks: a plug-in module defines both, once, for its product
// class (which derives from PluginAU first, before any other base).
//
// Constructs the product in memory when given (the room behind the plug-in
// interface record), otherwise with new (the Component Manager road, whose
// close deletes it through DestroyPlugin). Returns the object; exceptions
// from the constructor propagate to the caller, which turns them into a
// status.
PluginAU* CreatePluginInstance(void* memory);
// sizeof the product class: the room the factory leaves behind the record.
size_t PluginInstanceSize();
// The factory places the object on this boundary; the product class may
// need no more (static_assert(alignof(Product) <= kPluginInstanceAlignment)
// beside the hooks).
constexpr size_t kPluginInstanceAlignment = 64;

// The plug-in interface record the module's factory hands out: eight
// pointer-sized words (Open, Close, Lookup, null, Construct, Destroy, null,
// null). The factory's block continues with the plug-in object's address
// (null until Open) and the room for the object itself; every method finds
// the object through the record the host passes first.
struct AUPlugInRecord
{
  AudioComponentPlugInInterface mInterface;
  void* (*mConstruct)(void* memory, AudioComponentInstance ci);
  void (*mDestroy)(void* plugin);
  void* mReserved[2];
};
static_assert(sizeof(AUPlugInRecord) == 64);

// The factory: a new block with the record filled; null when memory runs
// out. Close frees it.
AudioComponentPlugInInterface* NewAUPlugInBlock();
// The plug-in object of a record, or null before Open (or for null).
PluginAU* PluginOfRecord(void* record);

// The record's entries.
// Constructs the product in the block, stores the instance, drops preset
// slots that were never filled and starts the idle timer. 0, or -108
// (out of memory) when the product could not be built.
OSStatus AUPlugInOpen(void* self, AudioComponentInstance ci);
// Destroys the product (timer first) and frees the whole block. 0.
OSStatus AUPlugInClose(void* self);
void* AUPlugInConstruct(void* memory, AudioComponentInstance ci);
// Stops the timer, then runs the destructor in place; frees nothing.
void AUPlugInDestroy(void* plugin);
// The method of an Audio Unit selector; null for selectors not served
// (0, 8, 12, 13, 19 and above, the music-device selectors).
AudioComponentMethod AUMethodLookup(SInt16 selector);

// The methods; each takes the record first. Called before Open they answer
// kAudioUnitErr_Uninitialized.
OSStatus AUMethodInitialize(void* self);
OSStatus AUMethodUninitialize(void* self);
OSStatus AUMethodGetPropertyInfo(void* self, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                 UInt32* outDataSize, Boolean* outWritable);
OSStatus AUMethodGetProperty(void* self, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                             void* outData, UInt32* ioDataSize);
OSStatus AUMethodSetProperty(void* self, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                             const void* inData, UInt32 inDataSize);
OSStatus AUMethodGetParameter(void* self, AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                              AudioUnitParameterValue* outValue);
OSStatus AUMethodSetParameter(void* self, AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                              AudioUnitParameterValue value, UInt32 bufferOffset);
OSStatus AUMethodReset(void* self, AudioUnitScope scope, AudioUnitElement element);
OSStatus AUMethodAddPropertyListener(void* self, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                     void* userData);
OSStatus AUMethodRemovePropertyListener(void* self, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc);
OSStatus AUMethodRemovePropertyListenerWithUserData(void* self, AudioUnitPropertyID id,
                                                    AudioUnitPropertyListenerProc proc, void* userData);
OSStatus AUMethodRender(void* self, AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* inTimeStamp,
                        UInt32 outputBusIdx, UInt32 nFrames, AudioBufferList* ioData);
OSStatus AUMethodAddRenderNotify(void* self, AURenderCallback proc, void* userData);
OSStatus AUMethodRemoveRenderNotify(void* self, AURenderCallback proc, void* userData);
OSStatus AUMethodScheduleParameters(void* self, const AudioUnitParameterEvent* events, UInt32 nEvents);
// Present for instruments, but never handed out by the look-up.
OSStatus AUMethodMIDIEvent(void* self, UInt32 status, UInt32 data1, UInt32 data2, UInt32 offsetSampleFrame);
OSStatus AUMethodSysEx(void* self, const UInt8* data, UInt32 length);

} // namespace plugkit
