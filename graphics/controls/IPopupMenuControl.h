#pragma once

#include "graphics/IControl.h"
#include "graphics/IPopupMenu.h"

namespace plugkit::gfx {

// A pop-up menu drawn by the editor itself instead of the platform's. While
// one is attached, the graphics context hands it every menu to show. Hidden
// and collapsed until a menu opens.
class IPopupMenuControl : public IControl
{
public:
  enum EPopupState : int32_t
  {
    kCollapsed = 0,
    kExpanding,
    kIdling,
    kCollapsing,
    kFlickering,
    kSubMenuAppearing,
    kCleaningUp
  };

  IPopupMenuControl(int paramIdx = -1, const IText& text = kDefaultText, const IRECT& collapsedBounds = IRECT(),
    const IRECT& expandedBounds = IRECT())
    : IControl(collapsedBounds, paramIdx), mSpecifiedCollapsedBounds(collapsedBounds),
      mSpecifiedExpandedBounds(expandedBounds)
  {
    mText = text;
    mHidden = true;
  }

  void Draw(IGfx& g) override {}

  // Opens the menu over the anchor area. A menu can open only while none is
  // shown: the answer says whether this one was taken.
  virtual bool CreatePopupMenu(IPopupMenu& menu, const IRECT& anchorArea)
  {
    if (mState != kCollapsed)
      return false;
    mMenu = &menu;
    mAnchorArea = anchorArea;
    mState = kExpanding;
    return true;
  }

  EPopupState GetState() const { return mState; }
  // True from the opening until the menu has fully closed.
  bool GetExpanded() const { return mState != kCollapsed; }
  IPopupMenu* GetMenu() const { return mMenu; }

protected:
  EPopupState mState = kCollapsed;
  IPopupMenu* mMenu = nullptr;
  IRECT mAnchorArea;
  IRECT mSpecifiedCollapsedBounds;
  IRECT mSpecifiedExpandedBounds;
};

} // namespace plugkit::gfx
