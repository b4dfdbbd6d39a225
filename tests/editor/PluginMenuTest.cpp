// The plug-in menu of the real editor: its items, ticks and choices, opened
// and answered through the drawn menu as a user would.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editor/IBInfoMenuKV.h"
#include "graphics/controls/IPopupMenuControl.h"
#include "tests/editor/ProductEditorFixture.h"

namespace editortest {
namespace {

using namespace tolvane3;

constexpr float kMenuX = 50.f, kMenuY = 50.f; // the menu button's centre

class PluginMenu : public ProductEditorTest
{
protected:
  IBInfoMenuKV& Button() { return static_cast<IBInfoMenuKV&>(*G().GetControl(7)); }
  // The items of the menu as opened now: "-" for a separator, "[x] " before
  // a ticked item, "> " before a sub-menu with its entries in brackets.
  std::vector<std::string> Items()
  {
    Click(kMenuX, kMenuY);
    Settle();
    std::vector<std::string> out;
    const IPopupMenu& menu = Button().GetMenu();
    for (int i = 0; i < menu.NItems(); ++i)
    {
      const IPopupMenu::Item& item = *menu.GetItem(i);
      std::string s = item.GetIsSeparator() ? "-" : item.GetChecked() ? std::string("[x] ") + item.GetText() : item.GetText();
      if (const IPopupMenu* sub = item.GetSubmenu())
      {
        s = "> " + s + " (";
        for (int j = 0; j < sub->NItems(); ++j)
          s += std::string(sub->GetItem(j)->GetChecked() ? "*" : "") + sub->GetItem(j)->GetText() + " ";
        s += ")";
      }
      out.push_back(s);
    }
    Click(2, 580); // away: dismissed
    Settle();
    return out;
  }
};

TEST_F(PluginMenu, ListsItsItemsWithTheirTicksTheSameEveryTime)
{
  const std::vector<std::string> want = {">> Plugin menu <<", "-", "About ...", "-", "Open manual ...", "Changelog ...",
    "Check for update ...", "[x] Check for updates automatically", "-", "Open data folder ...", "-", "[x] Tooltips",
    "-", "Reset GUI scale", "Set min GUI scale", "-", "> V1 Classic Meter Mode (*Off On )",
    "> V1 Classic ITU PreFilter (*Off On )", "-",
    "> Fixed GUI Scale (50% 75% 100% 125% 150% 175% 200% 225% 250% 275% 300% )", "-", "Save to default"};
  EXPECT_EQ(Items(), want);
  EXPECT_EQ(Items(), want);
  EXPECT_EQ(Button().GetValue(), 0.0);
}

TEST_F(PluginMenu, ChoicesReachThePlugIn)
{
  struct Case
  {
    const char* item;
    const char* sub;
    std::function<bool(PluginMenu&)> happened;
  };
  const Case cases[] = {
    {"About ...", nullptr, [](PluginMenu& t) { return t.Plug().IsAboutPending(); }},
    {"Check for update ...", nullptr, [](PluginMenu& t) { return t.Plug().IsUpdateCheckPending(); }},
    {"Tooltips", nullptr, [](PluginMenu& t) { return t.Param(kToggleTooltips) == 0.0; }},
    {"Check for updates automatically", nullptr, [](PluginMenu& t) { return t.Param(kOnlineUpdateCheck) == 0.0; }},
    {"Set min GUI scale", nullptr, [](PluginMenu& t) { return t.Plug().GetGUIScale() == 0.5; }},
    {"Reset GUI scale", nullptr, [](PluginMenu& t) { return t.Plug().GetGUIScale() == 1.0; }},
    {"V1 Classic Meter Mode", "On", [](PluginMenu& t) { return t.Param(kV1ClassicMeterMode) == 1.0; }},
    {"V1 Classic ITU PreFilter", "On", [](PluginMenu& t) { return t.Param(kV1ClassicITUPreFilter) == 1.0; }},
    {"Fixed GUI Scale", "150%", [](PluginMenu& t) { return t.Plug().GetGUIScale() == 1.5; }},
    {"Save to default", nullptr, [](PluginMenu& t) {
       return std::filesystem::exists(std::string(t.Plug().Folders().presetFolder.Get()) + "/default.kps");
     }},
    {"Open manual ...", nullptr, [](PluginMenu& t) {
       return t.G().urlsOpened == std::vector<std::string>{"/Users/Shared/Documents/Tolvane3/Tolvane3 manual.pdf"};
     }},
    {"Changelog ...", nullptr, [](PluginMenu& t) {
       return t.G().urlsOpened.size() == 1 &&
              t.G().urlsOpened[0].find("/products/tolvane#Changelog") != std::string::npos;
     }},
    {"Open data folder ...", nullptr, [](PluginMenu& t) {
       return t.G().urlsOpened == std::vector<std::string>{t.Plug().Folders().dataFolder.Get()};
     }},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.item);
    G().urlsOpened.clear();
    EXPECT_FALSE(c.happened(*this));
    ASSERT_TRUE(PickFromMenu(kMenuX, kMenuY, c.item, c.sub));
    EXPECT_TRUE(c.happened(*this));
    EXPECT_FALSE(G().GetPopupMenuControl()->GetExpanded());
  }
}

TEST_F(PluginMenu, TheTitleAndTheCurrentEntryChangeNothing)
{
  const double before = Plug().GetParam(kV1ClassicMeterMode)->PreviousValue();
  Plug().GetParam(kV1ClassicMeterMode)->Set(0.0);
  const double previous = Plug().GetParam(kV1ClassicMeterMode)->PreviousValue();
  ASSERT_TRUE(PickFromMenu(kMenuX, kMenuY, "V1 Classic Meter Mode", "Off"));
  EXPECT_EQ(Param(kV1ClassicMeterMode), 0.0);
  EXPECT_EQ(Plug().GetParam(kV1ClassicMeterMode)->PreviousValue(), previous);
  (void)before;

  ASSERT_TRUE(PickFromMenu(kMenuX, kMenuY, ">> Plugin menu <<"));
  EXPECT_FALSE(Plug().IsAboutPending() || Plug().IsUpdateCheckPending());
  EXPECT_TRUE(G().urlsOpened.empty());
  EXPECT_EQ(Param(kToggleTooltips), 1.0);
  EXPECT_EQ(Button().GetValue(), 0.0);
}

TEST_F(PluginMenu, AFixedScaleIsChosenFromItsSubMenuAfterItAppears)
{
  mUnit->FromEditor(kGUIScale, 2.0);
  ASSERT_EQ(Plug().GetGUIScale(), 2.0);
  Click(kMenuX, kMenuY);
  Settle();
  const IPopupMenuControl* menu = G().GetPopupMenuControl();
  ASSERT_TRUE(menu->GetExpanded());
  EXPECT_EQ(menu->GetPanel(0)->mTargetBounds.L, 10.f);
  EXPECT_EQ(menu->GetPanel(0)->mTargetBounds.T, 70.f);
  float x = 0.f, y = 0.f;
  IRECT cell;
  ASSERT_TRUE(FindMenuCell("Fixed GUI Scale", x, y, &cell));
  EXPECT_EQ(cell.L, 15.f);
  EXPECT_EQ(cell.T, 295.f);
  EXPECT_EQ(cell.R, 260.f);
  EXPECT_EQ(cell.B, 309.f);
  Hover(x, y);
  ASSERT_EQ(menu->NPanels(), 2);
  EXPECT_EQ(menu->GetPanel(1)->mTargetBounds.L, 265.f);
  EXPECT_EQ(menu->GetPanel(1)->mTargetBounds.T, 290.f);
  Settle(220.0); // the sub-menu takes 200 ms to appear
  Hover(290, 334);
  Click(290, 334);
  Settle();
  EXPECT_EQ(Plug().GetExtraParam(kCmdFixedGUIScale)->Value(), 2.0);
  EXPECT_EQ(Plug().GetGUIScale(), 1.0); // "100%", through tag 49
}

} // namespace
} // namespace editortest
