#include <gtest/gtest.h>

#include <cmath>

#include "graphics/controls/IVColorSwatchControl.h"
#include "graphics/controls/IVGroupControl.h"
#include "graphics/controls/IVLabelControl.h"
#include "graphics/controls/IVPlotControl.h"
#include "graphics/controls/IVXYPadControl.h"
#include "tests/graphics/VectorControlFixture.h"

namespace {

using namespace gfxtest;
using VectorPadPlotGroup = VectorControlTest;

// Radius 10 on a 100 x 100 widget, values (0, 0).
TEST_F(VectorPadPlotGroup, PadHandleStaysInsideOrIsClippedToTheWidget)
{
  struct Case
  {
    bool clips;
    IRECT handle;
    int clipsSet;
  };
  for (const Case& c : {Case{false, IRECT(0, 80, 20, 100), 0}, Case{true, IRECT(-10, 90, 10, 110), 1}})
  {
    SCOPED_TRACE(c.clips ? "clipped" : "inside");
    auto* pad = Attach(new IVXYPadControl(IRECT(0, 0, 100, 100), {-1, -1}, "", Plain(), 10.f));
    pad->SetTrackClipsHandle(c.clips);
    const auto handle = OfColor(Paths(*pad), Color(kForeground), true);
    ASSERT_EQ(handle.size(), 1u);
    ExpectRect(handle[0].arcBoxes.at(0), c.handle);
    const auto clips = g->CallsNamed("SetClipRegion");
    ASSERT_EQ(static_cast<int>(clips.size()), c.clipsSet);
    if (c.clipsSet)
    {
      EXPECT_EQ(clips[0].args, (std::vector<float>{0.5f, 0.5f, 99.5f, 99.5f}));
    }
    g->RemoveControl(pad);
  }
}

TEST_F(VectorPadPlotGroup, PadDragStopsAtTheControlsEdgesAndHidesTheCursorMeanwhile)
{
  auto* pad = Attach(new IVXYPadControl(IRECT(10, 10, 110, 110), {FakeEditorDelegate::kGain, FakeEditorDelegate::kFreq},
    "", Plain(), 10.f));
  MouseAction mouse;
  g->OnMouseDown(mouse.Press(35, 85));
  EXPECT_NEAR(pad->GetValue(0), 0.25, 1e-9);
  EXPECT_NEAR(pad->GetValue(1), 0.25, 1e-9);
  EXPECT_EQ(g->cursorHides, 1);
  EXPECT_FALSE(g->cursorLocked);
  struct Step
  {
    float x, y;
    double vx, vy;
  };
  for (const Step& s : {Step{500, -40, 1.0, 1.0}, Step{-5, 300, 0.0, 0.0}, Step{60, 60, 0.5, 0.5}})
  {
    g->OnMouseDrag(mouse.Drag(s.x, s.y));
    EXPECT_NEAR(pad->GetValue(0), s.vx, 1e-9) << s.x;
    EXPECT_NEAR(pad->GetValue(1), s.vy, 1e-9) << s.y;
  }
  EXPECT_EQ(g->cursorShows, 0);
  g->OnMouseUp(mouse.Release(60, 60));
  EXPECT_EQ(g->cursorShows, 1);
  EXPECT_TRUE(dlg.GesturesBalanced());
}

// On (0, 0, 120, 120) the plot area leaves out a twelfth at the top and the
// bottom: (0, 10, 120, 110).
TEST_F(VectorPadPlotGroup, PlotSamplesItsFunctionsOverTheArea)
{
  struct Case
  {
    const char* name;
    int points;
    float min, max;
    std::vector<float> curve; // x, y alternating; empty: no curve
    std::vector<double> xs;   // the function's arguments
  };
  const Case cases[] = {
    {"3 points of x over 0..1", 3, 0.f, 1.f, {0, 110, 60, 60, 120, 10}, {0.0, 0.5, 1.0}},
    {"range -1..1", 3, -1.f, 1.f, {0, 60, 60, 35, 120, 10}, {0.0, 0.5, 1.0}},
    // A single point samples x = 0 (its x position has no spread).
    {"single point", 1, 0.f, 1.f, {0, 110}, {0.0}},
    // Equal bounds give no scale: grid and frame only.
    {"equal bounds", 3, 0.5f, 0.5f, {}, {}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    std::vector<double> xs;
    IVStyle style = Plain();
    style.drawFrame = true;
    auto* plot = Attach(new IVPlotControl(IRECT(0, 0, 120, 120),
      {{kColorRed, [&xs](double x) { xs.push_back(x); return x; }}}, c.points, "", style, c.min, c.max));
    const auto paths = Paths(*plot);
    const auto curves = OfColor(paths, kColorRed, false);
    ASSERT_EQ(curves.size(), c.curve.empty() ? 0u : 1u);
    if (!c.curve.empty())
    {
      ASSERT_EQ(curves[0].pts.size(), c.curve.size());
      for (size_t i = 0; i < c.curve.size(); ++i)
        EXPECT_NEAR(curves[0].pts[i], c.curve[i], 1e-3f) << i;
    }
    EXPECT_EQ(xs, c.xs);
    EXPECT_EQ(OfColor(paths, Color(kShadow), false).size(), 1u);
    EXPECT_EQ(OfColor(paths, Color(kFrame), false).size(), 1u);
    g->RemoveControl(plot);
  }
}

TEST_F(VectorPadPlotGroup, PlotWithoutAFunctionDrawsNoCurve)
{
  auto* plot = Attach(new IVPlotControl(IRECT(0, 0, 120, 120), {{kColorRed, nullptr}}, 3, "", Plain(), 0.f, 1.f));
  EXPECT_TRUE(OfColor(Paths(*plot), kColorRed, false).empty());
}

TEST_F(VectorPadPlotGroup, PlotLayerIsRenderedAgainOnlyAfterAPlotIsAdded)
{
  int calls = 0;
  auto* plot = Attach(new IVPlotControl(IRECT(0, 0, 120, 120), {{kColorRed, [&calls](double x) { ++calls; return x; }}},
    4, "", Plain(), 0.f, 1.f, true));
  struct Step
  {
    const char* name;
    bool add;
    int curves; // red strokes drawn into the layer
    int evaluations;
  };
  const Step steps[] = {{"first draw", false, 1, 4}, {"again", false, 0, 4}, {"after adding", true, 2, 12}};
  for (const Step& s : steps)
  {
    SCOPED_TRACE(s.name);
    if (s.add)
      plot->AddPlotFunc(kColorRed, [&calls](double x) { ++calls; return 1.0 - x; });
    plot->SetDirty(false);
    view->Tick();
    EXPECT_EQ(static_cast<int>(OfColor(ReadPaths(), kColorRed, false).size()), s.curves);
    EXPECT_EQ(calls, s.evaluations);
    EXPECT_EQ(g->CallsNamed("DrawBitmap").size(), 1u);
    g->calls.clear();
  }
}

TEST_F(VectorPadPlotGroup, GroupFrameSurroundsItsGroup)
{
  struct Case
  {
    const char* name;
    std::vector<IRECT> members;
    const char* group;
    IRECT want;
  };
  const Case cases[] = {
    {"two controls", {IRECT(10, 10, 50, 50), IRECT(60, 10, 100, 50)}, "g", IRECT(5, 5, 105, 55)},
    {"a control of zero bounds is left out", {IRECT(10, 10, 50, 50), IRECT(), IRECT(60, 10, 100, 50)}, "g",
      IRECT(5, 5, 105, 55)},
    {"no control carries the group", {IRECT(10, 10, 50, 50)}, "other", IRECT(-5, -5, 5, 5)},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    std::vector<IControl*> members;
    for (const IRECT& r : c.members)
    {
      members.push_back(Probe("member", r));
      members.back()->SetGroup("g");
    }
    auto* group = Attach(new IVGroupControl("", c.group, Plain(), 5.f, 5.f, 5.f, 5.f));
    ExpectRect(group->GetRECT(), c.want);
    EXPECT_TRUE(group->GetIgnoreMouse());
    g->RemoveControl(group);
    for (IControl* m : members)
      g->RemoveControl(m);
  }
}

// The frame's path starts at the right of the gap and ends at its left,
// both on the frame's top line.
TEST_F(VectorPadPlotGroup, GroupFrameLeavesAGapForItsLabelOnly)
{
  IVStyle style;
  style.showValue = style.drawShadows = false;
  for (const char* label : {"Group", ""})
  {
    SCOPED_TRACE(label);
    auto* group = Attach(new IVGroupControl(IRECT(0, 0, 200, 100), label, style));
    const auto frame = OfColor(Paths(*group), Color(kFrame), false);
    ASSERT_EQ(frame.size(), 1u);
    const std::vector<float>& p = frame[0].pts;
    const float top = p[1];
    EXPECT_FLOAT_EQ(p.back(), top);
    // Square corners: each arc sits in its corner, half a line inside.
    EXPECT_EQ(frame[0].arcs, (std::vector<float>{199.5f, top, 0, 0, 90, 199.5f, 99.5f, 0, 90, 180, 0.5f, 99.5f, 0,
                               180, 270, 0.5f, top, 0, 270, 360}));
    const IRECT lb = group->GetLabelBounds();
    if (*label)
    {
      // 19-point text: the strip is 19 high and the line runs through it.
      EXPECT_FLOAT_EQ(top, lb.MH());
      EXPECT_FLOAT_EQ(p[0], lb.R);
      EXPECT_FLOAT_EQ(p[p.size() - 2], lb.L);
      EXPECT_FLOAT_EQ(lb.L, 11.f);
      EXPECT_FLOAT_EQ(lb.W(), 2.5f * 19.f + 20.f);
    }
    else
    {
      EXPECT_TRUE(lb.Empty());
      EXPECT_FLOAT_EQ(p[0], 100.f);
      EXPECT_FLOAT_EQ(p[p.size() - 2], 100.f);
    }
    g->RemoveControl(group);
  }
}

TEST_F(VectorPadPlotGroup, SwatchCellsFollowTheirLayout)
{
  struct Case
  {
    const char* name;
    IVColorSwatchControl::ESwatchLayout layout;
    IRECT bounds;
    std::vector<IRECT> cells; // the first cells, in order
    int lastIdx;
    IRECT last;
  };
  const Case cases[] = {
    {"row of 4", IVColorSwatchControl::kRow, IRECT(0, 0, 200, 50),
      {IRECT(2, 2, 48, 48), IRECT(52, 2, 98, 48), IRECT(102, 2, 148, 48)}, 3, IRECT(152, 2, 198, 48)},
    {"column of 4", IVColorSwatchControl::kColumn, IRECT(0, 0, 50, 200),
      {IRECT(2, 2, 48, 48), IRECT(2, 52, 48, 98)}, 3, IRECT(2, 152, 48, 198)},
    {"grid of 10: the tenth takes the widget", IVColorSwatchControl::kGrid, IRECT(0, 0, 90, 90),
      {IRECT(2, 2, 28, 28), IRECT(32, 2, 58, 28), IRECT(62, 2, 88, 28), IRECT(2, 32, 28, 58)}, 9,
      IRECT(2, 2, 88, 88)},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    IVColorSwatchControl* swatch = nullptr;
    if (c.lastIdx == 9)
      swatch = new IVColorSwatchControl(c.bounds, "", nullptr, Plain(), c.layout,
        {kBackground, kForeground, kPressed, kFrame, kHighlight, kShadow, kExtra1, kExtra2, kExtra3, kForeground});
    else
      swatch = new IVColorSwatchControl(c.bounds, "", nullptr, Plain(), c.layout,
        {kForeground, kPressed, kFrame, kShadow});
    Attach(swatch);
    ASSERT_EQ(swatch->NumCells(), c.lastIdx + 1);
    for (size_t i = 0; i < c.cells.size(); ++i)
      ExpectRect(swatch->GetCellBounds(static_cast<int>(i)), c.cells[i]);
    ExpectRect(swatch->GetCellBounds(c.lastIdx), c.last);
    g->RemoveControl(swatch);
  }
}

const IColor kOverFrame(255, 127, 127, 127);
const IColor kCellFrame(255, 70, 70, 70);

TEST_F(VectorPadPlotGroup, SwatchDrawsLabelledCellsAndFramesTheOneUnderThePointer)
{
  auto* swatch = Attach(new IVColorSwatchControl(IRECT(0, 0, 200, 50), "", nullptr, Plain(),
    IVColorSwatchControl::kRow, {kExtra1, kExtra2, kExtra3, kShadow}, {"Ink"}));
  g->OnMouseOver(75, 25, MouseAction().Mod(false));
  const auto paths = Paths(*swatch);
  const auto ink = OfColor(paths, Color(kExtra1), true);
  ASSERT_EQ(ink.size(), 1u);
  ExpectRect(ink[0].Box(), IRECT(36.5f, 2, 48, 48));
  const auto over = OfColor(paths, kOverFrame, false);
  ASSERT_EQ(over.size(), 1u);
  ExpectRect(over[0].Box(), IRECT(51.5f, 1.5f, 98.5f, 48.5f));
  EXPECT_EQ(OfColor(paths, kCellFrame, false).size(), 3u);
  const auto texts = g->CallsNamed("DoDrawText");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "Ink");
  ExpectRect(IRECT(texts[0].args[0], texts[0].args[1], texts[0].args[2], texts[0].args[3]),
    IRECT(2, 2, 34.2f, 48));
}

TEST_F(VectorPadPlotGroup, SwatchClickAsksForTheCellsColour)
{
  const IColor picked(255, 10, 200, 30);
  struct Case
  {
    const char* name;
    bool answers;
    float x;
    int prompts;
    bool stored;
  };
  const Case cases[] = {
    {"answered", true, 125, 1, true},
    {"never answered", false, 125, 1, false},
    // Ids outside the colour set would read and write past it.
    {"a cell of an id outside the set", true, 75, 0, false},
    {"a cell of a negative id", true, 175, 0, false},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    std::vector<std::pair<int, IColor>> chosen;
    auto* swatch = Attach(new IVColorSwatchControl(IRECT(0, 0, 200, 50), "",
      [&chosen](int cell, IColor color) { chosen.emplace_back(cell, color); }, Plain(), IVColorSwatchControl::kRow,
      {kForeground, 9, kPressed, -1}));
    g->colorPrompts.clear();
    if (c.answers)
      g->script.promptColor = picked;
    else
      g->script.promptColor.reset();
    MouseAction mouse;
    g->OnMouseDown(mouse.Press(c.x, 25));
    g->OnMouseUp(mouse.Release(c.x, 25));
    ASSERT_EQ(static_cast<int>(g->colorPrompts.size()), c.prompts);
    if (c.prompts)
    {
      EXPECT_EQ(g->colorPrompts[0].first, "Choose a color");
      EXPECT_EQ(g->colorPrompts[0].second, Color(kPressed));
    }
    const auto paths = Paths(*swatch);
    // The refused cells draw nothing, not even their frame.
    EXPECT_EQ(OfColor(paths, kCellFrame, false).size() + OfColor(paths, kOverFrame, false).size(), 2u);
    EXPECT_EQ(OfColor(paths, picked, true).size(), c.stored ? 1u : 0u);
    EXPECT_EQ(swatch->GetStyle().colorSpec.GetColor(kPressed),
      c.stored ? picked : Color(kPressed));
    using Chosen = std::vector<std::pair<int, IColor>>;
    EXPECT_EQ(chosen, (c.stored ? Chosen{{2, picked}} : Chosen{}));
    g->RemoveControl(swatch);
  }
}

TEST_F(VectorPadPlotGroup, LabelDrawsAShadowCopyUnlessDisabled)
{
  IVStyle style = Plain();
  style.drawShadows = true;
  auto* label = Attach(new IVLabelControl(IRECT(10, 10, 110, 30), "Level", style));
  for (bool disabled : {false, true})
  {
    SCOPED_TRACE(disabled ? "disabled" : "enabled");
    label->SetDisabled(disabled);
    Paths(*label);
    const auto texts = g->CallsNamed("DoDrawText");
    ASSERT_EQ(texts.size(), disabled ? 1u : 2u);
    const GfxCall& plain = texts.back();
    EXPECT_EQ(plain.text, "Level");
    EXPECT_EQ(plain.pattern.GetStop(0).mColor, style.valueText.mFGColor);
    EXPECT_EQ(plain.args, (std::vector<float>{10, 10, 110, 30}));
    if (!disabled)
    {
      EXPECT_EQ(texts[0].pattern.GetStop(0).mColor, style.colorSpec.GetColor(kShadow));
      EXPECT_EQ(texts[0].args, (std::vector<float>{13, 13, 113, 33}));
    }
  }
}

} // namespace
