// The real product's editor on the recording back-end: the plug-in opened
// through its module, the built bundle registered with the stand-in layer
// (so the layout finds its pictures and fonts), a temporary home, the
// manual clock and a headless view that drives the context as the
// platform view does.
#pragma once

#include <memory>
#include <string>

#include "plugin/Tolvane3.h"
#include "tests/plugin/support/ProductHost.h"
#include "tests/support/TempHome.h"
#include "tests/support/gfx/HeadlessView.h"
#include "tests/editor/ProductGfx.h"

namespace editortest {

using namespace plugkit::gfx;
using tolvane3::Tolvane3;

class ProductEditorTest : public testsupport::TempHomeTest
{
protected:
  void SetUp() override;
  void TearDown() override;
  // Opens the editor (again) at the plug-in's GUI scale.
  void OpenEditor();

public:
  Tolvane3& Plug() { return mUnit->Plug(); }
  ProductGfx& G() { return *static_cast<ProductGfx*>(Plug().GetUI()); }
  gfxtest::HeadlessView& View() { return *mView; }
  // The topmost list control the mouse reaches at the point.
  IControl* At(float x, float y) { return G().GetControl(G().GetMouseControlIdx(x, y)); }
  double Param(int idx) { return Plug().GetParam(idx)->Value(); }

  // A user's actions, as the view reports them.
  void Click(float x, float y, IMouseMod mod = IMouseMod(true));
  void DoubleClick(float x, float y, IMouseMod mod = IMouseMod(true));
  void DragBy(float x, float y, float dY, IMouseMod mod = IMouseMod(true));
  void Wheel(float x, float y, float d, IMouseMod mod = IMouseMod());
  void Hover(float x, float y) { G().OnMouseOver(x, y, IMouseMod()); }
  // Lets time pass in steps of 20 ms, the view ticking after each, so
  // animations (the menu's fades) run their course.
  void Settle(double ms = 600.0);
  // The centre of the cell showing the item of that text in the open drawn
  // menu's panels (the newest panel first); false when none shows it.
  bool FindMenuCell(const char* text, float& x, float& y, IRECT* cell = nullptr);
  // Clicks a control, lets its menu open, and picks the item of that text,
  // or the entry sub of the sub-menu item of that text, as a user would:
  // pointer over the cell, the sub-menu's time to appear, a click.
  bool PickFromMenu(float x, float y, const char* item, const char* sub = nullptr);

  // The GUI scale set before the editor first opens (0: the default).
  double openingGUIScale = 0.0;
  tolvane3::GraphicsRequest madeWith{};
  std::unique_ptr<testsupport::ProductUnit> mUnit;
  std::unique_ptr<gfxtest::HeadlessView> mView;
};

} // namespace editortest
