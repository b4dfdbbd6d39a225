// The editor's resize corner drawn from a two-frame bitmap (frame 2 while
// hovered or dragged). It tells the plug-in about its work through message
// tags: size changed, size reset, scale changed, scale reset (-1: unused).
// Which of the two it does follows from the tags: all four set, Control
// chooses scale and otherwise size; only the size tags, size; only the
// scale tags, scale; anything else, it only drags.
//
// A special control of the graphics context, which owns it. Main thread.
#pragma once

#include "editor/KVBitmapControls.h"
#include "graphics/ICornerResizerControl.h"

namespace tolvane3 {

class IBCornerResizerControlKV : public plugkit::gfx::ICornerResizerControl, public plugkit::gfx::IBitmapBase
{
public:
  IBCornerResizerControlKV(const IBitmap& bitmap, int sizeChangedTag, int sizeResetTag, int scaleChangedTag,
    int scaleResetTag, const IRECT& graphicsBounds, float offsetX, float offsetY);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseDblClick(float x, float y, const IMouseMod& mod) override;
  void OnRescale() override;
  void OnResize() override;
  void Draw(IGfx& g) override;

  // 0 both, 1 size only, 2 scale only, -1 neither.
  int Mode() const { return mMode; }

private:
  int mSizeChangedTag, mSizeResetTag, mScaleChangedTag, mScaleResetTag;
  int mMode;
  float mOffsetX, mOffsetY;
};

} // namespace tolvane3
