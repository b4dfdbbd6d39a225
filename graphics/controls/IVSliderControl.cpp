#include "graphics/controls/IVSliderControl.h"

#include <algorithm>

#include "graphics/IGfx.h"
#include "graphics/controls/VectorValueArea.h"

namespace plugkit::gfx {

IVSliderControl::IVSliderControl(const IRECT& bounds, int paramIdx, const char* label, const IVStyle& style,
  bool valueIsEditable, EDirection dir, bool handleInsideTrack, double gearing, float handleSize, float trackSize)
  : ISliderControlBase(bounds, paramIdx, dir, gearing, handleSize), IVectorBase(style, false, false),
    mHandleInsideTrack(handleInsideTrack)
{
  Configure(label, valueIsEditable, trackSize);
}

IVSliderControl::IVSliderControl(const IRECT& bounds, IActionFunction action, const char* label,
  const IVStyle& style, bool valueIsEditable, EDirection dir, bool handleInsideTrack, double gearing,
  float handleSize, float trackSize)
  : ISliderControlBase(bounds, std::move(action), dir, gearing, handleSize), IVectorBase(style, false, false),
    mHandleInsideTrack(handleInsideTrack)
{
  Configure(label, valueIsEditable, trackSize);
}

void IVSliderControl::Configure(const char* label, bool valueIsEditable, float trackSize)
{
  AttachIControl(this, label);
  mHideCursorOnDrag = mStyle.hideCursor;
  mPromptDisabled = !valueIsEditable;
  mShape = kEllipse;
  mTrackSize = trackSize;
}

void IVSliderControl::Draw(IGfx& g)
{
  DrawBackground(g, mBounds);
  DrawLabel(g);
  DrawWidget(g);
  DrawValue(g, mValueMouseOver);
}

void IVSliderControl::DrawWidget(IGfx& g)
{
  const float v = static_cast<float>(GetValue());
  const IRECT& t = mTrackBounds;
  const IRECT filled = mDirection == kVertical ? IRECT(t.L, t.B - t.H() * v, t.R, t.B)
                                               : IRECT(t.L, t.T, t.L + t.W() * v, t.B);
  if (mTrackSize > 0.f)
    DrawTrack(g, filled);

  // A shadowed square or triangle looks centred only when moved by half
  // its shadow.
  const float o = mStyle.drawShadows && mShape != kEllipse ? mStyle.shadowOffset / 2.f : 0.f;
  const float cx = mDirection == kVertical ? filled.MW() + o : filled.R;
  const float cy = mDirection == kVertical ? filled.T : filled.MH() + o;
  const float h = mHandleSize;
  if (h > 0.f)
    DrawHandle(g, IRECT(cx - h, cy - h, cx + h, cy + h));
}

void IVSliderControl::DrawTrack(IGfx& g, const IRECT& filled)
{
  const float e = mHandleInsideTrack ? mHandleSize : 0.f;
  const float radius = std::min(mTrackBounds.W(), mTrackBounds.H()) * 0.5f * mStyle.roundness;
  auto lengthened = [&](IRECT r) {
    if (mDirection == kVertical)
      return IRECT(r.L, r.T - e, r.R, r.B + e);
    return IRECT(r.L - e, r.T, r.R + e, r.B);
  };
  const IRECT track = lengthened(mTrackBounds);
  g.FillRoundRect(GetColor(kShadow), track, radius, &mBlend);
  g.FillRoundRect(GetColor(kExtra1), lengthened(filled), radius, &mBlend);
  if (mStyle.drawFrame)
    g.DrawRoundRect(GetColor(kFrame), track, radius, &mBlend, mStyle.frameThickness);
}

void IVSliderControl::DrawHandle(IGfx& g, const IRECT& bounds)
{
  DrawPressableShape(g, mShape, bounds, mMouseDown, mMouseIsOver, mDisabled);
}

void IVSliderControl::OnResize()
{
  LayOutControl(false);
  const IRECT r = mWidgetBounds.GetPadded(-mHandleSize);
  const float t = mTrackSize;
  mTrackBounds = mDirection == kHorizontal ? IRECT(r.L, r.MH() - t, r.R, r.MH() + t)
                                           : IRECT(r.MW() - t, r.T, r.MW() + t, r.B);
  SetDirty(false);
}

void IVSliderControl::OnInit()
{
  valuearea::InitStrings(*this, mLabelStr, mValueStr);
}

bool IVSliderControl::IsHit(float x, float y) const
{
  return valuearea::Hit(*this, mValueBounds, mWidgetBounds, x, y);
}

void IVSliderControl::SetDirty(bool triggerAction, int valIdx)
{
  IControl::SetDirty(triggerAction, -1);
  valuearea::UpdateValueStr(*this, mValueStr);
}

void IVSliderControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  if (valuearea::Clicked(mStyle, mValueBounds, x, y))
    PromptUserInput(mValueBounds, 0);
  else
    ISliderControlBase::OnMouseDown(x, y, mod);
}

void IVSliderControl::OnMouseUp(float x, float y, const IMouseMod& mod)
{
  ISliderControlBase::OnMouseUp(x, y, mod);
  SetDirty(true, -1);
}

void IVSliderControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  if (mStyle.showValue && !mPromptDisabled)
    mValueMouseOver = mValueBounds.Contains(x, y);
  IControl::OnMouseOver(x, y, mod);
  SetDirty(false);
}

void IVSliderControl::OnMouseOut()
{
  mValueMouseOver = false;
  IControl::OnMouseOut();
}

} // namespace plugkit::gfx
