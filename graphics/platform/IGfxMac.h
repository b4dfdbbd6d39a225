#pragma once

// The graphics context of the macOS editor: NanoVG drawing (IGfxNanoVG) in
// a Cocoa view (IGfxView_vTolvane3_au) that it puts into the host's view
// and takes down again. It converts between editor, view and screen
// coordinates, hides, locks and moves the cursor, shows alerts and file,
// folder and colour dialogs, opens native menus and text fields through the
// view, reads and writes the clipboard, opens URLs, reveals files, registers
// tool tips and loads fonts through CoreText.
//
// Owns the view (one reference) while the window is open. The view points
// back at this context; the context always clears that pointer before it
// lets the view go, so a view the host keeps never reaches a context that
// is gone, and a removal that comes back through the view never closes this
// context a second time. Main thread only.

#include "graphics/PK_String.h"
#include "graphics/platform/IGfxNanoVG.h"

namespace plugkit::gfx {

class IGfxView_vTolvane3_au;

class IGfxMac : public IGfxNanoVG
{
public:
  IGfxMac(IGEditorDelegate& dlg, int w, int h, int fps = 0, float scale = 1.f);
  ~IGfxMac() override;

  float MeasureText(const IText& text, const char* str, IRECT& bounds) const override;

  void AttachPlatformView(const IRECT& r, void* pView) override;
  void RemovePlatformView(void* pView) override;
  void GetMouseLocation(float& x, float& y) const override;
  void HideMouseCursor(bool hide = true, bool lock = true) override;
  void MoveMouseCursor(float x, float y) override;
  int SetMouseCursor(ECursor cursorType = kArrowCursor) override;
  void EndPlatformTextEntry() override;
  void* OpenWindow(void* pParent) override;
  void CloseWindow() override;
  void* GetWindow() override;
  bool WindowIsOpen() override { return mView != nullptr; }
  bool GetTextFromClipboard(PK_String& str) override;
  bool SetTextInClipboard(const char* str) override;
  void UpdateTooltips() override;
  EMsgBoxResult ShowMessageBox(const char* text, const char* caption, EMsgBoxType type,
    IMsgBoxCompletionHandlerFunc completionHandler = nullptr) override;
  void PromptForFile(PK_String& fileName, PK_String& path, EFileDialogAction action = kFileOpen,
    const char* extensions = "") override;
  void PromptForDirectory(PK_String& path) override;
  bool PromptForColor(IColor& color, const char* prompt = "", IColorPickerHandlerFunc func = nullptr) override;
  bool OpenURL(const char* url, const char* msgWindowTitle = nullptr, const char* confirmMsg = nullptr,
    const char* errMsgOnFailure = nullptr) override;
  const char* GetPlatformAPIStr() override { return "Cocoa"; }
  bool RevealPath(const PK_String& path, bool select) override;
  std::unique_ptr<PlatformFont> LoadPlatformFont(const char* fontID, const char* fileNameOrResID) override;
  std::unique_ptr<PlatformFont> LoadPlatformFont(const char* fontID, const void* pData, int dataSize) override;
  std::unique_ptr<PlatformFont> LoadPlatformFont(const char* fontID, const char* fontName, ETextStyle style) override;
  void CachePlatformFont(const char* fontID, const PlatformFont* pFont) override;
  const char* GetBundleID() override { return mBundleID.Get(); }
  void CreatePlatformTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int length,
    const char* str) override;
  IPopupMenu* CreatePlatformPopupMenu(IPopupMenu& menu, const IRECT& bounds, bool& isAsync) override;
  void PlatformResize(bool parentHasResized) override;
  bool IsDarkAppearance() const override;

  void SetBundleID(const char* id) { mBundleID.Set(id ? id : ""); }

  // Used by the view on every mouse event: while the cursor is hidden and
  // locked (and the input is no tablet) it goes back to where it was hidden
  // and prev takes the remembered position, so each event reports motion
  // from there; otherwise the position is remembered and passed through.
  void DoCursorLock(float x, float y, float& prevX, float& prevY);
  void SetTabletInput(bool tablet) { mTabletInput = tablet; }
  bool IsTabletInput() const { return mTabletInput; }
  // Where the cursor was when it was hidden, in screen points.
  double LockX() const { return mCursorLockX; }
  double LockY() const { return mCursorLockY; }
  // Forgets the view's platform pointer (the view calls it on removal and
  // on a backing change).
  void ClearPlatformPointer() { mPlatformPointer = nullptr; }
  // Whether a control holds a mouse or touch capture.
  bool HasMouseCapture() const { return !mCapturedMap.empty(); }

  // A rectangle of the editor in view pixels: left and top floored, right
  // and bottom ceiled at the draw scale.
  static IRECT ToViewPixels(const IRECT& r, float drawScale);

private:
  // Lets go of the view: detached first, then tool tips, timer, superview,
  // the reference, and the drawing context.
  void ReleaseView();
  void StoreCursorPosition();
  // Editor point to screen point and back (screen origin bottom-left).
  void EditorToScreen(float x, float y, double& sx, double& sy) const;
  void ScreenToEditor(double sx, double sy, float& x, float& y) const;

  IGfxView_vTolvane3_au* mView = nullptr;
  double mCursorLockX = 0.0;
  double mCursorLockY = 0.0;
  PK_String mBundleID;
};

} // namespace plugkit::gfx
