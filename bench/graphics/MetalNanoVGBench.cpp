// A typical editor frame through NanoVG and the Metal renderer on the
// stand-in GPU (synchronous: one core), antialiased: the controls drawn into
// the main off-screen target, then that target composited onto the layer's
// drawable. Arguments: the screen ratio and whether the GPU's fast paths are
// on.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "MetalNanoVG.h"
#include "QuartzCore/CAMetalLayer.h"
#include "StandIn/Gpu.h"

namespace {

constexpr int kWidth = 1008, kHeight = 584;
constexpr int kKnobFrames = 64, kButtonFrames = 2, kScopePoints = 706;

std::vector<uint8_t> MakeImage(int w, int h, int seed)
{
  std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
    {
      uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
      p[0] = static_cast<uint8_t>(x * 7 + seed);
      p[1] = static_cast<uint8_t>(y * 3 + seed * 5);
      p[2] = static_cast<uint8_t>((x ^ y) + seed);
      // Round controls: transparent corners, like the film strips' PNGs.
      int cx = x % 60 - 30, cy = y % 60 - 30;
      p[3] = (w == kWidth || cx * cx + cy * cy < 900) ? 255 : 0;
    }
  return rgba;
}

class EditorFrame
{
public:
  EditorFrame(float ratio) : mRatio(ratio)
  {
    standin::ResetGpu();
    mLayer = MakeStrong<CAMetalLayer>();
    mLayer->setDrawableSize(kWidth * ratio, kHeight * ratio);
    mVg = mvgCreateContext(mLayer.get(), MVG_ANTIALIAS | MVG_TRIPLE_BUFFER);
    mMain = mvgCreateTarget(mVg, static_cast<int>(kWidth * ratio), static_cast<int>(kHeight * ratio), 0);
    std::vector<uint8_t> background = MakeImage(kWidth, kHeight, 1);
    std::vector<uint8_t> knobs = MakeImage(60, 60 * kKnobFrames, 2);
    std::vector<uint8_t> buttons = MakeImage(32, 32 * kButtonFrames, 3);
    mBackground = nvgCreateImageRGBA(mVg, kWidth, kHeight, 0, background.data());
    mKnobs = nvgCreateImageRGBA(mVg, 60, 60 * kKnobFrames, 0, knobs.data());
    mButtons = nvgCreateImageRGBA(mVg, 32, 32 * kButtonFrames, 0, buttons.data());
    nvgCreateFont(mVg, "Roboto", "/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Regular.ttf");
    nvgCreateFont(mVg, "DejaVu", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    for (int c = 0; c < 4; ++c)
      for (int i = 0; i < kScopePoints; ++i)
        mScope[c].push_back(static_cast<float>(40 * std::sin(i * 0.03 * (c + 1)) + 20 * std::sin(i * 0.31 + c)));
  }

  ~EditorFrame()
  {
    mvgBindTarget(nullptr);
    mvgDeleteTarget(mMain);
    mvgDeleteContext(mVg);
  }

  void Full()
  {
    Begin();
    Image(mBackground, 0, 0, kWidth, kHeight, 0, 0, kWidth, kHeight);
    for (int k = 0; k < 17; ++k)
      Knob(k, (k * 7) % kKnobFrames);
    for (int b = 0; b < 15; ++b)
      Image(mButtons, 40 + b * 62.0f, 540, 32, 32, 40 + b * 62.0f, 540 - 32.0f * (b % 2), 32, 32.0f * kButtonFrames);
    Scope();
    Labels();
    End();
    Composite();
  }

  void KnobTick(int frame)
  {
    Begin();
    // The dirty knob only: its part of the background, then the knob.
    nvgScissor(mVg, 60, 80, 60, 60);
    Image(mBackground, 60, 80, 60, 60, 0, 0, kWidth, kHeight);
    Knob(0, frame % kKnobFrames);
    End();
    Composite();
  }

private:
  void Begin()
  {
    mvgBindTarget(mMain);
    nvgBeginFrame(mVg, kWidth, kHeight, mRatio);
  }

  void End()
  {
    nvgEndFrame(mVg);
    mvgBindTarget(nullptr);
  }

  void Composite()
  {
    nvgBeginFrame(mVg, kWidth, kHeight, mRatio);
    nvgBeginPath(mVg);
    nvgRect(mVg, 0, 0, kWidth, kHeight);
    nvgFillPaint(mVg, nvgImagePattern(mVg, 0, 0, kWidth, kHeight, 0, mvgTargetImage(mMain), 1));
    nvgFill(mVg);
    nvgEndFrame(mVg);
  }

  void Image(int image, float x, float y, float w, float h, float ix, float iy, float iw, float ih)
  {
    nvgBeginPath(mVg);
    nvgRect(mVg, x, y, w, h);
    nvgFillPaint(mVg, nvgImagePattern(mVg, ix, iy, iw, ih, 0, image, 1));
    nvgFill(mVg);
  }

  void Knob(int k, int frame)
  {
    float x = 60.0f + (k % 9) * 100.0f, y = 80.0f + (k / 9) * 140.0f;
    Image(mKnobs, x, y, 60, 60, x, y - 60.0f * frame, 60, 60.0f * kKnobFrames);
  }

  void Scope()
  {
    float x0 = 100, y0 = 330, w = 706, h = 180;
    nvgBeginPath(mVg);
    for (int i = 0; i <= 6; ++i)
    {
      nvgMoveTo(mVg, x0, y0 + i * h / 6), nvgLineTo(mVg, x0 + w, y0 + i * h / 6);
      nvgMoveTo(mVg, x0 + i * w / 5, y0), nvgLineTo(mVg, x0 + i * w / 5, y0 + h);
    }
    nvgStrokeColor(mVg, nvgRGBAf(1, 1, 1, 0.2f));
    nvgStrokeWidth(mVg, 1);
    nvgStroke(mVg);
    const NVGcolor colors[4] = {nvgRGBf(0.3f, 0.8f, 1), nvgRGBf(1, 0.6f, 0.2f), nvgRGBf(0.4f, 1, 0.4f), nvgRGBf(1, 1, 1)};
    for (int c = 0; c < 4; ++c)
    {
      nvgBeginPath(mVg);
      for (int i = 0; i < kScopePoints; ++i)
        i == 0 ? nvgMoveTo(mVg, x0, y0 + h / 2 + mScope[c][i]) : nvgLineTo(mVg, x0 + i, y0 + h / 2 + mScope[c][i]);
      nvgStrokeColor(mVg, colors[c]);
      nvgStrokeWidth(mVg, 1.5f);
      nvgStroke(mVg);
    }
  }

  void Labels()
  {
    char text[32];
    nvgFontFace(mVg, "Roboto");
    nvgFontSize(mVg, 11);
    nvgFillColor(mVg, nvgRGBf(0.9f, 0.9f, 0.9f));
    for (int i = 0; i < 20; ++i)
    {
      std::snprintf(text, sizeof text, "Parameter %d", i);
      nvgText(mVg, 50.0f + (i % 10) * 95.0f, 60.0f + (i / 10) * 140.0f, text, nullptr);
    }
    nvgFontFace(mVg, "DejaVu");
    nvgFontSize(mVg, 15);
    for (int i = 0; i < 17; ++i)
    {
      std::snprintf(text, sizeof text, "%.1f dB", -24.0 + i * 1.5);
      nvgText(mVg, 60.0f + (i % 9) * 100.0f, 160.0f + (i / 9) * 140.0f, text, nullptr);
    }
  }

  float mRatio;
  Strong<CAMetalLayer> mLayer;
  NVGcontext* mVg = nullptr;
  MVGframebuffer* mMain = nullptr;
  int mBackground = 0, mKnobs = 0, mButtons = 0;
  std::vector<float> mScope[4];
};

void BM_EditorFrame(benchmark::State& state)
{
  EditorFrame frame(static_cast<float>(state.range(0)));
  standin::SetGpuFastPaths(state.range(1) != 0);
  for (auto _ : state)
    frame.Full();
}
BENCHMARK(BM_EditorFrame)->ArgNames({"ratio", "fast"})->ArgsProduct({{1, 2}, {1, 0}})->Unit(benchmark::kMillisecond);

void BM_KnobTick(benchmark::State& state)
{
  EditorFrame frame(1.0f);
  standin::SetGpuFastPaths(state.range(0) != 0);
  frame.Full();
  int tick = 0;
  for (auto _ : state)
    frame.KnobTick(++tick);
}
BENCHMARK(BM_KnobTick)->ArgNames({"fast"})->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace
