// The one translation unit of the test binaries that compiles stb_image's
// implementation.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#include <stb/stb_image.h>

#include "tests/support/gfx/ImageDecoding.h"

#include <cstring>

namespace gfxtest {

namespace {

std::unique_ptr<MemoryBitmap> FromPixels(unsigned char* pixels, int w, int h, int scale, const char* source)
{
  if (!pixels)
    return nullptr;
  auto bitmap = std::make_unique<MemoryBitmap>(w, h, static_cast<float>(scale), 1.f, source ? source : "");
  std::memcpy(bitmap->rgba.data(), pixels, bitmap->rgba.size());
  stbi_image_free(pixels);
  return bitmap;
}

} // namespace

std::unique_ptr<MemoryBitmap> DecodeImageFile(const char* path, int scale)
{
  int w = 0, h = 0, channels = 0;
  unsigned char* pixels = path ? stbi_load(path, &w, &h, &channels, 4) : nullptr;
  return FromPixels(pixels, w, h, scale, path);
}

std::unique_ptr<MemoryBitmap> DecodeImageMemory(const void* pData, int size, int scale, const char* name)
{
  if (!pData || size <= 0)
    return nullptr;
  int w = 0, h = 0, channels = 0;
  unsigned char* pixels = stbi_load_from_memory(static_cast<const unsigned char*>(pData), size, &w, &h, &channels, 4);
  return FromPixels(pixels, w, h, scale, name);
}

} // namespace gfxtest
