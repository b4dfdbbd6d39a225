#pragma once

// Numbers: integers keep their value whichever integer type they were made
// with; reading one as another type converts, and reports false when the
// value does not fit (as after a property-list round trip, which turns
// 32-bit numbers into 64-bit ones).

#include "CoreFoundation/CFBase.h"

typedef const struct CFNumberObject* CFNumberRef;
typedef CFIndex CFNumberType;

enum : CFNumberType
{
  kCFNumberSInt8Type = 1,
  kCFNumberSInt16Type = 2,
  kCFNumberSInt32Type = 3,
  kCFNumberSInt64Type = 4,
  kCFNumberFloat32Type = 5,
  kCFNumberFloat64Type = 6,
};

CFTypeID CFNumberGetTypeID();
// Null for an unknown type, a null value pointer or a failed creation.
CFNumberRef CFNumberCreate(CFAllocatorRef allocator, CFNumberType type, const void* value);
CFNumberType CFNumberGetType(CFNumberRef number);
// Writes the value converted to the type; false when it had to be cut or
// rounded (or the arguments are null).
Boolean CFNumberGetValue(CFNumberRef number, CFNumberType type, void* value);
