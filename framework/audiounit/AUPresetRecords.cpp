#include "framework/audiounit/AUPresetRecords.h"

#include <new>

#include "CoreFoundation/CFString.h"

namespace plugkit {

namespace {

const void* RetainInArray(CFAllocatorRef, const void* value)
{
  return RetainAUPresetRecord(static_cast<AUPresetRecord*>(const_cast<void*>(value)));
}

void ReleaseInArray(CFAllocatorRef, const void* value)
{
  ReleaseAUPresetRecord(static_cast<AUPresetRecord*>(const_cast<void*>(value)));
}

} // namespace

AUPresetRecord* CreateAUPresetRecord(CFAllocatorRef allocator, SInt32 number, CFStringRef name)
{
  void* memory = CFAllocatorAllocate(allocator, sizeof(AUPresetRecord), 0);
  if (!memory)
    return nullptr;
  auto* record = new (memory) AUPresetRecord;
  record->mPreset.presetNumber = number;
  record->mPreset.presetName = name ? CFStringCreateCopy(allocator, name) : nullptr;
  record->mAllocator = allocator;
  record->mRefCount = 1;
  return record;
}

AUPresetRecord* RetainAUPresetRecord(AUPresetRecord* record)
{
  if (record)
  {
    if (record->mPreset.presetName)
      CFRetain(record->mPreset.presetName);
    ++record->mRefCount;
  }
  return record;
}

void ReleaseAUPresetRecord(AUPresetRecord* record)
{
  if (!record || record->mRefCount < 1)
    return;
  if (record->mPreset.presetName)
    CFRelease(record->mPreset.presetName);
  if (--record->mRefCount == 0)
  {
    record->mPreset.presetName = nullptr;
    record->mPreset.presetNumber = 0;
    CFAllocatorRef allocator = record->mAllocator;
    record->~AUPresetRecord();
    CFAllocatorDeallocate(allocator, record);
  }
}

Boolean AUPresetRecordEqual(const void* a, const void* b)
{
  const auto* x = static_cast<const AUPresetRecord*>(a);
  const auto* y = static_cast<const AUPresetRecord*>(b);
  if (!x || !y)
    return x == y;
  return x->mPreset.presetNumber == y->mPreset.presetNumber &&
         CFStringCompare(x->mPreset.presetName, y->mPreset.presetName, 0) == kCFCompareEqualTo;
}

CFStringRef AUPresetRecordDescription(const void* value)
{
  const auto* record = static_cast<const AUPresetRecord*>(value);
  if (!record)
    return nullptr;
  return CFStringCreateWithFormat(kCFAllocatorDefault, nullptr,
                                  CFSTR("AUPreset:\npreset number = %d\npreset name = %@"),
                                  static_cast<int>(record->mPreset.presetNumber), record->mPreset.presetName);
}

void GetAUPresetArrayCallBacks(CFArrayCallBacks* callBacks)
{
  if (!callBacks)
    return;
  callBacks->version = 0;
  callBacks->retain = RetainInArray;
  callBacks->release = ReleaseInArray;
  callBacks->copyDescription = AUPresetRecordDescription;
  callBacks->equal = AUPresetRecordEqual;
}

} // namespace plugkit
