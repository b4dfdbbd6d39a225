#include "graphics/controls/IBControls.h"

#include "graphics/IGfx.h"

namespace plugkit::gfx {

namespace {

IRECT FrameAt(float x, float y, const IBitmap& bitmap)
{
  return IRECT(x, y, x + static_cast<float>(bitmap.FW()), y + static_cast<float>(bitmap.FH()));
}

IRECT FrameCentredIn(const IRECT& bounds, const IBitmap& bitmap)
{
  return bounds.GetCentredInside(static_cast<float>(bitmap.FW()), static_cast<float>(bitmap.FH()));
}

// The same resource at the context's current screen scale; an invalid
// bitmap stays invalid.
void ReloadForScale(const IControl& control, IBitmap& bitmap)
{
  if (IGfx* ui = control.GetUI(); ui && bitmap.IsValid())
    bitmap = ui->GetScaledBitmap(bitmap);
}

} // namespace

IBButtonControl::IBButtonControl(float x, float y, const IBitmap& bitmap, IActionFunction action)
  : IButtonControlBase(FrameAt(x, y, bitmap), std::move(action)), IBitmapBase(bitmap)
{
  AttachIControl(this);
}

IBButtonControl::IBButtonControl(const IRECT& bounds, const IBitmap& bitmap, IActionFunction action)
  : IButtonControlBase(FrameCentredIn(bounds, bitmap), std::move(action)), IBitmapBase(bitmap)
{
  AttachIControl(this);
}

void IBButtonControl::OnRescale() { ReloadForScale(*this, mBitmap); }

IBSwitchControl::IBSwitchControl(float x, float y, const IBitmap& bitmap, int paramIdx)
  : ISwitchControlBase(FrameAt(x, y, bitmap), paramIdx, nullptr, 2), IBitmapBase(bitmap)
{
  AttachIControl(this);
}

IBSwitchControl::IBSwitchControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx)
  : ISwitchControlBase(FrameCentredIn(bounds, bitmap), paramIdx, nullptr, 2), IBitmapBase(bitmap)
{
  AttachIControl(this);
}

void IBSwitchControl::OnRescale() { ReloadForScale(*this, mBitmap); }

void IBSwitchControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  const int n = mBitmap.N();
  const double step = n >= 2 ? 1.0 / (n - 1) : 1.0;
  SetValue(GetValue() + step);
  // The tolerance keeps the last frame reachable through rounding errors
  // of the repeated steps; one step past it wraps.
  if (GetValue() > 1.001)
    SetValue(0.0);
  SetDirty(true);
}

IBKnobControl::IBKnobControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx, EDirection direction,
  double gearing)
  : IKnobControlBase(FrameCentredIn(bounds, bitmap), paramIdx, direction, gearing), IBitmapBase(bitmap)
{
  AttachIControl(this);
}

void IBKnobControl::OnRescale() { ReloadForScale(*this, mBitmap); }

void IBKnobRotaterControl::Draw(IGfx& g)
{
  const float angle = static_cast<float>(GetValue() * 260.0 - 130.0);
  g.DrawRotatedBitmap(mBitmap, mBounds.MW(), mBounds.MH(), angle, &mBlend);
}

IBSliderControl::IBSliderControl(float x, float y, int trackLength, const IBitmap& handle, const IBitmap& track,
  int paramIdx, EDirection dir, double gearing)
  : ISliderControlBase(dir == kVertical
        ? IRECT(x, y, x + static_cast<float>(handle.W()), y + static_cast<float>(trackLength))
        : IRECT(x, y, x + static_cast<float>(trackLength), y + static_cast<float>(handle.H())),
      paramIdx, dir, gearing, static_cast<float>(dir == kVertical ? handle.H() : handle.W())),
    IBitmapBase(handle), mTrackBitmap(track)
{
  AttachIControl(this);
}

IBSliderControl::IBSliderControl(const IRECT& bounds, const IBitmap& handle, const IBitmap& track, int paramIdx,
  EDirection dir, double gearing)
  : ISliderControlBase(bounds, paramIdx, dir, gearing, static_cast<float>(dir == kVertical ? handle.H() : handle.W())),
    IBitmapBase(handle), mTrackBitmap(track)
{
  AttachIControl(this);
}

void IBSliderControl::OnResize()
{
  ISliderControlBase::OnResize();
  if (mTrackBitmap.IsValid())
    mTrackBounds = FrameCentredIn(mBounds, mTrackBitmap);
  else if (mDirection == kVertical)
  {
    const float half = 0.5f * static_cast<float>(mBitmap.W());
    mTrackBounds = IRECT(mBounds.MW() - half, mBounds.T, mBounds.MW() + half, mBounds.B);
  }
  else
  {
    const float half = 0.5f * static_cast<float>(mBitmap.H());
    mTrackBounds = IRECT(mBounds.L, mBounds.MH() - half, mBounds.R, mBounds.MH() + half);
  }
  SetDirty(false);
}

IRECT IBSliderControl::GetHandleBounds() const
{
  const IRECT& t = mTrackBounds;
  const double value = GetValue();
  float dx = 0.f, dy = 0.f;
  if (mDirection == kVertical)
    dy = static_cast<float>((t.H() - static_cast<float>(mBitmap.H())) * (1.0 - value));
  else
    dx = static_cast<float>((t.W() - static_cast<float>(mBitmap.W())) * value);
  return FrameAt(t.L + dx, t.T + dy, mBitmap);
}

void IBSliderControl::Draw(IGfx& g)
{
  if (mTrackBitmap.IsValid())
    g.DrawBitmapFrame(mTrackBitmap, FrameCentredIn(mBounds, mTrackBitmap), 1, &mBlend);
  g.DrawBitmapFrame(mBitmap, GetHandleBounds(), 1, &mBlend);
}

void IBSliderControl::OnRescale() { ReloadForScale(*this, mBitmap); }

IBTextControl::IBTextControl(const IRECT& bounds, const IBitmap& fontStrip, const IText& text, const char* str,
  int charWidth, int charHeight, int charOffset, bool multiLine, bool vCentre, EBlend blend)
  : ITextControl(bounds, str, text, kColorTransparent), IBitmapBase(fontStrip), mCharWidth(charWidth),
    mCharHeight(charHeight), mCharOffset(charOffset), mMultiLine(multiLine), mVCentre(vCentre)
{
  AttachIControl(this);
  mBlend = IBlend(blend, 1.f);
}

void IBTextControl::Draw(IGfx& g)
{
  g.DrawBitmapText(mBitmap, mBounds, mText, &mBlend, mStr.Get(), mVCentre, mMultiLine, mCharWidth, mCharHeight,
    mCharOffset);
}

void IBTextControl::OnRescale() { ReloadForScale(*this, mBitmap); }

} // namespace plugkit::gfx
