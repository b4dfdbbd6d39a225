#pragma once

#include "graphics/IControl.h"

namespace plugkit::gfx {

// A one-line text editor drawn by the editor itself instead of the
// platform's text field. While one is attached, the graphics context opens
// every value entry in it.
class ITextEntryControl : public IControl
{
public:
  ITextEntryControl() : IControl(IRECT(), -1) {}

  void Draw(IGfx& g) override {}

  // Opens an entry over bounds holding str, in the style's entry colours.
  virtual void CreateTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int length, const char* str)
  {
    SetTargetAndDrawRECTs(bounds);
    mText = text;
    mText.mFGColor = text.mTextEntryFGColor;
    mEditing = true;
  }

  // True while an entry is open.
  bool EditInProgress() const { return mEditing; }

protected:
  bool mEditing = false;
};

} // namespace plugkit::gfx
