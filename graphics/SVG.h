#pragma once

// The framework's SVG reader: SVG 1.1 text in, a flat list of filled and
// stroked shapes out, every path reduced to cubic Bezier segments in final
// image coordinates. The drawing API walks this model (IGfx::DrawSVG); the
// SVG cache owns parsed images.
//
// What is read: the elements svg, g, defs, path, rect, circle, ellipse,
// line, polyline, polygon, linearGradient, radialGradient and stop (anything
// else is skipped with its content); presentation attributes and the style
// attribute (which wins); transforms; gradients by id; lengths in every
// absolute and relative unit; the root's viewBox with preserveAspectRatio.
// Text, images, clipping, masks and filters are not drawn.
//
// Bad input never ends the process: a broken element is dropped, the rest of
// the document is kept, and text without an svg root gives null.

#include <cstdint>

namespace plugkit::gfx {

enum ESVGPaintType : signed char
{
  kSVGPaintNone = 0,
  kSVGPaintColor = 1,
  kSVGPaintLinearGradient = 2,
  kSVGPaintRadialGradient = 3
};

enum ESVGSpread : char
{
  kSVGSpreadPad = 0,
  kSVGSpreadReflect = 1,
  kSVGSpreadRepeat = 2
};

// Joins and caps numbered as the stroke options of the drawing API.
enum ESVGLineJoin : char
{
  kSVGJoinMiter = 0,
  kSVGJoinRound = 1,
  kSVGJoinBevel = 2
};

enum ESVGLineCap : char
{
  kSVGCapButt = 0,
  kSVGCapRound = 1,
  kSVGCapSquare = 2
};

enum ESVGFillRule : char
{
  kSVGFillNonZero = 0,
  kSVGFillEvenOdd = 1
};

enum ESVGFlags : unsigned char
{
  kSVGFlagsVisible = 1
};

struct NSVGgradientStop
{
  // Packed as the paint colour: red in the low byte, alpha in the high one.
  uint32_t color;
  float offset;
};

struct NSVGgradient
{
  // Maps image coordinates to gradient space, in which a linear gradient runs
  // from (0, 0) to (0, 1) and a radial one fills the unit circle round the
  // origin: x' = xform[0] x + xform[2] y + xform[4],
  //        y' = xform[1] x + xform[3] y + xform[5].
  float xform[6];
  char spread;
  // The focal point of a radial gradient, in gradient space.
  float fx;
  float fy;
  int nstops;
  NSVGgradientStop* stops;
};

struct NSVGpaint
{
  signed char type;
  union
  {
    // 0xAABBGGRR.
    uint32_t color;
    NSVGgradient* gradient;
  };
};

struct NSVGpath
{
  // x, y pairs: the start point, then three points (two controls and an end
  // point) per cubic segment; npts counts points, not floats.
  float* pts;
  int npts;
  char closed;
  // Tight bounds of the curve: left, top, right, bottom.
  float bounds[4];
  NSVGpath* next;
};

struct NSVGshape
{
  NSVGpaint fill;
  NSVGpaint stroke;
  float opacity;
  float strokeWidth;
  float strokeDashOffset;
  float strokeDashArray[8];
  char strokeDashCount;
  char strokeLineJoin;
  char strokeLineCap;
  float miterLimit;
  char fillRule;
  unsigned char flags;
  float bounds[4];
  NSVGpath* paths;
  NSVGshape* next;
};

struct NSVGimage
{
  float width;
  float height;
  NSVGshape* shapes;
};

// Parses zero-terminated SVG text. units ("px", "pt", "pc", "mm", "cm",
// "in", "em", "ex"; anything else counts as "px") is the unit of every
// length in the result, dpi the resolution that relates the physical units
// to pixels. Returns an image to free with nsvgDelete, or null when the text
// holds no svg element or memory ran out. Independent of the process locale.
NSVGimage* nsvgParse(const char* text, const char* units, float dpi);

// Frees an image and everything in it; null is allowed.
void nsvgDelete(NSVGimage* image);

} // namespace plugkit::gfx
