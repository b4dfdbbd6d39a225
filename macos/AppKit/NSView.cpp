#include "AppKit/NSView.h"

#include <algorithm>

#include "AppKit/NSAppearance.h"
#include "AppKit/NSWindow.h"
#include "Foundation/NSNotificationCenter.h"
#include "QuartzCore/CAMetalLayer.h"
#include "StandIn/AnimationGroups.h"

const char* const NSFilenamesPboardType = "NSFilenamesPboardType";
const char* const NSPasteboardTypeString = "public.utf8-plain-text";

NSView::NSView(NSRect frame) : mFrame(frame) {}

NSView::~NSView()
{
  for (NSView* view : mSubviews)
  {
    view->mSuperview = nullptr;
    view->MoveToWindow(nullptr);
    view->release();
  }
  for (NSTrackingArea* area : mTrackingAreas)
    area->release();
}

void NSView::setFrame(NSRect frame)
{
  const bool changed = !(frame == mFrame);
  standin::NoteFrameChange(this, frame);
  mFrame = frame;
  if (changed && mPostsFrameChanges)
    NSNotificationCenter::defaultCenter().postNotification(NSViewFrameDidChangeNotification, this);
}

void NSView::setFrameSize(NSSize size)
{
  setFrame(NSRect{mFrame.origin, size});
}

void NSView::addSubview(NSView* view)
{
  if (!view || view == this)
    return;
  view->retain();
  if (view->mSuperview)
    view->removeFromSuperview();
  mSubviews.push_back(view);
  view->mSuperview = this;
  if (view->mWindow != mWindow)
    view->MoveToWindow(mWindow);
}

void NSView::removeFromSuperview()
{
  NSView* super = mSuperview;
  if (!super)
    return;
  std::erase(super->mSubviews, this);
  mSuperview = nullptr;
  if (mWindow)
    MoveToWindow(nullptr);
  release();
}

NSResponder* NSView::nextResponder() const
{
  if (NSResponder* set = NSResponder::nextResponder())
    return set;
  if (mSuperview)
    return mSuperview;
  return mWindow && mWindow->contentView() == this ? mWindow : nullptr;
}

void NSView::MoveToWindow(NSWindow* window)
{
  if (mWindow && mWindow != window)
    mWindow->ForgetView(this);
  mWindow = window;
  for (NSView* view : mSubviews)
    view->MoveToWindow(window);
  viewDidMoveToWindow();
}

namespace {

// A point of the superview (or window, for a view without one) into the
// view: relative to the frame's origin, turned over when the two systems
// grow in opposite directions.
NSPoint IntoView(const NSView& view, NSPoint p, bool outerFlipped)
{
  NSPoint d{p.x - view.frame().origin.x, p.y - view.frame().origin.y};
  if (view.isFlipped() != outerFlipped)
    d.y = view.frame().size.height - d.y;
  return d;
}

NSPoint OutOfView(const NSView& view, NSPoint d, bool outerFlipped)
{
  if (view.isFlipped() != outerFlipped)
    d.y = view.frame().size.height - d.y;
  return NSPoint{d.x + view.frame().origin.x, d.y + view.frame().origin.y};
}

NSPoint WindowToView(const NSView& view, NSPoint p)
{
  if (!view.superview())
    return IntoView(view, p, false);
  return IntoView(view, WindowToView(*view.superview(), p), view.superview()->isFlipped());
}

NSPoint ViewToWindow(const NSView& view, NSPoint p)
{
  if (!view.superview())
    return OutOfView(view, p, false);
  return ViewToWindow(*view.superview(), OutOfView(view, p, view.superview()->isFlipped()));
}

} // namespace

NSView* NSView::hitTest(NSPoint p)
{
  if (mHidden || !mFrame.contains(p))
    return nullptr;
  const NSPoint local = IntoView(*this, p, mSuperview && mSuperview->isFlipped());
  for (auto it = mSubviews.rbegin(); it != mSubviews.rend(); ++it)
    if (NSView* hit = (*it)->hitTest(local))
      return hit;
  return this;
}

NSPoint NSView::convertPointFromView(NSPoint p, const NSView* view) const
{
  const NSPoint inWindow = view ? ViewToWindow(*view, p) : p;
  return WindowToView(*this, inWindow);
}

NSPoint NSView::convertPointToView(NSPoint p, const NSView* view) const
{
  const NSPoint inWindow = ViewToWindow(*this, p);
  return view ? WindowToView(*view, inWindow) : inWindow;
}

void NSView::setLayer(CAMetalLayer* layer)
{
  mLayer = Strong<CAMetalLayer>(layer);
}

void NSView::addTrackingArea(NSTrackingArea* area)
{
  if (!area)
    return;
  area->retain();
  mTrackingAreas.push_back(area);
}

void NSView::removeTrackingArea(NSTrackingArea* area)
{
  auto it = std::find(mTrackingAreas.begin(), mTrackingAreas.end(), area);
  if (it == mTrackingAreas.end())
    return;
  mTrackingAreas.erase(it);
  area->release();
}

const NSAppearance* NSView::effectiveAppearance() const
{
  for (const NSView* v = this; v; v = v->mSuperview)
    if (v->mAppearance)
      return v->mAppearance;
  return standin::ApplicationAppearance();
}
