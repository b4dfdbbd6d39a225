#include "editor/IBCornerResizerControlKV.h"

#include "graphics/IGfx.h"

namespace tolvane3 {

using plugkit::gfx::kResizeModeScale;
using plugkit::gfx::kResizeModeSize;

namespace {

int ModeOf(int sizeChanged, int sizeReset, int scaleChanged, int scaleReset)
{
  const bool size = sizeChanged != -1 && sizeReset != -1;
  const bool scale = scaleChanged != -1 && scaleReset != -1;
  if (size && scale)
    return 0;
  if (size && scaleChanged == -1 && scaleReset == -1)
    return 1;
  if (scale && sizeChanged == -1 && sizeReset == -1)
    return 2;
  return -1;
}

} // namespace

IBCornerResizerControlKV::IBCornerResizerControlKV(const IBitmap& bitmap, int sizeChangedTag, int sizeResetTag,
  int scaleChangedTag, int scaleResetTag, const IRECT& graphicsBounds, float offsetX, float offsetY)
  : ICornerResizerControl(graphicsBounds, static_cast<float>(bitmap.W())), IBitmapBase(bitmap),
    mSizeChangedTag(sizeChangedTag), mSizeResetTag(sizeResetTag), mScaleChangedTag(scaleChangedTag),
    mScaleResetTag(scaleResetTag), mMode(ModeOf(sizeChangedTag, sizeResetTag, scaleChangedTag, scaleResetTag)),
    mOffsetX(offsetX), mOffsetY(offsetY)
{
  AttachIControl(this);
  const float s = mSize;
  mBounds = mTargetBounds = IRECT(graphicsBounds.R - s + 1.f, graphicsBounds.B - s + 1.f, graphicsBounds.R - 1.f,
    graphicsBounds.B - 1.f);
}

void IBCornerResizerControlKV::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  IGfx* ui = GetUI();
  if (!ui)
    return;
  if (mMode == 2 || (mMode == 0 && mod.C))
    ui->SetResizerMode(kResizeModeScale);
  else if (mMode == 1 || mMode == 0)
    ui->SetResizerMode(kResizeModeSize);
  ui->StartResizeGesture();
}

void IBCornerResizerControlKV::OnMouseDblClick(float x, float y, const IMouseMod& mod)
{
  IGfx* ui = GetUI();
  if (!ui || mMode < 0)
    return;
  const bool scale = mMode == 2 || (mMode == 0 && mod.C);
  ui->SetResizerMode(scale ? kResizeModeScale : kResizeModeSize);
  SendCommand(*this, scale ? mScaleResetTag : mSizeResetTag);
}

void IBCornerResizerControlKV::OnRescale()
{
  if (mMode < 0 || !GetUI())
    return;
  SendCommand(*this, GetUI()->GetResizerMode() == kResizeModeScale ? mScaleChangedTag : mSizeChangedTag);
}

void IBCornerResizerControlKV::OnResize()
{
  IGfx* ui = GetUI();
  if (!ui)
    return;
  const float w = static_cast<float>(ui->Width()), h = static_cast<float>(ui->Height());
  mBounds = mTargetBounds = IRECT(w - mSize, h - mSize, w, h);
}

void IBCornerResizerControlKV::Draw(IGfx& g)
{
  if (!mBitmap.IsValid())
    return;
  const IRECT r = mBounds.GetTranslated(mOffsetX, mOffsetY);
  g.DrawBitmapFrame(mBitmap, r, (GetMouseIsOver() || mMouseOver || g.IsResizing()) ? 2 : 1, &mBlend);
}

} // namespace tolvane3
