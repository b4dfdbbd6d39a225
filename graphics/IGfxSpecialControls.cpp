#include "graphics/IBackgroundControls.h"
#include "graphics/IBitmapControl.h"
#include "graphics/IBubbleControl.h"
#include "graphics/ICornerResizerControl.h"
#include "graphics/IFPSDisplayControl.h"
#include "graphics/IGfx.h"
#include "graphics/IVectorBase.h"
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

void IGfx::AttachPopupMenuControl(const IText& text, const IRECT& bounds)
{
  if (!mPopupControl)
    AttachPopupMenuControl(new IPopupMenuControl(-1, text, IRECT(), bounds));
}

void IGfx::AttachTextEntryControl()
{
  if (!mTextEntryControl)
    AttachTextEntryControl(new ITextEntryControl());
}

void IGfx::RemovePopupMenuControl()
{
  if (!mPopupControl)
    return;
  // Nothing would answer the caller once the menu is gone: it hears
  // "dismissed" now, and the host gesture of its prompt ends.
  mPopupControl->DismissMenu();
  DetachFromEventState(mPopupControl.get());
  mPopupControl.reset();
}

void IGfx::RemoveTextEntryControl()
{
  if (!mTextEntryControl)
    return;
  // An entry removed mid-edit is cancelled, so no caller stays waiting for
  // a text (and holding back every drag).
  if (mTextEntryControl->EditInProgress())
    mTextEntryControl->DismissEdit();
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

namespace {

// A background the list could not take is not leaked.
IControl* InstallBackground(IGfx& g, IControl* pControl)
{
  if (g.AttachBackgroundControl(pControl))
    return pControl;
  delete pControl;
  return nullptr;
}

} // namespace

IControl* IGfx::AttachBackground(const char* name)
{
  return InstallBackground(*this, new IBitmapControl(0.f, 0.f, LoadBitmap(name, 1)));
}

IControl* IGfx::AttachSVGBackground(const char* name)
{
  return InstallBackground(*this, new ISVGControl(GetBounds(), LoadSVG(name, "px", 72.f), true));
}

IControl* IGfx::AttachPanelBackground(const IPattern& pattern)
{
  auto* panel = new IPanelControl(GetBounds(), pattern);
  panel->SetIgnoreMouse(true);
  return InstallBackground(*this, panel);
}

void IGfx::AttachCornerResizer(EUIResizerMode mode, bool layoutOnResize, const IColor& color,
  const IColor& mouseOverColor, const IColor& dragColor, float size)
{
  if (mCornerResizer)
    return;
  const float s = size / mDrawScale;
  auto* resizer = new ICornerResizerControl(GetBounds(), size, color, mouseOverColor, dragColor);
  resizer->SetTargetAndDrawRECTs(IRECT(mWidth - s, mHeight - s, static_cast<float>(mWidth), static_cast<float>(mHeight)));
  resizer->SetDelegate(*mDelegate);
  resizer->SetGraphics(this);
  mCornerResizer.reset(resizer);
  mGUISizeMode = mode;
  mLayoutOnResize = layoutOnResize;
}

void IGfx::AttachBubbleControl(const IText& text)
{
  AttachBubbleControl(new IBubbleControl(text, kColorWhite, kColorBlack, 5.f));
}

void IGfx::ShowBubbleControl(IControl* pCaller, float x, float y, const char* str, EDirection dir,
  IRECT minimumContentBounds)
{
  const int n = NBubbles();
  if (n == 0 || !pCaller)
    return; // no bubble to show
  if (!mEnableMultiTouch)
  {
    GetBubbleControl(0)->ShowBubble(pCaller, x, y, str, dir, 0, minimumContentBounds);
    return;
  }
  std::vector<ITouchID> touches;
  for (const auto& [touch, control] : mCapturedMap)
    if (control == pCaller)
      touches.push_back(touch);
  if (touches.size() != 1)
    return;
  for (int i = 0; i < n; ++i)
  {
    if (GetBubbleControl(i)->GetTouchId() == touches[0])
    {
      GetBubbleControl(i)->ShowBubble(pCaller, x, y, str, dir, touches[0], minimumContentBounds);
      return;
    }
  }
  // The next bubble in turn takes the new touch.
  static int sNextBubble = 0;
  IBubbleControl* bubble = GetBubbleControl(sNextBubble % n);
  sNextBubble = (sNextBubble + 1) % n;
  bubble->ShowBubble(pCaller, x, y, str, dir, touches[0], minimumContentBounds);
}

void IGfx::StyleAllVectorControls(const IVStyle& style)
{
  // The list only: the special controls keep the look they were made with.
  ForStandardControlsFunc([&style](IControl* c) {
    if (auto* vb = dynamic_cast<IVectorBase*>(c))
      vb->SetStyle(style);
  });
}

} // namespace plugkit::gfx
