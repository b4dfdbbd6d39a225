#pragma once

#include <initializer_list>

#include "graphics/IVectorBase.h"

namespace plugkit::gfx {

// Two values, x then y, set by dragging a round handle over the pad. The
// pointer is mapped over the whole control (values 0 to 1 from its left to
// its right and from its bottom to its top), and hidden, unlocked, while
// the drag lasts when the style hides the cursor.
//
// Defaults: two unlinked values and a handle radius of 10.
class IVXYPadControl : public IControl, public IVectorBase
{
public:
  IVXYPadControl(const IRECT& bounds, std::initializer_list<int> params = {-1, -1}, const char* label = "",
    const IVStyle& style = kDefaultStyle, float handleRadius = 10.f);

  void Draw(IGfx& g) override;
  void DrawWidget(IGfx& g) override;
  virtual void DrawHandle(IGfx& g, const IRECT& trackBounds, const IRECT& handleBounds);
  virtual void DrawTrack(IGfx& g);
  void OnResize() override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;

  // True (the default): the handle's centre reaches the widget's edges and
  // the handle is clipped to the widget. False: the centre stays one
  // radius inside.
  void SetTrackClipsHandle(bool clips) { mTrackClipsHandle = clips; }

protected:
  float mHandleRadius;
  bool mMouseDown = false;
  bool mTrackClipsHandle = true;
};

} // namespace plugkit::gfx
