// The product's controls handled as a user handles them, in the real
// editor: knobs, switches, the radio strip, the momentary button, the update
// icon, the resize corner and the detection-mode button.
#include <string>

#include <gtest/gtest.h>

#include "StandIn/AudioUnitEvents.h"
#include "editor/IBKnobMultiControlKV.h"
#include "editor/KVSwitchControls.h"
#include "graphics/ICornerResizerControl.h"
#include "graphics/controls/IPopupMenuControl.h"
#include "graphics/controls/ITextEntryControl.h"
#include "tests/editor/ProductEditorFixture.h"

namespace editortest {
namespace {

using namespace tolvane3;

constexpr float kTargetX = 347.f, kTargetY = 137.f; // the "Target level" knob's centre
constexpr int kTargetIdx = 16;

IMouseMod Held(bool shift, bool control)
{
  return IMouseMod(true, false, shift, control);
}

// Value changes of the parameter the host has been told of.
int ValueEventsFor(int paramIdx)
{
  int n = 0;
  for (const AudioUnitEvent& e : standin::RecordedAudioUnitEvents())
    n += e.mEventType == kAudioUnitEvent_ParameterValueChange &&
         e.mArgument.mParameter.mParameterID == static_cast<AudioUnitParameterID>(paramIdx);
  return n;
}

TEST_F(ProductEditorTest, KnobsDragWheelAndResetByModifier)
{
  IControl& knob = *G().GetControl(kTargetIdx);
  struct Case
  {
    const char* name;
    bool shift, control;
    float dY;   // drag (negative: up) or 0 for a wheel notch
    float notch;
    double want; // change of the normalised value
  };
  const Case cases[] = {
    {"drag 60 up", false, false, -60.f, 0.f, 0.25},
    {"shift-drag 60 up", true, false, -60.f, 0.f, 0.025},
    {"control-drag", false, true, -60.f, 0.f, 0.0},
    {"drag 60 down", false, false, 60.f, 0.f, -0.25},
    {"wheel notch", false, false, 0.f, 1.f, 0.01},
    {"control wheel notch", false, true, 0.f, 1.f, 0.1},
    {"shift wheel notch", true, false, 0.f, -1.f, -0.001},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    mUnit->FromEditor(kTargetLevel, -30.0); // away from the default and the ends
    knob.SetValueFromDelegate(Plug().GetParam(kTargetLevel)->GetNormalized());
    double before = knob.GetValue();
    if (c.dY != 0.f)
    {
      View().Press(kTargetX, kTargetY, Held(c.shift, c.control));
      before = knob.GetValue(); // a Control press has set the default
      View().Drag(kTargetX, kTargetY + c.dY, 0.f, c.dY, Held(c.shift, c.control));
      View().Release(kTargetX, kTargetY + c.dY, IMouseMod());
    }
    else
      Wheel(kTargetX, kTargetY, c.notch, IMouseMod(false, false, c.shift, c.control));
    EXPECT_NEAR(knob.GetValue() - before, c.want, 1e-9);
    EXPECT_NEAR(Plug().GetParam(kTargetLevel)->GetNormalized(), knob.GetValue(), 1e-6);
  }
  // Control-click: the default.
  Click(kTargetX, kTargetY, Held(false, true));
  EXPECT_EQ(Param(kTargetLevel), Plug().GetParam(kTargetLevel)->GetDefault());
}

TEST_F(ProductEditorTest, TheValueBoxShowsOnHoverAndTakesATypedValue)
{
  auto& knob = static_cast<IBKnobMultiControlKV&>(*G().GetControl(kTargetIdx));
  auto texts = [&] {
    G().calls.clear();
    knob.Draw(G());
    return G().CallsNamed("DoDrawText");
  };
  EXPECT_TRUE(texts().empty());
  Hover(kTargetX, kTargetY);
  ASSERT_EQ(texts().size(), 1u);
  EXPECT_EQ(texts()[0].text, "-18.0");
  Hover(10, 300);
  EXPECT_TRUE(texts().empty());

  DoubleClick(kTargetX, kTargetY);
  ITextEntryControl* entry = G().GetTextEntryControl();
  ASSERT_TRUE(entry && entry->EditInProgress());
  const IRECT box = knob.ValueTextRect();
  EXPECT_EQ(entry->GetRECT().L, box.L);
  EXPECT_EQ(entry->GetRECT().T, box.T);
  // The entry opens in the read-out's style.
  EXPECT_STREQ(entry->GetText().mFont, "Verdana Normal");
  EXPECT_EQ(entry->GetText().mSize, 15.f);
  EXPECT_EQ(entry->GetText().mAlign, kCenter);
  EXPECT_EQ(entry->GetText().mTextEntryBGColor, kColorWhite);
  entry->SelectAll();
  for (const char* key : {"-", "2", "0"})
    G().OnKeyDown(box.MW(), box.MH(), IKeyPress(key, key[0]));
  G().OnKeyDown(box.MW(), box.MH(), IKeyPress("\r", 13));
  EXPECT_EQ(Param(kTargetLevel), -20.0);
}

TEST_F(ProductEditorTest, SwitchesRadioButtonsAndTheMomentaryButton)
{
  // A click on the lit radio button sends its value again: the host hears
  // of it.
  mUnit->FromEditor(kAutomation, 1.0);
  ASSERT_EQ(Param(kAutomation), 1.0);
  standin::ClearRecordedAudioUnitEvents();
  Click(901, 49);
  EXPECT_EQ(Param(kAutomation), 1.0);
  EXPECT_EQ(ValueEventsFor(kAutomation), 1);
  Click(933, 49);
  EXPECT_EQ(Param(kAutomation), 2.0);
  Click(869, 49);
  EXPECT_EQ(Param(kAutomation), 0.0);

  // Scope reset: 1 while pressed, 0 after.
  View().Press(944, 496, IMouseMod(true));
  EXPECT_EQ(Param(kScopeReset), 1.0);
  View().Release(944, 496, IMouseMod());
  EXPECT_EQ(Param(kScopeReset), 0.0);

  const double ab = Param(kAB);
  Click(743, 49);
  EXPECT_NE(Param(kAB), ab);
  Click(743, 49);
  EXPECT_EQ(Param(kAB), ab);
}

// On a stepped parameter a wheel notch moves one step whatever the
// modifiers, and stops at the ends.
TEST_F(ProductEditorTest, AWheelNotchMovesAKnobOnASteppedParameterOneStep)
{
  const IText valueText(15.f, IColor(255, 233, 231, 235), "Verdana Normal", kCenter, kMiddle, 0.f);
  auto* knob = new IBKnobMultiControlKV(500, 520, kAutomation, G().LoadBitmap("knobnormal.png", 51), valueText,
    IColor(191, 36, 36, 36), 6, kVertical, 0, 1, 0, 1, 0, 1, 0, 4.0, 0.f);
  G().AttachControl(knob);
  const IRECT r = knob->GetRECT();
  const struct
  {
    double from;
    float notch;
    IMouseMod mod;
    double want;
  } cases[] = {
    {0.0, 1.f, IMouseMod(), 1.0},
    {1.0, 1.f, IMouseMod(false, false, false, true), 2.0},
    {2.0, -1.f, IMouseMod(false, false, true, false), 1.0},
    {2.0, 1.f, IMouseMod(), 2.0},
    {0.0, -1.f, IMouseMod(), 0.0},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(testing::Message() << c.from << " by " << c.notch);
    mUnit->FromEditor(kAutomation, c.from);
    knob->SetValueFromDelegate(Plug().GetParam(kAutomation)->GetNormalized());
    Wheel(r.MW(), r.MH(), c.notch, c.mod);
    EXPECT_EQ(Param(kAutomation), c.want);
    EXPECT_DOUBLE_EQ(knob->GetValue(), c.want / 2.0);
  }
}

// In toggle mode the buttons stand for 1, 2 and 3: a click on a dark one
// sets its state, a click on the lit one turns the strip off.
TEST_F(ProductEditorTest, ARadioStripInToggleModeTurnsOffFromItsLitButton)
{
  const IBitmap bitmap = G().LoadBitmap("ob_button.png", 2);
  std::array<IRECT, 3> buttons;
  for (size_t i = 0; i < buttons.size(); ++i)
    buttons[i] = IRECT(500.f + 40.f * float(i), 520.f, 530.f + 40.f * float(i), 550.f);
  G().AttachControl(new IBRadioButtonsControl3(UnionOfFrames(buttons), kDetectionMode, buttons,
    {bitmap, bitmap, bitmap}, true));
  const struct
  {
    double from;
    size_t button;
    double want;
  } cases[] = {{0.0, 0, 1.0}, {0.0, 1, 2.0}, {1.0, 1, 2.0}, {1.0, 0, 0.0}, {2.0, 1, 0.0}, {2.0, 0, 1.0}};
  for (const auto& c : cases)
  {
    SCOPED_TRACE(testing::Message() << "from " << c.from << ", button " << c.button);
    mUnit->FromEditor(kDetectionMode, c.from);
    Click(buttons[c.button].MW(), buttons[c.button].MH());
    EXPECT_EQ(Param(kDetectionMode), c.want);
  }
}

TEST_F(ProductEditorTest, TheUpdateIconsToolTipFollowsItsValue)
{
  IControl& icon = *G().GetControl(8);
  for (double v : {1.0, 0.0, 1.0})
  {
    icon.SetValueFromDelegate(v);
    icon.Draw(G());
    EXPECT_STREQ(icon.GetTooltip(), v > 0 ? "Update available" : "Click to check for updates");
  }
  Click(405, 31);
  EXPECT_TRUE(Plug().IsUpdateCheckPending());
}

TEST_F(ProductEditorTest, TheResizeCornerRescalesAndResetsTheGUIScale)
{
  G().Resize(1008, 584, 2.f);
  EXPECT_EQ(Plug().GetGUIScale(), 2.0);
  View().Press(1000, 576, IMouseMod(true), 2);
  EXPECT_EQ(Plug().GetGUIScale(), 1.0);
}

TEST_F(ProductEditorTest, TheDetectionModeButtonOpensItsListBelowIt)
{
  Click(269, 137);
  Settle();
  const IPopupMenuControl* menu = G().GetPopupMenuControl();
  ASSERT_TRUE(menu && menu->GetExpanded());
  ASSERT_GE(menu->NPanels(), 1);
  const IRECT& panel = menu->GetPanel(0)->mTargetBounds;
  EXPECT_EQ(panel.L, 220.f);
  EXPECT_EQ(panel.T, 151.f);
  EXPECT_TRUE(menu->GetPanel(0)->mMenu.GetItem(0)->GetChecked());
  EXPECT_STREQ(menu->GetPanel(0)->mMenu.GetItem(0)->GetText(), "Internal");
  Hover(270, 180);
  Click(270, 180);
  Settle();
  EXPECT_EQ(Param(kDetectionMode), 1.0);
  PK_String shown;
  Plug().GetParam(kDetectionMode)->GetDisplay(Param(kDetectionMode), false, shown, true);
  EXPECT_STREQ(shown.Get(), "SideChain1");
}

} // namespace
} // namespace editortest
