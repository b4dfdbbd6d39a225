#include "plugin/StateContainer.h"

namespace tolvane3 {

namespace {

// A four-character tag as the little-endian word that its bytes form.
constexpr uint32_t Tag(const char (&t)[5])
{
  return static_cast<uint32_t>(static_cast<uint8_t>(t[0])) | static_cast<uint32_t>(static_cast<uint8_t>(t[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(t[2])) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(t[3])) << 24;
}

constexpr uint32_t kRIFF = Tag("RIFF");
constexpr uint32_t kKPCM = Tag("KPCM");
constexpr uint32_t kKPCS = Tag("KPCS");
constexpr uint32_t kVersion = 1;

bool WordAt(const plugkit::IByteChunk& chunk, int64_t pos, uint32_t& out)
{
  if (pos < 0 || pos + 4 > chunk.Size())
    return false;
  return chunk.GetUInt32(out, static_cast<int>(pos)) > 0;
}

void OverwriteWord(plugkit::IByteChunk& chunk, int pos, uint32_t value)
{
  for (int i = 0; i < 4; ++i)
    chunk.GetData()[pos + i] = static_cast<uint8_t>(value >> (8 * i));
}

} // namespace

bool SerializeStateContainer(plugkit::IByteChunk& chunk, const TextFieldWriter& writeText)
{
  chunk.PutUInt32(kRIFF);
  const int outerSizePos = chunk.Size();
  chunk.PutUInt32(0);
  const int outerVersionPos = chunk.Size();
  chunk.PutUInt32(kVersion);
  chunk.PutUInt32(kKPCM);
  chunk.PutUInt32(kKPCS);
  const int innerSizePos = chunk.Size();
  chunk.PutUInt32(0);
  const int innerVersionPos = chunk.Size();
  chunk.PutUInt32(kVersion);

  const bool wrote = writeText(chunk);

  const uint32_t innerSize = static_cast<uint32_t>(chunk.Size() - innerVersionPos);
  OverwriteWord(chunk, innerSizePos, innerSize);
  if (innerSize & 1)
    chunk.PutBytes("", 1);
  const uint32_t outerSize = static_cast<uint32_t>(chunk.Size() - outerVersionPos);
  OverwriteWord(chunk, outerSizePos, outerSize);
  if (outerSize & 1)
    chunk.PutBytes("", 1);
  return wrote;
}

int UnserializeStateContainer(const plugkit::IByteChunk& chunk, int startPos, const TextFieldReader& readText)
{
  const int64_t s = startPos;
  uint32_t word = 0;
  if (!WordAt(chunk, s, word) || word != kRIFF)
    return startPos;

  uint32_t outerSize = 0, outerVersion = 0, tag1 = 0, tag2 = 0, innerSize = 0, innerVersion = 0, textLength = 0;
  if (!WordAt(chunk, s + 4, outerSize) || !WordAt(chunk, s + 8, outerVersion) || outerVersion != kVersion)
    return -1;
  if (!WordAt(chunk, s + 12, tag1) || tag1 != kKPCM || !WordAt(chunk, s + 16, tag2) || tag2 != kKPCS)
    return -1;
  if (!WordAt(chunk, s + 20, innerSize) || !WordAt(chunk, s + 24, innerVersion) || innerSize == 0 ||
      innerVersion != kVersion)
    return -1;

  // The container, its pad byte included, must lie inside the chunk, and
  // the text field inside the container.
  const int64_t end = s + 8 + int64_t{outerSize} + (outerSize & 1);
  if (end > chunk.Size() || !WordAt(chunk, s + 28, textLength))
    return -1;
  if (s + kContainerHeaderSize + 4 + int64_t{textLength} > s + 8 + int64_t{outerSize})
    return -1;

  if (!readText(chunk, static_cast<int>(s + kContainerHeaderSize)))
    return -1;
  return static_cast<int>(end);
}

} // namespace tolvane3
