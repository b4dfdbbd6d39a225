#include <gtest/gtest.h>

#include <string>

#include "graphics/controls/IVTabSwitchControl.h"
#include "tests/graphics/EditorFixture.h"
#include "tests/graphics/VectorDrawing.h"

namespace {

using namespace gfxtest;
using Dlg = EditorDelegate;
using VectorTabs = EditorTest;

const IMouseMod kLeft(true);
const std::vector<const char*> kFour = {"a", "b", "c", "d"};

// No frame, shadow or label: every tab paints exactly one fill.
IVStyle Plain(float roundness = 0.f)
{
  IVStyle style = kDefaultStyle;
  style.drawFrame = false;
  style.drawShadows = false;
  style.showLabel = false;
  style.roundness = roundness;
  return style;
}

// The fills of the tabs, in order, after the background's.
std::vector<Painted> TabFills(RecordingGfx& g, IControl& c)
{
  g.calls.clear();
  c.Draw(g);
  std::vector<Painted> fills = Only(PaintedPieces(g), "PathFill");
  if (!fills.empty())
    fills.erase(fills.begin());
  return fills;
}

TEST_F(VectorTabs, ValueSelectsTabAndClickSelectsValue)
{
  auto* tabs = new IVTabSwitchControl(IRECT(0, 0, 400, 40), SplashClickActionFunc, kFour, "", Plain());
  g->AttachControl(tabs);
  ASSERT_EQ(tabs->NButtons(), 4);
  EXPECT_EQ(tabs->GetButton(3), IRECT(300, 0, 400, 40));
  tabs->SetValueFromDelegate(0.5);
  EXPECT_STREQ(tabs->GetSelectedLabelStr(), "c");
  const std::vector<Painted> fills = TabFills(*g, *tabs);
  ASSERT_EQ(fills.size(), 4u);
  for (size_t i = 0; i < 4; ++i)
    EXPECT_EQ(fills[i].color, tabs->GetColor(i == 2 ? kPressed : kForeground)) << i;

  struct Click { float x; double value; };
  for (const Click& c : {Click{350, 1.0}, Click{150, 1.0 / 3.0}, Click{0, 0.0}})
  {
    view->Press(c.x, 20, kLeft);
    EXPECT_DOUBLE_EQ(tabs->GetValue(), c.value) << c.x;
  }
}

// One state has no step to divide: a click stores and sends 0.
TEST_F(VectorTabs, SingleStateStoresZero)
{
  int actions = 0;
  double seen = -1.0;
  auto* tab = new IVTabSwitchControl(IRECT(0, 0, 100, 40), [&](IControl* c) {
    ++actions;
    seen = c->GetValue();
  }, {"only"}, "", Plain());
  g->AttachControl(tab);
  view->Press(50, 20, kLeft);
  EXPECT_EQ(actions, 1);
  EXPECT_EQ(seen, 0.0);
  EXPECT_EQ(tab->GetValue(), 0.0);
  EXPECT_STREQ(tab->GetSelectedLabelStr(), "only");
}

// Which corners each tab rounds: top-left, top-right, bottom-right,
// bottom-left.
TEST_F(VectorTabs, CornersFollowShapeDirectionAndPosition)
{
  using Corners = std::vector<bool>;
  const Corners none{false, false, false, false}, all{true, true, true, true};
  struct Case
  {
    const char* name;
    EVectorShape shape;
    EDirection dir;
    Corners first, middle, last;
  };
  const Case cases[] = {
    {"rounded ends, side by side", kRoundedEnds, kHorizontal, {true, false, false, false}, none,
      {false, true, false, false}},
    {"rounded ends, stacked", kRoundedEnds, kVertical, {false, true, false, false}, none,
      {false, false, true, false}},
    {"rounded all, side by side", kRoundedAll, kHorizontal, {true, true, false, false},
      {true, true, false, false}, {true, true, false, false}},
    {"rounded all, stacked", kRoundedAll, kVertical, {false, true, true, false}, {false, true, true, false},
      {false, true, true, false}},
    {"rectangle", kRectangle, kHorizontal, all, all, all},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    auto* tabs = new IVTabSwitchControl(IRECT(0, 0, 300, 300), SplashClickActionFunc, {"a", "b", "c"}, "",
      Plain(1.f), c.shape, c.dir);
    g->AttachControl(tabs);
    const std::vector<Painted> fills = TabFills(*g, *tabs);
    ASSERT_EQ(fills.size(), 3u);
    const Corners* expected[] = {&c.first, &c.middle, &c.last};
    for (size_t i = 0; i < 3; ++i)
    {
      Corners rounded(4, false);
      if (fills[i].radii.size() == 4)
        for (size_t k = 0; k < 4; ++k)
          rounded[k] = fills[i].radii[k] > 0.f;
      EXPECT_EQ(rounded, *expected[i]) << "tab " << i;
    }
    g->RemoveAllControls();
  }
}

TEST_F(VectorTabs, DisabledStateIsDrawnDisabledInEveryShape)
{
  const IColor body = Plain().colorSpec.GetColor(kForeground);
  const IColor darker(body.A, body.R - 63, body.G - 63, body.B - 63);
  for (EVectorShape shape : {kRectangle, kEllipse, kTriangle, kRoundedEnds, kRoundedAll})
  {
    SCOPED_TRACE(shape);
    auto* tabs = new IVTabSwitchControl(IRECT(0, 0, 300, 40), SplashClickActionFunc, {"a", "b", "c"}, "",
      Plain(), shape);
    g->AttachControl(tabs);
    tabs->SetValueFromDelegate(1.0);
    tabs->SetStateDisabled(1, true);
    const std::vector<Painted> fills = TabFills(*g, *tabs);
    ASSERT_EQ(fills.size(), 3u);
    EXPECT_EQ(fills[0].color, body);
    EXPECT_EQ(fills[1].color, darker);
    g->RemoveAllControls();
  }
}

// A click on a state drawn disabled changes nothing; the host may still
// select it.
TEST_F(VectorTabs, ClickOnDisabledStateChangesNothing)
{
  int actions = 0;
  auto count = [&](IControl*) { ++actions; };
  auto* tabs = new IVTabSwitchControl(IRECT(0, 0, 300, 40), Dlg::kMode, {}, "", Plain());
  auto* radio = new IVRadioButtonControl(IRECT(0, 50, 100, 110), count, {"x", "y", "z"}, "", Plain());
  g->AttachControl(tabs);
  g->AttachControl(radio);
  tabs->SetActionFunction(count);
  tabs->SetStateDisabled(2, true);
  radio->SetStateDisabled(0, true);
  dlg.valuesFromUI.clear();

  view->Press(250, 20, kLeft); // tab "Hard"
  view->Release(250, 20, kLeft);
  view->Press(10, 60, kLeft); // radio "x"
  view->Release(10, 60, kLeft);
  EXPECT_EQ(tabs->GetValue(), 0.0);
  EXPECT_EQ(radio->GetValue(), 0.0);
  EXPECT_TRUE(dlg.valuesFromUI.empty());
  EXPECT_EQ(actions, 0);

  view->Press(10, 100, kLeft); // radio "z" is enabled
  view->Release(10, 100, kLeft);
  EXPECT_EQ(radio->GetValue(), 1.0);
  EXPECT_EQ(actions, 1);
  tabs->SetValueFromDelegate(1.0);
  EXPECT_EQ(tabs->GetValue(), 1.0);
  view->Press(50, 20, kLeft); // tab "Soft" is enabled
  ASSERT_EQ(dlg.valuesFromUI.size(), 1u);
  EXPECT_EQ(dlg.valuesFromUI.back(), (Dlg::ValueFromUI{Dlg::kMode, 0.0, true}));
}

TEST_F(VectorTabs, LabelsFromDisplayTextsOnlyWithoutOptions)
{
  // A parameter whose states start at 1: state i shows the text of 1 + i.
  dlg.GetParam(Dlg::kCount)->InitInt("Count", 1, 1, 3);
  dlg.GetParam(Dlg::kCount)->SetDisplayText(1, "one");
  dlg.GetParam(Dlg::kCount)->SetDisplayText(2, "two");
  dlg.GetParam(Dlg::kCount)->SetDisplayText(3, "three");
  struct Case
  {
    const char* name;
    int param;
    std::vector<const char*> options;
    std::vector<std::string> texts;
    const char* label;
  };
  const Case cases[] = {
    {"display texts", Dlg::kMode, {}, {"Soft", "Medium", "Hard"}, "Mode"},
    {"states from 1", Dlg::kCount, {}, {"one", "two", "three"}, "Count"},
    {"options win", Dlg::kMode, {"L", "M", "R"}, {"L", "M", "R"}, ""},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    IVStyle style = Plain();
    style.showLabel = true;
    auto* tabs = new IVTabSwitchControl(IRECT(0, 0, 300, 60), c.param, c.options, "", style);
    g->AttachControl(tabs);
    EXPECT_STREQ(tabs->GetLabelStr(), c.label);
    g->calls.clear();
    tabs->Draw(*g);
    std::vector<std::string> expected = c.texts;
    if (c.label[0])
      expected.insert(expected.begin(), c.label);
    EXPECT_EQ(Texts(PaintedPieces(*g)), expected);
    g->RemoveAllControls();
  }
}

TEST_F(VectorTabs, RadioHitsRowsOrOnlyItsButtons)
{
  struct Case { bool onlyButtons; float x; double value; };
  const Case cases[] = {{false, 15, 1.0}, {false, 80, 1.0}, {true, 15, 1.0}, {true, 30, 0.0}, {true, 80, 0.0}};
  for (const Case& c : cases)
  {
    SCOPED_TRACE(testing::Message() << c.onlyButtons << " " << c.x);
    // Rows of 20 points; a 10-point button in a 30-point column.
    auto* radio = new IVRadioButtonControl(IRECT(0, 0, 100, 40), SplashClickActionFunc, {"x", "y"}, "", Plain());
    radio->SetOnlyButtonsRespond(c.onlyButtons);
    g->AttachControl(radio);
    EXPECT_EQ(radio->IsHit(c.x, 30), c.value == 1.0);
    radio->OnMouseDown(c.x, 30, kLeft);
    EXPECT_EQ(radio->GetValue(), c.value);
    g->RemoveAllControls();
  }
}

TEST_F(VectorTabs, RadioDrawsButtonsBesideColouredTexts)
{
  auto* radio = new IVRadioButtonControl(IRECT(0, 0, 100, 60), SplashClickActionFunc, {"x", "y", "z"}, "",
    Plain());
  g->AttachControl(radio);
  radio->SetValueFromDelegate(0.5);
  g->calls.clear();
  radio->Draw(*g);
  const std::vector<Painted> pieces = PaintedPieces(*g);
  const std::vector<Painted> texts = Only(pieces, "DoDrawText");
  ASSERT_EQ(texts.size(), 3u);
  for (size_t i = 0; i < 3; ++i)
  {
    EXPECT_EQ(texts[i].color, radio->GetColor(i == 1 ? kPressed : kExtra1)) << i;
    EXPECT_EQ(texts[i].bounds.L, 30.f); // beside the button column, near-aligned
  }
  // Each button is centred in the 30-point column of its row.
  const std::vector<Painted> fills = Only(pieces, "PathFill");
  ASSERT_EQ(fills.size(), 4u);
  for (size_t i = 1; i < 4; ++i)
  {
    // An ellipse's recorded path ends at its centre.
    EXPECT_EQ(fills[i].pts[fills[i].pts.size() - 2], 15.f);
    EXPECT_EQ(fills[i].pts.back(), 10.f + 20.f * (i - 1));
  }
}

} // namespace
