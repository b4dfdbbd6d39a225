// The FLAC frame check on crafted frames, each placed to end where reading
// one byte further faults: it finds a whole frame at the end, refuses
// headers no encoder writes and frames too short to be one, and reads
// nothing past what it is given, at any cut. The CRCs are worked out here
// bit by bit, apart from the check's own.
#include <string>

#include <gtest/gtest.h>

#include "tests/support/GuardPage.h"
#include "tools/FlacFrameEnd.h"

namespace {

// A CRC of `width` bits, most significant bit first, from 0, not inverted:
// FLAC's over a frame header (8 bits, x^8 + x^2 + x + 1) and a frame (16
// bits, x^16 + x^15 + x^2 + 1).
unsigned Crc(const std::string& bytes, int width, unsigned polynomial)
{
  const unsigned top = 1u << (width - 1), mask = (top << 1) - 1;
  unsigned crc = 0;
  for (const char c : bytes)
    for (int bit = 7; bit >= 0; --bit)
    {
      const bool feedback = ((static_cast<unsigned char>(c) >> bit & 1) != 0) != ((crc & top) != 0);
      crc = crc << 1 & mask;
      if (feedback)
        crc ^= polynomial;
    }
  return crc;
}

// A frame header's fields: its sync code (its last bit set in a stream of
// varying block sizes), its block size's and rate's codes, channels,
// sample size's code, the bit after it (reserved), the frame's number as
// coded, the block size or rate that the codes 6, 7 and 12 to 14 put
// after it, and what its CRC-8 is off by (none).
struct Header
{
  std::string sync = "\xFF\xF8";
  int block = 12; // 4096 samples
  int rate = 10;  // 48 kHz
  int channels = 1;
  int bits = 4; // 16-bit
  int reserved = 0;
  std::string number = "\x05";
  std::string after = "";
  int crc8Off = 0;
};

// The header with its CRC-8.
std::string HeaderBytes(const Header& h)
{
  std::string bytes = h.sync;
  bytes += static_cast<char>(h.block << 4 | h.rate);
  bytes += static_cast<char>(h.channels << 4 | h.bits << 1 | h.reserved);
  bytes += h.number + h.after;
  return bytes + static_cast<char>(Crc(bytes, 8, 0x07) + static_cast<unsigned>(h.crc8Off));
}

// `body` after the header, and the frame's CRC-16.
std::string Frame(const Header& h, const std::string& body)
{
  const std::string frame = HeaderBytes(h) + body;
  const unsigned crc = Crc(frame, 16, 0x8005);
  return frame + static_cast<char>(crc >> 8) + static_cast<char>(crc);
}

// Subframes as an encoder might leave them: bytes of no frame header.
const std::string kBody("\x02\x12\x34\x56\x78\x9A\xBC\xDE\x0F", 9);

const std::string kTag = "TAG" + std::string(125, ' ');

// `bytes` with the byte at `at` changed.
std::string Flipped(std::string bytes, size_t at)
{
  bytes[at] = static_cast<char>(bytes[at] ^ 0x01);
  return bytes;
}

TEST(FlacFrameEnd, FindsAWholeFrameAtTheEndAndNothingElseReadingOnlyItsBytes)
{
  std::string falseHeaders;
  for (int f = 0; f < 7; ++f)
    falseHeaders += HeaderBytes({}) + kBody;
  struct Case
  {
    const char* name;
    std::string bytes;
    bool whole;
  };
  const Case cases[] = {
    {"a whole frame", Frame({}, kBody), true},
    {"a whole frame of a stream of varying block sizes", Frame({.sync = "\xFF\xF9"}, kBody), true},
    {"a whole frame after another", Frame({.number = "\x04"}, kBody) + Frame({}, kBody), true},
    {"a frame of one byte after its header", Frame({}, std::string(1, '\0')), true},
    {"a frame numbered past 127, in two bytes", Frame({.number = "\xC4\x80"}, kBody), true},
    {"a frame's first sample numbered in seven bytes", Frame({.number = "\xFE\x80\x80\x80\x80\x80\x81"}, kBody), true},
    {"a frame number whose first byte is 0xC0", Frame({.number = "\xC0\x80"}, kBody), true},
    {"mid/side stereo, the highest channel code", Frame({.channels = 10}, kBody), true},
    {"a block size in 8 bits", Frame({.block = 6, .after = "\xFF"}, kBody), true},
    {"a block size in 16 bits", Frame({.block = 7, .after = "\x03\xE7"}, kBody), true},
    {"a rate in kHz", Frame({.rate = 12, .after = "\x60"}, kBody), true},
    {"a rate in Hz", Frame({.rate = 13, .after = "\x2B\x11"}, kBody), true},
    {"a rate in tens of Hz and a block size in 16 bits",
     Frame({.block = 7, .rate = 14, .after = "\x03\xE7\x11\x3A"}, kBody), true},
    {"a frame whose subframes hold 7 false headers", Frame({}, falseHeaders), true},
    {"a frame whose subframes hold 8 false headers, more than are tried", Frame({}, falseHeaders + HeaderBytes({})),
     false},
    {"a frame of two bytes after its header, its CRC-16 coming to 0, after other bytes", "\x01\x02" + Frame({}, ""),
     false},
    {"a sync code not FLAC's", Frame({.sync = "\xFF\xFA"}, kBody), false},
    {"a header whose CRC-8 is wrong in a frame whose CRC-16 is right", Frame({.crc8Off = 1}, kBody), false},
    {"a header with a reserved channel code", Frame({.channels = 11}, kBody), false},
    {"a header with the reserved rate code", Frame({.rate = 15}, kBody), false},
    {"a header with the reserved sample-size code", Frame({.bits = 3}, kBody), false},
    {"a header with the reserved block-size code", Frame({.block = 0}, kBody), false},
    {"a header with the reserved bit set", Frame({.reserved = 1}, kBody), false},
    {"a frame number whose first byte is 0x80", Frame({.number = "\x80"}, kBody), false},
    {"a frame number whose first byte is 0xBF", Frame({.number = "\xBF"}, kBody), false},
    {"a frame number whose first byte is 0xFF", Frame({.number = "\xFF\x80\x80\x80\x80\x80\x80\x80"}, kBody), false},
    {"a frame number whose continuation byte is not 10xxxxxx", Frame({.number = "\xC4\x40"}, kBody), false},
    {"a frame number whose last continuation byte is not 10xxxxxx", Frame({.number = "\xE1\x80\xC0"}, kBody), false},
    {"a header cut inside its number", HeaderBytes({.number = "\xE1\x80\x80"}).substr(0, 6), false},
    {"a header cut before its CRC-8", HeaderBytes({.block = 7, .after = "\x03\xE7"}).substr(0, 7), false},
    {"a frame whose subframes are changed", Flipped(Frame({}, kBody), 8), false},
    {"a header whose CRC-8 is wrong", Flipped(Frame({}, kBody), 5), false},
    {"bytes of no frame", std::string(64, '\xFF'), false},
    {"no bytes", "", false},
  };
  testsupport::GuardPage guard;
  const auto placed = [&guard](const std::string& bytes) {
    const std::string_view at = guard.Place(bytes);
    return auhost::EndsOnAWholeFlacFrame(reinterpret_cast<const unsigned char*>(at.data()), at.size());
  };
  // A stream's bytes as the pipe and file inputs give them, the stream a
  // little way in: a read outside it is refused, and noted.
  const std::string before = "fLaC...";
  const long long start = static_cast<long long>(before.size());
  bool strayed = false;
  const auto stream = [&](const std::string& bytes) {
    return [&strayed, start, all = before + bytes](long long at, unsigned char* into, size_t count) {
      if (at < start || at + static_cast<long long>(count) > static_cast<long long>(all.size()))
      {
        strayed = true;
        return false;
      }
      all.copy(reinterpret_cast<char*>(into), count, static_cast<size_t>(at));
      return true;
    };
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(placed(c.bytes), c.whole);
    // The last 128 bytes after it are a tag as far as it ends on a whole
    // frame, looked for back as far as a pipe keeps, far more than it.
    const long long length = static_cast<long long>(c.bytes.size() + kTag.size());
    EXPECT_EQ(auhost::EndsInAnId3v1Tag(stream(c.bytes + kTag), start, length, 1 << 20), c.whole);
    EXPECT_FALSE(strayed);
    // Cut anywhere, it is read up to the cut and no further.
    for (size_t cut = 0; cut < c.bytes.size(); ++cut)
      placed(c.bytes.substr(0, cut));
  }
  // A frame is looked for no further back than asked; bytes after it that
  // do not begin as a tag, or too few for one, are none.
  const std::string frame = Frame({}, kBody);
  const long long length = static_cast<long long>(frame.size() + kTag.size());
  EXPECT_TRUE(auhost::EndsInAnId3v1Tag(stream(frame + kTag), start, length, frame.size()));
  EXPECT_FALSE(auhost::EndsInAnId3v1Tag(stream(frame + kTag), start, length, frame.size() - 1));
  EXPECT_FALSE(auhost::EndsInAnId3v1Tag(stream(frame + std::string(128, ' ')), start, length, 1 << 20));
  EXPECT_FALSE(auhost::EndsInAnId3v1Tag(stream(kTag.substr(0, 127)), start, 127, 0));
  EXPECT_FALSE(strayed);
}

} // namespace
