// PNG files of straight RGBA rows, written whole or not at all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace auhost {

// Writes beside the target first and renames, so a failure leaves no
// partial file; false with `error` set.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba, std::string& error);

} // namespace auhost
