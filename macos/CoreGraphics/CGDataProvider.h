#pragma once

// Blocks of bytes that fonts and images are read from: a file named by a
// URL (read at creation) or memory that the caller lends, with a callback
// that gives it back when the provider goes.

#include <cstddef>

#include "CoreFoundation/CFBase.h"
#include "CoreFoundation/CFData.h"
#include "CoreFoundation/CFURL.h"

typedef const struct CGDataProviderObject* CGDataProviderRef;
typedef void (*CGDataProviderReleaseDataCallback)(void* info, const void* data, size_t size);

// Null when the file cannot be read (or the URL is null).
CGDataProviderRef CGDataProviderCreateWithURL(CFURLRef url);
// Lends the bytes; the callback (may be null) runs once when the provider
// is destroyed. Null for null data.
CGDataProviderRef CGDataProviderCreateWithData(void* info, const void* data, size_t size,
                                               CGDataProviderReleaseDataCallback releaseData);
// A new copy of the provider's bytes; null for a null provider.
CFDataRef CGDataProviderCopyData(CGDataProviderRef provider);
// The URL the bytes were read from, or null (not retained).
CFURLRef CGDataProviderGetURLStandIn(CGDataProviderRef provider);
void CGDataProviderRelease(CGDataProviderRef provider);
