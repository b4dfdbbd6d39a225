#include "graphics/platform/IGfxView_vTolvane3_au.h"

#include <cmath>

#include "Metal/MTLDevice.h"
#include "QuartzCore/CAMetalLayer.h"
#include "framework/IGEditorDelegate.h"
#include "graphics/platform/IGfxMac.h"

namespace plugkit::gfx {

IGfxView_vTolvane3_au::IGfxView_vTolvane3_au(IGfxMac* pGraphics)
  : NSView(NSMakeRect(0, 0, static_cast<int>(pGraphics->Width() * pGraphics->GetDrawScale()),
      static_cast<int>(pGraphics->Height() * pGraphics->GetDrawScale())))
  , mGraphics(pGraphics)
{
  setWantsLayer(true);
  setLayerContentsRedrawPolicy(2);
  registerForDraggedTypes({NSFilenamesPboardType});
  Strong<CAMetalLayer> layer = MakeStrong<CAMetalLayer>();
  layer->setOpaque(true);
  layer->setPixelFormat(MTLPixelFormatBGRA8Unorm);
  layer->setDevice(MTLCreateSystemDefaultDevice().get());
  setLayer(layer.get());
  setTimer();
}

IGfxView_vTolvane3_au::~IGfxView_vTolvane3_au()
{
  if (NSColorPanel::sharedColorPanelExists())
  {
    NSColorPanel* panel = NSColorPanel::sharedColorPanel();
    panel->close();
    if (panel->target() == this)
      panel->setTarget(nullptr);
  }
  mColorPickerFunc = nullptr;
  if (mMoveCursor)
    mMoveCursor->release();
  if (mTrackingArea)
  {
    removeTrackingArea(mTrackingArea);
    mTrackingArea->release();
  }
  if (mTextFieldView)
    mTextFieldView->release();
  NSNotificationCenter::defaultCenter().removeObserver(this);
}

// Redraw loop -----------------------------------------------------------------------

void IGfxView_vTolvane3_au::setTimer()
{
  if (mTimer || !mGraphics)
    return;
  mTimer = NSTimer::newScheduledTimer(1.0 / mGraphics->FPS(), this, "onTimer:", true);
}

void IGfxView_vTolvane3_au::killTimer()
{
  if (NSTimer* timer = std::exchange(mTimer, nullptr))
  {
    timer->invalidate();
    timer->release();
  }
}

bool IGfxView_vTolvane3_au::performAction(const std::string& selector, NSObject* sender)
{
  if (selector == "onTimer:")
    render();
  else if (selector == "onColorPicked:")
    onColorPicked(static_cast<NSColorPanel*>(sender));
  else
    return false;
  return true;
}

void IGfxView_vTolvane3_au::render()
{
  if (!mGraphics)
    return;
  mDirtyRects.Clear();
  if (mGraphics->IsDirty(mDirtyRects))
  {
    mGraphics->SetAllControlsClean();
    mGraphics->DrawDirtyRegions(mDirtyRects);
  }
}

// Window notices --------------------------------------------------------------------

void IGfxView_vTolvane3_au::viewDidMoveToWindow()
{
  NSNotificationCenter& center = NSNotificationCenter::defaultCenter();
  center.removeObserver(this);
  NSWindow* win = window();
  if (!win)
    return;
  win->makeFirstResponder(this);
  win->setAcceptsMouseMovedEvents(true);
  if (mGraphics)
    mGraphics->SetScreenScale(static_cast<float>(win->backingScaleFactor()));
  center.addObserver(this, NSWindowDidResignKeyNotification, win, [this](NSObject*) { windowDidResign(); });
  center.addObserver(this, NSWindowDidResignMainNotification, win, [this](NSObject*) { windowDidResign(); });
  center.addObserver(this, NSViewFrameDidChangeNotification, this, [this](NSObject*) { frameDidChange(); });
  // A view that arrives in a window gets a backing of its size there.
  frameDidChange();
  updateTrackingAreas();
}

void IGfxView_vTolvane3_au::viewDidChangeBackingProperties()
{
  NSWindow* win = window();
  if (!win)
    return;
  const double scale = win->backingScaleFactor();
  if (mGraphics)
  {
    mGraphics->ClearPlatformPointer();
    if (static_cast<float>(scale) != mGraphics->GetScreenScale())
      mGraphics->SetScreenScale(static_cast<float>(scale));
  }
  layer()->setDrawableSize(frame().size.width * scale, frame().size.height * scale);
}

void IGfxView_vTolvane3_au::frameDidChange()
{
  const double scale = window() ? window()->backingScaleFactor() : NSScreen::mainScreen().backingScaleFactor();
  layer()->setDrawableSize(frame().size.width * scale, frame().size.height * scale);
}

void IGfxView_vTolvane3_au::viewDidChangeEffectiveAppearance()
{
  if (mGraphics && NSProcessInfoIsOperatingSystemAtLeast(10, 14))
    mGraphics->OnAppearanceChanged(effectiveAppearance()->name() == NSAppearanceNameDarkAqua ? kUIAppearanceDark
                                                                                            : kUIAppearanceLight);
}

void IGfxView_vTolvane3_au::windowDidResign()
{
  if (mGraphics && mTimer)
    mGraphics->OnFocusLost();
}

bool IGfxView_vTolvane3_au::resignFirstResponder()
{
  if (mGraphics)
    mGraphics->OnFocusLost();
  return true;
}

void IGfxView_vTolvane3_au::updateTrackingAreas()
{
  NSView::updateTrackingAreas();
  if (mTrackingArea)
  {
    removeTrackingArea(mTrackingArea);
    mTrackingArea->release();
  }
  mTrackingArea = new NSTrackingArea(bounds(),
    NSTrackingMouseEnteredAndExited | NSTrackingActiveAlways | NSTrackingEnabledDuringMouseDrag, this);
  addTrackingArea(mTrackingArea);
}

void IGfxView_vTolvane3_au::removeFromSuperview()
{
  // The close below can release this view's last reference (the context's
  // and the superview's): it stays alive until this method is done.
  retain();
  if (mTextFieldView)
    endUserInput(true);
  if (IGfxMac* graphics = mGraphics)
  {
    graphics->ClearPlatformPointer();
    if (IGEditorDelegate* delegate = graphics->GetDelegate())
      delegate->CloseWindow();
  }
  NSView::removeFromSuperview();
  release();
}

// Mouse -----------------------------------------------------------------------------

void IGfxView_vTolvane3_au::getMouseXY(NSEvent* e, float& x, float& y)
{
  if (!mGraphics)
    return;
  const NSPoint p = convertPointFromView(e->locationInWindow, nullptr);
  const float s = mGraphics->GetDrawScale();
  x = static_cast<float>(p.x / s);
  y = static_cast<float>(p.y / s);
  mGraphics->DoCursorLock(x, y, mPrevX, mPrevY);
  mGraphics->SetTabletInput(e->subtype == NSEventSubtypeTabletPoint);
}

IMouseInfo IGfxView_vTolvane3_au::getMouseLeft(NSEvent* e)
{
  IMouseInfo info;
  getMouseXY(e, info.x, info.y);
  const uint64_t m = e->modifierFlags;
  info.ms = IMouseMod(e->type == NSEventTypeLeftMouseDown || e->type == NSEventTypeLeftMouseDragged,
    (m & NSEventModifierFlagCommand) != 0, (m & NSEventModifierFlagShift) != 0,
    (m & NSEventModifierFlagControl) != 0, (m & NSEventModifierFlagOption) != 0);
  return info;
}

IMouseInfo IGfxView_vTolvane3_au::getMouseRight(NSEvent* e)
{
  IMouseInfo info = getMouseLeft(e);
  info.ms.L = false;
  info.ms.R = true;
  return info;
}

void IGfxView_vTolvane3_au::mouseEntered(NSEvent*)
{
  mMouseOutDuringDrag = false;
  if (mGraphics)
    mGraphics->SetMouseCursor(static_cast<ECursor>(mGraphics->GetCursorKind()));
}

void IGfxView_vTolvane3_au::mouseExited(NSEvent*)
{
  if (!mGraphics)
    return;
  if (!mGraphics->HasMouseCapture())
    mGraphics->OnMouseOut();
  else
    mMouseOutDuringDrag = true;
}

void IGfxView_vTolvane3_au::Press(NSEvent* e, const IMouseInfo& info)
{
  if (e->clickCount % 2 == 1)
    mGraphics->OnMouseDown({info});
  else
    mGraphics->OnMouseDblClick(info.x, info.y, info.ms);
}

void IGfxView_vTolvane3_au::mouseDown(NSEvent* e)
{
  if (mGraphics)
    Press(e, getMouseLeft(e));
}

void IGfxView_vTolvane3_au::rightMouseDown(NSEvent* e)
{
  if (mGraphics)
    Press(e, getMouseRight(e));
}

void IGfxView_vTolvane3_au::mouseUp(NSEvent* e)
{
  if (!mGraphics)
    return;
  mGraphics->OnMouseUp({getMouseLeft(e)});
  if (mMouseOutDuringDrag && mGraphics)
  {
    mGraphics->OnMouseOut();
    mMouseOutDuringDrag = false;
  }
}

void IGfxView_vTolvane3_au::rightMouseUp(NSEvent* e)
{
  if (mGraphics)
    mGraphics->OnMouseUp({getMouseRight(e)});
}

void IGfxView_vTolvane3_au::Drag(NSEvent* e, bool right)
{
  const float prevX = mPrevX, prevY = mPrevY;
  IMouseInfo info = right ? getMouseRight(e) : getMouseLeft(e);
  info.dX = info.x - prevX;
  info.dY = info.y - prevY;
  mGraphics->OnMouseDrag({info});
}

void IGfxView_vTolvane3_au::mouseDragged(NSEvent* e)
{
  // Typing into the platform's field: no drag may change the value under it.
  if (!mGraphics || (mGraphics->GetTextEntryCaller() && !mGraphics->GetTextEntryControl()))
    return;
  Drag(e, false);
}

void IGfxView_vTolvane3_au::rightMouseDragged(NSEvent* e)
{
  if (!mGraphics || mTextFieldView)
    return;
  Drag(e, true);
}

void IGfxView_vTolvane3_au::mouseMoved(NSEvent* e)
{
  if (!mGraphics)
    return;
  const IMouseInfo info = getMouseLeft(e);
  mGraphics->OnMouseOver(info.x, info.y, info.ms);
}

void IGfxView_vTolvane3_au::scrollWheel(NSEvent* e)
{
  if (!mGraphics)
    return;
  if (mTextFieldView)
    endUserInput(true);
  const IMouseInfo info = getMouseLeft(e);
  mGraphics->OnMouseWheel(info.x, info.y, info.ms, static_cast<float>(e->deltaY));
}

// Keys ------------------------------------------------------------------------------

void IGfxView_vTolvane3_au::keyDown(NSEvent* e)
{
  const IKeyPress key = TranslateKeyEvent(e->keyCode, e->charactersIgnoringModifiers, e->modifierFlags);
  if (!mGraphics || !mGraphics->OnKeyDown(mPrevX, mPrevY, key))
    NSView::keyDown(e);
}

void IGfxView_vTolvane3_au::keyUp(NSEvent* e)
{
  const IKeyPress key = TranslateKeyEvent(e->keyCode, e->charactersIgnoringModifiers, e->modifierFlags);
  if (!mGraphics || !mGraphics->OnKeyUp(mPrevX, mPrevY, key))
    NSView::keyUp(e);
}

// Tool tips and drops ---------------------------------------------------------------

void IGfxView_vTolvane3_au::registerToolTip(const IRECT& r)
{
  if (!mGraphics)
    return;
  const IRECT p = IGfxMac::ToViewPixels(r, mGraphics->GetDrawScale());
  addToolTipRect(NSMakeRect(p.L, p.T, p.W(), p.H()));
}

std::string IGfxView_vTolvane3_au::stringForToolTip(NSPoint)
{
  if (!mGraphics)
    return "";
  const int idx = mGraphics->GetMouseOverIdx();
  if (idx < 0 || idx >= mGraphics->NControls())
    return "";
  const char* tip = mGraphics->GetControl(idx)->GetTooltip();
  return tip ? tip : "";
}

NSDragOperation IGfxView_vTolvane3_au::draggingEntered(const NSDraggingInfo& drag)
{
  for (const std::string& type : drag.types)
    if (type == NSFilenamesPboardType)
      return NSDragOperationGeneric;
  return NSDragOperationNone;
}

bool IGfxView_vTolvane3_au::performDragOperation(const NSDraggingInfo& drag)
{
  if (mGraphics && draggingEntered(drag) == NSDragOperationGeneric && !drag.fileNames.empty())
  {
    const NSPoint p = convertPointFromView(drag.draggingLocation, nullptr);
    const float s = mGraphics->GetDrawScale();
    mGraphics->OnDrop(drag.fileNames.front().c_str(), static_cast<float>(p.x / s), static_cast<float>(p.y / s));
  }
  return true;
}

} // namespace plugkit::gfx
