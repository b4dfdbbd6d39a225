// Feeds arbitrary bytes to the font table reader, over every face up to the
// first that does not parse, and to the face search: under
// AddressSanitizer any read outside the bytes is caught.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "graphics/platform/FontTableInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  using namespace plugkit::gfx;
  if (size > 1 << 20)
    return 0;
  const int n = static_cast<int>(size);
  for (int face = 0;; ++face)
  {
    const IFontFileData info(data, n, face);
    if (!info.IsValid())
      break;
    // The names must be whole strings within reach.
    if (strlen(info.family.Get()) > size || strlen(info.style.Get()) > size * 2)
      __builtin_trap();
    (void)info.EmRatio();
  }
  (void)FindFaceIndexByStyle(data, n, "Bold");
  (void)FindFaceIndexByStyle(data, n, "");
  return 0;
}
