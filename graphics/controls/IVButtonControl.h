#pragma once

#include "graphics/IControlBehaviours.h"
#include "graphics/IVectorBase.h"

namespace plugkit::gfx {

// A momentary push button drawn as a pressable shape: a click runs the
// action, and the value falls back to 0 when the action's animation ends.
// Label and value are drawn over the button when so asked.
//
// Defaults: the click splash as action, no label, the default style, label
// and value in the button, a rectangle.
class IVButtonControl : public IButtonControlBase, public IVectorBase
{
public:
  IVButtonControl(const IRECT& bounds, IActionFunction action = SplashClickActionFunc, const char* label = "",
    const IVStyle& style = kDefaultStyle, bool labelInButton = true, bool valueInButton = true,
    EVectorShape shape = kRectangle);

  void Draw(IGfx& g) override;
  void DrawWidget(IGfx& g) override;
  void OnResize() override;
  bool IsHit(float x, float y) const override { return mWidgetBounds.Contains(x, y); }
};

} // namespace plugkit::gfx
