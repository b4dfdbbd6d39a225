#include "graphics/ICornerResizerControl.h"

#include "graphics/IGfx.h"

namespace plugkit::gfx {

void ICornerResizerControl::OnRescale()
{
  IGfx* ui = GetUI();
  if (!ui || !(ui->GetDrawScale() > 0.f))
    return;
  // The square keeps its size on screen whatever the zoom.
  const float s = mSize / ui->GetDrawScale();
  const float w = static_cast<float>(ui->Width()), h = static_cast<float>(ui->Height());
  mBounds = mTargetBounds = IRECT(w - s, h - s, w, h);
  mMouseOver = false;
  OnResize();
}

void ICornerResizerControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  if (GetUI())
    GetUI()->StartResizeGesture();
}

void ICornerResizerControl::OnMouseDblClick(float x, float y, const IMouseMod& mod)
{
  if (GetUI())
    GetUI()->Resize(static_cast<int>(mInitialGraphicsBounds.W()), static_cast<int>(mInitialGraphicsBounds.H()), 1.f);
}

void ICornerResizerControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  if (!mMouseOver && GetUI())
  {
    mPrevCursorType = GetUI()->SetMouseCursor(kSizeNWSECursor);
    mMouseOver = true;
  }
  IControl::OnMouseOver(x, y, mod);
}

void ICornerResizerControl::OnMouseOut()
{
  if (mMouseOver && GetUI())
    GetUI()->SetMouseCursor(static_cast<ECursor>(mPrevCursorType));
  mMouseOver = false;
  IControl::OnMouseOut();
}

void ICornerResizerControl::Draw(IGfx& g)
{
  const IColor& color = g.IsResizing() ? mDragColor : mMouseOver ? mMouseOverColor : mColor;
  g.FillTriangle(color, mBounds.L, mBounds.B, mBounds.R, mBounds.T, mBounds.R, mBounds.B);
}

} // namespace plugkit::gfx
