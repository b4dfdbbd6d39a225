#include "tools/PngFile.h"

#include <cstdio>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

namespace auhost {

bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba, std::string& error)
{
  if (width <= 0 || height <= 0 || rgba.size() < static_cast<size_t>(width) * static_cast<size_t>(height) * 4)
    return error = "nothing to write to " + path, false;
  const std::string partial = path + ".partial";
  if (!stbi_write_png(partial.c_str(), width, height, 4, rgba.data(), width * 4) ||
      std::rename(partial.c_str(), path.c_str()) != 0)
  {
    std::remove(partial.c_str());
    return error = "cannot write " + path, false;
  }
  return true;
}

} // namespace auhost
