#include "graphics/IControlBehaviours.h"

#include <algorithm>
#include <cmath>

#include "framework/IParam.h"
#include "graphics/IGfx.h"

namespace plugkit::gfx {

namespace dragvalue {

namespace {

// The parameter whose step grid applies, or null.
const IParam* SteppedParam(const IControl& control)
{
  const IParam* p = control.GetParam();
  if (!p || !p->GetStepped() || !(p->GetStep() > 0.0) || !(p->GetMax() > p->GetMin()))
    return nullptr;
  return p;
}

// Values converted back from their normalised form land a hair off the
// grid (0.57 x 100 + 1 = 57.99999999999999): the tolerance keeps them on
// the step they mean.
constexpr double kGridTolerance = 1e-9;

} // namespace

double Move(double value, float delta, float extent, double gearing)
{
  if (extent == 0.f || gearing == 0.0)
    return value;
  const double moved = value + delta / extent / gearing;
  return std::isnan(moved) ? value : std::clamp(moved, 0.0, 1.0);
}

double QuantiseDown(const IControl& control, double v)
{
  const IParam* p = SteppedParam(control);
  if (!p)
    return v;
  const double min = p->GetMin(), max = p->GetMax(), step = p->GetStep();
  double plain = v * (max - min) + min;
  plain = std::floor(plain / step + kGridTolerance) * step;
  return (plain - min) / (max - min);
}

double Wheel(const IControl& control, const IMouseMod& mod, float d)
{
  const double value = control.GetValue();
  const IParam* p = SteppedParam(control);
  if (!p || d == 0.f)
    return value + d * ((mod.S || mod.C) ? 0.001 : 0.01);
  const double min = p->GetMin(), max = p->GetMax(), step = p->GetStep();
  double plain = value * (max - min) + min + (d > 0.f ? step : -step);
  plain = std::clamp(plain, min, max);
  plain = std::round(plain / step) * step;
  return (plain - min) / (max - min);
}

} // namespace dragvalue

IButtonControlBase::IButtonControlBase(const IRECT& bounds, IActionFunction action)
  : IControl(bounds, std::move(action))
{
  mDblClickAsSingle = true;
}

void IButtonControlBase::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  SetValue(1.0);
  SetDirty(true, -1);
}

void IButtonControlBase::OnEndAnimation()
{
  SetValue(0.0);
  IControl::OnEndAnimation();
}

ISwitchControlBase::ISwitchControlBase(const IRECT& bounds, int paramIdx, IActionFunction action, int numStates)
  : IControl(bounds, paramIdx, std::move(action)), mNumStates(0)
{
  SetNumStates(numStates);
  mDblClickAsSingle = true;
}

void ISwitchControlBase::SetNumStates(int numStates)
{
  mNumStates = std::max(numStates, 1);
  mDisabledState.resize(static_cast<size_t>(mNumStates), false);
}

void ISwitchControlBase::OnInit()
{
  if (const IParam* p = GetParam())
    SetNumStates(static_cast<int>(p->GetMax() - p->GetMin()) + 1);
}

void ISwitchControlBase::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  if (mNumStates == 2)
    SetValue(GetValue() == 0.0 ? 1.0 : 0.0);
  else
  {
    const double next = GetValue() + 1.0 / (mNumStates - 1);
    SetValue(next > std::nextafter(1.0, 2.0) ? 0.0 : next);
  }
  mMouseDown = true;
  SetDirty(true, -1);
}

void ISwitchControlBase::OnMouseUp(float x, float y, const IMouseMod& mod)
{
  mMouseDown = false;
  SetDirty(false);
}

void ISwitchControlBase::SetStateDisabled(int state, bool disabled)
{
  if (state < 0 || state >= mNumStates)
    return;
  mDisabledState[static_cast<size_t>(state)] = disabled;
  SetDirty(false);
}

void ISwitchControlBase::SetAllStatesDisabled(bool disabled)
{
  std::fill(mDisabledState.begin(), mDisabledState.end(), disabled);
  SetDirty(false);
}

bool ISwitchControlBase::GetStateDisabled(int state) const
{
  return state >= 0 && state < mNumStates && mDisabledState[static_cast<size_t>(state)];
}

namespace {

void HideCursorForDrag(IControl& c, bool hide)
{
  if (IGfx* ui = c.GetUI())
    ui->HideMouseCursor(hide, true);
}

// What a knob's and a slider's press share after the value is set: the
// hidden cursor and, on the right button, the typed-value prompt.
void BeginDrag(IControl& c, bool hideCursor, float x, float y, const IMouseMod& mod)
{
  if (hideCursor)
    HideCursorForDrag(c, true);
  if (mod.R)
  {
    const int valIdx = c.GetValIdxForPos(x, y);
    if (valIdx >= 0)
      c.PromptUserInput(valIdx);
  }
}

} // namespace

IKnobControlBase::IKnobControlBase(const IRECT& bounds, int paramIdx, EDirection direction, double gearing)
  : IControl(bounds, paramIdx), mDirection(direction), mGearing(gearing)
{
}

IKnobControlBase::IKnobControlBase(const IRECT& bounds, IActionFunction action, EDirection direction,
  double gearing)
  : IControl(bounds, std::move(action)), mDirection(direction), mGearing(gearing)
{
}

void IKnobControlBase::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  mMouseDown = true;
  mMouseDragValue = GetValue();
  BeginDrag(*this, mHideCursorOnDrag, x, y, mod);
}

void IKnobControlBase::OnMouseUp(float x, float y, const IMouseMod& mod)
{
  if (mHideCursorOnDrag)
    HideCursorForDrag(*this, false);
  mMouseDown = false;
  SetDirty(false);
}

void IKnobControlBase::OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod)
{
  const double gearing = (mod.S || mod.C) ? mGearing * 10.0 : mGearing;
  const IRECT r = GetKnobDragBounds();
  if (mDirection == kVertical)
    mMouseDragValue = dragvalue::Move(mMouseDragValue, dY, r.T - r.B, gearing);
  else
    mMouseDragValue = dragvalue::Move(mMouseDragValue, dX, r.R - r.L, gearing);
  SetValue(dragvalue::QuantiseDown(*this, mMouseDragValue), 0);
  SetDirty(true, -1);
}

void IKnobControlBase::OnMouseWheel(float x, float y, const IMouseMod& mod, float d)
{
  SetValue(dragvalue::Wheel(*this, mod, d), 0);
  SetDirty(true, -1);
}

ISliderControlBase::ISliderControlBase(const IRECT& bounds, int paramIdx, EDirection dir, double gearing,
  float handleSize)
  : IControl(bounds, paramIdx), mDirection(dir), mHandleSize(handleSize), mGearing(gearing)
{
}

ISliderControlBase::ISliderControlBase(const IRECT& bounds, IActionFunction action, EDirection dir,
  double gearing, float handleSize)
  : IControl(bounds, std::move(action)), mDirection(dir), mHandleSize(handleSize), mGearing(gearing)
{
}

bool ISliderControlBase::LinkedToSteppedParam() const
{
  const IParam* p = GetParam();
  return p && p->GetStepped();
}

void ISliderControlBase::OnResize()
{
  mTargetBounds = mBounds;
  mMouseIsOver = false;
  mTrackBounds = mBounds;
  SetDirty(false);
}

void ISliderControlBase::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  mMouseDown = true;
  if (!LinkedToSteppedParam())
    SnapToMouse(x, y, mDirection, mTrackBounds, -1, 0.0, 1.0);
  mMouseDragValue = GetValue();
  BeginDrag(*this, mHideCursorOnDrag, x, y, mod);
}

void ISliderControlBase::OnMouseUp(float x, float y, const IMouseMod& mod)
{
  if (mHideCursorOnDrag)
    HideCursorForDrag(*this, false);
  mMouseDown = false;
  SetDirty(false);
}

void ISliderControlBase::OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod)
{
  const bool cursorHidden = mHideCursorOnDrag && mod.touchID == 0;
  if (!LinkedToSteppedParam() && !cursorHidden)
  {
    SnapToMouse(x, y, mDirection, mTrackBounds, -1, 0.0, 1.0);
    return;
  }
  const double gearing = (mod.S || mod.C) ? mGearing * 10.0 : mGearing;
  const IRECT& t = mTrackBounds;
  if (mDirection == kVertical)
    mMouseDragValue = dragvalue::Move(mMouseDragValue, dY, t.T - t.B, gearing);
  else
    mMouseDragValue = dragvalue::Move(mMouseDragValue, dX, t.R - t.L, gearing);
  SetValue(dragvalue::QuantiseDown(*this, mMouseDragValue), 0);
  SetDirty(true, -1);
}

void ISliderControlBase::OnMouseWheel(float x, float y, const IMouseMod& mod, float d)
{
  SetValue(dragvalue::Wheel(*this, mod, d), 0);
  SetDirty(true, -1);
}

} // namespace plugkit::gfx
