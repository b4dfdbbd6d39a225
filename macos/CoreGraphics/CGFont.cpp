#include "CoreGraphics/CGFont.h"

#include "CoreGraphics/CGObjects.h"
#include "StandIn/CFObjects.h"

namespace {

uint32_t ReadU32(const uint8_t* p) { return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3]; }

// Whether a table directory starts at `offset` and lies within the bytes.
bool DirectoryFits(const uint8_t* bytes, size_t size, size_t offset)
{
  if (offset > size || size - offset < 12)
    return false;
  const size_t tables = (size_t(bytes[offset + 4]) << 8) | bytes[offset + 5];
  return tables > 0 && size - offset - 12 >= tables * 16;
}

bool LooksLikeFont(const uint8_t* bytes, size_t size)
{
  if (!bytes || size < 12)
    return false;
  const uint32_t tag = ReadU32(bytes);
  if (tag == 0x00010000 || tag == 0x31000000 || tag == 0x4F54544F /* OTTO */ || tag == 0x74797031 /* typ1 */)
    return DirectoryFits(bytes, size, 0);
  if (tag != 0x74746366 /* ttcf */ || size < 16 || ReadU32(bytes + 8) == 0)
    return false;
  return DirectoryFits(bytes, size, ReadU32(bytes + 12));
}

} // namespace

CGFontObject::~CGFontObject()
{
  if (mProvider)
    CFRelease(mProvider);
}

CGFontRef CGFontCreateWithDataProvider(CGDataProviderRef provider)
{
  if (!provider || !LooksLikeFont(provider->mBytes, provider->mSize) || !standin::CreationAllowed())
    return nullptr;
  auto* font = new CGFontObject;
  font->mProvider = static_cast<CGDataProviderRef>(CFRetain(provider));
  return font;
}

CGDataProviderRef CGFontGetDataProviderStandIn(CGFontRef font)
{
  return font ? font->mProvider : nullptr;
}

void CGFontRelease(CGFontRef font)
{
  if (font)
    CFRelease(font);
}
