// Drawing parsed SVG images: every shape's cubic paths through the path
// primitives, holes found by a ray test, paints turned into patterns.
#include <algorithm>
#include <cmath>

#include "graphics/IGfx.h"
#include "graphics/SVG.h"

namespace plugkit::gfx {

namespace {

IColor ColorFromPacked(uint32_t c, int alpha)
{
  return IColor(alpha, static_cast<int>(c & 255), static_cast<int>((c >> 8) & 255), static_cast<int>((c >> 16) & 255));
}

// The shape's opacity becomes the alpha of a colour paint (the colour's own
// alpha byte is not used); gradient stops stay opaque.
IPattern PatternFromPaint(const NSVGpaint& paint, float opacity)
{
  const int alpha = std::clamp(static_cast<int>(std::lround(opacity * 255.f)), 0, 255);
  if (paint.type == kSVGPaintColor)
    return IPattern(ColorFromPacked(paint.color, alpha));
  if ((paint.type == kSVGPaintLinearGradient || paint.type == kSVGPaintRadialGradient) && paint.gradient)
  {
    const NSVGgradient& g = *paint.gradient;
    IPattern pattern(paint.type == kSVGPaintLinearGradient ? kLinearPattern : kRadialPattern);
    if (g.spread >= 0 && g.spread < 3)
      pattern.mExtend = static_cast<EPatternExtend>(g.spread + 1);
    for (int i = 0; i < g.nstops && i < IPattern::kMaxStops; ++i)
      pattern.AddStop(ColorFromPacked(g.stops[i].color, 255), g.stops[i].offset);
    pattern.SetTransform(g.xform[0], g.xform[1], g.xform[2], g.xform[3], g.xform[4], g.xform[5]);
    return pattern;
  }
  return IPattern(IColor(alpha, 0, 0, 0));
}

// True when the ray from (px, py) through (px + dx, py + dy) crosses the
// segment a-b (segment parameter in [0, 1), ray parameter not negative).
bool RayCrosses(float px, float py, float dx, float dy, float ax, float ay, float bx, float by)
{
  const float ex = bx - ax, ey = by - ay;
  const float denom = dx * ey - dy * ex;
  if (std::fabs(denom) < 1e-8f)
    return false;  // parallel segments never count
  const float wx = ax - px, wy = ay - py;
  const float t = (wx * ey - wy * ex) / denom;
  const float u = (wx * dy - wy * dx) / denom;
  return u >= 0.f && u < 1.f && t >= 0.f;
}

// A path is a hole when a ray from its start, pointing up and left out of
// its own bounds, crosses the other paths of the shape an odd number of
// times (their on-curve points joined by straight segments).
bool IsHole(const NSVGshape& shape, const NSVGpath& path)
{
  const float px = path.pts[0], py = path.pts[1];
  const float dx = path.bounds[0] - 1.f - px, dy = path.bounds[1] - 1.f - py;
  int crossings = 0;
  for (const NSVGpath* other = shape.paths; other; other = other->next)
  {
    if (other == &path || other->npts < 4)
      continue;
    const int last = (other->npts - 1) / 3 * 3;
    for (int i = 0; i <= last; i += 3)
    {
      const int j = i == last ? 0 : i + 3;
      if (RayCrosses(px, py, dx, dy, other->pts[2 * i], other->pts[2 * i + 1], other->pts[2 * j], other->pts[2 * j + 1]))
        ++crossings;
    }
  }
  return crossings % 2 == 1;
}

} // namespace

void IGfx::DrawSVG(const ISVG& svg, const IRECT& bounds, const IBlend* pBlend)
{
  // An image without a size has no scale to fit.
  if (!svg.IsValid() || !(svg.mImage->width > 0.f) || !(svg.mImage->height > 0.f))
    return;
  const float scale = std::min(bounds.W() / svg.mImage->width, bounds.H() / svg.mImage->height);
  PathTransformSave();
  PathTransformTranslate(bounds.L, bounds.T);
  PathTransformScale(scale);
  for (const NSVGshape* shape = svg.mImage->shapes; shape; shape = shape->next)
  {
    if (!(shape->flags & kSVGFlagsVisible))
      continue;
    PathClear();
    for (const NSVGpath* path = shape->paths; path; path = path->next)
    {
      if (path->npts < 1)
        continue;
      PathMoveTo(path->pts[0], path->pts[1]);
      for (int i = 1; i + 2 < path->npts; i += 3)
      {
        const float* p = path->pts + 2 * i;
        PathCubicBezierTo(p[0], p[1], p[2], p[3], p[4], p[5]);
      }
      if (path->closed)
        PathClose();
      PathSetWinding(IsHole(*shape, *path));
    }
    const bool hasStroke = shape->stroke.type != kSVGPaintNone;
    if (shape->fill.type != kSVGPaintNone)
      PathFill(PatternFromPaint(shape->fill, shape->opacity), IFillOptions(kFillPreserve, hasStroke), pBlend);
    if (hasStroke)
    {
      IStrokeOptions options;
      options.mMiterLimit = shape->miterLimit;
      if (shape->strokeLineCap >= 0 && shape->strokeLineCap < 3)
        options.mCapOption = static_cast<ELineCap>(shape->strokeLineCap);
      if (shape->strokeLineJoin >= 0 && shape->strokeLineJoin < 3)
        options.mJoinOption = static_cast<ELineJoin>(shape->strokeLineJoin);
      options.mDash.SetDash(shape->strokeDashArray, shape->strokeDashOffset, shape->strokeDashCount);
      PathStroke(PatternFromPaint(shape->stroke, shape->opacity), shape->strokeWidth, options, pBlend);
    }
  }
  PathTransformRestore();
}

void IGfx::DrawRotatedSVG(const ISVG& svg, float destCentreX, float destCentreY, float width, float height,
  float angle, const IBlend* pBlend)
{
  if (!svg.IsValid())
    return;
  PathTransformSave();
  PathTransformTranslate(destCentreX, destCentreY);
  PathTransformRotate(angle);
  DrawSVG(svg, IRECT(-width / 2.f, -height / 2.f, width / 2.f, height / 2.f), pBlend);
  PathTransformRestore();
}

} // namespace plugkit::gfx
