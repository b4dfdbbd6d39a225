#include "editor/KVSwitchControls.h"

#include <cmath>

#include "framework/IParam.h"
#include "graphics/IGfx.h"

namespace tolvane3 {

IBSwitchControlKV::IBSwitchControlKV(float x, float y, const IBitmap& bitmap, int paramIdx)
  : IBSwitchControl(x, y, bitmap, paramIdx)
{
}

void IBSwitchControlKV::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  mMod = mod;
  IBSwitchControl::OnMouseDown(x, y, mod);
}

void IBSwitchControlKV::OnMouseUp(float x, float y, const IMouseMod& mod)
{
  mMod = IMouseMod();
  ISwitchControlBase::OnMouseUp(x, y, mod);
}

void IBSwitchControlKV::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  mHover = true;
  SetDirty(false);
}

void IBSwitchControlKV::OnMouseOut()
{
  mHover = false;
  SetDirty(false);
}

void IBSwitchControlKV::Draw(IGfx& g)
{
  if (!mVisible)
    return;
  if (mHoverHighlight && mHover)
    g.FillRoundRect(mHighlightColour, CentredFrame(*this, mBitmap), 2.f, &mBlend);
  DrawBitmap(g);
}

IBPushControlKV::IBPushControlKV(float x, float y, const IBitmap& bitmap, int paramIdx)
  : IBSwitchControl(x, y, bitmap, paramIdx)
{
}

void IBPushControlKV::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  mMod = mod;
  mPressed = true;
  SetValue(1.0);
  SetDirty(true);
}

void IBPushControlKV::OnMouseUp(float x, float y, const IMouseMod& mod)
{
  mMod = IMouseMod();
  mPressed = false;
  SetValue(0.0);
  SetDirty(true);
}

IRECT UnionOfFrames(const std::array<IRECT, 3>& frames)
{
  IRECT u = frames[0];
  for (const IRECT& f : frames)
    u = IRECT(u.L, u.T, std::max(u.R, f.R), std::max(u.B, f.B));
  return u;
}

IBRadioButtonsControl3::IBRadioButtonsControl3(const IRECT& bounds, int paramIdx,
  const std::array<IRECT, 3>& buttons, const std::array<IBitmap, 3>& bitmaps, bool toggle)
  : IControl(bounds, paramIdx), mButtons(buttons), mBitmaps(bitmaps), mToggle(toggle)
{
}

void IBRadioButtonsControl3::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  mMod = mod;
  const plugkit::IParam* param = GetParam();
  if (!param)
    return;
  for (int i = 0; i < mCount; ++i)
  {
    if (!mButtons[static_cast<size_t>(i)].Contains(x, y))
      continue;
    int value = i;
    if (mToggle)
      value = (i + 1 == static_cast<int>(param->Value())) ? 0 : i + 1;
    SetValue(NormalisedFromPlain(*param, value));
    SetDirty(true);
  }
}

void IBRadioButtonsControl3::OnMouseUp(float x, float y, const IMouseMod& mod)
{
  mMod = IMouseMod();
}

void IBRadioButtonsControl3::Draw(IGfx& g)
{
  const plugkit::IParam* param = GetParam();
  if (!param)
    return;
  int lit = static_cast<int>(param->Value());
  if (mToggle)
    lit -= 1; // 0 lights none
  if (lit < (mToggle ? -1 : 0) || lit > 2)
    return;
  for (int i = 0; i < mCount; ++i)
  {
    const IBitmap& b = mBitmaps[static_cast<size_t>(i)];
    if (b.IsValid())
      g.DrawBitmapFrame(b, mButtons[static_cast<size_t>(i)], i == lit ? 2 : 1, &mBlend);
  }
}

} // namespace tolvane3
