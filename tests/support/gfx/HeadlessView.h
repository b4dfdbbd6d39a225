#pragma once

#include "graphics/IGfx.h"

namespace gfxtest {

using namespace plugkit::gfx;

// The editor view without a window: its display tick and its event rules,
// driving a graphics context as the platform view does.
class HeadlessView
{
public:
  explicit HeadlessView(IGfx& g) : mGfx(g) {}

  // One display tick: the dirty areas are collected, the controls made
  // clean and those areas drawn. Returns whether anything was drawn.
  bool Tick();
  // The areas of the last tick.
  const IRECTList& Dirty() const { return mDirty; }

  // A press with its click count: odd counts are mouse-downs, even ones
  // double clicks.
  void Press(float x, float y, const IMouseMod& mod, int clickCount = 1);
  void Drag(float x, float y, float dX, float dY, const IMouseMod& mod);
  void Release(float x, float y, const IMouseMod& mod);

private:
  IGfx& mGfx;
  IRECTList mDirty;
};

} // namespace gfxtest
