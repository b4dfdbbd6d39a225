#pragma once

#include <cstdint>
#include <string>

#include "graphics/IControl.h"
#include "graphics/IPopupMenu.h"
#include "graphics/PK_TypedBuf.h"

// The edit engine's state record depends on its character type and undo
// sizes, so they are fixed here, where the record is declared; the engine's
// implementation is compiled once, in ITextEntryControl.cpp, with the same.
// The engine's characters are code points: see ITextEntryControl.
#define STB_TEXTEDIT_CHARTYPE char32_t
#define STB_TEXTEDIT_POSITIONTYPE int
#define STB_TEXTEDIT_UNDOSTATECOUNT 99
#define STB_TEXTEDIT_UNDOCHARCOUNT 999
#include <stb/stb_textedit.h>

namespace plugkit::gfx {

// A one-line text editor drawn by the editor itself instead of the
// platform's text field. While one is attached, the graphics context opens
// every value entry in it.
//
// Keeps its text as UTF-16 and measures each character through the graphics
// context (in pairs, so kerning counts); caret, selection, undo and redo are
// the edit engine's. The engine counts characters, not UTF-16 units, so no
// caret, deletion, selection or click can split a surrogate pair. Keys are filtered by the kind of the parameter being
// typed. Return or a click outside commits, Escape cancels. Owns its own
// Cut/Copy/Paste menu, so its choices reach this entry and no other.
// Main thread only.
class ITextEntryControl : public IControl
{
public:
  ITextEntryControl();

  // IControl
  void Draw(IGfx& g) override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseDblClick(float x, float y, const IMouseMod& mod) override;
  bool OnKeyDown(float x, float y, const IKeyPress& key) override;
  void OnEndAnimation() override;

  // Opens an entry over bounds holding str (UTF-8), everything selected, in
  // the style's entry colours. paramIdx and length are not used: the
  // graphics context already knows the caller, and the text has no limit.
  virtual void CreateTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int length, const char* str);
  // Hands the text to the graphics context for the caller and closes.
  void CommitEdit();
  // Closes without applying anything.
  void DismissEdit();
  // Replaces the text; invalid UTF-8 becomes U+FFFD.
  void SetStr(const char* str);
  void CutSelection();
  void CopySelection();
  void Paste();
  void SelectAll();

  // True while an entry is open.
  bool EditInProgress() const { return mEditing; }
  // The text being edited, as UTF-8.
  std::string GetUTF8() const;
  // Whether the blinking caret shows in this frame.
  bool CaretShown() const { return mDrawCursor; }
  IPopupMenu& GetContextMenu() { return mContextMenu; }

  // What the edit engine asks of the text, in characters (code points): its
  // length, one character (0 outside the text), the layout of the single
  // row, the advance of a character, and edits. Positions outside the text
  // are clamped to it.
  int GetLength() const;
  char32_t GetChar(int idx) const;
  void LayoutRow(StbTexteditRow* pRow, int startIdx);
  float GetCharWidth(int startIdx, int charIdx);
  bool DeleteChars(int pos, int n);
  bool InsertChars(int pos, const char32_t* text, int n);

protected:
  // The advance of c after previous (none: 0), measured in UTF-8.
  float MeasureChar(char32_t c, char32_t previous) const;
  // The UTF-16 unit at which the character charIdx starts (the text's end
  // past its last character).
  size_t UnitOffset(int charIdx) const;
  void FillCharWidths();
  // The summed advance of the first n characters.
  float WidthBefore(int n);
  // Runs a step of the engine and redraws when it changed the text, caret
  // or selection; true when it did.
  template <class Step>
  bool Edit(Step step);
  // The text changed: measure it again, once, through a UTF-8 round trip
  // that keeps it valid.
  void TextChanged();
  void OnContextMenuChoice(int idx);

  STB_TexteditState mEditState;
  bool mDrawCursor = false;
  bool mEditing = false;
  PK_TypedBuf<float> mCharWidths;
  std::u16string mEditString;
  // Counts text changes, so a key that changed nothing is told apart.
  uint32_t mTextVersion = 0;
  IPopupMenu mContextMenu;
};

} // namespace plugkit::gfx
