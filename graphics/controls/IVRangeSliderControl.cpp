#include "graphics/controls/IVRangeSliderControl.h"

#include <algorithm>

#include "graphics/IGfx.h"

namespace plugkit::gfx {

IVRangeSliderControl::IVRangeSliderControl(const IRECT& bounds, std::initializer_list<int> params, const char* label,
  const IVStyle& style, EDirection dir, float handleSize, float trackSize)
  : IVTrackControlBase(bounds, label, style, params, 0, dir), mHandleSize(handleSize)
{
  mTrackSize = trackSize;
}

void IVRangeSliderControl::MakeTrackRects(IRECT& bounds)
{
  const IRECT b = bounds.GetPadded(-mHandleSize);
  const float t = mTrackSize;
  const IRECT track = mDirection == kHorizontal ? IRECT(b.L, b.MH() - t, b.R, b.MH() + t)
                                                : IRECT(b.MW() - t, b.T, b.MW() + t, b.B);
  const int n = std::min(NVals(), mTrackRects.GetSize());
  for (int i = 0; i < n; ++i)
    mTrackRects.Get()[i] = track;
}

IRECT IVRangeSliderControl::GetHandleBounds(int i) const
{
  if (i < 0 || i >= std::min(NVals(), mTrackRects.GetSize()))
    return IRECT();
  const IRECT& r = mTrackRects.Get()[i];
  const float v = static_cast<float>(GetValue(i));
  const float o = mStyle.drawShadows && mShape != kEllipse ? mStyle.shadowOffset / 2.f : 0.f;
  const float s = mHandleSize, t = mTrackSize;
  if (mDirection == kHorizontal)
  {
    const float x = r.L + r.W() * v;
    const float m = r.MH() + o;
    return i % 2 == 0 ? IRECT(x - s, m + t, x + s, m + t + 2.f * s) : IRECT(x - s, m - 2.f * s, x + s, m);
  }
  const float y = r.B - r.H() * v;
  const float m = r.MW() + o;
  return i % 2 == 0 ? IRECT(m - 2.f * s, y - s, m, y + s) : IRECT(m + t, y - s, m + t + 2.f * s, y + s);
}

void IVRangeSliderControl::Draw(IGfx& g)
{
  DrawBackground(g, mBounds);
  DrawLabel(g);
  DrawWidget(g);
}

void IVRangeSliderControl::DrawWidget(IGfx& g)
{
  const int n = std::min(NVals(), mTrackRects.GetSize());
  if (n == 0)
    return;
  const IRECT& track = mTrackRects.Get()[0];
  DrawTrackBackground(g, track, 0);
  for (int i = 0; i + 1 < n; ++i)
  {
    const float a = static_cast<float>(GetValue(i)), b = static_cast<float>(GetValue(i + 1));
    const IRECT span = mDirection == kHorizontal
                         ? IRECT(track.L + track.W() * a, track.T, track.L + track.W() * b, track.B)
                         : IRECT(track.L, track.B - track.H() * b, track.R, track.B - track.H() * a);
    g.FillRect(GetColor(kExtra1), Normalised(span), &mBlend);
  }
  if (mStyle.drawFrame && mDrawTrackFrame)
    g.DrawRect(GetColor(kFrame), track, &mBlend, mStyle.frameThickness);
  for (int i = 0; i < n; ++i)
    DrawTrack(g, mTrackRects.Get()[i], i);
}

void IVRangeSliderControl::DrawTrack(IGfx& g, const IRECT& r, int chIdx)
{
  const bool even = chIdx % 2 == 0;
  const float angle = mDirection == kHorizontal ? (even ? 0.f : 180.f) : (even ? 90.f : 270.f);
  const bool over = chIdx == mMouseOverHandle;
  DrawPressableTriangle(g, GetHandleBounds(chIdx), over && mMouseIsDown, over, angle, mDisabled);
}

void IVRangeSliderControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  mMouseOverHandle = -1;
  for (int i = 0; i < NVals(); ++i)
  {
    if (GetHandleBounds(i).Contains(x, y))
    {
      mMouseOverHandle = i;
      break;
    }
  }
  mMouseOverTrack = GetValIdxForPos(x, y);
  IControl::OnMouseOver(x, y, mod);
  SetDirty(false);
}

void IVRangeSliderControl::OnMouseOut()
{
  mMouseOverHandle = -1;
  mMouseOverTrack = -1;
  IControl::OnMouseOut();
  SetDirty(false);
}

void IVRangeSliderControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  mMouseIsDown = true;
  OnMouseDrag(x, y, 0.f, 0.f, mod);
}

void IVRangeSliderControl::OnMouseUp(float x, float y, const IMouseMod& mod)
{
  mMouseIsDown = false;
}

void IVRangeSliderControl::OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod)
{
  const int h = mMouseOverHandle;
  if (h < 0 || h >= NVals())
    return;
  const double lo = h == 0 ? 0.0 : GetValue(h - 1);
  // Out-of-order neighbours would cross the limits; the drag then stays at
  // the lower one.
  const double hi = std::max(lo, h == NVals() - 1 ? 1.0 : GetValue(h + 1));
  SnapToMouse(x, y, mDirection, mWidgetBounds, h, lo, hi);
}

} // namespace plugkit::gfx
