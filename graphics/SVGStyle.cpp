#include "graphics/SVGStyle.h"

#include <algorithm>
#include <cmath>

#include "graphics/SVGNumber.h"

namespace plugkit::gfx::svg {

namespace {

int HexDigit(char c)
{
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

uint32_t PackRGB(int r, int g, int b)
{
  return static_cast<uint32_t>(r) | (static_cast<uint32_t>(g) << 8) | (static_cast<uint32_t>(b) << 16);
}

bool ParseHexColor(std::string_view t, uint32_t& rgb)
{
  int d[6];
  if (t.size() != 4 && t.size() != 7)
    return false;
  for (size_t i = 1; i < t.size(); ++i)
    if ((d[i - 1] = HexDigit(t[i])) < 0)
      return false;
  if (t.size() == 4)
    rgb = PackRGB(d[0] * 17, d[1] * 17, d[2] * 17);
  else
    rgb = PackRGB(d[0] * 16 + d[1], d[2] * 16 + d[3], d[4] * 16 + d[5]);
  return true;
}

// rgb(r, g, b) with integers or percentages, clamped to 0..255.
bool ParseRgbFunction(std::string_view t, uint32_t& rgb)
{
  if (t.size() < 5 || t.substr(0, 4) != "rgb(" || t.back() != ')')
    return false;
  const char* p = t.data() + 4;
  const char* end = t.data() + t.size() - 1;
  int c[3];
  for (int i = 0; i < 3; ++i)
  {
    SkipSeparators(p, end);
    double v = 0.0;
    if (ReadNumber(p, end, v) != NumberResult::kOk)
      return false;
    if (p < end && *p == '%')
    {
      v = v * 255.0 / 100.0;
      ++p;
    }
    c[i] = static_cast<int>(std::lround(std::clamp(v, 0.0, 255.0)));
  }
  while (p < end && IsBlank(*p))
    ++p;
  if (p != end)
    return false;
  rgb = PackRGB(c[0], c[1], c[2]);
  return true;
}

// A number, or a percentage of 1, clamped to [0, 1].
ParseStatus ParseFraction(std::string_view text, double& out)
{
  Length len;
  const ParseStatus s = ParseLength(text, len);
  if (s != ParseStatus::kOk)
    return s;
  if (len.unit != Unit::kUser && len.unit != Unit::kPercent)
    return ParseStatus::kInvalid;
  out = std::clamp(len.unit == Unit::kPercent ? len.value / 100.0 : len.value, 0.0, 1.0);
  return ParseStatus::kOk;
}

ParseStatus ParseDashArray(std::string_view text, Style& style, const LengthContext& ctx)
{
  if (text == "none")
  {
    style.strokeGeometry.dashCount = 0;
    return ParseStatus::kOk;
  }
  double dashes[8];
  int n = 0;
  const char* p = text.data();
  const char* end = p + text.size();
  while (true)
  {
    SkipSeparators(p, end);
    if (p >= end)
      break;
    const char* start = p;
    while (p < end && !IsBlank(*p) && *p != ',')
      ++p;
    Length len;
    const ParseStatus s = ParseLength(std::string_view(start, static_cast<size_t>(p - start)), len);
    if (s != ParseStatus::kOk)
      return s;
    const double v = ToPixels(len, ctx, Axis::kOther);
    if (v < 0.0)
      return ParseStatus::kInvalid;
    if (n < 8)
      dashes[n++] = v;
  }
  double sum = 0.0;
  for (int i = 0; i < n; ++i)
    sum += dashes[i];
  if (n == 0 || !(sum > 0.0))
  {
    style.strokeGeometry.dashCount = 0;
    return ParseStatus::kOk;
  }
  // An odd list is repeated to make it even, as far as eight entries go.
  const int count = n % 2 == 1 ? std::min(2 * n, 8) : n;
  for (int i = 0; i < count; ++i)
    style.strokeGeometry.dashes[i] = dashes[i % n];
  style.strokeGeometry.dashCount = count;
  return ParseStatus::kOk;
}

template <size_t N>
bool Keyword(std::string_view value, const char* const (&names)[N], char& out)
{
  for (size_t i = 0; i < N; ++i)
  {
    if (value == names[i])
    {
      out = static_cast<char>(i);
      return true;
    }
  }
  return false;
}

} // namespace

std::string_view Trim(std::string_view text)
{
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

Unit UnitFromName(std::string_view name)
{
  static const struct { const char* name; Unit unit; } kUnits[] = {{"px", Unit::kPx}, {"pt", Unit::kPt},
    {"pc", Unit::kPc}, {"mm", Unit::kMm}, {"cm", Unit::kCm}, {"in", Unit::kIn}, {"%", Unit::kPercent},
    {"em", Unit::kEm}, {"ex", Unit::kEx}};
  for (const auto& u : kUnits)
    if (name == u.name)
      return u.unit;
  return Unit::kPx;
}

ParseStatus ParseLength(std::string_view text, Length& out)
{
  text = Trim(text);
  const char* p = text.data();
  const char* end = p + text.size();
  double v = 0.0;
  const NumberResult r = ReadNumber(p, end, v);
  if (r == NumberResult::kNotFinite)
    return ParseStatus::kNotFinite;
  if (r == NumberResult::kNone)
    return ParseStatus::kInvalid;
  const std::string_view unit(p, static_cast<size_t>(end - p));
  if (unit.empty())
  {
    out = {v, Unit::kUser};
    return ParseStatus::kOk;
  }
  const Unit u = UnitFromName(unit);
  if (u == Unit::kPx && unit != "px")
    return ParseStatus::kInvalid;
  out = {v, u};
  return ParseStatus::kOk;
}

double PixelsPerUnit(Unit unit, const LengthContext& ctx)
{
  switch (unit)
  {
    case Unit::kPt: return ctx.dpi / 72.0;
    case Unit::kPc: return ctx.dpi / 6.0;
    case Unit::kMm: return ctx.dpi / 25.4;
    case Unit::kCm: return ctx.dpi / 2.54;
    case Unit::kIn: return ctx.dpi;
    case Unit::kEm: return ctx.fontSize;
    case Unit::kEx: return ctx.fontSize * 0.5;
    default: return 1.0;
  }
}

double ToPixels(const Length& len, const LengthContext& ctx, Axis axis)
{
  if (len.unit != Unit::kPercent)
    return len.value * PixelsPerUnit(len.unit, ctx);
  double ref = ctx.viewportW;
  if (axis == Axis::kY)
    ref = ctx.viewportH;
  else if (axis == Axis::kOther)
    ref = std::sqrt((ctx.viewportW * ctx.viewportW + ctx.viewportH * ctx.viewportH) / 2.0);
  return len.value / 100.0 * ref;
}

bool ParseColor(std::string_view text, uint32_t& rgb)
{
  text = Trim(text);
  if (text.empty())
    return false;
  if (text[0] == '#')
    return ParseHexColor(text, rgb);
  if (ParseRgbFunction(text, rgb))
    return true;
  if (text == "currentColor")
  {
    rgb = 0;  // no colour property is read: the initial colour, black
    return true;
  }
  return LookUpColorName(text, rgb);
}

ParseStatus ParsePaint(std::string_view text, PaintValue& out)
{
  text = Trim(text);
  if (text == "none")
  {
    out = PaintValue();
    return ParseStatus::kOk;
  }
  if (text.substr(0, 4) == "url(")
  {
    const size_t close = text.find(')');
    if (close == std::string_view::npos)
      return ParseStatus::kInvalid;
    std::string_view id = Trim(text.substr(4, close - 4));
    if (id.size() >= 2 && (id.front() == '\'' || id.front() == '"') && id.back() == id.front())
      id = id.substr(1, id.size() - 2);
    if (id.empty() || id[0] != '#')
      return ParseStatus::kInvalid;
    out.kind = PaintValue::Kind::kUrl;
    out.url.assign(id.substr(1));
    return ParseStatus::kOk;
  }
  uint32_t rgb = 0;
  if (!ParseColor(text, rgb))
    return ParseStatus::kInvalid;
  out.kind = PaintValue::Kind::kColor;
  out.rgb = rgb;
  out.url.clear();
  return ParseStatus::kOk;
}

StrokeGeometry StrokeGeometry::Scaled(double scale) const
{
  StrokeGeometry out = *this;
  out.width *= scale;
  out.dashOffset *= scale;
  for (int i = 0; i < dashCount; ++i)
    out.dashes[i] *= scale;
  return out;
}

Style Style::Child() const
{
  Style child = *this;
  child.parentOpacity = opacity;
  child.stopColor = 0;
  child.stopOpacity = 1.0;
  return child;
}

ParseStatus ApplyProperty(Style& s, std::string_view name, std::string_view value, const LengthContext& ctx)
{
  value = Trim(value);
  if (value == "inherit")
    return ParseStatus::kOk;
  ParseStatus st = ParseStatus::kOk;
  double v = 0.0;
  Length len;
  if (name == "fill")
  {
    PaintValue paint;
    if ((st = ParsePaint(value, paint)) == ParseStatus::kOk)
      s.fill = std::move(paint);
  }
  else if (name == "stroke")
  {
    PaintValue paint;
    if ((st = ParsePaint(value, paint)) == ParseStatus::kOk)
      s.stroke = std::move(paint);
  }
  else if (name == "fill-opacity")
  {
    if ((st = ParseFraction(value, v)) == ParseStatus::kOk)
      s.fillOpacity = v;
  }
  else if (name == "stroke-opacity")
  {
    if ((st = ParseFraction(value, v)) == ParseStatus::kOk)
      s.strokeOpacity = v;
  }
  else if (name == "opacity")
  {
    if ((st = ParseFraction(value, v)) == ParseStatus::kOk)
      s.opacity = s.parentOpacity * v;
  }
  else if (name == "stop-opacity")
  {
    if ((st = ParseFraction(value, v)) == ParseStatus::kOk)
      s.stopOpacity = v;
  }
  else if (name == "stop-color")
  {
    uint32_t rgb = 0;
    if (ParseColor(value, rgb))
      s.stopColor = rgb;
  }
  else if (name == "stroke-width")
  {
    if ((st = ParseLength(value, len)) == ParseStatus::kOk && (v = ToPixels(len, ctx, Axis::kOther)) >= 0.0)
      s.strokeGeometry.width = v;
  }
  else if (name == "stroke-miterlimit")
  {
    if ((st = ParseLength(value, len)) == ParseStatus::kOk && len.unit == Unit::kUser && len.value >= 1.0)
      s.strokeGeometry.miterLimit = len.value;
  }
  else if (name == "stroke-dashoffset")
  {
    if ((st = ParseLength(value, len)) == ParseStatus::kOk)
      s.strokeGeometry.dashOffset = ToPixels(len, ctx, Axis::kOther);
  }
  else if (name == "stroke-dasharray")
  {
    st = ParseDashArray(value, s, ctx);
  }
  else if (name == "stroke-linejoin")
  {
    static const char* const kJoins[] = {"miter", "round", "bevel"};
    Keyword(value, kJoins, s.strokeGeometry.lineJoin);
  }
  else if (name == "stroke-linecap")
  {
    static const char* const kCaps[] = {"butt", "round", "square"};
    Keyword(value, kCaps, s.strokeGeometry.lineCap);
  }
  else if (name == "fill-rule")
  {
    static const char* const kRules[] = {"nonzero", "evenodd"};
    Keyword(value, kRules, s.fillRule);
  }
  else if (name == "display")
  {
    if (value == "none")
      s.displayed = false;
  }
  else if (name == "visibility")
  {
    if (value == "hidden" || value == "collapse")
      s.visible = false;
    else if (value == "visible")
      s.visible = true;
  }
  return st == ParseStatus::kNotFinite ? st : ParseStatus::kOk;
}

ParseStatus ApplyStyleAttribute(Style& style, std::string_view text, const LengthContext& ctx)
{
  while (!text.empty())
  {
    const size_t semi = text.find(';');
    const std::string_view decl = text.substr(0, semi);
    text = semi == std::string_view::npos ? std::string_view() : text.substr(semi + 1);
    const size_t colon = decl.find(':');
    if (colon == std::string_view::npos)
      continue;
    std::string_view value = decl.substr(colon + 1);
    const size_t important = value.find('!');
    if (important != std::string_view::npos)
      value = value.substr(0, important);
    if (ApplyProperty(style, Trim(decl.substr(0, colon)), value, ctx) == ParseStatus::kNotFinite)
      return ParseStatus::kNotFinite;
  }
  return ParseStatus::kOk;
}

} // namespace plugkit::gfx::svg
