// The product's film-strip knob with a value read-out: the box with the
// parameter's display text appears over the knob while the pointer is on
// it; a drag moves the value (ten times finer with Shift, not at all with
// Control), Control-click sets the default, the wheel steps by 0.01 (0.1
// with Control, 0.001 with Shift; one step for a stepped parameter) and a
// double click opens a typed entry over the value box.
//
// The value text style is also the control's text style, so a typed entry
// opens in the read-out's font, size and alignment. Main thread only;
// owned by the graphics context.
#pragma once

#include "editor/KVBitmapControls.h"
#include "graphics/controls/IBControls.h"

namespace tolvane3 {

using plugkit::gfx::IColor;
using plugkit::gfx::IText;

class IBKnobMultiControlKV : public plugkit::gfx::IBKnobControl
{
public:
  // Placement of the value box: 0 top, 1 middle, 2 bottom of the knob.
  // direction 2 is vertical with the sense reversed (down increases).
  IBKnobMultiControlKV(float x, float y, int paramIdx, const IBitmap& bitmap, const IText& valueText,
    const IColor& valueBackground, int digits, int direction, int disablePrompt, int showOnHover, int appendUnit,
    int placement, int alwaysShow, int fillBackground, int ignored, double gearing, float rightOffset);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseWheel(float x, float y, const IMouseMod& mod, float d) override;
  void OnMouseDblClick(float x, float y, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;
  void Draw(IGfx& g) override;

  // The box the read-out and a typed entry take.
  IRECT ValueTextRect() const;

private:
  IText mValueText;
  IColor mValueBackground;
  int mDigits;
  int mKnobDirection;
  bool mShowOnHover, mAppendUnit, mAlwaysShow, mFillBackground;
  int mPlacement;
  float mRightOffset;
  char mSample[16] = {};
  bool mHover = false;
  IMouseMod mMod;
};

} // namespace tolvane3
