#pragma once

// A font made from a data provider's bytes.

#include "CoreGraphics/CGDataProvider.h"

typedef const struct CGFontObject* CGFontRef;

// Null when the bytes are no TrueType or OpenType font or collection: the
// signature and the (first) table directory must lie within the bytes.
CGFontRef CGFontCreateWithDataProvider(CGDataProviderRef provider);
// The provider the font was made from (not retained).
CGDataProviderRef CGFontGetDataProviderStandIn(CGFontRef font);
void CGFontRelease(CGFontRef font);
