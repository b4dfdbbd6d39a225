#include "Metal/MTLBlitCommandEncoder.h"

#include <cstring>

#include "Metal/MTLCommandQueue.h"
#include "StandIn/Gpu.h"

namespace {

void LogBlit(const char* what)
{
  standin::CommandLogEntry entry;
  entry.kind = standin::CommandLogEntry::kBlit;
  entry.blit = what;
  standin::AppendCommandLog(entry);
}

} // namespace

MTLBlitCommandEncoder::MTLBlitCommandEncoder(MTLCommandBuffer* commandBuffer) : mCommandBuffer(commandBuffer) {}

void MTLBlitCommandEncoder::copyFromBuffer(MTLBuffer* buffer, NSUInteger offset, NSUInteger bytesPerRow,
                                           NSUInteger, MTLSize size, MTLTexture* texture, NSUInteger,
                                           NSUInteger level, MTLOrigin origin)
{
  if (mEnded || !buffer || !texture || level >= texture->mipmapLevelCount() || size.height == 0)
    return;
  NSUInteger row = size.width * texture->bytesPerPixel();
  if (bytesPerRow < row || offset > buffer->length() ||
      (size.height - 1) * bytesPerRow + row > buffer->length() - offset ||
      origin.x + size.width > texture->levelWidth(level) || origin.y + size.height > texture->levelHeight(level))
    return;
  LogBlit("copy");
  Strong<MTLBuffer> from(buffer);
  Strong<MTLTexture> to(texture);
  mWork.push_back([from, to, offset, bytesPerRow, size, level, origin, row] {
    NSUInteger pitch = to->levelWidth(level) * to->bytesPerPixel();
    for (NSUInteger y = 0; y < size.height; ++y)
      std::memcpy(to->levelData(level) + (origin.y + y) * pitch + origin.x * to->bytesPerPixel(),
                  static_cast<const uint8_t*>(from->contents()) + offset + y * bytesPerRow, row);
  });
}

void MTLBlitCommandEncoder::generateMipmapsForTexture(MTLTexture* texture)
{
  if (mEnded || !texture)
    return;
  LogBlit("mipmaps");
  Strong<MTLTexture> t(texture);
  mWork.push_back([t] {
    int bpp = t->bytesPerPixel();
    for (NSUInteger level = 1; level < t->mipmapLevelCount(); ++level)
    {
      NSUInteger sw = t->levelWidth(level - 1), sh = t->levelHeight(level - 1);
      NSUInteger w = t->levelWidth(level), h = t->levelHeight(level);
      const uint8_t* src = t->levelData(level - 1);
      uint8_t* dst = t->levelData(level);
      for (NSUInteger y = 0; y < h; ++y)
        for (NSUInteger x = 0; x < w; ++x)
        {
          NSUInteger x0 = 2 * x < sw ? 2 * x : sw - 1, x1 = 2 * x + 1 < sw ? 2 * x + 1 : sw - 1;
          NSUInteger y0 = 2 * y < sh ? 2 * y : sh - 1, y1 = 2 * y + 1 < sh ? 2 * y + 1 : sh - 1;
          for (int c = 0; c < bpp; ++c)
          {
            unsigned sum = src[(y0 * sw + x0) * bpp + c] + src[(y0 * sw + x1) * bpp + c] +
                           src[(y1 * sw + x0) * bpp + c] + src[(y1 * sw + x1) * bpp + c];
            dst[(y * w + x) * bpp + c] = static_cast<uint8_t>((sum + 2) / 4);
          }
        }
    }
  });
}

void MTLBlitCommandEncoder::synchronizeResource(CFObject*)
{
  if (!mEnded)
    LogBlit("synchronize");
}

void MTLBlitCommandEncoder::endEncoding()
{
  if (mEnded)
    return;
  mEnded = true;
  auto work = std::make_shared<std::vector<std::function<void()>>>(std::move(mWork));
  mCommandBuffer->AddWork([work] {
    for (auto& w : *work)
      w();
  });
  mCommandBuffer->EncoderEnded();
}
