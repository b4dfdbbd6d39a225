// The drawn menu's panels, placement, pointer handling and state machine.
#include "graphics/controls/IPopupMenuControl.h"

#include <algorithm>

#include "graphics/IGfx.h"

namespace plugkit::gfx {

namespace {

// A panel larger than the editor gives limits that cross (the upper below
// the lower); the lower one wins, so such a panel starts at the editor's
// top-left margin.
float ClampLowWins(float v, float lo, float hi)
{
  return std::max(lo, std::min(v, hi));
}

constexpr int kAppearMs = 100;
constexpr int kSubMenuAppearMs = 200;

} // namespace

// Panels ---------------------------------------------------------------------

IPopupMenuControl::MenuPanel::MenuPanel(IPopupMenuControl& control, IPopupMenu& menu, float x, float y,
  int parentIdx)
  : mMenu(menu), mParentIdx(parentIdx)
{
  float width = 0.f, height = 0.f;
  control.GetPanelDimensions(menu, width, height);
  const float cellH = control.MaxCellTextHeight(menu);
  mSingleCellBounds = IRECT(x, y, x + width, y + cellH);

  const IRECT& maxB = control.mMaxBounds;
  const float pad = control.mPadding;
  const float gap = control.mCellGap;
  const int n = menu.NItems();
  auto heightOf = [&](int i) { return menu.GetItem(i)->GetIsSeparator() ? control.mSeparatorSize : cellH; };

  float left = x + pad;
  float top = y + pad;
  for (int i = 0; i < n; ++i)
  {
    const float h = heightOf(i);
    const bool newColumn = (i >= 2 && control.mMaxColumnItems > 0 && i % control.mMaxColumnItems == 0) ||
                           top + h > maxB.B - pad;
    if (newColumn && !control.mScrollIfTooBig)
    {
      left += gap + width;
      top = y + pad;
    }
    else if (newColumn)
    {
      // Too tall: the panel shows as many cells as fit the editor and scrolls.
      mCellBounds.clear();
      top = maxB.T + control.mDropShadowSize + pad;
      mMaxItemsToShow = static_cast<int>((maxB.B - pad - top) / (cellH + gap));
      if (mMaxItemsToShow <= n)
      {
        mScroller = true;
        for (int k = 0; k < mMaxItemsToShow; ++k)
        {
          const float hk = heightOf(k);
          mCellBounds.push_back(IRECT(left, top, left + width, top + hk));
          top += hk + gap;
        }
      }
      else
      {
        top = y + pad + cellH - static_cast<float>(n) * cellH;
        for (int k = 0; k < n; ++k)
        {
          const float hk = heightOf(k);
          mCellBounds.push_back(IRECT(left, top, left + width, top + hk));
          top += hk + gap;
        }
      }
      break;
    }
    mCellBounds.push_back(IRECT(left, top, left + width, top + h));
    top += h + gap;
  }

  IRECT cells;
  for (const IRECT& r : mCellBounds)
    cells = cells.Union(r);
  const IRECT& expanded = control.mSpecifiedExpandedBounds;
  const IRECT body = expanded.W() != 0.f ? expanded : cells;
  mTargetBounds = body.GetPadded(pad);
  mBounds = body.GetPadded(control.mDropShadowSize + pad);
}

bool IPopupMenuControl::MenuPanel::ShowsUpArrow(int cellIdx) const
{
  return mMenu.NItems() > NCells() && cellIdx == 0 && mScrollItemOffset >= 1;
}

bool IPopupMenuControl::MenuPanel::ShowsDownArrow(int cellIdx) const
{
  const int n = NCells();
  return mMenu.NItems() > n && cellIdx == n - 1 && mScrollItemOffset < mMenu.NItems() - n;
}

int IPopupMenuControl::MenuPanel::HitTestCells(float x, float y) const
{
  for (int k = 0; k < NCells(); ++k)
  {
    if (!mCellBounds[static_cast<size_t>(k)].Contains(x, y))
      continue;
    // An arrow hides the item beneath it: the arrow is what the user points
    // at, whatever that item is.
    if (IsArrowCell(k))
      return k;
    const IPopupMenu::Item* item = mMenu.GetItem(ItemIdx(k));
    if (item && item->GetEnabled())
      return k;
  }
  return -1;
}

// Construction and measuring -------------------------------------------------

IPopupMenuControl::IPopupMenuControl(int paramIdx, const IText& text, const IRECT& collapsedBounds,
  const IRECT& expandedBounds)
  : IControl(collapsedBounds, paramIdx), mSpecifiedCollapsedBounds(collapsedBounds),
    mSpecifiedExpandedBounds(expandedBounds)
{
  mText = text;
  mHidden = true;
  SetActionFunction([](IControl* pCaller) {
    auto* self = static_cast<IPopupMenuControl*>(pCaller);
    self->SetAnimation([](IControl* c) { static_cast<IPopupMenuControl*>(c)->AnimateFrame(); },
      self->mState == kSubMenuAppearing ? kSubMenuAppearMs : kAppearMs);
  });
}

const IPopupMenuControl::MenuPanel* IPopupMenuControl::GetPanel(int idx) const
{
  return idx >= 0 && idx < NPanels() ? mMenuPanels[static_cast<size_t>(idx)].get() : nullptr;
}

IPopupMenuControl::MenuPanel* IPopupMenuControl::PanelAt(int idx)
{
  return idx >= 0 && idx < NPanels() ? mMenuPanels[static_cast<size_t>(idx)].get() : nullptr;
}

namespace {

// The union of every item's measured text box.
IRECT LargestTextBox(const IGfx* g, const IText& text, IPopupMenu& menu)
{
  IRECT largest;
  if (!g)
    return largest;
  for (int i = 0; i < menu.NItems(); ++i)
  {
    IRECT box;
    g->MeasureText(text, menu.GetItem(i)->GetText(), box);
    largest = largest.Union(box);
  }
  return largest;
}

} // namespace

float IPopupMenuControl::MaxCellTextHeight(IPopupMenu& menu) const
{
  return LargestTextBox(GetUI(), mText, menu).H();
}

void IPopupMenuControl::GetPanelDimensions(IPopupMenu& menu, float& width, float& height) const
{
  const IRECT largest = LargestTextBox(GetUI(), mText, menu);
  const int n = menu.NItems();
  int separators = 0;
  for (int i = 0; i < n; ++i)
    separators += menu.GetItem(i)->GetIsSeparator() ? 1 : 0;
  width = largest.W() + 2.f * mTextHPad + mTickSize + mArrowSize;
  height = static_cast<float>(std::max(n - 1, 0)) * mCellGap + static_cast<float>(separators) * mSeparatorSize +
           static_cast<float>(n - separators) * largest.H();
}

void IPopupMenuControl::DeletePanels()
{
  mMenuPanels.clear();
  mActivePanelIdx = -1;
  mAppearingPanelIdx = -1;
  mMouseCellIdx = -1;
}

// Opening ----------------------------------------------------------------------

bool IPopupMenuControl::CreatePopupMenu(IPopupMenu& menu, const IRECT& anchorArea)
{
  // An open or closing menu keeps its own menu and bounds; an empty menu
  // would open as a bare panel with nothing to choose.
  if (mState != kCollapsed || menu.NItems() == 0 || !GetUI())
    return false;
  mMenu = &menu;
  mMenuHasSubmenu = false;
  for (int i = 0; i < menu.NItems() && !mMenuHasSubmenu; ++i)
    mMenuHasSubmenu = menu.GetItem(i)->GetSubmenu() != nullptr;
  mMaxBounds = IRECT(0.f, 0.f, static_cast<float>(GetUI()->Width()), static_cast<float>(GetUI()->Height()));
  Expand(anchorArea);
  return true;
}

void IPopupMenuControl::Expand(const IRECT& anchorArea)
{
  Hide(false);
  mState = kExpanding;
  if (GetUI())
    GetUI()->UpdateTooltips();
  DeletePanels();
  mAnchorArea = anchorArea;

  const IRECT& A = anchorArea;
  const IRECT& M = mMaxBounds;
  float w = 0.f, h = 0.f;
  GetPanelDimensions(*mMenu, w, h);
  const float s = mDropShadowSize;
  const float c = CalloutSize();
  const float minX = M.L + s, maxX = M.R - w - 2.f * s;
  const float minY = M.T + s, maxY = M.B - h - 2.f * s;
  const float cxA = A.MW(), cyA = A.MH(), cxM = M.MW(), cyM = M.MH();

  const IRECT squareBelow(cxA - c / 2.f, A.B, cxA + c / 2.f, A.B + c);
  const IRECT squareAbove(cxA - c / 2.f, A.T - c, cxA + c / 2.f, A.T);

  // Beside the anchor, on the side with more room, level with it.
  float y = cyA <= cyM ? cyA - (mText.mSize + c) : cyA - h + mText.mSize + c;
  float x;
  ECalloutDirection sideDir;
  IRECT sideSquare;
  if (cxA <= cxM)
  {
    x = A.R + c;
    sideDir = kEast;
    sideSquare = IRECT(A.R, cyA - c / 2.f, A.R + c, cyA + c / 2.f);
  }
  else
  {
    x = A.L - c - w - s;
    sideDir = kWest;
    sideSquare = IRECT(A.L - c, cyA - c / 2.f, A.L, cyA + c / 2.f);
  }
  mCalloutArrowDir = sideDir;
  mCalloutArrowBounds = sideSquare;

  if (x > maxX || y <= minY || y > maxY || x <= minX)
  {
    if ((x > maxX || y <= minY || x <= minX) && cyA <= cyM)
    {
      mCalloutArrowDir = kSouth;
      mCalloutArrowBounds = squareBelow;
      y = A.B + c;
      if (y <= maxY)
        x = cxA - w / 2.f;
      else
      {
        mCalloutArrowDir = sideDir;
        mCalloutArrowBounds = sideSquare;
        y = maxY;
      }
    }
    if ((x > maxX || y > maxY || x <= minX) && cyA > cyM)
    {
      mCalloutArrowDir = kNorth;
      mCalloutArrowBounds = squareAbove;
      y = A.T - c - h - s;
      if (y > minY)
        x = cxA - w / 2.f;
      else
      {
        mCalloutArrowDir = sideDir;
        mCalloutArrowBounds = sideSquare;
        y = minY;
      }
    }
    x = ClampLowWins(x, minX, maxX);
    y = std::max(ClampLowWins(y, minY, maxY), 0.f);
  }

  if (mForceBelow && A.B + c <= maxY)
  {
    mCalloutArrowDir = kSouth;
    mCalloutArrowBounds = squareBelow;
    y = A.B + c;
    x = ClampLowWins(cxA - w / 2.f, minX, maxX);
  }

  // A root with sub-menus opens above or below, leaving the sides to them.
  if (mMenuHasSubmenu)
  {
    mSubmenuOnRight = cxA <= cxM;
    x = ClampLowWins(cxA - w / 2.f + (cxA > cxM ? mHorizontalShift : -mHorizontalShift), minX, maxX);
    if (M.B - A.B >= A.T - M.T)
    {
      mCalloutArrowDir = kSouth;
      y = ClampLowWins(A.B + c, minY, maxY);
      mCalloutArrowBounds = squareBelow;
    }
    else
    {
      mCalloutArrowDir = kNorth;
      y = ClampLowWins(A.T - c - h - s, minY, maxY);
      mCalloutArrowBounds = squareAbove;
    }
  }

  mMenuPanels.push_back(std::make_unique<MenuPanel>(*this, *mMenu, x, y, -1));
  mActivePanelIdx = mAppearingPanelIdx = 0;
  SetTargetRECT(mMenuPanels[0]->mTargetBounds);
  SetRECT(mMenuPanels[0]->mBounds);
  SetDirty(true);
}

// Pointer ----------------------------------------------------------------------

void IPopupMenuControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  if (mActivePanelIdx < 0)
    return;
  mMouseCellIdx = mMenuPanels[static_cast<size_t>(mActivePanelIdx)]->HitTestCells(x, y);
  if (mMouseCellIdx < 0)
  {
    for (int i = NPanels() - 1; i >= 0; --i)
    {
      const MenuPanel& panel = *mMenuPanels[static_cast<size_t>(i)];
      if (panel.mShouldDraw && panel.mBounds.Contains(x, y))
      {
        mActivePanelIdx = i;
        mMouseCellIdx = panel.HitTestCells(x, y);
        break;
      }
    }
  }
  CalculateMenuPanels();

  MenuPanel& active = *mMenuPanels[static_cast<size_t>(mActivePanelIdx)];
  if (active.mScroller && mMouseCellIdx >= 0)
  {
    if (mMouseCellIdx == 0)
      active.mScrollItemOffset = std::max(active.mScrollItemOffset - 1, 0);
    else if (mMouseCellIdx == active.NCells() - 1)
      active.mScrollItemOffset = std::min(active.mScrollItemOffset + 1, active.mMenu.NItems() - active.NCells());
  }
  SetDirty(false);
}

void IPopupMenuControl::OnMouseOut()
{
  mMouseCellIdx = -1;
}

void IPopupMenuControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  if (mState != kIdling)
  {
    IControl::OnMouseDown(x, y, mod);
    return;
  }
  mMouseCellIdx = mActivePanelIdx >= 0 ? mMenuPanels[static_cast<size_t>(mActivePanelIdx)]->HitTestCells(x, y) : -1;
  // A scroll arrow is for scrolling: clicking it keeps the menu open.
  if (mMouseCellIdx >= 0 && mMenuPanels[static_cast<size_t>(mActivePanelIdx)]->IsArrowCell(mMouseCellIdx))
    return;
  CloseMenu();
}

void IPopupMenuControl::OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod)
{
  if (mActivePanelIdx < 0)
    return;
  mMouseCellIdx = mMenuPanels[static_cast<size_t>(mActivePanelIdx)]->HitTestCells(x, y);
  SetDirty(false);
}

// Sub-menus ----------------------------------------------------------------------

void IPopupMenuControl::CalculateMenuPanels()
{
  if (mActivePanelIdx < 0 || mMouseCellIdx < 0)
  {
    SetDirty(false);
    return;
  }
  const int activeIdx = mActivePanelIdx;
  MenuPanel& active = *mMenuPanels[static_cast<size_t>(activeIdx)];
  const IRECT cell = active.mCellBounds[static_cast<size_t>(mMouseCellIdx)];
  const IPopupMenu::Item* item =
    active.IsArrowCell(mMouseCellIdx) ? nullptr : active.mMenu.GetItem(active.ItemIdx(mMouseCellIdx));
  IPopupMenu* sub = item ? item->GetSubmenu() : nullptr;

  if (!sub)
  {
    for (auto& panel : mMenuPanels)
      if (panel->mParentIdx == activeIdx)
        panel->mShouldDraw = false;
    active.mHighlightedCell = -1;
    mSubMenuOpened = false;
    SetDirty(false);
    return;
  }

  int subIdx = -1;
  for (int i = 0; i < NPanels(); ++i)
  {
    MenuPanel& panel = *mMenuPanels[static_cast<size_t>(i)];
    panel.mShouldDraw = &panel.mMenu == sub;
    if (panel.mShouldDraw && subIdx < 0)
      subIdx = i;
  }
  active.mHighlightedCell = item->GetEnabled() ? mMouseCellIdx : -1;

  const float s = mDropShadowSize;
  const float c = CalloutSize();
  const IRECT& M = mMaxBounds;
  if (subIdx < 0)
  {
    float w = 0.f, h = 0.f;
    GetPanelDimensions(*sub, w, h);
    float x = mSubmenuOnRight ? cell.R + mPadding + c : cell.L - mPadding - c - w - s;
    x = ClampLowWins(x, M.L + s, M.R - w - 2.f * s);
    float y = mCalloutArrowDir == kNorth ? cell.T - mPadding / 2.f - h + 2.f * mCellGap + s : cell.T - mPadding;
    // The limits are the sub-menu's own: its height, not the root's.
    y = ClampLowWins(y, M.T + s, M.B - h - 2.f * s);
    mMenuPanels.push_back(std::make_unique<MenuPanel>(*this, *sub, x, y, activeIdx));
    subIdx = NPanels() - 1;
  }

  IRECT target = GetTargetRECT();
  IRECT drawn = GetRECT();
  for (int i = subIdx; i >= 0;)
  {
    MenuPanel& panel = *mMenuPanels[static_cast<size_t>(i)];
    panel.mShouldDraw = true;
    target = target.Union(panel.mTargetBounds);
    drawn = drawn.Union(panel.mBounds);
    i = panel.mParentIdx;
  }
  mSubMenuOpened = true;
  const float cyCell = cell.MH();
  mSubMenuCalloutArrowBounds = mSubmenuOnRight
                                 ? IRECT(cell.R + mPadding, cyCell - c / 2.f, cell.R + mPadding + c, cyCell + c / 2.f)
                                 : IRECT(cell.L - mPadding - c, cyCell - c / 2.f, cell.L - mPadding, cyCell + c / 2.f);
  SetTargetRECT(target);
  SetRECT(drawn);

  if (mAppearingPanelIdx != subIdx)
  {
    // The sub-menu's fade takes over the animation: a panel still fading in
    // would keep its partial weight until the sub-menu is shown.
    for (int i = 0; i < NPanels(); ++i)
      if (i != subIdx)
        mMenuPanels[static_cast<size_t>(i)]->mBlend.mWeight = mOpacity;
    mAppearingPanelIdx = subIdx;
    mState = kSubMenuAppearing;
    SetDirty(true);
  }
  SetDirty(false);
}

// Closing ------------------------------------------------------------------------

void IPopupMenuControl::CloseMenu()
{
  MenuPanel* panel = PanelAt(mActivePanelIdx) ? PanelAt(mActivePanelIdx) : PanelAt(0);
  IPopupMenu* menu = panel ? &panel->mMenu : mMenu;
  if (menu)
  {
    menu->SetChosenItemIdx(-1);
    if (panel && mMouseCellIdx >= 0 && mMouseCellIdx < panel->NCells() && !panel->IsArrowCell(mMouseCellIdx))
    {
      const int itemIdx = panel->ItemIdx(mMouseCellIdx);
      const IPopupMenu::Item* item = menu->GetItem(itemIdx);
      if (item && !item->GetIsTitle() && !item->GetIsSeparator() && item->GetEnabled() && !item->GetSubmenu())
      {
        menu->SetChosenItemIdx(itemIdx);
        panel->mClickedCell = mMouseCellIdx;
      }
    }
    menu->ExecFunction();
    if (GetUI())
      GetUI()->SetControlValueAfterPopupMenu(menu);
  }
  mSubMenuOpened = false;
  mActivePanelIdx = -1;
  mState = kFlickering;
  Hide(true);
  SetDirty(true);
}

void IPopupMenuControl::DismissMenu()
{
  if (!IsOpen())
    return;
  mMouseCellIdx = -1; // no cell: the answer is "dismissed"
  CloseMenu();
}

// Animation ----------------------------------------------------------------------

void IPopupMenuControl::AnimateFrame()
{
  const double p = GetAnimationProgress();
  if (p > 1.0)
  {
    OnEndAnimation();
    return;
  }
  const float weight = static_cast<float>(p) * mOpacity;
  switch (mState)
  {
    case kExpanding:
      if (MenuPanel* appearing = PanelAt(mAppearingPanelIdx))
        appearing->mBlend.mWeight = weight;
      break;
    case kSubMenuAppearing:
      if (MenuPanel* appearing = PanelAt(mAppearingPanelIdx))
        appearing->mBlend.mWeight = p > 0.9 ? mOpacity : 0.f;
      break;
    case kCollapsing:
      for (auto& panel : mMenuPanels)
        panel->mBlend.mWeight = static_cast<float>(1.0 - p) * mOpacity;
      break;
    case kCleaningUp:
      for (auto& panel : mMenuPanels)
        panel->mBlend.mWeight = 0.f;
      break;
    default:
      break;
  }
}

void IPopupMenuControl::OnEndAnimation()
{
  switch (mState)
  {
    case kExpanding:
    case kSubMenuAppearing:
      for (auto& panel : mMenuPanels)
        panel->mBlend.mWeight = mOpacity;
      mState = kIdling;
      IControl::OnEndAnimation();
      break;
    case kFlickering:
      IControl::OnEndAnimation();
      mState = kCollapsing;
      SetDirty(true);
      break;
    case kCollapsing:
      IControl::OnEndAnimation();
      SetTargetRECT(mSpecifiedCollapsedBounds);
      for (auto& panel : mMenuPanels)
        panel->mBlend.mWeight = 0.f;
      mState = kCleaningUp;
      mMouseCellIdx = -1;
      mAnchorArea = IRECT();
      SetDirty(true);
      break;
    case kCleaningUp:
      IControl::OnEndAnimation();
      if (GetUI())
        GetUI()->UpdateTooltips();
      DeletePanels();
      SetRECT(mSpecifiedCollapsedBounds);
      mState = kCollapsed;
      break;
    default:
      IControl::OnEndAnimation();
      break;
  }
}

} // namespace plugkit::gfx
