#pragma once

// Blit passes: buffer-to-texture copies, mipmap generation (2 x 2 box) and
// synchronisation of a managed resource (nothing to do on a GPU that shares
// the CPU's memory, but logged).

#include <vector>
#include <functional>

#include "CoreFoundation/CFBase.h"
#include "Metal/MTLResource.h"
#include "Metal/MTLTypes.h"
#include "StandIn/Strong.h"

class MTLCommandBuffer;

class MTLBlitCommandEncoder : public CFObject
{
public:
  explicit MTLBlitCommandEncoder(MTLCommandBuffer* commandBuffer);

  // Copies `size` texels from rows of `bytesPerRow` at `offset` in the
  // buffer into level `level` at `origin`. Ignored when either side is too
  // small.
  void copyFromBuffer(MTLBuffer* buffer, NSUInteger offset, NSUInteger bytesPerRow, NSUInteger bytesPerImage,
                      MTLSize size, MTLTexture* texture, NSUInteger slice, NSUInteger level, MTLOrigin origin);
  // Fills levels 1.. from level 0, each texel the rounded mean of the 2 x 2
  // texels above it (edge texels repeat for odd sizes).
  void generateMipmapsForTexture(MTLTexture* texture);
  void synchronizeResource(CFObject* resource);
  void endEncoding();

private:
  Strong<MTLCommandBuffer> mCommandBuffer;
  std::vector<std::function<void()>> mWork;
  bool mEnded = false;
};
