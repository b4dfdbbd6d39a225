// Text files a user gives the host (presets, lanes, scripts): read whole,
// split into lines however their editor saved them, and quoted back safely.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace auhost {

// The whole file; false with `error` set when it cannot be read, is a
// folder, holds more than `largest` bytes (the caller's bound, so that a
// huge file, a device or a pipe that never ends is refused before it takes
// the memory) or is UTF-16 or UTF-32 text (it begins with the encoding's
// byte-order mark, or a NUL is every other of its first bytes).
bool ReadTextFile(const std::string& path, size_t largest, std::string& text, std::string& error);
// The text's lines without their ends: a line ends at LF, CR LF or a lone CR
// (as old editors and some spreadsheets write), and a byte-order mark in
// front of the first is no part of it.
std::vector<std::string> TextLines(const std::string& text);
// A part of a line fit to quote in a message: its first few dozen bytes,
// those outside printable ASCII written as \xHH, and "..." when it goes on,
// so a huge line or binary junk never floods the terminal.
std::string Excerpt(const std::string& line);

} // namespace auhost
