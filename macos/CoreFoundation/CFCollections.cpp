#include "CoreFoundation/CFArray.h"
#include "CoreFoundation/CFDictionary.h"
#include "CoreFoundation/CFObjects.h"
#include "StandIn/CFObjects.h"

namespace {

const void* RetainType(CFAllocatorRef, const void* value)
{
  return CFRetain(value);
}

void ReleaseType(CFAllocatorRef, const void* value)
{
  CFRelease(value);
}

CFStringRef DescribeType(const void* value)
{
  return CFCopyDescription(value);
}

Boolean EqualType(const void* a, const void* b)
{
  return CFEqual(a, b);
}

CFArrayObject* AsArray(CFArrayRef a)
{
  return (a && CFGetTypeID(a) == kCFStandInTypeIDArray) ? const_cast<CFArrayObject*>(a) : nullptr;
}

CFDictionaryObject* AsDictionary(CFDictionaryRef d)
{
  return (d && CFGetTypeID(d) == kCFStandInTypeIDDictionary) ? const_cast<CFDictionaryObject*>(d) : nullptr;
}

bool KeysEqual(const CFDictionaryObject& d, const void* a, const void* b)
{
  if (a == b)
    return true;
  return d.mKeyCallBacks.equal ? d.mKeyCallBacks.equal(a, b) : false;
}

} // namespace

const CFArrayCallBacks kCFTypeArrayCallBacks = {0, RetainType, ReleaseType, DescribeType, EqualType};
const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {0, RetainType, ReleaseType, DescribeType,
                                                                 EqualType, nullptr};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {0, RetainType, ReleaseType, DescribeType,
                                                                     EqualType};

CFArrayObject::~CFArrayObject()
{
  if (mCallBacks.release)
    for (const void* v : mValues)
      mCallBacks.release(mAllocator, v);
}

CFDictionaryObject::~CFDictionaryObject()
{
  for (auto& [key, value] : mEntries)
  {
    if (mValueCallBacks.release)
      mValueCallBacks.release(nullptr, value);
    if (mKeyCallBacks.release)
      mKeyCallBacks.release(nullptr, key);
  }
}

CFTypeID CFArrayGetTypeID()
{
  return kCFStandInTypeIDArray;
}

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef allocator, CFIndex capacity, const CFArrayCallBacks* callBacks)
{
  if (capacity < 0 || !standin::ArrayCreationAllowed() || !standin::CreationAllowed())
    return nullptr;
  auto* a = new CFArrayObject;
  a->mAllocator = allocator;
  if (callBacks)
    a->mCallBacks = *callBacks;
  return a;
}

CFArrayRef CFArrayCreate(CFAllocatorRef allocator, const void** values, CFIndex count,
                         const CFArrayCallBacks* callBacks)
{
  if (count < 0 || (count > 0 && !values))
    return nullptr;
  CFMutableArrayRef a = CFArrayCreateMutable(allocator, count, callBacks);
  if (!a)
    return nullptr;
  for (CFIndex i = 0; i < count; ++i)
    CFArrayAppendValue(a, values[i]);
  return a;
}

CFIndex CFArrayGetCount(CFArrayRef array)
{
  const CFArrayObject* a = AsArray(array);
  return a ? static_cast<CFIndex>(a->mValues.size()) : 0;
}

const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index)
{
  const CFArrayObject* a = AsArray(array);
  if (!a || index < 0 || index >= static_cast<CFIndex>(a->mValues.size()))
    return nullptr;
  return a->mValues[static_cast<size_t>(index)];
}

void CFArrayAppendValue(CFMutableArrayRef array, const void* value)
{
  CFArrayObject* a = AsArray(array);
  if (!a)
    return;
  a->mValues.push_back(a->mCallBacks.retain ? a->mCallBacks.retain(a->mAllocator, value) : value);
}

CFArrayCallBacks CFArrayGetCallBacks(CFArrayRef array)
{
  const CFArrayObject* a = AsArray(array);
  return a ? a->mCallBacks : CFArrayCallBacks{};
}

CFTypeID CFDictionaryGetTypeID()
{
  return kCFStandInTypeIDDictionary;
}

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef, CFIndex capacity,
                                                 const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks)
{
  if (capacity < 0 || !standin::CreationAllowed())
    return nullptr;
  auto* d = new CFDictionaryObject;
  if (keyCallBacks)
    d->mKeyCallBacks = *keyCallBacks;
  if (valueCallBacks)
    d->mValueCallBacks = *valueCallBacks;
  return d;
}

CFIndex CFDictionaryGetCount(CFDictionaryRef dictionary)
{
  const CFDictionaryObject* d = AsDictionary(dictionary);
  return d ? static_cast<CFIndex>(d->mEntries.size()) : 0;
}

const void* CFDictionaryGetValue(CFDictionaryRef dictionary, const void* key)
{
  const CFDictionaryObject* d = AsDictionary(dictionary);
  if (!d)
    return nullptr;
  for (const auto& [k, v] : d->mEntries)
    if (KeysEqual(*d, k, key))
      return v;
  return nullptr;
}

void CFDictionarySetValue(CFMutableDictionaryRef dictionary, const void* key, const void* value)
{
  CFDictionaryObject* d = AsDictionary(dictionary);
  if (!d)
    return;
  const void* kept = d->mValueCallBacks.retain ? d->mValueCallBacks.retain(nullptr, value) : value;
  for (auto& [k, v] : d->mEntries)
  {
    if (KeysEqual(*d, k, key))
    {
      if (d->mValueCallBacks.release)
        d->mValueCallBacks.release(nullptr, v);
      v = kept;
      return;
    }
  }
  d->mEntries.emplace_back(d->mKeyCallBacks.retain ? d->mKeyCallBacks.retain(nullptr, key) : key, kept);
}

void CFDictionaryRemoveValue(CFMutableDictionaryRef dictionary, const void* key)
{
  CFDictionaryObject* d = AsDictionary(dictionary);
  if (!d)
    return;
  for (auto it = d->mEntries.begin(); it != d->mEntries.end(); ++it)
  {
    if (KeysEqual(*d, it->first, key))
    {
      const auto [k, v] = *it;
      d->mEntries.erase(it);
      if (d->mValueCallBacks.release)
        d->mValueCallBacks.release(nullptr, v);
      if (d->mKeyCallBacks.release)
        d->mKeyCallBacks.release(nullptr, k);
      return;
    }
  }
}

void CFDictionaryGetKeysAndValues(CFDictionaryRef dictionary, const void** keys, const void** values)
{
  const CFDictionaryObject* d = AsDictionary(dictionary);
  if (!d)
    return;
  for (size_t i = 0; i < d->mEntries.size(); ++i)
  {
    if (keys)
      keys[i] = d->mEntries[i].first;
    if (values)
      values[i] = d->mEntries[i].second;
  }
}

namespace standin {

CFTypeRef PropertyListRoundTrip(CFTypeRef plist)
{
  if (!plist)
    return nullptr;
  switch (CFGetTypeID(plist))
  {
    case kCFStandInTypeIDNumber:
    {
      auto n = static_cast<CFNumberRef>(plist);
      if (CFNumberGetType(n) == kCFNumberFloat32Type || CFNumberGetType(n) == kCFNumberFloat64Type)
      {
        double v = 0;
        CFNumberGetValue(n, kCFNumberFloat64Type, &v);
        return CFNumberCreate(nullptr, kCFNumberFloat64Type, &v);
      }
      int64_t v = 0;
      CFNumberGetValue(n, kCFNumberSInt64Type, &v);
      return CFNumberCreate(nullptr, kCFNumberSInt64Type, &v);
    }
    case kCFStandInTypeIDString: return CFStringCreateCopy(nullptr, static_cast<CFStringRef>(plist));
    case kCFStandInTypeIDData: return CFDataCreateCopy(nullptr, static_cast<CFDataRef>(plist));
    case kCFStandInTypeIDArray:
    {
      auto a = static_cast<CFArrayRef>(plist);
      CFMutableArrayRef copy = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
      for (CFIndex i = 0; copy && i < CFArrayGetCount(a); ++i)
      {
        CFTypeRef v = PropertyListRoundTrip(CFArrayGetValueAtIndex(a, i));
        CFArrayAppendValue(copy, v);
        CFRelease(v);
      }
      return copy;
    }
    case kCFStandInTypeIDDictionary:
    {
      auto d = static_cast<CFDictionaryRef>(plist);
      CFMutableDictionaryRef copy =
        CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
      if (!copy)
        return nullptr;
      for (const auto& [k, v] : AsDictionary(d)->mEntries)
      {
        CFTypeRef key = PropertyListRoundTrip(k);
        CFTypeRef value = PropertyListRoundTrip(v);
        if (key && value)
          CFDictionarySetValue(copy, key, value);
        CFRelease(key);
        CFRelease(value);
      }
      return copy;
    }
    default: return nullptr;
  }
}

} // namespace standin
