#include "graphics/SVGNumber.h"

#include <charconv>
#include <cmath>

namespace plugkit::gfx::svg {

namespace {

bool IsDigit(char c)
{
  return c >= '0' && c <= '9';
}

} // namespace

NumberResult ReadNumber(const char*& p, const char* end, double& value)
{
  const char* q = p;
  bool negative = false;
  if (q < end && (*q == '+' || *q == '-'))
  {
    negative = *q == '-';
    ++q;
  }
  const char* digits = q;
  // The decimal magnitude of the first significant digit, to tell an
  // overflow from an underflow when the conversion is out of range.
  long magnitude = 0;
  bool significant = false;
  while (q < end && IsDigit(*q))
  {
    significant = significant || *q != '0';
    if (significant)
      ++magnitude;
    ++q;
  }
  bool any = q > digits;
  const bool hasInteger = q > digits;
  if (q < end && *q == '.' && (hasInteger || (q + 1 < end && IsDigit(q[1]))))
  {
    ++q;
    while (q < end && IsDigit(*q))
    {
      if (!significant)
      {
        if (*q == '0')
          --magnitude;
        else
          significant = true;
      }
      ++q;
    }
    any = true;
  }
  if (!any)
    return NumberResult::kNone;
  // An exponent only when digits follow, so that "2em" keeps its unit.
  long exponent = 0;
  if (q < end && (*q == 'e' || *q == 'E'))
  {
    const char* e = q + 1;
    bool negExp = false;
    if (e < end && (*e == '+' || *e == '-'))
    {
      negExp = *e == '-';
      ++e;
    }
    if (e < end && IsDigit(*e))
    {
      while (e < end && IsDigit(*e))
      {
        if (exponent < 100000)
          exponent = exponent * 10 + (*e - '0');
        ++e;
      }
      exponent = negExp ? -exponent : exponent;
      q = e;
    }
  }
  double v = 0.0;
  const auto [ptr, ec] = std::from_chars(digits, q, v, std::chars_format::general);
  p = q;
  if (ec == std::errc::result_out_of_range)
  {
    if (!significant || magnitude + exponent < 0)
      v = 0.0;
    else
      return NumberResult::kNotFinite;
  }
  else if (ec != std::errc() || ptr != q || !std::isfinite(v))
  {
    return NumberResult::kNotFinite;
  }
  value = negative ? -v : v;
  return NumberResult::kOk;
}

void SkipSeparators(const char*& p, const char* end)
{
  while (p < end && IsBlank(*p))
    ++p;
  if (p < end && *p == ',')
  {
    ++p;
    while (p < end && IsBlank(*p))
      ++p;
  }
}

} // namespace plugkit::gfx::svg
