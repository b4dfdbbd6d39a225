// Text files a user gives the host: presets, lanes, scripts.
#pragma once

#include <string>

namespace auhost {

// The whole file; false with `error` set when it cannot be read or is a
// folder.
bool ReadTextFile(const std::string& path, std::string& text, std::string& error);

} // namespace auhost
