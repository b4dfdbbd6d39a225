#include "CoreTextFont.h"

#include <cstring>

#include "framework/PathHelpers.h"

namespace plugkit::gfx {

namespace {

// Releases a Core Foundation object when the scope ends.
struct Released
{
  CFTypeRef object;
  ~Released()
  {
    if (object)
      CFRelease(object);
  }
};

void FreeCopiedBytes(void*, const void* data, size_t) { delete[] static_cast<const uint8_t*>(data); }

// Font → CoreText font → descriptor; null when a step fails.
CTFontDescriptorRef DescriptorOfProvider(CGDataProviderRef provider)
{
  CGFontRef graphicsFont = CGFontCreateWithDataProvider(provider);
  if (!graphicsFont)
    return nullptr;
  Released font{graphicsFont};
  CTFontRef ctFont = CTFontCreateWithGraphicsFont(graphicsFont, 0.0, nullptr, nullptr);
  if (!ctFont)
    return nullptr;
  Released textFont{ctFont};
  return CTFontCopyFontDescriptor(ctFont);
}

std::unique_ptr<PlatformFont> FontOfProvider(CGDataProviderRef provider)
{
  if (!provider)
    return nullptr;
  CTFontDescriptorRef descriptor = DescriptorOfProvider(provider);
  if (!descriptor)
  {
    CFRelease(provider);
    return nullptr;
  }
  return std::make_unique<CoreTextFont>(descriptor, provider, false, "");
}

} // namespace

CoreTextFont::CoreTextFont(CTFontDescriptorRef descriptor, CGDataProviderRef provider, bool system,
                           const char* styleName)
  : PlatformFont(system), mDescriptor(descriptor), mProvider(provider), mStyleName(styleName)
{
}

CoreTextFont::~CoreTextFont()
{
  if (mDescriptor)
    CFRelease(mDescriptor);
  if (mProvider)
    CFRelease(mProvider);
}

IFontFileData* CoreTextFont::GetFontData() const
{
  CFDataRef bytes = CGDataProviderCopyData(mProvider);
  if (!bytes)
    return nullptr;
  Released copy{bytes};
  const uint8_t* data = CFDataGetBytePtr(bytes);
  const int size = static_cast<int>(CFDataGetLength(bytes));
  const int face = mStyleName.GetLength() > 0 ? FindFaceIndexByStyle(data, size, mStyleName.Get()) : 0;
  return new IFontFileData(data, size, face);
}

CoreTextFontDescriptor::CoreTextFontDescriptor(CTFontDescriptorRef descriptor, double emRatio)
  : mDescriptor(descriptor ? static_cast<CTFontDescriptorRef>(CFRetain(descriptor)) : nullptr), mEmRatio(emRatio)
{
}

CoreTextFontDescriptor::~CoreTextFontDescriptor()
{
  if (mDescriptor)
    CFRelease(mDescriptor);
}

std::unique_ptr<PlatformFont> LoadCoreTextFontFromFile(const char*, const char* fileNameOrResID, const char* bundleID,
                                                       const char* sharedResourcesSubPath)
{
  PK_String path;
  if (!plugkit::LocateResource(fileNameOrResID, "ttf", path, bundleID, sharedResourcesSubPath))
    return nullptr;
  CFStringRef pathString = CFStringCreateWithCString(kCFAllocatorDefault, path.Get(), kCFStringEncodingUTF8);
  if (!pathString)
    return nullptr;
  Released releasePath{pathString};
  CFURLRef url = CFURLCreateWithFileSystemPath(kCFAllocatorDefault, pathString, kCFURLPOSIXPathStyle, false);
  if (!url)
    return nullptr;
  Released releaseURL{url};
  return FontOfProvider(CGDataProviderCreateWithURL(url));
}

std::unique_ptr<PlatformFont> LoadCoreTextFontFromFamily(const char*, const char* family, ETextStyle style)
{
  const char* styleName = style == kTextStyleBold ? "Bold" : style == kTextStyleItalic ? "Italic" : "Regular";
  CFMutableDictionaryRef attributes =
    CFDictionaryCreateMutable(kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  if (!attributes)
    return nullptr;
  Released releaseAttributes{attributes};
  CFStringRef familyString = CFStringCreateWithCString(kCFAllocatorDefault, family ? family : "", kCFStringEncodingUTF8);
  CFStringRef styleString = CFStringCreateWithCString(kCFAllocatorDefault, styleName, kCFStringEncodingUTF8);
  Released releaseFamily{familyString}, releaseStyle{styleString};
  if (!familyString || !styleString)
    return nullptr;
  CFDictionarySetValue(attributes, kCTFontFamilyNameAttribute, familyString);
  CFDictionarySetValue(attributes, kCTFontStyleNameAttribute, styleString);

  CTFontDescriptorRef descriptor = CTFontDescriptorCreateWithAttributes(attributes);
  if (!descriptor)
    return nullptr;
  CFTypeRef url = CTFontDescriptorCopyAttribute(descriptor, kCTFontURLAttribute);
  Released releaseURL{url};
  // A family the system does not have leaves the descriptor without a URL.
  CGDataProviderRef provider = url && CFGetTypeID(url) == CFURLGetTypeID()
                                 ? CGDataProviderCreateWithURL(static_cast<CFURLRef>(url))
                                 : nullptr;
  if (!provider)
  {
    CFRelease(descriptor);
    return nullptr;
  }
  return std::make_unique<CoreTextFont>(descriptor, provider, true, styleName);
}

std::unique_ptr<PlatformFont> LoadCoreTextFontFromMemory(const char*, const void* pData, int size)
{
  if (!pData || size <= 0)
    return nullptr;
  auto* copy = new uint8_t[static_cast<size_t>(size)];
  memcpy(copy, pData, static_cast<size_t>(size));
  CGDataProviderRef provider = CGDataProviderCreateWithData(nullptr, copy, static_cast<size_t>(size), FreeCopiedBytes);
  if (!provider)
  {
    delete[] copy;
    return nullptr;
  }
  return FontOfProvider(provider);
}

StaticStorage<CoreTextFontDescriptor>& CoreTextFontDescriptorStorage()
{
  static StaticStorage<CoreTextFontDescriptor> storage;
  return storage;
}

void CacheCoreTextFontDescriptor(const char* fontID, const PlatformFont* pFont)
{
  if (!pFont)
    return;
  StaticStorage<CoreTextFontDescriptor>& storage = CoreTextFontDescriptorStorage();
  PK_Mutex::Scope lock(storage.Lock());
  const auto descriptor = static_cast<CTFontDescriptorRef>(pFont->GetDescriptor());
  std::unique_ptr<IFontFileData> data(pFont->GetFontData());
  if (storage.Find(fontID) || !data)
    return;
  auto item = std::make_unique<CoreTextFontDescriptor>(descriptor, data->EmRatio());
  if (storage.Add(item.get(), fontID))
    item.release();
}

CoreTextFontDescriptor* GetCoreTextFontDescriptor(const IText& text)
{
  StaticStorage<CoreTextFontDescriptor>& storage = CoreTextFontDescriptorStorage();
  PK_Mutex::Scope lock(storage.Lock());
  return storage.Find(text.mFont);
}

} // namespace plugkit::gfx
