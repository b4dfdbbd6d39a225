#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/IPopupMenu.h"

namespace {

using plugkit::gfx::IPopupMenu;

std::vector<std::string> Texts(const IPopupMenu& menu)
{
  std::vector<std::string> out;
  for (int i = 0; i < menu.NItems(); ++i)
    out.push_back(menu.GetItem(i)->GetText());
  return out;
}

TEST(PopupMenu, ItemsGoWhereTheIndexSays)
{
  struct Case { const char* name; std::vector<std::pair<const char*, int>> adds; std::vector<std::string> want; };
  const Case cases[] = {
    {"sorted ignores case, equal goes first", {{"b", -2}, {"A", -2}, {"a", -2}}, {"a", "A", "b"}},
    {"sorted among many", {{"d", -2}, {"b", -2}, {"c", -2}, {"a", -2}, {"e", -2}}, {"a", "b", "c", "d", "e"}},
    {"append", {{"z", -1}, {"a", -1}}, {"z", "a"}},
    {"negative index is 0", {{"x", -1}, {"y", -7}}, {"y", "x"}},
    {"past the end appends", {{"x", -1}, {"y", 9}}, {"x", "y"}},
    {"middle", {{"x", -1}, {"z", -1}, {"y", 1}}, {"x", "y", "z"}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    IPopupMenu menu;
    for (const auto& [text, idx] : c.adds)
      menu.AddItem(text, idx);
    EXPECT_EQ(Texts(menu), c.want);
  }
}

TEST(PopupMenu, ANewMenuHoldsItsTextsAndNoChoice)
{
  IPopupMenu empty;
  EXPECT_EQ(empty.NItems(), 0);
  EXPECT_EQ(empty.GetChosenItemIdx(), -1);
  IPopupMenu menu("Title", 0, false, {"Cut", "Copy"});
  EXPECT_EQ(Texts(menu), (std::vector<std::string>{"Cut", "Copy"}));
  EXPECT_EQ(menu.GetItem(0)->GetTag(), -1);
  EXPECT_EQ(menu.GetItem(0)->GetFlags(), 0);
  EXPECT_STREQ(menu.GetRootTitle(), "Title");
}

TEST(PopupMenu, SubMenusShareTheCompletionAndDieWithTheTree)
{
  int calls = 0;
  auto* root = new IPopupMenu;
  root->SetFunction([&](IPopupMenu*) { ++calls; });
  auto* sub = new IPopupMenu;
  root->AddItem("Sub", sub);
  sub->AddItem("Leaf", new IPopupMenu); // a grandchild: ASan sees each freed once
  sub->ExecFunction();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(root->GetItem(0)->GetSubmenu(), sub);
  delete root;
}

} // namespace
