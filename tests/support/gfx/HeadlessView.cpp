#include "tests/support/gfx/HeadlessView.h"

namespace gfxtest {

bool HeadlessView::Tick()
{
  mDirty.Clear();
  if (!mGfx.IsDirty(mDirty))
    return false;
  mGfx.SetAllControlsClean();
  mGfx.DrawDirtyRegions(mDirty);
  return true;
}

void HeadlessView::Press(float x, float y, const IMouseMod& mod, int clickCount)
{
  if (clickCount % 2 == 0)
    mGfx.OnMouseDblClick(x, y, mod);
  else
    mGfx.OnMouseDown({IMouseInfo{x, y, 0.f, 0.f, mod}});
}

void HeadlessView::Drag(float x, float y, float dX, float dY, const IMouseMod& mod)
{
  mGfx.OnMouseDrag({IMouseInfo{x, y, dX, dY, mod}});
}

void HeadlessView::Release(float x, float y, const IMouseMod& mod)
{
  mGfx.OnMouseUp({IMouseInfo{x, y, 0.f, 0.f, mod}});
}

} // namespace gfxtest
