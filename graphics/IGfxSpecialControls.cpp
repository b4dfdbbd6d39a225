#include "graphics/IBubbleControl.h"
#include "graphics/ICornerResizerControl.h"
#include "graphics/IFPSDisplayControl.h"
#include "graphics/IGfx.h"
#include "graphics/controls/IPopupMenuControl.h"
#include "graphics/controls/ITextEntryControl.h"

namespace plugkit::gfx {

namespace {

// Installs the control in an empty slot; a slot already taken keeps its
// control and the new one is destroyed. True when installed.
template <class T, class Prepare>
bool FillSlot(std::unique_ptr<T>& slot, T* pControl, Prepare prepare)
{
  if (!pControl)
    return false;
  if (slot)
  {
    delete pControl;
    return false;
  }
  slot.reset(pControl);
  prepare(pControl);
  return true;
}

} // namespace

void IGfx::AttachCornerResizer(ICornerResizerControl* pControl, EUIResizerMode mode, bool layoutOnResize)
{
  // The modes belong to the resizer: a refused one changes nothing.
  if (FillSlot(mCornerResizer, pControl, [this](IControl* c) { PrepareControl(c); }))
  {
    mGUISizeMode = mode;
    mLayoutOnResize = layoutOnResize;
  }
}

void IGfx::AttachBubbleControl(IBubbleControl* pControl)
{
  if (!pControl)
    return;
  if (!mBubbleControls.Add(pControl))
  {
    delete pControl; // out of memory: taken, so not leaked
    return;
  }
  PrepareControl(pControl);
}

void IGfx::AttachPopupMenuControl(IPopupMenuControl* pControl)
{
  FillSlot(mPopupControl, pControl, [this](IControl* c) { PrepareControl(c); });
}

void IGfx::AttachTextEntryControl(ITextEntryControl* pControl)
{
  FillSlot(mTextEntryControl, pControl, [this](IControl* c) { PrepareControl(c); });
}

void IGfx::AttachFPSDisplayControl(IFPSDisplayControl* pControl)
{
  FillSlot(mPerfDisplay, pControl, [this](IControl* c) { PrepareControl(c); });
}

void IGfx::RemovePopupMenuControl()
{
  DetachFromEventState(mPopupControl.get());
  mPopupControl.reset();
}

void IGfx::RemoveTextEntryControl()
{
  DetachFromEventState(mTextEntryControl.get());
  mTextEntryControl.reset();
}

void IGfx::ShowFPSDisplay(bool enable)
{
  if (enable)
  {
    if (!mPerfDisplay)
      AttachFPSDisplayControl(new IFPSDisplayControl(IRECT(10, 10, 210, 60), IFPSDisplayControl::kFPS, "Frame Time"));
  }
  else if (mPerfDisplay)
  {
    DetachFromEventState(mPerfDisplay.get());
    mPerfDisplay.reset();
  }
  SetAllControlsDirty();
}

} // namespace plugkit::gfx
