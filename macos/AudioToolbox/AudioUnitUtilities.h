#pragma once

// Audio Unit events: how a unit tells listening hosts that a parameter
// changed or a gesture began or ended. The stand-in records every event in
// order (StandIn/AudioUnitEvents.h) for tests to read.

#include "AudioUnit/AUComponent.h"

typedef struct AUEventListenerObject* AUEventListenerRef;

typedef UInt32 AudioUnitEventType;
enum : AudioUnitEventType
{
  kAudioUnitEvent_ParameterValueChange = 0,
  kAudioUnitEvent_BeginParameterChangeGesture = 1,
  kAudioUnitEvent_EndParameterChangeGesture = 2,
  kAudioUnitEvent_PropertyChange = 3,
};

struct AudioUnitParameter
{
  AudioUnit mAudioUnit;
  AudioUnitParameterID mParameterID;
  AudioUnitScope mScope;
  AudioUnitElement mElement;
};

struct AudioUnitProperty
{
  AudioUnit mAudioUnit;
  AudioUnitPropertyID mPropertyID;
  AudioUnitScope mScope;
  AudioUnitElement mElement;
};

struct AudioUnitEvent
{
  AudioUnitEventType mEventType;
  union
  {
    AudioUnitParameter mParameter;
    AudioUnitProperty mProperty;
  } mArgument;
};
static_assert(sizeof(AudioUnitEvent) == 32);

// Any thread. Null event: -50 (paramErr); otherwise recorded, 0.
OSStatus AUEventListenerNotify(AUEventListenerRef inSendingListener, void* inSendingObject,
                               const AudioUnitEvent* inEvent);
