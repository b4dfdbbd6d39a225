#include "graphics/controls/IVSwitchControl.h"

#include "framework/IParam.h"
#include "graphics/IGfx.h"

namespace plugkit::gfx {

namespace {

// A value drawn in the widget sits in its middle.
void CentreValueVertically(IVStyle& style, IText& controlText)
{
  style.valueText.mVAlign = kMiddle;
  controlText.mVAlign = kMiddle;
}

} // namespace

IVSwitchControl::IVSwitchControl(const IRECT& bounds, int paramIdx, const char* label, const IVStyle& style,
  bool valueInButton)
  : ISwitchControlBase(bounds, paramIdx, SplashClickActionFunc, 2), IVectorBase(style, false, valueInButton)
{
  AttachIControl(this, label);
  if (valueInButton)
    CentreValueVertically(mStyle, mText);
}

IVSwitchControl::IVSwitchControl(const IRECT& bounds, IActionFunction action, const char* label,
  const IVStyle& style, int numStates, bool valueInButton)
  : ISwitchControlBase(bounds, -1, std::move(action), numStates), IVectorBase(style, false, valueInButton)
{
  AttachIControl(this, label);
  if (valueInButton)
    CentreValueVertically(mStyle, mText);
}

void IVSwitchControl::Draw(IGfx& g)
{
  DrawBackground(g, mBounds);
  DrawLabel(g);
  DrawWidget(g);
  DrawValue(g, false);
}

void IVSwitchControl::DrawWidget(IGfx& g)
{
  DrawPressableShape(g, mShape, mWidgetBounds, mMouseDown, mMouseIsOver, mDisabled);
}

void IVSwitchControl::OnResize()
{
  LayOutControl(true);
  // Only a redraw: the value text keeps the unit it got on attach.
  IControl::SetDirty(false);
}

void IVSwitchControl::UpdateValueStr()
{
  if (const IParam* p = GetParam())
    p->GetDisplay(mValueStr);
}

void IVSwitchControl::SetDirty(bool triggerAction, int valIdx)
{
  IControl::SetDirty(triggerAction, -1);
  UpdateValueStr();
}

void IVSwitchControl::OnInit()
{
  ISwitchControlBase::OnInit();
  if (const IParam* p = GetParam())
  {
    // Right after attach the value carries the unit; later changes drop it.
    p->GetDisplayWithLabel(mValueStr);
    if (!mLabelStr.GetLength())
      SetLabelStr(p->GetName());
  }
}

void IVSwitchControl::OnMouseOut()
{
  IControl::OnMouseOut();
  SetDirty(false);
}

IVToggleControl::IVToggleControl(const IRECT& bounds, int paramIdx, const char* label, const IVStyle& style,
  const char* offText, const char* onText)
  : IVSwitchControl(bounds, paramIdx, label, style, true)
{
  mOffText.Set(offText ? offText : "");
  mOnText.Set(onText ? onText : "");
}

IVToggleControl::IVToggleControl(const IRECT& bounds, IActionFunction action, const char* label,
  const IVStyle& style, const char* offText, const char* onText, bool initialState)
  : IVSwitchControl(bounds, std::move(action), label, style, 2, true)
{
  mOffText.Set(offText ? offText : "");
  mOnText.Set(onText ? onText : "");
  SetValue(initialState ? 1.0 : 0.0);
}

void IVToggleControl::DrawWidget(IGfx& g)
{
  DrawPressableShape(g, mShape, mWidgetBounds, GetValue() > 0.5, mMouseIsOver, mDisabled);
}

void IVToggleControl::DrawValue(IGfx& g, bool mouseOver)
{
  if (mouseOver)
    g.FillRect(GetColor(kHighlight), mValueBounds, Blend());
  const PK_String& text = GetValue() > 0.5 ? mOnText : mOffText;
  if (text.GetLength())
    g.DrawText(mStyle.valueText, text.Get(), mValueBounds, Blend());
}

} // namespace plugkit::gfx
