// The drawing work with a frame budget: the SVG walk of one shape of 200
// sub-paths, whose hole test compares every sub-path with every other
// (target: 10 % of a 60 fps frame, 1.7 ms), and a blur-10 drop shadow on a
// 400 x 300 pixel layer (target: 20 % of a frame, 3.3 ms). Both run on the
// recording back-end with its log off, so the figures are the graphics
// core's own work.
#include <string>

#include <benchmark/benchmark.h>

#include "graphics/SVG.h"
#include "tests/support/gfx/FakeEditorDelegate.h"

namespace {

using namespace gfxtest;

// One path element of 200 sub-paths: rings of a circle with a square in it.
std::string TwoHundredSubPaths()
{
  std::string d;
  for (int i = 0; i < 100; ++i)
  {
    const int x = (i % 10) * 20 + 10, y = (i / 10) * 20 + 10;
    d += "M" + std::to_string(x - 8) + " " + std::to_string(y) + " a8 8 0 1 1 16 0 a8 8 0 1 1 -16 0 Z ";
    d += "M" + std::to_string(x - 3) + " " + std::to_string(y - 3) + " h6 v6 h-6 Z ";
  }
  return "<svg width='200' height='200'><path fill='#336699' stroke='black' d='" + d + "'/></svg>";
}

void BM_SVGWalkTwoHundredSubPaths(benchmark::State& state)
{
  FakeEditorDelegate dlg;
  RecordingGfx* g = dlg.Open();
  g->logging = false;
  NSVGimage* image = nsvgParse(TwoHundredSubPaths().c_str(), "px", 96.f);
  for (auto _ : state)
    g->DrawSVG(ISVG(image), IRECT(0.f, 0.f, 200.f, 200.f));
  nsvgDelete(image);
}
BENCHMARK(BM_SVGWalkTwoHundredSubPaths)->Unit(benchmark::kMicrosecond);

void BM_DropShadowBlur10(benchmark::State& state)
{
  FakeEditorDelegate dlg;
  RecordingGfx* g = dlg.Open();
  g->logging = false;
  const int w = 400, h = 300;
  g->StartLayer(nullptr, IRECT(0.f, 0.f, static_cast<float>(w), static_cast<float>(h)));
  ILayerPtr layer = g->EndLayer();
  // A control's usual content: an opaque panel with a transparent margin
  // and some anti-aliased edges.
  IRawBitmapData pixels;
  pixels.Resize(w * h * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
    {
      const bool inside = x >= 30 && x < w - 30 && y >= 30 && y < h - 30;
      const bool edge = inside && (x == 30 || y == 30 || x == w - 31 || y == h - 31);
      pixels.Get()[(y * w + x) * 4 + 3] = static_cast<uint8_t>(edge ? 128 : inside ? 255 : 0);
    }
  g->WriteLayerBitmapData(layer, pixels);
  const IShadow shadow(kColorBlack, 10.f, 3.f, 3.f, 0.7f);
  for (auto _ : state)
    g->ApplyLayerDropShadow(layer, shadow);
}
BENCHMARK(BM_DropShadowBlur10)->Unit(benchmark::kMicrosecond);

} // namespace
