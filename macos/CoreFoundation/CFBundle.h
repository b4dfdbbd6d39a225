#pragma once

// Bundles as Core Foundation sees them: the same registry as NSBundle
// (StandIn/Bundles.h registers them). Bundle references are not owned by
// the caller; strings got from a bundle belong to the bundle.

#include "CoreFoundation/CFBase.h"
#include "CoreFoundation/CFString.h"
#include "CoreFoundation/CFURL.h"

typedef struct CFBundleObject* CFBundleRef;

// "CFBundleVersion".
extern const CFStringRef kCFBundleVersionKey;
// "CFBundleIdentifier".
extern const CFStringRef kCFBundleIdentifierKey;

// The host's bundle, or null when it has none.
CFBundleRef CFBundleGetMainBundle();
CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef identifier);
// Null when the bundle has no identifier.
CFStringRef CFBundleGetIdentifier(CFBundleRef bundle);
// "CFBundleIdentifier", "CFBundleVersion" or "CFBundleShortVersionString";
// null for other keys or an empty value.
CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key);
// A new URL of the bundle folder; null when the bundle has none.
CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle);
