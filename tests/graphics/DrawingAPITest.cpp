// The drawing API, the SVG walk and the drawing conveniences on the
// recording back-end.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "graphics/SVG.h"
#include "tests/support/gfx/FakeEditorDelegate.h"

namespace {

using namespace gfxtest;

class Drawing : public testing::Test
{
protected:
  Drawing() { g = dlg.Open(); }

  // The path and paint calls since the last Reset, one text per call with
  // its points in editor coordinates (arcs: centre, radius, angles).
  std::vector<std::string> PathCalls() const
  {
    std::vector<std::string> out;
    for (const GfxCall& c : g->calls)
    {
      if (c.name == "PathTransformSetMatrix" || c.name == "SetClipRegion")
        continue;
      std::ostringstream s;
      s << c.name;
      const std::vector<float>& v = c.name == "PathArc" ? c.args : c.editorPts;
      for (float f : v)
        s << ' ' << f;
      out.push_back(s.str());
    }
    return out;
  }
  void Reset() { g->calls.clear(); }

  FakeEditorDelegate dlg;
  RecordingGfx* g = nullptr;
};

using Calls = std::vector<std::string>;

TEST_F(Drawing, ShapesBuildTheirPathsFromThePrimitives)
{
  struct Case { const char* name; std::function<void(IGfx&)> draw; Calls want; };
  const Case cases[] = {
    {"circle starts at the top", [](IGfx& gr) { gr.DrawCircle(kColorRed, 50, 40, 10); },
      {"PathClear", "PathMoveTo 50 30", "PathArc 50 40 10 0 360 0", "PathClose", "PathStroke"}},
    {"pie slice of the upper-right quarter", [](IGfx& gr) { gr.FillArc(kColorRed, 50, 40, 10, 0, 90); },
      {"PathClear", "PathMoveTo 50 40", "PathArc 50 40 10 0 90 0", "PathClose", "PathFill"}},
    {"grid lines inside, one stroke", [](IGfx& gr) { gr.DrawGrid(kColorRed, IRECT(0, 0, 100, 50), 25, 25); },
      {"PathClear", "PathMoveTo 25 0", "PathLineTo 25 50", "PathMoveTo 50 0", "PathLineTo 50 50", "PathMoveTo 75 0",
        "PathLineTo 75 50", "PathMoveTo 0 25", "PathLineTo 100 25", "PathStroke"}},
    {"grid spacing of 1 draws none", [](IGfx& gr) { gr.DrawGrid(kColorRed, IRECT(0, 0, 100, 50), 1, 0.5f); },
      {"PathClear", "PathStroke"}},
    {"data edge to edge", [](IGfx& gr) {
        float y[] = {0.f, 1.f};
        gr.DrawData(kColorRed, IRECT(10, 10, 110, 60), y, 2);
      },
      {"PathClear", "PathMoveTo 10 60", "PathLineTo 110 10", "PathStroke"}},
    {"data with x values", [](IGfx& gr) {
        float y[] = {0.5f, 0.5f, 1.f};
        float x[] = {0.9f, 0.25f, 0.5f};
        gr.DrawData(kColorRed, IRECT(0, 0, 100, 100), y, 3, x);
      },
      {"PathClear", "PathMoveTo 0 50", "PathLineTo 25 50", "PathLineTo 50 0", "PathStroke"}},
    {"zero-radius ellipse only clears", [](IGfx& gr) { gr.DrawEllipse(kColorRed, 10, 10, 0, 5); },
      {"PathClear", "PathStroke"}},
    {"rotated ellipse", [](IGfx& gr) { gr.FillEllipse(kColorRed, 10, 20, 4, 2, 90); },
      {"PathClear", "PathMoveTo 12 20", "PathArc 0 0 1 0 360 0", "PathClose", "PathFill"}},
    {"round rect corners clockwise", [](IGfx& gr) { gr.DrawRoundRect(kColorRed, IRECT(0, 0, 40, 20), 1, 2, 3, 4); },
      {"PathClear", "PathMoveTo 0 1", "PathArc 1 1 1 270 360 0", "PathArc 38 2 2 0 90 0", "PathArc 36 16 4 90 180 0",
        "PathArc 3 17 3 180 270 0", "PathClose", "PathStroke"}},
    {"polygon", [](IGfx& gr) {
        float x[] = {0, 10, 5};
        float y[] = {0, 0, 8};
        gr.FillConvexPolygon(kColorRed, x, y, 3);
      },
      {"PathClear", "PathMoveTo 0 0", "PathLineTo 10 0", "PathLineTo 5 8", "PathClose", "PathFill"}},
    {"open arc", [](IGfx& gr) { gr.DrawArc(kColorRed, 5, 6, 7, 10, 20); },
      {"PathClear", "PathArc 5 6 7 10 20 0", "PathStroke"}},
    {"dotted line", [](IGfx& gr) { gr.DrawDottedLine(kColorRed, 1, 2, 3, 4); },
      {"PathClear", "PathMoveTo 1 2", "PathLineTo 3 4", "PathStroke"}},
    {"point", [](IGfx& gr) { gr.DrawPoint(kColorRed, 3, 4); },
      {"PathClear", "PathMoveTo 3 4", "PathLineTo 4 4", "PathLineTo 4 5", "PathLineTo 3 5", "PathClose", "PathFill"}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Reset();
    c.draw(*g);
    EXPECT_EQ(PathCalls(), c.want);
  }
}

// A back-end that gives up on a path no editor could show: a grid that
// never ends fails the test instead of hanging it.
class BoundedPaths : public RecordingGfx
{
public:
  using RecordingGfx::RecordingGfx;
  void PathMoveTo(float x, float y) override
  {
    if (++moves > 100000)
      throw std::runtime_error("the path never ends");
    RecordingGfx::PathMoveTo(x, y);
  }
  int moves = 0;
};

TEST_F(Drawing, GridLinesAreCountedWhereverTheRectangleLies)
{
  const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  // Lines at lo + k x spacing before hi, counted exactly.
  const auto model = [](float lo, float hi, float spacing) {
    int n = 0;
    for (long double x = static_cast<long double>(lo) + spacing; spacing > 1.f && x < hi; x += spacing)
      ++n;
    return n;
  };
  struct Case { const char* name; IRECT r; float h, v; };
  const Case cases[] = {
    {"at the origin", IRECT(0, 0, 100, 50), 25, 25},
    {"far right", IRECT(1e9f, 0, 1e9f + 100, 50), 25, 25},
    {"far up", IRECT(0, -3e9f, 100, -3e9f + 300), 7, 30},
    {"far away and huge spacing", IRECT(-1e12f, -1e12f, 1e12f, 1e12f), 4e11f, 5e11f},
    {"infinite right edge", IRECT(0, 0, inf, 50), 25, 25},
    {"infinite top edge", IRECT(0, -inf, 100, 50), 25, 25},
    {"a NaN edge", IRECT(nan, 0, 100, 50), 25, 25},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    FakeEditorDelegate other;
    BoundedPaths back(other, 400, 300);
    EXPECT_NO_THROW(back.DrawGrid(kColorRed, c.r, c.h, c.v));
    const bool finite = std::isfinite(c.r.L) && std::isfinite(c.r.T) && std::isfinite(c.r.R) && std::isfinite(c.r.B);
    const int want = finite ? model(c.r.L, c.r.R, c.h) + model(c.r.T, c.r.B, c.v) : 0;
    EXPECT_EQ(back.CallsNamed("PathMoveTo").size(), static_cast<size_t>(want));
    EXPECT_EQ(back.CallsNamed("PathStroke").size(), finite ? 1u : 0u) << "nothing drawn for an endless grid";
  }
}

TEST_F(Drawing, EquivalentShapesBuildTheSamePath)
{
  const IRECT r(5, 6, 50, 40);
  Reset();
  g->FillRect(kColorRed, r);
  const Calls rect = PathCalls();
  Reset();
  g->FillRoundRect(kColorRed, r, 0.f);
  EXPECT_EQ(PathCalls(), rect);
  Reset();
  g->PatternFillRect(IPattern(kColorRed), r);
  EXPECT_EQ(PathCalls(), rect);
  Reset();
  g->DrawTriangle(kColorRed, 1, 2, 3, 4, 5, 6);
  const Calls stroked = PathCalls();
  Reset();
  g->FillTriangle(kColorRed, 1, 2, 3, 4, 5, 6);
  Calls filled = PathCalls();
  filled.back() = "PathStroke";
  EXPECT_EQ(filled, stroked);
}

TEST_F(Drawing, EllipseIsStrokedAfterTheTransformIsRestored)
{
  g->PathTransformTranslate(100, 0);
  Reset();
  g->DrawEllipse(kColorRed, IRECT(0, 0, 40, 20), nullptr, 3.f);
  const auto strokes = g->CallsNamed("PathStroke");
  ASSERT_EQ(strokes.size(), 1u);
  EXPECT_EQ(strokes[0].args, std::vector<float>{3.f});
  EXPECT_TRUE(g->CurrentMatrix() == IMatrix(1, 0, 0, 1, 100, 0));
  const auto moves = g->CallsNamed("PathMoveTo");
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0].editorPts, (std::vector<float>{120, 0}));
}

TEST_F(Drawing, DashedShapesStrokeWithOneDash)
{
  g->DrawDottedLine(kColorRed, 0, 0, 10, 0, nullptr, 1.f, 4.f);
  g->DrawDottedRect(kColorRed, IRECT(0, 0, 10, 10), nullptr, 1.f, 3.f);
  const auto strokes = g->CallsNamed("PathStroke");
  ASSERT_EQ(strokes.size(), 2u);
  EXPECT_EQ(strokes[0].stroke.mDash.mCount, 1);
  EXPECT_EQ(strokes[0].stroke.mDash.mArray[0], 4.f);
  EXPECT_EQ(strokes[1].stroke.mDash.mArray[0], 3.f);
}

// A parsed image owned by the test.
struct Svg
{
  explicit Svg(const std::string& body, const char* size = "width='100' height='100'")
    : image(plugkit::gfx::nsvgParse(("<svg " + std::string(size) + ">" + body + "</svg>").c_str(), "px", 96))
  {
  }
  ~Svg() { plugkit::gfx::nsvgDelete(image); }
  ISVG Get() const { return ISVG(image); }
  NSVGimage* image;
};

TEST_F(Drawing, SvgHolesAreFoundByTheRayTest)
{
  struct Case { const char* name; const char* d; std::vector<float> windings; };
  const Case cases[] = {
    {"circle inside a square, square beside",
      "M0 0 H100 V100 H0 Z M50 25 A25 25 0 1 1 50 75 A25 25 0 1 1 50 25 Z M200 0 H210 V10 H200 Z", {0, 1, 0}},
    {"open square: its closing edge counts", "M0 0 V100 H100 V0 M50 25 A25 25 0 1 1 50 75 A25 25 0 1 1 50 25 Z",
      {0, 1}},
    {"ring in a ring in a square",
      "M0 0 H100 V100 H0 Z M10 10 H90 V90 H10 Z M20 20 H80 V80 H20 Z", {0, 1, 0}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Reset();
    const Svg svg(std::string("<path d='") + c.d + "'/>", "width='300' height='100'");
    g->DrawSVG(svg.Get(), IRECT(0, 0, 300, 100));
    std::vector<float> windings;
    for (const GfxCall& call : g->CallsNamed("PathSetWinding"))
      windings.push_back(call.args[0]);
    EXPECT_EQ(windings, c.windings);
    const auto fills = g->CallsNamed("PathFill");
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].fill.mFillRule, kFillPreserve);
  }
}

TEST_F(Drawing, SvgPaintsBecomePatterns)
{
  std::string stops;
  for (int i = 0; i < 20; ++i)
    stops += "<stop offset='" + std::to_string(i / 20.0) + "' stop-color='#102030' stop-opacity='0.2'/>";
  const Svg svg(
    "<rect width='10' height='10' fill='#102030' opacity='0.5'/>"
    "<rect width='10' height='10' fill='url(#g)' stroke='red' stroke-width='3' stroke-linejoin='bevel'"
    "  stroke-linecap='round' stroke-miterlimit='7' stroke-dasharray='2 1' stroke-dashoffset='1'/>"
    "<rect width='10' height='10' fill='red' display='none'/>"
    "<rect width='10' height='10' fill='none' stroke='blue'/>"
    "<linearGradient id='g' spreadMethod='reflect' x2='0' y2='1'>" + stops + "</linearGradient>");
  g->DrawSVG(svg.Get(), IRECT(0, 0, 100, 100));
  const auto fills = g->CallsNamed("PathFill");
  const auto strokes = g->CallsNamed("PathStroke");
  ASSERT_EQ(fills.size(), 2u);  // the hidden shape is skipped
  ASSERT_EQ(strokes.size(), 2u);
  EXPECT_EQ(fills[0].pattern.mType, kSolidPattern);
  EXPECT_EQ(fills[0].pattern.GetStop(0).mColor, IColor(128, 16, 32, 48));
  EXPECT_FALSE(fills[0].fill.mPreserve);
  const IPattern& grad = fills[1].pattern;
  EXPECT_TRUE(fills[1].fill.mPreserve);  // a stroke follows on the same path
  EXPECT_EQ(grad.mType, kLinearPattern);
  EXPECT_EQ(grad.mExtend, kExtendReflect);
  ASSERT_EQ(grad.NStops(), IPattern::kMaxStops);
  for (int i = 0; i < grad.NStops(); ++i)
    EXPECT_EQ(grad.GetStop(i).mColor, IColor(255, 16, 32, 48));
  // Gradient space runs from the top of the rectangle (0, 0) to its bottom
  // (0, 1); the pattern carries that mapping.
  double x = 5, y = 10;
  grad.mTransform.TransformPoint(x, y);
  EXPECT_NEAR(y, 1.0, 1e-5);
  const IStrokeOptions& o = strokes[0].stroke;
  EXPECT_EQ(strokes[0].args[0], 3.f);
  EXPECT_EQ(o.mJoinOption, kJoinBevel);
  EXPECT_EQ(o.mCapOption, kCapRound);
  EXPECT_EQ(o.mMiterLimit, 7.f);
  EXPECT_EQ(o.mDash.mCount, 2);
  EXPECT_EQ(o.mDash.mOffset, 1.f);
  EXPECT_EQ(strokes[1].pattern.GetStop(0).mColor, kColorBlue);
}

TEST_F(Drawing, SvgIsFittedIntoItsBoundsKeepingItsAspect)
{
  const Svg svg("<path d='M100 50 L0 0'/>", "width='100' height='50'");
  g->DrawSVG(svg.Get(), IRECT(10, 20, 60, 120));
  const auto moves = g->CallsNamed("PathMoveTo");
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0].editorPts, (std::vector<float>{60, 45}));
  EXPECT_TRUE(g->CurrentMatrix() == IMatrix());
  Reset();
  g->DrawRotatedSVG(svg.Get(), 50, 50, 100, 50, 90);
  ASSERT_EQ(g->CallsNamed("PathMoveTo").size(), 1u);
  const auto p = g->CallsNamed("PathMoveTo")[0].editorPts;
  EXPECT_NEAR(p[0], 25, 1e-4);
  EXPECT_NEAR(p[1], 100, 1e-4);
}

TEST_F(Drawing, EmptyImagesDrawNothing)
{
  // An image without a size, the invalid SVG and bitmaps without pixels
  // would otherwise be scaled by a division by zero.
  const Svg sizeless("", "width='0' height='0'");
  MemoryBitmap empty(0, 0, 1, 1);
  g->DrawSVG(sizeless.Get(), IRECT(0, 0, 10, 10));
  g->DrawSVG(ISVG(), IRECT(0, 0, 10, 10));
  g->DrawRotatedSVG(ISVG(), 0, 0, 10, 10, 45);
  g->DrawFittedBitmap(IBitmap(), IRECT(0, 0, 10, 10));
  g->DrawFittedBitmap(IBitmap(&empty, 1, false), IRECT(0, 0, 10, 10));
  g->DrawRotatedBitmap(IBitmap(&empty, 1, false), 5, 5, 30);
  g->DrawBitmapFrame(IBitmap(), IRECT(0, 0, 10, 10), 2);
  EXPECT_TRUE(g->calls.empty());
}

TEST_F(Drawing, FittedBitmapIsScaledIntoItsBounds)
{
  MemoryBitmap pixels(40, 20, 2, 1);  // 20 x 10 points
  g->DrawFittedBitmap(IBitmap(&pixels, 1, false), IRECT(10, 10, 50, 50));
  const auto draws = g->CallsNamed("DrawBitmap");
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].editorPts, (std::vector<float>{10, 10, 50, 50}));
}

TEST_F(Drawing, BitmapFramesAreClampedAndOffset)
{
  MemoryBitmap strip(10, 100, 1, 1);
  const IBitmap vertical(&strip, 10, false), horizontal(&strip, 5, true);
  struct Case { const IBitmap* bitmap; int frame; float srcX, srcY; };
  const Case cases[] = {
    {&vertical, 0, 0, 0}, {&vertical, -1, 0, 0}, {&vertical, 1, 0, 0}, {&vertical, 4, 0, 30},
    {&vertical, 11, 0, 90}, {&horizontal, 3, 4, 0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.frame);
    Reset();
    g->DrawBitmapFrame(*c.bitmap, IRECT(0, 0, 10, 10), c.frame);
    const auto draws = g->CallsNamed("DrawBitmap");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].args[4], c.srcX);
    EXPECT_EQ(draws[0].args[5], c.srcY);
  }
}

TEST_F(Drawing, BitmapTextWrapsEveryCharacterInsideItsBounds)
{
  MemoryBitmap font(10, 960, 1, 1);  // 96 frames of 10 x 10
  const IBitmap bitmap(&font, 96, false);
  struct Case { const char* name; const char* str; bool multiline; EAlign align; int charWidth; std::vector<float> lefts; };
  const Case cases[] = {
    // 29 wide holds two characters of 10 per line: ten need five lines.
    {"multiline centred", "ABCDEFGHIJ", true, kCenter, 10, {4.5f, 14.5f, 4.5f, 14.5f, 4.5f, 14.5f, 4.5f, 14.5f, 4.5f, 14.5f}},
    {"last line by its own width", "ABC", true, kCenter, 10, {4.5f, 14.5f, 9.5f}},
    {"right aligned", "ABC", true, kFar, 10, {9, 19, 19}},
    {"single line shows what fits", "ABCDEFGHIJ", false, kNear, 10, {0, 10}},
    {"zero character width draws nothing", "ABC", true, kNear, 0, {}},
    {"characters wider than the bounds", "ABC", true, kNear, 30, {}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Reset();
    IText text;
    text.mAlign = c.align;
    g->DrawBitmapText(bitmap, IRECT(0, 0, 29, 100), text, nullptr, c.str, false, c.multiline, c.charWidth, 10);
    std::vector<float> lefts;
    for (const GfxCall& d : g->CallsNamed("DrawBitmap"))
    {
      lefts.push_back(d.editorPts[0]);
      EXPECT_GE(d.editorPts[0], 0.f);
      EXPECT_LE(d.editorPts[2], 29.f);
    }
    EXPECT_EQ(lefts, c.lefts);
  }
  // Frames: a space and a control character are frame 1, 'A' (65) frame 34.
  Reset();
  g->DrawBitmapText(bitmap, IRECT(0, 0, 100, 10), IText(), nullptr, " \tA", false, false, 10, 10);
  const auto draws = g->CallsNamed("DrawBitmap");
  ASSERT_EQ(draws.size(), 3u);
  EXPECT_EQ(draws[0].args[5], 0.f);
  EXPECT_EQ(draws[1].args[5], 0.f);
  EXPECT_EQ(draws[2].args[5], 330.f);
}

TEST_F(Drawing, LineConveniencesPlaceTheirLines)
{
  const IRECT r(10, 20, 110, 70);
  struct Case { const char* name; std::function<void(IGfx&)> draw; std::vector<float> pts; };
  const Case cases[] = {
    {"vertical past the right", [&](IGfx& gr) { gr.DrawVerticalLine(kColorRed, r, 1.5f); }, {110, 20, 110, 70}},
    {"vertical past the left", [&](IGfx& gr) { gr.DrawVerticalLine(kColorRed, r, -1.f); }, {10, 20, 10, 70}},
    {"vertical truncates", [&](IGfx& gr) { gr.DrawVerticalLine(kColorRed, r, 0.337f); }, {43, 20, 43, 70}},
    {"horizontal at 0 is the bottom", [&](IGfx& gr) { gr.DrawHorizontalLine(kColorRed, r, 0.f); }, {10, 70, 110, 70}},
    {"horizontal at 1 is the top", [&](IGfx& gr) { gr.DrawHorizontalLine(kColorRed, r, 3.f); }, {10, 20, 110, 20}},
    {"radial at 90 goes right", [](IGfx& gr) { gr.DrawRadialLine(kColorRed, 50, 50, 90, 10, 20); }, {60, 50, 70, 50}},
    {"radial at 180 goes down", [](IGfx& gr) { gr.DrawRadialLine(kColorRed, 50, 50, 180, 10, 20); }, {50, 60, 50, 70}},
    {"radial at 0 goes up", [](IGfx& gr) { gr.PathRadialLine(50, 50, 0, 0, 20); }, {50, 50, 50, 30}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Reset();
    c.draw(*g);
    std::vector<float> pts;
    for (const GfxCall& call : g->calls)
      if (call.name == "PathMoveTo" || call.name == "PathLineTo")
        pts.insert(pts.end(), call.editorPts.begin(), call.editorPts.end());
    ASSERT_EQ(pts.size(), c.pts.size());
    for (size_t i = 0; i < pts.size(); ++i)
      EXPECT_NEAR(pts[i], c.pts[i], 1e-4) << i;
  }
}

TEST_F(Drawing, EmptyTextIsNeitherDrawnNorMeasured)
{
  IRECT bounds(1, 2, 3, 4);
  EXPECT_EQ(g->MeasureText(IText(), "", bounds), 0.f);
  EXPECT_EQ(g->MeasureText(IText(), nullptr, bounds), 0.f);
  EXPECT_EQ(bounds, IRECT(1, 2, 3, 4));
  g->DrawText(IText(), "", bounds);
  g->DrawText(IText(), nullptr, 5, 5);
  EXPECT_TRUE(g->calls.empty());
  EXPECT_EQ(g->MeasureText(IText(10), "abcd", bounds), 20.f);
  g->DrawText(IText(), "hi", 5, 6);
  ASSERT_EQ(g->CallsNamed("DoDrawText").size(), 1u);
  EXPECT_EQ(g->CallsNamed("DoDrawText")[0].args, (std::vector<float>{5, 6, 5, 6}));
}

} // namespace
