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

// Copies the rows of a region between a level and caller memory, in the
// direction `toTexture` says, under the memory lock.
void MTLTexture::CopyRegion(MTLRegion r, NSUInteger level, uint8_t* bytes, NSUInteger bytesPerRow,
                            bool toTexture) const
{
  std::lock_guard<std::mutex> lock(standin::GpuMemoryLock());
  size_t row = r.size.width * bytesPerPixel();
  size_t pitch = levelWidth(level) * bytesPerPixel();
  uint8_t* texels = const_cast<uint8_t*>(mLevels[level].data()) + r.origin.y * pitch + r.origin.x * bytesPerPixel();
  for (NSUInteger y = 0; y < r.size.height; ++y)
    if (toTexture)
      std::memcpy(texels + y * pitch, bytes + y * bytesPerRow, row);
    else
      std::memcpy(bytes + y * bytesPerRow, texels + y * pitch, row);
}

void MTLTexture::replaceRegion(MTLRegion r, NSUInteger level, const void* bytes, NSUInteger bytesPerRow)
{
  if (bytes && storageMode() != MTLStorageModePrivate && RegionFits(r, level, bytesPerRow))
    CopyRegion(r, level, static_cast<uint8_t*>(const_cast<void*>(bytes)), bytesPerRow, true);
}

void MTLTexture::getBytes(void* bytes, NSUInteger bytesPerRow, MTLRegion r, NSUInteger level) const
{
  if (bytes && storageMode() != MTLStorageModePrivate && RegionFits(r, level, bytesPerRow))
    CopyRegion(r, level, static_cast<uint8_t*>(bytes), bytesPerRow, false);
}

namespace standin {

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
      mGeneral = true; // two levels blended: SampleTexture
      return;
    }
    level = static_cast<NSUInteger>(s.mipFilter == MTLSamplerMipFilterNearest ? std::floor(l + 0.5f) : l);
  }
  Resolve(t, s, level, (minified ? s.minFilter : s.magFilter) == MTLSamplerMinMagFilterLinear);
}

TextureView::TextureView(const MTLTexture* t, const MTLSamplerState* sampler, NSUInteger level, bool linear)
  : mTexture(t), mSampler(sampler), mLod(0)
{
  Resolve(t, sampler->descriptor(), level, linear);
}

void TextureView::Resolve(const MTLTexture* t, const MTLSamplerDescriptor& s, NSUInteger level, bool linear)
{
  mLinear = linear;
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

// Linear filtering between two mip levels; everything else is one level.
void SampleTexture(const MTLTexture* t, const MTLSamplerState* sampler, float u, float v, float lod, float out[4])
{
  if (!t || !sampler || t->pixelFormat() == MTLPixelFormatStencil8)
  {
    out[0] = out[1] = out[2] = out[3] = 0;
    return;
  }
  const MTLSamplerDescriptor& s = sampler->descriptor();
  NSUInteger levels = t->mipmapLevelCount();
  if (!(lod > 0) || s.mipFilter != MTLSamplerMipFilterLinear || levels == 1)
  {
    TextureView(t, sampler, lod).Sample(u, v, out);
    return;
  }
  float maxLevel = static_cast<float>(levels - 1);
  float l = lod < maxLevel ? lod : maxLevel;
  NSUInteger l0 = static_cast<NSUInteger>(std::floor(l));
  NSUInteger l1 = l0 + 1 < levels ? l0 + 1 : l0;
  float f = l - static_cast<float>(l0);
  bool linear = s.minFilter == MTLSamplerMinMagFilterLinear;
  float a[4], b[4];
  TextureView(t, sampler, l0, linear).Sample(u, v, a);
  TextureView(t, sampler, l1, linear).Sample(u, v, b);
  for (int c = 0; c < 4; ++c)
    out[c] = a[c] + (b[c] - a[c]) * f;
}

} // namespace standin
