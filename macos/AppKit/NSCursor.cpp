#include "AppKit/NSCursor.h"

#include <algorithm>
#include <map>

#include "StandIn/CFObjects.h"

namespace {

struct CursorState
{
  std::map<std::string, NSCursor*> named;
  std::vector<std::string> selectors;
  NSCursor* current = nullptr;
  bool helpShown = false;
};

CursorState& State()
{
  static CursorState* state = new CursorState; // the cursors live as long as the process
  return *state;
}

NSCursor* Named(const std::string& name)
{
  NSCursor*& cursor = State().named[name];
  if (!cursor)
  {
    cursor = new NSCursor(name);
    standin::MakePermanent(cursor);
  }
  return cursor;
}

} // namespace

NSCursor* NSCursor::arrowCursor() { return Named("arrow"); }
NSCursor* NSCursor::IBeamCursor() { return Named("IBeam"); }
NSCursor* NSCursor::crosshairCursor() { return Named("crosshair"); }
NSCursor* NSCursor::resizeUpCursor() { return Named("resizeUp"); }
NSCursor* NSCursor::resizeLeftRightCursor() { return Named("resizeLeftRight"); }
NSCursor* NSCursor::resizeUpDownCursor() { return Named("resizeUpDown"); }
NSCursor* NSCursor::operationNotAllowedCursor() { return Named("operationNotAllowed"); }
NSCursor* NSCursor::pointingHandCursor() { return Named("pointingHand"); }

bool NSCursor::respondsToSelector(const std::string& selector)
{
  const auto& s = State().selectors;
  return std::find(s.begin(), s.end(), selector) != s.end();
}

NSCursor* NSCursor::performSelector(const std::string& selector)
{
  return respondsToSelector(selector) ? Named(selector) : nullptr;
}

bool NSCursor::helpCursorShown()
{
  return State().helpShown;
}

void NSCursor::setHelpCursor(bool shown)
{
  State().helpShown = shown;
}

NSCursor::NSCursor(NSImage* image, NSPoint hotSpot) : mName("image"), mImage(image), mHotSpot(hotSpot)
{
  if (mImage)
    mImage->retain();
}

NSCursor::~NSCursor()
{
  if (State().current == this)
    State().current = nullptr;
  if (mImage)
    mImage->release();
}

void NSCursor::set()
{
  State().current = this;
}

namespace standin {
std::string CurrentCursorName()
{
  return State().current ? State().current->name() : "";
}
NSCursor* CurrentCursor()
{
  return State().current;
}
void SetAvailableCursorSelectors(std::vector<std::string> selectors)
{
  State().selectors = std::move(selectors);
}
void ResetCursors()
{
  State().selectors.clear();
  State().helpShown = false;
  State().current = nullptr;
}
} // namespace standin
