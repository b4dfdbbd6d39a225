#pragma once

// Strings: UTF-8 stored, lengths counted in UTF-16 units as on macOS, so a
// caller that sizes a buffer by the length alone finds out when it is too
// short.

#include "CoreFoundation/CFBase.h"

typedef const struct CFStringObject* CFStringRef;
typedef uint32_t CFStringEncoding;

enum : CFStringEncoding
{
  kCFStringEncodingASCII = 0x0600,
  kCFStringEncodingUTF8 = 0x08000100,
};

typedef CFIndex CFComparisonResult;
enum : CFComparisonResult
{
  kCFCompareLessThan = -1,
  kCFCompareEqualTo = 0,
  kCFCompareGreaterThan = 1,
};

typedef CFOptionFlags CFStringCompareFlags;

CFTypeID CFStringGetTypeID();

// A constant string that lives as long as the process; CFSTR("text").
CFStringRef CFStringMakeConstant(const char* text);
#define CFSTR(text) CFStringMakeConstant("" text "")

// Null when the text is null, is not valid UTF-8 (or ASCII for that
// encoding), or creation fails.
CFStringRef CFStringCreateWithCString(CFAllocatorRef allocator, const char* text, CFStringEncoding encoding);
CFStringRef CFStringCreateCopy(CFAllocatorRef allocator, CFStringRef string);
// printf-like: %d and %i (int), %u, %ld, %s (UTF-8 text), %f, %@ (a
// CFString, or any object's description), %%.
CFStringRef CFStringCreateWithFormat(CFAllocatorRef allocator, CFTypeRef formatOptions, CFStringRef format, ...);

// In UTF-16 units.
CFIndex CFStringGetLength(CFStringRef string);
// The most bytes `length` UTF-16 units can take in the encoding, without
// the terminator.
CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding);
// Copies the text and a terminator into buffer; false (and nothing
// promised about the buffer) when it does not fit or cannot be encoded.
Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize, CFStringEncoding encoding);
// The UTF-8 text when it can be given without copying; null otherwise.
const char* CFStringGetCStringPtr(CFStringRef string, CFStringEncoding encoding);
CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFStringCompareFlags options);

// A new string that describes any object (a string describes itself).
CFStringRef CFCopyDescription(CFTypeRef object);
