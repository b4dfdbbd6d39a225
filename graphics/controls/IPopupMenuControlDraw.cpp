// How the drawn menu paints its panels, cells and arrows; every call uses the
// panel's fade.
#include <algorithm>

#include "graphics/IGfx.h"
#include "graphics/controls/IPopupMenuControl.h"

namespace plugkit::gfx {

void IPopupMenuControl::Draw(IGfx& g)
{
  for (int i = 0; i < NPanels(); ++i)
  {
    MenuPanel& panel = *mMenuPanels[static_cast<size_t>(i)];
    if (!panel.mShouldDraw)
      continue;
    DrawPanelShadow(g, panel);
    DrawPanelBackground(g, panel);
    const IBlend* blend = &panel.mBlend;
    // While the chosen cell flickers, no cell shows a highlight.
    const bool flickering = panel.mClickedCell >= 0 && mState == kFlickering;
    for (int k = 0; k < panel.NCells(); ++k)
    {
      const IRECT& cell = panel.mCellBounds[static_cast<size_t>(k)];
      const bool underMouse = i == mActivePanelIdx && k == mMouseCellIdx;
      if (panel.ShowsUpArrow(k) || panel.ShowsDownArrow(k))
      {
        DrawCellBackground(g, cell, nullptr, underMouse, blend);
        if (panel.ShowsUpArrow(k))
          DrawUpArrow(g, cell, underMouse, blend);
        else
          DrawDownArrow(g, cell, underMouse, blend);
        continue;
      }
      const IPopupMenu::Item* item = panel.mMenu.GetItem(panel.ItemIdx(k));
      if (!item)
        continue;
      if (item->GetIsSeparator())
      {
        DrawSeparator(g, cell, blend);
        continue;
      }
      const bool highlighted = underMouse || k == panel.mHighlightedCell;
      if (!flickering)
        DrawCellBackground(g, cell, item, highlighted, blend);
      DrawCellText(g, cell, item, highlighted, blend);
      if (item->GetChecked())
        DrawTick(g, cell, item, highlighted, blend);
      if (item->GetSubmenu())
        DrawSubMenuArrow(g, cell, item, highlighted, blend);
    }
  }
  if (mCallOut && NPanels() > 0)
  {
    const IBlend* rootBlend = &mMenuPanels[0]->mBlend;
    DrawCalloutArrow(g, mCalloutArrowBounds, rootBlend);
    if (mMenuHasSubmenu && mSubMenuOpened)
      DrawCentredArrow(g, mSubMenuCalloutArrowBounds, rootBlend);
  }
}

void IPopupMenuControl::DrawCalloutArrow(IGfx& g, const IRECT& bounds, const IBlend* pBlend)
{
  const float k = bounds.H() / 2.f;
  const float cx = bounds.MW(), cy = bounds.MH();
  // The tip points back at the anchor.
  switch (mCalloutArrowDir)
  {
    case kNorth: g.FillTriangle(mPanelBackgroundColor, cx - k, cy - k, cx + k, cy - k, cx, cy + k, pBlend); break;
    case kEast: g.FillTriangle(mPanelBackgroundColor, cx + k, cy - k, cx + k, cy + k, cx - k, cy, pBlend); break;
    case kSouth: g.FillTriangle(mPanelBackgroundColor, cx - k, cy + k, cx + k, cy + k, cx, cy - k, pBlend); break;
    case kWest: g.FillTriangle(mPanelBackgroundColor, cx - k, cy - k, cx - k, cy + k, cx + k, cy, pBlend); break;
  }
}

void IPopupMenuControl::DrawCentredArrow(IGfx& g, const IRECT& bounds, const IBlend* pBlend)
{
  const float k = bounds.H() / 2.f;
  const float cx = bounds.MW(), cy = bounds.MH();
  if (mSubmenuOnRight)
    g.FillTriangle(mPanelBackgroundColor, cx + k, cy - k, cx + k, cy + k, cx - k, cy, pBlend);
  else
    g.FillTriangle(mPanelBackgroundColor, cx - k, cy - k, cx - k, cy + k, cx + k, cy, pBlend);
}

void IPopupMenuControl::DrawPanelBackground(IGfx& g, MenuPanel& panel)
{
  g.FillRoundRect(mPanelBackgroundColor, panel.mTargetBounds, mRoundness, &panel.mBlend);
}

void IPopupMenuControl::DrawPanelShadow(IGfx& g, MenuPanel& panel)
{
  const IRECT inner = panel.mBounds.GetPadded(-mDropShadowSize);
  g.DrawBoxShadow(inner, panel.mBounds, &panel.mBlend, 2.f, mRoundness, 10.f);
}

void IPopupMenuControl::DrawCellBackground(IGfx& g, const IRECT& bounds, const IPopupMenu::Item* pItem, bool sel,
  const IBlend* pBlend)
{
  if (sel)
    g.FillRect(mCellBackGroundColor, IRECT(bounds.L - mPadding, bounds.T, bounds.R + mPadding, bounds.B), pBlend);
}

void IPopupMenuControl::DrawCellText(IGfx& g, const IRECT& bounds, const IPopupMenu::Item* pItem, bool sel,
  const IBlend* pBlend)
{
  IText text = mText;
  text.mFGColor = sel ? mItemMouseoverColor : pItem && !pItem->GetEnabled() ? mDisabledItemColor : mItemColor;
  text.mAlign = kNear;
  const IRECT area(bounds.L + mTickSize / 2.f + std::max(1.f, mTickSize) / 2.f + mTextHPad, bounds.T,
    bounds.R - mTextHPad, bounds.B);
  if (pItem)
    g.DrawText(text, pItem->GetText(), area, pBlend);
}

void IPopupMenuControl::DrawTick(IGfx& g, const IRECT& bounds, const IPopupMenu::Item* pItem, bool sel,
  const IBlend* pBlend)
{
  const float side = std::max(1.f, mTickSize / 2.f);
  const float cx = bounds.L + mTickSize / 2.f, cy = bounds.MH();
  const IRECT tick(cx - side / 2.f, cy - side / 2.f, cx + side / 2.f, cy + side / 2.f);
  g.FillRoundRect(sel ? mItemMouseoverColor : mItemColor, tick, 2.f, pBlend);
}

void IPopupMenuControl::DrawSubMenuArrow(IGfx& g, const IRECT& bounds, const IPopupMenu::Item* pItem, bool sel,
  const IBlend* pBlend)
{
  const float k = bounds.H() / 2.f;
  const float cy = bounds.MH();
  const IColor& color = sel ? mItemMouseoverColor : mItemColor;
  if (mSubmenuOnRight)
  {
    const float tip = bounds.R + mPadding / 2.f;
    g.FillTriangle(color, tip - k, cy - k / 2.f, tip, cy, tip - k, cy + k / 2.f, pBlend);
  }
  else
  {
    const float tip = bounds.L - mPadding / 2.f;
    g.FillTriangle(color, tip + k, cy - k / 2.f, tip, cy, tip + k, cy + k / 2.f, pBlend);
  }
}

void IPopupMenuControl::DrawUpArrow(IGfx& g, const IRECT& bounds, bool sel, const IBlend* pBlend)
{
  const float half = 0.3f * bounds.H();
  const float cx = bounds.MW(), cy = bounds.MH();
  g.FillTriangle(sel ? mItemMouseoverColor : mItemColor, cx - half, cy + half, cx + half, cy + half, cx, cy - half,
    pBlend);
}

void IPopupMenuControl::DrawDownArrow(IGfx& g, const IRECT& bounds, bool sel, const IBlend* pBlend)
{
  const float half = 0.3f * bounds.H();
  const float cx = bounds.MW(), cy = bounds.MH();
  g.FillTriangle(sel ? mItemMouseoverColor : mItemColor, cx - half, cy - half, cx + half, cy - half, cx, cy + half,
    pBlend);
}

void IPopupMenuControl::DrawSeparator(IGfx& g, const IRECT& bounds, const IBlend* pBlend)
{
  // Separators come in only once the panel has faded in.
  if (BlendWeight(pBlend) > 0.9f)
  {
    const IBlend faint(pBlend->mMethod, 0.25f);
    g.FillRect(mSeparatorColor, bounds, &faint);
  }
}

} // namespace plugkit::gfx
