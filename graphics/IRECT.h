#pragma once

#include <algorithm>
#include <cmath>

namespace plugkit::gfx {

// A rectangle in logical points: left, top, right, bottom, with y growing
// downwards. The all-zero rectangle is the empty rectangle.
struct IRECT
{
  float L = 0.f;
  float T = 0.f;
  float R = 0.f;
  float B = 0.f;

  IRECT() = default;
  IRECT(float l, float t, float r, float b) : L(l), T(t), R(r), B(b) {}

  float W() const { return R - L; }
  float H() const { return B - T; }
  float MW() const { return 0.5f * (L + R); }
  float MH() const { return 0.5f * (T + B); }
  bool Empty() const { return L == 0.f && T == 0.f && R == 0.f && B == 0.f; }

  bool operator==(const IRECT& o) const { return L == o.L && T == o.T && R == o.R && B == o.B; }
  bool operator!=(const IRECT& o) const { return !(*this == o); }

  // Left and top edges inside, right and bottom outside, so that two
  // rectangles sharing an edge never both claim a point; the empty rectangle
  // contains nothing.
  bool Contains(float x, float y) const { return !Empty() && x >= L && x < R && y >= T && y < B; }

  // The overlap; empty when either is empty or they only touch or are apart.
  IRECT Intersect(const IRECT& o) const
  {
    if (Empty() || o.Empty())
      return IRECT();
    const IRECT r(std::max(L, o.L), std::max(T, o.T), std::min(R, o.R), std::min(B, o.B));
    return (r.L < r.R && r.T < r.B) ? r : IRECT();
  }
  // The smallest rectangle holding both; an empty one adds nothing.
  IRECT Union(const IRECT& o) const
  {
    if (Empty())
      return o;
    if (o.Empty())
      return *this;
    return IRECT(std::min(L, o.L), std::min(T, o.T), std::max(R, o.R), std::max(B, o.B));
  }
  // Two rectangles whose union is a rectangle again: either is empty, or
  // they share both vertical edges and their vertical spans touch or
  // overlap, or the same with the horizontal edges and spans.
  static bool Mergeable(const IRECT& a, const IRECT& b)
  {
    if (a.Empty() || b.Empty())
      return true;
    if (a.L == b.L && a.R == b.R)
      return (a.T >= b.T && a.T <= b.B) || (b.T >= a.T && b.T <= a.B);
    if (a.T == b.T && a.B == b.B)
      return (a.L >= b.L && a.L <= b.R) || (b.L >= a.L && b.L <= a.R);
    return false;
  }
  // True when o lies inside this one; neither may be empty.
  bool ContainsRect(const IRECT& o) const
  {
    return !Empty() && !o.Empty() && o.L >= L && R >= o.R && o.T >= T && B >= o.B;
  }
  IRECT GetPadded(float p) const { return IRECT(L - p, T - p, R + p, B + p); }
  void Translate(float x, float y)
  {
    L += x;
    R += x;
    T += y;
    B += y;
  }
  IRECT GetTranslated(float x, float y) const { return IRECT(L + x, T + y, R + x, B + y); }
  // Grown outwards to whole pixels at the given scale.
  IRECT GetPixelAligned(float scale) const
  {
    return IRECT(std::floor(L * scale) / scale, std::floor(T * scale) / scale, std::ceil(R * scale) / scale,
      std::ceil(B * scale) / scale);
  }
  // A w x h rectangle centred on this one's centre.
  IRECT GetCentredInside(float w, float h) const
  {
    return IRECT(MW() - 0.5f * w, MH() - 0.5f * h, MW() + 0.5f * w, MH() + 0.5f * h);
  }
};

} // namespace plugkit::gfx
