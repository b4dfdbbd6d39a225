// The drawing API's shapes, built from the back-end's path primitives.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "graphics/IGfx.h"

namespace plugkit::gfx {

namespace {

IStrokeOptions DashedStroke(float dashLen)
{
  IStrokeOptions options;
  options.mDash.SetDash(&dashLen, 0.f, 1);
  return options;
}

} // namespace

void IGfx::PathRect(const IRECT& r)
{
  PathMoveTo(r.L, r.T);
  PathLineTo(r.R, r.T);
  PathLineTo(r.R, r.B);
  PathLineTo(r.L, r.B);
  PathClose();
}

void IGfx::PathTriangle(float x1, float y1, float x2, float y2, float x3, float y3)
{
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
  PathLineTo(x3, y3);
  PathClose();
}

void IGfx::PathConvexPolygon(float* x, float* y, int nPoints)
{
  if (!x || !y || nPoints < 1)
    return;
  PathMoveTo(x[0], y[0]);
  for (int i = 1; i < nPoints; ++i)
    PathLineTo(x[i], y[i]);
  PathClose();
}

void IGfx::PathRoundRect(const IRECT& r, float cornerRadius)
{
  PathRoundRect(r, cornerRadius, cornerRadius, cornerRadius, cornerRadius);
}

void IGfx::PathRoundRect(const IRECT& r, float tl, float tr, float bl, float br)
{
  if (!(tl > 0.f) && !(tr > 0.f) && !(br > 0.f) && !(bl > 0.f))
  {
    PathRect(r);
    return;
  }
  // The straight edges come from the lines that join one arc to the next.
  PathMoveTo(r.L, r.T + tl);
  PathArc(r.L + tl, r.T + tl, tl, 270.f, 360.f);
  PathArc(r.R - tr, r.T + tr, tr, 0.f, 90.f);
  PathArc(r.R - br, r.B - br, br, 90.f, 180.f);
  PathArc(r.L + bl, r.B - bl, bl, 180.f, 270.f);
  PathClose();
}

void IGfx::PathEllipse(const IRECT& r)
{
  PathEllipse(r.MW(), r.MH(), r.W() / 2.f, r.H() / 2.f, 0.f);
}

void IGfx::PathEllipse(float x, float y, float r1, float r2, float angle)
{
  // The unit circle drawn through a scaling transform; the caller paints
  // after the restore, so the shape stays while the stroke is not scaled.
  PathTransformSave();
  if (r1 > 0.f && r2 > 0.f)
  {
    PathTransformTranslate(x, y);
    PathTransformRotate(angle);
    PathTransformScale(r1, r2);
    PathMoveTo(0.f, -1.f);
    PathArc(0.f, 0.f, 1.f, 0.f, 360.f);
    PathClose();
  }
  PathTransformRestore();
}

void IGfx::DrawPoint(const IColor& color, float x, float y, const IBlend* pBlend)
{
  FillRect(color, IRECT(x, y, x + 1.f, y + 1.f), pBlend);
}

void IGfx::DrawLine(const IColor& color, float x1, float y1, float x2, float y2, const IBlend* pBlend,
  float thickness)
{
  PathClear();
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
  PathStroke(color, thickness, IStrokeOptions(), pBlend);
}

void IGfx::DrawDottedLine(const IColor& color, float x1, float y1, float x2, float y2, const IBlend* pBlend,
  float thickness, float dashLen)
{
  PathClear();
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
  PathStroke(color, thickness, DashedStroke(dashLen), pBlend);
}

void IGfx::DrawTriangle(const IColor& color, float x1, float y1, float x2, float y2, float x3, float y3,
  const IBlend* pBlend, float thickness)
{
  PathClear();
  PathTriangle(x1, y1, x2, y2, x3, y3);
  PathStroke(color, thickness, IStrokeOptions(), pBlend);
}

void IGfx::DrawRect(const IColor& color, const IRECT& bounds, const IBlend* pBlend, float thickness)
{
  PathClear();
  PathRect(bounds);
  PathStroke(color, thickness, IStrokeOptions(), pBlend);
}

void IGfx::DrawDottedRect(const IColor& color, const IRECT& bounds, const IBlend* pBlend, float thickness,
  float dashLen)
{
  PathClear();
  PathRect(bounds);
  PathStroke(color, thickness, DashedStroke(dashLen), pBlend);
}

void IGfx::DrawRoundRect(const IColor& color, const IRECT& bounds, float cornerRadius, const IBlend* pBlend,
  float thickness)
{
  PathClear();
  PathRoundRect(bounds, cornerRadius);
  PathStroke(color, thickness, IStrokeOptions(), pBlend);
}

void IGfx::DrawRoundRect(const IColor& color, const IRECT& bounds, float tl, float tr, float bl, float br,
  const IBlend* pBlend, float thickness)
{
  PathClear();
  PathRoundRect(bounds, tl, tr, bl, br);
  PathStroke(color, thickness, IStrokeOptions(), pBlend);
}

void IGfx::DrawConvexPolygon(const IColor& color, float* x, float* y, int nPoints, const IBlend* pBlend,
  float thickness)
{
  PathClear();
  PathConvexPolygon(x, y, nPoints);
  PathStroke(color, thickness, IStrokeOptions(), pBlend);
}

void IGfx::DrawArc(const IColor& color, float cx, float cy, float r, float a1, float a2, const IBlend* pBlend,
  float thickness)
{
  PathClear();
  PathArc(cx, cy, r, a1, a2);
  PathStroke(color, thickness, IStrokeOptions(), pBlend);
}

void IGfx::DrawCircle(const IColor& color, float cx, float cy, float r, const IBlend* pBlend, float thickness)
{
  PathClear();
  PathCircle(cx, cy, r);
  PathStroke(color, thickness, IStrokeOptions(), pBlend);
}

void IGfx::DrawEllipse(const IColor& color, const IRECT& bounds, const IBlend* pBlend, float thickness)
{
  PathClear();
  PathEllipse(bounds);
  PathStroke(color, thickness, IStrokeOptions(), pBlend);
}

void IGfx::DrawEllipse(const IColor& color, float x, float y, float r1, float r2, float angle,
  const IBlend* pBlend, float thickness)
{
  PathClear();
  PathEllipse(x, y, r1, r2, angle);
  PathStroke(color, thickness, IStrokeOptions(), pBlend);
}

namespace {

// Lines of a grid never outnumber what any editor can show; a spacing that
// asks for more draws this many.
constexpr int64_t kMaxGridLines = 1 << 16;

// The number of lines at start + k x spacing (k = 1, 2, ...) that lie
// before end. Counted, not stepped: a float position far from the origin
// stops moving when the spacing falls below its precision.
int64_t GridLineCount(float start, float end, float spacing)
{
  if (!(spacing > 1.f))
    return 0;
  const double n = std::ceil((static_cast<double>(end) - start) / spacing) - 1.0;
  return n > 0.0 ? static_cast<int64_t>(std::min(n, static_cast<double>(kMaxGridLines))) : 0;
}

} // namespace

void IGfx::DrawGrid(const IColor& color, const IRECT& r, float gridSizeH, float gridSizeV, const IBlend* pBlend,
  float thickness)
{
  PathClear();
  if (!std::isfinite(r.L) || !std::isfinite(r.T) || !std::isfinite(r.R) || !std::isfinite(r.B))
    return; // no line of an endless grid can be placed
  const int64_t nH = GridLineCount(r.L, r.R, gridSizeH);
  for (int64_t k = 1; k <= nH; ++k)
  {
    const float x = static_cast<float>(r.L + static_cast<double>(k) * gridSizeH);
    PathMoveTo(x, r.T);
    PathLineTo(x, r.B);
  }
  const int64_t nV = GridLineCount(r.T, r.B, gridSizeV);
  for (int64_t k = 1; k <= nV; ++k)
  {
    const float y = static_cast<float>(r.T + static_cast<double>(k) * gridSizeV);
    PathMoveTo(r.L, y);
    PathLineTo(r.R, y);
  }
  PathStroke(color, thickness, IStrokeOptions(), pBlend);
}

void IGfx::DrawData(const IColor& color, const IRECT& r, float* normYPoints, int nPoints, float* normXPoints,
  const IBlend* pBlend, float thickness)
{
  if (!normYPoints || nPoints < 1)
    return;
  PathClear();
  const float w = r.W(), h = r.H();
  PathMoveTo(r.L, r.B - h * normYPoints[0]);
  for (int i = 1; i < nPoints; ++i)
  {
    const float x = normXPoints ? r.L + w * normXPoints[i] : r.L + (w / static_cast<float>(nPoints - 1)) * i;
    PathLineTo(x, r.B - h * normYPoints[i]);
  }
  PathStroke(color, thickness, IStrokeOptions(), pBlend);
}

void IGfx::FillTriangle(const IColor& color, float x1, float y1, float x2, float y2, float x3, float y3,
  const IBlend* pBlend)
{
  PathClear();
  PathTriangle(x1, y1, x2, y2, x3, y3);
  PathFill(color, IFillOptions(), pBlend);
}

void IGfx::FillRect(const IColor& color, const IRECT& bounds, const IBlend* pBlend)
{
  PatternFillRect(color, bounds, pBlend);
}

void IGfx::PatternFillRect(const IPattern& pattern, const IRECT& bounds, const IBlend* pBlend)
{
  PathClear();
  PathRect(bounds);
  PathFill(pattern, IFillOptions(), pBlend);
}

void IGfx::FillRoundRect(const IColor& color, const IRECT& bounds, float cornerRadius, const IBlend* pBlend)
{
  PathClear();
  PathRoundRect(bounds, cornerRadius);
  PathFill(color, IFillOptions(), pBlend);
}

void IGfx::FillRoundRect(const IColor& color, const IRECT& bounds, float tl, float tr, float bl, float br,
  const IBlend* pBlend)
{
  PathClear();
  PathRoundRect(bounds, tl, tr, bl, br);
  PathFill(color, IFillOptions(), pBlend);
}

void IGfx::FillEllipse(const IColor& color, const IRECT& bounds, const IBlend* pBlend)
{
  PathClear();
  PathEllipse(bounds);
  PathFill(color, IFillOptions(), pBlend);
}

void IGfx::FillEllipse(const IColor& color, float x, float y, float r1, float r2, float angle,
  const IBlend* pBlend)
{
  PathClear();
  PathEllipse(x, y, r1, r2, angle);
  PathFill(color, IFillOptions(), pBlend);
}

void IGfx::FillArc(const IColor& color, float cx, float cy, float r, float a1, float a2, const IBlend* pBlend)
{
  PathClear();
  PathMoveTo(cx, cy);
  PathArc(cx, cy, r, a1, a2);
  PathClose();
  PathFill(color, IFillOptions(), pBlend);
}

void IGfx::FillConvexPolygon(const IColor& color, float* x, float* y, int nPoints, const IBlend* pBlend)
{
  PathClear();
  PathConvexPolygon(x, y, nPoints);
  PathFill(color, IFillOptions(), pBlend);
}

void IGfx::DrawFittedBitmap(const IBitmap& bitmap, const IRECT& bounds, const IBlend* pBlend)
{
  // An invalid or empty bitmap has no size to fit.
  if (!bitmap.IsValid() || bitmap.W() <= 0 || bitmap.H() <= 0)
    return;
  PathTransformSave();
  PathTransformTranslate(bounds.L, bounds.T);
  PathTransformScale(bounds.W() / static_cast<float>(bitmap.W()), bounds.H() / static_cast<float>(bitmap.H()));
  DrawBitmap(bitmap, IRECT(0.f, 0.f, static_cast<float>(bitmap.W()), static_cast<float>(bitmap.H())), 0, 0, pBlend);
  PathTransformRestore();
}

void IGfx::DrawRotatedBitmap(const IBitmap& bitmap, float destCentreX, float destCentreY, float angle,
  const IBlend* pBlend)
{
  if (!bitmap.IsValid() || bitmap.W() <= 0 || bitmap.H() <= 0)
    return;
  const float w = static_cast<float>(bitmap.W()), h = static_cast<float>(bitmap.H());
  PathTransformSave();
  PathTransformTranslate(destCentreX, destCentreY);
  PathTransformRotate(angle);
  DrawBitmap(bitmap, IRECT(-w / 2.f, -h / 2.f, w / 2.f, h / 2.f), 0, 0, pBlend);
  PathTransformRestore();
}

} // namespace plugkit::gfx
