#include "graphics/controls/IVSlideSwitchControl.h"

#include <algorithm>

#include "graphics/IGfx.h"

namespace plugkit::gfx {

namespace {

constexpr int kSlideMs = 100;

} // namespace

IVSlideSwitchControl::IVSlideSwitchControl(const IRECT& bounds, int paramIdx, const char* label,
  const IVStyle& style, bool valueInButton, EDirection direction)
  : IVSwitchControl(bounds, paramIdx, label, style, valueInButton), mDirection(direction)
{
  mActionFunc = [this](IControl*) { StartSlide(); };
}

IVSlideSwitchControl::IVSlideSwitchControl(const IRECT& bounds, IActionFunction action, const char* label,
  const IVStyle& style, bool valueInButton, EDirection direction, int numStates, int initialState)
  : IVSwitchControl(bounds, IActionFunction(), label, style, numStates, valueInButton), mDirection(direction)
{
  // The initial state as a value: the same fraction of the range the
  // switch's own steps use, so the handle starts in that state's cell.
  const double value = mNumStates > 1 ? static_cast<double>(initialState) / (mNumStates - 1) : 0.0;
  SetValue(std::clamp(value, 0.0, 1.0));
  mActionFunc = [this](IControl*) { StartSlide(); };
  mAnimationEndActionFunc = std::move(action);
}

void IVSlideSwitchControl::StartSlide()
{
  SetAnimation([this](IControl*) { Slide(); });
  StartAnimation(kSlideMs);
}

void IVSlideSwitchControl::Slide()
{
  const float p = static_cast<float>(GetAnimationProgress());
  auto lerp = [p](float a, float b) { return a + (b - a) * p; };
  mHandleBounds = IRECT(lerp(mStartRect.L, mEndRect.L), lerp(mStartRect.T, mEndRect.T),
    lerp(mStartRect.R, mEndRect.R), lerp(mStartRect.B, mEndRect.B));
  if (mValueInWidget)
    mValueBounds = mHandleBounds;
  if (p > 1.f)
    OnEndAnimation();
}

IRECT IVSlideSwitchControl::Cell(int state) const
{
  const IRECT& w = mWidgetBounds;
  const float n = static_cast<float>(mNumStates);
  const float k = static_cast<float>(state);
  if (mDirection == kHorizontal)
  {
    const float cw = w.W() / n;
    return IRECT(w.L + k * cw, w.T, w.L + (k + 1.f) * cw, w.B);
  }
  const float ch = w.H() / n;
  return IRECT(w.L, w.T + k * ch, w.R, w.T + (k + 1.f) * ch);
}

void IVSlideSwitchControl::UpdateRects()
{
  const int n = mNumStates;
  // A value not yet clamped must not put the handle outside the widget.
  const int s = std::clamp(static_cast<int>((n - 1) * GetValue() + 0.5), 0, n - 1);
  mStartRect = Cell(s);
  mHandleBounds = mStartRect;
  mEndRect = Cell((s + 1) % n);
  if (mValueInWidget)
    mValueBounds = mHandleBounds;
}

void IVSlideSwitchControl::OnResize()
{
  LayOutControl(true);
  IControl::SetDirty(false);
  UpdateRects();
}

void IVSlideSwitchControl::SetDirty(bool triggerAction, int valIdx)
{
  // A click starts the slide from the old cell here; a change that starts
  // none (from the host) moves the handle at once.
  IVSwitchControl::SetDirty(triggerAction, valIdx);
  if (!IsAnimating())
    UpdateRects();
}

void IVSlideSwitchControl::OnEndAnimation()
{
  UpdateRects();
  IControl::OnEndAnimation();
}

void IVSlideSwitchControl::Draw(IGfx& g)
{
  DrawBackground(g, mBounds);
  DrawWidget(g);
  DrawLabel(g);
  if (!IsAnimating())
    DrawValue(g, false);
}

void IVSlideSwitchControl::DrawWidget(IGfx& g)
{
  DrawTrack(g, mWidgetBounds);
  DrawPressableShape(g, mShape, mHandleBounds, mMouseDown, mMouseIsOver, mDisabled);
}

void IVSlideSwitchControl::DrawTrack(IGfx& g, const IRECT& bounds)
{
  const float radius = std::min(mHandleBounds.W(), mHandleBounds.H()) * 0.5f * mStyle.roundness;
  g.FillRoundRect(GetColor(kShadow), bounds, radius);
}

} // namespace plugkit::gfx
