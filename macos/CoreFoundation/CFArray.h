#pragma once

// Arrays of values with the element callbacks of their creator: retain on
// insertion, release on removal and when the array goes. Null callbacks (or
// null members of them) leave the values alone.

#include "CoreFoundation/CFBase.h"
#include "CoreFoundation/CFString.h"

typedef const void* (*CFArrayRetainCallBack)(CFAllocatorRef allocator, const void* value);
typedef void (*CFArrayReleaseCallBack)(CFAllocatorRef allocator, const void* value);
typedef CFStringRef (*CFArrayCopyDescriptionCallBack)(const void* value);
typedef Boolean (*CFArrayEqualCallBack)(const void* value1, const void* value2);

struct CFArrayCallBacks
{
  CFIndex version;
  CFArrayRetainCallBack retain;
  CFArrayReleaseCallBack release;
  CFArrayCopyDescriptionCallBack copyDescription;
  CFArrayEqualCallBack equal;
};

// CFRetain, CFRelease, CFCopyDescription and CFEqual.
extern const CFArrayCallBacks kCFTypeArrayCallBacks;

typedef const struct CFArrayObject* CFArrayRef;
typedef struct CFArrayObject* CFMutableArrayRef;

CFTypeID CFArrayGetTypeID();
// Null when creation fails (StandIn/CFObjects.h can make it fail).
CFArrayRef CFArrayCreate(CFAllocatorRef allocator, const void** values, CFIndex count,
                         const CFArrayCallBacks* callBacks);
CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef allocator, CFIndex capacity,
                                       const CFArrayCallBacks* callBacks);
CFIndex CFArrayGetCount(CFArrayRef array);
// Null outside 0 .. count - 1.
const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index);
void CFArrayAppendValue(CFMutableArrayRef array, const void* value);
// The array's callbacks (zeroed when it was made without).
CFArrayCallBacks CFArrayGetCallBacks(CFArrayRef array);
