#pragma once

// The platform's menus, text field, formatter and colour panel, used where
// no drawn menu or text entry is attached: a native menu mirroring an
// IPopupMenu (one level per menu), a text field over a control with a filter
// of the characters its parameter can take, and a cell that centres its
// text vertically. Main thread only.

#include "AppKit/AppKit.h"
#include "graphics/IPopupMenu.h"

namespace plugkit::gfx {

// The target of every leaf item: remembers the one chosen.
class IGfxMenuRcvr_vTolvane3_au : public NSView
{
public:
  explicit IGfxMenuRcvr_vTolvane3_au(NSRect frame) : NSView(frame) {}
  bool performAction(const std::string& selector, NSObject* sender) override;
  void onMenuSelection(NSMenuItem* sender) { nsMenuItem = sender; }
  NSMenuItem* menuItem() const { return nsMenuItem; }

private:
  NSMenuItem* nsMenuItem = nullptr;
};

// One level of an IPopupMenu (not owned) as a native menu, its sub-menus
// built the same way with the same receiver.
class IGfxMenu_vTolvane3_au : public NSMenu
{
public:
  IGfxMenu_vTolvane3_au(IPopupMenu* pMenu, NSObject* receiver);
  IPopupMenu* iPopupMenu() const { return mIPopupMenu; }

private:
  IPopupMenu* mIPopupMenu;
};

class IGfxTextField_vTolvane3_au : public NSTextField
{
public:
  using NSTextField::NSTextField;
  // The caret takes the text's colour.
  bool becomeFirstResponder() override;
};

// Draws its one line of text centred vertically in the field; the field
// editor sits where the text is drawn.
class IGfxTextFieldCell_vTolvane3_au : public NSTextFieldCell
{
public:
  using NSTextFieldCell::NSTextFieldCell;
  NSRect drawingRectForBounds(NSRect bounds) override;
  void selectWithFrame(NSRect frame, NSView* view, NSText* editor, NSObject* delegate, long start,
    long length) override;
  void editWithFrame(NSRect frame, NSView* view, NSText* editor, NSObject* delegate, NSEvent* event) override;

private:
  bool mIsEditingOrSelecting = false;
};

// Refuses typed text with a character outside the set, longer than the
// maximum length or (never set by the view) above the maximum value.
class IGfxFormatter_vTolvane3_au : public NSFormatter
{
public:
  ~IGfxFormatter_vTolvane3_au() override;
  // Retains the new set, releases the old.
  void setAcceptableCharacterSet(NSCharacterSet* set);
  void setMaximumLength(int length) { maxLength = length; }
  void setMaximumValue(int value) { maxValue = value; }
  bool isPartialStringValid(const std::string& partial, std::string* newEditingString,
    std::string* errorDescription) override;
  // The field's value is its text: a string shows as itself, anything else
  // as nothing.
  CFStringRef stringForObjectValue(CFTypeRef object) override;
  // Every text is accepted; the value is a copy of it, when there is
  // somewhere to put it.
  bool getObjectValue(CFTypeRef* object, CFStringRef string, CFStringRef* errorDescription) override;

private:
  NSCharacterSet* filterCharacterSet = nullptr;
  int maxLength = 0;
  int maxValue = 0;
};

} // namespace plugkit::gfx
