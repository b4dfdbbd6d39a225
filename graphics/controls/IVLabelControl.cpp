#include "graphics/controls/IVLabelControl.h"

#include "graphics/IGfx.h"

namespace plugkit::gfx {

IVLabelControl::IVLabelControl(const IRECT& bounds, const char* label, const IVStyle& style)
  : ITextControl(bounds, label, kDefaultText, kColorTransparent, false), IVectorBase(style, false, false)
{
  AttachIControl(this);
  mText = style.valueText;
  SetLabelStr(label);
}

void IVLabelControl::Draw(IGfx& g)
{
  DrawBackground(g, mBounds);
  if (mStr.GetLength())
  {
    if (mStyle.drawShadows && !mDisabled)
    {
      IText shadow = mStyle.valueText;
      shadow.mFGColor = GetColor(kShadow);
      g.DrawText(shadow, mStr.Get(), mBounds.GetTranslated(mStyle.shadowOffset, mStyle.shadowOffset), &mBlend);
    }
    g.DrawText(mStyle.valueText, mStr.Get(), mBounds, &mBlend);
  }
  if (mStyle.drawFrame)
    g.DrawRect(GetColor(kFrame), mBounds, &mBlend, mStyle.frameThickness);
}

} // namespace plugkit::gfx
