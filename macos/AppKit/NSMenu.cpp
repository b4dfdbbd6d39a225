#include "AppKit/NSMenu.h"

#include <algorithm>

namespace {
struct MenuScript
{
  std::vector<int> choice;
  NSPoint location;
  int popups = 0;
};
MenuScript& Script()
{
  static MenuScript script;
  return script;
}
} // namespace

NSMenuItem* NSMenuItem::newSeparatorItem()
{
  auto* item = new NSMenuItem("", "", "");
  item->mSeparator = true;
  return item;
}

NSMenuItem::NSMenuItem(std::string title, std::string action, std::string keyEquivalent)
  : mTitle(std::move(title)), mAction(std::move(action)), mKey(std::move(keyEquivalent))
{
}

NSMenuItem::~NSMenuItem()
{
  if (mSubmenu)
    mSubmenu->release();
}

void NSMenuItem::setSubmenu(NSMenu* menu)
{
  NSRetainInto(mSubmenu, menu);
}

NSMenu::~NSMenu()
{
  for (NSMenuItem* item : mItems)
  {
    item->mMenu = nullptr;
    item->release();
  }
}

void NSMenu::addItem(NSMenuItem* item)
{
  if (!item)
    return;
  item->retain();
  item->mMenu = this;
  mItems.push_back(item);
}

NSMenuItem* NSMenu::itemAtIndex(long i) const
{
  return i >= 0 && i < numberOfItems() ? mItems[static_cast<size_t>(i)] : nullptr;
}

long NSMenu::indexOfItem(const NSMenuItem* item) const
{
  auto it = std::find(mItems.begin(), mItems.end(), item);
  return it == mItems.end() ? -1 : static_cast<long>(it - mItems.begin());
}

bool NSMenu::popUpMenuPositioningItem(NSMenuItem*, NSPoint location, NSView*)
{
  MenuScript& script = Script();
  script.location = location;
  ++script.popups;
  const std::vector<int> path = std::exchange(script.choice, {});
  const NSMenu* level = this;
  NSMenuItem* item = nullptr;
  for (int index : path)
  {
    if (!level)
      return false;
    item = level->itemAtIndex(index);
    if (!item || item->isSeparatorItem() || !item->enabled)
      return false;
    level = item->submenu();
  }
  // Only a leaf with an action can be chosen.
  if (!item || item->submenu() || item->action().empty() || !item->target())
    return false;
  item->target()->performAction(item->action(), item);
  return true;
}

namespace standin {
void SetMenuChoice(std::vector<int> path)
{
  Script().choice = std::move(path);
}
NSPoint LastMenuLocation()
{
  return Script().location;
}
int MenuPopupCount()
{
  return Script().popups;
}
void ResetMenus()
{
  Script() = MenuScript();
}
} // namespace standin
