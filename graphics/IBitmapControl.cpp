#include "graphics/IBitmapControl.h"

#include <algorithm>

#include "graphics/IGfx.h"

namespace plugkit::gfx {

int IBitmapBase::FrameForValue(double value) const
{
  const int n = mBitmap.N();
  if (n < 2)
    return 1;
  const int frame = 1 + static_cast<int>(value * (n - 1) + 0.5);
  return std::clamp(frame, 1, n);
}

void IBitmapBase::DrawBitmap(IGfx& g)
{
  if (!mControl || !mBitmap.IsValid())
    return;
  const int frame = FrameForValue(mControl->GetValue());
  const IRECT dest = mControl->GetRECT().GetCentredInside(static_cast<float>(mBitmap.FW()),
    static_cast<float>(mBitmap.FH()));
  const int srcX = mBitmap.GetFramesAreHorizontal() ? (frame - 1) * mBitmap.FW() : 0;
  const int srcY = mBitmap.GetFramesAreHorizontal() ? 0 : (frame - 1) * mBitmap.FH();
  g.DrawBitmap(mBitmap, dest, srcX, srcY, &mControl->GetBlend());
}

IBitmapControl::IBitmapControl(float x, float y, const IBitmap& bitmap, int paramIdx, EBlend blend)
  : IControl(IRECT(x, y, x + static_cast<float>(bitmap.FW()), y + static_cast<float>(bitmap.FH())), paramIdx),
    IBitmapBase(bitmap)
{
  AttachIControl(this);
  mBlend = IBlend(blend, 1.f);
}

void IBitmapControl::OnRescale()
{
  if (!GetUI() || !mBitmap.IsValid())
    return;
  mBitmap = GetUI()->LoadBitmap(mBitmap.GetResourceName(), mBitmap.N(), mBitmap.GetFramesAreHorizontal());
}

} // namespace plugkit::gfx
