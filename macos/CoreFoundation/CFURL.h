#pragma once

// File URLs, as far as bundles need them.

#include "CoreFoundation/CFBase.h"
#include "CoreFoundation/CFString.h"

typedef const struct CFURLObject* CFURLRef;

typedef CFIndex CFURLPathStyle;
enum : CFURLPathStyle
{
  kCFURLPOSIXPathStyle = 0,
};

CFTypeID CFURLGetTypeID();
CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef allocator, CFStringRef path, CFURLPathStyle style,
                                       Boolean isDirectory);
CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle style);
