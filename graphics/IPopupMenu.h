#pragma once

#include <functional>
#include <initializer_list>
#include <memory>

#include "graphics/PK_PtrList.h"
#include "graphics/PK_String.h"

namespace plugkit::gfx {

// The platform-neutral description of a pop-up menu: a title, items (text,
// flags, tag, optional sub-menu), the index of the item chosen when it
// closed (-1: none) and a function called with the menu once it is answered.
// A drawn menu control or the platform shows it; whoever asked reads it
// back.
//
// Owns its items and, through them, the whole tree of sub-menus.
class IPopupMenu
{
public:
  using IPopupFunction = std::function<void(IPopupMenu* pMenu)>;

  class Item
  {
  public:
    enum Flags : int32_t { kNoFlags = 0, kDisabled = 1, kTitle = 2, kChecked = 4, kSeparator = 8 };

    // Owns the sub-menu.
    Item(const char* text, int flags = kNoFlags, int tag = -1, IPopupMenu* pSubMenu = nullptr)
      : mSubmenu(pSubMenu), mFlags(flags), mTag(tag)
    {
      mText.Set(text ? text : "");
    }

    const char* GetText() const { return mText.Get(); }
    void SetText(const char* text) { mText.Set(text ? text : ""); }
    int GetFlags() const { return mFlags; }
    void SetFlags(int flags) { mFlags = flags; }
    int GetTag() const { return mTag; }
    void SetTag(int tag) { mTag = tag; }
    IPopupMenu* GetSubmenu() const { return mSubmenu.get(); }
    bool GetEnabled() const { return !(mFlags & kDisabled); }
    bool GetChecked() const { return mFlags & kChecked; }
    bool GetIsTitle() const { return mFlags & kTitle; }
    bool GetIsSeparator() const { return mFlags & kSeparator; }
    void SetChecked(bool on) { mFlags = on ? (mFlags | kChecked) : (mFlags & ~kChecked); }
    void SetEnabled(bool on) { mFlags = on ? (mFlags & ~kDisabled) : (mFlags | kDisabled); }

  private:
    PK_String mText;
    std::unique_ptr<IPopupMenu> mSubmenu;
    int32_t mFlags;
    int32_t mTag;
  };

  // Where AddItem puts an item: at the end, or at its place in
  // case-insensitive order of the texts.
  static constexpr int kAppend = -1;
  static constexpr int kSorted = -2;

  explicit IPopupMenu(const char* rootTitle = "", int prefix = 0, bool multicheck = false,
    std::initializer_list<const char*> items = {});
  ~IPopupMenu();
  IPopupMenu(const IPopupMenu&) = delete;
  IPopupMenu& operator=(const IPopupMenu&) = delete;

  // Takes the item (also when the list cannot grow: then it is deleted).
  // index: kAppend, kSorted, or a position (negative counts as 0, at or past
  // the end appends). Returns the item, or null when it could not be added.
  Item* AddItem(Item* pItem, int index = kAppend);
  // A new item with flags 0 and tag -1; a sub-menu becomes the item's and
  // gets this menu's completion function.
  Item* AddItem(const char* text, int index = kAppend, int flags = Item::kNoFlags);
  Item* AddItem(const char* text, IPopupMenu* pSubMenu, int index = kAppend);
  Item* AddSeparator(int index = kAppend);

  int NItems() const { return mMenuItems.GetSize(); }
  Item* GetItem(int idx) const { return mMenuItems.Get(idx); }
  // Removes (and deletes) the item at idx; nothing outside the list.
  void RemoveItem(int idx) { mMenuItems.Delete(idx, true); }
  // Deletes every item, last first, with its sub-menus.
  void Clear() { mMenuItems.Empty(true); }

  int GetChosenItemIdx() const { return mChosenItemIdx; }
  void SetChosenItemIdx(int idx) { mChosenItemIdx = idx; }
  Item* GetChosenItem() const { return mMenuItems.Get(mChosenItemIdx); }
  int GetPrefix() const { return mPrefix; }
  void SetPrefix(int prefix) { mPrefix = prefix; }
  bool GetCanMultiCheck() const { return mCanMultiCheck; }
  void SetMultiCheck(bool on) { mCanMultiCheck = on; }
  const char* GetRootTitle() const { return mRootTitle.Get(); }
  void SetRootTitle(const char* title) { mRootTitle.Set(title ? title : ""); }
  void SetFunction(IPopupFunction func) { mPopupFunc = std::move(func); }
  const IPopupFunction& GetFunction() const { return mPopupFunc; }
  // Calls the completion function with this menu, when there is one.
  void ExecFunction()
  {
    if (mPopupFunc)
      mPopupFunc(this);
  }
  // A number the presenters keep with the menu; 0 from construction.
  int GetPresenterState() const { return mPresenterState; }
  void SetPresenterState(int state) { mPresenterState = state; }
  void CheckItem(int idx, bool on)
  {
    if (Item* item = GetItem(idx))
      item->SetChecked(on);
  }
  void CheckItemAlone(int idx)
  {
    for (int i = 0; i < NItems(); ++i)
      GetItem(i)->SetChecked(i == idx);
  }

private:
  int SortedPosition(const char* text) const;

  int32_t mPresenterState = 0; // for the presenters' own use
  int32_t mPrefix;
  int32_t mChosenItemIdx = -1;
  bool mCanMultiCheck;
  PK_PtrList<Item> mMenuItems;
  IPopupFunction mPopupFunc;
  PK_String mRootTitle;
};

} // namespace plugkit::gfx
