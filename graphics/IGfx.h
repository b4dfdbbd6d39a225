#pragma once

#include <cstdint>
#include <functional>
#include <unordered_map>

#include "graphics/IControl.h"
#include "graphics/IKeyPress.h"
#include "graphics/PK_PtrList.h"

namespace plugkit::gfx {

class IGEditorDelegate;

using ITouchID = uint64_t;
// Offered every key that no control under the mouse took; isUp tells a
// release from a press. Returns true when it handled the key.
using IKeyHandlerFunc = std::function<bool(const IKeyPress& key, bool isUp)>;

// The button sets of a message box and the button pressed.
enum EMsgBoxType : int32_t
{
  kMB_OK = 0,
  kMB_OKCANCEL = 1,
  kMB_ABORTRETRYIGNORE = 2,
  kMB_YESNOCANCEL = 3,
  kMB_YESNO = 4,
  kMB_RETRYCANCEL = 5
};

enum EMsgBoxResult : int32_t
{
  kNoResult = 0,
  kOK = 1,
  kCANCEL = 2,
  kABORT = 3,
  kRETRY = 4,
  kIGNORE = 5,
  kYES = 6,
  kNO = 7
};

using IMsgBoxCompletionHandlerFunc = std::function<void(EMsgBoxResult result)>;

// The editor's drawing context and the host of its controls. One exists while
// the editor is open: the editor delegate creates it through the product's
// make-graphics function and deletes it when the editor closes. Abstract:
// a drawing back-end and a platform layer supply the window, the cursor and
// the drawing.
//
// Owns every attached control and deletes it; does not own the delegate.
// Threads: the main thread only. Indices outside the control list act on no
// control; an absent tag finds no control.
class IGfx
{
public:
  // A context of width x height points at the given frame rate (60 when 0 or
  // less) and draw scale; the scale may later range from half to twice it.
  IGfx(IGEditorDelegate& dlg, int w, int h, int fps = 0, float scale = 1.f);
  virtual ~IGfx();
  IGfx(const IGfx&) = delete;
  IGfx& operator=(const IGfx&) = delete;

  // Platform window. OpenWindow creates the editor view inside the parent,
  // sets the delegate's UI-ready flag from the drawing context's state, lays
  // the controls out through the delegate and announces the open editor;
  // CloseWindow removes the view again.
  virtual void* OpenWindow(void* pParent) = 0;
  virtual void CloseWindow() = 0;
  // The mouse position in editor coordinates.
  virtual void GetMouseLocation(float& x, float& y) const = 0;
  virtual void HideMouseCursor(bool hide = true, bool lock = true) = 0;
  // Registers the window's tool tips again after they were switched.
  virtual void UpdateTooltips() = 0;
  // A modal message with the buttons of the type; returns the button pressed
  // and also hands it to the completion handler when one is given.
  virtual EMsgBoxResult ShowMessageBox(const char* text, const char* caption, EMsgBoxType type,
    IMsgBoxCompletionHandlerFunc completionHandler = nullptr) = 0;
  // The platform view and the drawing back-end follow a new size or scale;
  // parentHasResized says whether the host already resized the window.
  virtual void PlatformResize(bool parentHasResized) = 0;
  virtual void DrawResize() = 0;
  virtual float GetPlatformWindowScale() const { return 1.f; }

  // Control list, in z-order: index 0 is drawn first and hit last.
  // Attaches the control with an optional tag (-1: none) and group; returns
  // it, or null when the tag is taken (the caller then keeps the control).
  IControl* AttachControl(IControl* pControl, int ctrlTag = -1, const char* group = "");
  int NControls() const { return mControls.GetSize(); }
  IControl* GetControl(int idx) const { return mControls.Get(idx); }
  // The control with that tag, or null when none carries it.
  IControl* GetControlWithTag(int ctrlTag) const;
  // Deletes every control, last first.
  void RemoveAllControls();
  void ForAllControlsFunc(const std::function<void(IControl* pControl)>& func);
  void SetAllControlsDirty();
  // Makes every other control linked to the caller's parameter for value
  // valIdx show the caller's value.
  void UpdatePeers(IControl* pCaller, int valIdx);

  // Size and scale. Resize clamps the size to the delegate's limits and the
  // scale to the context's, does nothing when nothing changes, and otherwise
  // releases captures, stores them and tells the delegate, the platform and
  // every control.
  void Resize(int w, int h, float scale, bool needsPlatformResize = true);
  // The display's backing scale; the size and draw scale stay.
  void SetScreenScale(float scale);
  float GetTotalScale() const { return mScreenScale * mDrawScale; }
  void SetLayoutOnResize(bool layout) { mLayoutOnResize = layout; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FPS() const { return mFPS; }
  float GetDrawScale() const { return mDrawScale; }
  float GetScreenScale() const { return mScreenScale; }
  float GetMinScale() const { return mMinScale; }
  float GetMaxScale() const { return mMaxScale; }
  void SetScaleConstraints(float lo, float hi);

  // Keys: offered to the control under the position (never the background
  // at index 0), then to the key handler. True when handled.
  bool OnKeyDown(float x, float y, const IKeyPress& key);
  bool OnKeyUp(float x, float y, const IKeyPress& key);
  void SetKeyHandlerFunc(IKeyHandlerFunc func) { mKeyHandlerFunc = std::move(func); }

  // The list index of the topmost control that the mouse may reach at the
  // point, or -1.
  int GetMouseControlIdx(float x, float y, bool mouseOver = false) const;
  // True while a mouse or touch capture holds the control.
  bool ControlIsCaptured(const IControl* pControl) const;
  // Ends every capture and shows a hidden cursor again.
  void ReleaseMouseCapture();

  void EnableTooltips(bool enable);
  bool TooltipsEnabled() const { return mEnableTooltips; }

  // The attached drawn pop-up menu control; null while platform menus are
  // used.
  IControl* GetPopupMenuControl() const { return mPopupControl; }
  IGEditorDelegate* GetDelegate() const { return mDelegate; }

protected:
  PK_PtrList<IControl> mControls;
  std::unordered_map<int, IControl*> mCtrlTags;
  // Owned; it lives outside the control list.
  IControl* mPopupControl = nullptr;
  int mWidth;
  int mHeight;
  int mFPS;
  float mScreenScale = 1.f;
  float mDrawScale;
  std::unordered_map<ITouchID, IControl*> mCapturedMap;
  float mMinScale;
  float mMaxScale;
  bool mEnableTooltips = false;
  bool mLayoutOnResize = false;
  bool mCursorHidden = false;
  IKeyHandlerFunc mKeyHandlerFunc;
  IGEditorDelegate* mDelegate;

private:
  void DeleteAllControls();
  bool DispatchKey(float x, float y, const IKeyPress& key, bool isUp);
};

} // namespace plugkit::gfx
