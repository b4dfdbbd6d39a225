#pragma once

#include "graphics/IControlBehaviours.h"
#include "graphics/IVectorBase.h"

namespace plugkit::gfx {

// A rotary knob drawn as an ellipse with a value arc and a pointer. Angles
// are in degrees, 0 pointing up and growing clockwise; the arc runs between
// the anchor angle and the value's angle. A click in the value area asks the
// user to type the value, when the value is editable (the prompt enabled);
// otherwise the value area is neither hit nor prompted.
//
// Defaults: -135 to 135 degrees anchored at -135 (the arc grows from the
// minimum), dragged vertically with gearing 4, a track of 2 points, the value
// not editable and drawn below the knob.
class IVKnobControl : public IKnobControlBase, public IVectorBase
{
public:
  IVKnobControl(const IRECT& bounds, int paramIdx, const char* label = "", const IVStyle& style = kDefaultStyle,
    bool valueIsEditable = false, bool valueInWidget = false, float a1 = -135.f, float a2 = 135.f,
    float aAnchor = -135.f, EDirection direction = kVertical, double gearing = 4.0, float trackSize = 2.f);
  IVKnobControl(const IRECT& bounds, IActionFunction action, const char* label = "",
    const IVStyle& style = kDefaultStyle, bool valueIsEditable = false, bool valueInWidget = false,
    float a1 = -135.f, float a2 = 135.f, float aAnchor = -135.f, EDirection direction = kVertical,
    double gearing = 4.0, float trackSize = 2.f);

  void Draw(IGfx& g) override;
  void OnResize() override;
  void OnInit() override;
  bool IsHit(float x, float y) const override;
  void SetDirty(bool triggerAction = true, int valIdx = -1) override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;

  // A rectangle of the widget's shorter side by half of it, so a drag feels
  // the same whatever the knob's proportions.
  IRECT GetKnobDragBounds() override;
  void DrawWidget(IGfx& g) override;
  virtual void DrawIndicatorTrack(IGfx& g, float angle, float cx, float cy, float radius);
  virtual void DrawPointer(IGfx& g, float angle, float cx, float cy, float radius);

protected:
  // What both constructors do after the bases.
  void Configure(const char* label, bool valueIsEditable, float trackSize);

  float mTrackToHandleDistance = 4.f;
  float mInnerPointerFrac = 0.1f;
  float mOuterPointerFrac = 1.f;
  float mPointerThickness = 2.5f;
  float mAngle1, mAngle2;
  float mAnchorAngle;
  bool mValueMouseOver = false;
};

} // namespace plugkit::gfx
