// The per-tick work of the graphics context with a frame budget, on the
// recording back-end with its log off: one tick over 300 controls of which
// 30 are dirty (target: 1 % of a 60 fps frame, 0.17 ms), the optimisation
// of 50 random overlapping dirty rectangles (target: the same budget), and
// the hit test of one mouse move over those 300 controls (target: 5 us).
#include <random>

#include <benchmark/benchmark.h>

#include "tests/support/gfx/FakeEditorDelegate.h"
#include "tests/support/gfx/HeadlessView.h"

namespace {

using namespace gfxtest;

class Tile : public IControl
{
public:
  using IControl::IControl;
  void Draw(IGfx& g) override { g.FillRect(kColorGray, mBounds); }
};

// A 20 x 15 grid of 20-point tiles under a background.
RecordingGfx* OpenGrid(FakeEditorDelegate& dlg)
{
  RecordingGfx* g = dlg.Open();
  g->logging = false;
  g->AttachBackgroundControl(new Tile(g->GetBounds()));
  for (int row = 0; row < 15; ++row)
    for (int col = 0; col < 20; ++col)
    {
      const float x = col * 20.f, y = row * 20.f;
      g->AttachControl(new Tile(IRECT(x, y, x + 20.f, y + 20.f)));
    }
  return g;
}

void BM_TickThirtyOfThreeHundredDirty(benchmark::State& state)
{
  FakeEditorDelegate dlg;
  RecordingGfx* g = OpenGrid(dlg);
  HeadlessView view(*g);
  view.Tick();
  for (auto _ : state)
  {
    for (int k = 0; k < 30; ++k)
      g->GetControl(1 + k * 10)->SetDirty(false);
    view.Tick();
  }
}
BENCHMARK(BM_TickThirtyOfThreeHundredDirty)->Unit(benchmark::kMicrosecond);

void BM_OptimizeFiftyOverlapping(benchmark::State& state)
{
  std::mt19937 rng(50);
  std::uniform_real_distribution<float> pos(0.f, 360.f), size(10.f, 80.f);
  IRECTList input;
  for (int k = 0; k < 50; ++k)
  {
    const float l = pos(rng), t = pos(rng);
    input.Add(IRECT(l, t, l + size(rng), t + size(rng)));
  }
  for (auto _ : state)
  {
    IRECTList list = input;
    list.Optimize();
    benchmark::DoNotOptimize(list.Size());
  }
}
BENCHMARK(BM_OptimizeFiftyOverlapping)->Unit(benchmark::kMicrosecond);

void BM_MouseMoveHitTest(benchmark::State& state)
{
  FakeEditorDelegate dlg;
  RecordingGfx* g = OpenGrid(dlg);
  g->EnableMouseOver(true);
  // The first tile: the walk from the top passes every other control.
  for (auto _ : state)
    benchmark::DoNotOptimize(g->OnMouseOver(5.f, 5.f, IMouseMod()));
}
BENCHMARK(BM_MouseMoveHitTest)->Unit(benchmark::kNanosecond);

} // namespace
