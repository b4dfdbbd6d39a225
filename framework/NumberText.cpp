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
    // Step back over UTF-8 continuation bytes, then over the lead byte of
    // the character they belong to, so no character is left half.
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    size_t cut = len;
    while (cut > 0 && (bytes[cut] & 0xC0) == 0x80)
      --cut;
    len = cut;
  }
  if (len)
    std::memcpy(field, text, len);
  field[len] = '\0';
}

} // namespace plugkit
