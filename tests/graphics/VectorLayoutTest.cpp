#include <gtest/gtest.h>

#include "graphics/IVectorBase.h"
#include "graphics/controls/IVButtonControl.h"
#include "graphics/controls/IVSwitchControl.h"
#include "tests/graphics/EditorFixture.h"

namespace {

using namespace gfxtest;
using VectorLayout = EditorTest;

// A vector control that only lays out, so the three areas can be read.
class LayoutProbe : public IControl, public IVectorBase
{
public:
  LayoutProbe(const IRECT& r, const IVStyle& style, bool labelInWidget = false, bool valueInWidget = false)
    : IControl(r), IVectorBase(style, labelInWidget, valueInWidget)
  {
    AttachIControl(this);
  }
  void Draw(IGfx&) override {}
};

void ExpectRect(const IRECT& actual, const IRECT& expected, const char* what)
{
  SCOPED_TRACE(what);
  EXPECT_NEAR(actual.L, expected.L, 1e-4f);
  EXPECT_NEAR(actual.T, expected.T, 1e-4f);
  EXPECT_NEAR(actual.R, expected.R, 1e-4f);
  EXPECT_NEAR(actual.B, expected.B, 1e-4f);
}

// The recording back-end measures text 0.5 x size per character wide and
// size high: "Gain" in the 19-point label text is 38 x 19, "0.50" in the
// 14-point value text 28 x 14, so the value strip is 2 x 0.66 x 28 wide.
TEST_F(VectorLayout, AreasFollowLabelValueAlignmentAndHandle)
{
  const IRECT parent(0, 0, 100, 100);
  const IRECT label(31, 0, 69, 19);
  const float half = 0.66f * 28.f;
  struct Case
  {
    const char* name;
    EVAlign align;
    const char* labelStr;
    bool hasHandle;
    float frac;
    IRECT label, widget, value, area;
    bool inWidget = false; // label and value drawn in the widget
    bool hidden = false;   // neither label nor value shown
  };
  const Case cases[] = {
    {"bottom", kBottom, "Gain", false, 1.f, label, IRECT(0, 19, 100, 86), IRECT(50 - half, 86, 50 + half, 100),
      IRECT(0, 19, 100, 100)},
    // The handle's widget comes from the whole area below the label: the
    // value strip lies over its lower edge.
    {"bottom with handle", kBottom, "Gain", true, 1.f, label, IRECT(3.5f, 19.5f, 96.5f, 96.5f),
      IRECT(50 - half, 86, 50 + half, 100), IRECT(0, 19, 100, 100)},
    {"top", kTop, "Gain", false, 1.f, label, IRECT(0, 33, 100, 100), IRECT(50 - half, 19, 50 + half, 33),
      IRECT(0, 19, 100, 100)},
    {"middle leaves the widget whole", kMiddle, "Gain", false, 1.f, label, IRECT(0, 19, 100, 100),
      IRECT(50 - half, 52.5f, 50 + half, 66.5f), IRECT(0, 19, 100, 100)},
    {"empty label takes no strip", kBottom, "", false, 1.f, IRECT(), IRECT(0, 0, 100, 86),
      IRECT(50 - half, 86, 50 + half, 100), parent},
    {"empty label with handle", kTop, "", true, 1.f, IRECT(), IRECT(3.5f, 0.5f, 96.5f, 96.5f),
      IRECT(50 - half, 0, 50 + half, 14), parent},
    {"half-size widget about its centre", kBottom, "Gain", false, 0.5f, label, IRECT(25, 35.75f, 75, 69.25f),
      IRECT(50 - half, 86, 50 + half, 100), IRECT(0, 19, 100, 100)},
    {"label and value in the widget", kBottom, "Gain", true, 1.f, IRECT(3.5f, 0.5f, 96.5f, 96.5f),
      IRECT(3.5f, 0.5f, 96.5f, 96.5f), IRECT(3.5f, 0.5f, 96.5f, 96.5f), parent, true},
    {"nothing shown", kBottom, "Gain", false, 1.f, IRECT(), parent, IRECT(), parent, false, true},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    IVStyle style = kDefaultStyle;
    style.valueText.mVAlign = c.align;
    style.widgetFrac = c.frac;
    style.showLabel = style.showValue = !c.hidden;
    auto* probe = new LayoutProbe(parent, style, c.inWidget, c.inWidget);
    g->AttachControl(probe);
    probe->SetLabelStr(c.labelStr);
    probe->SetValueStr("0.50");
    ExpectRect(probe->MakeRects(parent, c.hasHandle), c.area, "area");
    ExpectRect(probe->GetLabelBounds(), c.label, "label");
    ExpectRect(probe->GetWidgetBounds(), c.widget, "widget");
    ExpectRect(probe->GetValueBounds(), c.value, "value");
    g->RemoveAllControls();
  }
}

TEST_F(VectorLayout, UnknownValueAlignmentMovesNeitherWidgetNorValue)
{
  auto* probe = new LayoutProbe(IRECT(0, 0, 100, 100), kDefaultStyle);
  g->AttachControl(probe);
  probe->SetValueStr("0.50");
  probe->MakeRects(IRECT(0, 0, 100, 100));
  const IRECT widget = probe->GetWidgetBounds(), value = probe->GetValueBounds();
  IVStyle odd = kDefaultStyle;
  odd.valueText.mVAlign = static_cast<EVAlign>(7);
  probe->SetStyle(odd);
  probe->MakeRects(IRECT(0, 0, 200, 200));
  EXPECT_EQ(probe->GetWidgetBounds(), widget);
  EXPECT_EQ(probe->GetValueBounds(), value);
}

// Attached members lay out on resize, click only inside their widget
// (left and top edges in, right and bottom out) and take the label and
// value text the way their constructors say.
TEST_F(VectorLayout, MembersHitOnlyTheirWidget)
{
  IVStyle style = kDefaultStyle;
  style.drawFrame = false;
  style.drawShadows = false;
  auto* button = new IVButtonControl(IRECT(0, 0, 100, 100), SplashClickActionFunc, "Go", style, false, false);
  auto* sw = new IVSwitchControl(IRECT(100, 0, 200, 100), SplashClickActionFunc, "Mode", style);
  g->AttachControl(button);
  g->AttachControl(sw);
  struct Case { IControl* control; const IVectorBase* vb; IRECT widget, target; };
  const Case cases[] = {
    {button, button, IRECT(0, 19, 100, 100), IRECT(0, 19, 100, 100)},
    {sw, sw, IRECT(100, 19, 200, 100), IRECT(100, 19, 200, 100)},
  };
  for (const Case& c : cases)
  {
    ExpectRect(c.vb->GetWidgetBounds(), c.widget, "widget");
    ExpectRect(c.control->GetTargetRECT(), c.target, "target");
    const IRECT& w = c.widget;
    EXPECT_TRUE(c.control->IsHit(w.L, w.T));
    EXPECT_FALSE(c.control->IsHit(w.R, w.MH()));
    EXPECT_FALSE(c.control->IsHit(w.MW(), w.B));
    EXPECT_FALSE(c.control->IsHit(w.MW(), w.T - 1.f)); // on the label
    EXPECT_EQ(c.control->GetText().mSize, kDefaultValueText.mSize);
  }
  // A value drawn in the switch sits in its middle.
  EXPECT_EQ(sw->GetText().mVAlign, kMiddle);
  EXPECT_EQ(sw->GetStyle().valueText.mVAlign, kMiddle);
  EXPECT_EQ(button->GetText().mVAlign, kDefaultValueText.mVAlign);
}

} // namespace
