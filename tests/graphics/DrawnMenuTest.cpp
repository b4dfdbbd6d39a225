#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/graphics/DrawnControlsFixture.h"

namespace gfxtest {
namespace {

using Dir = IPopupMenuControl::ECalloutDirection;

void ExpectRect(const IRECT& got, const IRECT& want)
{
  EXPECT_NEAR(got.L, want.L, 1e-3f);
  EXPECT_NEAR(got.T, want.T, 1e-3f);
  EXPECT_NEAR(got.R, want.R, 1e-3f);
  EXPECT_NEAR(got.B, want.B, 1e-3f);
}

// A menu of n items named "i0", "i1", ...
void AddNumbered(IPopupMenu& m, int n, const char* prefix = "i")
{
  for (int i = 0; i < n; ++i)
    m.AddItem((prefix + std::to_string(i)).c_str());
}

class DrawnMenu : public DrawnControlsTest
{
protected:
  // Closes whatever is open and runs the fade-out to the end.
  void Collapse()
  {
    const auto open = menu->GetState();
    if (open == IPopupMenuControl::kExpanding || open == IPopupMenuControl::kIdling ||
        open == IPopupMenuControl::kSubMenuAppearing)
      menu->CloseMenu();
    for (int i = 0; i < 4; ++i)
      Advance(101);
    ASSERT_EQ(menu->GetState(), IPopupMenuControl::kCollapsed);
  }
  const IPopupMenuControl::MenuPanel& Panel(int i) const { return *menu->GetPanel(i); }
  IRECT Cell(int panel, int cell) const { return Panel(panel).mCellBounds[static_cast<size_t>(cell)]; }
  void HoverCell(int panel, int cell) { Hover(Cell(panel, cell).MW(), Cell(panel, cell).MH()); }
  void ClickCell(int panel, int cell) { Click(Cell(panel, cell).MW(), Cell(panel, cell).MH()); }
};

TEST_F(DrawnMenu, PanelIsBuiltFromTheMeasuredItemsBelowTheAnchor)
{
  IPopupMenu m("", 0, false, {"A", "BB", "CCC"});
  float w = 0.f, h = 0.f;
  menu->GetPanelDimensions(m, w, h);
  EXPECT_FLOAT_EQ(w, 49.f);
  EXPECT_FLOAT_EQ(h, 46.f);
  OpenMenu(m, IRECT(100, 100, 120, 120));
  ASSERT_EQ(menu->NPanels(), 1);
  ASSERT_EQ(Panel(0).NCells(), 3);
  ExpectRect(Cell(0, 0), IRECT(90.5f, 125, 139.5f, 139));
  ExpectRect(Cell(0, 1), IRECT(90.5f, 141, 139.5f, 155));
  ExpectRect(Cell(0, 2), IRECT(90.5f, 157, 139.5f, 171));
  ExpectRect(Panel(0).mTargetBounds, IRECT(85.5f, 120, 144.5f, 176));
  ExpectRect(Panel(0).mBounds, IRECT(75.5f, 110, 154.5f, 186));
  ExpectRect(menu->GetTargetRECT(), Panel(0).mTargetBounds);
  ExpectRect(menu->GetRECT(), Panel(0).mBounds);
  EXPECT_EQ(menu->GetCalloutDirection(), IPopupMenuControl::kSouth);
  EXPECT_FALSE(menu->IsHidden());
}

TEST_F(DrawnMenu, RootPanelIsPlacedByTheAnchorsQuarter)
{
  struct Case { const char* name; IRECT anchor; bool forceBelow; bool wide; Dir dir; float x, y; };
  const Case cases[] = {
    {"upper left, forced below", IRECT(100, 100, 120, 120), true, false, Dir::kSouth, 85.5f, 120},
    {"upper left, beside", IRECT(100, 100, 120, 120), false, false, Dir::kEast, 120, 96},
    {"upper right, forced below", IRECT(900, 100, 920, 120), true, false, Dir::kSouth, 885.5f, 120},
    {"upper right, beside", IRECT(900, 100, 920, 120), false, false, Dir::kWest, 841, 96},
    {"lower left: no room below", IRECT(100, 500, 120, 520), true, false, Dir::kEast, 120, 478},
    {"lower left, beside", IRECT(100, 500, 120, 520), false, false, Dir::kEast, 120, 478},
    {"lower right: no room below", IRECT(900, 500, 920, 520), true, false, Dir::kWest, 841, 478},
    {"lower right, beside", IRECT(900, 500, 920, 520), false, false, Dir::kWest, 841, 478},
    {"top edge: beside does not fit", IRECT(100, 0, 120, 10), false, false, Dir::kSouth, 85.5f, 10},
    {"bottom edge: beside does not fit", IRECT(100, 570, 120, 580), false, false, Dir::kNorth, 85.5f, 514},
    // Limits cross for a panel wider than the editor: the lower one wins.
    {"wider than the editor", IRECT(900, 100, 920, 120), true, true, Dir::kSouth, 10, 120},
  };
  const std::string wide(200, 'W');
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    IPopupMenu m("", 0, false, {"A", "BB", "CCC"});
    if (c.wide)
      m.AddItem(wide.c_str());
    menu->SetForceBelow(c.forceBelow);
    OpenMenu(m, c.anchor);
    EXPECT_EQ(menu->GetCalloutDirection(), c.dir);
    EXPECT_FLOAT_EQ(Panel(0).mSingleCellBounds.L, c.x);
    EXPECT_FLOAT_EQ(Panel(0).mSingleCellBounds.T, c.y);
    Collapse();
  }
}

TEST_F(DrawnMenu, RootWithSubMenuOpensAboveOrBelowAndItsSubMenuTowardsTheRoom)
{
  // subCell: the parent's place in the root, after one plain item or first.
  struct Case { const char* name; IRECT anchor; Dir dir; bool right; int subCell; };
  const Case cases[] = {
    {"upper left", IRECT(100, 100, 120, 120), Dir::kSouth, true, 1},
    {"upper right", IRECT(900, 100, 920, 120), Dir::kSouth, false, 1},
    {"lower left", IRECT(100, 500, 120, 520), Dir::kNorth, true, 1},
    {"lower right", IRECT(900, 500, 920, 520), Dir::kNorth, false, 1},
    {"upper left, sub-menu first", IRECT(100, 100, 120, 120), Dir::kSouth, true, 0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    IPopupMenu m("", 0, false, {"One"});
    auto* sub = new IPopupMenu("", 0, false, {"x", "y"});
    m.AddItem("Sub", sub, c.subCell);
    OpenIdle(m, c.anchor);
    EXPECT_EQ(menu->GetCalloutDirection(), c.dir);
    HoverCell(0, c.subCell);
    ASSERT_EQ(menu->NPanels(), 2);
    EXPECT_EQ(Panel(1).mParentIdx, 0);
    EXPECT_EQ(&Panel(1).mMenu, sub);
    EXPECT_EQ(Panel(0).mHighlightedCell, c.subCell);
    EXPECT_EQ(menu->GetState(), IPopupMenuControl::kSubMenuAppearing);
    if (c.right)
      EXPECT_GT(Panel(1).mTargetBounds.L, Cell(0, c.subCell).R);
    else
      EXPECT_LT(Panel(1).mTargetBounds.R, Cell(0, c.subCell).L);
    // Level with its parent item: below, the sub-menu's first item starts
    // with it; above, its last item ends with it, half a padding (5) lower.
    const IRECT parent = Cell(0, c.subCell);
    if (c.dir == Dir::kNorth)
      EXPECT_FLOAT_EQ(Cell(1, Panel(1).NCells() - 1).B, parent.B + 2.5f);
    else
      EXPECT_FLOAT_EQ(Cell(1, 0).T, parent.T);
    // The control covers both panels while the sub-menu shows.
    EXPECT_TRUE(menu->GetRECT().ContainsRect(Panel(1).mBounds));
    Collapse();
  }
}

TEST_F(DrawnMenu, ASubMenuOpenedWhileTheMenuFadesInLeavesTheRootAtTheWeightOfAnIdleOne)
{
  IPopupMenu m("", 0, false, {"One"});
  m.AddItem("Sub", new IPopupMenu("", 0, false, {"x"}));
  OpenIdle(m, IRECT(100, 100, 120, 120));
  const float idle = Panel(0).mBlend.mWeight;
  Collapse();
  for (double fadedMs : {0.0, 30.0, 90.0})
  {
    SCOPED_TRACE(fadedMs);
    OpenMenu(m, IRECT(100, 100, 120, 120));
    Advance(0);
    Advance(fadedMs);
    ASSERT_EQ(menu->GetState(), IPopupMenuControl::kExpanding);
    HoverCell(0, 1);
    ASSERT_EQ(menu->GetState(), IPopupMenuControl::kSubMenuAppearing);
    for (double ms : {0.0, 100.0})
    {
      Advance(ms);
      EXPECT_FLOAT_EQ(Panel(0).mBlend.mWeight, idle) << ms;
    }
    Collapse();
  }
}

TEST_F(DrawnMenu, SubMenuPanelKeepsWithinTheEditorByItsOwnHeight)
{
  IPopupMenu m("", 0, false, {"One", "Two"});
  auto* sub = new IPopupMenu;
  AddNumbered(*sub, 20, "s");
  m.AddItem("Sub", sub);
  OpenIdle(m, IRECT(100, 250, 120, 260));
  HoverCell(0, 2);
  ASSERT_EQ(menu->NPanels(), 2);
  // As close to its parent cell as its own height allows: 584 - 318 - 20.
  EXPECT_FLOAT_EQ(Panel(1).mSingleCellBounds.T, 246.f);
  EXPECT_FALSE(Panel(1).mScroller);
  ASSERT_EQ(Panel(1).NCells(), 20);
  EXPECT_FLOAT_EQ(Cell(1, 0).T, 251.f);
  EXPECT_LE(Panel(1).mBounds.B, 584.f);
}

TEST_F(DrawnMenu, ColumnsStartEveryMaxItemsWhenNotScrolling)
{
  IPopupMenu m;
  AddNumbered(m, 10);
  menu->SetMaxColumnItems(4);
  menu->SetScrollIfTooBig(false);
  OpenMenu(m, IRECT(100, 100, 120, 120));
  ASSERT_EQ(Panel(0).NCells(), 10);
  std::vector<int> columnStarts;
  for (int i = 1; i < 10; ++i)
    if (Cell(0, i).L > Cell(0, i - 1).L)
    {
      columnStarts.push_back(i);
      EXPECT_FLOAT_EQ(Cell(0, i).T, Cell(0, 0).T);
    }
  EXPECT_EQ(columnStarts, (std::vector<int>{4, 8}));
}

TEST_F(DrawnMenu, TallPanelScrollsOneItemPerHoverOverItsEndCells)
{
  IPopupMenu m;
  AddNumbered(m, 60);
  OpenIdle(m, IRECT(100, 100, 120, 120));
  ASSERT_TRUE(Panel(0).mScroller);
  ASSERT_EQ(Panel(0).NCells(), 35); // trunc(564 / 16)
  EXPECT_FLOAT_EQ(Cell(0, 0).T, 15.f);
  std::vector<int> offsets, want;
  for (int i = 0; i < 30; ++i)
  {
    HoverCell(0, 34);
    offsets.push_back(Panel(0).mScrollItemOffset);
    want.push_back(std::min(i + 1, 25));
  }
  EXPECT_EQ(offsets, want);
  for (int i = 0; i < 30; ++i)
    HoverCell(0, 0);
  EXPECT_EQ(Panel(0).mScrollItemOffset, 0);
}

TEST_F(DrawnMenu, ScrollArrowsAreHitByPositionAndChooseNothing)
{
  IPopupMenu m;
  AddNumbered(m, 60);
  // The items under both arrows are disabled: the arrows work all the same.
  m.GetItem(34)->SetEnabled(false);
  m.GetItem(1)->SetEnabled(false);
  OpenIdle(m, IRECT(100, 100, 120, 120));
  HoverCell(0, 34);
  HoverCell(0, 34);
  EXPECT_EQ(Panel(0).mScrollItemOffset, 2);
  ClickCell(0, 34);
  ClickCell(0, 0);
  EXPECT_EQ(menu->GetState(), IPopupMenuControl::kIdling);
  EXPECT_TRUE(asker->answers.empty());
  HoverCell(0, 0);
  EXPECT_EQ(Panel(0).mScrollItemOffset, 1);
  // A cell between the arrows chooses the item it shows.
  ClickCell(0, 5);
  ASSERT_EQ(asker->chosen.size(), 1u);
  EXPECT_EQ(asker->chosen[0], 6);
}

TEST_F(DrawnMenu, FadesFollowTheClockThroughEveryState)
{
  asker->SetParamIdx(FakeEditorDelegate::kGain);
  IPopupMenu m("", 0, false, {"A"});
  m.AddSeparator();
  auto* sub = new IPopupMenu("", 0, false, {"x"});
  m.AddItem("Sub", sub);
  ClickToOpen(m, IRECT(100, 100, 120, 120));
  EXPECT_EQ(g->tooltipUpdates, 1);
  const IColor separator(255, 200, 200, 200);
  struct Step { double ms; IPopupMenuControl::EPopupState state; float weight; bool separators; };
  const Step expanding[] = {
    {0, IPopupMenuControl::kExpanding, 0.f, false},
    {50, IPopupMenuControl::kExpanding, 0.475f, false},
    {40, IPopupMenuControl::kExpanding, 0.855f, false},
    {10, IPopupMenuControl::kExpanding, 0.95f, true},
    {1, IPopupMenuControl::kIdling, 0.95f, true},
  };
  for (const Step& s : expanding)
  {
    SCOPED_TRACE(s.ms);
    g->calls.clear();
    Advance(s.ms);
    EXPECT_EQ(menu->GetState(), s.state);
    EXPECT_NEAR(Panel(0).mBlend.mWeight, s.weight, 1e-3f);
    view->Tick();
    g->calls.clear();
    menu->SetDirty(false);
    view->Tick();
    EXPECT_EQ(FillsOf(*g, separator).empty(), !s.separators);
  }

  HoverCell(0, 2);
  const float subWeights[][2] = {{0, 0.f}, {179, 0.f}, {2, 0.95f}};
  for (const auto& [ms, weight] : subWeights)
  {
    Advance(ms);
    EXPECT_EQ(menu->GetState(), IPopupMenuControl::kSubMenuAppearing);
    EXPECT_FLOAT_EQ(Panel(1).mBlend.mWeight, weight) << ms;
  }
  Advance(20);
  EXPECT_EQ(menu->GetState(), IPopupMenuControl::kIdling);

  HoverCell(0, 0);
  ClickCell(0, 0);
  EXPECT_TRUE(menu->IsHidden());
  EXPECT_EQ(asker->chosen, (std::vector<int>{0}));
  const IPopupMenuControl::EPopupState closing[] = {
    IPopupMenuControl::kCollapsing, IPopupMenuControl::kCleaningUp, IPopupMenuControl::kCollapsed};
  for (IPopupMenuControl::EPopupState want : closing)
  {
    EXPECT_EQ(menu->GetState() == IPopupMenuControl::kCollapsed, false);
    // A request while the menu closes is refused and answered at once.
    IPopupMenu other("", 0, false, {"Z"});
    const size_t answers = asker->answers.size();
    ClickToOpen(other, IRECT(500, 300, 520, 320));
    ASSERT_EQ(asker->answers.size(), answers + 1);
    EXPECT_EQ(asker->answers.back(), nullptr);
    EXPECT_EQ(menu->GetMenu(), &m);
    EXPECT_TRUE(dlg.GesturesBalanced());
    Advance(0);
    Advance(101);
    EXPECT_EQ(menu->GetState(), want);
  }
  EXPECT_EQ(g->tooltipUpdates, 2);
  EXPECT_EQ(menu->NPanels(), 0);
  EXPECT_EQ(menu->GetActivePanelIdx(), -1);
  EXPECT_EQ(menu->GetAppearingPanelIdx(), -1);
  EXPECT_EQ(menu->GetMouseCellIdx(), -1);
  // Closed, it takes the next menu.
  IPopupMenu next("", 0, false, {"N"});
  OpenMenu(next, IRECT(100, 100, 120, 120));
  EXPECT_EQ(menu->GetMenu(), &next);
}

TEST_F(DrawnMenu, OnlyEnabledPlainItemsAreChosen)
{
  enum { kTitleItem, kPlain, kSeparatorItem, kOff, kSubParent };
  struct Case { const char* name; int cell; bool hoverable; int chosen; };
  const Case cases[] = {
    {"title", kTitleItem, true, -1},
    {"plain", kPlain, true, kPlain},
    {"separator", kSeparatorItem, true, -1},
    {"disabled", kOff, false, -1},
    {"sub-menu parent", kSubParent, true, -1},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    int completions = 0;
    IPopupMenu m;
    m.SetFunction([&](IPopupMenu*) { ++completions; });
    m.AddItem("Title", IPopupMenu::kAppend, IPopupMenu::Item::kTitle);
    m.AddItem("Plain");
    m.AddSeparator();
    m.AddItem("Off", IPopupMenu::kAppend, IPopupMenu::Item::kDisabled);
    m.AddItem("Sub", new IPopupMenu("", 0, false, {"x"}));
    OpenIdle(m, IRECT(100, 100, 120, 120));
    const size_t before = asker->answers.size();
    g->OnMouseDown(MouseAction().Press(Cell(0, c.cell).MW(), Cell(0, c.cell).MH()));
    EXPECT_EQ(menu->GetMouseCellIdx() == c.cell, c.hoverable);
    g->OnMouseUp(MouseAction().Release(Cell(0, c.cell).MW(), Cell(0, c.cell).MH()));
    EXPECT_EQ(completions, 1);
    ASSERT_EQ(asker->answers.size(), before + 1);
    EXPECT_EQ(asker->answers.back(), c.chosen < 0 ? nullptr : &m);
    EXPECT_EQ(m.GetChosenItemIdx(), c.chosen);
    Collapse();
  }
  // A click outside every cell dismisses.
  IPopupMenu m("", 0, false, {"A"});
  OpenIdle(m, IRECT(100, 100, 120, 120));
  Click(700, 400);
  EXPECT_EQ(asker->answers.back(), nullptr);
  EXPECT_EQ(menu->GetState(), IPopupMenuControl::kFlickering);
}

TEST_F(DrawnMenu, ChoiceInASubMenuHandsBackTheSubMenu)
{
  IPopupMenu m("", 0, false, {"One"});
  int completions = 0;
  m.SetFunction([&](IPopupMenu* chosen) { completions += chosen->GetChosenItemIdx() == 1 ? 1 : 100; });
  auto* sub = new IPopupMenu("", 0, false, {"x", "y"});
  m.AddItem("Sub", sub);
  OpenIdle(m, IRECT(100, 100, 120, 120));
  HoverCell(0, 1);
  Advance(0);
  Advance(201);
  HoverCell(1, 1);
  EXPECT_EQ(menu->GetActivePanelIdx(), 1);
  ClickCell(1, 1);
  EXPECT_EQ(completions, 1);
  EXPECT_EQ(asker->answers, (std::vector<IPopupMenu*>{sub}));
  EXPECT_EQ(asker->chosen, (std::vector<int>{1}));
}

TEST_F(DrawnMenu, HighlightTextAndArrowSitWhereTheCellSays)
{
  IPopupMenu m("", 0, false, {"Plain"});
  m.AddItem("Off", IPopupMenu::kAppend, IPopupMenu::Item::kDisabled);
  m.AddItem("Sub", new IPopupMenu("", 0, false, {"x"}));
  OpenIdle(m, IRECT(100, 100, 120, 120));
  const IColor highlight(255, 0, 0, 255);

  HoverCell(0, 1);
  EXPECT_EQ(menu->GetMouseCellIdx(), -1);
  g->calls.clear();
  view->Tick();
  EXPECT_TRUE(FillsOf(*g, highlight).empty()) << "a disabled cell never highlights";

  HoverCell(0, 0);
  g->calls.clear();
  view->Tick();
  const auto fills = FillsOf(*g, highlight);
  ASSERT_EQ(fills.size(), 1u);
  const IRECT cell = Cell(0, 0);
  ExpectRect(fills[0].box, IRECT(cell.L - 5, cell.T, cell.R + 5, cell.B));
  bool textSeen = false;
  for (const GfxCall& call : g->CallsNamed("DoDrawText"))
    if (call.text == "Plain")
    {
      textSeen = true;
      EXPECT_FLOAT_EQ(call.args[0], cell.L + 15);
      EXPECT_EQ(call.pattern.GetStop(0).mColor, kColorWhite);
    }
  EXPECT_TRUE(textSeen);
  const IRECT subCell = Cell(0, 2);
  bool arrowSeen = false;
  for (const Fill& f : FillsOf(*g, kColorBlack))
    if (f.pts.size() == 6 && std::abs(f.box.MH() - subCell.MH()) < 1e-3f)
    {
      arrowSeen = true;
      EXPECT_FLOAT_EQ(f.box.R, subCell.R + 2.5f);
      EXPECT_FLOAT_EQ(f.box.W(), subCell.H() / 2.f);
    }
  EXPECT_TRUE(arrowSeen);
}

TEST_F(DrawnMenu, FocusLossClosesAnIdlingMenuAsDismissed)
{
  asker->SetParamIdx(FakeEditorDelegate::kGain);
  IPopupMenu m("", 0, false, {"A", "B"});
  ClickToOpen(m, IRECT(100, 100, 120, 120));
  Advance(0);
  Advance(101);
  HoverCell(0, 1);
  g->OnFocusLost();
  EXPECT_EQ(asker->answers, (std::vector<IPopupMenu*>{nullptr}));
  EXPECT_TRUE(dlg.GesturesBalanced());
  EXPECT_TRUE(menu->IsHidden());
  EXPECT_NE(menu->GetState(), IPopupMenuControl::kIdling);
  ClickCell(0, 1);
  EXPECT_EQ(asker->answers.size(), 1u) << "the next click chooses nothing unseen";
}

TEST_F(DrawnMenu, OpenMenuTakesEveryClickAndHoverButChoosesOnlyWhenIdle)
{
  // A linked control under the whole editor, as the product's background
  // knobs lie under a menu.
  ProbeControl* under = new ProbeControl(journal, "under", IRECT(0, 0, 1008, 584), FakeEditorDelegate::kGain);
  g->AttachControl(under);
  g->EnableMouseOver(true);
  struct Case { const char* name; std::function<void()> reach; IPopupMenuControl::EPopupState state; };
  const Case cases[] = {
    {"fading in", [this] { Advance(0); Advance(50); }, IPopupMenuControl::kExpanding},
    {"showing a sub-menu", [this] { Advance(0); Advance(101); HoverCell(0, 1); Advance(100); },
      IPopupMenuControl::kSubMenuAppearing},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    IPopupMenu m("", 0, false, {"A"});
    m.AddItem("Sub", new IPopupMenu("", 0, false, {"x"}));
    OpenMenu(m, IRECT(100, 100, 120, 120));
    c.reach();
    ASSERT_EQ(menu->GetState(), c.state);
    journal.clear();
    const IRECT cell = Cell(0, 0);
    Hover(cell.MW(), cell.MH());
    Click(cell.MW(), cell.MH());
    Click(1000, 580); // far from every panel
    EXPECT_TRUE(NamesWith(journal, "OnMouseDown").empty()) << "nothing under the menu is pressed";
    EXPECT_TRUE(NamesWith(journal, "OnMouseOver").empty()) << "nor hovered";
    EXPECT_TRUE(dlg.gesturesBegun.empty());
    EXPECT_TRUE(dlg.valuesFromUI.empty());
    EXPECT_TRUE(asker->answers.empty()) << "no choice before the menu idles";
    EXPECT_TRUE(menu->IsOpen());
    // Once idle, the same click chooses.
    Advance(201);
    ASSERT_EQ(menu->GetState(), IPopupMenuControl::kIdling);
    Click(cell.MW(), cell.MH());
    EXPECT_EQ(asker->chosen, (std::vector<int>{0}));
    asker->answers.clear();
    asker->chosen.clear();
    Collapse();
  }
}

TEST_F(DrawnMenu, RemovingAnOpenMenuAnswersItDismissedAndEndsItsGesture)
{
  asker->SetParamIdx(FakeEditorDelegate::kGain);
  for (double ms : {50.0, 101.0}) // fading in, then idling
  {
    SCOPED_TRACE(ms);
    if (!g->GetPopupMenuControl())
      g->AttachPopupMenuControl(kDefaultText, IRECT());
    menu = g->GetPopupMenuControl();
    IPopupMenu m("", 0, false, {"A", "B"});
    ClickToOpen(m, IRECT(100, 100, 120, 120));
    Advance(0);
    Advance(ms);
    ASSERT_TRUE(menu->IsOpen());
    ASSERT_FALSE(dlg.GesturesBalanced());
    g->RemovePopupMenuControl();
    EXPECT_EQ(asker->answers, (std::vector<IPopupMenu*>{nullptr}));
    EXPECT_TRUE(dlg.GesturesBalanced());
    EXPECT_EQ(g->GetPopupCaller(), nullptr);
    asker->answers.clear();
    Advance(400); // nothing of the menu is left to run
  }
}

TEST_F(DrawnMenu, BuildingFormMakesOneMenuInTheTextStyleAndBounds)
{
  g->RemovePopupMenuControl();
  const IText big(20.f);
  g->AttachPopupMenuControl(big, IRECT(200, 200, 300, 260));
  IPopupMenuControl* built = g->GetPopupMenuControl();
  ASSERT_NE(built, nullptr);
  EXPECT_TRUE(built->IsHidden());
  EXPECT_EQ(built->GetParamIdx(), -1);
  EXPECT_TRUE(built->GetRECT().Empty());
  g->AttachPopupMenuControl(kDefaultText, IRECT());
  EXPECT_EQ(g->GetPopupMenuControl(), built) << "a second one is not built";
  IPopupMenu m("", 0, false, {"A", "B"});
  OpenMenu(m, IRECT(10, 10, 20, 20));
  ASSERT_EQ(built->NPanels(), 1);
  const auto& panel = *built->GetPanel(0);
  // Cells as high as the text style; the panel takes the given bounds.
  EXPECT_FLOAT_EQ(panel.mCellBounds[0].H(), big.mSize);
  ExpectRect(panel.mTargetBounds, IRECT(195, 195, 305, 265));
}

TEST_F(DrawnMenu, EmptyMenuIsAnsweredAtOnceAsDismissed)
{
  IPopupMenu empty;
  OpenMenu(empty, IRECT(100, 100, 120, 120));
  EXPECT_EQ(asker->answers, (std::vector<IPopupMenu*>{nullptr}));
  EXPECT_EQ(menu->GetState(), IPopupMenuControl::kCollapsed);
  EXPECT_EQ(menu->NPanels(), 0);
  EXPECT_EQ(g->GetPopupCaller(), nullptr);
}

TEST_F(DrawnMenu, WheelIsSwallowedAndKeysPassOn)
{
  auto* below = new ProbeControl(journal, "below", IRECT(0, 0, 1008, 584));
  g->AttachControl(below);
  bool keyHandlerRan = false;
  g->SetKeyHandlerFunc([&](const IKeyPress&, bool) { return keyHandlerRan = true; });
  IPopupMenu m("", 0, false, {"A"});
  OpenIdle(m, IRECT(100, 100, 120, 120));
  g->OnMouseWheel(500, 300, IMouseMod(), 1.f);
  EXPECT_EQ(menu->GetState(), IPopupMenuControl::kIdling);
  EXPECT_TRUE(g->OnKeyDown(500, 300, IKeyPress("a", 'A')));
  EXPECT_TRUE(keyHandlerRan);
}

} // namespace
} // namespace gfxtest
