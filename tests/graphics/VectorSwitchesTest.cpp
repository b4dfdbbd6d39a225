#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "graphics/controls/IVButtonControl.h"
#include "graphics/controls/IVSlideSwitchControl.h"
#include "graphics/controls/IVSwitchControl.h"
#include "tests/graphics/EditorFixture.h"
#include "tests/graphics/VectorDrawing.h"

namespace {

using namespace gfxtest;
using Dlg = EditorDelegate;
using VectorSwitches = EditorTest;

const IMouseMod kLeft(true);

IVStyle Flat()
{
  IVStyle style = kDefaultStyle;
  style.drawFrame = false;
  style.drawShadows = false;
  return style;
}

TEST_F(VectorSwitches, ButtonValueFallsBackWhenItsAnimationEnds)
{
  int actions = 0;
  auto* button = new IVButtonControl(IRECT(0, 0, 60, 60), [&](IControl* c) {
    ++actions;
    SplashClickActionFunc(c);
  });
  g->AttachControl(button);
  Settle();
  view->Press(30, 30, kLeft);
  view->Release(30, 30, kLeft);
  EXPECT_EQ(button->GetValue(), 1.0);
  EXPECT_EQ(actions, 1);
  for (double ms : {50.0, 50.0, 10.0})
  {
    standin::AdvanceManualClock(ms / 1000.0);
    view->Tick();
  }
  EXPECT_FALSE(button->IsAnimating());
  EXPECT_EQ(button->GetValue(), 0.0);
}

// The switch draws its label before its widget, the button over it; the
// frame line is the widget's last stroke.
TEST_F(VectorSwitches, DrawOrderPerMember)
{
  struct Case { const char* name; IControl* control; bool labelFirst; };
  const Case cases[] = {
    {"switch", new IVSwitchControl(IRECT(0, 0, 80, 80), SplashClickActionFunc, "Lbl"), true},
    {"toggle", new IVToggleControl(IRECT(0, 0, 80, 80), SplashClickActionFunc, "Lbl"), true},
    {"button", new IVButtonControl(IRECT(0, 0, 80, 80), SplashClickActionFunc, "Lbl", kDefaultStyle, false), false},
    {"slide switch", new IVSlideSwitchControl(IRECT(0, 0, 80, 80), SplashClickActionFunc, "Lbl"), false},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    g->AttachControl(c.control);
    g->calls.clear();
    c.control->Draw(*g);
    const std::vector<Painted> pieces = PaintedPieces(*g);
    const auto label = std::find_if(pieces.begin(), pieces.end(), [](const Painted& p) { return p.text == "Lbl"; });
    const auto frame = std::find_if(pieces.begin(), pieces.end(), [](const Painted& p) { return p.op == "PathStroke"; });
    ASSERT_NE(label, pieces.end());
    ASSERT_NE(frame, pieces.end());
    EXPECT_EQ(label < frame, c.labelFirst);
  }
}

TEST_F(VectorSwitches, LinkedSwitchTakesNameAndDropsTheUnitAfterTheFirstChange)
{
  auto* named = new IVSwitchControl(IRECT(0, 0, 80, 80), Dlg::kGain);
  auto* labelled = new IVSwitchControl(IRECT(100, 0, 180, 80), Dlg::kGain, "Level");
  g->AttachControl(named);
  g->AttachControl(labelled);
  EXPECT_STREQ(named->GetLabelStr(), "Gain");
  EXPECT_STREQ(labelled->GetLabelStr(), "Level");
  EXPECT_EQ(named->GetNumStates(), 25);
  EXPECT_NE(std::string(named->GetValueStr()).find(" dB"), std::string::npos) << named->GetValueStr();
  view->Press(40, 40, kLeft);
  view->Release(40, 40, kLeft);
  EXPECT_EQ(std::string(named->GetValueStr()).find("dB"), std::string::npos) << named->GetValueStr();
  EXPECT_FALSE(std::string(named->GetValueStr()).empty());
  // An unlinked switch keeps the value text it was given.
  auto* plain = new IVSwitchControl(IRECT(200, 0, 280, 80), SplashClickActionFunc, "", kDefaultStyle, 3);
  g->AttachControl(plain);
  view->Press(240, 40, kLeft);
  EXPECT_EQ(plain->GetValue(), 0.5);
  EXPECT_STREQ(plain->GetValueStr(), "");
}

TEST_F(VectorSwitches, ToggleShowsItsOnOrOffText)
{
  struct Case { bool initial; double value; const char* shown; const char* afterClick; };
  for (const Case& c : {Case{true, 1.0, "ON", "OFF"}, Case{false, 0.0, "OFF", "ON"}})
  {
    auto* toggle = new IVToggleControl(IRECT(0, 0, 80, 80), SplashClickActionFunc, "", kDefaultStyle, "OFF", "ON",
      c.initial);
    g->AttachControl(toggle);
    EXPECT_EQ(toggle->GetValue(), c.value);
    g->calls.clear();
    toggle->Draw(*g);
    EXPECT_EQ(Texts(PaintedPieces(*g)), std::vector<std::string>{c.shown});
    view->Press(40, 40, kLeft);
    g->calls.clear();
    toggle->Draw(*g);
    EXPECT_EQ(Texts(PaintedPieces(*g)), std::vector<std::string>{c.afterClick});
    g->RemoveAllControls();
  }
}

// A 3-state slide switch on a 90 x 30 widget: one 30-point cell per state.
TEST_F(VectorSwitches, SlideSwitchStartsInTheCellOfItsInitialState)
{
  IVStyle style = Flat();
  struct Case { int initial; double value; IRECT handle; };
  const Case cases[] = {
    {0, 0.0, IRECT(0, 0, 30, 30)}, {1, 0.5, IRECT(30, 0, 60, 30)}, {2, 1.0, IRECT(60, 0, 90, 30)},
    {7, 1.0, IRECT(60, 0, 90, 30)},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.initial);
    auto* slide = new IVSlideSwitchControl(IRECT(0, 0, 90, 30), SplashClickActionFunc, "", style, true,
      kHorizontal, 3, c.initial);
    EXPECT_EQ(slide->GetValue(), c.value); // before the first layout
    g->AttachControl(slide);
    EXPECT_EQ(slide->GetHandleBounds(), c.handle);
    g->RemoveAllControls();
  }
}

TEST_F(VectorSwitches, SlideSwitchSlidesOnAClickAndHidesItsValueMeanwhile)
{
  int ends = 0;
  auto* slide = new IVSlideSwitchControl(IRECT(0, 0, 90, 30), [&](IControl*) { ++ends; }, "", Flat(), true,
    kHorizontal, 3, 2);
  g->AttachControl(slide);
  slide->SetValueStr("High");
  Settle();

  view->Press(45, 15, kLeft);
  view->Release(45, 15, kLeft);
  EXPECT_EQ(slide->GetValue(), 0.0); // wrapped
  EXPECT_TRUE(slide->IsAnimating());
  struct Step { double ms; IRECT handle; bool animating; };
  const Step steps[] = {
    {0, IRECT(60, 0, 90, 30), true},
    {50, IRECT(30, 0, 60, 30), true},
    {50, IRECT(0, 0, 30, 30), true},
    {1, IRECT(0, 0, 30, 30), false},
  };
  for (const Step& s : steps)
  {
    SCOPED_TRACE(s.ms);
    standin::AdvanceManualClock(s.ms / 1000.0);
    g->calls.clear();
    view->Tick();
    EXPECT_EQ(slide->GetHandleBounds(), s.handle);
    EXPECT_EQ(slide->GetValueBounds(), s.handle); // the value rides on the handle
    EXPECT_EQ(slide->IsAnimating(), s.animating);
    const std::vector<std::string> texts = Texts(PaintedPieces(*g));
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "High"), s.animating ? 0 : 1);
  }
  EXPECT_EQ(ends, 1); // the caller's action runs when the slide ends
  EXPECT_EQ(slide->GetEndRect(), IRECT(30, 0, 60, 30));
}

TEST_F(VectorSwitches, SlideSwitchJumpsOnAHostChange)
{
  IVStyle style = Flat();
  style.showLabel = false;
  auto* slide = new IVSlideSwitchControl(IRECT(0, 0, 90, 30), Dlg::kMode, "", style);
  g->AttachControl(slide);
  slide->SetValueFromDelegate(0.5); // "Medium"
  EXPECT_EQ(slide->GetHandleBounds(), IRECT(30, 0, 60, 30));
  dlg.GetParam(Dlg::kMode)->Set(2.0);
  dlg.SendParameterValueFromDelegate(Dlg::kMode, 2.0, false);
  EXPECT_FALSE(slide->IsAnimating());
  EXPECT_EQ(slide->GetHandleBounds(), IRECT(60, 0, 90, 30));
  EXPECT_EQ(slide->GetEndRect(), IRECT(0, 0, 30, 30));
  EXPECT_STREQ(slide->GetValueStr(), "Hard");
}

} // namespace
