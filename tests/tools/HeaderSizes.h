// The size fields of a WAV (RF64 too) or AIFF file, checked against the
// file itself, as a strict reader trusts them: libsndfile reads a file
// whose sizes are wrong as though they were right, so its reads cannot
// tell.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

namespace toolstest {

// The `width`-byte number at `at`, big- or little-endian.
inline uint64_t HeaderField(const std::string& bytes, size_t at, int width, bool bigEndian)
{
  uint64_t value = 0;
  for (int b = 0; b < width; ++b)
    value |= uint64_t{static_cast<unsigned char>(bytes[at + static_cast<size_t>(b)])}
             << (8 * (bigEndian ? width - 1 - b : b));
  return value;
}

// What disagrees in the file at `path`, or empty when nothing does: the
// RIFF or FORM size (an RF64's in its ds64 chunk) is the file's length
// less 8, the chunks follow one another (each padded to an even length)
// to the file's end exactly, and the data or SSND chunk holds `frames`
// frames as the fmt or COMM chunk lays them out (COMM counting them too).
inline std::string HeaderSizeProblem(const std::string& path, uint64_t frames)
{
  std::ifstream file(path, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  const std::string kind = bytes.substr(0, 4);
  const bool aiff = kind == "FORM", rf64 = kind == "RF64";
  if (bytes.size() < 12 || (!aiff && !rf64 && kind != "RIFF"))
    return "not a WAV or AIFF file";
  const uint64_t length = bytes.size();
  uint64_t outer = HeaderField(bytes, 4, 4, aiff), ds64Data = 0, frameBytes = 0, audioBytes = 0;
  uint64_t counted = frames; // by COMM
  size_t at = 12;
  while (at < length)
  {
    if (at + 8 > length)
      return "a chunk's header cut short at byte " + std::to_string(at);
    const std::string id = bytes.substr(at, 4);
    uint64_t size = HeaderField(bytes, at + 4, 4, aiff);
    if (rf64 && id == "data" && size == 0xFFFFFFFF)
      size = ds64Data;
    const size_t body = at + 8;
    if (size > length - body)
      return id + " size " + std::to_string(size) + " runs past the end, at byte " + std::to_string(length);
    if (rf64 && id == "ds64" && size >= 24)
      outer = HeaderField(bytes, body, 8, false), ds64Data = HeaderField(bytes, body + 8, 8, false);
    else if (id == "fmt " && size >= 16)
      frameBytes = HeaderField(bytes, body + 12, 2, false);
    else if (id == "COMM" && size >= 8)
    {
      frameBytes = HeaderField(bytes, body, 2, true) * ((HeaderField(bytes, body + 6, 2, true) + 7) / 8);
      counted = HeaderField(bytes, body + 2, 4, true);
    }
    else if (id == "data")
      audioBytes = size;
    else if (id == "SSND" && size >= 8)
      audioBytes = size - 8 - HeaderField(bytes, body, 4, true);
    at = body + size + (size & 1);
  }
  if (at != length)
    return "the last chunk runs to byte " + std::to_string(at) + " of " + std::to_string(length);
  if (outer != length - 8)
    return kind + " size " + std::to_string(outer) + " in a file of " + std::to_string(length) + " bytes";
  if (audioBytes != frames * frameBytes || counted != frames)
    return "the audio's size " + std::to_string(audioBytes) + " (" + std::to_string(counted) + " frames) for " +
           std::to_string(frames) + " frames of " + std::to_string(frameBytes) + " bytes";
  return {};
}

} // namespace toolstest
