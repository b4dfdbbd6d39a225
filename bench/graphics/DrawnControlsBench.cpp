// The drawn menu and text entry against a frame budget, on the recording
// back-end with its log off: opening a 500-item menu, which measures every
// item, builds the scrolled panel and draws it once (target: 10 % of a
// 60 fps frame, 1.7 ms); one hover over that menu (target: 5 us); one
// keystroke in a 1,000-character entry, which measures every character
// again (target: 1.7 ms).
#include <string>

#include <benchmark/benchmark.h>

#include "graphics/controls/IPopupMenuControl.h"
#include "graphics/controls/ITextEntryControl.h"
#include "tests/support/gfx/FakeEditorDelegate.h"
#include "tests/support/gfx/HeadlessView.h"

namespace {

using namespace gfxtest;

// A menu the benchmark can put back to closed, or to idling, at once
// instead of waiting for its fades.
class BenchMenu : public IPopupMenuControl
{
public:
  void Reset()
  {
    DeletePanels();
    mState = kCollapsed;
    mHidden = true;
  }
  void Idle() { mState = kIdling; }
};

class Blank : public IControl
{
public:
  using IControl::IControl;
  void Draw(IGfx& g) override {}
};

// An editor of the product's size, its log off, with the drawn menu and a
// menu of 500 items.
struct MenuEditor
{
  MenuEditor()
  {
    g = dlg.Open();
    g->logging = false;
    g->AttachPopupMenuControl(menu = new BenchMenu);
    for (int i = 0; i < 500; ++i)
      items.AddItem(("Item " + std::to_string(i)).c_str());
  }
  FakeEditorDelegate dlg{1008, 584};
  RecordingGfx* g = nullptr;
  BenchMenu* menu = nullptr;
  IPopupMenu items;
};

void BM_OpenFiveHundredItemMenu(benchmark::State& state)
{
  MenuEditor e;
  HeadlessView view(*e.g);
  view.Tick();
  for (auto _ : state)
  {
    e.menu->CreatePopupMenu(e.items, IRECT(100, 100, 120, 120));
    view.Tick();
    state.PauseTiming();
    e.menu->Reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenFiveHundredItemMenu)->Unit(benchmark::kMicrosecond);

void BM_HoverOverFiveHundredItemMenu(benchmark::State& state)
{
  MenuEditor e;
  e.menu->CreatePopupMenu(e.items, IRECT(100, 100, 120, 120));
  e.menu->Idle();
  const IRECT a = e.menu->GetPanel(0)->mCellBounds[10], b = e.menu->GetPanel(0)->mCellBounds[20];
  bool flip = false;
  for (auto _ : state)
  {
    const IRECT& cell = flip ? a : b;
    flip = !flip;
    e.g->OnMouseOver(cell.MW(), cell.MH(), IMouseMod());
  }
}
BENCHMARK(BM_HoverOverFiveHundredItemMenu)->Unit(benchmark::kMicrosecond);

void BM_KeystrokeInThousandCharacterEntry(benchmark::State& state)
{
  FakeEditorDelegate dlg(1008, 584);
  RecordingGfx* g = dlg.Open();
  g->logging = false;
  auto* entry = new ITextEntryControl;
  g->AttachTextEntryControl(entry);
  auto* caller = new Blank(IRECT(0, 0, 10, 10));
  g->AttachControl(caller);
  const std::string text(1000, 'x');
  g->CreateTextEntry(*caller, IText(14.f), IRECT(10, 10, 990, 30), text.c_str(), -1);
  g->OnKeyDown(0, 0, IKeyPress("", 35)); // End
  bool type = true;
  for (auto _ : state)
  {
    // Typing and deleting in turn keeps the text at 1,000 characters.
    benchmark::DoNotOptimize(type ? g->OnKeyDown(0, 0, IKeyPress("a", 'A')) : g->OnKeyDown(0, 0, IKeyPress("", 8)));
    type = !type;
  }
}
BENCHMARK(BM_KeystrokeInThousandCharacterEntry)->Unit(benchmark::kMicrosecond);

} // namespace
