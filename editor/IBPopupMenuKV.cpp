#include "editor/IBPopupMenuKV.h"

#include <algorithm>

#include "framework/IParam.h"
#include "graphics/IGfx.h"

namespace tolvane3 {

IBPopupMenuKV::IBPopupMenuKV(float x, float y, int paramIdx, const IBitmap& bitmap, bool wheel,
  plugkit::gfx::IActionFunction action, bool suppressDrawing, bool centredHover)
  : IControl(FrameRect(x, y, bitmap), paramIdx, std::move(action)), IBitmapBase(bitmap), mWheel(wheel),
    mSuppressDrawing(suppressDrawing), mCentredHover(centredHover)
{
  AttachIControl(this);
  DisablePrompt(false);
  SetMouseDblAsSingleClick(true);
}

void IBPopupMenuKV::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  PromptUserInput(0);
}

void IBPopupMenuKV::OnMouseWheel(float x, float y, const IMouseMod& mod, float d)
{
  const plugkit::IParam* param = GetParam();
  if (!mWheel || !param || !(param->GetMax() > param->GetMin()))
    return;
  const double current = static_cast<int>(param->Value());
  const double value = (current - static_cast<int>(d)) / (param->GetMax() - param->GetMin());
  SetValue(std::clamp(value, 0.0, 1.0));
  SetDirty(true);
}

void IBPopupMenuKV::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  mHover = true;
  SetDirty(false);
}

void IBPopupMenuKV::OnMouseOut()
{
  mHover = false;
  SetDirty(false);
}

void IBPopupMenuKV::OnRescale()
{
  if (GetUI() && mBitmap.IsValid())
    mBitmap = GetUI()->GetScaledBitmap(mBitmap);
}

void IBPopupMenuKV::Draw(IGfx& g)
{
  if (mSuppressDrawing)
    return;
  if (mCentredHover)
    DrawCentredFrame(g, *this, mBitmap, mHover ? 2 : 1);
  else
    DrawBitmap(g);
}

} // namespace tolvane3
