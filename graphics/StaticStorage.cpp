#include "graphics/StaticStorage.h"

#include <cstring>

#include "framework/NumberText.h"
#include "graphics/IBitmap.h"

namespace plugkit::gfx {

PK_String StaticStorageKey(const char* name, double scale)
{
  PK_String key(name);
  key.Append("-");
  plugkit::AppendFixed(key, scale, 1);
  key.Append("x");
  key.SetLen(static_cast<int>(strlen(name ? name : "")) + 6);
  return key;
}

StaticStorage<APIBitmap>& BitmapStorage()
{
  static StaticStorage<APIBitmap> storage;
  return storage;
}

StaticStorage<SVGHolder>& SVGStorage()
{
  static StaticStorage<SVGHolder> storage;
  return storage;
}

ResourceCacheUse::ResourceCacheUse()
{
  PK_Mutex::Scope bitmaps(BitmapStorage().Lock());
  PK_Mutex::Scope svgs(SVGStorage().Lock());
  BitmapStorage().Retain();
  SVGStorage().Retain();
}

ResourceCacheUse::~ResourceCacheUse()
{
  PK_Mutex::Scope bitmaps(BitmapStorage().Lock());
  BitmapStorage().Release();
  PK_Mutex::Scope svgs(SVGStorage().Lock());
  SVGStorage().Release();
}

} // namespace plugkit::gfx
