#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "StandIn/Hooks.h"
#include "tests/support/ManualClock.h"
#include "tests/support/gfx/FakeEditorDelegate.h"
#include "tests/support/gfx/MouseEvents.h"
#include "tests/support/gfx/ProbeControl.h"

namespace {

using namespace gfxtest;
using Dlg = FakeEditorDelegate;

// A context opened through the delegate, with a journal for its probes.
class ControlBase : public testsupport::ManualClockTest
{
protected:
  void SetUp() override
  {
    ManualClockTest::SetUp();
    g = dlg.Open();
  }
  ProbeControl* Attach(int paramIdx, IRECT r = IRECT(0, 0, 100, 100))
  {
    auto* c = new ProbeControl(journal, "c", r, paramIdx);
    g->AttachControl(c);
    return c;
  }

  Journal journal; // outlives the delegate, which destroys the probes
  Dlg dlg;
  RecordingGfx* g = nullptr;
};

TEST_F(ControlBase, SentValuesAreClampedAndNaNIsSentAsZero)
{
  struct Case { const char* name; double stored; bool trigger; double kept; bool sent; };
  const Case cases[] = {
    {"above 1 without action", 1.7, false, 1.0, false},
    {"above 1 with action", 1.7, true, 1.0, true},
    {"below 0", -0.5, true, 0.0, true},
    {"NaN", std::numeric_limits<double>::quiet_NaN(), true, 0.0, true},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    dlg.valuesFromUI.clear();
    ProbeControl* knob = Attach(Dlg::kGain);
    knob->SetValue(c.stored);
    knob->SetDirty(c.trigger);
    EXPECT_EQ(knob->GetValue(), c.kept);
    if (c.sent)
      EXPECT_EQ(dlg.valuesFromUI, (std::vector<Dlg::ValueFromUI>{{Dlg::kGain, c.kept, true}}));
    else
      EXPECT_TRUE(dlg.valuesFromUI.empty());
    EXPECT_FALSE(std::isnan(dlg.GetParam(Dlg::kGain)->Value()));
  }
}

TEST_F(ControlBase, EveryParameterFromZeroOnReachesThePlugInAndThePeers)
{
  for (int param : {static_cast<int>(Dlg::kBypass), static_cast<int>(Dlg::kGain)})
  {
    SCOPED_TRACE(param);
    g->RemoveAllControls();
    dlg.valuesFromUI.clear();
    ProbeControl* c = Attach(param);
    ProbeControl* peer = Attach(param, IRECT(0, 100, 100, 200));
    c->SetValue(1.0);
    c->SetDirty(true);
    EXPECT_EQ(dlg.valuesFromUI, (std::vector<Dlg::ValueFromUI>{{param, 1.0, true}}));
    EXPECT_EQ(peer->GetValue(), 1.0);
  }
}

TEST_F(ControlBase, AControlWithoutValuesReadsUnlinkedAndIgnoresWrites)
{
  auto* none = new ProbeControl(journal, "none", IRECT(0, 0, 10, 10), std::initializer_list<int>{});
  g->AttachControl(none);
  EXPECT_EQ(none->GetParamIdx(0), -1);
  EXPECT_EQ(none->GetValue(0), 0.0);
  EXPECT_EQ(g->GetControlParamIdx(0), -1);
  EXPECT_EQ(none->GetParam(0), nullptr);
  none->SetValue(0.5, 0);
  none->SetValueFromDelegate(0.5, 0);
  none->SetValueToDefault(-1);
  none->SnapToMouse(5, 5, kVertical, IRECT(0, 0, 10, 10));
  EXPECT_EQ(none->NVals(), 0);
  EXPECT_TRUE(dlg.valuesFromUI.empty());
  EXPECT_DEBUG_DEATH(none->SetParamIdx(Dlg::kGain, 0), "no such value");
  EXPECT_EQ(none->GetParamIdx(0), -1);
}

TEST_F(ControlBase, AValueFromTheHostIsIgnoredWhileTheControlIsDragged)
{
  ProbeControl* knob = Attach(Dlg::kGain);
  g->Capture(0, knob);
  knob->SetValueFromDelegate(0.8);
  EXPECT_EQ(knob->GetValue(), 0.0);
  g->ReleaseMouseCapture();
  knob->SetValueFromDelegate(0.8);
  EXPECT_EQ(knob->GetValue(), 0.8);
}

TEST_F(ControlBase, PositionsOnATrackSnapToThousandthsWithinTheLimits)
{
  struct Case { const char* name; EDirection dir; float x, y; double lo, hi, want; };
  const IRECT track(10, 100, 40, 400);
  const Case cases[] = {
    {"top edge", kVertical, 20, 100, 0, 1, 1.0},
    {"above the top", kVertical, 20, 50, 0, 1, 1.0},
    {"bottom edge", kVertical, 20, 400, 0, 1, 0.0},
    {"a third down", kVertical, 20, 200, 0, 1, 0.667},
    {"left edge", kHorizontal, 10, 0, 0, 1, 0.0},
    {"middle", kHorizontal, 25, 0, 0, 1, 0.5},
    {"limited", kHorizontal, 40, 0, 0.2, 0.6, 0.6},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    dlg.valuesFromUI.clear();
    ProbeControl* slider = Attach(Dlg::kCount);
    slider->SnapToMouse(c.x, c.y, c.dir, track, -1, c.lo, c.hi);
    EXPECT_NEAR(slider->GetValue(), c.want, 1e-12);
    ASSERT_EQ(dlg.valuesFromUI.size(), 1u);
  }
}

TEST_F(ControlBase, DefaultsAreSteppedOnlyByARealStepAndGoThroughTheShape)
{
  struct Case { const char* name; int param; double want; };
  const Case cases[] = {
    {"stepped: 1.3 snaps to 1.5", Dlg::kGain, (1.5 + 12.0) / 24.0},
    {"cubic curve", Dlg::kFreq, std::cbrt((1000.0 - 20.0) / 19980.0)},
    {"enum", Dlg::kMode, 0.5},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    ProbeControl* knob = Attach(c.param);
    knob->SetValue(0.9);
    knob->OnMouseDblClick(1, 1, IMouseMod());
    EXPECT_NEAR(knob->GetValue(), c.want, 1e-12);
    EXPECT_NEAR(dlg.valuesFromUI.back().normalized, c.want, 1e-12);
  }

  // A stepped parameter whose step is 0 has nothing to snap to: its default
  // is taken as it is, never divided by the step.
  dlg.GetParam(Dlg::kGain)->InitDouble("Gain", 3.0, -12.0, 12.0, 0.0, "dB", plugkit::IParam::kFlagStepped);
  ProbeControl* knob = Attach(Dlg::kGain);
  knob->SetValueToDefault();
  EXPECT_DOUBLE_EQ(knob->GetValue(), 15.0 / 24.0);
  IPopupMenu menu;
  menu.SetChosenItemIdx(6);
  knob->DisablePrompt(false);
  knob->OnPopupMenuSelection(&menu, 0);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 18.0 / 24.0);
}

TEST_F(ControlBase, AMenuChoiceIsAPlainValueUnlessThePromptIsRefused)
{
  ProbeControl* mode = Attach(Dlg::kMode);
  IPopupMenu menu("", 0, false, {"Soft", "Medium", "Hard"});
  menu.SetChosenItemIdx(2);
  mode->OnPopupMenuSelection(&menu, 0);
  EXPECT_EQ(mode->GetValue(), 0.0) << "prompts are refused by default";
  mode->DisablePrompt(false);
  mode->OnPopupMenuSelection(nullptr, 0);
  mode->OnPopupMenuSelection(&menu, -1);
  EXPECT_EQ(mode->GetValue(), 0.0);
  mode->OnPopupMenuSelection(&menu, 0);
  EXPECT_EQ(mode->GetValue(), 1.0);
  EXPECT_EQ(dlg.valuesFromUI.back(), (Dlg::ValueFromUI{Dlg::kMode, 1.0, true}));
}

TEST_F(ControlBase, TwoValuesActTogetherOnEveryPosition)
{
  auto* pair = new ProbeControl(journal, "pair", IRECT(0, 0, 10, 10), {Dlg::kGain, Dlg::kCount});
  g->AttachControl(pair);
  EXPECT_EQ(pair->GetValIdxForPos(5, 5), -1);
  EXPECT_EQ(Attach(Dlg::kGain)->GetValIdxForPos(500, 500), 0);
  pair->OnMouseDblClick(5, 5, IMouseMod());
  EXPECT_DOUBLE_EQ(pair->GetValue(1), 0.2);
  EXPECT_DOUBLE_EQ(pair->GetValue(0), 13.5 / 24.0);
}

TEST_F(ControlBase, PointerStateRedrawsOnlyWhenItChanges)
{
  ProbeControl* c = Attach(-1);
  c->SetClean();
  c->OnMouseOver(1, 1, IMouseMod());
  EXPECT_TRUE(c->IsDirty());
  c->SetClean();
  c->OnMouseOver(2, 2, IMouseMod());
  EXPECT_FALSE(c->IsDirty()) << "a second mouse-over is no change";
  c->OnMouseOut();
  EXPECT_TRUE(c->IsDirty());
  c->SetClean();
  c->OnMouseOut();
  EXPECT_FALSE(c->IsDirty());
}

TEST_F(ControlBase, DisablingSetsTheWeightAndHighlightsKeepUnknownColours)
{
  ProbeControl* c = Attach(-1);
  c->SetBlend(IBlend(kBlendDefault, 0.6f));
  c->SetDisabled(true);
  EXPECT_EQ(c->GetBlend().mWeight, 0.25f);
  c->SetDisabled(false);
  EXPECT_EQ(c->GetBlend().mWeight, 1.f);

  struct Case { int idx; IColor want; };
  const Case cases[] = {{1, kColorBlue}, {7, kColorBlue}, {2, kColorGreen}, {-1, kColorGreen}, {3, kColorYellow},
    {4, kColorYellow}, {0, kColorRed}};
  for (const Case& h : cases)
  {
    c->SetHighlight(true, h.idx);
    EXPECT_EQ(c->GetHighlightColor(), h.want) << h.idx;
  }
  EXPECT_TRUE(c->GetHighlighted());
  g->calls.clear();
  c->DrawHighlight(*g);
  const auto fills = g->CallsNamed("PathFill");
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].pattern.GetStop(0).mColor, kColorRed);
  EXPECT_EQ(g->CallsNamed("PathArc")[0].args, (std::vector<float>{95, 5, 2, 0, 360, 0}));
}

TEST_F(ControlBase, MovingAndSizingKeepTheHitAreaWithTheControl)
{
  ProbeControl* c = Attach(-1, IRECT(10, 10, 50, 30));
  c->SetTargetRECT(IRECT(15, 12, 45, 28));
  c->OnMouseOver(20, 20, IMouseMod());
  c->SetPosition(-5, 100);
  EXPECT_FALSE(c->GetMouseIsOver()) << "the pointer is no longer known to be over it";
  EXPECT_EQ(c->GetRECT(), IRECT(0, 100, 40, 120));
  EXPECT_EQ(c->GetTargetRECT(), IRECT(5, 102, 35, 118));
  c->OnMouseOver(20, 20, IMouseMod());
  c->SetSize(-3, 8);
  EXPECT_FALSE(c->GetMouseIsOver());
  EXPECT_EQ(c->GetRECT(), IRECT(0, 100, 0, 108));
  EXPECT_EQ(c->GetTargetRECT(), c->GetRECT());
}

TEST_F(ControlBase, AClickAnimationRunsItsFullDurationAndEndsOnce)
{
  int ends = 0;
  ProbeControl* button = Attach(-1);
  button->SetActionFunction(DefaultClickActionFunc);
  button->SetAnimationEndActionFunction([&](IControl*) { ++ends; });
  button->SetDirty(true);
  button->SetClean();
  standin::RunMainLoopFor(0.1); // timers and animations move together
  button->Animate();
  EXPECT_EQ(button->GetAnimationProgress(), 1.0);
  EXPECT_TRUE(button->IsDirty()) << "still running at exactly 100 ms";
  standin::AdvanceManualClock(0.001);
  button->Animate();
  EXPECT_TRUE(button->IsDirty()) << "the end of an animation is drawn once more";
  button->Animate();
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(button->GetAnimationProgress(), 0.0);
  button->SetClean();
  EXPECT_FALSE(button->IsDirty());
}

TEST_F(ControlBase, ARightClickPromptsAndADisplayWithLabelAddsTheUnit)
{
  ProbeControl* c = Attach(Dlg::kGain);
  MouseAction right(Button::kRight);
  for (bool refused : {true, false})
  {
    c->DisablePrompt(refused);
    c->SetClean();
    c->OnMouseDown(5, 5, right.Press(5, 5)[0].ms);
    EXPECT_EQ(c->IsDirty(), !refused) << "a prompt redraws its control";
  }
  EXPECT_EQ(NamesWith(journal, "OnMouseDown right"), (std::vector<std::string>{"c", "c"}));
  PK_String text;
  dlg.GetParam(Dlg::kGain)->GetDisplayWithLabel(text);
  EXPECT_STREQ(text.Get(), "1.3 dB");
  dlg.GetParam(Dlg::kCount)->GetDisplayWithLabel(text);
  EXPECT_STREQ(text.Get(), "2");
}

TEST_F(ControlBase, AGestureReachesOnlyItsRegisteredHandler)
{
  ProbeControl* c = Attach(-1);
  IGestureInfo pinch;
  pinch.type = kGesturePinch;
  int handled = 0;
  EXPECT_FALSE(c->OnGesture(pinch));
  c->AttachGestureHandler(kGestureSwipeLeft, [&](IControl*, const IGestureInfo&) { handled += 1; });
  c->AttachGestureHandler(kGesturePinch, [&](IControl* caller, const IGestureInfo& info) {
    handled += caller == c && info.type == kGesturePinch ? 10 : 100;
  });
  EXPECT_TRUE(c->OnGesture(pinch));
  EXPECT_EQ(handled, 10);
  EXPECT_EQ(c->GetLastGesture(), kGesturePinch);
}

} // namespace
