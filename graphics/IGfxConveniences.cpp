// Text, bitmap-frame and line conveniences that controls call while drawing.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/IGfx.h"

namespace plugkit::gfx {

namespace {

constexpr float kPi = 3.1415927f;

// The point at angle degrees (0 up, clockwise) and radius r around (cx, cy).
void PointOnRay(float cx, float cy, float angle, float r, float& x, float& y)
{
  const float a = (angle - 90.f) / 180.f * kPi;
  x = cx + r * std::cos(a);
  y = cy + r * std::sin(a);
}

} // namespace

void IGfx::DrawText(const IText& text, const char* str, const IRECT& bounds, const IBlend* pBlend)
{
  if (str && str[0] != '\0')
    DoDrawText(text, str, bounds, pBlend);
}

void IGfx::DrawText(const IText& text, const char* str, float x, float y, const IBlend* pBlend)
{
  DrawText(text, str, IRECT(x, y, x, y), pBlend);
}

float IGfx::MeasureText(const IText& text, const char* str, IRECT& bounds) const
{
  if (!str || str[0] == '\0')
    return 0.f;
  return DoMeasureText(text, str, bounds);
}

void IGfx::DrawBitmapFrame(const IBitmap& bitmap, const IRECT& bounds, int frame, const IBlend* pBlend)
{
  if (!bitmap.IsValid() || bitmap.W() <= 0 || bitmap.H() <= 0)
    return;
  const int n = bitmap.N();
  const int f = std::clamp(frame, 1, n);
  int srcX = 0, srcY = 0;
  if (n >= 2 && f >= 2)
  {
    if (bitmap.GetFramesAreHorizontal())
      srcX = (f - 1) * bitmap.W() / n;
    else
      srcY = (f - 1) * bitmap.H() / n;
  }
  DrawBitmap(bitmap, bounds, srcX, srcY, pBlend);
}

void IGfx::DrawBitmapText(const IBitmap& bitmap, const IRECT& bounds, const IText& text, const IBlend* pBlend,
  const char* str, bool vCentre, bool multiline, int charWidth, int charHeight, int charOffset)
{
  if (!str || str[0] == '\0' || charWidth <= 0 || charHeight <= 0 || !(bounds.W() > 0.f))
    return;
  const int len = static_cast<int>(strlen(str));
  const int perLine = static_cast<int>(bounds.W() / static_cast<float>(charWidth));
  if (perLine < 1)
    return;
  // Multiline text wraps after perLine characters and every character is
  // drawn; a single line shows what fits.
  int nLines = 1, lineLen = std::min(len, perLine);
  if (multiline && len > perLine)
    nLines = (len + perLine - 1) / perLine;
  else if (multiline)
    lineLen = len;
  const float y0 = vCentre ? bounds.T + (bounds.H() - static_cast<float>(charHeight)) / 2.f : bounds.T;
  int i = 0;
  for (int line = 0; line < nLines && i < len; ++line)
  {
    const int count = std::min(lineLen, len - i);
    const float lineWidth = static_cast<float>(count * charWidth);
    float x0 = bounds.L;
    if (text.mAlign == kCenter)
      x0 = bounds.L + (bounds.W() - lineWidth) / 2.f;
    else if (text.mAlign == kFar)
      x0 = bounds.R - lineWidth;
    const float top = y0 + static_cast<float>(line * charHeight);
    for (int c = 0; c < count; ++c, ++i)
    {
      const int code = static_cast<unsigned char>(str[i]);
      const float left = x0 + static_cast<float>(c * (charWidth + charOffset));
      const IRECT cell(left, top, left + static_cast<float>(charWidth), top + static_cast<float>(charHeight));
      DrawBitmapFrame(bitmap, cell, std::min(std::max(code, 32) - 31, bitmap.N()), pBlend);
    }
  }
}

void IGfx::DrawVerticalLine(const IColor& color, const IRECT& r, float x, const IBlend* pBlend, float thickness)
{
  x = std::clamp(x, 0.f, 1.f);
  const float xi = r.L + std::trunc((r.R - r.L) * x);
  DrawLine(color, xi, r.T, xi, r.B, pBlend, thickness);
}

void IGfx::DrawVerticalLine(const IColor& color, float xi, float yLo, float yHi, const IBlend* pBlend,
  float thickness)
{
  DrawLine(color, xi, yLo, xi, yHi, pBlend, thickness);
}

void IGfx::DrawHorizontalLine(const IColor& color, const IRECT& r, float y, const IBlend* pBlend, float thickness)
{
  y = std::clamp(y, 0.f, 1.f);
  const float yi = r.B - (r.B - r.T) * y;
  DrawLine(color, r.L, yi, r.R, yi, pBlend, thickness);
}

void IGfx::DrawHorizontalLine(const IColor& color, float yi, float xLo, float xHi, const IBlend* pBlend,
  float thickness)
{
  DrawLine(color, xLo, yi, xHi, yi, pBlend, thickness);
}

void IGfx::DrawRadialLine(const IColor& color, float cx, float cy, float angle, float rMin, float rMax,
  const IBlend* pBlend, float thickness)
{
  float x1, y1, x2, y2;
  PointOnRay(cx, cy, angle, rMin, x1, y1);
  PointOnRay(cx, cy, angle, rMax, x2, y2);
  DrawLine(color, x1, y1, x2, y2, pBlend, thickness);
}

void IGfx::PathRadialLine(float cx, float cy, float angle, float rMin, float rMax)
{
  float x1, y1, x2, y2;
  PointOnRay(cx, cy, angle, rMin, x1, y1);
  PointOnRay(cx, cy, angle, rMax, x2, y2);
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
}

} // namespace plugkit::gfx
