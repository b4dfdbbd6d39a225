// Pixels drawn through NanoVG and the Metal renderer into a 64 x 48 target
// at ratio 1, with and without antialias. Expected values are worked out
// by hand from pixel-centre coverage.

#include <gtest/gtest.h>

#include <stb_image_write.h>

#include <cmath>
#include <cstdio>

#include "MetalCanvas.h"

namespace {

struct Mode
{
  const char* name;
  int flags;
};
const Mode kModes[] = {{"antialias", MVG_ANTIALIAS}, {"aliased", 0}, {"antialias, stencil strokes", MVG_ANTIALIAS | MVG_STENCIL_STROKES}};

using Pixels = std::vector<uint8_t>;

int CountAlpha(const Pixels& rgba, const std::function<bool(int)>& test)
{
  int n = 0;
  for (size_t i = 3; i < rgba.size(); i += 4)
    n += test(rgba[i]);
  return n;
}

std::vector<int> Row(const Pixels& rgba, int y, int x0, int x1, int channel)
{
  std::vector<int> row;
  for (int x = x0; x <= x1; ++x)
    row.push_back(MetalCanvas::At(rgba, x, y, channel));
  return row;
}

std::vector<int> operator+(std::vector<int> a, const std::vector<int>& b)
{
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<int> Column(const Pixels& rgba, int x, int y0, int y1, int channel)
{
  std::vector<int> column;
  for (int y = y0; y <= y1; ++y)
    column.push_back(MetalCanvas::At(rgba, x, y, channel));
  return column;
}

void FillRect(NVGcontext* vg, float x, float y, float w, float h, NVGcolor color)
{
  nvgBeginPath(vg);
  nvgRect(vg, x, y, w, h);
  nvgFillColor(vg, color);
  nvgFill(vg);
}

} // namespace

using MetalPixelTest = MetalTest;

TEST_F(MetalPixelTest, HalfWhiteSquareAtIntegerCornersCoversEachPixelOnce)
{
  for (const Mode& mode : kModes)
  {
    SCOPED_TRACE(mode.name);
    MetalCanvas canvas(mode.flags);
    Pixels px = canvas.Draw([](NVGcontext* vg) { FillRect(vg, 10, 10, 20, 20, nvgRGBAf(1, 1, 1, 0.5f)); });
    // A pixel drawn twice (fan diagonal, fringe) would read 191.
    EXPECT_EQ(400, CountAlpha(px, [](int a) { return a == 128; }));
    EXPECT_EQ(400, CountAlpha(px, [](int a) { return a != 0; }));
    EXPECT_EQ(128, MetalCanvas::At(px, 10, 10, 3));
    EXPECT_EQ(128, MetalCanvas::At(px, 29, 29, 3));
  }
}

TEST_F(MetalPixelTest, AntialiasedEdgesAndScissorCoverPixelsByArea)
{
  const std::vector<int> want = {0, 191, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255,
                                 255, 255, 255, 255, 255, 255, 255, 255, 255, 64, 0};
  struct Case
  {
    const char* name;
    std::function<void(NVGcontext*)> draw;
  } cases[] = {
    {"rectangle from 10.25 to 30.25", [](NVGcontext* vg) { FillRect(vg, 10.25f, 10, 20, 20, nvgRGBAf(1, 1, 1, 1)); }},
    {"scissor over a full fill",
     [](NVGcontext* vg) {
       nvgScissor(vg, 10.25f, 10, 20, 20);
       FillRect(vg, 0, 0, 64, 48, nvgRGBAf(1, 1, 1, 1));
     }},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    MetalCanvas canvas(MVG_ANTIALIAS);
    Pixels px = canvas.Draw(c.draw);
    EXPECT_EQ(want, Row(px, 20, 9, 31, 3));
    EXPECT_EQ(want, Row(px, 20, 9, 31, 0));
  }
}

TEST_F(MetalPixelTest, StencilFillsLeaveHolesEmptyAndTheStencilClear)
{
  for (const Mode& mode : kModes)
  {
    SCOPED_TRACE(mode.name);
    MetalCanvas canvas(mode.flags);
    standin::SetStencilTrace(true);
    Pixels px = canvas.Draw([](NVGcontext* vg) {
      nvgBeginPath(vg);
      nvgRect(vg, 10, 4, 40, 40);
      nvgRect(vg, 20, 14, 20, 20);
      nvgPathWinding(vg, NVG_HOLE);
      nvgFillColor(vg, nvgRGBAf(1, 1, 1, 1));
      nvgFill(vg);
    });
    EXPECT_EQ(1200, CountAlpha(px, [](int a) { return a == 255; }));
    EXPECT_EQ(1200, CountAlpha(px, [](int a) { return a != 0; }));
    EXPECT_EQ(0, MetalCanvas::At(px, 30, 24, 3));
    std::vector<int> trace = standin::StencilTrace();
    ASSERT_FALSE(trace.empty());
    EXPECT_GT(trace.front(), 0) << "the fan marks the shape";
    EXPECT_EQ(0, trace.back()) << "the cover zeroes the stencil";

    // A self-crossing star: its centre winds twice and is filled.
    px = canvas.Draw([](NVGcontext* vg) {
      nvgBeginPath(vg);
      for (int k = 0; k < 5; ++k)
      {
        float angle = static_cast<float>(k * 4 * M_PI / 5 - M_PI / 2);
        float x = 32 + 20 * std::cos(angle), y = 24 + 20 * std::sin(angle);
        k == 0 ? nvgMoveTo(vg, x, y) : nvgLineTo(vg, x, y);
      }
      nvgClosePath(vg);
      nvgFillColor(vg, nvgRGBAf(1, 1, 1, 1));
      nvgFill(vg);
    });
    EXPECT_EQ(255, MetalCanvas::At(px, 32, 24, 3));
    EXPECT_EQ(255, MetalCanvas::At(px, 32, 8, 3)) << "a point of the star";
    EXPECT_EQ(0, MetalCanvas::At(px, 20, 10, 3)) << "outside the star";
    EXPECT_EQ(0, standin::StencilTrace().back());
  }
}

TEST_F(MetalPixelTest, LinearGradientAndImagePatternsSampleAtPixelCentres)
{
  for (const Mode& mode : kModes)
  {
    SCOPED_TRACE(mode.name);
    MetalCanvas canvas(mode.flags);
    Pixels px = canvas.Draw([](NVGcontext* vg) {
      nvgBeginPath(vg);
      nvgRect(vg, 0, 0, 64, 48);
      nvgFillPaint(vg, nvgLinearGradient(vg, 0, 0, 100, 0, nvgRGBAf(0, 0, 0, 1), nvgRGBAf(1, 1, 1, 1)));
      nvgFill(vg);
    });
    const int columns[] = {0, 25, 50, 63}, want[] = {1, 65, 129, 162};
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(want[i], MetalCanvas::At(px, columns[i], 20, 0)) << "column " << columns[i];

    const uint8_t image[] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    struct Filter
    {
      const char* name;
      int flags;
      std::vector<int> redRow0, blueColumn0;
    } filters[] = {
      {"linear", 0, {255, 255, 223, 159, 96, 32, 0, 0}, {0, 0, 32, 96, 159, 223, 255, 255}},
      {"nearest", NVG_IMAGE_NEAREST, {255, 255, 255, 255, 0, 0, 0, 0}, {0, 0, 0, 0, 255, 255, 255, 255}},
    };
    for (const Filter& f : filters)
    {
      SCOPED_TRACE(f.name);
      int id = nvgCreateImageRGBA(canvas.vg, 2, 2, f.flags, image);
      ASSERT_NE(0, id);
      px = canvas.Draw([id](NVGcontext* vg) {
        nvgBeginPath(vg);
        nvgRect(vg, 0, 0, 8, 8);
        nvgFillPaint(vg, nvgImagePattern(vg, 0, 0, 8, 8, 0, id, 1));
        nvgFill(vg);
      });
      EXPECT_EQ(f.redRow0, Row(px, 0, 0, 7, 0));
      EXPECT_EQ(f.blueColumn0, Column(px, 0, 0, 7, 2));
      nvgDeleteImage(canvas.vg, id);
    }
  }
}

TEST_F(MetalPixelTest, ImagesLoadFromPngFilesAndMemoryAndDrawPremultiplied)
{
  // Straight alpha in the file; the target holds premultiplied colour.
  const uint8_t straight[16] = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 200, 100, 50, 64};
  std::string path = testing::TempDir() + "metal_pixel_test.png";
  ASSERT_NE(0, stbi_write_png(path.c_str(), 2, 2, 4, straight, 8));
  std::vector<uint8_t> bytes;
  {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(nullptr, f);
    for (int b; (b = std::fgetc(f)) != EOF;)
      bytes.push_back(static_cast<uint8_t>(b));
    std::fclose(f);
  }
  MetalCanvas canvas(MVG_ANTIALIAS);
  struct Case
  {
    const char* name;
    std::function<int(NVGcontext*)> load;
  } cases[] = {
    {"memory", [&](NVGcontext* vg) { return nvgCreateImageMem(vg, NVG_IMAGE_NEAREST, bytes.data(), int(bytes.size())); }},
    {"file", [&](NVGcontext* vg) { return nvgCreateImage(vg, path.c_str(), NVG_IMAGE_NEAREST); }},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    int id = c.load(canvas.vg);
    ASSERT_NE(0, id);
    int w = 0, h = 0;
    nvgImageSize(canvas.vg, id, &w, &h);
    EXPECT_EQ(2, w);
    EXPECT_EQ(2, h);
    Pixels px = canvas.Draw([id](NVGcontext* vg) {
      nvgBeginPath(vg);
      nvgRect(vg, 0, 0, 2, 2);
      nvgFillPaint(vg, nvgImagePattern(vg, 0, 0, 2, 2, 0, id, 1));
      nvgFill(vg);
    });
    // Red, green, blue and alpha of the first two pixels: opaque red, and
    // green at alpha 128 premultiplied.
    EXPECT_EQ((std::vector<int>{255, 0, 0, 128, 0, 0, 255, 128}),
              Row(px, 0, 0, 1, 0) + Row(px, 0, 0, 1, 1) + Row(px, 0, 0, 1, 2) + Row(px, 0, 0, 1, 3));
    nvgDeleteImage(canvas.vg, id);
  }
  const uint8_t junk[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(0, nvgCreateImageMem(canvas.vg, 0, junk, sizeof junk));
  EXPECT_EQ(0, nvgCreateImage(canvas.vg, (path + ".missing").c_str(), 0));
  std::remove(path.c_str());
}

TEST_F(MetalPixelTest, NothingReadsTextureContentsItHasNotWritten)
{
  // New textures start magenta in strict mode; a renderer that sampled or
  // loaded what it never wrote would draw differently.
  auto scene = [](NVGcontext* vg) {
    nvgCreateFont(vg, "roboto", "/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Regular.ttf");
    nvgFontFace(vg, "roboto");
    nvgFontSize(vg, 13);
    nvgFillColor(vg, nvgRGBf(1, 1, 1));
    nvgText(vg, 3, 20, "Ride -3.5 dB", nullptr);
    nvgBeginPath(vg);
    nvgCircle(vg, 40, 30, 12);
    nvgStrokeColor(vg, nvgRGBAf(0, 1, 1, 0.5f));
    nvgStroke(vg);
  };
  auto [plain, strict] = DrawWithAndWithout(standin::SetStrictTextures, 0x2003, scene);
  EXPECT_EQ(plain, strict);
}
