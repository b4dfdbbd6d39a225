#pragma once

// A window without a screen to show on: a content rectangle on the main
// screen (origin bottom-left), a backing scale tests change, key and main
// state, a first responder and the routing of events to its views as the
// window system does it:
// - a mouse-down goes to the deepest view under it, which becomes first
//   responder when it accepts; drags and the mouse-up go to that view;
// - tracking areas get entered and exited on every mouse event (while a
//   button is down only when enabled during drags);
// - a move and the wheel go to the view under the pointer;
// - keys go to the first responder and on along the responder chain;
// - a drop asks the view under it (draggingEntered, then
//   performDragOperation) when it registered one of the drag's types.
// Mouse events also move the screen's mouse location. Main thread only.

#include "AppKit/NSView.h"

class NSScreen
{
public:
  static NSScreen& mainScreen();
  NSRect frame() const;
  double backingScaleFactor() const { return mScale; }
  void setBackingScaleFactor(double scale) { mScale = scale; }

private:
  double mScale = 1.0;
};

class NSWindow : public NSResponder
{
public:
  // A window whose content has this rectangle on the screen, with the main
  // screen's backing scale.
  explicit NSWindow(NSRect contentRect);
  ~NSWindow() override;

  NSView* contentView() const { return mContent; }
  NSRect frame() const { return mFrame; }
  // A new size of the content, its top-left corner kept on the screen; the
  // content view fills it.
  void setContentSize(NSSize size);
  double backingScaleFactor() const { return mScale; }
  // A new scale tells every view (viewDidChangeBackingProperties).
  void setBackingScaleFactor(double scale);

  void makeKeyAndOrderFront();
  bool isKeyWindow() const { return mKey; }
  bool isMainWindow() const { return mMain; }
  // Loses key and main state, with their notices.
  void resignKeyWindow();
  void setAcceptsMouseMovedEvents(bool accepts) { mAcceptsMoved = accepts; }
  bool acceptsMouseMovedEvents() const { return mAcceptsMoved; }

  NSResponder* firstResponder() const { return mFirstResponder; }
  // The current first responder must resign and the new one accept;
  // null makes the window itself first responder.
  bool makeFirstResponder(NSResponder* responder);

  NSPoint convertRectToScreen(NSPoint windowPoint) const;
  NSPoint convertRectFromScreen(NSPoint screenPoint) const;

  void sendEvent(NSEvent* event);
  // A drag released at the point (window coordinates); whether a view took it.
  bool performDrop(const NSDraggingInfo& drag);

  // Used by views leaving the window: they stop being routed to.
  void ForgetView(NSView* view);

private:
  void RouteTracking(NSEvent* event, bool buttonDown);
  NSView* ViewAt(NSPoint windowPoint) const;

  NSRect mFrame;
  NSView* mContent;
  double mScale;
  bool mKey = false;
  bool mMain = false;
  bool mAcceptsMoved = false;
  NSResponder* mFirstResponder = nullptr;
  NSView* mMouseDownView = nullptr;
};
