// The translation unit of the test support that compiles stb_image_write's
// implementation, for tests that put image files on disk.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

#include "tests/support/gfx/ImageEncoding.h"

namespace gfxtest {

bool WritePngFile(const std::string& path, int w, int h, const uint8_t* rgba)
{
  return w > 0 && h > 0 && rgba && stbi_write_png(path.c_str(), w, h, 4, rgba, w * 4) != 0;
}

} // namespace gfxtest
