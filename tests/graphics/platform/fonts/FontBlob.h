#pragma once

// Small font files built in memory: a table directory with 'head', 'hhea'
// and 'name' tables (nothing a renderer could draw), single or as a
// collection, enough for the table reader and the face search.

#include <cstdint>
#include <string>
#include <vector>

namespace fontblob {

struct Face
{
  std::string family = "Test Sans";
  std::string style = "Regular";
  bool windowsNames = true; // else Macintosh records only
  uint16_t unitsPerEm = 2048;
  int16_t ascender = 1900;
  int16_t descender = -500;
};

inline void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
  b[at] = uint8_t(v >> 8);
  b[at + 1] = uint8_t(v);
}
inline void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
  Put16(b, at, v >> 16);
  Put16(b, at + 2, v & 0xFFFF);
}

// Appends one face's directory and tables to `out`, its offsets counted
// from the start of `out`.
inline void AppendFace(std::vector<uint8_t>& out, const Face& face, uint32_t signature)
{
  const size_t start = out.size();
  const size_t dir = 12 + 3 * 16;
  std::vector<uint8_t> name(6 + 2 * 12);
  std::string storage;
  // Windows names are UTF-16BE, decoded here from the UTF-8 given;
  // Macintosh names keep the bytes as they are.
  auto encode = [&](const std::string& text) {
    if (!face.windowsNames)
      return text;
    std::string s;
    auto unit = [&](uint32_t u) {
      s += char(u >> 8);
      s += char(u & 0xFF);
    };
    for (size_t i = 0; i < text.size();)
    {
      const auto b = uint8_t(text[i]);
      const int n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
      uint32_t c = n == 1 ? b : b & (0x7F >> n);
      for (int k = 1; k < n; ++k)
        c = (c << 6) | (uint8_t(text[i + size_t(k)]) & 0x3F);
      i += size_t(n);
      if (c >= 0x10000)
      {
        unit(0xD800 + ((c - 0x10000) >> 10));
        unit(0xDC00 + ((c - 0x10000) & 0x3FF));
      }
      else
        unit(c);
    }
    return s;
  };
  for (int id = 1; id <= 2; ++id)
  {
    const std::string s = encode(id == 1 ? face.family : face.style);
    const size_t rec = 6 + size_t(id - 1) * 12;
    Put16(name, rec, face.windowsNames ? 3 : 1);
    Put16(name, rec + 2, face.windowsNames ? 1 : 0);
    Put16(name, rec + 4, face.windowsNames ? 1033 : 0);
    Put16(name, rec + 6, uint32_t(id));
    Put16(name, rec + 8, uint32_t(s.size()));
    Put16(name, rec + 10, uint32_t(storage.size()));
    storage += s;
  }
  Put16(name, 2, 2);
  Put16(name, 4, uint32_t(name.size()));
  name.insert(name.end(), storage.begin(), storage.end());

  out.resize(start + dir);
  Put32(out, start, signature);
  Put16(out, start + 4, 3);
  const char* tags[3] = {"head", "hhea", "name"};
  const size_t sizes[3] = {54, 36, name.size()};
  size_t at = start + dir;
  for (int i = 0; i < 3; ++i)
  {
    const size_t rec = start + 12 + size_t(i) * 16;
    for (int k = 0; k < 4; ++k)
      out[rec + size_t(k)] = uint8_t(tags[i][k]);
    Put32(out, rec + 8, uint32_t(at));
    Put32(out, rec + 12, uint32_t(sizes[i]));
    at += sizes[i];
  }
  const size_t head = start + dir, hhea = head + 54;
  out.resize(at);
  Put16(out, head + 18, face.unitsPerEm);
  Put16(out, hhea + 4, uint16_t(face.ascender));
  Put16(out, hhea + 6, uint16_t(face.descender));
  std::copy(name.begin(), name.end(), out.begin() + long(hhea + 36));
}

inline std::vector<uint8_t> Single(const Face& face = {}, uint32_t signature = 0x00010000)
{
  std::vector<uint8_t> out;
  AppendFace(out, face, signature);
  return out;
}

inline std::vector<uint8_t> Collection(const std::vector<Face>& faces, uint32_t version = 0x00020000)
{
  std::vector<uint8_t> out(12 + 4 * faces.size());
  Put32(out, 0, 0x74746366);
  Put32(out, 4, version);
  Put32(out, 8, uint32_t(faces.size()));
  for (size_t i = 0; i < faces.size(); ++i)
  {
    Put32(out, 12 + 4 * i, uint32_t(out.size()));
    AppendFace(out, faces[i], 0x00010000);
  }
  return out;
}

} // namespace fontblob
