#include <gtest/gtest.h>

#include "tests/graphics/EditorFixture.h"

namespace {

using namespace gfxtest;
using Dlg = EditorDelegate;

// Opens a follow-up menu from its first menu answer.
class Chained : public ProbeControl
{
public:
  using ProbeControl::ProbeControl;
  void OnPopupMenuSelection(IPopupMenu* pMenu, int valIdx) override
  {
    ProbeControl::OnPopupMenuSelection(pMenu, valIdx);
    if (!chained)
    {
      chained = true;
      GetUI()->CreatePopupMenu(*this, followUp, IRECT(0, 0, 10, 10), valIdx);
    }
  }
  bool chained = false;
  IPopupMenu followUp{"More", 0, false, {"One", "Two"}};
};

class Prompts : public EditorTest
{
protected:
  ProbeControl* Asking(const char* name, int param)
  {
    ProbeControl* c = Probe(name, IRECT(0, 0, 100, 40), param);
    c->DisablePrompt(false);
    return c;
  }
  double Plain(const IControl* c, int param) const { return dlg.GetParam(param)->FromNormalized(c->GetValue()); }
};

TEST_F(Prompts, ParameterWithTextsIsOfferedAsACheckedMenu)
{
  ProbeControl* c = Asking("c", Dlg::kPower);
  g->PromptUserInput(*c, c->GetRECT(), 0);
  const IPopupMenu& menu = g->GetPromptMenu();
  ASSERT_EQ(g->menuRequests.size(), 1u);
  ASSERT_EQ(menu.NItems(), 2);
  EXPECT_STREQ(menu.GetRootTitle(), "Power");
  EXPECT_STREQ(menu.GetItem(0)->GetText(), "Off");
  EXPECT_FALSE(menu.GetItem(0)->GetChecked());
  EXPECT_TRUE(menu.GetItem(1)->GetChecked());
}

TEST_F(Prompts, OtherParametersGetATextFieldWithTheirDisplay)
{
  for (bool label : {false, true})
  {
    g->textEntryRequests.clear();
    ProbeControl* c = Asking("c", Dlg::kGain);
    c->SetPromptShowsLabel(label);
    g->PromptUserInput(*c, c->GetRECT(), 0);
    PK_String display;
    dlg.GetParam(Dlg::kGain)->GetDisplay(display, false);
    EXPECT_EQ(g->textEntryRequests, (std::vector<std::string>{display.Get() + std::string(label ? " dB" : "")}));
    EXPECT_EQ(g->GetTextEntryCaller(), c);
  }
}

TEST_F(Prompts, TypedValuesAreSteppedAndClampedAndPeersFollow)
{
  struct Case { int param; const char* text; double plain; };
  const Case cases[] = {
    {Dlg::kGain, "3.3", 3.5}, {Dlg::kGain, "20", 12.0}, {Dlg::kGain, "-40", -12.0},
    {Dlg::kCoarse, "3.3", 3.3}, // a step of 0 snaps nowhere
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.text);
    g->RemoveAllControls();
    ProbeControl* caller = Asking("caller", c.param);
    ProbeControl* peer = Probe("peer", IRECT(0, 50, 100, 90), c.param);
    g->CreateTextEntry(*caller, IText(), caller->GetRECT(), "", 0);
    g->SetControlValueAfterTextEdit(c.text);
    EXPECT_NEAR(Plain(caller, c.param), c.plain, 1e-9);
    EXPECT_NEAR(Plain(peer, c.param), c.plain, 1e-9);
    EXPECT_EQ(g->GetTextEntryCaller(), nullptr);
  }
}

TEST_F(Prompts, PlatformMenuAnsweredDismissedOrLater)
{
  struct Case { const char* name; int choice; bool async; double power; };
  const Case cases[] = {
    {"answered", 0, false, 0.0}, {"dismissed", -1, false, 1.0}, {"asynchronous", 0, true, 0.0}};
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    g->RemoveAllControls();
    dlg.GetParam(Dlg::kPower)->Set(1.0);
    g->script.menuChoice = c.choice;
    g->script.menuAsync = c.async;
    ProbeControl* asker = Asking("c", Dlg::kPower);
    asker->SetValue(1.0);
    asker->SetOwnsRightClick(true);
    g->OnMouseDown(MouseAction(Button::kRight).Press(10.f, 10.f));
    if (c.async)
    {
      EXPECT_EQ(g->GetPopupCaller(), asker);
      EXPECT_FALSE(dlg.GesturesBalanced());
      g->AnswerPendingMenu();
    }
    g->OnMouseUp(MouseAction(Button::kRight).Release(10.f, 10.f));
    EXPECT_NEAR(Plain(asker, Dlg::kPower), c.power, 1e-9);
    EXPECT_TRUE(dlg.GesturesBalanced());
    EXPECT_EQ(g->GetPopupCaller(), nullptr);
  }
}

TEST_F(Prompts, RefusedDrawnMenuRequestIsAnsweredAtOnce)
{
  auto* menu = new StubMenu;
  g->AttachPopupMenuControl(menu);
  ProbeControl* first = Asking("first", Dlg::kPower);
  ProbeControl* second = Asking("second", Dlg::kMode);
  second->SetTargetAndDrawRECTs(IRECT(0, 50, 100, 90));
  // A right press on the first prompts for it: its gesture begins.
  first->SetOwnsRightClick(true);
  MouseAction press(Button::kRight);
  g->OnMouseDown(press.Press(10.f, 10.f));
  g->OnMouseUp(press.Release(10.f, 10.f));
  menu->Idle();
  journal.clear();
  // A prompt no press led to: refused, answered at once, and no gesture of
  // its parameter ends, since none began.
  g->PromptUserInput(*second, second->GetRECT(), 0);
  EXPECT_EQ(journal, (Journal{"second OnPopupMenuSelection"}));
  EXPECT_TRUE(dlg.gesturesEnded.empty());
  EXPECT_EQ(g->GetPopupCaller(), first);
  menu->Choose(0);
  EXPECT_NEAR(Plain(first, Dlg::kPower), 0.0, 1e-9);
  EXPECT_EQ(dlg.gesturesEnded, (std::vector<int>{Dlg::kPower}));
  EXPECT_TRUE(dlg.GesturesBalanced());
}

TEST_F(Prompts, HandlerMayOpenAFollowUpMenu)
{
  auto* menu = new StubMenu;
  g->AttachPopupMenuControl(menu);
  auto* asker = new Chained(journal, "c", IRECT(0, 0, 100, 40), Dlg::kPower);
  asker->DisablePrompt(false);
  g->AttachControl(asker);
  g->PromptUserInput(*asker, asker->GetRECT(), 0);
  menu->Idle();
  menu->Choose(1);
  EXPECT_EQ(g->GetPopupCaller(), asker);
  EXPECT_EQ(menu->GetMenu(), &asker->followUp);
}

TEST_F(Prompts, FieldClosedWithoutCommitFreesDrags)
{
  ProbeControl* c = Asking("c", Dlg::kGain);
  g->CreateTextEntry(*c, IText(), c->GetRECT(), "1", 0);
  MouseAction drag;
  g->OnMouseDown(drag.Press(10.f, 10.f));
  g->OnMouseDrag(drag.Drag(20.f, 20.f));
  EXPECT_TRUE(NamesWith(journal, "OnMouseDrag").empty()) << "a value is being typed";
  g->OnTextEntryEndedWithoutCommit();
  EXPECT_EQ(g->GetTextEntryCaller(), nullptr);
  g->OnMouseDrag(drag.Drag(30.f, 30.f));
  EXPECT_EQ(NamesWith(journal, "OnMouseDrag").size(), 1u);
}

} // namespace
