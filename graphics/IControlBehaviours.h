#pragma once

#include <vector>

#include "graphics/IControl.h"

namespace plugkit::gfx {

// A momentary button: pressed, its value is 1 until its click animation
// ends.
class IButtonControlBase : public IControl
{
public:
  IButtonControlBase(const IRECT& bounds, IActionFunction action);
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnEndAnimation() override;
};

// A switch that steps through its states on every click, the last going
// back to the first.
class ISwitchControlBase : public IControl
{
public:
  ISwitchControlBase(const IRECT& bounds, int paramIdx = -1, IActionFunction action = nullptr, int numStates = 2);

  void OnInit() override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;

  void SetStateDisabled(int state, bool disabled);
  void SetAllStatesDisabled(bool disabled);
  bool GetStateDisabled(int state) const;
  int GetNumStates() const { return mNumStates; }
  int GetSelectedIdx() const { return static_cast<int>(0.5 + GetValue() * (mNumStates - 1)); }

protected:
  // Keeps one disabled flag per state; new states start enabled.
  void SetNumStates(int numStates);

  int mNumStates;
  std::vector<bool> mDisabledState;
  bool mMouseDown = false;
};

// A knob: dragged along its direction, one full sweep over the drag
// rectangle's extent times the gearing; shift or control gives a ten times
// finer adjustment.
class IKnobControlBase : public IControl
{
public:
  IKnobControlBase(const IRECT& bounds, int paramIdx = -1, EDirection direction = kVertical,
    double gearing = 4.0);
  IKnobControlBase(const IRECT& bounds, IActionFunction action, EDirection direction = kVertical,
    double gearing = 4.0);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseWheel(float x, float y, const IMouseMod& mod, float d) override;

  // The rectangle one full sweep takes at gearing 1.
  virtual IRECT GetKnobDragBounds() { return mTargetBounds; }

  void SetGearing(double gearing) { mGearing = gearing; }

protected:
  bool mHideCursorOnDrag = true;
  EDirection mDirection;
  double mGearing;
  bool mMouseDown = false;
  double mMouseDragValue = 0.0;
};

// A slider: a click jumps to the pointer (relative movement for stepped
// parameters), a drag follows it.
class ISliderControlBase : public IControl
{
public:
  ISliderControlBase(const IRECT& bounds, int paramIdx = -1, EDirection dir = kVertical, double gearing = 4.0,
    float handleSize = 0.f);
  ISliderControlBase(const IRECT& bounds, IActionFunction action, EDirection dir = kVertical,
    double gearing = 4.0, float handleSize = 0.f);

  void OnResize() override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseWheel(float x, float y, const IMouseMod& mod, float d) override;

  const IRECT& GetTrackBounds() const { return mTrackBounds; }

protected:
  bool LinkedToSteppedParam() const;

  bool mHideCursorOnDrag = true;
  EDirection mDirection;
  IRECT mTrackBounds;
  float mHandleSize;
  double mGearing;
  bool mMouseDown = false;
  double mMouseDragValue = 0.0;
};

// What knobs and sliders share: the relative drag over an extent, the
// wheel and the snapping of a stepped parameter's value to its step grid.
namespace dragvalue {
// The drag value after moving by delta over an extent (end - start); a
// zero extent leaves it as it is.
double Move(double value, float delta, float extent, double gearing);
// The normalised value snapped down to the step grid of the control's
// parameter, when it is stepped; else the value itself.
double QuantiseDown(const IControl& control, double normalised);
// The wheel's next value from the control's current one.
double Wheel(const IControl& control, const IMouseMod& mod, float d);
} // namespace dragvalue

} // namespace plugkit::gfx
