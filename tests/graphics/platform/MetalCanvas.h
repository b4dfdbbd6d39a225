#pragma once

// A NanoVG context on the stand-in GPU drawing into a 64 x 48 off-screen
// target (or the layer's drawables), for tests that read the pixels.

#include <functional>
#include <utility>
#include <vector>

#include "MetalNanoVG.h"
#include "QuartzCore/CAMetalLayer.h"
#include "StandIn/Gpu.h"

struct MetalCanvas
{
  static constexpr int kWidth = 64, kHeight = 48;

  explicit MetalCanvas(int flags, float ratio = 1.0f, int width = kWidth, int height = kHeight)
    : ratio(ratio), width(width), height(height)
  {
    layer = MakeStrong<CAMetalLayer>();
    layer->setDrawableSize(width * ratio, height * ratio);
    vg = mvgCreateContext(layer.get(), flags);
    if (vg)
      target = mvgCreateTarget(vg, static_cast<int>(width * ratio), static_cast<int>(height * ratio), 0);
  }
  ~MetalCanvas()
  {
    mvgBindTarget(nullptr);
    mvgDeleteTarget(target);
    mvgDeleteContext(vg);
  }

  // One frame into the target (cleared to transparent first); its RGBA.
  std::vector<uint8_t> Draw(const std::function<void(NVGcontext*)>& draw)
  {
    mvgBindTarget(target);
    mvgSetClearColor(vg, nvgRGBAf(0, 0, 0, 0));
    nvgBeginFrame(vg, static_cast<float>(width), static_cast<float>(height), ratio);
    draw(vg);
    nvgEndFrame(vg);
    mvgBindTarget(nullptr);
    return Pixels();
  }

  std::vector<uint8_t> Pixels()
  {
    int w = static_cast<int>(width * ratio), h = static_cast<int>(height * ratio);
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
    mvgReadImagePixels(vg, mvgTargetImage(target), 0, 0, w, h, rgba.data());
    return rgba;
  }

  // One frame into the layer's next drawable.
  void DrawToScreen(const std::function<void(NVGcontext*)>& draw)
  {
    nvgBeginFrame(vg, static_cast<float>(width), static_cast<float>(height), ratio);
    draw(vg);
    nvgEndFrame(vg);
  }

  static uint8_t At(const std::vector<uint8_t>& rgba, int x, int y, int channel, int w = kWidth)
  {
    return rgba[(static_cast<size_t>(y) * w + x) * 4 + channel];
  }

  float ratio;
  int width, height;
  Strong<CAMetalLayer> layer;
  NVGcontext* vg = nullptr;
  MVGframebuffer* target = nullptr;
};

// Draws `scene` once under each setting of a switch that must not change
// the result (fast paths, strict textures); both results, first for false.
inline std::pair<std::vector<uint8_t>, std::vector<uint8_t>> DrawWithAndWithout(
  void (*setSwitch)(bool), int flags, const std::function<void(NVGcontext*)>& scene)
{
  std::vector<uint8_t> results[2];
  for (bool on : {false, true})
  {
    setSwitch(on);
    MetalCanvas canvas(flags);
    results[on] = canvas.Draw(scene);
  }
  return {results[0], results[1]};
}

// Every test starts from a synchronous GPU with an empty log.
class MetalTest : public ::testing::Test
{
protected:
  void SetUp() override { standin::ResetGpu(); }
  void TearDown() override { standin::ResetGpu(); }
};
