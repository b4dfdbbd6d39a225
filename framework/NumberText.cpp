#include "framework/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <locale.h>

#include "graphics/PK_String.h"

namespace plugkit {

namespace {

// Long enough for any double in fixed notation (309 integer digits) with the
// largest precision we pass on.
constexpr int kMaxPrecision = 64;
constexpr int kFixedBufSize = 400;

locale_t CLocale()
{
  static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return loc;
}

bool IsContinuation(unsigned char byte)
{
  return (byte & 0xC0) == 0x80;
}

// The bytes of the UTF-8 character this byte leads; 1 for anything that
// leads no longer character.
size_t SequenceLength(unsigned char lead)
{
  if (lead >= 0xC0 && lead < 0xE0)
    return 2;
  if (lead >= 0xE0 && lead < 0xF0)
    return 3;
  if (lead >= 0xF0 && lead < 0xF8)
    return 4;
  return 1;
}

} // namespace

void AppendFixed(PK_String& out, double value, int precision, bool forceSign)
{
  if (precision < 0)
    precision = 6;
  if (precision > kMaxPrecision)
    precision = kMaxPrecision;
  char buf[kFixedBufSize];
  char* p = buf;
  if (forceSign && !std::signbit(value))
    *p++ = '+';
  const auto result = std::to_chars(p, buf + sizeof(buf) - 1, value, std::chars_format::fixed, precision);
  if (result.ec != std::errc())
  {
    out.Append("0");
    return;
  }
  *result.ptr = '\0';
  out.Append(buf);
}

int SaturatedRound(double value)
{
  if (std::isnan(value))
    return 0;
  const double r = std::round(value);
  if (r >= static_cast<double>(INT32_MAX))
    return INT32_MAX;
  if (r <= static_cast<double>(INT32_MIN))
    return INT32_MIN;
  return static_cast<int>(r);
}

double ParseLeadingDouble(const char* text)
{
  if (!text)
    return 0.0;
  const locale_t loc = CLocale();
  if (loc == static_cast<locale_t>(nullptr))
    return std::atof(text);
  return strtod_l(text, nullptr, loc);
}

void CopyToField(char* field, size_t fieldSize, const char* text)
{
  if (!field || fieldSize == 0)
    return;
  size_t len = text ? std::strlen(text) : 0;
  if (len > fieldSize - 1)
  {
    len = fieldSize - 1;
    // When the first byte left out continues a UTF-8 character, that
    // character starts at most three bytes earlier; it is dropped whole when
    // its lead byte says it crosses the limit. Bytes that are not UTF-8 are
    // cut at the limit, so a cut never costs more than one split character.
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    if (IsContinuation(bytes[len]))
    {
      for (size_t back = 1; back <= 3 && back <= len; ++back)
      {
        const unsigned char lead = bytes[len - back];
        if (IsContinuation(lead))
          continue;
        if (back < SequenceLength(lead))
          len -= back;
        break;
      }
    }
  }
  if (len)
    std::memcpy(field, text, len);
  field[len] = '\0';
}

} // namespace plugkit
