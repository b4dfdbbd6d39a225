// Frames, scale, layers and their frame buffers on the NanoVG back-end.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "NanoVGScene.h"
#include "StandIn/CFObjects.h"
#include "StandIn/Gpu.h"
#include "tests/support/gfx/ImageEncoding.h"

using namespace plugkit::gfx;

namespace {

const IColor kRed(255, 255, 0, 0);
const IColor kBlue(255, 0, 0, 255);

} // namespace

TEST(NanoVGFrames, DrawAndScreenScaleMeetInDevicePixels)
{
  const struct
  {
    float drawScale, screenScale;
  } cases[] = {{1.f, 1.f}, {1.f, 2.f}, {2.f, 1.f}};
  for (const auto& c : cases)
  {
    NanoVGScene scene(c.drawScale, c.screenScale);
    const int s = int(c.drawScale * c.screenScale);
    scene.Frame([](auto& g) { g.FillRect(kRed, IRECT(10, 10, 20, 20)); });
    ASSERT_EQ(scene.width, 100 * s);
    ASSERT_EQ(scene.height, 50 * s);
    for (int p = 0; p < 30 * s; ++p)
    {
      const bool inside = p >= 10 * s && p < 20 * s;
      EXPECT_EQ(scene.Painted(p, p), inside) << "pixel " << p << " at total scale " << s;
      if (inside)
      {
        EXPECT_EQ(scene.At(p, 10 * s).R, 255);
      }
    }
  }
  NanoVGScene scene;
  EXPECT_EQ(scene.g->GetPointColor(3, 4), IColor(255, 0, 0, 0));
  EXPECT_STREQ(scene.g->GetDrawingAPIStr(), "NanoVG | Metal");
}

// A control filled red, or blue once its value is above one half.
class Swatch : public IControl
{
public:
  using IControl::IControl;
  void Draw(IGfx& g) override { g.FillRect(GetValue() > 0.5 ? kBlue : kRed, GetRECT()); }
};

// The draw road redraws only the dirty control; the main frame buffer keeps
// the others, so the drawable still shows them.
TEST(NanoVGFrames, RedrawingOneControlKeepsTheOthersOnTheDrawable)
{
  NanoVGScene scene;
  Swatch* swatches[3];
  for (int i = 0; i < 3; ++i)
    swatches[i] = static_cast<Swatch*>(scene.g->AttachControl(new Swatch(IRECT(i * 40.f, 0, i * 40.f + 20, 20))));
  auto tick = [&] {
    IRECTList rects;
    ASSERT_TRUE(scene.g->IsDirty(rects));
    scene.g->SetAllControlsClean();
    scene.g->DrawDirtyRegions(rects);
    scene.pixels = scene.g->Presented(scene.width, scene.height);
  };
  tick();
  // Holding the drawable just shown sends the next frame to a fresh one, as
  // drawables rotate on a Mac: only the main frame buffer carries the rest.
  const auto held = static_cast<CAMetalLayer*>(scene.g->GetWindow())->nextDrawable();
  ASSERT_TRUE(held);
  swatches[1]->SetValue(1.0);
  swatches[1]->SetDirty(false);
  tick();
  const IColor want[3] = {kRed, kBlue, kRed};
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(scene.At(i * 40 + 10, 10), want[i]) << "control " << i;
}

TEST(NanoVGFrames, LayersMatchDirectDrawingAndLandAtTheirOrigin)
{
  for (float drawScale : {1.f, 2.f})
  {
    NanoVGScene direct(drawScale), layered(drawScale);
    auto shape = [](IGfx& g) {
      g.FillCircle(kRed, 30, 25, 12);
      g.DrawLine(kBlue, 15, 10, 45, 40, nullptr, 2.f);
    };
    const auto expected = direct.Frame(shape);
    layered.Frame([&](auto& g) {
      g.StartLayer(nullptr, IRECT(10, 5, 50, 45));
      shape(g);
      ILayerPtr layer = g.EndLayer();
      g.DrawLayer(layer);
    });
    ASSERT_EQ(expected.size(), layered.pixels.size());
    int worst = 0;
    for (size_t i = 0; i < expected.size(); ++i)
      worst = std::max(worst, std::abs(int(expected[i]) - int(layered.pixels[i])));
    EXPECT_LE(worst, 1) << "draw scale " << drawScale;
  }
}

TEST(NanoVGFrames, LayerFrameBuffersLiveUntilTheFrameEnds)
{
  NanoVGScene scene;
  auto* vg = static_cast<NVGcontext*>(scene.g->GetDrawContext());
  scene.Begin();
  scene.g->StartLayer(nullptr, IRECT(0, 0, 20, 20));
  ILayerPtr layer = scene.g->EndLayer();
  const int image = static_cast<IGfxNanoVG::Bitmap*>(layer->GetAPIBitmap())->GetImage();
  ASSERT_TRUE(mvgTextureOfImage(vg, image));
  layer.reset();
  EXPECT_TRUE(mvgTextureOfImage(vg, image)) << "deleted before the frame was flushed";
  scene.g->EndFrame();
  EXPECT_FALSE(mvgTextureOfImage(vg, image));
}

// A frame that never ends (or a layer dropped mid-frame) leaves frame
// buffers queued; closing the view must free them before the context (a
// late free would reach the deleted context: AddressSanitizer sees it).
TEST(NanoVGFrames, ClosingMidFrameFreesQueuedFrameBuffersFirst)
{
  const long before = standin::LiveObjectCount();
  {
    NanoVGScene scene;
    scene.Begin();
    scene.g->StartLayer(nullptr, IRECT(0, 0, 20, 20));
    scene.g->EndLayer().reset();
    scene.g->CloseWindow();
    // Reopened, the context is in no frame: a frame buffer it drops goes at once.
    scene.g->OpenWindow(nullptr);
    auto* vg = static_cast<NVGcontext*>(scene.g->GetDrawContext());
    std::unique_ptr<APIBitmap> target(scene.g->CreateAPIBitmap(20, 20, 1.f, 1.0));
    const int image = static_cast<IGfxNanoVG::Bitmap*>(target.get())->GetImage();
    ASSERT_TRUE(mvgTextureOfImage(vg, image));
    target.reset();
    EXPECT_FALSE(mvgTextureOfImage(vg, image));
  }
  EXPECT_EQ(standin::LiveObjectCount(), before);
}

// Closing the view frees the drawing context: the controls' layers and the
// cached bitmaps go before it, and whatever asks for it afterwards finds
// none (AddressSanitizer sees any reach into the freed context).
TEST(NanoVGFrames, NothingReachesTheDrawingContextAfterTheViewCloses)
{
  class LayerKeeper : public IControl
  {
  public:
    explicit LayerKeeper(const IRECT& r) : IControl(r) {}
    void Draw(IGfx& g) override
    {
      if (!mLayer)
      {
        g.StartLayer(this, GetRECT());
        g.FillRect(kRed, GetRECT());
        mLayer = g.EndLayer();
      }
      g.DrawLayer(mLayer);
    }
    ILayerPtr mLayer;
  };
  const auto dir = std::filesystem::temp_directory_path() / "nanovg_close_test";
  std::filesystem::create_directories(dir);
  const std::vector<uint8_t> pixels(4 * 4 * 4, 200);
  const std::string png = (dir / "tile.png").string();
  ASSERT_TRUE(gfxtest::WritePngFile(png, 4, 4, pixels.data()));

  NanoVGScene scene;
  IControl* keeper = scene.g->AttachControl(new LayerKeeper(IRECT(0, 0, 20, 20)));
  ASSERT_TRUE(scene.g->LoadBitmap(png.c_str()).GetAPIBitmap());
  scene.Frame([&](auto& g) { keeper->Draw(g); });
  ASSERT_TRUE(scene.Painted(5, 5));

  scene.g->CloseWindow();
  EXPECT_EQ(nullptr, scene.g->GetDrawContext());
  scene.g->DrawResize();
  EXPECT_EQ(nullptr, scene.g->CreateAPIBitmap(20, 20, 1.f, 1.0));
  EXPECT_EQ(nullptr, scene.g->LoadBitmap(png.c_str()).GetAPIBitmap());
  scene.g->BeginFrame();
  scene.g->EndFrame();
  std::filesystem::remove_all(dir);
}

// A frame the GPU gave no main frame buffer (out of memory) still ends: a
// layer's frame buffer dropped during it goes at its end, and one dropped
// afterwards goes at once instead of waiting for a frame that never ends.
TEST(NanoVGFrames, AFrameWithoutMainFrameBufferStillEnds)
{
  NanoVGScene scene;
  auto* vg = static_cast<NVGcontext*>(scene.g->GetDrawContext());
  struct Limit
  {
    Limit() { standin::SetGpuAllocationLimit(100 * 50 * 4 - 1); } // less than the 100 x 50 main frame buffer
    ~Limit() { standin::SetGpuAllocationLimit(0); }
  } limit;
  scene.g->DrawResize();
  ASSERT_EQ(nullptr, scene.g->GetMainFrameBuffer());

  scene.Begin();
  scene.g->StartLayer(nullptr, IRECT(0, 0, 20, 20));
  ILayerPtr layer = scene.g->EndLayer();
  const int dropped = static_cast<IGfxNanoVG::Bitmap*>(layer->GetAPIBitmap())->GetImage();
  layer.reset();
  EXPECT_TRUE(mvgTextureOfImage(vg, dropped)) << "deleted before the frame ended";
  scene.g->EndFrame();
  EXPECT_FALSE(mvgTextureOfImage(vg, dropped)) << "kept past the frame's end";

  std::unique_ptr<APIBitmap> later(scene.g->CreateAPIBitmap(20, 20, 1.f, 1.0));
  const int image = static_cast<IGfxNanoVG::Bitmap*>(later.get())->GetImage();
  ASSERT_TRUE(mvgTextureOfImage(vg, image));
  later.reset();
  EXPECT_FALSE(mvgTextureOfImage(vg, image)) << "queued although no frame is being drawn";
}

// An empty layer still gets a frame buffer (one pixel); one too large for
// the GPU gets none. Either way nothing drawn into it reaches the drawable.
TEST(NanoVGFrames, LayersWithoutRoomDrawNothing)
{
  const struct
  {
    IRECT bounds;
    int width;
  } cases[] = {{IRECT(5, 5, 5, 5), 1}, {IRECT(0, 0, 20000, 10), 0}};
  for (const auto& c : cases)
  {
    NanoVGScene scene;
    const auto* drawable = static_cast<CAMetalLayer*>(scene.g->GetWindow());
    const int presentsBefore = drawable->presentCount();
    scene.Frame([&](auto& g) {
      g.StartLayer(nullptr, c.bounds);
      g.FillRect(kRed, IRECT(0, 0, 100, 50));
      ILayerPtr layer = g.EndLayer();
      ASSERT_TRUE(layer->GetAPIBitmap());
      EXPECT_EQ(layer->GetAPIBitmap()->GetWidth(), c.width);
      g.DrawLayer(layer);
    });
    EXPECT_FALSE(scene.Painted(50, 25)) << "layer " << c.bounds.W() << " wide";
    EXPECT_EQ(drawable->presentCount() - presentsBefore, 1) << "only the finished frame is shown";
  }
}

TEST(NanoVGFrames, LayerPixelsSurviveAReadAndWriteBack)
{
  NanoVGScene scene;
  scene.Begin();
  scene.g->StartLayer(nullptr, IRECT(0, 0, 40, 20));
  scene.g->FillRect(IColor(128, 200, 100, 50), IRECT(0, 0, 20, 20));
  scene.g->FillRect(IColor(255, 10, 220, 30), IRECT(20, 0, 40, 20));
  ILayerPtr layer = scene.g->EndLayer();
  IRawBitmapData first, second;
  scene.g->GetLayerBitmapData(layer, first);
  scene.g->SetLayerBitmapData(layer, first);
  scene.g->GetLayerBitmapData(layer, second);
  scene.g->EndFrame();
  ASSERT_EQ(first.GetSize(), 40 * 20 * 4);
  ASSERT_EQ(second.GetSize(), first.GetSize());
  int worst = 0;
  for (int i = 0; i < first.GetSize(); ++i)
    worst = std::max(worst, std::abs(int(first.Get()[i]) - int(second.Get()[i])));
  EXPECT_LE(worst, 1);
  EXPECT_GT(first.Get()[3], 100) << "the half-transparent half was drawn";
}

TEST(NanoVGFrames, DropShadowFallsAtItsOffsetWithItsOpacity)
{
  NanoVGScene scene;
  scene.Frame([](auto& g) {
    g.StartLayer(nullptr, IRECT(0, 0, 60, 40));
    g.FillRect(kRed, IRECT(10, 10, 20, 20));
    ILayerPtr layer = g.EndLayer();
    g.ApplyLayerDropShadow(layer, IShadow(IPattern(IColor(255, 0, 0, 0)), 0.f, 15.f, 0.f, 0.5f));
    g.DrawLayer(layer);
  });
  EXPECT_EQ(scene.At(15, 15).R, 255);
  const IColor shadow = scene.At(30, 15);
  EXPECT_NEAR(shadow.A, 128, 3);
  EXPECT_EQ(shadow.R, 0);
  EXPECT_FALSE(scene.Painted(45, 15));
}
