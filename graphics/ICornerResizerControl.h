#pragma once

#include "graphics/IControl.h"

namespace plugkit::gfx {

// The square in the editor's bottom-right corner that resizes or rescales
// the editor by dragging. The graphics context keeps at most one, outside
// its control list, and owns it.
class ICornerResizerControl : public IControl
{
public:
  // graphicsBounds: the editor's bounds when the resizer is made, restored
  // by a double click; size: the square's side in unscaled points.
  ICornerResizerControl(const IRECT& graphicsBounds, float size, const IColor& color = kColorTranslucent,
    const IColor& mouseOverColor = kColorBlack, const IColor& dragColor = kColorBlack)
    : IControl(IRECT(graphicsBounds.R - size, graphicsBounds.B - size, graphicsBounds.R, graphicsBounds.B))
    , mSize(size), mInitialGraphicsBounds(graphicsBounds), mColor(color), mMouseOverColor(mouseOverColor),
      mDragColor(dragColor)
  {
  }

  void Draw(IGfx& g) override;
  void OnRescale() override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  // Back to the size the editor had when the resizer was made, unzoomed.
  void OnMouseDblClick(float x, float y, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;

  float GetSize() const { return mSize; }
  const IRECT& GetInitialGraphicsBounds() const { return mInitialGraphicsBounds; }

protected:
  float mSize;
  bool mMouseOver = false;
  int mPrevCursorType = 0;
  IRECT mInitialGraphicsBounds;
  IColor mColor;
  IColor mMouseOverColor;
  IColor mDragColor;
};

} // namespace plugkit::gfx
