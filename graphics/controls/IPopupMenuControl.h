#pragma once

#include <memory>
#include <vector>

#include "graphics/IControl.h"
#include "graphics/IPopupMenu.h"

namespace plugkit::gfx {

// A pop-up menu drawn by the editor itself instead of the platform's: rounded,
// shadowed panels that fade in beside the anchor, one cell per item, sub-menus
// beside their parent cell, scroll arrows on a panel taller than the editor.
// While one is attached, the graphics context hands it every menu to show.
//
// Hidden and collapsed until a menu opens; while open, its rectangles cover
// the open panels and the context gives it every click. The answer leaves
// through the chosen menu's completion function and the context's
// SetControlValueAfterPopupMenu. The menu shown is not owned: the caller
// keeps it alive until it is answered.
//
// Panels and cells are referred to by index, never by pointers into their
// lists, so deleting the panels can leave no reference dangling. Main
// thread only.
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

  // Where the root panel sits relative to the anchor.
  enum ECalloutDirection : int32_t { kNorth = 0, kEast, kSouth, kWest };

  // One shown menu or sub-menu: its cells (top to bottom, column by column),
  // its drawn area and its fade.
  class MenuPanel
  {
  public:
    MenuPanel(IPopupMenuControl& control, IPopupMenu& menu, float x, float y, int parentIdx);

    // The cell holding the point that the pointer may reach, or -1: a cell
    // showing a scroll arrow by its position alone, any other only when its
    // item is enabled.
    int HitTestCells(float x, float y) const;
    int NCells() const { return static_cast<int>(mCellBounds.size()); }
    // The item shown in the cell.
    int ItemIdx(int cellIdx) const { return mScrollItemOffset + cellIdx; }
    // True when the cell shows a scroll arrow instead of its item.
    bool ShowsUpArrow(int cellIdx) const;
    bool ShowsDownArrow(int cellIdx) const;
    bool IsArrowCell(int cellIdx) const { return ShowsUpArrow(cellIdx) || ShowsDownArrow(cellIdx); }

    IPopupMenu& mMenu;
    std::vector<IRECT> mCellBounds;
    IRECT mBounds;       // cells, padding and room for the shadow
    IRECT mTargetBounds; // cells and padding: the panel's body
    int mMaxItemsToShow = 0;
    bool mShouldDraw = true;
    IBlend mBlend = IBlend(kBlendDefault, 0.f);
    IRECT mSingleCellBounds;
    int mHighlightedCell = -1; // the parent cell whose sub-menu is open
    int mClickedCell = -1;     // the cell chosen on close
    int mParentIdx;
    bool mScroller = false;
    int mScrollItemOffset = 0;
  };

  IPopupMenuControl(int paramIdx = -1, const IText& text = kDefaultText, const IRECT& collapsedBounds = IRECT(),
    const IRECT& expandedBounds = IRECT());

  // IControl
  void Draw(IGfx& g) override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  // The wheel is swallowed, so nothing under an open menu scrolls.
  void OnMouseWheel(float x, float y, const IMouseMod& mod, float d) override {}
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;
  void OnEndAnimation() override;

  // The drawing slots: a subclass restyles the menu through them.
  virtual void DrawCalloutArrow(IGfx& g, const IRECT& bounds, const IBlend* pBlend);
  virtual void DrawCentredArrow(IGfx& g, const IRECT& bounds, const IBlend* pBlend);
  virtual void DrawPanelBackground(IGfx& g, MenuPanel& panel);
  virtual void DrawPanelShadow(IGfx& g, MenuPanel& panel);
  virtual void DrawCellBackground(IGfx& g, const IRECT& bounds, const IPopupMenu::Item* pItem, bool sel,
    const IBlend* pBlend);
  virtual void DrawCellText(IGfx& g, const IRECT& bounds, const IPopupMenu::Item* pItem, bool sel,
    const IBlend* pBlend);
  virtual void DrawTick(IGfx& g, const IRECT& bounds, const IPopupMenu::Item* pItem, bool sel,
    const IBlend* pBlend);
  virtual void DrawSubMenuArrow(IGfx& g, const IRECT& bounds, const IPopupMenu::Item* pItem, bool sel,
    const IBlend* pBlend);
  virtual void DrawUpArrow(IGfx& g, const IRECT& bounds, bool sel, const IBlend* pBlend);
  virtual void DrawDownArrow(IGfx& g, const IRECT& bounds, bool sel, const IBlend* pBlend);
  virtual void DrawSeparator(IGfx& g, const IRECT& bounds, const IBlend* pBlend);
  // Answers the menu with the cell under the pointer (none: dismissed) and
  // starts the closing animation.
  virtual void CloseMenu();

  // Opens the menu over the anchor area. Only a closed control takes a menu,
  // and only one with items: a refused request changes nothing here, and the
  // answer says whether the menu was taken.
  virtual bool CreatePopupMenu(IPopupMenu& menu, const IRECT& anchorArea);
  // The opening road: places and builds the root panel and fades it in.
  void Expand(const IRECT& anchorArea);
  // The size of the panel the menu needs: the widest text plus the padding,
  // tick and arrow columns; every cell, gap and separator stacked.
  void GetPanelDimensions(IPopupMenu& menu, float& width, float& height) const;
  // Opens, shows or hides sub-menu panels for the cell under the pointer.
  void CalculateMenuPanels();

  EPopupState GetState() const { return mState; }
  // True from the opening until the menu has fully closed.
  bool GetExpanded() const { return mState != kCollapsed; }
  // True while a menu is shown and waits for its answer: from the opening,
  // through its fade-in and its sub-menus, until the choice. The graphics
  // context gives an open menu every click and hover, so nothing the menu
  // covers reacts; only an idling menu chooses.
  bool IsOpen() const { return mState == kExpanding || mState == kIdling || mState == kSubMenuAppearing; }
  // Answers an open menu as dismissed and closes it; nothing otherwise.
  void DismissMenu();
  IPopupMenu* GetMenu() const { return mMenu; }
  int NPanels() const { return static_cast<int>(mMenuPanels.size()); }
  // Null outside the list.
  const MenuPanel* GetPanel(int idx) const;
  int GetActivePanelIdx() const { return mActivePanelIdx; }
  int GetAppearingPanelIdx() const { return mAppearingPanelIdx; }
  // The cell under the pointer, in the active panel; -1 for none.
  int GetMouseCellIdx() const { return mMouseCellIdx; }
  ECalloutDirection GetCalloutDirection() const { return mCalloutArrowDir; }
  bool GetSubmenuOnRight() const { return mSubmenuOnRight; }

  // Style and layout choices; the defaults suit the editor.
  void SetMaxColumnItems(int items) { mMaxColumnItems = items; }
  void SetScrollIfTooBig(bool scroll) { mScrollIfTooBig = scroll; }
  void SetForceBelow(bool below) { mForceBelow = below; }
  void SetCallOut(bool callOut) { mCallOut = callOut; }

protected:
  friend class MenuPanel;

  // Runs every frame of an animation: fades the panels by state.
  void AnimateFrame();
  void DeletePanels();
  MenuPanel* PanelAt(int idx); // null outside the list
  // The callout room: the arrow's size when a callout is drawn.
  float CalloutSize() const { return mCallOut ? mCalloutArrowSize : 0.f; }
  float MaxCellTextHeight(IPopupMenu& menu) const;

  std::vector<std::unique_ptr<MenuPanel>> mMenuPanels;
  int mActivePanelIdx = -1;
  int mAppearingPanelIdx = -1;
  EPopupState mState = kCollapsed;
  int mMouseCellIdx = -1;
  IPopupMenu* mMenu = nullptr;
  int mMaxColumnItems = 0;
  bool mScrollIfTooBig = true;
  bool mCallOut = false;
  bool mMenuHasSubmenu = false;
  bool mForceBelow = true;
  bool mSubmenuOnRight = true;
  bool mSubMenuOpened = false;
  float mCellGap = 2.f;
  float mSeparatorSize = 2.f;
  float mRoundness = 5.f;
  float mDropShadowSize = 10.f;
  float mOpacity = 0.95f;
  float mHorizontalShift = 0.f;
  float mTextHPad = 5.f;
  float mTickSize = 10.f;
  float mArrowSize = 8.f;
  float mPadding = 5.f;
  float mCalloutArrowSize = 8.f;
  IRECT mAnchorArea;
  ECalloutDirection mCalloutArrowDir = kEast;
  IRECT mCalloutArrowBounds;
  IRECT mSubMenuCalloutArrowBounds;
  IRECT mMaxBounds;
  IColor mPanelBackgroundColor = kColorWhite;
  IColor mCellBackGroundColor = IColor(255, 0, 0, 255);
  IColor mItemMouseoverColor = kColorWhite;
  IColor mItemColor = kColorBlack;
  IColor mDisabledItemColor = IColor(255, 127, 127, 127);
  IColor mSeparatorColor = IColor(255, 200, 200, 200);
  IRECT mSpecifiedCollapsedBounds;
  IRECT mSpecifiedExpandedBounds;
};

} // namespace plugkit::gfx
