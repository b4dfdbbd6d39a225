#pragma once

// Immutable byte blocks.

#include <cstdint>

#include "CoreFoundation/CFBase.h"

typedef const struct CFDataObject* CFDataRef;

CFTypeID CFDataGetTypeID();
// Copies length bytes; null for a negative length, null bytes with a
// positive length, or a failed creation.
CFDataRef CFDataCreate(CFAllocatorRef allocator, const uint8_t* bytes, CFIndex length);
CFDataRef CFDataCreateCopy(CFAllocatorRef allocator, CFDataRef data);
CFIndex CFDataGetLength(CFDataRef data);
// Null for an empty block.
const uint8_t* CFDataGetBytePtr(CFDataRef data);
