#pragma once

// The editor's Cocoa view: it owns the Metal layer NanoVG draws into,
// redraws the dirty parts on a timer at the context's frame rate, turns the
// window system's mouse, wheel, key, focus and drag events into the
// context's input records and calls, shows the cursor kinds and answers
// tool tips. It also hosts the native menu, text field and colour panel
// (IGfxNativeControls.h) where no drawn control replaces them.
//
// Points at its context without owning it; the context detaches itself
// before it goes (Detach), and every event that arrives without a context
// is dropped (keys go on to the next responder). Main thread only.

#include <functional>

#include "AppKit/AppKit.h"
#include "graphics/IGfx.h"
#include "graphics/IKeyPress.h"
#include "graphics/IRECTList.h"

namespace plugkit::gfx {

class IGfxMac;

// The key record of a key event: the virtual key of its hardware code or
// its character, the character as UTF-8 and the modifiers.
IKeyPress TranslateKeyEvent(unsigned short keyCode, const std::string& charactersIgnoringModifiers,
  uint64_t modifierFlags);

class IGfxView_vTolvane3_au : public NSView, public NSTextFieldDelegate
{
public:
  // initWithIGfx: sized to the editor at its draw scale, layer-backed by
  // a new Metal layer, taking dragged file names, its timer running.
  explicit IGfxView_vTolvane3_au(IGfxMac* pGraphics);
  ~IGfxView_vTolvane3_au() override;

  IGfxMac* Graphics() const { return mGraphics; }
  // The context is going: from now on this view reaches it no more.
  void Detach() { mGraphics = nullptr; }

  // Redraw loop.
  void setTimer();
  void killTimer();
  bool timerRunning() const { return mTimer != nullptr; }
  void render();
  bool performAction(const std::string& selector, NSObject* sender) override;

  bool isOpaque() const override { return mGraphics != nullptr; }
  bool isFlipped() const override { return true; }
  bool acceptsFirstResponder() override { return true; }
  bool acceptsFirstMouse(NSEvent*) { return true; }
  bool resignFirstResponder() override;
  void viewDidMoveToWindow() override;
  void viewDidChangeBackingProperties() override;
  void viewDidChangeEffectiveAppearance() override;
  void updateTrackingAreas() override;
  void removeFromSuperview() override;

  void mouseEntered(NSEvent* e) override;
  void mouseExited(NSEvent* e) override;
  void mouseDown(NSEvent* e) override;
  void rightMouseDown(NSEvent* e) override;
  void mouseUp(NSEvent* e) override;
  void rightMouseUp(NSEvent* e) override;
  void mouseDragged(NSEvent* e) override;
  void rightMouseDragged(NSEvent* e) override;
  void mouseMoved(NSEvent* e) override;
  void scrollWheel(NSEvent* e) override;
  void keyDown(NSEvent* e) override;
  void keyUp(NSEvent* e) override;

  void setMouseCursor(int kind);
  void registerToolTip(const IRECT& r);
  std::string stringForToolTip(NSPoint point) override;
  NSDragOperation draggingEntered(const NSDraggingInfo& drag) override;
  bool performDragOperation(const NSDraggingInfo& drag) override;

  // Native fallbacks (IGfxNativeControls.cpp); rectangles in view pixels.
  IPopupMenu* createPopupMenu(IPopupMenu& menu, NSRect r);
  void createTextEntry(int paramIdx, const IText& text, const char* initial, int maxLength, NSRect r);
  void controlTextDidEndEditing(NSTextField* field) override;
  // Takes the text field down; withoutCommit tells the context that no
  // text will come (wheel, the context's request, the view's removal).
  void endUserInput(bool withoutCommit = false);
  bool promptForColor(const IColor& color, IColorPickerHandlerFunc func);
  void onColorPicked(NSColorPanel* panel);
  NSTextField* textField() const { return mTextFieldView; }
  NSCursor* moveCursor() const { return mMoveCursor; }

private:
  void windowDidResign();
  void frameDidChange();
  void getMouseXY(NSEvent* e, float& x, float& y);
  IMouseInfo getMouseLeft(NSEvent* e);
  IMouseInfo getMouseRight(NSEvent* e);
  void Press(NSEvent* e, const IMouseInfo& info);
  void Drag(NSEvent* e, bool right);
  void buildMoveCursor();

  IGfxMac* mGraphics;
  NSTimer* mTimer = nullptr;
  IRECTList mDirtyRects;
  NSTrackingArea* mTrackingArea = nullptr;
  NSTextField* mTextFieldView = nullptr;
  NSCursor* mMoveCursor = nullptr;
  bool mMoveCursorBuilt = false;
  float mPrevX = 0.f;
  float mPrevY = 0.f;
  bool mMouseOutDuringDrag = false;
  IColorPickerHandlerFunc mColorPickerFunc;
};

} // namespace plugkit::gfx
