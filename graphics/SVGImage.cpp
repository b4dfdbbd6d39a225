// Writes the image model from a read document: the root's viewport and the
// requested units applied to every point, gradients resolved by id.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <exception>

#include "graphics/SVGDocument.h"

namespace plugkit::gfx {

namespace svg {

namespace {

// href chains longer than this are taken as a loop.
constexpr int kMaxHrefChain = 32;

const GradientDef* FindGradient(const Document& doc, const std::string& id)
{
  if (id.empty())
    return nullptr;
  for (const GradientDef& g : doc.gradients)
    if (g.id == id)
      return &g;
  return nullptr;
}

// The gradient with what it inherits through href filled in: stops when it
// has none, the common attributes, and the geometry from gradients of its
// own kind.
GradientDef Resolve(const Document& doc, const GradientDef& start)
{
  GradientDef g = start;
  const GradientDef* from = FindGradient(doc, start.href);
  for (int i = 0; from && i < kMaxHrefChain; ++i)
  {
    if (g.stops.empty())
      g.stops = from->stops;
    if (!g.userSpace) g.userSpace = from->userSpace;
    if (!g.transform) g.transform = from->transform;
    if (!g.spread) g.spread = from->spread;
    if (from->radial == g.radial)
    {
      for (auto member : {&GradientDef::x1, &GradientDef::y1, &GradientDef::x2, &GradientDef::y2, &GradientDef::cx,
             &GradientDef::cy, &GradientDef::r, &GradientDef::fx, &GradientDef::fy})
        if (!(g.*member))
          g.*member = from->*member;
    }
    from = FindGradient(doc, from->href);
  }
  return g;
}

uint32_t WithOpacity(uint32_t color, double opacity)
{
  const double a = static_cast<double>(color >> 24) * std::clamp(opacity, 0.0, 1.0);
  return (color & 0xFFFFFFu) | (static_cast<uint32_t>(std::lround(a)) << 24);
}

bool Finite(const Xform& m)
{
  return std::isfinite(m.a) && std::isfinite(m.b) && std::isfinite(m.c) && std::isfinite(m.d) &&
    std::isfinite(m.e) && std::isfinite(m.f);
}

struct PaintOut
{
  NSVGpaint paint{};
  NSVGgradient* gradient = nullptr;  // owned until handed to the shape
};

// A gradient paint; degenerate geometry paints the last stop's colour, as
// SVG asks, and no stops paint nothing.
void GradientPaint(const Document& doc, const ShapeRec& shape, const PaintRec& rec, const Xform& final,
  NSVGpaint& out)
{
  out.type = kSVGPaintNone;
  const GradientDef* def = FindGradient(doc, rec.paint.url);
  if (!def)
    return;
  const GradientDef g = Resolve(doc, *def);
  if (g.stops.empty())
    return;
  const uint32_t last = WithOpacity(g.stops.back().color, rec.opacity);
  if (g.stops.size() == 1)
  {
    out.type = kSVGPaintColor;
    out.color = last;
    return;
  }
  const bool user = g.userSpace.value_or(false);
  // Gradient lengths: in user space as any other length, in bounding-box
  // units as fractions (a percentage is a hundredth).
  auto value = [&](const std::optional<Length>& len, double fallback, Axis axis) {
    if (!len)
      return user ? fallback * (axis == Axis::kY ? doc.ctx.viewportH : axis == Axis::kX ? doc.ctx.viewportW
        : std::sqrt((doc.ctx.viewportW * doc.ctx.viewportW + doc.ctx.viewportH * doc.ctx.viewportH) / 2.0)) : fallback;
    if (user)
      return ToPixels(*len, doc.ctx, axis);
    return len->unit == Unit::kPercent ? len->value / 100.0 : len->value * PixelsPerUnit(len->unit, doc.ctx);
  };
  Xform unit;
  float fx = 0.0f, fy = 0.0f;
  if (!g.radial)
  {
    const double x1 = value(g.x1, 0.0, Axis::kX), y1 = value(g.y1, 0.0, Axis::kY);
    const double x2 = value(g.x2, 1.0, Axis::kX), y2 = value(g.y2, 0.0, Axis::kY);
    const double dx = x2 - x1, dy = y2 - y1;
    if (dx == 0.0 && dy == 0.0)
    {
      out.type = kSVGPaintColor;
      out.color = last;
      return;
    }
    // Gradient space: (0, 0) at the start, (0, 1) at the end.
    unit = {dy, -dx, dx, dy, x1, y1};
  }
  else
  {
    const double cx = value(g.cx, 0.5, Axis::kX), cy = value(g.cy, 0.5, Axis::kY);
    const double r = value(g.r, 0.5, Axis::kOther);
    if (!(r > 0.0))
    {
      out.type = kSVGPaintColor;
      out.color = last;
      return;
    }
    double fxv = (value(g.fx ? g.fx : g.cx, 0.5, Axis::kX) - cx) / r;
    double fyv = (value(g.fy ? g.fy : g.cy, 0.5, Axis::kY) - cy) / r;
    // A focal point outside the circle is moved onto its edge.
    const double len = std::hypot(fxv, fyv);
    if (len > 1.0)
    {
      fxv /= len;
      fyv /= len;
    }
    fx = static_cast<float>(fxv);
    fy = static_cast<float>(fyv);
    unit = {r, 0.0, 0.0, r, cx, cy};
  }
  Xform toImage = final.Then(shape.ctm);
  if (g.transform)
    toImage = toImage.Then(*g.transform);
  if (!user)
  {
    const double* b = shape.localBounds;
    toImage = toImage.Then({b[2] - b[0], 0.0, 0.0, b[3] - b[1], b[0], b[1]});
  }
  Xform inverse;
  if (!toImage.Then(unit).Inverse(inverse) || !Finite(inverse))
    return;  // a flat bounding box cannot carry the gradient: nothing is painted
  auto* gradient = new NSVGgradient();
  gradient->stops = nullptr;
  out.type = g.radial ? kSVGPaintRadialGradient : kSVGPaintLinearGradient;
  out.gradient = gradient;
  const double m[6] = {inverse.a, inverse.b, inverse.c, inverse.d, inverse.e, inverse.f};
  for (int i = 0; i < 6; ++i)
    gradient->xform[i] = static_cast<float>(m[i]);
  gradient->spread = g.spread.value_or(kSVGSpreadPad);
  gradient->fx = fx;
  gradient->fy = fy;
  gradient->nstops = static_cast<int>(g.stops.size());
  gradient->stops = new NSVGgradientStop[g.stops.size()];
  for (size_t i = 0; i < g.stops.size(); ++i)
    gradient->stops[i] = {WithOpacity(g.stops[i].color, rec.opacity), g.stops[i].offset};
}

void MakePaint(const Document& doc, const ShapeRec& shape, const PaintRec& rec, const Xform& final, NSVGpaint& out)
{
  out.type = kSVGPaintNone;
  out.color = 0;
  switch (rec.paint.kind)
  {
    case PaintValue::Kind::kColor:
      out.type = kSVGPaintColor;
      out.color = WithOpacity(rec.paint.rgb | 0xFF000000u, rec.opacity);
      break;
    case PaintValue::Kind::kUrl:
      GradientPaint(doc, shape, rec, final, out);
      break;
    default:
      break;
  }
}

void DeletePaint(NSVGpaint& paint)
{
  if (paint.type == kSVGPaintLinearGradient || paint.type == kSVGPaintRadialGradient)
  {
    if (paint.gradient)
      delete[] paint.gradient->stops;
    delete paint.gradient;
  }
  paint.type = kSVGPaintNone;
}

void DeletePaths(NSVGpath* path)
{
  while (path)
  {
    NSVGpath* next = path->next;
    delete[] path->pts;
    delete path;
    path = next;
  }
}

void DeleteShape(NSVGshape* shape)
{
  DeletePaint(shape->fill);
  DeletePaint(shape->stroke);
  DeletePaths(shape->paths);
  delete shape;
}

float ToFloat(double v, bool& finite)
{
  const float f = static_cast<float>(v);
  finite = finite && std::isfinite(f);
  return f;
}

// The shape's paths in image coordinates; null when a point is not finite
// as a float, which drops the shape.
NSVGpath* BuildPaths(const ShapeRec& rec, const Xform& final, float bounds[4])
{
  NSVGpath* head = nullptr;
  NSVGpath** tail = &head;
  bool finite = true;
  bool first = true;
  for (const CubicPath& src : rec.paths)
  {
    std::vector<CubicPath> one(1, src);
    TransformPaths(one, final);
    double b[4];
    CubicBounds(one, b);
    auto* path = new NSVGpath();
    *tail = path;
    tail = &path->next;
    path->npts = static_cast<int>(src.NumPoints());
    path->closed = src.closed ? 1 : 0;
    path->pts = new float[one[0].pts.size()];
    for (size_t i = 0; i < one[0].pts.size(); ++i)
      path->pts[i] = ToFloat(one[0].pts[i], finite);
    for (int i = 0; i < 4; ++i)
      path->bounds[i] = ToFloat(b[i], finite);
    for (int i = 0; i < 4; ++i)
      bounds[i] = first ? path->bounds[i] : (i < 2 ? std::min(bounds[i], path->bounds[i]) : std::max(bounds[i], path->bounds[i]));
    first = false;
  }
  if (!finite)
  {
    DeletePaths(head);
    return nullptr;
  }
  return head;
}

} // namespace

NSVGimage* BuildImage(const Document& doc, const char* units)
{
  const RootInfo& root = doc.root;
  double w = root.width.value_or(0.0), h = root.height.value_or(0.0);
  Xform viewport;
  if (root.hasViewBox)
  {
    const double* vb = root.viewBox;
    // A missing side keeps the viewBox's aspect ratio.
    if (!root.width)
      w = root.height ? *root.height * vb[2] / vb[3] : vb[2];
    if (!root.height)
      h = root.width ? *root.width * vb[3] / vb[2] : vb[3];
    viewport = ViewBoxTransform(vb, w, h, root.preserveAspectRatio);
  }
  else if (!root.width || !root.height)
  {
    // No size: the image reaches from the origin to the far corner of its
    // shapes.
    double far[2] = {0.0, 0.0};
    for (const ShapeRec& s : doc.shapes)
    {
      double b[4];
      if (CubicBounds(s.paths, b))
      {
        far[0] = std::max(far[0], b[2]);
        far[1] = std::max(far[1], b[3]);
      }
    }
    if (!root.width)
      w = far[0];
    if (!root.height)
      h = far[1];
  }
  const double perUnit = PixelsPerUnit(UnitFromName(units ? units : "px"), doc.ctx);
  const Xform final = Xform::Scale(1.0 / perUnit, 1.0 / perUnit).Then(viewport);
  const double strokeScale = final.MeanScale();

  auto* image = new NSVGimage();
  image->width = static_cast<float>(w / perUnit);
  image->height = static_cast<float>(h / perUnit);
  if (!std::isfinite(image->width) || !std::isfinite(image->height))
    image->width = image->height = 0.0f;
  image->shapes = nullptr;
  NSVGshape** tail = &image->shapes;
  try
  {
    for (const ShapeRec& rec : doc.shapes)
    {
      auto* shape = new NSVGshape();
      shape->fill.type = shape->stroke.type = kSVGPaintNone;
      shape->paths = BuildPaths(rec, final, shape->bounds);
      if (!shape->paths)
      {
        delete shape;
        continue;
      }
      // Linked first, so that a failure below frees it with the image.
      *tail = shape;
      tail = &shape->next;
      MakePaint(doc, rec, rec.fill, final, shape->fill);
      MakePaint(doc, rec, rec.stroke, final, shape->stroke);
      bool finite = true;
      shape->opacity = ToFloat(std::clamp(rec.opacity, 0.0, 1.0), finite);
      const StrokeGeometry stroke = rec.strokeGeometry.Scaled(strokeScale);
      shape->strokeWidth = ToFloat(stroke.width, finite);
      shape->strokeDashOffset = ToFloat(stroke.dashOffset, finite);
      shape->strokeDashCount = static_cast<char>(stroke.dashCount);
      for (int i = 0; i < stroke.dashCount; ++i)
        shape->strokeDashArray[i] = ToFloat(stroke.dashes[i], finite);
      shape->strokeLineJoin = stroke.lineJoin;
      shape->strokeLineCap = stroke.lineCap;
      shape->miterLimit = static_cast<float>(stroke.miterLimit);
      shape->fillRule = rec.fillRule;
      shape->flags = rec.visible ? kSVGFlagsVisible : 0;
      if (!finite)
      {
        // A stroke too wide for a float: the outline stays, the stroke goes.
        DeletePaint(shape->stroke);
        shape->strokeWidth = 0.0f;
        shape->strokeDashCount = 0;
      }
    }
  }
  catch (...)
  {
    nsvgDelete(image);
    throw;
  }
  return image;
}

} // namespace svg

NSVGimage* nsvgParse(const char* text, const char* units, float dpi)
{
  if (!text)
    return nullptr;
  try
  {
    svg::Document doc;
    if (!svg::ReadDocument(text, strlen(text), dpi, doc))
      return nullptr;
    return svg::BuildImage(doc, units);
  }
  catch (const std::exception&)
  {
    // Exhausted memory (or a container's length limit) ends the parse.
    return nullptr;
  }
}

void nsvgDelete(NSVGimage* image)
{
  if (!image)
    return;
  NSVGshape* shape = image->shapes;
  while (shape)
  {
    NSVGshape* next = shape->next;
    svg::DeleteShape(shape);
    shape = next;
  }
  delete image;
}

} // namespace plugkit::gfx
