// The product's switches: an on/off film-strip switch, a momentary button
// and a strip of three radio buttons bound to one parameter. Main thread
// only; owned by the graphics context.
#pragma once

#include <array>

#include "editor/KVBitmapControls.h"
#include "graphics/controls/IBControls.h"

namespace tolvane3 {

using plugkit::gfx::IColor;

// A switch that steps through its frames on each click (wrapping to the
// first) and keeps the modifiers of the click that holds it. A hidden one
// (visible flag off) draws nothing; with the hover highlight on, a faint
// rounded square lights up under the pointer.
class IBSwitchControlKV : public plugkit::gfx::IBSwitchControl
{
public:
  IBSwitchControlKV(float x, float y, const IBitmap& bitmap, int paramIdx);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;
  void Draw(IGfx& g) override;

  void SetVisible(bool visible) { mVisible = visible; }
  void SetHoverHighlight(bool on) { mHoverHighlight = on; }

protected:
  IMouseMod mMod;
  bool mVisible = true;
  bool mHoverHighlight = false;
  bool mHover = false;
  IColor mHighlightColour{16, 255, 255, 255};
};

// A momentary button: value 1 while pressed, 0 once released, both sent,
// so the plug-in sees the press and the release.
class IBPushControlKV : public plugkit::gfx::IBSwitchControl
{
public:
  IBPushControlKV(float x, float y, const IBitmap& bitmap, int paramIdx);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override {}
  void OnMouseDblClick(float x, float y, const IMouseMod& mod) override {}
  void OnMouseWheel(float x, float y, const IMouseMod& mod, float d) override {}

private:
  IMouseMod mMod;
  bool mPressed = false;
};

// Three buttons in three rectangles for the values 0, 1 and 2 of one
// parameter. A click on a button sends its value, even when it is already
// the current one. In toggle mode the buttons stand for 1, 2 and 3, and a
// click on the lit one turns the strip off (0).
class IBRadioButtonsControl3 : public plugkit::gfx::IControl
{
public:
  IBRadioButtonsControl3(const IRECT& bounds, int paramIdx, const std::array<IRECT, 3>& buttons,
    const std::array<IBitmap, 3>& bitmaps, bool toggle = false);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseDblClick(float x, float y, const IMouseMod& mod) override { OnMouseDown(x, y, mod); }
  void Draw(IGfx& g) override;

private:
  std::array<IRECT, 3> mButtons;
  std::array<IBitmap, 3> mBitmaps;
  int mCount = 3;
  bool mToggle;
  IMouseMod mMod;
};

// The union of the rectangles of three bitmaps placed at their points.
IRECT UnionOfFrames(const std::array<IRECT, 3>& frames);

} // namespace tolvane3
