#include <cmath>
#include <cstring>

#include "Metal/MTLResource.h"
#include "StandIn/Gpu.h"
#include "StandIn/Shaders.h"

MTLTexture::MTLTexture(const MTLTextureDescriptor& descriptor) : mDescriptor(descriptor)
{
  // Magenta where a colour can say it, all ones otherwise: contents that a
  // correct program never reads.
  static const uint8_t kStrictRGBA[4] = {255, 0, 255, 255};
  static const uint8_t kStrictBGRA[4] = {255, 0, 255, 255};
  bool strict = standin::AreTexturesStrict();
  mLevels.resize(descriptor.mipmapLevelCount);
  for (NSUInteger level = 0; level < mLevels.size(); ++level)
  {
    std::vector<uint8_t>& bytes = mLevels[level];
    bytes.assign(levelWidth(level) * levelHeight(level) * bytesPerPixel(), 0);
    if (!strict)
      continue;
    if (bytesPerPixel() == 1)
      std::memset(bytes.data(), 0xff, bytes.size());
    else
      for (size_t i = 0; i < bytes.size(); i += 4)
        std::memcpy(&bytes[i], pixelFormat() == MTLPixelFormatBGRA8Unorm ? kStrictBGRA : kStrictRGBA, 4);
  }
}

int MTLTexture::bytesPerPixel() const
{
  return mDescriptor.pixelFormat == MTLPixelFormatRGBA8Unorm || mDescriptor.pixelFormat == MTLPixelFormatBGRA8Unorm
           ? 4
           : 1;
}

NSUInteger MTLTexture::levelWidth(NSUInteger level) const
{
  NSUInteger w = mDescriptor.width >> level;
  return w ? w : 1;
}

NSUInteger MTLTexture::levelHeight(NSUInteger level) const
{
  NSUInteger h = mDescriptor.height >> level;
  return h ? h : 1;
}

bool MTLTexture::RegionFits(MTLRegion r, NSUInteger level, NSUInteger bytesPerRow) const
{
  if (level >= mLevels.size() || r.size.depth != 1 || r.origin.z != 0)
    return false;
  NSUInteger w = levelWidth(level), h = levelHeight(level);
  return r.origin.x <= w && r.size.width <= w - r.origin.x && r.origin.y <= h && r.size.height <= h - r.origin.y &&
         bytesPerRow >= r.size.width * bytesPerPixel();
}

void MTLTexture::replaceRegion(MTLRegion r, NSUInteger level, const void* bytes, NSUInteger bytesPerRow)
{
  if (!bytes || storageMode() == MTLStorageModePrivate || !RegionFits(r, level, bytesPerRow))
    return;
  std::lock_guard<std::mutex> lock(standin::GpuMemoryLock());
  size_t row = r.size.width * bytesPerPixel();
  size_t pitch = levelWidth(level) * bytesPerPixel();
  for (NSUInteger y = 0; y < r.size.height; ++y)
    std::memcpy(mLevels[level].data() + (r.origin.y + y) * pitch + r.origin.x * bytesPerPixel(),
                static_cast<const uint8_t*>(bytes) + y * bytesPerRow, row);
}

void MTLTexture::getBytes(void* bytes, NSUInteger bytesPerRow, MTLRegion r, NSUInteger level) const
{
  if (!bytes || storageMode() == MTLStorageModePrivate || !RegionFits(r, level, bytesPerRow))
    return;
  std::lock_guard<std::mutex> lock(standin::GpuMemoryLock());
  size_t row = r.size.width * bytesPerPixel();
  size_t pitch = levelWidth(level) * bytesPerPixel();
  for (NSUInteger y = 0; y < r.size.height; ++y)
    std::memcpy(static_cast<uint8_t*>(bytes) + y * bytesPerRow,
                mLevels[level].data() + (r.origin.y + y) * pitch + r.origin.x * bytesPerPixel(), row);
}

namespace standin {
namespace {

int Address(int i, int size, MTLSamplerAddressMode mode)
{
  if (mode == MTLSamplerAddressModeRepeat)
  {
    i %= size;
    return i < 0 ? i + size : i;
  }
  return i < 0 ? 0 : (i >= size ? size - 1 : i);
}

// Keeps a texel coordinate (NaN included) in a range that converts to an
// int; no drawing samples that far out.
float ClampCoordinate(float c)
{
  constexpr float kLimit = 1 << 24;
  if (!(c > -kLimit))
    return -kLimit;
  return c < kLimit ? c : kLimit;
}

void Texel(const MTLTexture* t, NSUInteger level, int x, int y, float out[4])
{
  const uint8_t* p = t->levelData(level) + (static_cast<size_t>(y) * t->levelWidth(level) + x) * t->bytesPerPixel();
  constexpr float k = 1.0f / 255.0f;
  switch (t->pixelFormat())
  {
  case MTLPixelFormatRGBA8Unorm:
    out[0] = p[0] * k, out[1] = p[1] * k, out[2] = p[2] * k, out[3] = p[3] * k;
    break;
  case MTLPixelFormatBGRA8Unorm:
    out[0] = p[2] * k, out[1] = p[1] * k, out[2] = p[0] * k, out[3] = p[3] * k;
    break;
  default:
    out[0] = p[0] * k, out[1] = 0, out[2] = 0, out[3] = 1;
    break;
  }
}

void SampleLevel(const MTLTexture* t, const MTLSamplerDescriptor& s, NSUInteger level, bool linear, float u, float v,
                 float out[4])
{
  int w = static_cast<int>(t->levelWidth(level)), h = static_cast<int>(t->levelHeight(level));
  if (!linear)
  {
    int x = Address(static_cast<int>(std::floor(ClampCoordinate(u * w))), w, s.sAddressMode);
    int y = Address(static_cast<int>(std::floor(ClampCoordinate(v * h))), h, s.tAddressMode);
    Texel(t, level, x, y, out);
    return;
  }
  float fx = ClampCoordinate(u * w - 0.5f), fy = ClampCoordinate(v * h - 0.5f);
  float x0f = std::floor(fx), y0f = std::floor(fy);
  float ax = fx - x0f, ay = fy - y0f;
  int x0 = static_cast<int>(x0f), y0 = static_cast<int>(y0f);
  int xa = Address(x0, w, s.sAddressMode), xb = Address(x0 + 1, w, s.sAddressMode);
  int ya = Address(y0, h, s.tAddressMode), yb = Address(y0 + 1, h, s.tAddressMode);
  float t00[4], t10[4], t01[4], t11[4];
  Texel(t, level, xa, ya, t00);
  Texel(t, level, xb, ya, t10);
  Texel(t, level, xa, yb, t01);
  Texel(t, level, xb, yb, t11);
  for (int c = 0; c < 4; ++c)
  {
    float top = t00[c] + (t10[c] - t00[c]) * ax;
    float bottom = t01[c] + (t11[c] - t01[c]) * ax;
    out[c] = top + (bottom - top) * ay;
  }
}

} // namespace

TextureView::TextureView(const MTLTexture* t, const MTLSamplerState* sampler, float lod)
  : mTexture(t), mSampler(sampler), mLod(lod)
{
  if (!t || !sampler || t->pixelFormat() == MTLPixelFormatStencil8)
    return;
  const MTLSamplerDescriptor& s = sampler->descriptor();
  NSUInteger level = 0;
  bool minified = lod > 0;
  if (minified && s.mipFilter != MTLSamplerMipFilterNotMipmapped && t->mipmapLevelCount() > 1)
  {
    float maxLevel = static_cast<float>(t->mipmapLevelCount() - 1);
    float l = lod < maxLevel ? lod : maxLevel;
    if (s.mipFilter == MTLSamplerMipFilterLinear && l != std::floor(l))
    {
      mGeneral = true;
      return;
    }
    level = static_cast<NSUInteger>(s.mipFilter == MTLSamplerMipFilterNearest ? std::floor(l + 0.5f) : l);
  }
  mLinear = (minified ? s.minFilter : s.magFilter) == MTLSamplerMinMagFilterLinear;
  mRepeatS = s.sAddressMode == MTLSamplerAddressModeRepeat;
  mRepeatT = s.tAddressMode == MTLSamplerAddressModeRepeat;
  mData = t->levelData(level);
  mW = static_cast<int>(t->levelWidth(level));
  mH = static_cast<int>(t->levelHeight(level));
  mBytes = t->bytesPerPixel();
  bool bgra = t->pixelFormat() == MTLPixelFormatBGRA8Unorm;
  mRed = bgra ? 2 : 0;
  mBlue = bgra ? 0 : 2;
  mFast = AreGpuFastPathsEnabled();
}

void SampleTexture(const MTLTexture* t, const MTLSamplerState* sampler, float u, float v, float lod, float out[4])
{
  if (!t || !sampler || t->pixelFormat() == MTLPixelFormatStencil8)
  {
    out[0] = out[1] = out[2] = out[3] = 0;
    return;
  }
  const MTLSamplerDescriptor& s = sampler->descriptor();
  NSUInteger levels = t->mipmapLevelCount();
  if (!(lod > 0) || s.mipFilter == MTLSamplerMipFilterNotMipmapped || levels == 1)
  {
    bool linear = (lod > 0 ? s.minFilter : s.magFilter) == MTLSamplerMinMagFilterLinear;
    SampleLevel(t, s, 0, linear, u, v, out);
    return;
  }
  bool linear = s.minFilter == MTLSamplerMinMagFilterLinear;
  float maxLevel = static_cast<float>(levels - 1);
  float l = lod < maxLevel ? lod : maxLevel;
  if (s.mipFilter == MTLSamplerMipFilterNearest)
  {
    SampleLevel(t, s, static_cast<NSUInteger>(std::floor(l + 0.5f)), linear, u, v, out);
    return;
  }
  NSUInteger l0 = static_cast<NSUInteger>(std::floor(l));
  NSUInteger l1 = l0 + 1 < levels ? l0 + 1 : l0;
  float f = l - static_cast<float>(l0);
  float a[4], b[4];
  SampleLevel(t, s, l0, linear, u, v, a);
  SampleLevel(t, s, l1, linear, u, v, b);
  for (int c = 0; c < 4; ++c)
    out[c] = a[c] + (b[c] - a[c]) * f;
}

} // namespace standin
