#pragma once

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

  // Left and top edges inside, right and bottom outside, so that two
  // rectangles sharing an edge never both claim a point; the empty rectangle
  // contains nothing.
  bool Contains(float x, float y) const { return !Empty() && x >= L && x < R && y >= T && y < B; }
};

} // namespace plugkit::gfx
