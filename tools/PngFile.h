// PNG files of straight RGBA rows, written whole or not at all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace auhost {

// Writes as the render writes its outputs (tools/OutputReplacement.h): a
// link is written through, an old file keeps its mode and owner, and the
// picture takes the name only once whole, so a failure leaves the old file
// as it was. A FIFO or a character device (/dev/null, a terminal) takes the
// picture as a stream and is never replaced, also behind a descriptor's
// link (/dev/stdout, /dev/fd/N) that leads to a pipe; anything else that
// is not a plain file is refused, and so is a descriptor of this process
// open only for reading (/dev/stdin, a process substitution <(...)). False
// with `error` set; what an old file could not keep is a warning on
// standard error.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba, std::string& error);

} // namespace auhost
