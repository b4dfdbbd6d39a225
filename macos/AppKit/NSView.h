#pragma once

// Responders and views of the window system.
//
// NSResponder: the chain that keys and unhandled events walk (a view's next
// responder is its superview, the content view's is its window).
//
// NSView: a rectangle in its superview's coordinates with subviews drawn and
// hit in order (the last on top). A view may be flipped (y grows down from
// its top-left). A superview retains its subviews; removeFromSuperview
// releases the view, which may be its last reference. Views may hold a
// layer, tracking areas, tool-tip rectangles and dragged types. Main thread
// only. The platform layer's editor view derives from it; to the host and
// the plug-in's view factory it is a handle they pass on and never look
// into.

#include <string>
#include <vector>

#include "AppKit/NSEvent.h"
#include "Foundation/NSGeometry.h"
#include "Foundation/NSObject.h"
#include "StandIn/Strong.h"

class NSWindow;
class CAMetalLayer;
class NSAppearance;

class NSResponder : public NSObject
{
public:
  virtual NSResponder* nextResponder() const { return mNextResponder; }
  void setNextResponder(NSResponder* responder) { mNextResponder = responder; }

  virtual bool acceptsFirstResponder() { return false; }
  virtual bool becomeFirstResponder() { return true; }
  virtual bool resignFirstResponder() { return true; }

  // Unhandled events go on along the responder chain.
  virtual void mouseDown(NSEvent* e) { Pass(&NSResponder::mouseDown, e); }
  virtual void rightMouseDown(NSEvent* e) { Pass(&NSResponder::rightMouseDown, e); }
  virtual void mouseUp(NSEvent* e) { Pass(&NSResponder::mouseUp, e); }
  virtual void rightMouseUp(NSEvent* e) { Pass(&NSResponder::rightMouseUp, e); }
  virtual void mouseDragged(NSEvent* e) { Pass(&NSResponder::mouseDragged, e); }
  virtual void rightMouseDragged(NSEvent* e) { Pass(&NSResponder::rightMouseDragged, e); }
  virtual void mouseMoved(NSEvent* e) { Pass(&NSResponder::mouseMoved, e); }
  virtual void mouseEntered(NSEvent*) {}
  virtual void mouseExited(NSEvent*) {}
  virtual void scrollWheel(NSEvent* e) { Pass(&NSResponder::scrollWheel, e); }
  virtual void keyDown(NSEvent* e) { Pass(&NSResponder::keyDown, e); }
  virtual void keyUp(NSEvent* e) { Pass(&NSResponder::keyUp, e); }

private:
  void Pass(void (NSResponder::*method)(NSEvent*), NSEvent* e)
  {
    if (NSResponder* next = nextResponder())
      (next->*method)(e);
  }
  NSResponder* mNextResponder = nullptr;
};

// Options of a tracking area.
enum : unsigned long
{
  NSTrackingMouseEnteredAndExited = 0x01,
  NSTrackingActiveAlways = 0x80,
  NSTrackingEnabledDuringMouseDrag = 0x400,
};

class NSView;

class NSTrackingArea : public NSObject
{
public:
  NSTrackingArea(NSRect rect, unsigned long options, NSView* owner) : mRect(rect), mOptions(options), mOwner(owner) {}
  NSRect rect() const { return mRect; }
  unsigned long options() const { return mOptions; }
  NSView* owner() const { return mOwner; }
  // Whether the mouse was inside at the last event the window routed.
  bool mouseInside = false;

private:
  NSRect mRect;
  unsigned long mOptions;
  NSView* mOwner;
};

class NSView : public NSResponder
{
public:
  explicit NSView(NSRect frame = NSRect());
  ~NSView() override;

  NSRect frame() const { return mFrame; }
  NSRect bounds() const { return NSMakeRect(0, 0, mFrame.size.width, mFrame.size.height); }
  void setFrame(NSRect frame);
  void setFrameSize(NSSize size);
  virtual bool isFlipped() const { return false; }
  virtual bool isOpaque() const { return false; }
  void setHidden(bool hidden) { mHidden = hidden; }
  bool isHidden() const { return mHidden; }
  // Frame changes post NSViewFrameDidChangeNotification while set (default).
  void setPostsFrameChangedNotifications(bool posts) { mPostsFrameChanges = posts; }

  // The tree.
  NSView* superview() const { return mSuperview; }
  const std::vector<NSView*>& subviews() const { return mSubviews; }
  NSWindow* window() const { return mWindow; }
  // Retains the view; a view in another superview leaves it first.
  void addSubview(NSView* view);
  // Leaves the superview, which releases this view.
  virtual void removeFromSuperview();
  NSResponder* nextResponder() const override;
  // The deepest visible view under the point, given in the superview's
  // coordinates; null when the point is outside.
  NSView* hitTest(NSPoint pointInSuperview);

  // Conversions; a null view means the window's coordinates.
  NSPoint convertPointFromView(NSPoint p, const NSView* view) const;
  NSPoint convertPointToView(NSPoint p, const NSView* view) const;

  // Layer.
  void setWantsLayer(bool wants) { mWantsLayer = wants; }
  bool wantsLayer() const { return mWantsLayer; }
  CAMetalLayer* layer() const { return mLayer.get(); }
  void setLayer(CAMetalLayer* layer);
  // 2: redraw during view resize.
  void setLayerContentsRedrawPolicy(int policy) { mRedrawPolicy = policy; }
  int layerContentsRedrawPolicy() const { return mRedrawPolicy; }

  // Tracking areas, retained.
  virtual void updateTrackingAreas() {}
  void addTrackingArea(NSTrackingArea* area);
  void removeTrackingArea(NSTrackingArea* area);
  const std::vector<NSTrackingArea*>& trackingAreas() const { return mTrackingAreas; }

  // Tool tips: rectangles in this view's coordinates whose text the view
  // answers when asked (stringForToolTip).
  void addToolTipRect(NSRect rect) { mToolTipRects.push_back(rect); }
  void removeAllToolTips() { mToolTipRects.clear(); }
  const std::vector<NSRect>& toolTipRects() const { return mToolTipRects; }
  virtual std::string stringForToolTip(NSPoint) { return ""; }

  // Drag and drop.
  void registerForDraggedTypes(std::vector<std::string> types) { mDraggedTypes = std::move(types); }
  const std::vector<std::string>& registeredDraggedTypes() const { return mDraggedTypes; }
  virtual NSDragOperation draggingEntered(const NSDraggingInfo&) { return NSDragOperationNone; }
  virtual bool performDragOperation(const NSDraggingInfo&) { return false; }

  // Notices of the window system.
  virtual void viewDidMoveToWindow() {}
  virtual void viewDidChangeBackingProperties() {}
  virtual void viewDidChangeEffectiveAppearance() {}
  // The appearance set on this view or the nearest ancestor, else the
  // application's.
  const NSAppearance* effectiveAppearance() const;
  void setAppearance(const NSAppearance* appearance) { mAppearance = appearance; }

  // Used by NSWindow: moves the tree into a window and tells each view.
  void MoveToWindow(NSWindow* window);

private:
  NSRect mFrame;
  NSView* mSuperview = nullptr;
  NSWindow* mWindow = nullptr;
  std::vector<NSView*> mSubviews;
  bool mHidden = false;
  bool mPostsFrameChanges = true;
  bool mWantsLayer = false;
  int mRedrawPolicy = 0;
  Strong<CAMetalLayer> mLayer;
  std::vector<NSTrackingArea*> mTrackingAreas;
  std::vector<NSRect> mToolTipRects;
  std::vector<std::string> mDraggedTypes;
  const NSAppearance* mAppearance = nullptr;
};
