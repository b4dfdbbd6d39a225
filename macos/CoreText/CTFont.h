#pragma once

// Fonts made from CoreGraphics fonts, and their descriptors.

#include "CoreGraphics/CGFont.h"
#include "CoreText/CTFontDescriptor.h"

typedef const struct CTFontObject* CTFontRef;
struct CGAffineTransform;

// Null for a null font.
CTFontRef CTFontCreateWithGraphicsFont(CGFontRef graphicsFont, double size, const CGAffineTransform* matrix,
                                       CTFontDescriptorRef attributes);
// A new descriptor; it carries the font file's URL when the font was read
// from a file.
CTFontDescriptorRef CTFontCopyFontDescriptor(CTFontRef font);
