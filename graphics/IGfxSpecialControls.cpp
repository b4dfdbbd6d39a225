#include "graphics/IBubbleControl.h"
#include "graphics/ICornerResizerControl.h"
#include "graphics/IFPSDisplayControl.h"
#include "graphics/IGfx.h"
#include "graphics/controls/IPopupMenuControl.h"
#include "graphics/controls/ITextEntryControl.h"

namespace plugkit::gfx {

void IGfx::AttachCornerResizer(ICornerResizerControl* pControl, EUIResizerMode mode, bool layoutOnResize)
{
  if (!pControl)
    return;
  if (mCornerResizer)
  {
    delete pControl;
    return;
  }
  mCornerResizer.reset(pControl);
  mGUISizeMode = mode;
  mLayoutOnResize = layoutOnResize;
  PrepareControl(pControl);
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
  if (!pControl)
    return;
  if (mPopupControl)
  {
    delete pControl;
    return;
  }
  mPopupControl.reset(pControl);
  PrepareControl(pControl);
}

void IGfx::AttachTextEntryControl(ITextEntryControl* pControl)
{
  if (!pControl)
    return;
  if (mTextEntryControl)
  {
    delete pControl;
    return;
  }
  mTextEntryControl.reset(pControl);
  PrepareControl(pControl);
}

void IGfx::AttachFPSDisplayControl(IFPSDisplayControl* pControl)
{
  if (!pControl)
    return;
  if (mPerfDisplay)
  {
    delete pControl;
    return;
  }
  mPerfDisplay.reset(pControl);
  PrepareControl(pControl);
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
