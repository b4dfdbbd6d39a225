// NanoVG's image loading, on the system's stb_image (NanoVG is built
// without its own copy): premultiplied alpha undone and Apple's PNG variant
// converted, decoded to four channels.

#include <stb_image.h>

#include "nanovg.h"

namespace {

int CreateFromPixels(NVGcontext* ctx, int imageFlags, unsigned char* pixels, int width, int height)
{
  if (!pixels)
    return 0;
  int image = nvgCreateImageRGBA(ctx, width, height, imageFlags, pixels);
  stbi_image_free(pixels);
  return image;
}

void PrepareDecoder()
{
  stbi_set_unpremultiply_on_load(1);
  stbi_convert_iphone_png_to_rgb(1);
}

} // namespace

int nvgCreateImage(NVGcontext* ctx, const char* filename, int imageFlags)
{
  PrepareDecoder();
  int w = 0, h = 0, n = 0;
  unsigned char* pixels = stbi_load(filename, &w, &h, &n, 4);
  return CreateFromPixels(ctx, imageFlags, pixels, w, h);
}

int nvgCreateImageMem(NVGcontext* ctx, int imageFlags, const unsigned char* data, int ndata)
{
  PrepareDecoder();
  int w = 0, h = 0, n = 0;
  unsigned char* pixels = stbi_load_from_memory(data, ndata, &w, &h, &n, 4);
  return CreateFromPixels(ctx, imageFlags, pixels, w, h);
}
