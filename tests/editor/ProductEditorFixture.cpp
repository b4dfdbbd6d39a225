#include "tests/editor/ProductEditorFixture.h"

#include "StandIn/Hooks.h"
#include "graphics/controls/IPopupMenuControl.h"

namespace editortest {

void ProductEditorTest::SetUp()
{
  TempHomeTest::SetUp();
  standin::ResetMainLoop();
  standin::UseManualClock(1000.0);
  InstallProductGfx([this](const tolvane3::GraphicsRequest& r) { madeWith = r; });
  mUnit = std::make_unique<testsupport::ProductUnit>();
  ASSERT_EQ(mUnit->Initialize(), noErr);
  if (openingGUIScale > 0.0)
    mUnit->FromEditor(tolvane3::kGUIScale, openingGUIScale);
  OpenEditor();
}

void ProductEditorTest::OpenEditor()
{
  mView.reset();
  RegisterProductBundle();
  Plug().OpenWindow(nullptr);
  ASSERT_NE(Plug().GetUI(), nullptr);
  mView = std::make_unique<gfxtest::HeadlessView>(*Plug().GetUI());
}

void ProductEditorTest::TearDown()
{
  mView.reset();
  mUnit.reset();
  tolvane3::SetEditorFunctions(nullptr, nullptr);
  standin::ResetMainLoop();
  standin::UseRealClock();
  TempHomeTest::TearDown();
}

void ProductEditorTest::Click(float x, float y, IMouseMod mod)
{
  View().Press(x, y, mod);
  View().Release(x, y, IMouseMod(false, false, mod.S, mod.C, mod.A));
}

void ProductEditorTest::DoubleClick(float x, float y, IMouseMod mod)
{
  View().Press(x, y, mod, 1);
  View().Release(x, y, IMouseMod());
  View().Press(x, y, mod, 2);
  View().Release(x, y, IMouseMod());
}

void ProductEditorTest::DragBy(float x, float y, float dY, IMouseMod mod)
{
  View().Press(x, y, mod);
  View().Drag(x, y + dY, 0.f, dY, mod);
  View().Release(x, y + dY, IMouseMod(false, false, mod.S, mod.C, mod.A));
}

void ProductEditorTest::Wheel(float x, float y, float d, IMouseMod mod)
{
  G().OnMouseWheel(x, y, mod, d);
}

void ProductEditorTest::Settle(double ms)
{
  for (double t = 0.0; t < ms; t += 20.0)
  {
    standin::AdvanceManualClock(0.02);
    View().Tick();
  }
}

bool ProductEditorTest::FindMenuCell(const char* text, float& x, float& y, IRECT* cell)
{
  const IPopupMenuControl* menu = G().GetPopupMenuControl();
  for (int p = menu ? menu->NPanels() - 1 : -1; p >= 0; --p)
  {
    const IPopupMenuControl::MenuPanel& panel = *menu->GetPanel(p);
    if (!panel.mShouldDraw)
      continue;
    for (int c = 0; c < panel.NCells(); ++c)
    {
      const IPopupMenu::Item* item = panel.mMenu.GetItem(panel.ItemIdx(c));
      if (item && std::string(item->GetText()) == text)
      {
        const IRECT& r = panel.mCellBounds[static_cast<size_t>(c)];
        x = r.MW();
        y = r.MH();
        if (cell)
          *cell = r;
        return true;
      }
    }
  }
  return false;
}

bool ProductEditorTest::PickFromMenu(float x, float y, const char* item, const char* sub)
{
  Click(x, y);
  Settle();
  float cx = 0.f, cy = 0.f;
  if (!FindMenuCell(item, cx, cy))
    return false;
  Hover(cx, cy);
  if (sub)
  {
    Settle();
    if (!FindMenuCell(sub, cx, cy))
      return false;
    Hover(cx, cy);
  }
  Click(cx, cy);
  Settle();
  return true;
}

} // namespace editortest
