#pragma once

#include "AudioUnit/AudioUnitProperties.h"
#include "CoreFoundation/CFArray.h"

namespace plugkit {

// One element of the FactoryPresets array: the platform's AUPreset first
// (so a host reads it as one), then what the record's own reference
// counting needs. The record owns its name.
struct AUPresetRecord
{
  AUPreset mPreset;
  UInt32 mReserved = 0;
  CFAllocatorRef mAllocator = nullptr;
  int64_t mRefCount = 0;
};

// A record with count 1 (number and a copy of the name, when given); null
// when the allocator gives no memory.
AUPresetRecord* CreateAUPresetRecord(CFAllocatorRef allocator, SInt32 number, CFStringRef name);
AUPresetRecord* RetainAUPresetRecord(AUPresetRecord* record);
// Releases the name once and frees the record on its last release; null
// is left alone. A freed record is gone: releasing it again is the
// caller's fault, as with any object.
void ReleaseAUPresetRecord(AUPresetRecord* record);
// The numbers are equal and so are the names.
Boolean AUPresetRecordEqual(const void* a, const void* b);
// "AUPreset:\npreset number = <n>\npreset name = <name>", new.
CFStringRef AUPresetRecordDescription(const void* record);
// Version 0 and the four callbacks above, as a CFArray takes them.
void GetAUPresetArrayCallBacks(CFArrayCallBacks* callBacks);

} // namespace plugkit
