// The SVG reader against hand-computed geometry, units, styles, gradients
// and broken documents.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "graphics/SVG.h"
#include "tests/support/TempHome.h"

namespace plugkit::gfx {
namespace {

struct ImageDeleter
{
  void operator()(NSVGimage* image) const { nsvgDelete(image); }
};
using Image = std::unique_ptr<NSVGimage, ImageDeleter>;

Image Parse(const std::string& text, const char* units = "px", float dpi = 96.f)
{
  return Image(nsvgParse(text.c_str(), units, dpi));
}

// A document of the given body in a 100 x 100 user space.
Image ParseBody(const std::string& body)
{
  return Parse("<svg xmlns='http://www.w3.org/2000/svg' width='100' height='100'>" + body + "</svg>");
}

std::vector<const NSVGshape*> Shapes(const Image& img)
{
  std::vector<const NSVGshape*> out;
  for (const NSVGshape* s = img ? img->shapes : nullptr; s; s = s->next)
    out.push_back(s);
  return out;
}

// The on-curve points (start and every third point after) of a path.
std::vector<float> OnCurve(const NSVGpath* p)
{
  std::vector<float> out;
  for (int i = 0; i < p->npts; i += 3)
  {
    out.push_back(p->pts[2 * i]);
    out.push_back(p->pts[2 * i + 1]);
  }
  return out;
}

void CubicAt(const float* q, float t, float& x, float& y)
{
  const float u = 1.f - t;
  x = u * u * u * q[0] + 3 * u * u * t * q[2] + 3 * u * t * t * q[4] + t * t * t * q[6];
  y = u * u * u * q[1] + 3 * u * u * t * q[3] + 3 * u * t * t * q[5] + t * t * t * q[7];
}

void ExpectNear(const std::vector<float>& got, const std::vector<float>& want, float tol = 1e-3f)
{
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i)
    EXPECT_NEAR(got[i], want[i], tol) << "at " << i;
}

TEST(SVGPathData, CommandsGiveHandComputedEndPoints)
{
  struct Case { const char* name; const char* d; bool closed; std::vector<float> onCurve; };
  const Case cases[] = {
    {"move line", "M10 20 L30 40", false, {10, 20, 30, 40}},
    {"relative", "m10 20 l5 5 h10 v-5", false, {10, 20, 15, 25, 25, 25, 25, 20}},
    {"absolute H V", "M1 1 H9 V7", false, {1, 1, 9, 1, 9, 7}},
    {"implicit line after move", "M0 0 10 0 10 10", false, {0, 0, 10, 0, 10, 10}},
    {"implicit relative line", "m5 5 5 0 0 5", false, {5, 5, 10, 5, 10, 10}},
    {"compact numbers", "M1.5.5L3-2e1", false, {1.5f, 0.5f, 3, -20}},
    {"exponent", "M1e1 1E-1 L2e+1,0", false, {10, 0.1f, 20, 0}},
    {"close adds the closing line", "M0 0 H10 V10 Z", true, {0, 0, 10, 0, 10, 10, 0, 0}},
    {"close at the start adds nothing", "M0 0 H10 L0 0 z", true, {0, 0, 10, 0, 0, 0}},
    {"cubic", "M0 0 C0 10 10 10 10 0", false, {0, 0, 10, 0}},
    {"relative cubic repeated", "M0 0 c0 10 10 10 10 0 0 10 10 10 10 0", false, {0, 0, 10, 0, 20, 0}},
    {"quadratic", "M0 0 Q3 6 6 0", false, {0, 0, 6, 0}},
    {"smooth forms", "M0 0 Q5 10 10 0 T20 0 s5 5 10 0", false, {0, 0, 10, 0, 20, 0, 30, 0}},
    {"stops at a bad command", "M0 0 L10 0 X 5 5", false, {0, 0, 10, 0}},
    {"stops at a missing argument", "M0 0 L10 0 L5", false, {0, 0, 10, 0}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    const Image img = ParseBody(std::string("<path d='") + c.d + "'/>");
    const auto shapes = Shapes(img);
    ASSERT_EQ(shapes.size(), 1u);
    const NSVGpath* p = shapes[0]->paths;
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->closed != 0, c.closed);
    ExpectNear(OnCurve(p), c.onCurve);
  }
}

TEST(SVGPathData, ControlPointsOfRaisedLinesAndQuadratics)
{
  struct Case { const char* name; const char* d; std::vector<float> pts; };
  const Case cases[] = {
    {"line at thirds", "M0 0 L3 6", {0, 0, 1, 2, 2, 4, 3, 6}},
    {"quadratic raised exactly", "M0 0 Q3 6 6 0", {0, 0, 2, 4, 4, 4, 6, 0}},
    {"smooth cubic reflects the control", "M0 0 C0 10 10 10 10 0 S20 -10 20 0",
      {0, 0, 0, 10, 10, 10, 10, 0, 10, -10, 20, -10, 20, 0}},
    {"smooth quadratic reflects the control", "M0 0 Q5 10 10 0 T20 0",
      {0, 0, 10 / 3.f, 20 / 3.f, 20 / 3.f, 20 / 3.f, 10, 0, 40 / 3.f, -20 / 3.f, 50 / 3.f, -20 / 3.f, 20, 0}},
    {"smooth cubic without a cubic before", "M0 0 S10 10 20 0", {0, 0, 0, 0, 10, 10, 20, 0}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    const Image img = ParseBody(std::string("<path d='") + c.d + "'/>");
    ASSERT_EQ(Shapes(img).size(), 1u);
    const NSVGpath* p = img->shapes->paths;
    ExpectNear(std::vector<float>(p->pts, p->pts + 2 * p->npts), c.pts);
  }
}

TEST(SVGPathData, ArcsBecomeQuarterCubicsOnTheEllipse)
{
  struct Case { const char* name; const char* d; float cx, cy, rx, ry; int segments; float endX, endY; };
  const Case cases[] = {
    {"half circle, small sweep", "M0 50 A50 50 0 0 1 100 50", 50, 50, 50, 50, 2, 100, 50},
    {"half circle the other way", "M0 50 A50 50 0 0 0 100 50", 50, 50, 50, 50, 2, 100, 50},
    {"three quarters (large arc)", "M50 0 A50 50 0 1 1 0 50", 50, 50, 50, 50, 3, 0, 50},
    {"flags without separators", "M50 0a50 50 0 1150 50", 100, 0, 50, 50, 3, 100, 50},
    {"radii grown to reach the end", "M0 0 A1 1 0 0 1 20 0", 10, 0, 10, 10, 2, 20, 0},
    {"ellipse quarter", "M100 50 A40 20 0 0 1 60 70", 60, 50, 40, 20, 1, 60, 70},
    {"rotated ellipse quarter", "M60 90 A40 20 90 0 1 40 50", 60, 50, 20, 40, 1, 40, 50},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    const Image img = ParseBody(std::string("<path d='") + c.d + "'/>");
    ASSERT_EQ(Shapes(img).size(), 1u);
    const NSVGpath* p = img->shapes->paths;
    EXPECT_EQ((p->npts - 1) / 3, c.segments);
    EXPECT_NEAR(p->pts[2 * (p->npts - 1)], c.endX, 1e-3);
    EXPECT_NEAR(p->pts[2 * (p->npts - 1) + 1], c.endY, 1e-3);
    for (int i = 0; i + 3 < p->npts; i += 3)
    {
      float x, y;
      CubicAt(p->pts + 2 * i, 0.5f, x, y);
      const float e = std::hypot((x - c.cx) / c.rx, (y - c.cy) / c.ry);
      EXPECT_NEAR(e * c.rx, c.rx, 0.01) << "segment " << i / 3;
    }
  }
  // A zero radius draws a line; an arc onto its own start is left out.
  const Image line = ParseBody("<path d='M0 0 A0 5 0 0 1 10 0 A5 5 0 0 1 10 0'/>");
  ASSERT_EQ(Shapes(line).size(), 1u);
  ExpectNear(OnCurve(line->shapes->paths), {0, 0, 10, 0});
}

TEST(SVGShapes, BasicShapesFollowTheirPathEquivalents)
{
  struct Case { const char* name; const char* elem; bool closed; std::vector<float> onCurve; };
  const Case cases[] = {
    {"rect", "<rect x='1' y='2' width='10' height='5'/>", true, {1, 2, 11, 2, 11, 7, 1, 7, 1, 2}},
    {"circle starts at (cx + r, cy)", "<circle cx='50' cy='40' r='10'/>", true,
      {60, 40, 50, 50, 40, 40, 50, 30, 60, 40}},
    {"ellipse", "<ellipse cx='50' cy='40' rx='20' ry='10'/>", true, {70, 40, 50, 50, 30, 40, 50, 30, 70, 40}},
    {"line", "<line x1='1' y1='2' x2='3' y2='4'/>", false, {1, 2, 3, 4}},
    {"polyline drops an odd coordinate", "<polyline points='0,0 10,0 10,10 5'/>", false, {0, 0, 10, 0, 10, 10}},
    {"polygon closes", "<polygon points='0 0 10 0 10 10'/>", true, {0, 0, 10, 0, 10, 10, 0, 0}},
    {"rounded rect", "<rect width='20' height='10' rx='2'/>", true,
      {2, 0, 18, 0, 20, 2, 20, 8, 18, 10, 2, 10, 0, 8, 0, 2, 2, 0}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    const Image img = ParseBody(c.elem);
    ASSERT_EQ(Shapes(img).size(), 1u);
    EXPECT_EQ(img->shapes->paths->closed != 0, c.closed);
    ExpectNear(OnCurve(img->shapes->paths), c.onCurve);
  }
  // Zero sizes draw nothing.
  EXPECT_TRUE(Shapes(ParseBody("<rect width='0' height='5'/><circle r='0'/><ellipse rx='3'/>")).empty());
}

TEST(SVGShapes, BoundsAreTight)
{
  // The circle's control points reach outside it; its bounds do not.
  const Image img = ParseBody("<circle cx='50' cy='50' r='10'/><path d='M0 0 Q50 100 100 0'/>");
  const auto shapes = Shapes(img);
  ASSERT_EQ(shapes.size(), 2u);
  ExpectNear({shapes[0]->bounds, shapes[0]->bounds + 4}, {40, 40, 60, 60});
  ExpectNear({shapes[1]->bounds, shapes[1]->bounds + 4}, {0, 0, 100, 50});
}

TEST(SVGUnits, LengthsInEveryUnitAndTheRequestedOutput)
{
  struct Case { const char* width; const char* units; float dpi; float want; };
  const Case cases[] = {
    {"1in", "px", 96, 96}, {"1in", "in", 96, 1}, {"72pt", "px", 96, 96}, {"6pc", "in", 96, 1},
    {"25.4mm", "px", 72, 72}, {"2.54cm", "px", 96, 96}, {"2em", "px", 96, 32}, {"2ex", "px", 96, 16},
    {"50", "px", 96, 50}, {"50px", "mm", 96, 50 * 25.4f / 96}, {"1in", "unknown", 96, 96},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(std::string(c.width) + " in " + c.units);
    const Image img = Parse(std::string("<svg width='") + c.width + "' height='10'></svg>", c.units, c.dpi);
    ASSERT_TRUE(img);
    EXPECT_NEAR(img->width, c.want, 1e-3);
  }
  // Points and stroke widths follow the output unit too.
  const Image mm = Parse("<svg width='96' height='96'><path stroke='red' stroke-width='96' d='M0 0 L96 96'/></svg>",
    "in", 96);
  ASSERT_EQ(Shapes(mm).size(), 1u);
  ExpectNear(OnCurve(mm->shapes->paths), {0, 0, 1, 1});
  EXPECT_NEAR(mm->shapes->strokeWidth, 1.0, 1e-5);
}

TEST(SVGUnits, ViewBoxFitsTheViewport)
{
  struct Case { const char* name; const char* attrs; float width, height; std::vector<float> corners; };
  const Case cases[] = {
    {"meet centres", "width='100' height='100' viewBox='0 0 10 20'", 100, 100, {25, 0, 75, 100}},
    {"xMinYMin", "width='100' height='100' viewBox='0 0 10 20' preserveAspectRatio='xMinYMin'", 100, 100,
      {0, 0, 50, 100}},
    {"slice", "width='100' height='100' viewBox='0 0 10 20' preserveAspectRatio='xMidYMid slice'", 100, 100,
      {0, -50, 100, 150}},
    {"none stretches", "width='100' height='100' viewBox='0 0 10 20' preserveAspectRatio='none'", 100, 100,
      {0, 0, 100, 100}},
    {"origin moved", "width='20' height='40' viewBox='5 5 10 20'", 20, 40, {-10, -10, 10, 30}},
    {"viewBox alone gives the size", "viewBox='0 0 10 20'", 10, 20, {0, 0, 10, 20}},
    {"one side keeps the aspect", "width='50' viewBox='0 0 10 20'", 50, 100, {0, 0, 50, 100}},
    {"no size: the shapes' far corner", "", 10, 20, {0, 0, 10, 20}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    const Image img = Parse(std::string("<svg ") + c.attrs + "><rect width='10' height='20'/></svg>");
    ASSERT_EQ(Shapes(img).size(), 1u);
    EXPECT_NEAR(img->width, c.width, 1e-3);
    EXPECT_NEAR(img->height, c.height, 1e-3);
    ExpectNear({img->shapes->bounds, img->shapes->bounds + 4}, c.corners);
  }
}

TEST(SVGStyle, PaintsOpacitiesAndStrokeProperties)
{
  const Image img = ParseBody(
    "<g fill='#102030' stroke='blue' stroke-width='2' opacity='0.5'>"
    "  <rect width='1' height='1'/>"
    "  <rect width='1' height='1' fill='none' stroke='#abc' stroke-opacity='0.5' opacity='0.5'/>"
    "  <rect width='1' height='1' fill='rgb(255, 0, 50%)' style='fill:red; stroke: none' stroke='green'/>"
    "  <rect width='1' height='1' fill='CornflowerBlue' fill-opacity='50%' fill-rule='evenodd' stroke='rgb(255,0,50%)'/>"
    "</g>"
    "<path d='M0 0 L1 1' stroke='red' stroke-linejoin='round' stroke-linecap='square' stroke-miterlimit='8'"
    "  stroke-dasharray='1 2 3' stroke-dashoffset='4'/>"
    "<path d='M0 0 L1 1' stroke='red' stroke-dasharray='0 0'/>"
    "<rect width='1' height='1' fill='bogus'/>");
  const auto s = Shapes(img);
  ASSERT_EQ(s.size(), 7u);
  struct Want { signed char fillType; uint32_t fill; signed char strokeType; uint32_t stroke; float opacity, width; };
  const Want want[] = {
    {kSVGPaintColor, 0xFF302010, kSVGPaintColor, 0xFFFF0000, 0.5f, 2},
    {kSVGPaintNone, 0, kSVGPaintColor, 0x80CCBBAA, 0.25f, 2},
    {kSVGPaintColor, 0xFF0000FF, kSVGPaintNone, 0, 0.5f, 2},  // style wins over the attribute
    {kSVGPaintColor, 0x80ED9564, kSVGPaintColor, 0xFF8000FF, 0.5f, 2},
    {kSVGPaintNone, 0, kSVGPaintColor, 0xFF0000FF, 1, 1},
    {kSVGPaintColor, 0xFF000000, kSVGPaintColor, 0xFF0000FF, 1, 1},
    {kSVGPaintColor, 0xFF000000, kSVGPaintNone, 0, 1, 1},  // a bad colour keeps the inherited black
  };
  for (size_t i = 0; i < s.size(); ++i)
  {
    SCOPED_TRACE(i);
    if (i == 4 || i == 5)
      continue;  // the stroked paths are checked below
    EXPECT_EQ(s[i]->fill.type, want[i].fillType);
    if (want[i].fillType == kSVGPaintColor)
    {
      EXPECT_EQ(s[i]->fill.color, want[i].fill);
    }
    EXPECT_EQ(s[i]->stroke.type, want[i].strokeType);
    if (want[i].strokeType == kSVGPaintColor)
    {
      EXPECT_EQ(s[i]->stroke.color, want[i].stroke);
    }
    EXPECT_FLOAT_EQ(s[i]->opacity, want[i].opacity);
    EXPECT_FLOAT_EQ(s[i]->strokeWidth, want[i].width);
  }
  EXPECT_EQ(s[3]->fillRule, kSVGFillEvenOdd);
  EXPECT_EQ(s[4]->strokeLineJoin, kSVGJoinRound);
  EXPECT_EQ(s[4]->strokeLineCap, kSVGCapSquare);
  EXPECT_FLOAT_EQ(s[4]->miterLimit, 8);
  ASSERT_EQ(s[4]->strokeDashCount, 6);  // an odd list is repeated
  ExpectNear({s[4]->strokeDashArray, s[4]->strokeDashArray + 6}, {1, 2, 3, 1, 2, 3});
  EXPECT_FLOAT_EQ(s[4]->strokeDashOffset, 4);
  EXPECT_EQ(s[5]->strokeDashCount, 0);  // dashes summing to zero draw solid
}

TEST(SVGStyle, HiddenShapesStayInvisible)
{
  const Image img = ParseBody(
    "<rect width='1' height='1'/>"
    "<rect width='1' height='1' display='none'/>"
    "<rect width='1' height='1' style='visibility:hidden'/>"
    "<g display='none'><rect width='1' height='1' display='inline'/></g>"
    "<g visibility='hidden'><rect width='1' height='1' visibility='visible'/></g>"
    "<defs><rect width='1' height='1'/></defs>");
  const auto s = Shapes(img);
  ASSERT_EQ(s.size(), 5u);  // nothing inside defs is drawn
  const unsigned char want[] = {kSVGFlagsVisible, 0, 0, 0, kSVGFlagsVisible};
  for (size_t i = 0; i < s.size(); ++i)
    EXPECT_EQ(s[i]->flags, want[i]) << i;
}

TEST(SVGTransform, NestedTransformsMovePointsAndScaleStrokes)
{
  struct Case { const char* name; const char* outer; const char* inner; std::vector<float> point; float stroke; };
  const Case cases[] = {
    {"translate then scale", "translate(10,20)", "scale(2)", {12, 22}, 2},
    {"scale then translate", "scale(2)", "translate(10 20)", {22, 42}, 2},
    {"rotate about a point", "", "rotate(90 1 0)", {0, 0}, 1},
    {"rotate", "rotate(90)", "", {-1, 1}, 1},
    {"matrix", "matrix(1 0 0 3 5 6)", "", {6, 9}, 2},
    {"skewX", "skewX(45)", "", {2, 1}, 1.2071068f},
    {"skewY", "skewY(45)", "", {1, 2}, 1.2071068f},
    {"list composes left to right", "translate(10) scale(3,1)", "", {13, 1}, 2},
  };
  // An inner svg element places and fits its own viewBox.
  const Image nested = ParseBody("<svg x='10' y='20' width='20' height='20' viewBox='0 0 10 10'>"
                                 "<path stroke='red' d='M1 1 L2 2'/></svg>");
  ASSERT_EQ(Shapes(nested).size(), 1u);
  ExpectNear({nested->shapes->paths->pts, nested->shapes->paths->pts + 2}, {12, 22});
  EXPECT_FLOAT_EQ(nested->shapes->strokeWidth, 2);
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    const Image img = ParseBody(std::string("<g transform='") + c.outer + "'><path transform='" + c.inner +
      "' stroke='red' d='M1 1 L2 2'/></g>");
    ASSERT_EQ(Shapes(img).size(), 1u);
    ExpectNear({img->shapes->paths->pts, img->shapes->paths->pts + 2}, c.point);
    EXPECT_NEAR(img->shapes->strokeWidth, c.stroke, 1e-5);
  }
}

TEST(SVGGradients, GradientSpaceAndInheritance)
{
  const Image img = ParseBody(
    "<rect x='10' y='20' width='40' height='60' fill='url(#later)'/>"
    "<rect width='100' height='100' fill='url(#user)'/>"
    "<rect x='10' y='10' width='20' height='20' fill='url(#round)'/>"
    "<rect width='1' height='1' fill='url(#child)' fill-opacity='0.5'/>"
    "<rect width='1' height='1' fill='url(#empty)'/>"
    "<rect width='1' height='1' fill='url(#single)'/>"
    "<rect width='1' height='1' fill='url(#missing)'/>"
    "<rect width='1' height='1' fill='url(#flat)'/>"
    "<defs>"
    "  <linearGradient id='later' x1='0' y1='0' x2='0' y2='1' spreadMethod='reflect'>"
    "    <stop offset='-1' stop-color='red'/><stop offset='50%' style='stop-color:#00ff00;stop-opacity:0.5'/>"
    "    <stop offset='0.2' stop-color='blue'/><stop offset='7'/>"
    "  </linearGradient>"
    "  <linearGradient id='user' gradientUnits='userSpaceOnUse' x1='10' y1='0' x2='90' y2='0'"
    "    gradientTransform='translate(0 5)' href='#later'/>"
    "  <radialGradient id='round' cx='0.5' cy='0.5' r='0.5' fx='0.75' spreadMethod='repeat'>"
    "    <stop offset='0'/><stop offset='1' stop-color='white'/></radialGradient>"
    "  <linearGradient id='child' xlink:href='#later'/>"
    "  <linearGradient id='empty'/>"
    "  <linearGradient id='single'><stop stop-color='#123456'/></linearGradient>"
    "  <radialGradient id='flat' r='0' href='#round'/>"
    "</defs>");
  const auto s = Shapes(img);
  ASSERT_EQ(s.size(), 8u);
  auto map = [](const NSVGgradient* g, float x, float y) {
    const float* m = g->xform;
    return std::vector<float>{m[0] * x + m[2] * y + m[4], m[1] * x + m[3] * y + m[5]};
  };
  // Bounding-box units: the top of the rectangle is the start, its bottom
  // the end.
  ASSERT_EQ(s[0]->fill.type, kSVGPaintLinearGradient);
  const NSVGgradient* g = s[0]->fill.gradient;
  ExpectNear(map(g, 10, 20), {0, 0});
  ExpectNear(map(g, 10, 80), {0, 1});
  ExpectNear(map(g, 50, 50), {map(g, 50, 50)[0], 0.5f});
  EXPECT_EQ(g->spread, kSVGSpreadReflect);
  ASSERT_EQ(g->nstops, 4);
  const float offsets[] = {0, 0.5f, 0.5f, 1};  // clamped and never decreasing
  const uint32_t colors[] = {0xFF0000FF, 0x8000FF00, 0xFFFF0000, 0xFF000000};
  for (int i = 0; i < 4; ++i)
  {
    EXPECT_FLOAT_EQ(g->stops[i].offset, offsets[i]);
    EXPECT_EQ(g->stops[i].color, colors[i]);
  }
  // User space with a transform; stops and spread inherited through href.
  ASSERT_EQ(s[1]->fill.type, kSVGPaintLinearGradient);
  ExpectNear(map(s[1]->fill.gradient, 10, 5), {0, 0});
  ExpectNear(map(s[1]->fill.gradient, 90, 5), {0, 1});
  EXPECT_EQ(s[1]->fill.gradient->nstops, 4);
  EXPECT_EQ(s[1]->fill.gradient->spread, kSVGSpreadReflect);
  // Radial: the unit circle round the centre, the focal point inside it.
  ASSERT_EQ(s[2]->fill.type, kSVGPaintRadialGradient);
  ExpectNear(map(s[2]->fill.gradient, 20, 20), {0, 0});
  ExpectNear(map(s[2]->fill.gradient, 30, 20), {1, 0});
  EXPECT_NEAR(s[2]->fill.gradient->fx, 0.5, 1e-5);
  EXPECT_EQ(s[2]->fill.gradient->spread, kSVGSpreadRepeat);
  // The paint's opacity reaches the stops' alpha.
  ASSERT_EQ(s[3]->fill.type, kSVGPaintLinearGradient);
  EXPECT_EQ(s[3]->fill.gradient->stops[0].color, 0x800000FFu);
  // No stops paint nothing, one stop paints its colour, a missing id nothing.
  EXPECT_EQ(s[4]->fill.type, kSVGPaintNone);
  EXPECT_EQ(s[5]->fill.type, kSVGPaintColor);
  EXPECT_EQ(s[5]->fill.color, 0xFF563412u);
  EXPECT_EQ(s[6]->fill.type, kSVGPaintNone);
  // A radius of 0 paints the last stop's colour.
  EXPECT_EQ(s[7]->fill.type, kSVGPaintColor);
  EXPECT_EQ(s[7]->fill.color, 0xFFFFFFFFu);
}

TEST(SVGDocument, XmlDetailsAreReadOrSkipped)
{
  const Image img = Parse(
    "<?xml version='1.0'?><!DOCTYPE svg [ <!ENTITY x 'y'> ]><!-- <svg> in a comment -->"
    "<svg:svg xmlns:svg='http://www.w3.org/2000/svg' width='10' height='10'>"
    "<![CDATA[ <rect width='5' height='5'/> ]]>"
    "<text>Label<rect width='1' height='1'/></text>"
    "<svg:path d='M0 0 L1 1' stroke='&#x72;&#101;d' fill=\"&quot;\"/>"
    "<g><g><rect width='2' height='2'/></g></g>"
    "</svg:svg><rect width='9' height='9'/>");
  const auto s = Shapes(img);
  ASSERT_EQ(s.size(), 2u);  // text content, CDATA and anything after the root are skipped
  EXPECT_EQ(s[0]->stroke.color, 0xFF0000FFu);
  EXPECT_NEAR(s[1]->bounds[2], 2, 1e-5);
}

TEST(SVGDocument, BrokenInputNeverCrashes)
{
  std::string deep = "<svg width='10' height='10'>";
  for (int i = 0; i < 200; ++i)
    deep += "<g>";
  deep += "<rect width='1' height='1'/>";
  for (int i = 0; i < 200; ++i)
    deep += "</g>";
  deep += "<rect width='3' height='3'/></svg>";
  struct Case { std::string name, text; bool image; size_t shapes; };
  const Case cases[] = {
    {"empty", "", false, 0},
    {"no svg element", "<html><body/></html>", false, 0},
    {"cut in a tag", "<svg width='10' height='10'><rect width='1' height='1'/><rect width='2' he", true, 1},
    {"cut in a comment", "<svg><rect width='1' height='1'/><!-- ", true, 1},
    {"deep nesting ends the deep element", deep, true, 1},
    {"overflowing number ends the element", "<svg><rect width='1e999' height='1'/><rect width='1' height='1'/>"
      "<path d='M0 0 L1e999 0'/><g transform='scale(1e999)'><rect width='1' height='1'/></g></svg>", true, 1},
    {"float overflow drops the shape", "<svg><rect width='1e300' height='1'/></svg>", true, 0},
    {"unclosed root", "<svg><rect width='1' height='1'/>", true, 1},
    {"overflowing root size ends the document", "<svg width='1e999'><rect width='1' height='1'/></svg>", true, 0},
    {"stray end tags", "<svg></g></g><rect width='1' height='1'/></svg>", true, 0},
    {"mismatched quotes", "<svg width='10\"><rect width='1' height='1'/></svg>", true, 0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    const Image img = Parse(c.text);
    EXPECT_EQ(img != nullptr, c.image);
    EXPECT_EQ(Shapes(img).size(), c.shapes);
  }
  EXPECT_EQ(nsvgParse(nullptr, "px", 96), nullptr);
  nsvgDelete(nullptr);
}

TEST(SVGDocument, NumbersIgnoreTheProcessLocale)
{
  testsupport::LocaleGuard locale("de_DE.UTF-8");
  if (!locale.IsAvailable())
    GTEST_SKIP() << "no comma-decimal locale on this machine";
  const Image img = Parse("<svg width='10.5' height='2.25'><path d='M0.5 1.5 L2.75 3'/></svg>");
  ASSERT_EQ(Shapes(img).size(), 1u);
  EXPECT_FLOAT_EQ(img->width, 10.5f);
  EXPECT_FLOAT_EQ(img->height, 2.25f);
  ExpectNear(OnCurve(img->shapes->paths), {0.5f, 1.5f, 2.75f, 3});
}

} // namespace
} // namespace plugkit::gfx
