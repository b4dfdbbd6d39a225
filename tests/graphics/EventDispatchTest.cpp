#include <gtest/gtest.h>

#include <functional>

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
  Add("bg", IRECT(0, 0, 400, 300));
  Handy* c = Add("c", IRECT(0, 0, 100, 100));
  g->EnableMouseOver(true);
  ASSERT_TRUE(g->OnMouseOver(50.f, 50.f, IMouseMod()));
  ASSERT_EQ(g->GetMouseOver(), c);
  auto* menu = new StubMenu;
  g->AttachPopupMenuControl(menu);
  g->CreatePopupMenu(*c, g->GetPromptMenu(), IRECT(10, 10, 20, 20));
  menu->Idle();
  menu->Hide(false);
  g->OnFocusLost();
  EXPECT_TRUE(menu->IsHidden());
  EXPECT_EQ(g->GetMouseOver(), nullptr);
  EXPECT_EQ(g->GetMouseOverIdx(), -1);
}

TEST_F(Events, ContextMenuAnswerEndsNoGestureItDidNotBegin)
{
  struct Case { const char* name; bool drawn, async; };
  const Case cases[] = {{"native menu", false, false}, {"native menu answered later", false, true},
    {"drawn menu", true, false}};
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    g->RemoveAllControls();
    dlg.gesturesBegun.clear();
    dlg.gesturesEnded.clear();
    g->script.menuChoice = 0;
    g->script.menuAsync = c.async;
    auto* menu = c.drawn ? new StubMenu : nullptr;
    if (menu)
      g->AttachPopupMenuControl(menu);
    Add("c", IRECT(0, 0, 100, 100), Dlg::kGain)->fillsMenu = true;
    MouseAction click(Button::kRight);
    g->OnMouseDown(click.Press(50.f, 50.f));
    g->OnMouseUp(click.Release(50.f, 50.f));
    const bool answered = menu ? (menu->Choose(0), true) : !c.async || g->AnswerPendingMenu();
    EXPECT_TRUE(answered);
    EXPECT_EQ(g->GetPopupCaller(), nullptr) << "answered";
    EXPECT_TRUE(dlg.gesturesBegun.empty());
    EXPECT_TRUE(dlg.gesturesEnded.empty());
  }
}

TEST_F(Events, MouseOverIndexAlwaysNamesTheMouseOverControl)
{
  Add("bg", IRECT(0, 0, 400, 300));
  Handy* a = Add("a", IRECT(0, 0, 100, 100));
  Handy* b = Add("b", IRECT(200, 0, 300, 100));
  g->EnableMouseOver(true);
  MouseAction mouse;
  struct Step { const char* name; std::function<void()> event; IControl* over; };
  const Step steps[] = {
    {"over b", [&] { g->OnMouseOver(250.f, 50.f, IMouseMod()); }, b},
    {"press on a", [&] { g->OnMouseDown(mouse.Press(50.f, 50.f)); }, b},
    {"over b while a is held", [&] { g->OnMouseOver(250.f, 50.f, IMouseMod()); }, a},
    {"release over b", [&] { g->OnMouseUp(mouse.Release(250.f, 50.f)); }, b},
    {"over nothing but the background", [&] { g->OnMouseOver(350.f, 250.f, IMouseMod()); }, nullptr},
  };
  for (const Step& step : steps)
  {
    SCOPED_TRACE(step.name);
    step.event();
    EXPECT_EQ(g->GetMouseOver(), step.over);
    EXPECT_EQ(g->GetMouseOverIdx(), step.over ? g->GetControlIdx(step.over) : -1);
  }
}

TEST_F(Events, CancelledTouchIsNoLongerCaptured)
{
  g->EnableMultiTouch(true);
  Handy* c = Add("c", IRECT(0, 0, 100, 100));
  c->SetWantsMultiTouch(true);
  auto touch = [](ITouchID id, float x, float dX = 0.f) {
    return IMouseInfoList{IMouseInfo{x, 50.f, dX, 0.f, IMouseMod(true, false, false, false, false, id)}};
  };
  g->OnMouseDown(touch(1, 20.f));
  g->OnMouseDown(touch(2, 60.f));
  g->OnTouchCancelled(touch(1, 20.f));
  EXPECT_TRUE(g->ControlIsCaptured(c)) << "the other touch still holds it";
  journal.clear();
  g->OnMouseDrag(touch(1, 30.f, 10.f));
  EXPECT_TRUE(journal.empty()) << "a cancelled touch drags nothing";
  g->OnMouseDrag(touch(2, 70.f, 10.f));
  EXPECT_EQ(journal, (Journal{"c OnMouseDrag"}));
  g->OnTouchCancelled(touch(2, 70.f));
  EXPECT_FALSE(g->ControlIsCaptured(c));
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
