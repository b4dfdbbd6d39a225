// The editor view's cursors: the context's cursor kinds as system cursors,
// private ones where the system has them, and the move cursor built from
// the system's cursor files.
#include "graphics/platform/IGfxView_vTolvane3_au.h"

namespace plugkit::gfx {

namespace {

constexpr const char* kCursorFolder = "/System/Library/Frameworks/ApplicationServices.framework/Versions/A/"
                                      "Frameworks/HIServices.framework/Versions/A/Resources/cursors/";

// A private cursor when the system answers it, else the fallback.
NSCursor* PrivateOr(const char* selector, NSCursor* fallback)
{
  NSCursor* cursor = NSCursor::respondsToSelector(selector) ? NSCursor::performSelector(selector) : nullptr;
  return cursor ? cursor : fallback;
}

} // namespace

void IGfxView_vTolvane3_au::buildMoveCursor()
{
  // Built once: a system without the files will not have them later.
  mMoveCursorBuilt = true;
  const std::string folder = std::string(kCursorFolder) + "move";
  NSPDFImageRep* pdf = NSPDFImageRep::newWithContentsOfFile(folder + "/cursor.pdf");
  if (!pdf)
  {
    mMoveCursor = static_cast<NSCursor*>(NSCursor::arrowCursor()->retain());
    return;
  }
  // The cursor metadata's hot spot and shadow; without a readable property
  // list the image's centre and no shadow.
  const NSSize size = pdf->size();
  const NSPoint hotSpot{size.width / 2, size.height / 2};
  NSShadowRecord shadow;
  auto* image = new NSImage(size);
  for (int k = 1; k <= 4; ++k)
  {
    auto* rep = new NSBitmapImageRep(static_cast<int>(size.width * k), static_cast<int>(size.height * k));
    NSShadowRecord scaled = shadow;
    scaled.offsetX *= k;
    scaled.offsetY *= k;
    scaled.blur *= k;
    rep->drawWithShadow(*pdf, scaled);
    rep->size = size;
    image->addRepresentation(rep);
    rep->release();
  }
  mMoveCursor = new NSCursor(image, hotSpot);
  image->release();
  pdf->release();
}

void IGfxView_vTolvane3_au::setMouseCursor(int kind)
{
  if (kind != kHelpCursor && NSCursor::respondsToSelector("helpCursorShown") && NSCursor::helpCursorShown())
    NSCursor::setHelpCursor(false);

  NSCursor* arrow = NSCursor::arrowCursor();
  NSCursor* cursor = arrow;
  switch (kind)
  {
    case kIBeamCursor: cursor = NSCursor::IBeamCursor(); break;
    case kWaitCursor:
    case kAppStartingCursor: cursor = PrivateOr("busyButClickableCursor", arrow); break;
    case kCrossCursor: cursor = NSCursor::crosshairCursor(); break;
    case kUpArrowCursor: cursor = PrivateOr("_windowResizeNorthCursor", NSCursor::resizeUpCursor()); break;
    case kSizeNWSECursor: cursor = PrivateOr("_windowResizeNorthWestSouthEastCursor", arrow); break;
    case kSizeNESWCursor: cursor = PrivateOr("_windowResizeNorthEastSouthWestCursor", arrow); break;
    case kSizeWECursor: cursor = PrivateOr("_windowResizeEastWestCursor", NSCursor::resizeLeftRightCursor()); break;
    case kSizeNSCursor: cursor = PrivateOr("_windowResizeNorthSouthCursor", NSCursor::resizeUpDownCursor()); break;
    case kSizeAllCursor:
      if (!mMoveCursorBuilt)
        buildMoveCursor();
      cursor = mMoveCursor;
      break;
    case kNoCursor: cursor = NSCursor::operationNotAllowedCursor(); break;
    case kHandCursor: cursor = NSCursor::pointingHandCursor(); break;
    case kHelpCursor: cursor = PrivateOr("_helpCursor", arrow); break;
    default: break;
  }
  cursor->set();
}

} // namespace plugkit::gfx
