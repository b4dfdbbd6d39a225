#pragma once

#include "graphics/IControl.h"

namespace plugkit::gfx {

// A text label. It lets the mouse through; with auto-size it takes the
// measured size of its text, keeping its centre.
class ITextControl : public IControl
{
public:
  ITextControl(const IRECT& bounds, const char* str = "", const IText& text = kDefaultText,
    const IColor& BGColor = kColorTransparent, bool autoSize = false);

  void Draw(IGfx& g) override;
  void OnInit() override;

  // Sets the text without asking for a redraw; callers that want one call
  // SetDirty(false).
  virtual void SetStr(const char* str);
  virtual void SetStrFmt(int maxLen, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
  virtual void ClearStr() { SetStr(""); }

  const char* GetStr() const { return mStr.Get(); }
  void SetBoundsBasedOnStr();

protected:
  PK_String mStr;
  IColor mBGColor;
  bool mAutoSize;
};

// A text that opens a web address when clicked, underlined in a colour
// that shows whether the pointer is over it or it has been followed.
class IURLControl : public ITextControl
{
public:
  IURLControl(const IRECT& bounds, const char* str, const char* url, const IText& text = kDefaultText,
    const IColor& BGColor = kColorTransparent, const IColor& mouseOverColor = kColorWhite,
    const IColor& clickedColor = kColorBlue);

  void Draw(IGfx& g) override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;

protected:
  PK_String mURL;
  IColor mOriginalColor, mMouseOverColor, mClickedColor;
  bool mClicked = false;
};

// A text that toggles its value between 0 and 1, showing one of two texts.
class ITextToggleControl : public ITextControl
{
public:
  ITextToggleControl(const IRECT& bounds, int paramIdx, const char* offText = "OFF", const char* onText = "ON",
    const IText& text = kDefaultText, const IColor& BGColor = kColorTransparent);
  ITextToggleControl(const IRECT& bounds, IActionFunction action, const char* offText = "OFF",
    const char* onText = "ON", const IText& text = kDefaultText, const IColor& BGColor = kColorTransparent);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void SetDirty(bool triggerAction = true, int valIdx = -1) override;

protected:
  PK_String mOffText, mOnText;
};

// Shows a parameter's display text (and unit); a click asks for a typed
// value; enumerated parameters get a small menu triangle.
class ICaptionControl : public ITextControl
{
public:
  ICaptionControl(const IRECT& bounds, int paramIdx, const IText& text = kDefaultText,
    const IColor& BGColor = kColorTransparent, bool showParamLabel = true);

  void Draw(IGfx& g) override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnResize() override;
  const IRECT& GetTriangleBounds() const { return mTriangleBounds; }

protected:
  bool mShowParamLabel;
  IColor mTriangleColor = kColorBlack;
  IColor mTriangleMouseOverColor = kColorWhite;
  IRECT mTriangleBounds;
};

// A stand-in for a control still to be designed: shows its own position
// and size; a double click edits its text.
class PlaceHolder : public ITextControl
{
public:
  PlaceHolder(const IRECT& bounds, const char* str = "Place Holder");

  void Draw(IGfx& g) override;
  void OnMouseDblClick(float x, float y, const IMouseMod& mod) override;
  void OnTextEntryCompletion(const char* str, int valIdx) override { SetStr(str); }
  void OnResize() override;

protected:
  PK_String mTLText, mWidthText, mHeightText;
  IText mTLTextStyle = kDefaultText;
  IText mWidthTextStyle = kDefaultText;
  IText mHeightTextStyle = kDefaultText;
};

} // namespace plugkit::gfx
