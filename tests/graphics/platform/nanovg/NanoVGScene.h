#pragma once

// A headless NanoVG context of 100 x 50 points, open, and helpers that draw
// one frame and read what the drawable shows.

#include <functional>
#include <memory>
#include <vector>

#include "tests/support/gfx/FakeEditorDelegate.h"
#include "tests/support/gfx/HeadlessNanoVGGfx.h"

struct NanoVGScene
{
  explicit NanoVGScene(float drawScale = 1.f, float screenScale = 1.f, int w = 100, int h = 50)
    : dlg(w, h), g(std::make_unique<gfxtest::HeadlessNanoVGGfx>(dlg, w, h, drawScale, screenScale))
  {
    g->OpenWindow(nullptr);
  }

  // One frame; the drawable's pixels afterwards.
  const std::vector<uint8_t>& Frame(const std::function<void(gfxtest::HeadlessNanoVGGfx&)>& draw)
  {
    Begin();
    draw(*g);
    g->EndFrame();
    pixels = g->Presented(width, height);
    return pixels;
  }

  // A frame begun as the draw road begins each control: the whole editor as
  // the clip, the transform reset.
  void Begin()
  {
    g->BeginFrame();
    g->SetBaseClipRect(plugkit::gfx::IRECT(0.f, 0.f, float(g->Width()), float(g->Height())));
    g->PathTransformReset();
    g->PathClipRegion();
  }

  plugkit::gfx::IColor At(int x, int y) const { return g->PresentedAt(pixels, width, x, y); }
  bool Painted(int x, int y) const { return At(x, y).A > 0; }

  gfxtest::FakeEditorDelegate dlg;
  std::unique_ptr<gfxtest::HeadlessNanoVGGfx> g;
  std::vector<uint8_t> pixels;
  int width = 0, height = 0;
};
