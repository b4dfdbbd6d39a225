// Loading bitmaps, SVGs, raw resources and fonts through the process-wide
// caches.
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "framework/PathHelpers.h"
#include "graphics/IGfx.h"

namespace plugkit::gfx {

namespace {

// The text after the last '.', or the whole name when there is none.
const char* Extension(const char* name)
{
  const char* dot = strrchr(name, '.');
  return dot ? dot + 1 : name;
}

// "base@<scale>x.ext": the name split at its last '.' after the last path
// separator.
std::string ScaledFileName(const char* name, int scale)
{
  const std::string full(name);
  const size_t sep = full.find_last_of("/\\");
  const size_t dot = full.rfind('.');
  const bool hasExt = dot != std::string::npos && (sep == std::string::npos || dot > sep);
  const std::string base = hasExt ? full.substr(0, dot) : full;
  const std::string ext = hasExt ? full.substr(dot) : std::string();
  return base + "@" + std::to_string(scale) + "x" + ext;
}

// The scales to try: the target first, then 4, 3, 2 and 1.
int ScalesInSearchOrder(int targetScale, int out[5])
{
  int n = 0;
  out[n++] = targetScale;
  for (int s = 4; s >= 1; --s)
    if (s != targetScale)
      out[n++] = s;
  return n;
}

} // namespace

EResourceLocation IGfx::SearchScaledResource(const char* name, const char* type, PK_String& result, int targetScale,
  int& sourceScale)
{
  if (!name || targetScale < 1)
    return kNotFound;
  int scales[5];
  const int n = ScalesInSearchOrder(targetScale, scales);
  for (int i = 0; i < n; ++i)
  {
    const std::string candidate = scales[i] == 1 ? std::string(name) : ScaledFileName(name, scales[i]);
    if (plugkit::LocateResource(candidate.c_str(), type, result, GetBundleID(), GetSharedResourcesSubPath()))
    {
      sourceScale = scales[i];
      return kAbsolutePath;
    }
  }
  return kNotFound;
}

APIBitmap* IGfx::SearchBitmapInCache(const char* name, int targetScale, int& sourceScale)
{
  if (targetScale < 1)
    return nullptr;
  int scales[5];
  const int n = ScalesInSearchOrder(targetScale, scales);
  PK_Mutex::Scope lock(BitmapStorage().Lock());
  for (int i = 0; i < n; ++i)
  {
    if (APIBitmap* bitmap = BitmapStorage().Find(name, scales[i]))
    {
      sourceScale = scales[i];
      return bitmap;
    }
  }
  return nullptr;
}

// Both LoadBitmap forms: a cached copy at the target scale, else what
// findOrLoad supplies (telling whether it loaded a new bitmap). A bitmap at
// another scale is rescaled, and a newly loaded one dropped afterwards; a
// new one at the target scale is cached. Neither a file nor a cached copy
// gives the invalid bitmap, and nothing is cached.
template <class FindOrLoad>
static IBitmap LoadThroughCache(IGfx& g, const char* name, int nStates, bool framesAreHorizontal, int targetScale,
  FindOrLoad findOrLoad)
{
  if (!name || !name[0])
    return IBitmap();
  if (targetScale == 0)
    targetScale = static_cast<int>(g.GetScreenScale());
  PK_Mutex::Scope lock(BitmapStorage().Lock());
  if (APIBitmap* cached = BitmapStorage().Find(name, targetScale))
    return IBitmap(cached, nStates, framesAreHorizontal, name);
  if (!g.BitmapExtSupported(Extension(name)))
    return IBitmap();
  bool newlyLoaded = false;
  APIBitmap* bitmap = findOrLoad(targetScale, newlyLoaded);
  if (!bitmap)
    return IBitmap();
  if (bitmap->GetScale() != static_cast<float>(targetScale))
  {
    const IBitmap scaled = g.ScaleBitmap(IBitmap(bitmap, nStates, framesAreHorizontal, name), name, targetScale);
    if (newlyLoaded)
      delete bitmap;
    return scaled;
  }
  if (newlyLoaded)
  {
    g.RetainBitmap(IBitmap(bitmap, nStates, framesAreHorizontal, name), name);
    if (BitmapStorage().Find(name, targetScale) != bitmap)
    {
      delete bitmap;  // the cache could not take it
      return IBitmap();
    }
  }
  return IBitmap(bitmap, nStates, framesAreHorizontal, name);
}

IBitmap IGfx::LoadBitmap(const char* name, int nStates, bool framesAreHorizontal, int targetScale)
{
  return LoadThroughCache(*this, name, nStates, framesAreHorizontal, targetScale,
    [&](int target, bool& newlyLoaded) -> APIBitmap* {
      const char* ext = Extension(name);
      PK_String path;
      int sourceScale = 0;
      const EResourceLocation location = SearchScaledResource(name, ext, path, target, sourceScale);
      if (location == kNotFound)
        return SearchBitmapInCache(name, target, sourceScale);
      if (sourceScale != target)
        if (APIBitmap* cached = BitmapStorage().Find(name, sourceScale))
          return cached;
      APIBitmap* loaded = LoadAPIBitmap(path.Get(), sourceScale, location, ext);
      newlyLoaded = loaded != nullptr;
      return loaded;
    });
}

IBitmap IGfx::LoadBitmap(const char* name, const void* pData, int dataSize, int nStates, bool framesAreHorizontal,
  int targetScale)
{
  return LoadThroughCache(*this, name, nStates, framesAreHorizontal, targetScale,
    [&](int target, bool& newlyLoaded) -> APIBitmap* {
      int sourceScale = 0;
      if (APIBitmap* cached = SearchBitmapInCache(name, target, sourceScale))
        return cached;
      APIBitmap* loaded = pData && dataSize > 0 ? LoadAPIBitmap(name, pData, dataSize, 1) : nullptr;
      newlyLoaded = loaded != nullptr;
      return loaded;
    });
}

IBitmap IGfx::ScaleBitmap(const IBitmap& inBitmap, const char* cacheName, int targetScale)
{
  APIBitmap* source = inBitmap.GetAPIBitmap();
  if (!source || !(source->GetDrawScale() > 0.f))
    return IBitmap();
  // The scales are restored exactly: a fractional screen scale survives.
  const float prevScreenScale = mScreenScale;
  const float prevDrawScale = mDrawScale;
  mScreenScale = static_cast<float>(targetScale);
  mDrawScale = source->GetDrawScale();
  const IRECT bounds(0.f, 0.f, static_cast<float>(inBitmap.W()) / source->GetDrawScale(),
    static_cast<float>(inBitmap.H()) / source->GetDrawScale());
  StartLayer(nullptr, bounds, true);
  DrawBitmap(inBitmap, bounds, 0, 0, nullptr);
  ILayerPtr layer = EndLayer();
  IBitmap result;
  if (layer && layer->mBitmap)
  {
    APIBitmap* scaled = layer->mBitmap.release();
    result = IBitmap(scaled, inBitmap.N(), inBitmap.GetFramesAreHorizontal(), cacheName);
    PK_Mutex::Scope lock(BitmapStorage().Lock());
    RetainBitmap(result, cacheName);
    if (BitmapStorage().Find(cacheName, scaled->GetScale()) != scaled)
    {
      delete scaled;
      result = IBitmap();
    }
  }
  mScreenScale = prevScreenScale;
  mDrawScale = prevDrawScale;
  return result;
}

void IGfx::RetainBitmap(const IBitmap& bitmap, const char* cacheName)
{
  if (!bitmap.GetAPIBitmap())
    return;
  PK_Mutex::Scope lock(BitmapStorage().Lock());
  BitmapStorage().Add(bitmap.GetAPIBitmap(), cacheName, bitmap.GetAPIBitmap()->GetScale());
}

void IGfx::ReleaseBitmap(const IBitmap& bitmap)
{
  PK_Mutex::Scope lock(BitmapStorage().Lock());
  BitmapStorage().Remove(bitmap.GetAPIBitmap());
}

IRawBitmapData IGfx::LoadResource(const char* fileNameOrResID, const char* fileType)
{
  IRawBitmapData buffer(4096);
  PK_String path;
  if (!plugkit::LocateResource(fileNameOrResID, fileType, path, GetBundleID(), GetSharedResourcesSubPath()))
    return buffer;
  FILE* f = fopen(path.Get(), "rb");
  if (!f)
    return buffer;
  // A size that cannot be taken or does not fit the buffer gives nothing,
  // never a truncated read.
  long size = -1;
  if (fseek(f, 0, SEEK_END) == 0)
    size = ftell(f);
  if (size > 0 && size <= INT_MAX && fseek(f, 0, SEEK_SET) == 0)
  {
    const int n = static_cast<int>(size);
    if (buffer.Resize(n) && buffer.GetSize() == n &&
        fread(buffer.Get(), 1, static_cast<size_t>(n), f) != static_cast<size_t>(n))
      buffer.Resize(0);
    if (buffer.GetSize() != n)
      buffer.Resize(0);
  }
  fclose(f);
  return buffer;
}

ISVG IGfx::LoadSVG(const char* fileNameOrResID, const char* units, float dpi)
{
  if (!fileNameOrResID)
    return ISVG();
  PK_Mutex::Scope lock(SVGStorage().Lock());
  if (SVGHolder* holder = SVGStorage().Find(fileNameOrResID, 1.0))
    return ISVG(holder->Image());
  const IRawBitmapData data = LoadResource(fileNameOrResID, "svg");
  if (data.GetSize() == 0)
    return ISVG();
  return LoadSVG(fileNameOrResID, data.Get(), data.GetSize(), units, dpi);
}

ISVG IGfx::LoadSVG(const char* name, const void* pData, int dataSize, const char* units, float dpi)
{
  if (!name || !pData)
    return ISVG();
  PK_Mutex::Scope lock(SVGStorage().Lock());
  if (SVGHolder* holder = SVGStorage().Find(name, 1.0))
    return ISVG(holder->Image());
  const char* text = static_cast<const char*>(pData);
  const std::string copy = dataSize > 0 ? std::string(text, strnlen(text, static_cast<size_t>(dataSize)))
                                        : std::string(text);
  NSVGimage* image = nsvgParse(copy.c_str(), units, dpi);
  if (!image)
    return ISVG();
  auto* holder = new SVGHolder(image);
  if (!SVGStorage().Add(holder, name, 1.0))
  {
    delete holder;
    return ISVG();
  }
  return ISVG(image);
}

// A font counts as loaded only when the back-end registered it; only then
// does the platform cache it. The platform's font object goes either way.
static bool RegisterFont(IGfx& g, const char* fontID, std::unique_ptr<PlatformFont> font)
{
  if (!font || !g.LoadAPIFont(fontID, font.get()))
    return false;
  g.CachePlatformFont(fontID, font.get());
  return true;
}

bool IGfx::LoadFont(const char* fontID, const char* fileNameOrResID)
{
  return RegisterFont(*this, fontID, LoadPlatformFont(fontID, fileNameOrResID));
}

bool IGfx::LoadFont(const char* fontID, void* pData, int dataSize)
{
  return RegisterFont(*this, fontID, LoadPlatformFont(fontID, pData, dataSize));
}

bool IGfx::LoadFont(const char* fontID, const char* fontName, ETextStyle style)
{
  return RegisterFont(*this, fontID, LoadPlatformFont(fontID, fontName, style));
}

} // namespace plugkit::gfx
