#pragma once

// Font descriptors: a dictionary of attributes that names a font. One made
// from a family and a style finds the font file among the system's fonts.

#include "CoreFoundation/CFBase.h"
#include "CoreFoundation/CFDictionary.h"
#include "CoreFoundation/CFString.h"

typedef const struct CTFontDescriptorObject* CTFontDescriptorRef;

// Attribute keys: family name and style name (strings), file URL (CFURL).
extern const CFStringRef kCTFontFamilyNameAttribute;
extern const CFStringRef kCTFontStyleNameAttribute;
extern const CFStringRef kCTFontURLAttribute;

// Copies the attributes. When they name a family but no URL, the URL of the
// system font of that family (any letter case) whose style is nearest is
// added; no such family leaves the descriptor without a URL.
CTFontDescriptorRef CTFontDescriptorCreateWithAttributes(CFDictionaryRef attributes);
// A retained attribute value, or null.
CFTypeRef CTFontDescriptorCopyAttribute(CTFontDescriptorRef descriptor, CFStringRef attribute);
