#include "graphics/platform/IGfxMac.h"

#include <cmath>
#include <utility>

#include "AppKit/AppKit.h"
#include "CoreGraphics/CGDisplay.h"
#include "framework/IGEditorDelegate.h"
#include "graphics/controls/IPopupMenuControl.h"
#include "graphics/platform/CoreTextFont.h"
#include "graphics/platform/IGfxView_vTolvane3_au.h"

namespace plugkit::gfx {

namespace {

NSRect ToNSRect(const IRECT& r)
{
  return NSMakeRect(r.L, r.T, r.W(), r.H());
}

// Moves the system cursor to a screen point without the move reaching the
// mouse as motion.
void WarpCursor(double sx, double sy)
{
  const CGDirectDisplayID display = CGMainDisplayID();
  CGAssociateMouseAndMouseCursorPosition(0);
  CGDisplayMoveCursorToPoint(display, CGPoint{sx, static_cast<double>(CGDisplayPixelsHigh(display)) - sy});
  CGAssociateMouseAndMouseCursorPosition(1);
}

} // namespace

IGfxMac::IGfxMac(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
  : IGfxNanoVG(dlg, w, h, fps, scale), mBundleID(nullptr, 128)
{
  NSApplicationLoad();
  auto& descriptors = CoreTextFontDescriptorStorage();
  PK_Mutex::Scope lock(descriptors.Lock());
  descriptors.Retain();
}

IGfxMac::~IGfxMac()
{
  auto& descriptors = CoreTextFontDescriptorStorage();
  PK_Mutex::Scope lock(descriptors.Lock());
  descriptors.Release();
  if (mView)
    ReleaseView();
}

float IGfxMac::MeasureText(const IText& text, const char* str, IRECT& bounds) const
{
  return IGfx::MeasureText(text, str, bounds);
}

IRECT IGfxMac::ToViewPixels(const IRECT& r, float s)
{
  const float l = std::floor(r.L * s), t = std::floor(r.T * s);
  return IRECT(l, t, std::ceil(r.R * s), std::ceil(r.B * s));
}

// Window ----------------------------------------------------------------------------

void* IGfxMac::OpenWindow(void* pParent)
{
  if (mView)
    ReleaseView();

  mView = new IGfxView_vTolvane3_au(this);
  OnViewInitialized(mView->layer());
  GetDelegate()->SetUIReady(IsContextReady());
  SetScreenScale(static_cast<float>(NSScreen::mainScreen().backingScaleFactor()));
  GetDelegate()->LayoutUI(this);
  UpdateTooltips();
  GetDelegate()->OnUIOpen();

  if (pParent)
    static_cast<NSView*>(pParent)->addSubview(mView);
  return mView;
}

void IGfxMac::CloseWindow()
{
  if (mView)
    ReleaseView();
}

void IGfxMac::ReleaseView()
{
  IGfxView_vTolvane3_au* view = std::exchange(mView, nullptr);
  // An open text field ends while the view can still tell this context.
  if (view->textField())
    view->endUserInput(true);
  // Detached before it leaves its superview: its removal would otherwise
  // close this context through the delegate while it is closing or opening.
  view->Detach();
  view->removeAllToolTips();
  view->killTimer();
  view->removeFromSuperview();
  view->release();
  OnViewDestroyed();
}

void* IGfxMac::GetWindow()
{
  return mView;
}

void IGfxMac::AttachPlatformView(const IRECT& r, void* pView)
{
  if (!mView || !pView)
    return;
  auto* view = static_cast<NSView*>(pView);
  view->setFrame(ToNSRect(ToViewPixels(r, GetDrawScale())));
  mView->addSubview(view);
}

void IGfxMac::RemovePlatformView(void* pView)
{
  if (pView)
    static_cast<NSView*>(pView)->removeFromSuperview();
}

void IGfxMac::PlatformResize(bool)
{
  if (mView)
  {
    // At once: the host's window follows the view, not an animation of it.
    NSAnimationContext::beginGrouping();
    NSAnimationContext::currentContext()->setDuration(0.0);
    const float s = GetDrawScale();
    mView->setFrameSize(NSSize{static_cast<double>(static_cast<int>(Width() * s)),
      static_cast<double>(static_cast<int>(Height() * s))});
    NSAnimationContext::endGrouping();
  }
  UpdateTooltips();
}

bool IGfxMac::IsDarkAppearance() const
{
  return mView && NSProcessInfoIsOperatingSystemAtLeast(10, 14) &&
         mView->effectiveAppearance()->name() == NSAppearanceNameDarkAqua;
}

void IGfxMac::UpdateTooltips()
{
  if (!mView)
    return;
  NSAutoreleasePool pool;
  mView->removeAllToolTips();
  if (GetPopupMenuControl() && GetPopupMenuControl()->GetState() > 0)
    return;
  ForStandardControlsFunc([this](IControl* c) {
    if (c->IsHidden() || c->GetTargetRECT() == IRECT())
      return;
    mView->registerToolTip(c->GetTargetRECT());
  });
}

// Coordinates and cursor ------------------------------------------------------------

void IGfxMac::EditorToScreen(float x, float y, double& sx, double& sy) const
{
  sx = sy = 0.0;
  if (!mView || !mView->window())
    return;
  const float s = GetDrawScale();
  const NSPoint inWindow = mView->convertPointToView(NSPoint{x * s, y * s}, nullptr);
  const NSPoint screen = mView->window()->convertRectToScreen(inWindow);
  sx = screen.x;
  sy = screen.y;
}

void IGfxMac::ScreenToEditor(double sx, double sy, float& x, float& y) const
{
  NSPoint inWindow{0, 0};
  if (mView->window())
    inWindow = mView->window()->convertRectFromScreen(NSPoint{sx, sy});
  const NSPoint inView = mView->convertPointFromView(inWindow, nullptr);
  const float s = GetDrawScale();
  x = static_cast<float>(inView.x / s);
  y = static_cast<float>(inView.y / s);
}

void IGfxMac::StoreCursorPosition()
{
  const NSPoint p = NSEventMouseLocation();
  mCursorLockX = std::round(p.x);
  mCursorLockY = std::round(p.y);
  mCursorX = static_cast<float>(mCursorLockX);
  mCursorY = static_cast<float>(mCursorLockY);
  if (mView)
    ScreenToEditor(mCursorLockX, mCursorLockY, mCursorX, mCursorY);
}

void IGfxMac::DoCursorLock(float x, float y, float& prevX, float& prevY)
{
  if (mCursorHidden && mCursorLock && !mTabletInput)
  {
    WarpCursor(mCursorLockX, mCursorLockY);
    prevX = mCursorX;
    prevY = mCursorY;
  }
  else
  {
    mCursorX = prevX = x;
    mCursorY = prevY = y;
  }
}

void IGfxMac::HideMouseCursor(bool hide, bool lock)
{
  if (mCursorHidden == hide)
    return;
  if (hide)
  {
    StoreCursorPosition();
    CGDisplayHideCursor(CGMainDisplayID());
    mCursorLock = lock;
    mCursorHidden = true;
  }
  else
  {
    float x = mCursorX, y = mCursorY;
    DoCursorLock(x, y, x, y);
    CGDisplayShowCursor(CGMainDisplayID());
    mCursorLock = false;
    mCursorHidden = false;
  }
}

void IGfxMac::MoveMouseCursor(float x, float y)
{
  if (mTabletInput)
    return;
  double sx = x, sy = y;
  if (mView)
    EditorToScreen(x, y, sx, sy);
  WarpCursor(sx, sy);
  StoreCursorPosition();
}

void IGfxMac::GetMouseLocation(float& x, float& y) const
{
  const NSPoint p = NSEventMouseLocation();
  x = static_cast<float>(p.x);
  y = static_cast<float>(p.y);
  if (mView)
    ScreenToEditor(p.x, p.y, x, y);
}

int IGfxMac::SetMouseCursor(ECursor cursorType)
{
  if (mView)
    mView->setMouseCursor(cursorType);
  return IGfx::SetMouseCursor(cursorType);
}

// Native menus and text fields ------------------------------------------------------

void IGfxMac::EndPlatformTextEntry()
{
  if (mView)
    mView->endUserInput(true);
}

void IGfxMac::CreatePlatformTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int length,
  const char* str)
{
  if (mView)
    mView->createTextEntry(paramIdx, text, str, length, ToNSRect(ToViewPixels(bounds, GetDrawScale())));
}

IPopupMenu* IGfxMac::CreatePlatformPopupMenu(IPopupMenu& menu, const IRECT& bounds, bool& isAsync)
{
  isAsync = false;
  if (!mView)
    return nullptr;
  IPopupMenu* chosen = nullptr;
  {
    NSAutoreleasePool pool; // the native menu goes with it
    chosen = mView->createPopupMenu(menu, ToNSRect(ToViewPixels(bounds, GetDrawScale())));
  }
  if (chosen && chosen->GetFunction())
    chosen->ExecFunction();
  return chosen;
}

bool IGfxMac::PromptForColor(IColor& color, const char*, IColorPickerHandlerFunc func)
{
  return mView && mView->promptForColor(color, std::move(func));
}

// Fonts -----------------------------------------------------------------------------

std::unique_ptr<PlatformFont> IGfxMac::LoadPlatformFont(const char* fontID, const char* fileNameOrResID)
{
  return LoadCoreTextFontFromFile(fontID, fileNameOrResID, GetBundleID(), GetSharedResourcesSubPath());
}

std::unique_ptr<PlatformFont> IGfxMac::LoadPlatformFont(const char* fontID, const void* pData, int dataSize)
{
  return LoadCoreTextFontFromMemory(fontID, pData, dataSize);
}

std::unique_ptr<PlatformFont> IGfxMac::LoadPlatformFont(const char* fontID, const char* fontName, ETextStyle style)
{
  return LoadCoreTextFontFromFamily(fontID, fontName, style);
}

void IGfxMac::CachePlatformFont(const char* fontID, const PlatformFont* pFont)
{
  CacheCoreTextFontDescriptor(fontID, pFont);
}

} // namespace plugkit::gfx
