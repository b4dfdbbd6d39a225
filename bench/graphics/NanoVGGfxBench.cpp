// An editor frame (background and knob bitmaps, labels, the scope's four
// curves and its grid in a layer) drawn through the graphics context on the
// NanoVG back-end, against the same frame drawn with NanoVG directly; and
// measuring a label once its glyphs are cached.

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "StandIn/Gpu.h"
#include "tests/support/gfx/FakeEditorDelegate.h"
#include "tests/support/gfx/HeadlessNanoVGGfx.h"

using namespace plugkit::gfx;

namespace {

constexpr int kWidth = 1008, kHeight = 584, kKnobs = 17, kPoints = 706;
const char* kRoboto = "/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Regular.ttf";

std::vector<uint8_t> Pixels(int w, int h)
{
  std::vector<uint8_t> rgba(size_t(w) * size_t(h) * 4);
  for (size_t i = 0; i < rgba.size(); ++i)
    rgba[i] = (i % 4 == 3) ? 255 : uint8_t(i * 7);
  return rgba;
}

struct Editor
{
  Editor() : dlg(kWidth, kHeight), g(dlg, kWidth, kHeight)
  {
    standin::ResetGpu();
    g.OpenWindow(nullptr);
    g.LoadFont("Roboto", kRoboto);
    vg = static_cast<NVGcontext*>(g.GetDrawContext());
    const auto bg = Pixels(kWidth, kHeight), knob = Pixels(60, 60);
    background = std::make_unique<IGfxNanoVG::Bitmap>(vg, kWidth, kHeight, bg.data(), 1.f, 1.f);
    knobImage = std::make_unique<IGfxNanoVG::Bitmap>(vg, 60, 60, knob.data(), 1.f, 1.f);
    for (int c = 0; c < 4; ++c)
      for (int i = 0; i < kPoints; ++i)
        scope[c].push_back(float(200 + 40 * std::sin(i * 0.03 * (c + 1))));
  }

  void ThroughContext()
  {
    g.BeginFrame();
    g.PathTransformReset();
    g.DrawBitmap(IBitmap(background.get(), 1, false), IRECT(0, 0, kWidth, kHeight), 0, 0, nullptr);
    for (int k = 0; k < kKnobs; ++k)
    {
      const float x = 40.f + 55.f * float(k);
      g.DrawBitmap(IBitmap(knobImage.get(), 1, false), IRECT(x, 80, x + 60, 140), 0, 0, nullptr);
      g.DrawText(IText(12.f, kColorWhite, "Roboto"), "Target 3dB", IRECT(x, 140, x + 60, 156));
    }
    if (!g.CheckLayer(grid))
    {
      g.StartLayer(nullptr, IRECT(150, 180, 856, 420));
      for (int i = 0; i < 10; ++i)
        g.DrawLine(kColorGray, 150, 180 + 24.f * float(i), 856, 180 + 24.f * float(i));
      grid = g.EndLayer();
    }
    g.DrawLayer(grid);
    for (int c = 0; c < 4; ++c)
    {
      g.PathClear();
      g.PathMoveTo(150, scope[c][0]);
      for (int i = 1; i < kPoints; ++i)
        g.PathLineTo(150.f + float(i), scope[c][size_t(i)]);
      g.PathStroke(IPattern(kColorGreen), 1.5f, IStrokeOptions(), nullptr);
    }
    g.EndFrame();
  }

  void Direct()
  {
    auto image = [&](int img, float x, float y, float w, float h) {
      nvgBeginPath(vg);
      nvgRect(vg, x, y, w, h);
      nvgFillPaint(vg, nvgImagePattern(vg, x, y, w, h, 0, img, 1));
      nvgFill(vg);
    };
    mvgBindTarget(main);
    nvgBeginFrame(vg, kWidth, kHeight, 1.f);
    image(background->GetImage(), 0, 0, kWidth, kHeight);
    nvgFontFace(vg, "Roboto");
    nvgFontSize(vg, 12.f);
    nvgTextAlign(vg, NVG_ALIGN_CENTER | NVG_ALIGN_MIDDLE);
    for (int k = 0; k < kKnobs; ++k)
    {
      const float x = 40.f + 55.f * float(k);
      image(knobImage->GetImage(), x, 80, 60, 60);
      nvgFillColor(vg, nvgRGBA(255, 255, 255, 255));
      nvgText(vg, x + 30, 148, "Target 3dB", nullptr);
    }
    image(mvgTargetImage(gridTarget), 150, 180, 706, 240);
    nvgStrokeColor(vg, nvgRGBA(0, 255, 0, 255));
    nvgStrokeWidth(vg, 1.5f);
    for (int c = 0; c < 4; ++c)
    {
      nvgBeginPath(vg);
      nvgMoveTo(vg, 150, scope[c][0]);
      for (int i = 1; i < kPoints; ++i)
        nvgLineTo(vg, 150.f + float(i), scope[c][size_t(i)]);
      nvgStroke(vg);
    }
    nvgEndFrame(vg);
    mvgBindTarget(nullptr);
    nvgBeginFrame(vg, kWidth, kHeight, 1.f);
    image(mvgTargetImage(main), 0, 0, kWidth, kHeight);
    nvgEndFrame(vg);
  }

  gfxtest::FakeEditorDelegate dlg;
  gfxtest::HeadlessNanoVGGfx g;
  NVGcontext* vg = nullptr;
  std::unique_ptr<IGfxNanoVG::Bitmap> background, knobImage;
  ILayerPtr grid;
  std::vector<float> scope[4];
  MVGframebuffer* main = nullptr;
  MVGframebuffer* gridTarget = nullptr;
};

void BM_EditorFrameThroughContext(benchmark::State& state)
{
  Editor editor;
  for (auto _ : state)
    editor.ThroughContext();
}
BENCHMARK(BM_EditorFrameThroughContext)->Unit(benchmark::kMillisecond);

void BM_EditorFrameDirect(benchmark::State& state)
{
  Editor editor;
  editor.main = mvgCreateTarget(editor.vg, kWidth, kHeight, 0);
  editor.gridTarget = mvgCreateTarget(editor.vg, 706, 240, 0);
  for (auto _ : state)
    editor.Direct();
  mvgDeleteTarget(editor.gridTarget);
  mvgDeleteTarget(editor.main);
}
BENCHMARK(BM_EditorFrameDirect)->Unit(benchmark::kMillisecond);

void BM_MeasureLabel(benchmark::State& state)
{
  Editor editor;
  const IText text(12.f, kColorWhite, "Roboto");
  IRECT r(0, 0, 100, 20);
  editor.g.MeasureText(text, "Target 3dB", r);
  for (auto _ : state)
  {
    IRECT bounds(0, 0, 100, 20);
    benchmark::DoNotOptimize(editor.g.MeasureText(text, "Target 3dB", bounds));
  }
}
BENCHMARK(BM_MeasureLabel)->Unit(benchmark::kMicrosecond);

} // namespace
