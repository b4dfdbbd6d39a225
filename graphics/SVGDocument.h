#pragma once

#include <optional>
#include <string>
#include <vector>

#include "graphics/SVG.h"
#include "graphics/SVGPathData.h"
#include "graphics/SVGStyle.h"

// What the SVG reader collects while it reads a document, before the image
// model is written: shapes in the root's user space and gradients as their
// attributes were written (they may be referenced before they are defined,
// and inherit from each other).

namespace plugkit::gfx::svg {

struct GradientDef
{
  std::string id;
  bool radial = false;
  std::string href;
  std::optional<Length> x1, y1, x2, y2, cx, cy, r, fx, fy;
  std::optional<bool> userSpace;
  std::optional<Xform> transform;
  std::optional<char> spread;
  std::vector<NSVGgradientStop> stops;
};

struct PaintRec
{
  PaintValue paint;
  double opacity = 1.0;  // fill- or stroke-opacity
};

struct ShapeRec
{
  PaintRec fill;
  PaintRec stroke;
  Xform ctm;
  double localBounds[4] = {};  // for gradients in bounding-box units
  double opacity = 1.0;
  StrokeGeometry strokeGeometry;  // already scaled to the root's user space
  char fillRule = 0;
  bool visible = true;
  std::vector<CubicPath> paths;  // already in the root's user space
};

// The root svg element's geometry.
struct RootInfo
{
  std::optional<double> width, height;  // absolute sizes in pixels
  bool hasViewBox = false;
  double viewBox[4] = {};
  std::string preserveAspectRatio;
};

struct Document
{
  LengthContext ctx;
  RootInfo root;
  std::vector<ShapeRec> shapes;
  std::vector<GradientDef> gradients;
};

// Reads the text into a document; false when it holds no svg element.
bool ReadDocument(const char* text, size_t size, float dpi, Document& doc);

// The transform that fits a viewBox into a viewport of w x h by the rules of
// preserveAspectRatio (default "xMidYMid meet").
Xform ViewBoxTransform(const double viewBox[4], double w, double h, std::string_view preserveAspectRatio);

// Writes the image model in the given units; on an exception (memory
// exhausted) nothing is left allocated.
NSVGimage* BuildImage(const Document& doc, const char* units);

} // namespace plugkit::gfx::svg
