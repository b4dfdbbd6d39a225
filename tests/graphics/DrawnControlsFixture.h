#pragma once

#include <algorithm>
#include <vector>

#include "tests/graphics/EditorFixture.h"

namespace gfxtest {

// A control that asks for menus and keeps every answer it gets. With a
// press menu set, a press on it opens that menu, as a control whose click
// offers a choice does.
class Asker : public ProbeControl
{
public:
  using ProbeControl::ProbeControl;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override
  {
    ProbeControl::OnMouseDown(x, y, mod);
    if (pressMenu)
      GetUI()->CreatePopupMenu(*this, *pressMenu, pressAnchor);
  }
  IPopupMenu* pressMenu = nullptr;
  IRECT pressAnchor;
  void OnPopupMenuSelection(IPopupMenu* pMenu, int valIdx) override
  {
    answers.push_back(pMenu);
    chosen.push_back(pMenu ? pMenu->GetChosenItemIdx() : -1);
    ProbeControl::OnPopupMenuSelection(pMenu, valIdx);
  }
  std::vector<IPopupMenu*> answers;
  std::vector<int> chosen;
};

// One filled path as the back-end saw it: colour, blend weight, the points
// and their bounding box.
struct Fill
{
  IColor color;
  float weight = 1.f;
  std::vector<float> pts;
  IRECT box;
};

inline std::vector<Fill> Fills(const RecordingGfx& g)
{
  std::vector<Fill> out;
  Fill cur;
  for (const GfxCall& c : g.calls)
  {
    if (c.name == "PathFill")
    {
      cur.color = c.pattern.NStops() ? c.pattern.GetStop(0).mColor : IColor();
      cur.weight = c.blend.mWeight;
      for (size_t i = 0; i + 1 < cur.pts.size(); i += 2)
      {
        const IRECT pt(cur.pts[i], cur.pts[i + 1], cur.pts[i], cur.pts[i + 1]);
        cur.box = i == 0 ? pt
                         : IRECT(std::min(cur.box.L, pt.L), std::min(cur.box.T, pt.T), std::max(cur.box.R, pt.R),
                             std::max(cur.box.B, pt.B));
      }
      out.push_back(cur);
      cur = Fill();
    }
    else if (c.name == "PathClear")
      cur = Fill();
    else if (c.name.rfind("Path", 0) == 0)
      cur.pts.insert(cur.pts.end(), c.editorPts.begin(), c.editorPts.end());
  }
  return out;
}

inline std::vector<Fill> FillsOf(const RecordingGfx& g, const IColor& color)
{
  std::vector<Fill> out;
  for (const Fill& f : Fills(g))
    if (f.color == color)
      out.push_back(f);
  return out;
}

// The product's editor size with the drawn menu and text entry attached, on
// the recording back-end and the manual clock.
class DrawnControlsTest : public testsupport::ManualClockTest
{
protected:
  void SetUp() override
  {
    ManualClockTest::SetUp();
    g = dlg.Open();
    view = std::make_unique<HeadlessView>(*g);
    g->AttachPopupMenuControl(menu = new IPopupMenuControl);
    g->AttachTextEntryControl(entry = new ITextEntryControl);
    g->AttachControl(asker = new Asker(journal, "asker", IRECT(0, 0, 40, 20)));
  }
  // Moves the clock on and runs one display tick.
  void Advance(double ms)
  {
    standin::AdvanceManualClock(ms / 1000.0);
    view->Tick();
  }
  void OpenMenu(IPopupMenu& m, const IRECT& anchor) { g->CreatePopupMenu(*asker, m, anchor); }
  // Opens the menu through a click on the asker: the press begins the host
  // gestures of the asker's parameters, and the menu's answer ends them.
  void ClickToOpen(IPopupMenu& m, const IRECT& anchor)
  {
    asker->pressMenu = &m;
    asker->pressAnchor = anchor;
    Click(asker->GetRECT().MW(), asker->GetRECT().MH());
    asker->pressMenu = nullptr;
  }
  // Opens the menu and lets it fade in until it idles.
  void OpenIdle(IPopupMenu& m, const IRECT& anchor)
  {
    OpenMenu(m, anchor);
    Advance(0);
    Advance(101);
  }
  // The drawing calls of one name since the last Clear.
  std::vector<GfxCall> Drawn(const char* name) const { return g->CallsNamed(name); }
  void Hover(float x, float y) { g->OnMouseOver(x, y, IMouseMod()); }
  void Click(float x, float y, Button button = Button::kLeft)
  {
    MouseAction action(button);
    g->OnMouseDown(action.Press(x, y));
    g->OnMouseUp(action.Release(x, y));
  }

  Journal journal;
  EditorDelegate dlg{1008, 584};
  RecordingGfx* g = nullptr;
  std::unique_ptr<HeadlessView> view;
  IPopupMenuControl* menu = nullptr;
  ITextEntryControl* entry = nullptr;
  Asker* asker = nullptr;
};

} // namespace gfxtest
