#include "graphics/controls/IVButtonControl.h"

namespace plugkit::gfx {

IVButtonControl::IVButtonControl(const IRECT& bounds, IActionFunction action, const char* label,
  const IVStyle& style, bool labelInButton, bool valueInButton, EVectorShape shape)
  : IButtonControlBase(bounds, std::move(action)), IVectorBase(style, labelInButton, valueInButton)
{
  AttachIControl(this, label);
  mShape = shape;
}

void IVButtonControl::Draw(IGfx& g)
{
  // The label goes over the button, so after it.
  DrawBackground(g, mBounds);
  DrawWidget(g);
  DrawLabel(g);
  DrawValue(g, false);
}

void IVButtonControl::DrawWidget(IGfx& g)
{
  DrawPressableShape(g, mShape, mWidgetBounds, GetValue() != 0.0, mMouseIsOver, mDisabled);
}

void IVButtonControl::OnResize()
{
  LayOutControl(true);
  SetDirty(false);
}

} // namespace plugkit::gfx
