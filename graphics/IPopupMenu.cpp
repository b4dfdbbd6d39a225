#include "graphics/IPopupMenu.h"

#include <strings.h>

namespace plugkit::gfx {

IPopupMenu::IPopupMenu(const char* rootTitle, int prefix, bool multicheck, std::initializer_list<const char*> items)
  : mPrefix(prefix)
  , mCanMultiCheck(multicheck)
{
  if (rootTitle)
    mRootTitle.Set(rootTitle);
  for (const char* text : items)
    AddItem(text);
}

IPopupMenu::~IPopupMenu()
{
  Clear();
}

int IPopupMenu::SortedPosition(const char* text) const
{
  // Binary search; an equal text (ignoring case) goes before the item the
  // search meets.
  int lo = 0, hi = NItems();
  while (lo != hi)
  {
    const int mid = (lo + hi) / 2;
    const int c = strcasecmp(text ? text : "", GetItem(mid)->GetText());
    if (c > 0)
      lo = mid + 1;
    else if (c < 0)
      hi = mid;
    else
      return mid;
  }
  return lo;
}

IPopupMenu::Item* IPopupMenu::AddItem(Item* pItem, int index)
{
  if (!pItem)
    return nullptr;
  Item* added = nullptr;
  if (index == kAppend)
    added = mMenuItems.Add(pItem);
  else if (index == kSorted)
    added = mMenuItems.Insert(pItem, SortedPosition(pItem->GetText()));
  else
    added = mMenuItems.Insert(pItem, index);
  if (!added)
    delete pItem; // out of memory: the menu took it, so it must not leak
  return added;
}

IPopupMenu::Item* IPopupMenu::AddItem(const char* text, int index, int flags)
{
  return AddItem(new Item(text, flags), index);
}

IPopupMenu::Item* IPopupMenu::AddItem(const char* text, IPopupMenu* pSubMenu, int index)
{
  if (pSubMenu)
    pSubMenu->SetFunction(mPopupFunc);
  return AddItem(new Item(text, Item::kNoFlags, -1, pSubMenu), index);
}

IPopupMenu::Item* IPopupMenu::AddSeparator(int index)
{
  return AddItem(new Item("", Item::kSeparator), index);
}

} // namespace plugkit::gfx
