#include "graphics/SVGTransform.h"

#include <cmath>
#include <cstring>

#include "graphics/SVGNumber.h"

namespace plugkit::gfx::svg {

namespace {

constexpr double kPi = 3.14159265358979323846;

double Radians(double degrees)
{
  return degrees * kPi / 180.0;
}

} // namespace

Xform Xform::Then(const Xform& m) const
{
  return {a * m.a + c * m.b, b * m.a + d * m.b, a * m.c + c * m.d, b * m.c + d * m.d, a * m.e + c * m.f + e,
    b * m.e + d * m.f + f};
}

void Xform::Apply(double& x, double& y) const
{
  const double nx = a * x + c * y + e;
  y = b * x + d * y + f;
  x = nx;
}

bool Xform::Inverse(Xform& out) const
{
  const double det = a * d - b * c;
  if (!(std::fabs(det) > 1e-30) || !std::isfinite(det))
  {
    out = Xform();
    return false;
  }
  const double inv = 1.0 / det;
  out = {d * inv, -b * inv, -c * inv, a * inv, (c * f - d * e) * inv, (b * e - a * f) * inv};
  return true;
}

double Xform::MeanScale() const
{
  return (std::hypot(a, b) + std::hypot(c, d)) * 0.5;
}

ParseStatus ParseTransform(std::string_view text, Xform& out)
{
  out = Xform();
  Xform result;
  const char* p = text.data();
  const char* end = p + text.size();
  while (true)
  {
    while (p < end && (IsBlank(*p) || *p == ','))
      ++p;
    if (p >= end)
      break;
    const char* name = p;
    while (p < end && ((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z')))
      ++p;
    const std::string_view fn(name, static_cast<size_t>(p - name));
    while (p < end && IsBlank(*p))
      ++p;
    if (p >= end || *p != '(')
      return ParseStatus::kInvalid;
    ++p;
    double args[6];
    int n = 0;
    while (true)
    {
      while (p < end && IsBlank(*p))
        ++p;
      if (p < end && *p == ')')
      {
        ++p;
        break;
      }
      if (n == 6)
        return ParseStatus::kInvalid;
      const NumberResult r = ReadNumber(p, end, args[n]);
      if (r == NumberResult::kNotFinite)
        return ParseStatus::kNotFinite;
      if (r == NumberResult::kNone)
        return ParseStatus::kInvalid;
      ++n;
      SkipSeparators(p, end);
    }
    Xform m;
    if (fn == "matrix" && n == 6)
    {
      m = {args[0], args[1], args[2], args[3], args[4], args[5]};
    }
    else if (fn == "translate" && (n == 1 || n == 2))
    {
      m = Xform::Translate(args[0], n == 2 ? args[1] : 0.0);
    }
    else if (fn == "scale" && (n == 1 || n == 2))
    {
      m = Xform::Scale(args[0], n == 2 ? args[1] : args[0]);
    }
    else if (fn == "rotate" && (n == 1 || n == 3))
    {
      const double r = Radians(args[0]);
      const Xform rot{std::cos(r), std::sin(r), -std::sin(r), std::cos(r), 0.0, 0.0};
      m = n == 3 ? Xform::Translate(args[1], args[2]).Then(rot).Then(Xform::Translate(-args[1], -args[2])) : rot;
    }
    else if (fn == "skewX" && n == 1)
    {
      m = {1.0, 0.0, std::tan(Radians(args[0])), 1.0, 0.0, 0.0};
    }
    else if (fn == "skewY" && n == 1)
    {
      m = {1.0, std::tan(Radians(args[0])), 0.0, 1.0, 0.0, 0.0};
    }
    else
    {
      return ParseStatus::kInvalid;
    }
    result = result.Then(m);
  }
  out = result;
  return ParseStatus::kOk;
}

} // namespace plugkit::gfx::svg
