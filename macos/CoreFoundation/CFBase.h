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
typedef unsigned long CFTypeID;
typedef unsigned long CFHashCode;

// The type ids the stand-in objects report.
enum : CFTypeID
{
  kCFStandInTypeIDNone = 0,
  kCFStandInTypeIDString = 7,
  kCFStandInTypeIDNumber = 22,
  kCFStandInTypeIDData = 20,
  kCFStandInTypeIDArray = 19,
  kCFStandInTypeIDDictionary = 18,
  kCFStandInTypeIDURL = 29,
};

// The base of every stand-in object; its layout is private to the layer.
struct CFObject
{
  CFObject();
  virtual ~CFObject();
  virtual CFTypeID TypeID() const { return kCFStandInTypeIDNone; }
  // Content equality for CFEqual; identity by default.
  virtual bool Equals(const CFObject& other) const { return this == &other; }
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
// Null is a fault on the platform; the stand-in answers kCFStandInTypeIDNone
// and counts it (StandIn/Hooks.h).
CFTypeID CFGetTypeID(CFTypeRef object);
// Same object, or equal content (strings, numbers, data).
Boolean CFEqual(CFTypeRef a, CFTypeRef b);

// Raw memory from an allocator (every allocator of the layer is the C
// heap). Null when the size is not positive or fault injection says so
// (StandIn/CFObjects.h).
void* CFAllocatorAllocate(CFAllocatorRef allocator, CFIndex size, CFOptionFlags hint);
void CFAllocatorDeallocate(CFAllocatorRef allocator, void* ptr);
