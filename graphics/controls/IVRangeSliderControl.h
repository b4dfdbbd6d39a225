#pragma once

#include "graphics/controls/IVTrackControlBase.h"

namespace plugkit::gfx {

// Two or more values on one shared track, each with a triangular handle;
// the span between neighbouring values is filled. A drag moves the handle
// that was under the pointer at the last mouse-over, and only between its
// neighbours' values, so handles never cross. Values the host set out of
// order pin the dragged handle to its lower neighbour.
//
// Defaults: two unlinked values, horizontal, handles of 8, a track of 2.
class IVRangeSliderControl : public IVTrackControlBase
{
public:
  IVRangeSliderControl(const IRECT& bounds, std::initializer_list<int> params = {-1, -1}, const char* label = "",
    const IVStyle& style = kDefaultStyle, EDirection dir = kHorizontal, float handleSize = 8.f,
    float trackSize = 2.f);

  void Draw(IGfx& g) override;
  void DrawWidget(IGfx& g) override;
  void DrawTrack(IGfx& g, const IRECT& r, int chIdx) override;
  void MakeTrackRects(IRECT& bounds) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;

  // Handle i: even ones below (horizontal) or left of (vertical) the track,
  // odd ones above or right of it.
  IRECT GetHandleBounds(int i) const;

protected:
  int mMouseOverHandle = -1;
  float mHandleSize;
  bool mMouseIsDown = false;
};

} // namespace plugkit::gfx
