#pragma once

#include <memory>

#include "tests/support/gfx/RecordingGfx.h"

namespace gfxtest {

// PNG and JPEG (whatever stb_image reads) into RGBA; null when the data is
// not an image it can read.
std::unique_ptr<MemoryBitmap> DecodeImageFile(const char* path, int scale);
std::unique_ptr<MemoryBitmap> DecodeImageMemory(const void* pData, int size, int scale, const char* name);

} // namespace gfxtest
