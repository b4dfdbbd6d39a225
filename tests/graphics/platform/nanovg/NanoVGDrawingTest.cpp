// Paths, dashes, bitmaps and text on the NanoVG back-end, read back from
// the drawable.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include "NanoVGScene.h"
#include "StandIn/Gpu.h"
#include "graphics/platform/CoreTextFont.h"
#include "tests/support/gfx/ImageEncoding.h"

using namespace plugkit::gfx;

namespace {

const IColor kRed(255, 255, 0, 0);
const char* kRoboto = "/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Regular.ttf";
const char* kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// Columns of painted pixels in a row, as a string of '#' and '.'.
std::string Row(const NanoVGScene& scene, int y, int from, int to)
{
  std::string out;
  for (int x = from; x < to; ++x)
    out += scene.Painted(x, y) ? '#' : '.';
  return out;
}

// The painted pixels' bounding box; empty when nothing is painted.
IRECT Ink(const NanoVGScene& scene)
{
  IRECT box;
  bool any = false;
  for (int y = 0; y < scene.height; ++y)
    for (int x = 0; x < scene.width; ++x)
    {
      if (!scene.Painted(x, y))
        continue;
      const IRECT px(float(x), float(y), float(x + 1), float(y + 1));
      box = any ? box.Union(px) : px;
      any = true;
    }
  return box;
}

std::filesystem::path TempFolder(const char* name)
{
  auto dir = std::filesystem::temp_directory_path() / name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

} // namespace

TEST(NanoVGDrawing, DashesPaintEveryOtherRunAndFallBackToAPlainLine)
{
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  const struct
  {
    float x2, dash;
    const char* row; // columns 0..39 of row 4
  } cases[] = {
    {30.f, 10.f, "##########.............................."},
    {10.f, 10.f, "........................................"},
    {30.f, 0.f, "##############################.........."},
    {30.f, -3.f, "##############################.........."},
    {30.f, nan, "##############################.........."},
    {30.f, inf, "##############################.........."},
  };
  for (const auto& c : cases)
  {
    NanoVGScene scene;
    scene.Frame([&](auto& g) { g.DrawDottedLine(kRed, 0.f, 5.f, c.x2, 5.f, nullptr, 2.f, c.dash); });
    EXPECT_EQ(Row(scene, 4, 0, 40), c.row) << "dash " << c.dash << " to " << c.x2;
    EXPECT_EQ(Row(scene, 5, 0, 40), c.row) << "dash " << c.dash << " to " << c.x2;
    EXPECT_EQ(Row(scene, 6, 0, 40), std::string(40, '.'));
  }
  NanoVGScene rect;
  rect.Frame([](auto& g) { g.DrawDottedRect(kRed, IRECT(10, 10, 45, 40), nullptr, 1.f, 10.f); });
  const IRECT ink = Ink(rect);
  EXPECT_GE(ink.L, 9.f);
  EXPECT_LE(ink.R, 46.f) << "the runs stop at the corners";
  EXPECT_LE(ink.B, 41.f);
  // An unusable dash outlines the whole rectangle.
  for (float dash : {0.f, -3.f, nan, inf})
  {
    NanoVGScene plain;
    plain.Frame([&](auto& g) { g.DrawDottedRect(kRed, IRECT(10, 10, 45, 40), nullptr, 1.f, dash); });
    EXPECT_EQ(Row(plain, 10, 10, 45), std::string(35, '#')) << "dash " << dash;
    EXPECT_TRUE(plain.Painted(10, 25) && plain.Painted(44, 25)) << "dash " << dash;
  }
}

// Long dotted lines and rectangle edges alternate ink and gap, run for run,
// as a model of the dash pattern says: the gaps are real.
TEST(NanoVGDrawing, DottedRunsLeaveRealGaps)
{
  // Columns [from, to) of a row, '#' where the dash at `dash` from `start`
  // lies (every other run, the first inked).
  auto model = [](int start, int from, int to, int dash) {
    std::string out;
    for (int x = from; x < to; ++x)
      out += ((x - start) / dash) % 2 == 0 ? '#' : '.';
    return out;
  };
  NanoVGScene line;
  line.Frame([](auto& g) { g.DrawDottedLine(kRed, 0.f, 5.f, 80.f, 5.f, nullptr, 2.f, 10.f); });
  EXPECT_EQ(Row(line, 4, 0, 70), model(0, 0, 70, 10));
  EXPECT_EQ(Row(line, 5, 0, 70), model(0, 0, 70, 10));

  NanoVGScene rect;
  rect.Frame([](auto& g) { g.DrawDottedRect(kRed, IRECT(10, 10, 70, 45), nullptr, 1.f, 5.f); });
  // The top and bottom edges, short of the corners where the sides pass.
  EXPECT_EQ(Row(rect, 10, 11, 65), model(10, 11, 65, 5));
  std::string left;
  for (int y = 11; y < 40; ++y)
    left += rect.Painted(10, y) ? '#' : '.';
  EXPECT_EQ(left, model(10, 11, 40, 5)) << "the left edge";
}

TEST(NanoVGDrawing, FillRulesArcsAndPreservedPaths)
{
  auto squares = [](IGfx& g) {
    g.PathMoveTo(10, 10), g.PathLineTo(40, 10), g.PathLineTo(40, 40), g.PathLineTo(10, 40), g.PathClose();
    g.PathMoveTo(20, 20), g.PathLineTo(30, 20), g.PathLineTo(30, 30), g.PathLineTo(20, 30), g.PathClose();
  };
  const struct
  {
    EFillRule rule;
    bool innerPainted;
  } rules[] = {{kFillWinding, true}, {kFillEvenOdd, false}};
  for (const auto& r : rules)
  {
    NanoVGScene scene;
    scene.Frame([&](auto& g) {
      g.PathClear();
      squares(g);
      g.PathFill(IPattern(kRed), IFillOptions(r.rule, false), nullptr);
    });
    EXPECT_TRUE(scene.Painted(15, 15));
    EXPECT_EQ(scene.Painted(25, 25), r.innerPainted) << "rule " << r.rule;
  }

  NanoVGScene arc;
  arc.Frame([](auto& g) {
    g.PathClear();
    g.PathMoveTo(50, 25);
    g.PathArc(50, 25, 20, 0, 90);
    g.PathClose();
    g.PathFill(IPattern(kRed), IFillOptions(), nullptr);
  });
  EXPECT_TRUE(arc.Painted(58, 17)) << "upper right";
  for (auto [x, y] : {std::pair{42, 17}, {42, 33}, {58, 33}})
    EXPECT_FALSE(arc.Painted(x, y)) << x << "," << y;

  NanoVGScene preserved;
  preserved.Frame([](auto& g) {
    g.PathRect(IRECT(10, 10, 30, 30));
    IStrokeOptions keep;
    keep.mPreserve = true;
    g.PathStroke(IPattern(IColor(255, 0, 0, 255)), 1.f, keep, nullptr);
    g.PathFill(IPattern(kRed), IFillOptions(), nullptr);
  });
  EXPECT_EQ(preserved.At(20, 20).R, 255) << "the fill found the stroked path";
}

// Each blend mode reaches the GPU as the factors of its composite operation
// (source and destination, the same for colour and alpha); additive blends
// by both alphas.
TEST(NanoVGDrawing, BlendModesReachTheGpuAsTheirCompositeFactors)
{
  constexpr auto kZero = MTLBlendFactorZero, kOne = MTLBlendFactorOne, kSrcA = MTLBlendFactorSourceAlpha,
                 kOneMinusSrcA = MTLBlendFactorOneMinusSourceAlpha, kDstA = MTLBlendFactorDestinationAlpha,
                 kOneMinusDstA = MTLBlendFactorOneMinusDestinationAlpha;
  const struct
  {
    EBlend mode;
    MTLBlendFactor src, dst;
  } cases[] = {
    {kBlendDefault, kOne, kOneMinusSrcA},      {kBlendSourceIn, kDstA, kZero},
    {kBlendSourceOut, kOneMinusDstA, kZero},   {kBlendSourceAtop, kDstA, kOneMinusSrcA},
    {kBlendDestOver, kOneMinusDstA, kOne},     {kBlendDestIn, kZero, kSrcA},
    {kBlendDestOut, kZero, kOneMinusSrcA},     {kBlendDestAtop, kOneMinusDstA, kSrcA},
    {kBlendAdd, kSrcA, kDstA},                 {kBlendXOR, kOneMinusDstA, kOneMinusSrcA},
  };
  ASSERT_EQ(int(std::size(cases)), 10);
  for (const auto& c : cases)
  {
    NanoVGScene scene;
    const IBlend blend(c.mode, 1.f);
    scene.Begin();
    standin::ClearCommandLog();
    scene.g->FillRect(kRed, IRECT(10, 10, 30, 30), &blend);
    scene.g->EndFrame();
    const auto log = standin::CommandLog();
    const auto fill = std::find_if(log.begin(), log.end(),
      [](const standin::CommandLogEntry& e) { return e.kind == standin::CommandLogEntry::kDraw && e.writesColor; });
    ASSERT_NE(fill, log.end()) << "mode " << c.mode;
    const std::vector<MTLBlendFactor> got(fill->blend, fill->blend + 4), want{c.src, c.dst, c.src, c.dst};
    EXPECT_EQ(got, want) << "mode " << c.mode;
  }
}

TEST(NanoVGDrawing, RadialPatternsUseTheirFirstAndLastStops)
{
  IPattern pattern(kRadialPattern);
  pattern.AddStop(IColor(255, 255, 0, 0), 0.f);
  pattern.AddStop(IColor(255, 0, 255, 0), 0.5f);
  pattern.AddStop(IColor(255, 0, 0, 255), 1.f);
  // Points map to the pattern's unit circle around (50, 25), radius 20.
  pattern.mTransform.mXX = pattern.mTransform.mYY = 1.0 / 20.0;
  pattern.mTransform.mTX = -50.0 / 20.0;
  pattern.mTransform.mTY = -25.0 / 20.0;
  NanoVGScene scene;
  scene.Frame([&](auto& g) { g.PatternFillRect(pattern, IRECT(0, 0, 100, 50)); });
  const IColor centre = scene.At(50, 25), outside = scene.At(95, 5);
  EXPECT_GT(centre.R, 200);
  EXPECT_GT(outside.B, 200);
  EXPECT_LT(scene.At(60, 25).G, 30) << "the middle stop is not used";
}

TEST(NanoVGDrawing, BitmapsLoadOnceAtTheirScaleAndCopyPixelsExactly)
{
  NanoVGScene probe;
  const struct
  {
    const char* ext;
    bool supported;
  } exts[] = {{"PNG", true}, {"JPEG", true}, {"jpgx", true}, {"svg", false}, {"", false}};
  for (const auto& e : exts)
    EXPECT_EQ(probe.g->BitmapExtSupported(e.ext), e.supported) << e.ext;

  const auto dir = TempFolder("tolvane3-nanovg-bitmaps");
  std::vector<uint8_t> one(4 * 4 * 4), two(8 * 8 * 4);
  for (size_t i = 0; i < one.size(); i += 4)
    one[i] = uint8_t(i * 3), one[i + 1] = 40, one[i + 2] = uint8_t(255 - i), one[i + 3] = 255;
  for (size_t i = 0; i < two.size(); i += 4)
    two[i] = 7, two[i + 1] = uint8_t(i), two[i + 2] = 99, two[i + 3] = 255;
  ASSERT_TRUE(gfxtest::WritePngFile((dir / "tile.png").string(), 4, 4, one.data()));
  ASSERT_TRUE(gfxtest::WritePngFile((dir / "knob.png").string(), 4, 4, one.data()));
  ASSERT_TRUE(gfxtest::WritePngFile((dir / "knob@2x.png").string(), 8, 8, two.data()));
  std::ofstream((dir / "broken.png").string()) << "not an image";

  const struct
  {
    const char* name;
    float screenScale;
    const std::vector<uint8_t>* expected;
    int side;
  } cases[] = {{"tile.png", 1.f, &one, 4}, {"knob.png", 2.f, &two, 8}, {"tile.png", 2.f, &one, 4}};
  for (const auto& c : cases)
  {
    NanoVGScene scene(1.f, c.screenScale);
    const std::string path = (dir / c.name).string();
    const IBitmap bitmap = scene.g->LoadBitmap(path.c_str());
    ASSERT_TRUE(bitmap.GetAPIBitmap()) << c.name;
    EXPECT_EQ(bitmap.GetAPIBitmap()->GetWidth(), c.side);
    // A file found only at another scale is used at that scale.
    const int k = int(c.screenScale) / int(bitmap.GetAPIBitmap()->GetScale());
    EXPECT_EQ(bitmap.GetAPIBitmap()->GetScale() * float(bitmap.W()), float(c.side));
    scene.Frame([&](auto& g) { g.DrawBitmap(bitmap, IRECT(10, 10, 10 + bitmap.W(), 10 + bitmap.H()), 0, 0, nullptr); });
    const int origin = int(10 * c.screenScale);
    // A 1x file on a 2x screen is magnified by the GPU, not compared here.
    for (int y = 0; k == 1 && y < c.side; ++y)
    {
      for (int x = 0; x < c.side; ++x)
      {
        const size_t i = (size_t(y) * size_t(c.side) + size_t(x)) * 4;
        const IColor px = scene.At(origin + x, origin + y);
        ASSERT_EQ(px, IColor(255, (*c.expected)[i], (*c.expected)[i + 1], (*c.expected)[i + 2]))
          << c.name << " " << x << "," << y;
      }
    }
    // The second load is a cache hit: at the screen's scale even with the
    // file gone, at another scale after finding the same file again.
    const auto copy = dir / "moved";
    if (bitmap.GetAPIBitmap()->GetScale() == c.screenScale)
      std::filesystem::rename(path, copy);
    EXPECT_EQ(scene.g->LoadBitmap(path.c_str()).GetAPIBitmap(), bitmap.GetAPIBitmap()) << c.name;
    if (std::filesystem::exists(copy))
      std::filesystem::rename(copy, path);
  }

  NanoVGScene broken;
  const std::string brokenPath = (dir / "broken.png").string();
  EXPECT_FALSE(broken.g->LoadBitmap(brokenPath.c_str()).GetAPIBitmap()) << "a file that does not decode";
  const char junk[] = "no image at all";
  EXPECT_FALSE(broken.g->LoadAPIBitmap("junk", junk, int(sizeof junk), 1));
  std::filesystem::remove_all(dir);
}

TEST(NanoVGDrawing, TextAlignsInsideItsMeasuredBox)
{
  const IRECT box(5, 5, 95, 45);
  // The ink of one text in a fresh context, and its measured box.
  auto draw = [&](const IText& text, const char* str, const IRECT& bounds, IRECT& measured) {
    NanoVGScene scene;
    EXPECT_TRUE(scene.g->LoadFont("Roboto", kRoboto));
    EXPECT_TRUE(scene.g->LoadFont("DejaVu", kDejaVu));
    measured = bounds;
    scene.g->MeasureText(text, str, measured);
    scene.Frame([&](auto& g) { g.DrawText(text, str, bounds); });
    return Ink(scene);
  };
  for (EAlign align : {kNear, kCenter, kFar})
  {
    IRECT measured;
    const IRECT ink = draw(IText(20.f, kRed, "Roboto", align, kMiddle), "Hello", box, measured);
    ASSERT_FALSE(ink.Empty());
    const IRECT room = measured.GetPadded(1.f);
    EXPECT_TRUE(ink.L >= room.L && ink.R <= room.R && ink.T >= room.T && ink.B <= room.B) << "align " << align;
    const float expected = align == kNear ? box.L : align == kFar ? box.R : box.MW();
    const float actual = align == kNear ? ink.L : align == kFar ? ink.R : ink.MW();
    EXPECT_NEAR(actual, expected, align == kCenter ? 1.f : 3.f) << "align " << align;
  }
  IRECT roboto, dejavu;
  draw(IText(20.f, kRed, "Roboto"), "Tolvane", box, roboto);
  draw(IText(20.f, kRed, "DejaVu"), "Tolvane", box, dejavu);
  EXPECT_GT(std::abs(roboto.W() - dejavu.W()), 1.f);

  IText turned(20.f, kRed, "Roboto");
  turned.mAngle = 90.f;
  IRECT measured;
  const IRECT ink = draw(turned, "Hi there", IRECT(30, 0, 70, 50), measured);
  EXPECT_GT(ink.H(), ink.W());

  // A font that was never loaded measures nothing and draws nothing.
  EXPECT_TRUE(draw(IText(20.f, kRed, "Nowhere"), "Hello", box, measured).Empty());
  EXPECT_EQ(measured.W(), 0.f);
}

TEST(NanoVGDrawing, FontDataIsSharedUntilTheLastContextCloses)
{
  auto& fonts = IGfxNanoVG::FontDataStorage();
  {
    auto first = std::make_unique<NanoVGScene>();
    NanoVGScene second;
    ASSERT_TRUE(first->g->LoadFont("Roboto", kRoboto));
    EXPECT_EQ(fonts.Size(), 1);
    EXPECT_FALSE(second.g->LoadFont("Broken", "/etc/hostname"));
    first.reset();
    EXPECT_EQ(fonts.Size(), 1) << "one context still uses the fonts";
    EXPECT_TRUE(second.g->LoadFont("Roboto", kRoboto));
    IRECT r(0, 0, 100, 50);
    EXPECT_GT(second.g->MeasureText(IText(20.f, kRed, "Roboto"), "Hello", r), 10.f);
  }
  EXPECT_EQ(fonts.Size(), 0);
}
