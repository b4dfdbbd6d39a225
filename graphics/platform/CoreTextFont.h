#pragma once

// Fonts through CoreText: a font file, a block of font bytes or a system
// family and style become a platform font (a CoreText descriptor for native
// text fields, and the bytes for NanoVG), and a process-wide cache keeps the
// descriptors by font id with the ratio that turns point sizes into em sizes.

#include <memory>

#include "CoreGraphics/CoreGraphics.h"
#include "CoreText/CoreText.h"
#include "graphics/IText.h"
#include "graphics/PK_String.h"
#include "graphics/PlatformFont.h"
#include "graphics/StaticStorage.h"
#include "graphics/platform/FontTableInfo.h"

namespace plugkit::gfx {

class CoreTextFont : public PlatformFont
{
public:
  // Owns one reference of the descriptor and of the provider.
  CoreTextFont(CTFontDescriptorRef descriptor, CGDataProviderRef provider, bool system, const char* styleName);
  ~CoreTextFont() override;

  const void* GetDescriptor() const override { return mDescriptor; }
  // The provider's bytes; a font made from a family picks its face of a
  // collection by style name (-1 when none has that style).
  IFontFileData* GetFontData() const override;

private:
  CTFontDescriptorRef mDescriptor;
  CGDataProviderRef mProvider;
  PK_String mStyleName;
};

// A cached descriptor with the font's units per em over its line height.
struct CoreTextFontDescriptor
{
  CoreTextFontDescriptor(CTFontDescriptorRef descriptor, double emRatio);
  ~CoreTextFontDescriptor();
  CoreTextFontDescriptor(const CoreTextFontDescriptor&) = delete;
  CoreTextFontDescriptor& operator=(const CoreTextFontDescriptor&) = delete;

  CTFontDescriptorRef mDescriptor;
  double mEmRatio;
};

// Null when the file cannot be found, read or taken for a font.
std::unique_ptr<PlatformFont> LoadCoreTextFontFromFile(const char* fontID, const char* fileNameOrResID,
                                                       const char* bundleID, const char* sharedResourcesSubPath);
// Null when no installed font has that family.
std::unique_ptr<PlatformFont> LoadCoreTextFontFromFamily(const char* fontID, const char* family, ETextStyle style);
// Copies the bytes; null when they are no font.
std::unique_ptr<PlatformFont> LoadCoreTextFontFromMemory(const char* fontID, const void* pData, int size);

// The process-wide descriptor cache; the platform's graphics contexts count
// themselves in and out of it, and the last one out empties it.
StaticStorage<CoreTextFontDescriptor>& CoreTextFontDescriptorStorage();
// Keeps the first descriptor cached under a font id.
void CacheCoreTextFontDescriptor(const char* fontID, const PlatformFont* pFont);
// The descriptor cached for the text's font, or null.
CoreTextFontDescriptor* GetCoreTextFontDescriptor(const IText& text);

} // namespace plugkit::gfx
