#include "tools/DeclaredAudioSize.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

namespace auhost {

namespace {

// Enough for any real file; a walk of a damaged one stops there.
constexpr int kMostChunks = 1000;
constexpr uint32_t kNoSize = 0xFFFFFFFF;
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

// Whether the size of a WAV's data chunk or an AIFF's SSND chunk is not
// the audio's length but what a program writing to a pipe, unable to go
// back to its header, leaves there instead. Such a stream runs on to its
// end, past 2 or 4 GiB too. The values:
// - 0xFFFFFFFF, the largest size there is: most programs streaming a WAV;
// - 0x7FFFFFFF, the largest signed size: programs that keep sizes signed;
// - 0x80000000, 2 GiB (with 0x80000024 in the RIFF size): a recorder
//   (arecord) writing a WAV to a pipe;
// - sox's, the most whole frames (of `frameBytes`, when the format chunk
//   came first) in 0x7FFFF000 bytes of a WAV's audio or 0x7F000000 of an
//   AIFF's sound data (`audioBytes`, after its preamble).
// A real file may hold audio of exactly such a length: one followed by
// another chunk keeps it (the reader looks there), and one cut short
// cannot be told from a stream, so it warns of nothing.
bool IsPlaceholder(uint32_t size, uint64_t audioBytes, bool aiff, uint32_t frameBytes)
{
  if (size == kNoSize || size == 0x7FFFFFFF || size == 0x80000000)
    return true;
  const uint32_t sox = aiff ? kAiffPlaceholderBytes : kWavPlaceholderBytes;
  return frameBytes > 0 && audioBytes == sox / frameBytes * frameBytes;
}

bool IsChunkName(const unsigned char* p)
{
  return std::all_of(p, p + 4, [](unsigned char c) { return c >= 0x20 && c < 0x7F; });
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
  for (int tags = 0; tags < kMostId3Tags && bytes(start, head, sizeof head) && (tag = Id3TagLength(head)) > 0; ++tags)
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
      out.given = size;
      out.bytes = rf64 && size == kNoSize ? (haveRf64Bytes ? Clamped(rf64Bytes) : kNoDeclaredSize)
                  : riff && IsPlaceholder(size, size, false, frameBytes) ? kNoDeclaredSize
                                                                          : size;
      out.givenEnd = body + size + (size & 1);
      out.sizeAt = riff ? at + 4 : -1;
      out.outerSizeAt = riff ? start + 4 : -1;
      out.aiff = false;
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
      out.given = size > skipped ? static_cast<long long>(size - skipped) : 0;
      out.bytes = IsPlaceholder(size, static_cast<uint64_t>(out.given), true, frameBytes) ? kNoDeclaredSize : out.given;
      out.givenEnd = body + size + (size & 1);
      out.sizeAt = at + 4;
      out.outerSizeAt = -1;
      out.aiff = true;
      out.tags = start;
      return true;
    }
    // Chunks are padded to an even length.
    at = body + size + (size & 1);
  }
  return false;
}

bool ChunksEndAt(const HeaderBytes& bytes, long long at, long long end, bool bigEndian)
{
  // A writer may leave out the pad byte after a chunk of odd length, after
  // every such chunk or only the last: where an odd chunk ends, the walk
  // goes on from its pad byte and, failing that, from right after its last
  // byte. Each place is walked from once; twice as many places as chunks
  // are walked, so that as many chunks are followed either way.
  std::vector<long long> toWalk{at};
  std::set<long long> walked;
  while (!toWalk.empty() && walked.size() < static_cast<size_t>(2 * kMostChunks))
  {
    const long long next = toWalk.back();
    toWalk.pop_back();
    if (next == end)
      return true;
    unsigned char chunk[8];
    if (!walked.insert(next).second || !bytes(next, chunk, sizeof chunk) || !IsChunkName(chunk))
      continue;
    const uint32_t size = bigEndian ? BigEndian32(chunk + 4) : LittleEndian32(chunk + 4);
    const long long unpadded = next + 8 + size;
    if (size & 1)
      toWalk.push_back(unpadded);
    toWalk.push_back(unpadded + (size & 1));
  }
  return false;
}

bool OnlyChunksFollow(const HeaderBytes& bytes, const DeclaredAudio& audio, long long end)
{
  const long long unpadded = audio.offset + audio.given;
  return ChunksEndAt(bytes, audio.givenEnd, end, audio.aiff) ||
         (unpadded != audio.givenEnd && ChunksEndAt(bytes, unpadded, end, audio.aiff));
}

void SizesToTheEnd(const DeclaredAudio& audio, long long at, unsigned char* bytes, long long count)
{
  // libsndfile reads a WAV whose data size is 0 in a RIFF of 8 bytes (one
  // never finished) to the file's end, and an AIFF whose SSND chunk is of
  // size 0 likewise: with no size of 32 bits between it and the end.
  const auto put = [&](long long field, uint32_t value) {
    for (long long b = 0; b < 4; ++b)
      if (field + b >= at && field + b < at + count)
        bytes[field + b - at] = static_cast<unsigned char>(value >> (8 * b));
  };
  if (audio.sizeAt >= 0)
    put(audio.sizeAt, 0);
  if (audio.outerSizeAt >= 0)
    put(audio.outerSizeAt, 8);
}

HeaderBytes FileBytes(int descriptor)
{
  return [descriptor](long long at, unsigned char* into, size_t count) {
    return pread(descriptor, into, count, static_cast<off_t>(at)) == static_cast<ssize_t>(count);
  };
}

long long Id3TagsLength(int descriptor)
{
  return Id3TagsLength(FileBytes(descriptor));
}

bool FindAudioChunk(int descriptor, DeclaredAudio& out)
{
  return FindAudioChunk(FileBytes(descriptor), out);
}

bool OnlyChunksFollow(int descriptor, const DeclaredAudio& audio, long long end)
{
  return OnlyChunksFollow(FileBytes(descriptor), audio, end);
}

} // namespace auhost
