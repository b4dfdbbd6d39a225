// Feeds arbitrary text to the SVG reader: under AddressSanitizer any read
// outside the text or a leak of the half-built image is caught.
#include <cstddef>
#include <cstdint>
#include <string>

#include "graphics/SVG.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static const char* const kUnits[] = {"px", "mm", "in", "em"};
  const std::string text(reinterpret_cast<const char*>(data), size);
  const char* units = kUnits[size % 4];
  plugkit::gfx::NSVGimage* image = plugkit::gfx::nsvgParse(text.c_str(), units, 96.f);
  plugkit::gfx::nsvgDelete(image);
  return 0;
}
