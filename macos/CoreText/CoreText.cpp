#include "CoreText/CoreText.h"

#include "CoreFoundation/CFObjects.h"
#include "CoreFoundation/CFURL.h"
#include "CoreGraphics/CGObjects.h"
#include "CoreText/SystemFontList.h"
#include "StandIn/CFObjects.h"

enum : CFTypeID
{
  kCTStandInTypeIDFont = 311,
  kCTStandInTypeIDFontDescriptor = 312,
};

struct CTFontObject : CFObject
{
  ~CTFontObject() override { CFRelease(mGraphicsFont); }
  CFTypeID TypeID() const override { return kCTStandInTypeIDFont; }
  CGFontRef mGraphicsFont = nullptr;
  double mSize = 0.0;
};

struct CTFontDescriptorObject : CFObject
{
  ~CTFontDescriptorObject() override { CFRelease(mAttributes); }
  CFTypeID TypeID() const override { return kCTStandInTypeIDFontDescriptor; }
  CFMutableDictionaryRef mAttributes = nullptr;
};

const CFStringRef kCTFontFamilyNameAttribute = CFSTR("NSFontFamilyAttribute");
const CFStringRef kCTFontStyleNameAttribute = CFSTR("NSFontFaceAttribute");
const CFStringRef kCTFontURLAttribute = CFSTR("NSCTFontFileURLAttribute");

namespace {

CTFontDescriptorRef NewDescriptor(CFMutableDictionaryRef attributes)
{
  if (!attributes)
    return nullptr;
  if (!standin::CreationAllowed())
  {
    CFRelease(attributes);
    return nullptr;
  }
  auto* descriptor = new CTFontDescriptorObject;
  descriptor->mAttributes = attributes;
  return descriptor;
}

std::string StringAttribute(CFDictionaryRef attributes, CFStringRef key)
{
  const void* value = CFDictionaryGetValue(attributes, key);
  return value && CFGetTypeID(value) == kCFStandInTypeIDString ? StandInStringText(static_cast<CFStringRef>(value))
                                                                : std::string();
}

} // namespace

CTFontDescriptorRef CTFontDescriptorCreateWithAttributes(CFDictionaryRef attributes)
{
  CFMutableDictionaryRef copy =
    CFDictionaryCreateMutable(kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  if (!copy)
    return nullptr;
  if (attributes)
  {
    const CFIndex count = CFDictionaryGetCount(attributes);
    std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
    CFDictionaryGetKeysAndValues(attributes, keys.data(), values.data());
    for (CFIndex i = 0; i < count; ++i)
      CFDictionarySetValue(copy, keys[static_cast<size_t>(i)], values[static_cast<size_t>(i)]);
  }
  const std::string family = StringAttribute(copy, kCTFontFamilyNameAttribute);
  if (!family.empty() && !CFDictionaryGetValue(copy, kCTFontURLAttribute))
  {
    const std::string file = standin::FindSystemFontFile(family, StringAttribute(copy, kCTFontStyleNameAttribute));
    if (!file.empty())
    {
      CFStringRef path = CFStringCreateWithCString(kCFAllocatorDefault, file.c_str(), kCFStringEncodingUTF8);
      CFURLRef url = path ? CFURLCreateWithFileSystemPath(kCFAllocatorDefault, path, kCFURLPOSIXPathStyle, false)
                          : nullptr;
      if (url)
      {
        CFDictionarySetValue(copy, kCTFontURLAttribute, url);
        CFRelease(url);
      }
      if (path)
        CFRelease(path);
    }
  }
  return NewDescriptor(copy);
}

CFTypeRef CTFontDescriptorCopyAttribute(CTFontDescriptorRef descriptor, CFStringRef attribute)
{
  if (!descriptor || !attribute)
    return nullptr;
  const void* value = CFDictionaryGetValue(descriptor->mAttributes, attribute);
  return value ? CFRetain(value) : nullptr;
}

CTFontRef CTFontCreateWithGraphicsFont(CGFontRef graphicsFont, double size, const CGAffineTransform*,
                                       CTFontDescriptorRef)
{
  if (!graphicsFont || !standin::CreationAllowed())
    return nullptr;
  auto* font = new CTFontObject;
  font->mGraphicsFont = static_cast<CGFontRef>(CFRetain(graphicsFont));
  font->mSize = size;
  return font;
}

CTFontDescriptorRef CTFontCopyFontDescriptor(CTFontRef font)
{
  if (!font)
    return nullptr;
  CFMutableDictionaryRef attributes =
    CFDictionaryCreateMutable(kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  if (!attributes)
    return nullptr;
  if (CFURLRef url = CGDataProviderGetURLStandIn(CGFontGetDataProviderStandIn(font->mGraphicsFont)))
    CFDictionarySetValue(attributes, kCTFontURLAttribute, url);
  return NewDescriptor(attributes);
}
