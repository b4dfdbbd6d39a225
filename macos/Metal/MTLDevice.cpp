#include "Metal/MTLDevice.h"

#include <cstring>
#include <new>

#include "Metal/MTLCommandQueue.h"
#include "StandIn/Gpu.h"

namespace {

bool IsSupportedFormat(MTLPixelFormat format)
{
  switch (format)
  {
  case MTLPixelFormatR8Unorm:
  case MTLPixelFormatRGBA8Unorm:
  case MTLPixelFormatBGRA8Unorm:
  case MTLPixelFormatStencil8:
    return true;
  default:
    return false;
  }
}

NSUInteger FullMipChain(NSUInteger width, NSUInteger height)
{
  NSUInteger levels = 1;
  for (NSUInteger size = width > height ? width : height; size > 1; size /= 2)
    ++levels;
  return levels;
}

void SetError(Strong<NSError>* error, long code, std::string text)
{
  if (error)
    *error = MakeStrong<NSError>("MTLLibraryErrorDomain", code, std::move(text));
}

} // namespace

MTLTextureDescriptor MTLTextureDescriptor::texture2DDescriptorWithPixelFormat(MTLPixelFormat format, NSUInteger width,
                                                                             NSUInteger height, bool mipmapped)
{
  MTLTextureDescriptor d;
  d.pixelFormat = format;
  d.width = width;
  d.height = height;
  d.mipmapLevelCount = mipmapped ? FullMipChain(width, height) : 1;
  return d;
}

Strong<MTLDevice> MTLCreateSystemDefaultDevice()
{
  if (!standin::IsGpuAvailable())
    return nullptr;
  return MakeStrong<MTLDevice>();
}

Strong<MTLCommandQueue> MTLDevice::newCommandQueue() { return MakeStrong<MTLCommandQueue>(this); }

Strong<MTLBuffer> MTLDevice::newBufferWithLength(NSUInteger length, MTLResourceOptions options)
{
  if (length == 0 || standin::IsGpuAllocationRefused(length))
    return nullptr;
  try
  {
    return MakeStrong<MTLBuffer>(length, options);
  }
  catch (const std::bad_alloc&)
  {
    return nullptr; // out of memory, as the platform answers nil
  }
}

Strong<MTLBuffer> MTLDevice::newBufferWithBytes(const void* bytes, NSUInteger length, MTLResourceOptions options)
{
  Strong<MTLBuffer> buffer = newBufferWithLength(length, options);
  if (buffer)
    std::memcpy(buffer->contents(), bytes, length);
  return buffer;
}

Strong<MTLTexture> MTLDevice::newTextureWithDescriptor(const MTLTextureDescriptor& d)
{
  // The platform refuses zero-sized textures; sizes beyond its limit too.
  constexpr NSUInteger kMaxSide = 16384;
  if (d.textureType != MTLTextureType2D || !IsSupportedFormat(d.pixelFormat) || d.width == 0 || d.height == 0 ||
      d.width > kMaxSide || d.height > kMaxSide || d.mipmapLevelCount == 0 ||
      d.mipmapLevelCount > FullMipChain(d.width, d.height))
    return nullptr;
  // A test's allocation limit counts the base level, at four bytes a pixel.
  if (standin::IsGpuAllocationRefused(static_cast<unsigned long long>(d.width) * d.height * 4))
    return nullptr;
  try
  {
    return MakeStrong<MTLTexture>(d);
  }
  catch (const std::bad_alloc&)
  {
    return nullptr;
  }
}

Strong<MTLSamplerState> MTLDevice::newSamplerStateWithDescriptor(const MTLSamplerDescriptor& descriptor)
{
  return MakeStrong<MTLSamplerState>(descriptor);
}

Strong<MTLDepthStencilState> MTLDevice::newDepthStencilStateWithDescriptor(const MTLDepthStencilDescriptor& descriptor)
{
  return MakeStrong<MTLDepthStencilState>(descriptor);
}

Strong<MTLLibrary> MTLDevice::newLibraryWithData(dispatch_data_t data, Strong<NSError>* error)
{
  const auto* bytes = static_cast<const char*>(dispatch_data_get_bytes(data));
  size_t size = dispatch_data_get_size(data);
  if (!bytes || size < 4 || std::memcmp(bytes, "MTLB", 4) != 0)
  {
    SetError(error, 1, "Invalid library file: the data is not a Metal library");
    return nullptr;
  }
  std::vector<std::string> names;
  size_t at = 4;
  while (at < size)
  {
    const void* end = std::memchr(bytes + at, 0, size - at);
    if (!end)
    {
      SetError(error, 1, "Invalid library file: an entry name is not terminated");
      return nullptr;
    }
    std::string name(bytes + at, static_cast<const char*>(end));
    if (!standin::FindShaderFunction(name))
    {
      SetError(error, 2, "Function " + name + " has no compiled code");
      return nullptr;
    }
    names.push_back(std::move(name));
    at = static_cast<size_t>(static_cast<const char*>(end) - bytes) + 1;
  }
  return MakeStrong<MTLLibrary>(std::move(names));
}

Strong<MTLFunction> MTLLibrary::newFunctionWithName(const std::string& name) const
{
  for (const std::string& n : mNames)
    if (n == name)
      if (const standin::ShaderFunction* code = standin::FindShaderFunction(name))
        return MakeStrong<MTLFunction>(name, code);
  return nullptr;
}

Strong<MTLRenderPipelineState> MTLDevice::newRenderPipelineStateWithDescriptor(const MTLRenderPipelineDescriptor& d,
                                                                              Strong<NSError>* error)
{
  auto fail = [error](const char* text) {
    if (error)
      *error = MakeStrong<NSError>("MTLRenderPipelineErrorDomain", 1, text);
    return Strong<MTLRenderPipelineState>();
  };
  if (!d.vertexFunction || !d.vertexFunction->code().vertex)
    return fail("Vertex function is not set or is not a vertex function");
  if (d.fragmentFunction && !d.fragmentFunction->code().fragment)
    return fail("Fragment function is not a fragment function");
  MTLPixelFormat color = d.colorAttachments[0].pixelFormat;
  if (color == MTLPixelFormatStencil8 || (color != MTLPixelFormatInvalid && !IsSupportedFormat(color)))
    return fail("Colour attachment has an unsupported pixel format");
  return MakeStrong<MTLRenderPipelineState>(d);
}
