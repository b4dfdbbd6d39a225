#pragma once

// One-line text fields with their cell, formatter and field editor.
//
// A field that becomes first responder starts editing: its field editor
// takes the field's text and sits at the frame the cell chooses. Typed
// characters are appended when the formatter (if any) accepts the whole
// proposed text (isPartialStringValid), else refused; Delete removes the
// last character. Return or the loss of first-responder status ends
// editing: the text goes back to the field and its delegate is told, once.
// Main thread.

#include <string>

#include "AppKit/NSColor.h"
#include "AppKit/NSView.h"
#include "CoreFoundation/CFString.h"

class NSCharacterSet : public NSObject
{
public:
  // The UTF-16 units of the UTF-8 text join the set.
  void addCharactersInString(const std::string& utf8);
  bool characterIsMember(char16_t unit) const { return mUnits.find(unit) != std::u16string::npos; }

private:
  std::u16string mUnits;
};

// The UTF-16 units of UTF-8 text; bytes that are no UTF-8 become U+FFFD.
std::u16string NSStringUTF16(const std::string& utf8);

// Strings are Core Foundation strings here, as the platform's are
// interchangeable with them.
class NSFormatter : public NSObject
{
public:
  // Whether the text, as it would read after the edit, may stand.
  virtual bool isPartialStringValid(const std::string& partial, std::string* newEditingString,
    std::string* errorDescription)
  {
    return true;
  }
  // The text a field shows for an object value (not owned by the caller);
  // null when there is none. The base class has none.
  virtual CFStringRef stringForObjectValue(CFTypeRef object) { return nullptr; }
  // The object value for text, into `object` with a reference the caller
  // owns; false refuses the text (the base class refuses everything).
  virtual bool getObjectValue(CFTypeRef* object, CFStringRef string, CFStringRef* errorDescription)
  {
    return false;
  }
};

// The text being edited and its caret.
class NSText : public NSObject
{
public:
  std::string string;
  NSRect frame;
  // The caret's colour as device RGBA, set through setInsertionPointColor.
  double insertionPointColor[4] = {0, 0, 0, 1};
  static bool respondsToSetInsertionPointColor() { return true; }
};

class NSTextField;

class NSTextFieldCell : public NSObject
{
public:
  explicit NSTextFieldCell(std::string text = "") : mText(std::move(text)) {}
  ~NSTextFieldCell() override;

  // Where the text is drawn inside the bounds; all of them by default.
  virtual NSRect drawingRectForBounds(NSRect bounds) { return bounds; }
  // The text's natural size: one line of the control's font, rounded up.
  NSSize cellSize() const;
  // Puts the field editor at the frame; select also selects the range.
  virtual void selectWithFrame(NSRect frame, NSView* view, NSText* editor, NSObject* delegate, long start,
    long length);
  virtual void editWithFrame(NSRect frame, NSView* view, NSText* editor, NSObject* delegate, NSEvent* event);

  bool editable = false;
  bool drawsBackground = false;
  int lineBreakMode = 0;
  NSTextField* controlView = nullptr;

private:
  std::string mText;
};

class NSTextFieldDelegate
{
public:
  virtual ~NSTextFieldDelegate() = default;
  virtual void controlTextDidEndEditing(NSTextField* field) = 0;
};

enum : int
{
  NSTextAlignmentLeft = 0,
  NSTextAlignmentRight = 1,
  NSTextAlignmentCenter = 2,
  NSFocusRingTypeNone = 1,
  NSLineBreakByTruncatingTail = 4,
};

class NSTextField : public NSView
{
public:
  explicit NSTextField(NSRect frame);
  ~NSTextField() override;

  NSTextFieldCell* cell() const { return mCell; }
  // Retained; the field becomes its control view.
  void setCell(NSTextFieldCell* cell);
  NSFont* font() const { return mFont; }
  void setFont(NSFont* font);
  NSFormatter* formatter() const { return mFormatter; }
  void setFormatter(NSFormatter* formatter);
  void setDelegate(NSTextFieldDelegate* delegate) { mDelegate = delegate; }
  NSTextFieldDelegate* delegate() const { return mDelegate; }
  // The editor's text while editing.
  std::string stringValue() const { return mEditing ? mEditor->string : mText; }
  void setStringValue(const std::string& text);
  NSText* currentEditor() const { return mEditing ? mEditor : nullptr; }
  int refusedCount() const { return mRefused; }

  int alignment = NSTextAlignmentLeft;
  bool bordered = true;
  int focusRingType = 0;
  bool allowsEditingTextAttributes = true;
  double textColor[4] = {0, 0, 0, 1};
  double backgroundColor[4] = {1, 1, 1, 1};

  bool isFlipped() const override { return true; }
  bool acceptsFirstResponder() override { return true; }
  bool becomeFirstResponder() override;
  bool resignFirstResponder() override;
  void keyDown(NSEvent* event) override;

private:
  // False when the formatter refuses the text: editing goes on.
  bool EndEditing();

  NSTextFieldCell* mCell;
  NSFont* mFont = nullptr;
  NSFormatter* mFormatter = nullptr;
  NSTextFieldDelegate* mDelegate = nullptr;
  NSText* mEditor;
  std::string mText;
  bool mEditing = false;
  int mRefused = 0;
};
