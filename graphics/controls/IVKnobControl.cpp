#include "graphics/controls/IVKnobControl.h"

#include <algorithm>

#include "graphics/IGfx.h"
#include "graphics/controls/VectorValueArea.h"

namespace plugkit::gfx {

IVKnobControl::IVKnobControl(const IRECT& bounds, int paramIdx, const char* label, const IVStyle& style,
  bool valueIsEditable, bool valueInWidget, float a1, float a2, float aAnchor, EDirection direction,
  double gearing, float trackSize)
  : IKnobControlBase(bounds, paramIdx, direction, gearing), IVectorBase(style, false, valueInWidget),
    mAngle1(a1), mAngle2(a2), mAnchorAngle(aAnchor)
{
  Configure(label, valueIsEditable, trackSize);
}

IVKnobControl::IVKnobControl(const IRECT& bounds, IActionFunction action, const char* label, const IVStyle& style,
  bool valueIsEditable, bool valueInWidget, float a1, float a2, float aAnchor, EDirection direction,
  double gearing, float trackSize)
  : IKnobControlBase(bounds, std::move(action), direction, gearing), IVectorBase(style, false, valueInWidget),
    mAngle1(a1), mAngle2(a2), mAnchorAngle(aAnchor)
{
  Configure(label, valueIsEditable, trackSize);
}

void IVKnobControl::Configure(const char* label, bool valueIsEditable, float trackSize)
{
  AttachIControl(this, label);
  mHideCursorOnDrag = mStyle.hideCursor;
  mPromptDisabled = !valueIsEditable;
  mShape = kEllipse;
  mTrackSize = trackSize;
}

void IVKnobControl::Draw(IGfx& g)
{
  DrawBackground(g, mBounds);
  DrawLabel(g);
  DrawWidget(g);
  DrawValue(g, mValueMouseOver);
}

void IVKnobControl::DrawWidget(IGfx& g)
{
  const IRECT& w = mWidgetBounds;
  const float cx = w.MW(), cy = w.MH();
  const float radius = std::min(w.W(), w.H()) / 2.f - mTrackSize / 2.f;
  const float d = std::max(1.f, (radius - mTrackToHandleDistance) * 2.f);
  const IRECT body(cx - d / 2.f, cy - d / 2.f, cx + d / 2.f, cy + d / 2.f);
  const float angle = mAngle1 + (mAngle2 - mAngle1) * static_cast<float>(GetValue());

  DrawIndicatorTrack(g, angle, cx, cy, radius);
  // The body is round whatever shape the style asks for: the pointer turns
  // inside it.
  DrawPressableShape(g, kEllipse, body, mMouseDown, mMouseIsOver, mDisabled);
  DrawPointer(g, angle, cx, cy, body.W() / 2.f);
}

void IVKnobControl::DrawIndicatorTrack(IGfx& g, float angle, float cx, float cy, float radius)
{
  if (mTrackSize > 0.f)
    g.DrawArc(GetColor(kExtra1), cx, cy, radius, std::min(angle, mAnchorAngle), std::max(angle, mAnchorAngle),
      &mBlend, mTrackSize);
}

void IVKnobControl::DrawPointer(IGfx& g, float angle, float cx, float cy, float radius)
{
  g.DrawRadialLine(GetColor(kFrame), cx, cy, angle, mInnerPointerFrac * radius, mOuterPointerFrac * radius,
    &mBlend, mPointerThickness);
}

IRECT IVKnobControl::GetKnobDragBounds()
{
  const IRECT& w = mWidgetBounds;
  float width = w.W() > w.H() ? w.H() / 2.f : w.W();
  float height = w.W() > w.H() ? w.H() : w.W() / 2.f;
  if (width < 1.f)
    width = 1.f;
  if (!(height > 0.f))
    height = width;
  return w.GetCentredInside(width, height);
}

void IVKnobControl::OnResize()
{
  LayOutControl(false);
  SetDirty(false);
}

void IVKnobControl::OnInit()
{
  valuearea::InitStrings(*this, mLabelStr, mValueStr);
}

bool IVKnobControl::IsHit(float x, float y) const
{
  return valuearea::Hit(*this, mValueBounds, mWidgetBounds, x, y);
}

void IVKnobControl::SetDirty(bool triggerAction, int valIdx)
{
  IControl::SetDirty(triggerAction, -1);
  valuearea::UpdateValueStr(*this, mValueStr);
}

void IVKnobControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  // With the prompt refused nothing happens at all: a click meant for the
  // value must not turn the knob.
  if (valuearea::Clicked(mStyle, mValueBounds, x, y))
    PromptUserInput(mValueBounds, 0);
  else
    IKnobControlBase::OnMouseDown(x, y, mod);
  SetDirty(false);
}

void IVKnobControl::OnMouseUp(float x, float y, const IMouseMod& mod)
{
  IKnobControlBase::OnMouseUp(x, y, mod);
  // The final value once more, so the host and the action see where the
  // drag ended.
  SetDirty(true, -1);
}

void IVKnobControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  if (mStyle.showValue && !mPromptDisabled)
    mValueMouseOver = mValueBounds.Contains(x, y);
  IControl::OnMouseOver(x, y, mod);
  SetDirty(false);
}

void IVKnobControl::OnMouseOut()
{
  mValueMouseOver = false;
  IControl::OnMouseOut();
}

} // namespace plugkit::gfx
