#include "graphics/ITextControls.h"

#include <cstdarg>
#include <cstring>

#include "framework/IParam.h"
#include "graphics/IGfx.h"

namespace plugkit::gfx {

ITextControl::ITextControl(const IRECT& bounds, const char* str, const IText& text, const IColor& BGColor,
  bool autoSize)
  : IControl(bounds), mStr(str ? str : ""), mBGColor(BGColor), mAutoSize(autoSize)
{
  mText = text;
  mIgnoreMouse = true;
}

void ITextControl::SetBoundsBasedOnStr()
{
  if (!GetUI())
    return;
  IRECT measured;
  GetUI()->MeasureText(mText, mStr.Get(), measured);
  mBounds = mBounds.GetCentredInside(measured.W(), measured.H());
  mTargetBounds = mBounds;
  mMouseIsOver = false;
  OnResize();
}

void ITextControl::OnInit()
{
  if (mAutoSize)
    SetBoundsBasedOnStr();
}

void ITextControl::SetStr(const char* str)
{
  if (!str)
    str = "";
  if (std::strcmp(str, mStr.Get()) == 0)
    return;
  mStr.Set(str);
  if (mAutoSize)
    SetBoundsBasedOnStr();
}

void ITextControl::SetStrFmt(int maxLen, const char* fmt, ...)
{
  va_list args;
  va_start(args, fmt);
  mStr.SetFormattedV(maxLen, fmt, args);
  va_end(args);
}

void ITextControl::Draw(IGfx& g)
{
  g.FillRect(mBGColor, mBounds, &mBlend);
  if (mStr.GetLength() && g.GetTextEntryCaller() != this)
    g.DrawText(mText, mStr.Get(), mBounds, &mBlend);
}

IURLControl::IURLControl(const IRECT& bounds, const char* str, const char* url, const IText& text,
  const IColor& BGColor, const IColor& mouseOverColor, const IColor& clickedColor)
  : ITextControl(bounds, str, text, BGColor), mURL(url ? url : ""), mOriginalColor(text.mFGColor),
    mMouseOverColor(mouseOverColor), mClickedColor(clickedColor)
{
  mIgnoreMouse = false;
}

void IURLControl::Draw(IGfx& g)
{
  g.FillRect(mBGColor, mBounds, &mBlend);
  mText.mFGColor = mMouseIsOver ? mMouseOverColor : mClicked ? mClickedColor : mOriginalColor;
  if (!mStr.GetLength())
    return;

  IRECT textRect;
  g.MeasureText(mText, mStr.Get(), textRect);
  const float w = textRect.W();
  float x1 = mBounds.MW() - 0.5f * w;
  if (mText.mAlign == kNear)
    x1 = mBounds.L;
  else if (mText.mAlign == kFar)
    x1 = mBounds.R - w;
  float y = mBounds.B;
  if (mText.mVAlign == kTop)
    y = mBounds.T - textRect.H();
  else if (mText.mVAlign == kMiddle)
    y = mBounds.MH() + textRect.B;
  g.DrawLine(mText.mFGColor, x1, y, x1 + w, y, &mBlend, 1.f);
  g.DrawText(mText, mStr.Get(), mBounds, &mBlend);
}

void IURLControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  if (IGfx* ui = GetUI())
  {
    ui->OpenURL(mURL.Get());
    ui->ReleaseMouseCapture();
  }
  mClicked = true;
}

void IURLControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  if (GetUI())
    GetUI()->SetMouseCursor(kHandCursor);
  IControl::OnMouseOver(x, y, mod);
}

void IURLControl::OnMouseOut()
{
  if (GetUI())
    GetUI()->SetMouseCursor(kArrowCursor);
  IControl::OnMouseOut();
}

ITextToggleControl::ITextToggleControl(const IRECT& bounds, int paramIdx, const char* offText,
  const char* onText, const IText& text, const IColor& BGColor)
  : ITextControl(bounds, offText, text, BGColor), mOffText(offText ? offText : ""), mOnText(onText ? onText : "")
{
  SetParamIdx(paramIdx);
  mIgnoreMouse = false;
  mDblClickAsSingle = true;
}

ITextToggleControl::ITextToggleControl(const IRECT& bounds, IActionFunction action, const char* offText,
  const char* onText, const IText& text, const IColor& BGColor)
  : ITextControl(bounds, offText, text, BGColor), mOffText(offText ? offText : ""), mOnText(onText ? onText : "")
{
  SetActionFunction(std::move(action));
  mIgnoreMouse = false;
  mDblClickAsSingle = true;
}

void ITextToggleControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  SetValue(GetValue() < 0.5 ? 1.0 : 0.0);
  SetDirty(true, 0);
}

void ITextToggleControl::SetDirty(bool triggerAction, int valIdx)
{
  SetStr(GetValue() > 0.5 ? mOnText.Get() : mOffText.Get());
  IControl::SetDirty(triggerAction, -1);
}

ICaptionControl::ICaptionControl(const IRECT& bounds, int paramIdx, const IText& text, const IColor& BGColor,
  bool showParamLabel)
  : ITextControl(bounds, "", text, BGColor), mShowParamLabel(showParamLabel)
{
  SetParamIdx(paramIdx);
  mPromptDisabled = false;
  mDblClickAsSingle = true;
  mIgnoreMouse = false;
}

void ICaptionControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  if ((mod.L || mod.R) && GetParam() && !mPromptDisabled && GetUI())
    GetUI()->PromptUserInput(*this, mBounds, 0);
}

void ICaptionControl::Draw(IGfx& g)
{
  if (const IParam* param = GetParam())
  {
    PK_String display;
    param->GetDisplay(display);
    if (mShowParamLabel && param->GetLabel() && *param->GetLabel())
    {
      display.Append(" ");
      display.Append(param->GetLabel());
    }
    mStr.Set(display.Get());
  }
  ITextControl::Draw(g);
  if (mTriangleBounds.W() > 0.f)
  {
    const IBlend half{kBlendDefault, 0.5f};
    const IRECT& t = mTriangleBounds;
    // Points down: a menu opens below.
    if (mMouseIsOver)
      g.FillTriangle(mTriangleMouseOverColor, t.L, t.T, t.R, t.T, t.MW(), t.B, &mBlend);
    else
      g.FillTriangle(mTriangleColor, t.L, t.T, t.R, t.T, t.MW(), t.B, &half);
  }
}

void ICaptionControl::OnResize()
{
  const IParam* param = GetParam();
  if (param && param->Type() == IParam::kTypeEnum)
  {
    const float left = mBounds.R - 0.1f * mBounds.W() - 4.f;
    const float top = mBounds.MH() - 2.5f;
    mTriangleBounds = IRECT(left, top, left + 8.f, top + 5.f);
  }
}

PlaceHolder::PlaceHolder(const IRECT& bounds, const char* str)
  : ITextControl(bounds, str, kDefaultText, kColorWhite)
{
  mPromptDisabled = false;
  mDblClickAsSingle = false;
  mIgnoreMouse = false;
  mTLTextStyle.mAlign = kNear;
  mTLTextStyle.mVAlign = kTop;
  mHeightTextStyle.mAlign = kNear;
  mWidthTextStyle.mVAlign = kTop;
  PlaceHolder::OnResize();
}

void PlaceHolder::OnResize()
{
  mTLText.SetFormatted(32, "%0.1f, %0.1f", mBounds.L, mBounds.T);
  mWidthText.SetFormatted(32, "%0.1f", mBounds.W());
  mHeightText.SetFormatted(32, "%0.1f", mBounds.H());
}

void PlaceHolder::Draw(IGfx& g)
{
  const IBlend half{kBlendDefault, 0.5f};
  const IBlend threeQuarters{kBlendDefault, 0.75f};
  g.FillRect(mBGColor, mBounds, &mBlend);
  g.DrawLine(kColorRed, mBounds.L, mBounds.T, mBounds.R, mBounds.B, &half, 2.f);
  g.DrawLine(kColorRed, mBounds.L, mBounds.B, mBounds.R, mBounds.T, &half, 2.f);

  auto labelled = [&](const PK_String& str, const IText& style, float x, float y, const IBlend* blend) {
    IRECT r;
    g.MeasureText(style, str.Get(), r);
    r = IRECT(x, y, x + r.W(), y + r.H());
    g.FillRect(mBGColor, r, blend);
    g.DrawText(style, str.Get(), r, blend);
  };
  labelled(mHeightText, mHeightTextStyle, mBounds.L + 10.f, mBounds.MH(), &half);
  labelled(mWidthText, mWidthTextStyle, mBounds.MW(), mBounds.T + 10.f, &threeQuarters);
  labelled(mTLText, mTLTextStyle, mBounds.L + 10.f, mBounds.T + 10.f, &half);

  if (mStr.GetLength())
  {
    IRECT r;
    g.MeasureText(mText, mStr.Get(), r);
    r = mBounds.GetCentredInside(r.W(), r.H());
    g.FillRect(mBGColor, r, &threeQuarters);
    g.DrawText(mText, mStr.Get(), r, &mBlend);
  }
}

void PlaceHolder::OnMouseDblClick(float x, float y, const IMouseMod& mod)
{
  if (GetUI())
    GetUI()->CreateTextEntry(*this, mText, mBounds, mStr.Get());
}

} // namespace plugkit::gfx
