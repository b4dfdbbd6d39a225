#include "graphics/controls/ISVGControls.h"

#include <algorithm>

#include "graphics/IGfx.h"
#include "graphics/SVG.h"

namespace plugkit::gfx {

namespace {

// Width and height of an image; false when it has no area to scale.
bool MeasureSVG(const ISVG& svg, float& w, float& h)
{
  if (!svg.IsValid())
    return false;
  w = svg.mImage->width;
  h = svg.mImage->height;
  return w > 0.f && h > 0.f;
}

} // namespace

ISVGButtonControl::ISVGButtonControl(const IRECT& bounds, IActionFunction action, const ISVG& offImage,
  const ISVG& onImage)
  : IButtonControlBase(bounds, std::move(action)), mOffSVG(offImage), mOnSVG(onImage)
{
}

void ISVGButtonControl::Draw(IGfx& g) { g.DrawSVG(GetValue() > 0.5 ? mOnSVG : mOffSVG, mBounds, &mBlend); }

ISVGKnobControl::ISVGKnobControl(const IRECT& bounds, const ISVG& svg, int paramIdx)
  : IKnobControlBase(bounds, paramIdx, kVertical, 4.0), mSVG(svg)
{
}

void ISVGKnobControl::Draw(IGfx& g)
{
  const float angle = mStartAngle + static_cast<float>(GetValue()) * (mEndAngle - mStartAngle);
  g.DrawRotatedSVG(mSVG, mBounds.MW(), mBounds.MH(), mBounds.W(), mBounds.H(), angle, &mBlend);
}

void ISVGKnobControl::SetSVG(const ISVG& svg)
{
  mSVG = svg;
  SetDirty(false);
}

ISVGSwitchControl::ISVGSwitchControl(const IRECT& bounds, std::initializer_list<ISVG> svgs, int paramIdx,
  IActionFunction action)
  : ISVGSwitchControl(bounds, std::vector<ISVG>(svgs), paramIdx, std::move(action))
{
}

ISVGSwitchControl::ISVGSwitchControl(const IRECT& bounds, const std::vector<ISVG>& svgs, int paramIdx,
  IActionFunction action)
  : ISwitchControlBase(bounds, paramIdx, std::move(action), static_cast<int>(svgs.size())), mSVGs(svgs)
{
}

void ISVGSwitchControl::Draw(IGfx& g)
{
  const int idx = static_cast<int>(GetValue() * (mNumStates - 1) + 0.5);
  if (idx >= 0 && idx < static_cast<int>(mSVGs.size()))
    g.DrawSVG(mSVGs[static_cast<size_t>(idx)], mBounds, &mBlend);
}

ISVGSliderControl::ISVGSliderControl(const IRECT& bounds, const ISVG& handleSvg, const ISVG& trackSvg,
  int paramIdx, EDirection dir, double gearing)
  : ISliderControlBase(bounds, paramIdx, dir, gearing, 0.f), mHandleSVG(handleSvg), mTrackSVG(trackSvg)
{
}

void ISVGSliderControl::OnResize()
{
  ISliderControlBase::OnResize();
  mTrackSVGBounds = IRECT();
  mHandleBoundsAtMax = IRECT();
  float trackW = 0.f, trackH = 0.f, handleW = 0.f, handleH = 0.f;
  if (!MeasureSVG(mTrackSVG, trackW, trackH) || !MeasureSVG(mHandleSVG, handleW, handleH))
  {
    SetDirty(false); // what was drawn before must go
    return;
  }

  const float trackAspect = trackW / trackH, handleAspect = handleW / handleH, ratio = handleH / trackH;
  const IRECT& b = mBounds;
  if (mDirection == kVertical)
  {
    const float w = std::max(1.f, trackAspect * b.H());
    const float h = b.H() > 0.f ? b.H() : w;
    mTrackSVGBounds = b.GetCentredInside(w, h);
    const float hw = std::max(1.f, handleAspect * ratio * b.H());
    const float hh = ratio * b.H() > 0.f ? ratio * b.H() : hw;
    mHandleBoundsAtMax = IRECT(b.MW() - hw / 2.f, mTrackSVGBounds.T, b.MW() + hw / 2.f, mTrackSVGBounds.T + hh);
    // The handle's top travels over the track less the handle's height, so
    // at 0 its bottom rests on the track's bottom.
    mTrackBounds = mTrackSVGBounds;
    mTrackBounds.B -= hh;
  }
  else
  {
    const float w = std::max(1.f, b.W());
    const float h = b.W() / trackAspect > 0.f ? b.W() / trackAspect : w;
    mTrackSVGBounds = b.GetCentredInside(w, h);
    const float hh = ratio * h > 0.f ? ratio * h : 1.f;
    const float hw = std::max(1.f, handleAspect * hh);
    const IRECT& t = mTrackSVGBounds;
    mHandleBoundsAtMax = IRECT(t.R - hw, t.MH() - hh / 2.f, t.R, t.MH() + hh / 2.f);
    mTrackBounds = mTrackSVGBounds;
    mTrackBounds.L += hw;
  }
  SetDirty(false);
}

IRECT ISVGSliderControl::GetHandleBounds(double value) const
{
  if (mHandleBoundsAtMax.Empty())
    return IRECT();
  if (value < 0.0)
    value = GetValue();
  const float away = static_cast<float>(1.0 - value);
  if (mDirection == kVertical)
    return mHandleBoundsAtMax.GetTranslated(0.f, away * mTrackBounds.H());
  return mHandleBoundsAtMax.GetTranslated(-away * mTrackBounds.W(), 0.f);
}

void ISVGSliderControl::Draw(IGfx& g)
{
  if (mTrackSVGBounds.Empty() || mHandleBoundsAtMax.Empty())
    return;
  g.DrawSVG(mTrackSVG, mTrackSVGBounds, &mBlend);
  g.DrawSVG(mHandleSVG, GetHandleBounds(), &mBlend);
}

} // namespace plugkit::gfx
