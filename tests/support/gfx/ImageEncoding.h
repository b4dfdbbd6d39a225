#pragma once

#include <cstdint>
#include <string>

namespace gfxtest {

// Writes w x h RGBA pixels (top row first) as a PNG file; false when the
// file cannot be written.
bool WritePngFile(const std::string& path, int w, int h, const uint8_t* rgba);

} // namespace gfxtest
