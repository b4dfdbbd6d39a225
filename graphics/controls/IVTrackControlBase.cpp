#include "graphics/controls/IVTrackControlBase.h"

#include <algorithm>

#include "graphics/IGfx.h"

namespace plugkit::gfx {

IVTrackControlBase::IVTrackControlBase(const IRECT& bounds, const char* label, const IVStyle& style,
  std::initializer_list<int> params, int nSteps, EDirection dir, std::initializer_list<const char*> trackNames)
  : IControl(bounds, params), IVectorBase(style, false, false), mDirection(dir), mNSteps(nSteps)
{
  AttachIControl(this);
  SetLabelStr(label);
  for (const char* name : trackNames)
    mTrackNames.Add(new PK_String(name ? name : ""));
  if (IRECT* rects = mTrackRects.Resize(NVals()))
    std::fill(rects, rects + NVals(), IRECT());
}

IVTrackControlBase::~IVTrackControlBase()
{
  mTrackNames.Empty(true);
}

IRECT IVTrackControlBase::Normalised(const IRECT& r)
{
  return IRECT(std::min(r.L, r.R), std::min(r.T, r.B), std::max(r.L, r.R), std::max(r.T, r.B));
}

void IVTrackControlBase::OnResize()
{
  LayOutControl(false);
  MakeTrackRects(mWidgetBounds);
  MakeStepRects(mWidgetBounds, mNSteps);
  SetDirty(false);
}

void IVTrackControlBase::MakeTrackRects(IRECT& b)
{
  const int n = std::min(NVals(), mTrackRects.GetSize());
  const float p = mTrackPadding;
  IRECT* rects = mTrackRects.Get();
  for (int i = 0; i < n; ++i)
  {
    if (mDirection == kHorizontal)
    {
      const float h = b.H() / static_cast<float>(n);
      rects[i] = IRECT(b.L, b.T + i * h + p, b.R, b.T + (i + 1) * h - p);
    }
    else
    {
      const float w = b.W() / static_cast<float>(n);
      rects[i] = IRECT(b.L + i * w, b.T, b.L + (i + 1) * w - p, b.B - p);
    }
  }
}

void IVTrackControlBase::MakeStepRects(IRECT& b, int nSteps)
{
  if (nSteps <= 0)
  {
    mStepBounds.Resize(0);
    return;
  }
  const int total = mZeroValueStepHasBounds ? nSteps + 1 : nSteps;
  IRECT* cells = mStepBounds.Resize(total);
  if (!cells || mStepBounds.GetSize() != total)
    return;
  for (int j = 0; j < total; ++j)
  {
    const int k = total - 1 - j;
    if (mDirection == kHorizontal)
    {
      const float w = b.W() / static_cast<float>(total);
      cells[j] = IRECT(b.L + k * w, b.T, b.L + (k + 1) * w, b.B);
    }
    else
    {
      const float h = b.H() / static_cast<float>(total);
      cells[j] = IRECT(b.L, b.T + k * h, b.R, b.T + (k + 1) * h);
    }
  }
}

void IVTrackControlBase::DrawWidget(IGfx& g)
{
  const int n = std::min(NVals(), mTrackRects.GetSize());
  for (int i = 0; i < n; ++i)
    DrawTrack(g, mTrackRects.Get()[i], i);
}

void IVTrackControlBase::DrawBackground(IGfx& g, const IRECT& r)
{
  g.FillRect(GetColor(kBackground), r, &mBlend);
  if (mBaseValue > 0.0)
  {
    const float base = static_cast<float>(std::clamp(mBaseValue, 0.0, 1.0));
    if (mDirection == kHorizontal)
      g.DrawVerticalLine(GetColor(kShadow), r, base);
    else
      g.DrawHorizontalLine(GetColor(kShadow), r, base);
  }
}

void IVTrackControlBase::DrawTrack(IGfx& g, const IRECT& r, int chIdx)
{
  DrawTrackBackground(g, r, chIdx);
  if (mTrackNames.GetSize())
    DrawTrackName(g, r, chIdx);

  const double value = GetValue(chIdx);
  const double base = mBaseValue;
  const float lo = static_cast<float>(base > 0.0 ? std::min(base, value) : 0.0);
  const float hi = static_cast<float>(base > 0.0 ? std::max(base, value) : value);
  IRECT fill = mDirection == kVertical ? IRECT(r.L, r.B - r.H() * hi, r.R, r.B - r.H() * lo)
                                       : IRECT(r.L + r.W() * lo, r.T, r.L + r.W() * hi, r.B);
  const bool aboveBase = value > base;

  if (mStepBounds.GetSize() > 0)
  {
    const IRECT* cells = mStepBounds.Get();
    if (!(base > 0.0) && value == 0.0 && mZeroValueStepHasBounds && mDirection == kVertical)
      fill.T = cells[0].T;
    for (int j = 0; j < mStepBounds.GetSize(); ++j)
    {
      const IRECT& c = cells[j];
      if (fill.R >= c.L && fill.R <= c.R && fill.T >= c.T && fill.T <= c.B)
      {
        if (mDirection == kHorizontal)
        {
          fill.L = c.L;
          fill.R = c.R;
        }
        else
        {
          fill.T = c.T;
          fill.B = c.B;
        }
        break;
      }
    }
    if (mZeroValueStepHasBounds || value > 0.0)
      DrawTrackHandle(g, Normalised(fill), chIdx, aboveBase);
  }
  else
  {
    DrawTrackHandle(g, Normalised(fill), chIdx, aboveBase);
    const float s = mPeakSize;
    IRECT peak;
    if (mDirection == kVertical)
      peak = value >= base ? IRECT(fill.L, fill.T, fill.R, fill.T + s) : IRECT(fill.L, fill.B, fill.R, fill.B - s);
    else
      peak = value >= base ? IRECT(fill.R - s, fill.T, fill.R, fill.B) : IRECT(fill.L + s, fill.T, fill.L, fill.B);
    DrawPeak(g, Normalised(peak), chIdx, aboveBase);
  }

  if (mStyle.drawFrame && mDrawTrackFrame)
    g.DrawRect(GetColor(kFrame), r, &mBlend, mStyle.frameThickness);
}

void IVTrackControlBase::DrawTrackBackground(IGfx& g, const IRECT& r, int chIdx)
{
  g.FillRect(chIdx == mHighlightedTrack ? GetColor(kHighlight) : kColorTransparent, r);
}

void IVTrackControlBase::DrawTrackName(IGfx& g, const IRECT& r, int chIdx)
{
  const PK_String* name = mTrackNames.Get(chIdx);
  g.DrawText(mText, name ? name->Get() : "", r);
}

void IVTrackControlBase::DrawTrackHandle(IGfx& g, const IRECT& r, int chIdx, bool aboveBase)
{
  g.FillRect(chIdx == mHighlightedTrack ? GetColor(kExtra1) : GetColor(kForeground), r, &mBlend);
  if (chIdx == mMouseOverTrack)
    g.FillRect(GetColor(kHighlight), r, &mBlend);
}

void IVTrackControlBase::DrawPeak(IGfx& g, const IRECT& r, int chIdx, bool aboveBase)
{
  g.FillRect(GetColor(kFrame), r, &mBlend);
}

int IVTrackControlBase::GetValIdxForPos(float x, float y) const
{
  const int n = std::min(NVals(), mTrackRects.GetSize());
  for (int i = 0; i < n; ++i)
    if (mTrackRects.Get()[i].Contains(x, y))
      return i;
  return -1;
}

void IVTrackControlBase::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  mMouseOverTrack = GetValIdxForPos(x, y);
  IControl::OnMouseOver(x, y, mod);
  SetDirty(false);
}

void IVTrackControlBase::OnMouseOut()
{
  mMouseOverTrack = -1;
  IControl::OnMouseOut();
  SetDirty(false);
}

} // namespace plugkit::gfx
