#include "tools/FlacFrameEnd.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace auhost {

namespace {

// Headers tried from the end back: the last frame's is the nearest, unless
// its audio happens to hold a false one.
constexpr int kMostHeadersTried = 8;

// FLAC's CRCs, most significant bit first, from 0, not inverted: an
// 8-bit one (x^8 + x^2 + x + 1) at the end of a frame header and a 16-bit
// one (x^16 + x^15 + x^2 + 1) at the end of a frame, so that the 16-bit
// CRC of a whole frame, its own CRC included, is 0.
template <typename Word, Word kPolynomial>
constexpr std::array<Word, 256> CrcTable()
{
  constexpr int kShift = 8 * sizeof(Word) - 8;
  std::array<Word, 256> table{};
  for (unsigned byte = 0; byte < 256; ++byte)
  {
    Word crc = static_cast<Word>(byte << kShift);
    for (int bit = 0; bit < 8; ++bit)
      crc = static_cast<Word>(crc & (Word(1) << (kShift + 7)) ? crc << 1 ^ kPolynomial : crc << 1);
    table[byte] = crc;
  }
  return table;
}

constexpr auto kCrc8 = CrcTable<uint8_t, 0x07>();
constexpr auto kCrc16 = CrcTable<uint16_t, 0x8005>();

uint8_t Crc8(const unsigned char* bytes, size_t size)
{
  uint8_t crc = 0;
  for (size_t i = 0; i < size; ++i)
    crc = kCrc8[crc ^ bytes[i]];
  return crc;
}

uint16_t Crc16(const unsigned char* bytes, size_t size)
{
  uint16_t crc = 0;
  for (size_t i = 0; i < size; ++i)
    crc = static_cast<uint16_t>(crc << 8 ^ kCrc16[(crc >> 8) ^ bytes[i]]);
  return crc;
}

// The length of the frame header that the `size` bytes at `at` start with,
// its CRC-8 included; 0 when they start none.
size_t FrameHeaderLength(const unsigned char* at, size_t size)
{
  if (size < 6 || at[0] != 0xFF || (at[1] & 0xFE) != 0xF8)
    return 0;
  const int blockSize = at[2] >> 4, rate = at[2] & 0x0F, channels = at[3] >> 4, bits = (at[3] >> 1) & 0x07;
  if (blockSize == 0 || rate == 15 || channels > 10 || bits == 3 || (at[3] & 1) != 0)
    return 0;
  // The frame's or first sample's number, coded as UTF-8 is, in 1 to 7
  // bytes.
  size_t length = 4, more = 0;
  if (at[4] < 0x80)
    more = 0;
  else if (at[4] >= 0xC0 && at[4] != 0xFF)
    for (unsigned lead = at[4] << 1 & 0xFF; lead & 0x80; lead = lead << 1 & 0xFF)
      ++more;
  else
    return 0;
  length += 1 + more;
  for (size_t i = 5; i < length; ++i)
    if (i >= size || (at[i] & 0xC0) != 0x80)
      return 0;
  // A block size or rate not among the coded ones follows in 1 or 2 bytes.
  length += blockSize == 6 ? 1 : blockSize == 7 ? 2 : 0;
  length += rate == 12 ? 1 : rate == 13 || rate == 14 ? 2 : 0;
  if (length + 1 > size || Crc8(at, length) != at[length])
    return 0;
  return length + 1;
}

} // namespace

bool EndsOnAWholeFlacFrame(const unsigned char* bytes, size_t size)
{
  int tried = 0;
  for (size_t at = size; at-- > 0 && tried < kMostHeadersTried;)
  {
    const size_t header = FrameHeaderLength(bytes + at, size - at);
    if (header == 0)
      continue;
    ++tried;
    // A subframe's byte at least, and the CRC-16, after the header.
    if (size - at >= header + 3 && Crc16(bytes + at, size - at) == 0)
      return true;
  }
  return false;
}

bool EndsInAnId3v1Tag(const HeaderBytes& bytes, long long start, long long length, size_t lookBack)
{
  unsigned char tag[3];
  if (length < kId3v1Bytes || !bytes(start + length - kId3v1Bytes, tag, sizeof tag) || !IsId3v1Tag(tag))
    return false;
  const long long end = start + length - kId3v1Bytes;
  std::vector<unsigned char> last(static_cast<size_t>(std::min(length - kId3v1Bytes, static_cast<long long>(lookBack))));
  return bytes(end - static_cast<long long>(last.size()), last.data(), last.size()) &&
         EndsOnAWholeFlacFrame(last.data(), last.size());
}

} // namespace auhost
