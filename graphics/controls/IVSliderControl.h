#pragma once

#include "graphics/IControlBehaviours.h"
#include "graphics/IVectorBase.h"

namespace plugkit::gfx {

// A linear slider: a track 2 x track size thick, filled from its start up
// to the value, and a handle (a square of twice the handle size) centred on
// the value. A click in the value area asks the user to type the value,
// when the value is editable.
//
// Defaults: vertical, gearing 4, a handle of 8 (16 points across) outside
// the track's ends, a track of 2, the value not editable.
class IVSliderControl : public ISliderControlBase, public IVectorBase
{
public:
  IVSliderControl(const IRECT& bounds, int paramIdx, const char* label = "", const IVStyle& style = kDefaultStyle,
    bool valueIsEditable = false, EDirection dir = kVertical, bool handleInsideTrack = false,
    double gearing = 4.0, float handleSize = 8.f, float trackSize = 2.f);
  IVSliderControl(const IRECT& bounds, IActionFunction action, const char* label = "",
    const IVStyle& style = kDefaultStyle, bool valueIsEditable = false, EDirection dir = kVertical,
    bool handleInsideTrack = false, double gearing = 4.0, float handleSize = 8.f, float trackSize = 2.f);

  void Draw(IGfx& g) override;
  void OnResize() override;
  void OnInit() override;
  bool IsHit(float x, float y) const override;
  void SetDirty(bool triggerAction = true, int valIdx = -1) override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;

  void DrawWidget(IGfx& g) override;
  // filled: the part of the track from its start to the value.
  virtual void DrawTrack(IGfx& g, const IRECT& filled);
  virtual void DrawHandle(IGfx& g, const IRECT& bounds);

protected:
  // What both constructors do after the bases.
  void Configure(const char* label, bool valueIsEditable, float trackSize);

  bool mHandleInsideTrack;
  bool mValueMouseOver = false;
};

} // namespace plugkit::gfx
