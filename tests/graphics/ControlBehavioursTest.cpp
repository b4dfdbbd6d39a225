#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "framework/IParam.h"
#include "graphics/IControlBehaviours.h"
#include "graphics/IDirBrowseControlBase.h"
#include "graphics/ITextControls.h"
#include "tests/graphics/EditorFixture.h"

namespace {

using namespace gfxtest;
using plugkit::IParam;
using Dlg = EditorDelegate;

// The behaviour bases with nothing drawn.
template <class Base>
class Bare : public Base
{
public:
  using Base::Base;
  void Draw(IGfx&) override {}
};
using Knob = Bare<IKnobControlBase>;
using Slider = Bare<ISliderControlBase>;
using Switch = Bare<ISwitchControlBase>;
using Button = Bare<IButtonControlBase>;

// A knob whose drag rectangle has no extent.
class FlatKnob : public Knob
{
public:
  using Knob::Knob;
  IRECT GetKnobDragBounds() override { return IRECT(0, 50, 100, 50); }
};

const IMouseMod kLeft(true);
const IMouseMod kShift(true, false, true);

using Behaviours = EditorTest;

TEST_F(Behaviours, SwitchesStepThroughTheirStatesAndTrackTheParameterRange)
{
  struct Case { int states; double start; std::vector<double> after; };
  const Case cases[] = {
    {2, 0.5, {0.0, 1.0, 0.0}}, // only exactly 0 goes to 1
    {3, 0.0, {0.5, 1.0, 0.0, 0.5}},
  };
  for (const Case& c : cases)
  {
    auto* sw = new Switch(IRECT(0, 0, 50, 50), -1, nullptr, c.states);
    g->AttachControl(sw);
    sw->SetValue(c.start);
    for (double expected : c.after)
    {
      view->Press(10, 10, kLeft);
      view->Release(10, 10, IMouseMod());
      EXPECT_DOUBLE_EQ(sw->GetValue(), expected) << c.states << " states";
    }
    g->RemoveAllControls();
  }

  // Made for two states, linked to a three-state parameter: the third
  // state gets its own flag, starting enabled.
  auto* sw = new Switch(IRECT(0, 0, 50, 50), Dlg::kMode, nullptr, 2);
  g->AttachControl(sw);
  ASSERT_EQ(sw->GetNumStates(), 3);
  EXPECT_FALSE(sw->GetStateDisabled(2));
  sw->SetAllStatesDisabled(true);
  for (int s = 0; s < 3; ++s)
    EXPECT_TRUE(sw->GetStateDisabled(s)) << s;
  sw->SetStateDisabled(3, false); // outside: ignored
  EXPECT_FALSE(sw->GetStateDisabled(3));
}

TEST_F(Behaviours, KnobDragMovesByExtentOverGearing)
{
  struct Case { const char* name; IMouseMod mod; float dY; double moved; };
  const Case cases[] = {
    {"100 up", kLeft, -100.f, 0.25},
    {"1000 up stops at the top", kLeft, -1000.f, 0.75},
    {"100 up with shift", kShift, -100.f, 0.025},
    {"100 down", kLeft, 100.f, -0.25},
  };
  for (const Case& c : cases)
  {
    auto* knob = new Knob(IRECT(0, 0, 100, 100), Dlg::kFreq, kVertical, 4.0);
    g->AttachControl(knob);
    knob->SetValue(0.25);
    view->Press(50, 50, c.mod);
    view->Drag(50, 50 + c.dY, 0, c.dY, c.mod);
    EXPECT_NEAR(knob->GetValue(), 0.25 + c.moved, 1e-9) << c.name;
    view->Release(50, 50 + c.dY, IMouseMod());
    g->RemoveAllControls();
  }
}

TEST_F(Behaviours, SteppedKnobDragShowsWholeStepsOnly)
{
  auto* knob = new Knob(IRECT(0, 0, 100, 100), Dlg::kCount, kVertical, 1.0);
  g->AttachControl(knob);
  knob->SetValue(0.0);
  view->Press(50, 50, kLeft);
  double previous = 0.0;
  for (int i = 1; i <= 130; ++i)
  {
    view->Drag(50, 50.f - i, 0, -1.f, kLeft); // 1 unit = 0.1 of a step
    const double v = knob->GetValue();
    const double plain = v * 10.0;
    EXPECT_NEAR(plain, std::round(plain), 1e-9);
    EXPECT_GE(v, 0.0);
    EXPECT_LE(v, 1.0);
    EXPECT_GE(v, previous);
    previous = v;
  }
  EXPECT_DOUBLE_EQ(knob->GetValue(), 1.0); // the slow drag still arrived
}

TEST_F(Behaviours, WheelStepsFromEveryGridPointAndClamps)
{
  dlg.GetParam(Dlg::kCount)->InitInt("Count", 0, 0, 100);
  auto* stepped = new Knob(IRECT(0, 0, 100, 100), Dlg::kCount);
  auto* smooth = new Knob(IRECT(100, 0, 200, 100), Dlg::kFreq);
  g->AttachControl(stepped);
  g->AttachControl(smooth);

  // Values converted back from their normalised form sit a hair below the
  // grid; the wheel must still move up by one whole step.
  for (int from = 0; from < 100; ++from)
  {
    stepped->SetValue(from / 100.0);
    stepped->OnMouseWheel(50, 50, IMouseMod(), 1.f);
    EXPECT_NEAR(stepped->GetValue() * 100.0, from + 1, 1e-9) << "up from " << from;
    stepped->OnMouseWheel(50, 50, IMouseMod(), -1.f);
    EXPECT_NEAR(stepped->GetValue() * 100.0, from, 1e-9) << "back down to " << from;
  }

  smooth->SetValue(0.995);
  smooth->OnMouseWheel(150, 50, IMouseMod(), 1.f);
  EXPECT_EQ(smooth->GetValue(), 1.0);
}

TEST_F(Behaviours, ZeroExtentLeavesTheValueAsItIs)
{
  auto* knob = new FlatKnob(IRECT(0, 0, 100, 100), Dlg::kFreq);
  auto* slider = new Slider(IRECT(100, 0, 100, 100), Dlg::kGain); // no width
  g->AttachControl(knob);
  g->AttachControl(slider);
  knob->SetValue(0.4);
  slider->SetValue(0.6);
  knob->OnMouseDown(50, 50, kLeft);
  slider->OnMouseDown(100, 50, kLeft);
  for (int i = 0; i < 3; ++i)
  {
    knob->OnMouseDrag(50, 40, 0, -10, kLeft);
    slider->OnMouseDrag(100, 40, 0, -10, kLeft);
  }
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.4);
  EXPECT_FALSE(std::isnan(slider->GetValue()));
}

TEST_F(Behaviours, ClicksAndDragsOnATrackWithoutExtentChangeNothing)
{
  struct Case { const char* name; IRECT bounds; EDirection dir; };
  const Case cases[] = {
    {"horizontal, no width", IRECT(100, 0, 100, 20), kHorizontal},
    {"vertical, no height", IRECT(0, 50, 20, 50), kVertical},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    g->RemoveAllControls();
    dlg.valuesFromUI.clear();
    auto* slider = new Slider(c.bounds, Dlg::kFreq, c.dir);
    g->AttachControl(slider);
    slider->SetValue(0.6);
    // The control itself, as a click and a drag reach it: its track has the
    // same (empty) extent as its bounds.
    slider->OnMouseDown(c.bounds.L, c.bounds.T, kLeft);
    slider->OnMouseDrag(c.bounds.L, c.bounds.T, 0, -10, kLeft);
    slider->OnMouseUp(c.bounds.L, c.bounds.T, IMouseMod());
    EXPECT_DOUBLE_EQ(slider->GetValue(), 0.6);
    for (const auto& sent : dlg.valuesFromUI)
      EXPECT_DOUBLE_EQ(sent.normalized, 0.6) << "the host hears the value it had";
  }
}

TEST_F(Behaviours, SliderJumpsToTheClickUnlessStepped)
{
  auto* smooth = new Slider(IRECT(0, 0, 20, 100), Dlg::kFreq);
  auto* stepped = new Slider(IRECT(50, 0, 70, 100), Dlg::kGain);
  g->AttachControl(smooth);
  g->AttachControl(stepped);
  smooth->SetValue(0.1);
  stepped->SetValue(0.5);
  view->Press(10, 25, kLeft);
  EXPECT_NEAR(smooth->GetValue(), 0.75, 0.01);
  view->Release(10, 25, IMouseMod());
  view->Press(60, 25, kLeft);
  EXPECT_DOUBLE_EQ(stepped->GetValue(), 0.5);
  view->Drag(60, 0, 0, -25, kLeft); // a quarter of the track at gearing 4
  EXPECT_NEAR(stepped->GetValue(), 0.5 + 0.25 / 4, 1e-9); // on the grid of 0.5 dB
  view->Release(60, 0, IMouseMod());
}

TEST_F(Behaviours, ButtonValueFallsBackWhenItsAnimationEnds)
{
  auto* button = new Button(IRECT(0, 0, 50, 50), DefaultClickActionFunc);
  g->AttachControl(button);
  view->Press(10, 10, kLeft);
  EXPECT_EQ(button->GetValue(), 1.0);
  standin::AdvanceManualClock(0.2);
  view->Tick();
  view->Tick();
  EXPECT_EQ(button->GetValue(), 0.0);
  EXPECT_FALSE(button->IsAnimating());
}

TEST_F(Behaviours, TextControls)
{
  // Text set without a redraw request; auto-size keeps the centre.
  auto* label = new ITextControl(IRECT(0, 0, 200, 100), "abc", kDefaultText, kColorTransparent, true);
  g->AttachControl(label);
  Settle();
  const IRECT before = label->GetRECT();
  label->SetStr("a much longer text");
  EXPECT_FALSE(label->IsDirty());
  EXPECT_FLOAT_EQ(label->GetRECT().MW(), before.MW());
  EXPECT_FLOAT_EQ(label->GetRECT().MH(), before.MH());
  EXPECT_GT(label->GetRECT().W(), before.W());

  // The toggle's two texts.
  auto* toggle = new ITextToggleControl(IRECT(0, 100, 50, 150), Dlg::kBypass, "off", "on");
  g->AttachControl(toggle);
  for (const char* expected : {"on", "off"})
  {
    view->Press(10, 110, kLeft);
    view->Release(10, 110, IMouseMod());
    EXPECT_STREQ(toggle->GetStr(), expected);
  }

  // The caption's menu triangle for an enumerated parameter.
  auto* caption = new ICaptionControl(IRECT(100, 100, 200, 120), Dlg::kMode);
  g->AttachControl(caption);
  const IRECT t = caption->GetTriangleBounds();
  EXPECT_FLOAT_EQ(t.L, 200.f - 10.f - 4.f);
  EXPECT_FLOAT_EQ(t.W(), 8.f);
  EXPECT_FLOAT_EQ(t.H(), 5.f);
  EXPECT_FLOAT_EQ(t.MH(), 110.f);
  // A click asks for its value: a menu of the texts.
  g->menuRequests.clear();
  view->Press(150, 110, kLeft);
  view->Release(150, 110, IMouseMod());
  EXPECT_EQ(g->menuRequests.size(), 1u);
  EXPECT_STREQ(g->GetPromptMenu().GetRootTitle(), "Mode");

  // A link opens its address, the pointer a hand over it.
  auto* link = new IURLControl(IRECT(0, 200, 100, 220), "site", "https://example.org/");
  g->AttachControl(link);
  view->Press(10, 210, kLeft);
  EXPECT_EQ(g->urlsOpened, std::vector<std::string>{"https://example.org/"});
  link->OnMouseOver(10, 210, IMouseMod());
  EXPECT_EQ(g->GetCursorKind(), kHandCursor);
  link->OnMouseOut();
  EXPECT_EQ(g->GetCursorKind(), kArrowCursor);
}

// A browser whose menu lists are visible to the test.
class Browser : public IDirBrowseControlBase
{
public:
  using IDirBrowseControlBase::IDirBrowseControlBase;
  void Draw(IGfx&) override {}
  void ShowEmptySubmenus() { mShowEmptySubmenus = true; }
  // The menu as "text" and "[folder: ...]" lines, depth-first.
  static std::string Describe(const IPopupMenu& menu)
  {
    std::string out;
    for (int i = 0; i < menu.NItems(); ++i)
    {
      const IPopupMenu::Item* item = menu.GetItem(i);
      out += item->GetSubmenu() ? std::string("[") + item->GetText() + ": " + Describe(*item->GetSubmenu()) + "]"
                                : std::string(item->GetText());
      out += " ";
    }
    return out;
  }
};

TEST_F(Behaviours, FolderScanListsMatchingFilesSortedAndSkipsTheRest)
{
  namespace fs = std::filesystem;
  char pattern[] = "/tmp/dirbrowseXXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const fs::path root(pattern);
  for (const char* f : {"B.kps", "a.kps", ".hidden.kps", "x.kps.bak", "kps", "sub/c.kps", "other/d.kps"})
  {
    fs::create_directories((root / f).parent_path());
    std::ofstream(root / f) << "x";
  }
  fs::create_directories(root / "empty");
  fs::create_directory_symlink(root / "sub", root / "link");

  struct Case { const char* name; std::vector<std::string> paths; bool showEmpty; std::string menu; };
  const std::string r = root.string();
  const Case cases[] = {
    {"one path with a trailing slash", {r + "/"}, false, "a B [other: d ] [sub: c ] "},
    {"empty folders kept", {r}, true, "a B [empty: ] [other: d ] [sub: c ] "},
    {"one sub-menu per path", {r + "/sub", r + "/other"}, false, "[one: c ] [two: d ] "},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Browser browser(IRECT(), ".kps");
    if (c.showEmpty)
      browser.ShowEmptySubmenus();
    const char* labels[] = {"one", "two"};
    for (size_t i = 0; i < c.paths.size(); ++i)
      browser.AddPath(c.paths[i].c_str(), labels[i]);
    browser.SetUpMenu();
    EXPECT_EQ(Browser::Describe(browser.GetMenu()), c.menu);
    // Item tags index the file paths in displayed order.
    for (int i = 0; i < browser.NItems(); ++i)
    {
      const IPopupMenu::Item* item = browser.GetFileItem(i);
      const std::string path = browser.GetFilePath(item->GetTag());
      EXPECT_EQ(fs::path(path).stem().string(), item->GetText());
    }
  }
  fs::remove_all(root);
}

} // namespace
