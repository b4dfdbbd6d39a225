#pragma once

#include "graphics/IControlBehaviours.h"
#include "graphics/IVectorBase.h"

namespace plugkit::gfx {

// A stepped switch drawn as a pressable shape: every click moves to the
// next state, the last going back to the first. Linked to a parameter it
// shows the parameter's display text as its value, and its name as the
// label when it was given none.
//
// Defaults: unlinked (or the click splash as action), no label, the default
// style; linked, two states until the parameter gives its own and the value
// below the widget; with an action, two states and the value in the widget.
class IVSwitchControl : public ISwitchControlBase, public IVectorBase
{
public:
  IVSwitchControl(const IRECT& bounds, int paramIdx = -1, const char* label = "",
    const IVStyle& style = kDefaultStyle, bool valueInButton = false);
  IVSwitchControl(const IRECT& bounds, IActionFunction action, const char* label = "",
    const IVStyle& style = kDefaultStyle, int numStates = 2, bool valueInButton = true);

  void Draw(IGfx& g) override;
  void DrawWidget(IGfx& g) override;
  void OnResize() override;
  void OnInit() override;
  void OnMouseOut() override;
  void SetDirty(bool triggerAction = true, int valIdx = -1) override;
  bool IsHit(float x, float y) const override { return mWidgetBounds.Contains(x, y); }

protected:
  // The parameter's display text (without its unit) as the value string;
  // nothing when unlinked.
  void UpdateValueStr();
};

// A two-state switch that shows an off or on text in its widget instead of
// the value.
//
// Defaults: unlinked (or the click splash as action), no label, the default
// style, "OFF" and "ON", starting off.
class IVToggleControl : public IVSwitchControl
{
public:
  IVToggleControl(const IRECT& bounds, int paramIdx = -1, const char* label = "",
    const IVStyle& style = kDefaultStyle, const char* offText = "OFF", const char* onText = "ON");
  IVToggleControl(const IRECT& bounds, IActionFunction action, const char* label = "",
    const IVStyle& style = kDefaultStyle, const char* offText = "OFF", const char* onText = "ON",
    bool initialState = false);

  void DrawWidget(IGfx& g) override;
  void DrawValue(IGfx& g, bool mouseOver) override;

protected:
  PK_String mOffText, mOnText;
};

} // namespace plugkit::gfx
