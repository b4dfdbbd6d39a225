#pragma once

// Menus and their items. A menu owns (retains) its items, an item its
// sub-menu. Popping a menu up is modal; without a user the choice is
// scripted as a path of item indices from the top level down (empty: the
// menu is dismissed), and the chosen leaf sends its action to its target.

#include <string>
#include <vector>

#include "AppKit/NSView.h"

class NSMenu;

enum : long
{
  NSControlStateValueOff = 0,
  NSControlStateValueOn = 1,
};

class NSMenuItem : public NSObject
{
public:
  // A separator item.
  static NSMenuItem* newSeparatorItem();
  NSMenuItem(std::string title, std::string action, std::string keyEquivalent);
  ~NSMenuItem() override;

  const std::string& title() const { return mTitle; }
  const std::string& action() const { return mAction; }
  const std::string& keyEquivalent() const { return mKey; }
  bool isSeparatorItem() const { return mSeparator; }
  NSObject* target() const { return mTarget; }
  void setTarget(NSObject* target) { mTarget = target; }
  NSMenu* submenu() const { return mSubmenu; }
  // Retained.
  void setSubmenu(NSMenu* menu);
  NSMenu* menu() const { return mMenu; }
  long indentationLevel = 0;
  bool enabled = true;
  long state = NSControlStateValueOff;

private:
  friend class NSMenu;
  std::string mTitle, mAction, mKey;
  bool mSeparator = false;
  NSObject* mTarget = nullptr;
  NSMenu* mSubmenu = nullptr;
  NSMenu* mMenu = nullptr;
};

class NSMenu : public NSObject
{
public:
  explicit NSMenu(std::string title = "") : mTitle(std::move(title)) {}
  ~NSMenu() override;

  void setTitle(const std::string& title) { mTitle = title; }
  const std::string& title() const { return mTitle; }
  void setAutoenablesItems(bool on) { mAutoenables = on; }
  bool autoenablesItems() const { return mAutoenables; }
  // Retained.
  void addItem(NSMenuItem* item);
  long numberOfItems() const { return static_cast<long>(mItems.size()); }
  NSMenuItem* itemAtIndex(long i) const;
  long indexOfItem(const NSMenuItem* item) const;

  // Modal: returns once the scripted choice was made (true) or the menu
  // dismissed (false). The location is recorded.
  bool popUpMenuPositioningItem(NSMenuItem* item, NSPoint location, NSView* view);

private:
  std::string mTitle;
  bool mAutoenables = true;
  std::vector<NSMenuItem*> mItems;
};

namespace standin {
// The indices of the next pop-up's choice, from the top level down.
void SetMenuChoice(std::vector<int> path);
// Where the last menu popped up, in its view, and how many did.
NSPoint LastMenuLocation();
int MenuPopupCount();
void ResetMenus();
} // namespace standin
