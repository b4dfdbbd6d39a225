// The same antialiased scenes through the Metal renderer on the stand-in
// GPU and through NanoVG's OpenGL 3 back-end on Mesa: every channel of
// every pixel within 2 (a little more where a scene says why). Aliased
// scenes are left out: an aliased edge
// through a pixel centre may fall either way.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "../platform/MetalCanvas.h"
#include "GLReference.h"

namespace {

constexpr int kWidth = 96, kHeight = 64;
const char* const kRoboto = "/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Regular.ttf";

using Draw = std::function<void(NVGcontext*)>;

struct Scene
{
  std::string name;
  Draw draw;
  float ratio = 1.0f;
  int tolerance = 2; // per channel
};

void Fill(NVGcontext* vg, NVGcolor c)
{
  nvgFillColor(vg, c);
  nvgFill(vg);
}

void Rect(NVGcontext* vg, float x, float y, float w, float h)
{
  nvgBeginPath(vg);
  nvgRect(vg, x, y, w, h);
}

int TestImage(NVGcontext* vg, int flags)
{
  static const uint8_t pixels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
  return nvgCreateImageRGBA(vg, 2, 2, flags, pixels);
}

std::vector<Scene> Scenes()
{
  std::vector<Scene> s = {
    {"half white square", [](NVGcontext* vg) { Rect(vg, 10, 10, 20, 20), Fill(vg, nvgRGBAf(1, 1, 1, 0.5f)); }},
    {"edges at quarter pixels", [](NVGcontext* vg) { Rect(vg, 10.25f, 10.6f, 20, 20.3f), Fill(vg, nvgRGBf(1, 1, 1)); }},
    {"scissor", [](NVGcontext* vg) {
       nvgScissor(vg, 10.25f, 10, 20, 20);
       Rect(vg, 0, 0, kWidth, kHeight), Fill(vg, nvgRGBf(1, 0.5f, 0));
     }},
    {"rotated scissor", [](NVGcontext* vg) {
       nvgTranslate(vg, 40, 30);
       nvgRotate(vg, 0.4f);
       nvgScissor(vg, -15, -10, 30, 20);
       nvgResetTransform(vg);
       Rect(vg, 0, 0, kWidth, kHeight), Fill(vg, nvgRGBf(0, 0.5f, 1));
     }},
    {"hole", [](NVGcontext* vg) {
       nvgBeginPath(vg);
       nvgRect(vg, 10, 4, 40, 40);
       nvgCircle(vg, 30, 24, 10);
       nvgPathWinding(vg, NVG_HOLE);
       Fill(vg, nvgRGBf(1, 1, 1));
     }},
    {"star", [](NVGcontext* vg) {
       nvgBeginPath(vg);
       for (int k = 0; k < 5; ++k)
       {
         float a = static_cast<float>(k * 4 * M_PI / 5 - M_PI / 2);
         k == 0 ? nvgMoveTo(vg, 48 + 25 * std::cos(a), 32 + 25 * std::sin(a))
                : nvgLineTo(vg, 48 + 25 * std::cos(a), 32 + 25 * std::sin(a));
       }
       nvgClosePath(vg);
       Fill(vg, nvgRGBAf(0.9f, 0.8f, 0.1f, 0.8f));
     }},
    {"linear gradient", [](NVGcontext* vg) {
       Rect(vg, 0, 0, kWidth, kHeight);
       nvgFillPaint(vg, nvgLinearGradient(vg, 0, 0, 100, 0, nvgRGBf(0, 0, 0), nvgRGBf(1, 1, 1)));
       nvgFill(vg);
     }},
    {"box and radial gradients", [](NVGcontext* vg) {
       nvgBeginPath(vg);
       nvgRoundedRect(vg, 4, 4, 50, 30, 6);
       nvgFillPaint(vg, nvgBoxGradient(vg, 4, 6, 50, 30, 6, 8, nvgRGBAf(0, 0, 0, 0.6f), nvgRGBAf(1, 1, 1, 0.1f)));
       nvgFill(vg);
       nvgBeginPath(vg);
       nvgCircle(vg, 64, 40, 20);
       nvgFillPaint(vg, nvgRadialGradient(vg, 60, 36, 3, 20, nvgRGBf(1, 0.9f, 0.2f), nvgRGBAf(0.2f, 0, 0.6f, 0.5f)));
       nvgFill(vg);
     }},
    {"image pattern, linear", [](NVGcontext* vg) {
       int id = TestImage(vg, 0);
       Rect(vg, 2, 2, 40, 30);
       nvgFillPaint(vg, nvgImagePattern(vg, 2, 2, 8, 8, 0, id, 1));
       nvgFill(vg);
       Rect(vg, 50, 10, 40, 40);
       nvgFillPaint(vg, nvgImagePattern(vg, 52, 8, 20, 14, 0.5f, id, 0.7f));
       nvgFill(vg);
     }},
    {"image pattern, nearest and repeated", [](NVGcontext* vg) {
       int id = TestImage(vg, NVG_IMAGE_NEAREST | NVG_IMAGE_REPEATX | NVG_IMAGE_REPEATY);
       Rect(vg, 0, 0, kWidth, kHeight);
       nvgFillPaint(vg, nvgImagePattern(vg, 1, 1, 6, 6, 0, id, 1));
       nvgFill(vg);
     }},
    {"arcs", [](NVGcontext* vg) {
       nvgBeginPath(vg);
       nvgArc(vg, 25, 30, 18, 0.3f, 4.0f, NVG_CW);
       nvgStrokeColor(vg, nvgRGBf(1, 1, 1));
       nvgStrokeWidth(vg, 3);
       nvgStroke(vg);
       nvgBeginPath(vg);
       nvgMoveTo(vg, 70, 30);
       nvgArc(vg, 70, 30, 20, -1.0f, 1.2f, NVG_CCW);
       nvgClosePath(vg);
       Fill(vg, nvgRGBAf(0.2f, 0.7f, 1, 0.7f));
       nvgBeginPath(vg);
       nvgMoveTo(vg, 40, 58);
       nvgArcTo(vg, 60, 40, 90, 58, 10);
       nvgStrokeWidth(vg, 1.5f);
       nvgStroke(vg);
     }},
    {"text", [](NVGcontext* vg) {
       int font = nvgCreateFont(vg, "roboto", kRoboto);
       ASSERT_GE(font, 0);
       nvgFontFace(vg, "roboto");
       nvgFontSize(vg, 15);
       nvgFillColor(vg, nvgRGBf(1, 1, 1));
       nvgText(vg, 4, 20, "Tolvane 3", nullptr);
       nvgFontSize(vg, 11);
       nvgFillColor(vg, nvgRGBAf(1, 0.8f, 0.3f, 0.8f));
       nvgText(vg, 6.3f, 40.5f, "-12.5 dB", nullptr);
     }},
    {"ratio 1.5", [](NVGcontext* vg) {
       nvgBeginPath(vg);
       nvgRoundedRect(vg, 5.5f, 5, 40, 25, 5);
       Fill(vg, nvgRGBAf(0.3f, 0.3f, 0.8f, 0.9f));
       nvgBeginPath(vg);
       nvgMoveTo(vg, 2, 55);
       nvgBezierTo(vg, 30, 10, 60, 70, 94, 20);
       nvgStrokeColor(vg, nvgRGBf(0.9f, 0.9f, 0.2f));
       nvgStrokeWidth(vg, 1.5f);
       nvgStroke(vg);
       nvgCreateFont(vg, "roboto", kRoboto);
       nvgFontFace(vg, "roboto");
       nvgFontSize(vg, 12);
       nvgFillColor(vg, nvgRGBf(1, 1, 1));
       nvgText(vg, 50, 20, "Gain", nullptr);
     },
     1.5f},
  };
  // Drawn smaller, a mipmapped image shows the level (and the blend of two
  // levels) the reference picks: stripes of four pixels average to other
  // colours at every level, so a wrong level shows by tens of units. The
  // reference takes the level of detail from an approximate logarithm, so
  // the blend of two levels may differ by a few.
  s.push_back({"mipmapped image drawn smaller", [](NVGcontext* vg) {
                 std::vector<uint8_t> stripes(64 * 64 * 4);
                 for (int y = 0; y < 64; ++y)
                   for (int x = 0; x < 64; ++x)
                   {
                     uint8_t* p = &stripes[(size_t(y) * 64 + size_t(x)) * 4];
                     const bool red = (x / 4) % 2 == 0, light = (y / 8) % 3 == 0;
                     p[0] = red ? 255 : 0, p[1] = light ? 255 : 0, p[2] = red ? 0 : 255, p[3] = 255;
                   }
                 int id = nvgCreateImageRGBA(vg, 64, 64, NVG_IMAGE_GENERATE_MIPMAPS, stripes.data());
                 const float sizes[] = {32, 21, 13, 8, 5};
                 float x = 1;
                 for (float size : sizes)
                 {
                   Rect(vg, x, 2, size, size);
                   nvgFillPaint(vg, nvgImagePattern(vg, x, 2, size, size, 0, id, 1));
                   nvgFill(vg);
                   x += size + 2;
                 }
                 Rect(vg, 2, 38, 60, 24);
                 nvgFillPaint(vg, nvgImagePattern(vg, 2, 38, 10, 24, 0, id, 1)); // squeezed across only
                 nvgFill(vg);
               },
               1.0f, 6});
  const int caps[] = {NVG_BUTT, NVG_ROUND, NVG_SQUARE};
  const int joins[] = {NVG_MITER, NVG_ROUND, NVG_BEVEL};
  for (int cap : caps)
    for (int join : joins)
      s.push_back({"cap " + std::to_string(cap) + " join " + std::to_string(join), [cap, join](NVGcontext* vg) {
                     nvgBeginPath(vg);
                     nvgMoveTo(vg, 10, 50);
                     nvgLineTo(vg, 30, 10.5f);
                     nvgLineTo(vg, 50.3f, 45);
                     nvgLineTo(vg, 85, 20);
                     nvgLineCap(vg, cap);
                     nvgLineJoin(vg, join);
                     nvgStrokeWidth(vg, 7);
                     nvgStrokeColor(vg, nvgRGBAf(1, 1, 1, 0.6f));
                     nvgStroke(vg);
                   }});
  const int operations[] = {NVG_SOURCE_OVER,      NVG_SOURCE_IN,       NVG_SOURCE_OUT, NVG_ATOP,
                            NVG_DESTINATION_OVER, NVG_DESTINATION_IN,  NVG_DESTINATION_OUT,
                            NVG_DESTINATION_ATOP, NVG_LIGHTER,         NVG_COPY,       NVG_XOR};
  for (int op : operations)
    s.push_back({"composite operation " + std::to_string(op), [op](NVGcontext* vg) {
                   Rect(vg, 10, 10, 40, 30), Fill(vg, nvgRGBAf(1, 0, 0, 0.8f));
                   nvgGlobalCompositeOperation(vg, op);
                   nvgBeginPath(vg);
                   nvgCircle(vg, 45, 35, 20);
                   Fill(vg, nvgRGBAf(0, 0.4f, 1, 0.6f));
                 }});
  s.push_back({"source alpha saturate", [](NVGcontext* vg) {
                 Rect(vg, 10, 10, 40, 30), Fill(vg, nvgRGBAf(1, 0, 0, 0.5f));
                 nvgGlobalCompositeBlendFunc(vg, NVG_SRC_ALPHA_SATURATE, NVG_ONE);
                 nvgBeginPath(vg);
                 nvgCircle(vg, 45, 35, 20);
                 Fill(vg, nvgRGBAf(0, 0.4f, 1, 0.8f));
               }});
  return s;
}

} // namespace

class MetalNanoVGComparisonTest : public MetalTest
{
protected:
  void SetUp() override
  {
    MetalTest::SetUp();
    std::string why;
    if (!glreference::Available(&why))
      FAIL() << "headless OpenGL unavailable: " << why;
  }
};

TEST_F(MetalNanoVGComparisonTest, AntialiasedScenesMatchNanoVGsOpenGLBackEnd)
{
  struct Flags
  {
    const char* name;
    int metal, gl;
  } variants[] = {{"antialias", MVG_ANTIALIAS | MVG_TRIPLE_BUFFER, 1},
                  {"antialias, stencil strokes", MVG_ANTIALIAS | MVG_STENCIL_STROKES, 1 | 2}};
  for (const Scene& scene : Scenes())
    for (const Flags& f : variants)
    {
      SCOPED_TRACE(scene.name + ", " + f.name);
      MetalCanvas canvas(f.metal, scene.ratio, kWidth, kHeight);
      std::vector<uint8_t> metal = canvas.Draw(scene.draw);
      std::vector<uint8_t> gl = glreference::Draw(kWidth, kHeight, scene.ratio, f.gl, scene.draw);
      ASSERT_EQ(gl.size(), metal.size());
      int w = static_cast<int>(kWidth * scene.ratio);
      int worst = 0, bad = 0;
      size_t worstAt = 0;
      for (size_t i = 0; i < gl.size(); ++i)
      {
        int d = std::abs(int(gl[i]) - int(metal[i]));
        bad += d > scene.tolerance;
        if (d > worst)
          worst = d, worstAt = i;
      }
      EXPECT_LE(worst, scene.tolerance) << bad << " channels differ by more than " << scene.tolerance
                                        << "; worst at pixel (" << (worstAt / 4) % w << ", " << (worstAt / 4) / w
                                        << ") channel " << worstAt % 4 << ": metal " << int(metal[worstAt])
                                        << ", gl " << int(gl[worstAt]);
      size_t drawn = 0;
      for (size_t i = 3; i < gl.size(); i += 4)
        drawn += gl[i] != 0;
      EXPECT_GT(drawn, 0u) << "the scene draws something";
    }
}
