#include "editor/IBKnobMultiControlKV.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/IParam.h"
#include "graphics/IGfx.h"

namespace tolvane3 {

IBKnobMultiControlKV::IBKnobMultiControlKV(float x, float y, int paramIdx, const IBitmap& bitmap,
  const IText& valueText, const IColor& valueBackground, int digits, int direction, int disablePrompt,
  int showOnHover, int appendUnit, int placement, int alwaysShow, int fillBackground, int ignored, double gearing,
  float rightOffset)
  : IBKnobControl(FrameRect(x, y, bitmap), bitmap, paramIdx, direction == 1 ? plugkit::gfx::kHorizontal
                                                                            : plugkit::gfx::kVertical, gearing),
    mValueText(valueText), mValueBackground(valueBackground), mDigits(std::clamp(digits, 1, 15)),
    mKnobDirection(direction), mShowOnHover(showOnHover != 0), mAppendUnit(appendUnit != 0),
    mAlwaysShow(alwaysShow != 0), mFillBackground(fillBackground != 0), mPlacement(placement),
    mRightOffset(rightOffset)
{
  mText = valueText;
  SetTextEntryLength(digits);
  DisablePrompt(disablePrompt != 0);
  std::memset(mSample, '0', static_cast<size_t>(mDigits));
}

void IBKnobMultiControlKV::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  mMod = mod;
  mMouseDown = true;
  mMouseDragValue = GetValue();
  if (mHideCursorOnDrag && GetUI())
    GetUI()->HideMouseCursor(true, true);
  if (mod.C)
    SetValueToDefault(GetValIdxForPos(x, y));
}

void IBKnobMultiControlKV::OnMouseUp(float x, float y, const IMouseMod& mod)
{
  mMod = IMouseMod();
  mMouseDown = false;
  if (mHideCursorOnDrag && GetUI())
    GetUI()->HideMouseCursor(false);
}

void IBKnobMultiControlKV::OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod)
{
  mMod = mod;
  if (mod.C)
    return;
  const double gearing = mGearing * (mod.S ? 10.0 : 1.0);
  const IRECT drag = GetKnobDragBounds();
  if (mKnobDirection == 0 && drag.B != drag.T)
    mMouseDragValue += dY / (drag.T - drag.B) / gearing;
  else if (mKnobDirection == 2 && drag.B != drag.T)
    mMouseDragValue -= dY / (drag.T - drag.B) / gearing;
  else if (drag.R != drag.L)
    mMouseDragValue += dX / (drag.R - drag.L) / gearing;
  mMouseDragValue = std::clamp(mMouseDragValue, 0.0, 1.0);

  double value = mMouseDragValue;
  const plugkit::IParam* param = GetParam();
  if (param && param->GetStepped() && param->GetStep() > 0.0 && param->GetMax() > param->GetMin())
  {
    double plain = mMouseDragValue * (param->GetMax() - param->GetMin()) + param->GetMin();
    plain -= std::fmod(plain, param->GetStep());
    value = std::clamp(param->ToNormalized(plain), 0.0, 1.0);
  }
  SetValue(value);
  SetDirty(true);
}

void IBKnobMultiControlKV::OnMouseWheel(float x, float y, const IMouseMod& mod, float d)
{
  mMod = mod;
  const double step = mod.C ? 0.1 : mod.S ? 0.001 : 0.01;
  double value = GetValue() + d * step;
  const plugkit::IParam* param = GetParam();
  const double range = param ? param->GetMax() - param->GetMin() : 0.0;
  if (param && param->GetStepped() && param->GetStep() > 0.0 && d != 0.f && range > 0.0)
  {
    double plain = GetValue() * range + param->GetMin();
    plain += d > 0.f ? param->GetStep() : -param->GetStep();
    plain = std::clamp(plain, param->GetMin(), param->GetMax());
    const double grid = std::pow(10.0, std::log10(1.0 / param->GetStep()));
    plain = std::round(plain * grid) / grid;
    value = param->ToNormalized(plain);
  }
  SetValue(value);
  SetDirty(true);
  mMod = IMouseMod();
}

void IBKnobMultiControlKV::OnMouseDblClick(float x, float y, const IMouseMod& mod)
{
  mMod = mod;
  if (mPromptDisabled)
    return;
  IRECT box = ValueTextRect();
  if (mValueText.mAlign == plugkit::gfx::kFar)
    box.R += mRightOffset;
  PromptUserInput(box, GetValIdxForPos(x, y));
}

void IBKnobMultiControlKV::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  mHover = true;
  SetDirty(false);
}

void IBKnobMultiControlKV::OnMouseOut()
{
  mHover = false;
  SetDirty(false);
}

IRECT IBKnobMultiControlKV::ValueTextRect() const
{
  IRECT measured;
  if (GetUI())
    GetUI()->MeasureText(mValueText, mSample, measured);
  const float w = measured.W(), h = measured.H();
  const IRECT& r = GetRECT();
  const float l = (r.L + r.R - w) * 0.5f;
  switch (mPlacement)
  {
    case 0: return IRECT(l, r.T, l + w, r.T + h);
    case 1: return IRECT(l, (r.T + r.B - h) * 0.5f, l + w, (r.T + r.B + h) * 0.5f);
    case 2: return IRECT(l, r.B - h, l + w, r.B);
    default: return measured;
  }
}

void IBKnobMultiControlKV::Draw(IGfx& g)
{
  DrawBitmap(g);
  if (!((mHover && mShowOnHover) || mAlwaysShow))
    return;
  const plugkit::IParam* param = GetParam();
  if (!param)
    return;
  PK_String text;
  param->GetDisplay(param->Value(), false, text, true);
  if (mAppendUnit && param->GetLabel()[0] != '\0')
  {
    text.Append(" ");
    text.Append(param->GetLabel());
  }
  IText style = mValueText;
  if (IsDisabled())
    style.mFGColor.A /= 2;
  IRECT box = ValueTextRect();
  if (mFillBackground)
    g.FillRect(mValueBackground, box, &mBlend);
  if (style.mAlign == plugkit::gfx::kFar)
    box.R += mRightOffset;
  g.DrawText(style, text.Get(), box, &mBlend);
}

} // namespace tolvane3
