#pragma once

// Memory the stand-in GPU reads and writes: buffers, 2-D textures, and the
// small immutable state objects (samplers, depth-stencil states). All are
// made by an MTLDevice and reference counted.
//
// Buffers are shared with the CPU: `contents` is the memory the GPU reads
// when a command buffer executes, so a caller must not change what an
// in-flight command buffer still uses (as on the platform). Texture contents
// are guarded by the GPU's memory lock, so uploads and read-backs from the
// UI thread never tear a pass the worker is executing.

#include <cstdint>
#include <vector>

#include "CoreFoundation/CFBase.h"
#include "Metal/MTLTypes.h"

class MTLBuffer : public CFObject
{
public:
  MTLBuffer(NSUInteger length, MTLResourceOptions options) : mBytes(length), mOptions(options) {}
  void* contents() { return mBytes.data(); }
  const void* contents() const { return mBytes.data(); }
  NSUInteger length() const { return mBytes.size(); }
  MTLResourceOptions resourceOptions() const { return mOptions; }

private:
  std::vector<uint8_t> mBytes;
  MTLResourceOptions mOptions;
};

class MTLTexture : public CFObject
{
public:
  // The descriptor must be valid (the device checks it): non-zero size,
  // a supported pixel format, at most the full chain of mip levels.
  explicit MTLTexture(const MTLTextureDescriptor& descriptor);

  MTLTextureType textureType() const { return mDescriptor.textureType; }
  MTLPixelFormat pixelFormat() const { return mDescriptor.pixelFormat; }
  NSUInteger width() const { return mDescriptor.width; }
  NSUInteger height() const { return mDescriptor.height; }
  NSUInteger mipmapLevelCount() const { return mDescriptor.mipmapLevelCount; }
  MTLStorageMode storageMode() const { return mDescriptor.storageMode; }
  MTLTextureUsage usage() const { return mDescriptor.usage; }

  // Copies rows of `bytesPerRow` from `bytes` into the region of a level.
  // Refused (nothing written) for private storage, a region outside the
  // level or a pitch smaller than a row, as the platform does not allow
  // them.
  void replaceRegion(MTLRegion region, NSUInteger level, const void* bytes, NSUInteger bytesPerRow);
  // Copies the region of a level out into rows of `bytesPerRow`; refused
  // like replaceRegion.
  void getBytes(void* bytes, NSUInteger bytesPerRow, MTLRegion region, NSUInteger level) const;

  // The stand-in GPU's view of the memory; callers hold the memory lock.
  int bytesPerPixel() const;
  NSUInteger levelWidth(NSUInteger level) const;
  NSUInteger levelHeight(NSUInteger level) const;
  uint8_t* levelData(NSUInteger level) { return mLevels[level].data(); }
  const uint8_t* levelData(NSUInteger level) const { return mLevels[level].data(); }

private:
  bool RegionFits(MTLRegion region, NSUInteger level, NSUInteger bytesPerRow) const;
  void CopyRegion(MTLRegion region, NSUInteger level, uint8_t* bytes, NSUInteger bytesPerRow, bool toTexture) const;

  MTLTextureDescriptor mDescriptor;
  std::vector<std::vector<uint8_t>> mLevels;
};

class MTLSamplerState : public CFObject
{
public:
  explicit MTLSamplerState(const MTLSamplerDescriptor& descriptor) : mDescriptor(descriptor) {}
  const MTLSamplerDescriptor& descriptor() const { return mDescriptor; }

private:
  MTLSamplerDescriptor mDescriptor;
};

class MTLDepthStencilState : public CFObject
{
public:
  explicit MTLDepthStencilState(const MTLDepthStencilDescriptor& descriptor) : mDescriptor(descriptor) {}
  const MTLDepthStencilDescriptor& descriptor() const { return mDescriptor; }
  const std::string& label() const { return mDescriptor.label; }

private:
  MTLDepthStencilDescriptor mDescriptor;
};
