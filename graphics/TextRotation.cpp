#include "graphics/TextRotation.h"

#include <algorithm>

#include "graphics/IMatrix.h"

namespace plugkit::gfx {

void CalculateTextRotation(const IText& text, const IRECT& bounds, IRECT& rect, float& tx, float& ty)
{
  tx = 0.f;
  ty = 0.f;
  if (text.mAngle == 0.f)
    return;

  IMatrix m;
  m.Rotate(text.mAngle);
  const double xs[4] = {rect.L, rect.R, rect.R, rect.L};
  const double ys[4] = {rect.T, rect.T, rect.B, rect.B};
  double l = 0, t = 0, r = 0, b = 0;
  for (int i = 0; i < 4; ++i)
  {
    double x = xs[i], y = ys[i];
    m.TransformPoint(x, y);
    l = i ? std::min(l, x) : x;
    r = i ? std::max(r, x) : x;
    t = i ? std::min(t, y) : y;
    b = i ? std::max(b, y) : y;
  }
  rect = IRECT(static_cast<float>(l), static_cast<float>(t), static_cast<float>(r), static_cast<float>(b));

  switch (text.mAlign)
  {
    case kNear: tx = bounds.L - rect.L; break;
    case kCenter: tx = bounds.MW() - rect.MW(); break;
    case kFar: tx = bounds.R - rect.R; break;
  }
  switch (text.mVAlign)
  {
    case kTop: ty = bounds.T - rect.T; break;
    case kMiddle: ty = bounds.MH() - rect.MH(); break;
    case kBottom: ty = bounds.B - rect.B; break;
  }
}

void MeasureTextRotation(const IText& text, const IRECT& bounds, IRECT& rect)
{
  float tx = 0.f, ty = 0.f;
  CalculateTextRotation(text, bounds, rect, tx, ty);
  rect.Translate(tx, ty);
}

} // namespace plugkit::gfx
