#include "graphics/controls/IVXYPadControl.h"

#include <algorithm>

#include "graphics/IGfx.h"

namespace plugkit::gfx {

IVXYPadControl::IVXYPadControl(const IRECT& bounds, std::initializer_list<int> params, const char* label,
  const IVStyle& style, float handleRadius)
  : IControl(bounds, params), IVectorBase(style, false, false), mHandleRadius(handleRadius)
{
  AttachIControl(this);
  SetLabelStr(label);
  mShape = kEllipse;
}

void IVXYPadControl::Draw(IGfx& g)
{
  DrawBackground(g, mBounds);
  DrawLabel(g);
  if (mStyle.drawFrame)
    g.DrawRect(GetColor(kFrame), mWidgetBounds, &mBlend, mStyle.frameThickness);
  DrawWidget(g);
}

void IVXYPadControl::DrawWidget(IGfx& g)
{
  DrawTrack(g);
  const float r = mHandleRadius;
  const IRECT area = mTrackClipsHandle ? mWidgetBounds : mWidgetBounds.GetPadded(-r);
  const float x = area.L + area.W() * static_cast<float>(GetValue(0));
  const float y = area.B - area.H() * static_cast<float>(GetValue(1));
  DrawHandle(g, area, IRECT(x - r, y - r, x + r, y + r));
}

void IVXYPadControl::DrawTrack(IGfx& g)
{
  g.DrawVerticalLine(GetColor(kShadow), mWidgetBounds, 0.5f);
  g.DrawHorizontalLine(GetColor(kShadow), mWidgetBounds, 0.5f);
}

void IVXYPadControl::DrawHandle(IGfx& g, const IRECT& trackBounds, const IRECT& handleBounds)
{
  if (mTrackClipsHandle)
    g.PathClipRegion(trackBounds.GetPadded(-0.5f * mStyle.frameThickness));
  DrawPressableShape(g, mShape, handleBounds, mMouseDown, mMouseIsOver, mDisabled);
}

void IVXYPadControl::OnResize()
{
  LayOutControl(false);
  SetDirty(false);
}

void IVXYPadControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  mMouseDown = true;
  if (mStyle.hideCursor && GetUI())
    GetUI()->HideMouseCursor(true, false);
  OnMouseDrag(x, y, 0.f, 0.f, mod);
}

void IVXYPadControl::OnMouseUp(float x, float y, const IMouseMod& mod)
{
  if (mStyle.hideCursor && GetUI())
    GetUI()->HideMouseCursor(false, true);
  mMouseDown = false;
  SetDirty(true, -1);
}

void IVXYPadControl::OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod)
{
  const IRECT& b = mBounds;
  if (!(b.W() > 0.f) || !(b.H() > 0.f))
    return;
  x = std::clamp(x, b.L, b.R);
  y = std::clamp(y, b.T, b.B);
  SetValue((x - b.L) / b.W(), 0);
  SetValue(1.0 - (y - b.T) / b.H(), 1);
  SetDirty(true, -1);
}

} // namespace plugkit::gfx
