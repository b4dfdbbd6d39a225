#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stack>
#include <unordered_map>
#include <vector>

#include "graphics/IBitmap.h"
#include "graphics/IColor.h"
#include "graphics/IControl.h"
#include "graphics/IGesture.h"
#include "graphics/IKeyPress.h"
#include "graphics/ILayer.h"
#include "graphics/IMatrix.h"
#include "graphics/IMouseInfo.h"
#include "graphics/IPaintOptions.h"
#include "graphics/IPopupMenu.h"
#include "graphics/IRECTList.h"
#include "graphics/IText.h"
#include "graphics/PK_PtrList.h"
#include "graphics/PlatformFont.h"

namespace plugkit::gfx {

class IGEditorDelegate;
class ICornerResizerControl;
class IBubbleControl;
class IFPSDisplayControl;
class IPopupMenuControl;
class ITextEntryControl;

// Offered every key that no control under the mouse took; isUp tells a
// release from a press. Returns true when it handled the key.
using IKeyHandlerFunc = std::function<bool(const IKeyPress& key, bool isUp)>;
using IDisplayTickFunc = std::function<void()>;
using IAppearanceChangedFunc = std::function<void(bool dark)>;
using IColorPickerHandlerFunc = std::function<void(const IColor& color)>;

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

// The platform's cursor kinds.
enum ECursor : int32_t
{
  kArrowCursor = 0,
  kIBeamCursor,
  kWaitCursor,
  kCrossCursor,
  kUpArrowCursor,
  kSizeNWSECursor,
  kSizeNESWCursor,
  kSizeWECursor,
  kSizeNSCursor,
  kSizeAllCursor,
  kNoCursor,
  kHandCursor,
  kAppStartingCursor,
  kHelpCursor
};

enum EFileDialogAction : int32_t { kFileOpen = 0, kFileSave = 1 };
// Where a resource was found: nowhere, as a file on disk, in the binary, or
// as an image the back-end already holds.
enum EResourceLocation : int32_t { kNotFound = 0, kAbsolutePath = 1, kWinBinary = 2, kPreloadedTexture = 3 };
// The corner resizer zooms the editor (scale) or changes its size.
enum EUIResizerMode : int32_t { kResizeModeScale = 0, kResizeModeSize = 1 };
// Arc direction of the path back-end; every caller here draws clockwise.
enum EWinding : int32_t { kWindingCW = 0, kWindingCCW = 1 };

// The editor's drawing context and the host of its controls. One exists while
// the editor is open: the editor delegate creates it through the product's
// make-graphics function and deletes it when the editor closes. Abstract:
// a drawing back-end implements the path primitives, layers pixels and
// resource creation, a platform layer the window, cursor, menus, text fields
// and fonts; each hook's base behaviour below is what a back-end or platform
// that lacks it gets.
//
// Owns every attached control: the control list, the bubbles and the special
// controls (corner resizer, drawn pop-up menu, drawn text entry, frame-time
// display), each destroyed through its virtual destructor. Does not own the
// delegate. Threads: the main thread only. Indices outside the control list
// act on no control; an absent tag finds no control.
//
// A control is destroyed only after it was detached from every event state
// (captures, mouse-over, the prompt callers), so no later event or menu
// answer can reach a destroyed control.
class IGfx
{
public:
  // A context of width x height points at the given frame rate (60 when 0 or
  // less) and draw scale; the scale may later range from half to twice it.
  // Writes the size and scale into the delegate as the editor's.
  IGfx(IGEditorDelegate& dlg, int w, int h, int fps = 0, float scale = 1.f);
  // Removes every control; no platform hook runs (the platform part of the
  // object is already gone).
  virtual ~IGfx();
  IGfx(const IGfx&) = delete;
  IGfx& operator=(const IGfx&) = delete;

  // Frame and view life ------------------------------------------------------
  virtual void BeginFrame() {}
  virtual void OnViewInitialized(void* pContext) {}
  virtual void OnViewDestroyed() {}
  virtual void EndFrame() {}

  // Back-end queries ---------------------------------------------------------
  virtual IColor GetPointColor(float x, float y) { return kColorBlack; }
  virtual void* GetDrawContext() { return nullptr; }
  virtual const char* GetDrawingAPIStr() { return ""; }
  virtual bool BitmapExtSupported(const char* ext) { return false; }

  // Drawing primitives of the back-end ---------------------------------------
  // Points are in the current transform; PathStroke and PathFill paint the
  // current path and clear it unless their options keep it.
  virtual bool HasPathSupport() const { return true; }
  virtual void PathClear() {}
  virtual void PathClose() {}
  // Arc around (cx, cy) from a1 to a2 degrees, 0 pointing up, clockwise; a
  // current point is joined to the arc's start by a line.
  virtual void PathArc(float cx, float cy, float r, float a1, float a2, EWinding winding = kWindingCW) {}
  virtual void PathMoveTo(float x, float y) {}
  virtual void PathLineTo(float x, float y) {}
  virtual void PathSetWinding(bool clockwise) {}
  virtual void PathCubicBezierTo(float c1x, float c1y, float c2x, float c2y, float x2, float y2) {}
  virtual void PathQuadraticBezierTo(float cx, float cy, float x2, float y2) {}
  virtual void PathStroke(const IPattern& pattern, float thickness, const IStrokeOptions& options = IStrokeOptions(),
    const IBlend* pBlend = nullptr)
  {
  }
  virtual void PathFill(const IPattern& pattern, const IFillOptions& options = IFillOptions(),
    const IBlend* pBlend = nullptr)
  {
  }
  virtual void PathTransformSetMatrix(const IMatrix& m) {}
  virtual void CompleteControlDraw(const IRECT& clip) {}
  // Clip rectangles are in untransformed points.
  virtual void SetClipRegion(const IRECT& r) {}
  // The bitmap's pixels from the source offset (points) into dest.
  virtual void DrawBitmap(const IBitmap& bitmap, const IRECT& dest, int srcX, int srcY,
    const IBlend* pBlend = nullptr)
  {
  }
  // A filled circle; the path helper adds the circle to the current path.
  virtual void FillCircle(const IColor& color, float cx, float cy, float r, const IBlend* pBlend = nullptr);
  void PathCircle(float cx, float cy, float r);

  // Text of the back-end: the measured width, with bounds set to the text's
  // box; drawing inside bounds by the style's alignments.
  virtual float DoMeasureText(const IText& text, const char* str, IRECT& bounds) const { return 0.f; }
  virtual void DoDrawText(const IText& text, const char* str, const IRECT& bounds, const IBlend* pBlend = nullptr) {}

  // Layer pixels -------------------------------------------------------------
  // Each does nothing for a buffer smaller than the layer's pixels.
  virtual void GetLayerBitmapData(const ILayerPtr& layer, IRawBitmapData& data) {}
  virtual void ApplyShadowMask(ILayerPtr& layer, IRawBitmapData& mask, const IShadow& shadow) {}
  virtual void SetLayerBitmapData(const ILayerPtr& layer, const IRawBitmapData& data) {}
  // Re-targets drawing to the top layer, or the main surface without one.
  virtual void UpdateLayer() {}
  virtual int GetAlphaChannelIndex() const { return 3; }
  // True when the back-end's pixel rows run from the bottom up.
  virtual bool IsBitmapFlipped() const { return false; }

  // Resource creation --------------------------------------------------------
  // Each returns a new image the caller owns, or null.
  virtual APIBitmap* LoadAPIBitmap(const char* fileNameOrResID, int scale, EResourceLocation location,
    const char* ext)
  {
    return nullptr;
  }
  virtual APIBitmap* LoadAPIBitmap(const char* name, const void* pData, int dataSize, int scale) { return nullptr; }
  virtual APIBitmap* CreateAPIBitmap(int width, int height, float scale, double drawScale, bool cacheable = false)
  {
    return nullptr;
  }
  virtual bool LoadAPIFont(const char* fontID, const PlatformFont* pFont) { return false; }

  // Platform: window and view ------------------------------------------------
  virtual void AttachPlatformView(const IRECT& r, void* pView) {}
  virtual void RemovePlatformView(void* pView) {}
  // OpenWindow creates the editor view inside the parent, sets the
  // delegate's UI-ready flag from the drawing context's state, lays the
  // controls out through the delegate and announces the open editor;
  // CloseWindow removes the view again.
  virtual void* OpenWindow(void* pParent) = 0;
  virtual void CloseWindow() = 0;
  virtual void* GetWindow() { return nullptr; }
  virtual bool WindowIsOpen() { return GetWindow() != nullptr; }
  virtual void ActivateDrawContext() {}
  virtual void DeactivateDrawContext() {}
  virtual bool IsContextReady() const { return false; }
  virtual void SetContextReady(bool ready) {}
  virtual void* GetPlatformModuleHandle() { return nullptr; }
  virtual const char* GetPlatformAPIStr() { return ""; }
  virtual const char* GetBundleID() { return ""; }
  virtual bool IsDarkAppearance() const { return false; }

  // Platform: mouse cursor ---------------------------------------------------
  // The mouse position in editor coordinates.
  virtual void GetMouseLocation(float& x, float& y) const = 0;
  // Hiding twice (or showing twice) changes nothing the second time.
  virtual void HideMouseCursor(bool hide = true, bool lock = true) = 0;
  virtual void MoveMouseCursor(float x, float y) {}
  // Stores the new kind; returns the previous one.
  virtual int SetMouseCursor(ECursor cursorType = kArrowCursor);

  // Platform: dialogs, clipboard, URLs ---------------------------------------
  // Registers the window's tool tips again after they were switched.
  virtual void UpdateTooltips() = 0;
  // A modal message with the buttons of the type; returns the button pressed
  // and also hands it to the completion handler when one is given.
  virtual EMsgBoxResult ShowMessageBox(const char* text, const char* caption, EMsgBoxType type,
    IMsgBoxCompletionHandlerFunc completionHandler = nullptr) = 0;
  // The file (name and folder) or folder the user chose; empty when
  // cancelled.
  virtual void PromptForFile(PK_String& fileName, PK_String& path, EFileDialogAction action = kFileOpen,
    const char* extensions = "")
  {
    fileName.Set("");
    path.Set("");
  }
  virtual void PromptForDirectory(PK_String& path) { path.Set(""); }
  virtual bool PromptForColor(IColor& color, const char* prompt = "", IColorPickerHandlerFunc func = nullptr)
  {
    return false;
  }
  virtual bool OpenURL(const char* url, const char* msgWindowTitle = nullptr, const char* confirmMsg = nullptr,
    const char* errMsgOnFailure = nullptr)
  {
    return false;
  }
  virtual bool RevealPath(const PK_String& path, bool select) { return false; }
  // The clipboard's text; false (and empty text) when it holds none.
  virtual bool GetTextFromClipboard(PK_String& str)
  {
    str.Set("");
    return false;
  }
  virtual bool SetTextInClipboard(const char* str) { return false; }
  // A native text field over bounds for the caller recorded by the context.
  virtual void CreatePlatformTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int length,
    const char* str)
  {
  }
  virtual void EndPlatformTextEntry() {}
  // A native menu over bounds: the menu with its chosen item, or null when
  // dismissed. isAsync tells that the answer comes later, through the menu's
  // completion function.
  virtual IPopupMenu* CreatePlatformPopupMenu(IPopupMenu& menu, const IRECT& bounds, bool& isAsync)
  {
    isAsync = false;
    return nullptr;
  }

  // Platform: fonts ----------------------------------------------------------
  virtual std::unique_ptr<PlatformFont> LoadPlatformFont(const char* fontID, const char* fileNameOrResID)
  {
    return nullptr;
  }
  virtual std::unique_ptr<PlatformFont> LoadPlatformFont(const char* fontID, const void* pData, int dataSize)
  {
    return nullptr;
  }
  virtual std::unique_ptr<PlatformFont> LoadPlatformFont(const char* fontID, const char* fontName, ETextStyle style)
  {
    return nullptr;
  }
  virtual void CachePlatformFont(const char* fontID, const PlatformFont* pFont) {}

  // Platform: reserved hooks without a caller --------------------------------
  virtual void ReservedHook84() {}
  virtual void ReservedHook86(void* p) {}
  virtual void ReservedHook87() {}
  virtual int ReservedHook99() { return 0; }
  virtual bool ReservedHook116() { return true; }

  // Resize hooks -------------------------------------------------------------
  // The platform view and the drawing back-end follow a new size or scale;
  // parentHasResized says whether the host already resized the window.
  virtual void PlatformResize(bool parentHasResized) = 0;
  virtual void DrawResize() = 0;
  virtual float GetPlatformWindowScale() const { return 1.f; }
  virtual float GetTotalScale() const { return mScreenScale * mDrawScale; }

  // Gestures -----------------------------------------------------------------
  virtual void AttachGestureRecognizer(EGestureType type);

  // Control list -------------------------------------------------------------
  // In z-order: index 0 is drawn first and hit last.
  // Attaches the control with an optional tag (-1: none) and group; returns
  // it, or null when the tag is taken (the caller then keeps the control).
  IControl* AttachControl(IControl* pControl, int ctrlTag = -1, const char* group = "");
  // Inserts a background at index 0 (the base of the background forms);
  // returns it, or null when the list cannot grow (the caller keeps it).
  IControl* AttachBackgroundControl(IControl* pControl);
  int NControls() const { return mControls.GetSize(); }
  IControl* GetControl(int idx) const { return mControls.Get(idx); }
  // The list index of the control, or -1.
  int GetControlIdx(const IControl* pControl) const { return mControls.Find(pControl); }
  // The control with that tag, or null when none carries it.
  IControl* GetControlWithTag(int ctrlTag) const;
  // Parameter index of value 0 of the control at idx; -1 for none.
  int GetControlParamIdx(int idx) const;
  // Removal destroys the control; all controls are made dirty.
  void RemoveControl(IControl* pControl);
  void RemoveControl(int idx) { RemoveControl(GetControl(idx)); }
  void RemoveControlWithTag(int ctrlTag) { RemoveControl(GetControlWithTag(ctrlTag)); }
  // Removes every control from fromIdx on, last first.
  void RemoveControls(int fromIdx);
  // Destroys every control, bubble and special control.
  void RemoveAllControls();
  void SetControlPosition(int idx, float x, float y);
  void SetControlSize(int idx, float w, float h);
  void SetControlBounds(int idx, const IRECT& r);

  // Iteration ----------------------------------------------------------------
  // Every control of the list, then the frame-time display, corner resizer,
  // text entry and pop-up menu (when present), then every bubble.
  void ForAllControlsFunc(const std::function<void(IControl* pControl)>& func);
  template <class Method, class... Args>
  void ForAllControls(Method method, Args... args)
  {
    ForAllControlsFunc([&](IControl* c) { (c->*method)(args...); });
  }
  // The list only.
  void ForStandardControlsFunc(const std::function<void(IControl* pControl)>& func);
  // List controls linked to the parameter.
  void ForMatchingControls(int paramIdx, const std::function<void(IControl* pControl)>& func);
  template <class Method, class... Args>
  void ForMatchingControls(Method method, int paramIdx, Args... args)
  {
    ForMatchingControls(paramIdx, [&](IControl* c) { (c->*method)(args...); });
  }
  // List controls of that group; an empty name matches none.
  void ForControlInGroup(const char* group, const std::function<void(IControl* pControl)>& func);
  void SetAllControlsDirty();
  void SetAllControlsClean();
  void HideControl(int paramIdx, bool hide);
  void DisableControl(int paramIdx, bool disable);
  void SetParamControlsDirty(int paramIdx, bool triggerAction, int valIdx = -1);
  void HighlightParamControls(int paramIdx, bool on, int colorIdx = 0);
  // Makes every other control linked to the caller's parameter for value
  // valIdx show the caller's value.
  void UpdatePeers(IControl* pCaller, int valIdx);

  // Special controls ---------------------------------------------------------
  // Each takes the control. A second resizer, menu or entry leaves the first
  // in place and the new one is destroyed.
  void AttachCornerResizer(ICornerResizerControl* pControl, EUIResizerMode mode = kResizeModeScale,
    bool layoutOnResize = false);
  void AttachBubbleControl(IBubbleControl* pControl);
  void AttachPopupMenuControl(IPopupMenuControl* pControl);
  void AttachTextEntryControl(ITextEntryControl* pControl);
  void AttachFPSDisplayControl(IFPSDisplayControl* pControl);
  void RemovePopupMenuControl();
  void RemoveTextEntryControl();
  // On: a frame-time display at (10, 10, 210, 60) unless one exists; off:
  // destroys it. Both make all controls dirty.
  void ShowFPSDisplay(bool enable);
  ICornerResizerControl* GetCornerResizer() const { return mCornerResizer.get(); }
  IPopupMenuControl* GetPopupMenuControl() const { return mPopupControl.get(); }
  ITextEntryControl* GetTextEntryControl() const { return mTextEntryControl.get(); }
  IFPSDisplayControl* GetFPSDisplay() const { return mPerfDisplay.get(); }
  int NBubbles() const { return mBubbleControls.GetSize(); }
  IBubbleControl* GetBubbleControl(int idx) const { return mBubbleControls.Get(idx); }
  EUIResizerMode GetResizerMode() const { return mGUISizeMode; }

  // The prompt road; the pop-up menu or text entry it opens answers later.
  void PromptUserInput(IControl& control, const IRECT& bounds, int valIdx);

  // Size and scale. Resize clamps the size to the delegate's limits and the
  // scale to the context's, does nothing when nothing changes, and otherwise
  // releases captures, stores them and tells the delegate, the platform and
  // every control.
  void Resize(int w, int h, float scale, bool needsPlatformResize = true);
  // The display's backing scale; the size and draw scale stay.
  void SetScreenScale(float scale);
  void SetLayoutOnResize(bool layout) { mLayoutOnResize = layout; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FPS() const { return mFPS; }
  float GetDrawScale() const { return mDrawScale; }
  float GetScreenScale() const { return mScreenScale; }
  float GetMinScale() const { return mMinScale; }
  float GetMaxScale() const { return mMaxScale; }
  void SetScaleConstraints(float lo, float hi);
  IRECT GetBounds() const { return IRECT(0.f, 0.f, static_cast<float>(mWidth), static_cast<float>(mHeight)); }

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
  // The control the mouse is over (null for none) and its list index (-1
  // for none or a special control).
  IControl* GetMouseOver() const { return mMouseOver; }
  int GetMouseOverIdx() const { return mMouseOverIdx; }
  void EnableMouseOver(bool enable) { mHandleMouseOver = enable; }
  // The control whose value is being typed / chosen from a menu.
  IControl* GetTextEntryCaller() const { return mInTextEntry; }
  IControl* GetPopupCaller() const { return mInPopupMenu; }
  bool IsCursorHidden() const { return mCursorHidden; }
  int GetCursorKind() const { return mCursorType; }

  void EnableTooltips(bool enable);
  bool TooltipsEnabled() const { return mEnableTooltips; }
  void EnableMultiTouch(bool enable) { mEnableMultiTouch = enable; }
  IPopupMenu& GetPromptMenu() { return mPromptPopupMenu; }
  void SetSharedResourcesSubPath(const char* path) { mSharedResourcesSubPath.Set(path ? path : ""); }
  const char* GetSharedResourcesSubPath() const { return mSharedResourcesSubPath.Get(); }
  void SetDisplayTickFunc(IDisplayTickFunc func) { mDisplayTickFunc = std::move(func); }
  void SetAppearanceChangedFunc(IAppearanceChangedFunc func) { mAppearanceChangedFunc = std::move(func); }
  IGEditorDelegate* GetDelegate() const { return mDelegate; }

protected:
  // Test seams and platform layers reach the event state through these.
  void SetMouseOver(IControl* pControl);
  void SetPromptCallers(IControl* pTextEntryCaller, int textEntryValIdx, IControl* pPopupCaller, int popupValIdx);

  PK_PtrList<IControl> mControls;
  std::unordered_map<int, IControl*> mCtrlTags;
  std::unique_ptr<ICornerResizerControl> mCornerResizer;
  PK_PtrList<IBubbleControl> mBubbleControls;
  std::unique_ptr<IPopupMenuControl> mPopupControl;
  std::unique_ptr<IFPSDisplayControl> mPerfDisplay;
  std::unique_ptr<ITextEntryControl> mTextEntryControl;
  IPopupMenu mPromptPopupMenu;
  PK_String mSharedResourcesSubPath;
  int mCursorType = kArrowCursor;
  int mWidth;
  int mHeight;
  int mFPS;
  float mScreenScale = 1.f;
  float mDrawScale;
  std::vector<EGestureType> mRegisteredGestures;
  IRECTList mGestureRegions;
  std::unordered_map<int, IGestureFunc> mGestureRegionFuncs;
  std::unordered_map<ITouchID, IControl*> mCapturedMap;
  IControl* mMouseOver = nullptr;
  IControl* mInTextEntry = nullptr;
  IControl* mInPopupMenu = nullptr;
  void* mPlatformPointer = nullptr;
  bool mIsContextMenu = false;
  int mTextEntryValIdx = -1;
  int mPopupMenuValIdx = -1;
  int mMouseOverIdx = -1;
  float mMouseDownX = -1.f;
  float mMouseDownY = -1.f;
  float mMinScale;
  float mMaxScale;
  int mLastClickedParam = -1;
  bool mHandleMouseOver = false;
  bool mStrict = false; // draw-union mode
  bool mEnableTooltips = false;
  bool mResizingInProcess = false;
  bool mLayoutOnResize = false;
  bool mEnableMultiTouch = false;
  EUIResizerMode mGUISizeMode = kResizeModeScale;
  double mPrevTimestamp = 0.0;
  IKeyHandlerFunc mKeyHandlerFunc;
  IDisplayTickFunc mDisplayTickFunc;
  IAppearanceChangedFunc mAppearanceChangedFunc;
  IGEditorDelegate* mDelegate;
  bool mCursorHidden = false;
  bool mCursorLock = false;
  bool mTabletInput = false;
  float mCursorX = -1.f;
  float mCursorY = -1.f;
  float mXTranslation = 0.f;
  float mYTranslation = 0.f;
  std::stack<ILayer*> mLayers;
  IRECT mClipRECT;
  IMatrix mTransform;
  std::stack<IMatrix> mTransformStates;

private:
  // Gives the control the delegate and this context and runs the first three
  // attach hooks.
  void PrepareControl(IControl* pControl);
  // Detaches the control from captures (all are released when one holds
  // it), mouse-over and both prompt callers, before it is destroyed.
  void DetachFromEventState(const IControl* pControl);
  // Releases captures and forgets mouse-over and callers; the cursor is shown
  // again only when showCursor (never from the destructor).
  void ForgetEventState(bool showCursor);
  // Detaches the list's control at idx, erases its tag and destroys it.
  void DetachAndDestroy(int idx);
  void DestroyAllControls();
  // The mouse-over index follows its control through insertions and removals.
  void SyncMouseOverIdx();
  bool DispatchKey(float x, float y, const IKeyPress& key, bool isUp);
};

} // namespace plugkit::gfx
