// A film-strip button that shows the value of a list parameter (one frame
// per entry) and opens the list as a menu when clicked; the choice sets the
// parameter. Main thread only; owned by the graphics context.
//
// Unlike the control base it allows prompts from the start: with prompts
// disabled a click would open no menu and a choice would be dropped.
#pragma once

#include "editor/KVBitmapControls.h"

namespace tolvane3 {

class IBPopupMenuKV : public plugkit::gfx::IControl, public plugkit::gfx::IBitmapBase
{
public:
  // wheel: the wheel steps through the entries (against its direction);
  // suppressDrawing: draws nothing; centredHover: draws frame 2 of a
  // centred frame while hovered instead of the value's frame.
  IBPopupMenuKV(float x, float y, int paramIdx, const IBitmap& bitmap, bool wheel = false,
    plugkit::gfx::IActionFunction action = nullptr, bool suppressDrawing = false, bool centredHover = false);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseWheel(float x, float y, const IMouseMod& mod, float d) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;
  void OnRescale() override;
  void Draw(IGfx& g) override;

private:
  bool mWheel;
  bool mSuppressDrawing;
  bool mCentredHover;
  bool mHover = false;
};

} // namespace tolvane3
