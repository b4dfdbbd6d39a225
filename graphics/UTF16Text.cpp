#include "graphics/UTF16Text.h"

#include <cstring>

namespace plugkit::gfx {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsSurrogate(char32_t c)
{
  return c >= 0xD800 && c <= 0xDFFF;
}

bool IsHighSurrogate(char32_t c)
{
  return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(char32_t c)
{
  return c >= 0xDC00 && c <= 0xDFFF;
}

// The character at unit i (below length): its code point, U+FFFD for an
// unpaired surrogate, and the units it takes.
char32_t DecodeUTF16(const char16_t* str, size_t length, size_t i, size_t& units)
{
  const char32_t c = str[i];
  if (i + 1 < length && IsHighSurrogate(c) && IsLowSurrogate(str[i + 1]))
  {
    units = 2;
    return 0x10000 + ((c - 0xD800) << 10) + (str[i + 1] - 0xDC00);
  }
  units = 1;
  return IsSurrogate(c) ? kReplacement : c;
}

} // namespace

void AppendUTF8(std::string& out, char32_t c)
{
  if (c < 0x80)
    out += static_cast<char>(c);
  else if (c < 0x800)
  {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  else if (c < 0x10000)
  {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  else
  {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendUTF16(std::u16string& out, char32_t c)
{
  if (c >= 0x10000)
  {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  }
  else
  {
    out += static_cast<char16_t>(c);
  }
}

size_t UTF16CharUnits(const std::u16string& str, size_t i)
{
  size_t units = 0;
  if (i < str.size())
    DecodeUTF16(str.data(), str.size(), i, units);
  return units;
}

char32_t UTF16CharAt(const std::u16string& str, size_t i)
{
  size_t units = 0;
  return i < str.size() ? DecodeUTF16(str.data(), str.size(), i, units) : 0;
}

size_t DecodeUTF8(const char* str, size_t length, char32_t& cp)
{
  cp = 0;
  if (!str || length == 0)
    return 0;
  const auto lead = static_cast<unsigned char>(str[0]);
  size_t n;
  char32_t c;
  char32_t least;
  if (lead < 0x80)
    return cp = lead, 1;
  else if ((lead & 0xE0) == 0xC0)
    n = 2, c = lead & 0x1F, least = 0x80;
  else if ((lead & 0xF0) == 0xE0)
    n = 3, c = lead & 0x0F, least = 0x800;
  else if ((lead & 0xF8) == 0xF0)
    n = 4, c = lead & 0x07, least = 0x10000;
  else
    return 0;
  if (n > length)
    return 0;
  for (size_t i = 1; i < n; ++i)
  {
    const auto b = static_cast<unsigned char>(str[i]);
    if ((b & 0xC0) != 0x80)
      return 0;
    c = (c << 6) | (b & 0x3F);
  }
  // Overlong forms, surrogates and values past Unicode are not text.
  if (c < least || c > 0x10FFFF || IsSurrogate(c))
    return 0;
  cp = c;
  return n;
}

std::u16string UTF8ToUTF16(const char* str)
{
  std::u16string out;
  if (!str)
    return out;
  const size_t length = std::strlen(str);
  for (size_t i = 0; i < length;)
  {
    char32_t c;
    const size_t used = DecodeUTF8(str + i, length - i, c);
    if (used == 0)
    {
      out += static_cast<char16_t>(kReplacement);
      ++i;
      continue;
    }
    i += used;
    AppendUTF16(out, c);
  }
  return out;
}

std::string UTF16ToUTF8(const char16_t* str, size_t length)
{
  std::string out;
  if (!str)
    return out;
  out.reserve(length);
  for (size_t i = 0, units = 0; i < length; i += units)
    AppendUTF8(out, DecodeUTF16(str, length, i, units));
  return out;
}

} // namespace plugkit::gfx
