#include "tools/DeclaredAudioSize.h"

#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstring>

namespace auhost {

namespace {

// Enough for any real file; a walk of a damaged one stops there.
constexpr int kMostChunks = 1000;
constexpr uint32_t kNoSize = 0xFFFFFFFF;
// What a program writing to a pipe, unable to go back and put the length
// in its header, leaves there instead (sox: as many whole frames as these
// bytes hold, in a WAV's data chunk or an AIFF's sound data).
constexpr uint32_t kWavPlaceholderBytes = 0x7FFFF000;
constexpr uint32_t kAiffPlaceholderBytes = 0x7F000000;

uint32_t LittleEndian32(const unsigned char* p)
{
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint64_t LittleEndian64(const unsigned char* p)
{
  return uint64_t(LittleEndian32(p)) | uint64_t(LittleEndian32(p + 4)) << 32;
}

uint32_t BigEndian32(const unsigned char* p)
{
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

uint32_t BigEndian16(const unsigned char* p)
{
  return uint32_t(p[0]) << 8 | uint32_t(p[1]);
}

bool Is(const unsigned char* p, const char* tag)
{
  return std::memcmp(p, tag, 4) == 0;
}

// The audio's length as the header gives it, or none when that is the
// placeholder of a program that could not know it: the most whole frames
// of `frameBytes` (0 when not known) in `placeholder` bytes.
long long DeclaredLength(uint64_t bytes, uint32_t placeholder, uint32_t frameBytes)
{
  if (frameBytes > 0 && bytes == placeholder / frameBytes * frameBytes)
    return kNoDeclaredSize;
  return static_cast<long long>(bytes);
}

long long Clamped(uint64_t value)
{
  return value > static_cast<uint64_t>(LLONG_MAX) ? LLONG_MAX : static_cast<long long>(value);
}

} // namespace

long long Id3TagLength(const unsigned char* head)
{
  if (std::memcmp(head, "ID3", 3) != 0 || head[3] < 2 || head[3] > 4)
    return 0;
  // The size after the 10-byte header, 7 bits in each of 4 bytes.
  long long size = 0;
  for (int b = 6; b < 10; ++b)
    size = size << 7 | (head[b] & 0x7F);
  return 10 + size;
}

long long Id3TagsLength(const HeaderBytes& bytes)
{
  long long start = 0, tag = 0;
  unsigned char head[10];
  for (int tags = 0; tags < kMostChunks && bytes(start, head, sizeof head) && (tag = Id3TagLength(head)) > 0; ++tags)
    start += tag;
  return start;
}

bool FindAudioChunk(const HeaderBytes& bytes, DeclaredAudio& out)
{
  const auto readExactly = [&bytes](long long at, unsigned char* into, size_t count) {
    return at >= 0 && bytes(at, into, count);
  };
  const long long start = Id3TagsLength(bytes);
  unsigned char head[12];
  if (!readExactly(start, head, sizeof head))
    return false;
  const bool riff = Is(head, "RIFF") && Is(head + 8, "WAVE");
  const bool rf64 = (Is(head, "RF64") || Is(head, "BW64")) && Is(head + 8, "WAVE");
  const bool aiff = Is(head, "FORM") && (Is(head + 8, "AIFF") || Is(head + 8, "AIFC"));
  if (!riff && !rf64 && !aiff)
    return false;
  // An RF64 file gives the audio's 64-bit size in its ds64 chunk, which
  // comes first, and 0xFFFFFFFF in the data chunk itself.
  uint64_t rf64Bytes = 0;
  bool haveRf64Bytes = false;
  uint32_t frameBytes = 0; // from the format chunk, when it comes before the audio
  long long at = start + 12;
  for (int walked = 0; walked < kMostChunks; ++walked)
  {
    unsigned char chunk[8];
    if (!readExactly(at, chunk, sizeof chunk))
      return false;
    const uint32_t size = aiff ? BigEndian32(chunk + 4) : LittleEndian32(chunk + 4);
    const long long body = at + 8;
    if (rf64 && Is(chunk, "ds64"))
    {
      unsigned char sizes[16];
      if (!readExactly(body, sizes, sizeof sizes))
        return false;
      rf64Bytes = LittleEndian64(sizes + 8);
      haveRf64Bytes = true;
    }
    else if (riff && Is(chunk, "fmt "))
    {
      // Its block align: the bytes of one frame.
      unsigned char align[2];
      if (size >= 14 && readExactly(body + 12, align, sizeof align))
        frameBytes = uint32_t(align[0]) | uint32_t(align[1]) << 8;
    }
    else if (aiff && Is(chunk, "COMM"))
    {
      // Its channels and bits per sample.
      unsigned char common[8];
      if (size >= 8 && readExactly(body, common, sizeof common))
        frameBytes = BigEndian16(common) * ((BigEndian16(common + 6) + 7) / 8);
    }
    else if (!aiff && Is(chunk, "data"))
    {
      out.offset = body;
      out.bytes = size == kNoSize ? (rf64 && haveRf64Bytes ? Clamped(rf64Bytes) : kNoDeclaredSize)
                  : riff          ? DeclaredLength(size, kWavPlaceholderBytes, frameBytes)
                                  : size;
      out.tags = start;
      return true;
    }
    else if (aiff && Is(chunk, "SSND"))
    {
      // The sound data starts `offset` bytes after an 8-byte preamble.
      unsigned char preamble[8];
      if (!readExactly(body, preamble, sizeof preamble))
        return false;
      const uint64_t skipped = 8 + uint64_t(BigEndian32(preamble));
      out.offset = body + static_cast<long long>(skipped);
      out.bytes = size > skipped ? DeclaredLength(size - skipped, kAiffPlaceholderBytes, frameBytes) : 0;
      out.tags = start;
      return true;
    }
    // Chunks are padded to an even length.
    at = body + size + (size & 1);
  }
  return false;
}

namespace {

HeaderBytes FromFile(int descriptor)
{
  return [descriptor](long long at, unsigned char* into, size_t count) {
    return pread(descriptor, into, count, static_cast<off_t>(at)) == static_cast<ssize_t>(count);
  };
}

} // namespace

long long Id3TagsLength(int descriptor)
{
  return Id3TagsLength(FromFile(descriptor));
}

bool FindAudioChunk(int descriptor, DeclaredAudio& out)
{
  return FindAudioChunk(FromFile(descriptor), out);
}

} // namespace auhost
