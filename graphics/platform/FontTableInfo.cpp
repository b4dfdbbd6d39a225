#include "FontTableInfo.h"

#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

namespace plugkit::gfx {

namespace {

// Big-endian reads that answer 0 (and clear `ok`) outside the bytes.
struct Reader
{
  const uint8_t* bytes;
  uint64_t size;
  bool ok = true;

  bool Fits(uint64_t offset, uint64_t length) const { return offset <= size && length <= size - offset; }
  uint32_t U(uint64_t offset, int width)
  {
    if (!Fits(offset, static_cast<uint64_t>(width)))
    {
      ok = false;
      return 0;
    }
    uint32_t value = 0;
    for (int i = 0; i < width; ++i)
      value = (value << 8) | bytes[offset + static_cast<uint64_t>(i)];
    return value;
  }
  uint32_t U32(uint64_t offset) { return U(offset, 4); }
  uint16_t U16(uint64_t offset) { return static_cast<uint16_t>(U(offset, 2)); }
};

constexpr uint32_t Tag(const char (&t)[5])
{
  return (uint32_t(uint8_t(t[0])) << 24) | (uint32_t(uint8_t(t[1])) << 16) | (uint32_t(uint8_t(t[2])) << 8) |
         uint8_t(t[3]);
}

void AppendUtf8(std::string& out, uint32_t c)
{
  if (c < 0x80)
    out += char(c);
  else if (c < 0x800)
  {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  }
  else if (c < 0x10000)
  {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
  else
  {
    out += char(0xF0 | (c >> 18));
    out += char(0x80 | ((c >> 12) & 0x3F));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

} // namespace

void IFontTableInfo::Parse(const uint8_t* bytes, int size, int faceIndex)
{
  if (!bytes || size <= 0 || faceIndex < 0)
    return;
  Reader r{bytes, static_cast<uint64_t>(size)};
  const uint32_t signature = r.U32(0);
  uint32_t faceStart = 0;
  if (signature == 0x31000000 || signature == 0x00010000 || signature == Tag("OTTO") || signature == Tag("typ1"))
  {
    if (faceIndex != 0)
      return;
  }
  else if (signature == Tag("ttcf"))
  {
    const uint32_t version = r.U32(4);
    const uint32_t count = r.U32(8);
    if ((version != 0x00010000 && version != 0x00020000) || count <= static_cast<uint32_t>(faceIndex))
      return;
    faceStart = r.U32(12 + 4 * static_cast<uint64_t>(faceIndex));
  }
  else
    return;
  const uint16_t tables = r.U16(uint64_t(faceStart) + 4);
  if (!r.ok)
    return;

  // Table offsets count from the start of the file, also in a collection.
  for (uint32_t i = 0; i < tables; ++i)
  {
    const uint64_t record = uint64_t(faceStart) + 12 + 16 * uint64_t(i);
    const uint32_t tag = r.U32(record);
    const uint32_t offset = r.U32(record + 8);
    if (!r.ok)
      return;
    uint32_t* slot = tag == Tag("head") ? &head : tag == Tag("name") ? &name : tag == Tag("hhea") ? &hhea
                     : tag == Tag("fdsc")                                  ? &fdsc
                                                                           : nullptr;
    if (slot && !*slot)
      *slot = offset;
  }
  data = bytes + faceStart;
  mFileStart = bytes;
  mFileSize = static_cast<uint32_t>(size);
  if (!head || !name || !hhea)
    return;

  macStyle = r.U16(uint64_t(head) + 44);
  unitsPerEm = r.U16(uint64_t(head) + 18);
  ascender = static_cast<int16_t>(r.U16(uint64_t(hhea) + 4));
  descender = static_cast<int16_t>(r.U16(uint64_t(hhea) + 6));
  lineGap = static_cast<int16_t>(r.U16(uint64_t(hhea) + 8));
  if (!r.ok)
  {
    // Tables that point outside the bytes make the whole view invalid.
    data = nullptr;
    macStyle = unitsPerEm = 0;
    ascender = descender = lineGap = 0;
    return;
  }
  ReadNameString(1, family);
  ReadNameString(2, style);
}

void IFontTableInfo::ReadNameString(int nameID, PK_String& out) const
{
  Reader r{mFileStart, mFileSize};
  const uint64_t table = name;
  const uint16_t count = r.U16(table + 2);
  const uint64_t storage = table + r.U16(table + 4);
  if (!r.ok)
    return;

  auto findRecord = [&](uint16_t platform, uint16_t encoding, uint16_t language, uint64_t& offset, uint32_t& length) {
    for (uint32_t i = 0; i < count; ++i)
    {
      const uint64_t rec = table + 6 + 12 * uint64_t(i);
      if (!r.Fits(rec, 12))
        return false;
      if (r.U16(rec) == platform && r.U16(rec + 2) == encoding && r.U16(rec + 4) == language &&
          r.U16(rec + 6) == nameID)
      {
        offset = storage + r.U16(rec + 10);
        length = r.U16(rec + 8);
        // A string that runs past the bytes is clipped to them.
        if (offset > r.size)
          length = 0;
        else if (length > r.size - offset)
          length = static_cast<uint32_t>(r.size - offset);
        return true;
      }
    }
    return false;
  };

  std::string text;
  uint64_t offset = 0;
  uint32_t length = 0;
  if (findRecord(3, 1, 1033, offset, length))
  {
    for (uint32_t i = 0; i + 1 < length; i += 2)
    {
      uint32_t c = r.U16(offset + i);
      if (c >= 0xD800 && c < 0xDC00 && i + 3 < length)
      {
        const uint32_t low = r.U16(offset + i + 2);
        if (low >= 0xDC00 && low < 0xE000)
        {
          c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
          i += 2;
        }
      }
      AppendUtf8(text, c);
    }
  }
  if (text.empty() && findRecord(1, 0, 0, offset, length))
  {
    const char* start = reinterpret_cast<const char*>(mFileStart + offset);
    text.assign(start, strnlen(start, length));
  }
  out.Set(text.c_str());
}

double IFontTableInfo::EmRatio() const
{
  const int height = int(ascender) - int(descender);
  return height > 0 ? double(unitsPerEm) / double(height) : 1.0;
}

IFontFileData::IFontFileData(const uint8_t* bytes, int size, int faceIndex)
  : mFaceIdx(faceIndex)
{
  if (bytes && size > 0 && mBytes.Resize(size))
  {
    memcpy(mBytes.Get(), bytes, static_cast<size_t>(size));
    Parse(mBytes.Get(), size, faceIndex);
  }
}

namespace {

// Where the faces of the bytes start: one face at 0 for a single font, the
// offsets of a collection's table in order. Empty for anything else.
std::vector<uint32_t> FaceStarts(const uint8_t* bytes, int size)
{
  std::vector<uint32_t> starts;
  if (!bytes || size <= 0)
    return starts;
  Reader r{bytes, static_cast<uint64_t>(size)};
  if (r.U32(0) != Tag("ttcf"))
  {
    starts.push_back(0);
    return starts;
  }
  const uint32_t count = r.U32(8);
  // A count the bytes cannot hold offsets for is cut where the bytes end.
  for (uint32_t i = 0; i < count; ++i)
  {
    const uint32_t start = r.U32(12 + 4 * uint64_t(i));
    if (!r.ok)
      break;
    starts.push_back(start);
  }
  return starts;
}

} // namespace

int FindFaceIndexByStyle(const uint8_t* bytes, int size, const char* style)
{
  const char* wanted = style ? style : "";
  // Each face's table directory is read once: a face listed again gives
  // the answer it gave before, and the directories of real faces lie apart,
  // so together they cannot take more than the bytes. Crafted bytes that
  // list one face over and over, or faces whose directories overlap, would
  // otherwise make the search read the same records for every entry.
  const std::vector<uint32_t> starts = FaceStarts(bytes, size);
  std::unordered_set<uint32_t> seen;
  uint64_t directoryBytes = 0;
  for (size_t index = 0; index < starts.size(); ++index)
  {
    if (!seen.insert(starts[index]).second)
      continue;
    Reader r{bytes, static_cast<uint64_t>(size)};
    directoryBytes += 12 + 16 * uint64_t(r.U16(uint64_t(starts[index]) + 4));
    if (directoryBytes > static_cast<uint64_t>(size))
      return -1;
    const IFontTableInfo info(bytes, size, static_cast<int>(index));
    if (!info.IsValid())
      return -1;
    if (info.style.GetLength() > 0 && (!*wanted || strcmp(wanted, info.style.Get()) == 0))
      return static_cast<int>(index);
  }
  return -1;
}

} // namespace plugkit::gfx
