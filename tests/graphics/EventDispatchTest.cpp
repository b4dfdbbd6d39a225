#include <gtest/gtest.h>

#include "graphics/ICornerResizerControl.h"
#include "tests/graphics/EditorFixture.h"

namespace {

using namespace gfxtest;
using Dlg = FakeEditorDelegate;

// A probe that fills its context menu when asked to, takes keys, or removes
// itself on release.
class Handy : public ProbeControl
{
public:
  using ProbeControl::ProbeControl;
  void CreateContextMenu(IPopupMenu& menu) override
  {
    if (fillsMenu)
      menu.AddItem("Reset");
  }
  bool OnKeyDown(float, float, const IKeyPress&) override { return takesKeys; }
  void OnMouseUp(float x, float y, const IMouseMod& mod) override
  {
    ProbeControl::OnMouseUp(x, y, mod);
    if (removesItself)
      GetUI()->RemoveControl(this);
  }
  bool fillsMenu = false;
  bool takesKeys = false;
  bool removesItself = false;
};

class Events : public EditorTest
{
protected:
  Handy* Add(const char* name, IRECT r, int paramIdx = -1)
  {
    auto* c = new Handy(journal, name, r, paramIdx);
    g->AttachControl(c);
    return c;
  }
};

TEST_F(Events, OpenDrawnMenuOrEntryTakesEveryClick)
{
  Add("c", IRECT(0, 0, 400, 300));
  auto* menu = new StubMenu;
  auto* entry = new StubEntry;
  g->AttachPopupMenuControl(menu);
  g->AttachTextEntryControl(entry);
  g->CreatePopupMenu(*g->GetControl(0), g->GetPromptMenu(), IRECT(10, 10, 20, 20));
  menu->Idle();
  for (const IRECT& at : {IRECT(5, 5, 5, 5), IRECT(390, 290, 390, 290)})
    EXPECT_EQ(g->GetMouseControl(at.L, at.T, false), menu);
  menu->Choose(-1);
  g->CreateTextEntry(*g->GetControl(0), IText(), IRECT(10, 10, 50, 30), "1", 0);
  EXPECT_EQ(g->GetMouseControl(390.f, 290.f, false), entry);
  g->OnMouseDown(MouseAction().Press(390.f, 290.f));
  EXPECT_TRUE(NamesWith(journal, "OnMouseDown").empty());
}

TEST_F(Events, CornerResizerWinsItsCornerWithoutItsFarEdges)
{
  Handy* under = Add("under", IRECT(0, 0, 500, 400));
  auto* resizer = new ICornerResizerControl(g->GetBounds(), 20.f);
  g->AttachCornerResizer(resizer);
  EXPECT_EQ(g->GetMouseControl(380.f, 280.f, false), resizer);
  EXPECT_EQ(g->GetMouseControl(399.5f, 299.5f, false), resizer);
  EXPECT_EQ(g->GetMouseControl(400.f, 290.f, false), under);
  EXPECT_EQ(g->GetMouseControl(390.f, 300.f, false), under);
}

TEST_F(Events, RightClickOpensAFilledContextMenuOrNothingOnLinkedControls)
{
  struct Case { const char* name; int param; bool fills; HeldKeys keys; Button button; const char* seen; size_t menus; };
  const Case cases[] = {
    {"linked, filled", Dlg::kGain, true, {}, Button::kRight, nullptr, 1},
    {"linked, command-click", Dlg::kGain, true, {.command = true}, Button::kLeft, nullptr, 1},
    {"linked, empty menu", Dlg::kGain, false, {}, Button::kRight, nullptr, 0},
    {"unlinked", -1, true, {}, Button::kRight, "c OnMouseDown right", 0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    g->RemoveAllControls();
    journal.clear();
    g->menuRequests.clear();
    dlg.gesturesBegun.clear();
    Add("c", IRECT(0, 0, 100, 100), c.param)->fillsMenu = c.fills;
    journal.clear();
    MouseAction click(c.button, c.keys);
    g->OnMouseDown(click.Press(50.f, 50.f));
    EXPECT_EQ(journal, c.seen ? Journal{c.seen} : Journal{});
    EXPECT_EQ(g->menuRequests.size(), c.menus);
    EXPECT_TRUE(dlg.gesturesBegun.empty());
  }
}


TEST_F(Events, DoubleClickIsASecondPressOnlyWhenTheControlAsks)
{
  for (bool asSingle : {true, false})
  {
    SCOPED_TRACE(asSingle);
    g->RemoveAllControls();
    journal.clear();
    Handy* c = Add("c", IRECT(0, 0, 100, 100));
    c->SetMouseDblAsSingleClick(asSingle);
    view->Press(50.f, 50.f, IMouseMod(true), 2);
    EXPECT_EQ(NamesWith(journal, "OnMouseDown").size(), asSingle ? 1u : 0u);
    EXPECT_EQ(g->ControlIsCaptured(c), asSingle);
  }
}

TEST_F(Events, DragsFollowTheCaptureAndNeedMovement)
{
  Add("c", IRECT(0, 0, 100, 100), Dlg::kGain);
  MouseAction drag;
  g->OnMouseDown(drag.Press(50.f, 50.f));
  g->OnMouseDrag(drag.Drag(50.f, 50.f));
  EXPECT_TRUE(NamesWith(journal, "OnMouseDrag").empty());
  g->OnMouseDrag(drag.Drag(300.f, 250.f));
  EXPECT_EQ(NamesWith(journal, "OnMouseDrag").size(), 1u);
  g->OnMouseUp(drag.Release(300.f, 250.f));
  EXPECT_EQ(dlg.gesturesBegun, (std::vector<int>{Dlg::kGain}));
  EXPECT_TRUE(dlg.GesturesBalanced());
  EXPECT_FALSE(g->ControlIsCaptured(g->GetControl(0)));
}

TEST_F(Events, ControlRemovingItselfOnReleaseStillEndsItsGesture)
{
  Add("c", IRECT(0, 0, 100, 100), Dlg::kGain)->removesItself = true;
  view->Press(10.f, 10.f, IMouseMod(true));
  view->Release(10.f, 10.f, IMouseMod());
  EXPECT_EQ(g->NControls(), 0);
  EXPECT_TRUE(dlg.GesturesBalanced());
}

TEST_F(Events, SecondTouchOnAHeldControlNeedsMultiTouchWish)
{
  g->EnableMultiTouch(true);
  for (bool wants : {false, true})
  {
    SCOPED_TRACE(wants);
    g->RemoveAllControls();
    Handy* c = Add("c", IRECT(0, 0, 100, 100));
    c->SetWantsMultiTouch(wants);
    EXPECT_EQ(g->GetMouseControl(10.f, 10.f, true, false, 1), c);
    EXPECT_EQ(g->GetMouseControl(20.f, 20.f, true, false, 2), wants ? c : nullptr);
  }
}

TEST_F(Events, KeysNeverReachTheBackground)
{
  Add("bg", IRECT(0, 0, 400, 300))->takesKeys = true;
  EXPECT_FALSE(g->OnKeyDown(50.f, 50.f, IKeyPress("q", 'Q')));
  Add("top", IRECT(0, 0, 100, 100))->takesKeys = true;
  EXPECT_TRUE(g->OnKeyDown(50.f, 50.f, IKeyPress("q", 'Q')));
}

TEST_F(Events, ClickOnAControlWithoutValuesIsSafe)
{
  auto* bare = new ProbeControl(journal, "bare", IRECT(0, 0, 100, 100), std::initializer_list<int>{});
  g->AttachControl(bare);
  ASSERT_EQ(bare->NVals(), 0);
  view->Press(10.f, 10.f, IMouseMod(false, true));
  view->Release(10.f, 10.f, IMouseMod());
  EXPECT_EQ(NamesWith(journal, "OnMouseDown right").size(), 1u);
  EXPECT_TRUE(dlg.gesturesBegun.empty());
}

TEST_F(Events, FocusLossHidesAnIdlingMenuAndForgetsTheMouse)
{
  Handy* c = Add("c", IRECT(0, 0, 100, 100));
  auto* menu = new StubMenu;
  g->AttachPopupMenuControl(menu);
  g->CreatePopupMenu(*c, g->GetPromptMenu(), IRECT(10, 10, 20, 20));
  menu->Idle();
  menu->Hide(false);
  g->OnFocusLost();
  EXPECT_TRUE(menu->IsHidden());
  EXPECT_EQ(g->GetMouseOver(), nullptr);
}

TEST_F(Events, MouseOverSkipsTheBackgroundAndListControlsWhenOff)
{
  Add("bg", IRECT(0, 0, 400, 300));
  Handy* top = Add("top", IRECT(0, 0, 100, 100));
  g->EnableMouseOver(true);
  EXPECT_FALSE(g->OnMouseOver(200.f, 200.f, IMouseMod()));
  EXPECT_TRUE(g->OnMouseOver(50.f, 50.f, IMouseMod()));
  EXPECT_EQ(g->GetMouseOver(), top);
  g->EnableMouseOver(false);
  EXPECT_FALSE(g->OnMouseOver(50.f, 50.f, IMouseMod()));
  EXPECT_EQ(NamesWith(journal, "OnMouseOut").size(), 1u);
}

} // namespace
