#include "AppKit/NSWindow.h"

#include <functional>

#include "CoreGraphics/CGDisplay.h"
#include "Foundation/NSNotificationCenter.h"

NSScreen& NSScreen::mainScreen()
{
  static NSScreen screen;
  return screen;
}

NSRect NSScreen::frame() const
{
  return NSMakeRect(0, 0, standin::MainDisplayWidth(), static_cast<double>(CGDisplayPixelsHigh(CGMainDisplayID())));
}

NSWindow::NSWindow(NSRect contentRect)
  : mFrame(contentRect)
  , mContent(new NSView(NSMakeRect(0, 0, contentRect.size.width, contentRect.size.height)))
  , mScale(NSScreen::mainScreen().backingScaleFactor())
{
  mContent->MoveToWindow(this);
}

NSWindow::~NSWindow()
{
  mFirstResponder = nullptr;
  mMouseDownView = nullptr;
  mContent->MoveToWindow(nullptr);
  mContent->release();
}

namespace {
void ForEachView(NSView* view, const std::function<void(NSView*)>& func)
{
  func(view);
  const std::vector<NSView*> subviews = view->subviews();
  for (NSView* sub : subviews)
    ForEachView(sub, func);
}
} // namespace

void NSWindow::setBackingScaleFactor(double scale)
{
  if (scale == mScale)
    return;
  mScale = scale;
  ForEachView(mContent, [](NSView* v) { v->viewDidChangeBackingProperties(); });
}

void NSWindow::makeKeyAndOrderFront()
{
  mKey = mMain = true;
}

void NSWindow::resignKeyWindow()
{
  const bool wasKey = mKey, wasMain = mMain;
  mKey = mMain = false;
  if (wasKey)
    NSNotificationCenter::defaultCenter().postNotification(NSWindowDidResignKeyNotification, this);
  if (wasMain)
    NSNotificationCenter::defaultCenter().postNotification(NSWindowDidResignMainNotification, this);
}

bool NSWindow::makeFirstResponder(NSResponder* responder)
{
  if (responder == mFirstResponder)
    return true;
  if (mFirstResponder && !mFirstResponder->resignFirstResponder())
    return false;
  mFirstResponder = nullptr;
  if (responder && (!responder->acceptsFirstResponder() || !responder->becomeFirstResponder()))
    return false;
  mFirstResponder = responder;
  return true;
}

void NSWindow::setContentSize(NSSize size)
{
  mFrame.origin.y += mFrame.size.height - size.height;
  mFrame.size = size;
  mContent->setFrameSize(size);
}

NSPoint NSWindow::convertRectToScreen(NSPoint p) const
{
  return NSPoint{p.x + mFrame.origin.x, p.y + mFrame.origin.y};
}

NSPoint NSWindow::convertRectFromScreen(NSPoint p) const
{
  return NSPoint{p.x - mFrame.origin.x, p.y - mFrame.origin.y};
}

NSView* NSWindow::ViewAt(NSPoint p) const
{
  return mContent->hitTest(p);
}

void NSWindow::ForgetView(NSView* view)
{
  if (mFirstResponder == view)
    mFirstResponder = nullptr;
  if (mMouseDownView == view)
    mMouseDownView = nullptr;
}

void NSWindow::RouteTracking(NSEvent* event, bool buttonDown)
{
  std::vector<std::pair<NSView*, NSTrackingArea*>> changes;
  ForEachView(mContent, [&](NSView* view) {
    const NSPoint local = view->convertPointFromView(event->locationInWindow, nullptr);
    for (NSTrackingArea* area : view->trackingAreas())
    {
      if (!(area->options() & NSTrackingMouseEnteredAndExited))
        continue;
      if (buttonDown && !(area->options() & NSTrackingEnabledDuringMouseDrag))
        continue;
      const bool inside = area->rect().contains(local) && !view->isHidden();
      if (inside != area->mouseInside)
      {
        area->mouseInside = inside;
        changes.emplace_back(view, area);
      }
    }
  });
  for (auto& [view, area] : changes)
  {
    NSEvent crossing;
    crossing.type = area->mouseInside ? NSEventTypeMouseEntered : NSEventTypeMouseExited;
    crossing.locationInWindow = event->locationInWindow;
    crossing.modifierFlags = event->modifierFlags;
    crossing.window = this;
    view->retain();
    if (area->mouseInside)
      view->mouseEntered(&crossing);
    else
      view->mouseExited(&crossing);
    view->release();
  }
}

void NSWindow::sendEvent(NSEvent* event)
{
  if (!event)
    return;
  event->window = this;
  const bool mouse = event->type <= NSEventTypeRightMouseDragged || event->type == NSEventTypeScrollWheel;
  if (mouse)
    standin::SetMouseLocation(convertRectToScreen(event->locationInWindow));

  switch (event->type)
  {
    case NSEventTypeLeftMouseDown:
    case NSEventTypeRightMouseDown:
      RouteTracking(event, false);
      mMouseDownView = ViewAt(event->locationInWindow);
      if (NSView* view = mMouseDownView)
      {
        view->retain();
        if (view->acceptsFirstResponder())
          makeFirstResponder(view);
        if (event->type == NSEventTypeLeftMouseDown)
          view->mouseDown(event);
        else
          view->rightMouseDown(event);
        view->release();
      }
      break;
    case NSEventTypeLeftMouseDragged:
    case NSEventTypeRightMouseDragged:
    case NSEventTypeLeftMouseUp:
    case NSEventTypeRightMouseUp:
    {
      const bool up = event->type == NSEventTypeLeftMouseUp || event->type == NSEventTypeRightMouseUp;
      if (!up)
        RouteTracking(event, true);
      if (NSView* view = mMouseDownView)
      {
        view->retain();
        switch (event->type)
        {
          case NSEventTypeLeftMouseDragged: view->mouseDragged(event); break;
          case NSEventTypeRightMouseDragged: view->rightMouseDragged(event); break;
          case NSEventTypeLeftMouseUp: view->mouseUp(event); break;
          default: view->rightMouseUp(event); break;
        }
        view->release();
      }
      if (up)
      {
        mMouseDownView = nullptr;
        RouteTracking(event, false);
      }
      break;
    }
    case NSEventTypeMouseMoved:
      RouteTracking(event, false);
      if (mAcceptsMoved)
        if (NSView* view = ViewAt(event->locationInWindow))
          view->mouseMoved(event);
      break;
    case NSEventTypeScrollWheel:
      if (NSView* view = ViewAt(event->locationInWindow))
        view->scrollWheel(event);
      break;
    case NSEventTypeKeyDown:
    case NSEventTypeKeyUp:
      if (NSResponder* responder = mFirstResponder)
      {
        if (event->type == NSEventTypeKeyDown)
          responder->keyDown(event);
        else
          responder->keyUp(event);
      }
      break;
    default: break;
  }
}

bool NSWindow::performDrop(const NSDraggingInfo& drag)
{
  auto takesType = [&](const NSView* v) {
    for (const std::string& type : drag.types)
      for (const std::string& registered : v->registeredDraggedTypes())
        if (type == registered)
          return true;
    return false;
  };
  NSView* view = ViewAt(drag.draggingLocation);
  while (view && !takesType(view))
    view = view->superview();
  if (!view)
    return false;
  view->retain();
  const bool taken = view->draggingEntered(drag) != NSDragOperationNone && view->performDragOperation(drag);
  view->release();
  return taken;
}
