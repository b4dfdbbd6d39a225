#pragma once

// Reference-counted objects of the stand-in Core Foundation layer. Every
// object starts with one reference owned by its creator; CFRelease of the
// last reference destroys it. Releasing an object that no longer exists is
// caught and counted (see StandIn/Hooks.h) instead of corrupting memory, so
// tests can prove that each object is released exactly once.

#include <cstdint>

typedef unsigned char Boolean;
typedef long CFIndex;
typedef double CFTimeInterval;
typedef double CFAbsoluteTime;
typedef uint32_t CFOptionFlags;
typedef int32_t OSStatus;

// The base of every stand-in object; its layout is private to the layer.
struct CFObject
{
  CFObject();
  virtual ~CFObject();
  CFObject(const CFObject&) = delete;
  CFObject& operator=(const CFObject&) = delete;
  long mRetainCount = 1;
};

// As on macOS, any object reference converts to CFTypeRef. Every stand-in
// object derives from CFObject alone, so the pointer is the object's address.
typedef const void* CFTypeRef;
typedef const struct CFAllocatorObject* CFAllocatorRef;

extern const CFAllocatorRef kCFAllocatorDefault;

CFTypeRef CFRetain(CFTypeRef object);
void CFRelease(CFTypeRef object);
CFIndex CFGetRetainCount(CFTypeRef object);
