// The simplest members of the product's bitmap controls (the "KV" family):
// a picture that only shows its value, an invisible binding of a parameter,
// and the update icon.
//
// All of them are made by the layout, owned by the graphics context and used
// on the main thread only. A control made from a bitmap and a position gets
// the rectangle of one frame at that position; an invalid bitmap gives an
// empty rectangle and draws nothing.
#pragma once

#include "graphics/IBitmapControl.h"
#include "graphics/IControl.h"

namespace tolvane3 {

using plugkit::gfx::IBitmap;
using plugkit::gfx::IGfx;
using plugkit::gfx::IMouseMod;
using plugkit::gfx::IRECT;

// The rectangle of one frame of the bitmap with its top-left corner at (x, y).
IRECT FrameRect(float x, float y, const IBitmap& bitmap);
// One frame of the bitmap centred on the control's rectangle.
IRECT CentredFrame(const plugkit::gfx::IControl& control, const IBitmap& bitmap);
// Draws frame (1-based) of the bitmap centred on the control's rectangle.
void DrawCentredFrame(IGfx& g, const plugkit::gfx::IControl& control, const IBitmap& bitmap, int frame);

// A picture without a parameter: the background, and the base of the scope.
// The mouse does nothing to it.
class IBBitmapControlKV : public plugkit::gfx::IControl, public plugkit::gfx::IBitmapBase
{
public:
  IBBitmapControlKV(float x, float y, const IBitmap& bitmap);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override {}
  void OnMouseUp(float x, float y, const IMouseMod& mod) override {}
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override {}
  void OnMouseDblClick(float x, float y, const IMouseMod& mod) override {}
  void OnMouseWheel(float x, float y, const IMouseMod& mod, float d) override {}
  void Draw(IGfx& g) override { DrawBitmap(g); }
};

// A parameter the editor has no visible control for: bound so that it takes
// part in the editor's parameter traffic. Empty, so never hit or drawn.
class IVParameterControlHiddenKV : public plugkit::gfx::IControl
{
public:
  explicit IVParameterControlHiddenKV(int paramIdx) : IControl(IRECT(), paramIdx) {}
  void Draw(IGfx& g) override {}
};

// The update icon: frame 2 while its value says that an update is there;
// a click sends its message tag (the check for an update). Its tool tip
// follows its value at every redraw.
class IBUpdateControlKV : public plugkit::gfx::IControl, public plugkit::gfx::IBitmapBase
{
public:
  IBUpdateControlKV(float x, float y, const IBitmap& bitmap, int msgTag);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override {}
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override {}
  void OnMouseDblClick(float x, float y, const IMouseMod& mod) override {}
  void OnMouseWheel(float x, float y, const IMouseMod& mod, float d) override {}
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;
  void Draw(IGfx& g) override;

private:
  int mMsgTag;
  bool mHover = false;
};

// Sends a GUI command to the plug-in as the editor does: the tag through
// the parameter-change road, from the user interface, at no sample offset.
void SendCommand(const plugkit::gfx::IControl& control, int tag);

} // namespace tolvane3
