#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stack>
#include <unordered_map>
#include <unordered_set>
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
#include "graphics/StaticStorage.h"

namespace plugkit::gfx {

class IGEditorDelegate;
class ICornerResizerControl;
class IBubbleControl;
class IFPSDisplayControl;
class IPopupMenuControl;
class ITextEntryControl;
struct IVStyle;

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
// The platform's light or dark look.
enum EUIAppearance : int32_t { kUIAppearanceLight = 0, kUIAppearanceDark = 1 };
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
  // Frame timing for the frame-time display; a back-end's override calls
  // this first.
  virtual void BeginFrame();
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

  // Drawing API --------------------------------------------------------------
  // Every shape clears the path, builds it from the path primitives and
  // strokes or fills it once; a colour becomes a solid pattern, strokes and
  // fills use the default options. Bitmap and SVG draws do nothing for an
  // invalid or empty image.
  virtual void DrawSVG(const ISVG& svg, const IRECT& bounds, const IBlend* pBlend = nullptr);
  virtual void DrawRotatedSVG(const ISVG& svg, float destCentreX, float destCentreY, float width, float height,
    float angle, const IBlend* pBlend = nullptr);
  virtual void DrawFittedBitmap(const IBitmap& bitmap, const IRECT& bounds, const IBlend* pBlend = nullptr);
  virtual void DrawRotatedBitmap(const IBitmap& bitmap, float destCentreX, float destCentreY, float angle,
    const IBlend* pBlend = nullptr);
  virtual void DrawPoint(const IColor& color, float x, float y, const IBlend* pBlend = nullptr);
  virtual void DrawLine(const IColor& color, float x1, float y1, float x2, float y2, const IBlend* pBlend = nullptr,
    float thickness = 1.f);
  virtual void DrawDottedLine(const IColor& color, float x1, float y1, float x2, float y2,
    const IBlend* pBlend = nullptr, float thickness = 1.f, float dashLen = 2.f);
  virtual void DrawTriangle(const IColor& color, float x1, float y1, float x2, float y2, float x3, float y3,
    const IBlend* pBlend = nullptr, float thickness = 1.f);
  virtual void DrawRect(const IColor& color, const IRECT& bounds, const IBlend* pBlend = nullptr,
    float thickness = 1.f);
  virtual void DrawRoundRect(const IColor& color, const IRECT& bounds, float cornerRadius = 5.f,
    const IBlend* pBlend = nullptr, float thickness = 1.f);
  virtual void DrawRoundRect(const IColor& color, const IRECT& bounds, float cRTL, float cRTR, float cRBL,
    float cRBR, const IBlend* pBlend = nullptr, float thickness = 1.f);
  virtual void DrawArc(const IColor& color, float cx, float cy, float r, float a1, float a2,
    const IBlend* pBlend = nullptr, float thickness = 1.f);
  virtual void DrawCircle(const IColor& color, float cx, float cy, float r, const IBlend* pBlend = nullptr,
    float thickness = 1.f);
  virtual void DrawEllipse(const IColor& color, const IRECT& bounds, const IBlend* pBlend = nullptr,
    float thickness = 1.f);
  virtual void DrawEllipse(const IColor& color, float x, float y, float r1, float r2, float angle = 0.f,
    const IBlend* pBlend = nullptr, float thickness = 1.f);
  virtual void DrawConvexPolygon(const IColor& color, float* x, float* y, int nPoints,
    const IBlend* pBlend = nullptr, float thickness = 1.f);
  virtual void DrawDottedRect(const IColor& color, const IRECT& bounds, const IBlend* pBlend = nullptr,
    float thickness = 1.f, float dashLen = 2.f);
  virtual void FillTriangle(const IColor& color, float x1, float y1, float x2, float y2, float x3, float y3,
    const IBlend* pBlend = nullptr);
  virtual void FillRect(const IColor& color, const IRECT& bounds, const IBlend* pBlend = nullptr);
  virtual void PatternFillRect(const IPattern& pattern, const IRECT& bounds, const IBlend* pBlend = nullptr);
  virtual void FillRoundRect(const IColor& color, const IRECT& bounds, float cornerRadius = 5.f,
    const IBlend* pBlend = nullptr);
  virtual void FillRoundRect(const IColor& color, const IRECT& bounds, float cRTL, float cRTR, float cRBL,
    float cRBR, const IBlend* pBlend = nullptr);
  virtual void FillEllipse(const IColor& color, const IRECT& bounds, const IBlend* pBlend = nullptr);
  virtual void FillEllipse(const IColor& color, float x, float y, float r1, float r2, float angle = 0.f,
    const IBlend* pBlend = nullptr);
  // A pie slice from the centre, clockwise from a1 to a2 degrees (0 up).
  virtual void FillArc(const IColor& color, float cx, float cy, float r, float a1, float a2,
    const IBlend* pBlend = nullptr);
  virtual void FillConvexPolygon(const IColor& color, float* x, float* y, int nPoints,
    const IBlend* pBlend = nullptr);
  // A soft shadow of the box inner, filled over outer; nothing by default.
  virtual void DrawBoxShadow(const IRECT& inner, const IRECT& outer, const IBlend* pBlend, float offset,
    float cornerRadius, float feather)
  {
  }
  // Lines every spacing inside bounds, never on its edges; a spacing of 1 or
  // less draws none in that direction. One stroke.
  virtual void DrawGrid(const IColor& color, const IRECT& bounds, float gridSizeH, float gridSizeV,
    const IBlend* pBlend = nullptr, float thickness = 1.f);
  // A polyline of normalised values (0 at the bottom), evenly spread when
  // normXPoints is null.
  virtual void DrawData(const IColor& color, const IRECT& bounds, float* normYPoints, int nPoints,
    float* normXPoints = nullptr, const IBlend* pBlend = nullptr, float thickness = 1.f);

  // Path helpers: they add to the current path without clearing it.
  void PathRect(const IRECT& bounds);
  void PathTriangle(float x1, float y1, float x2, float y2, float x3, float y3);
  void PathConvexPolygon(float* x, float* y, int nPoints);
  void PathRoundRect(const IRECT& bounds, float cornerRadius);
  void PathRoundRect(const IRECT& bounds, float cRTL, float cRTR, float cRBL, float cRBR);
  void PathEllipse(const IRECT& bounds);
  void PathEllipse(float x, float y, float r1, float r2, float angle = 0.f);

  // Text, bitmap-frame and line conveniences ---------------------------------
  // Nothing for a null or empty string.
  void DrawText(const IText& text, const char* str, const IRECT& bounds, const IBlend* pBlend = nullptr);
  void DrawText(const IText& text, const char* str, float x, float y, const IBlend* pBlend = nullptr);
  // The text's width with bounds set to its box; 0 (bounds untouched) for a
  // null or empty string.
  virtual float MeasureText(const IText& text, const char* str, IRECT& bounds) const;
  // Frame 1..N of a film strip; frames outside are clamped.
  void DrawBitmapFrame(const IBitmap& bitmap, const IRECT& bounds, int frame = 1, const IBlend* pBlend = nullptr);
  // A bitmap font whose frame k holds the character k + 31, one cell of
  // charWidth x charHeight per character.
  void DrawBitmapText(const IBitmap& bitmap, const IRECT& bounds, const IText& text, const IBlend* pBlend,
    const char* str, bool vCentre = true, bool multiline = false, int charWidth = 6, int charHeight = 12,
    int charOffset = 0);
  // x from 0 (left) to 1 (right) of r, clamped.
  void DrawVerticalLine(const IColor& color, const IRECT& r, float x, const IBlend* pBlend = nullptr,
    float thickness = 1.f);
  void DrawVerticalLine(const IColor& color, float xi, float yLo, float yHi, const IBlend* pBlend = nullptr,
    float thickness = 1.f);
  // y from 0 (bottom) to 1 (top) of r, clamped.
  void DrawHorizontalLine(const IColor& color, const IRECT& r, float y, const IBlend* pBlend = nullptr,
    float thickness = 1.f);
  void DrawHorizontalLine(const IColor& color, float yi, float xLo, float xHi, const IBlend* pBlend = nullptr,
    float thickness = 1.f);
  // From radius rMin to rMax on the ray at angle degrees (0 up, clockwise).
  void DrawRadialLine(const IColor& color, float cx, float cy, float angle, float rMin, float rMax,
    const IBlend* pBlend = nullptr, float thickness = 1.f);
  void PathRadialLine(float cx, float cy, float angle, float rMin, float rMax);

  // Transforms and clip ------------------------------------------------------
  // Each changes the current transform (the new operation applies to points
  // first) and hands it to the back-end.
  void PathTransformSave();
  // Nothing when nothing was saved.
  void PathTransformRestore();
  void PathTransformReset(bool clearStates = false);
  void PathTransformTranslate(float x, float y);
  void PathTransformScale(float x, float y);
  void PathTransformScale(float scale);
  void PathTransformRotate(float angle);
  void PathTransformSkew(float xAngle, float yAngle);
  void PathTransformMatrix(const IMatrix& matrix);
  const IMatrix& GetTransform() const { return mTransform; }
  // Clips to r (untransformed points) within the current layer, or the
  // control's drawing area without one; an empty r clips to that area.
  void PathClipRegion(const IRECT& r = IRECT());
  // The drawing area of the control being drawn (the draw road sets it).
  void SetBaseClipRect(const IRECT& r) { mClipRECT = r; }

  // Layers -------------------------------------------------------------------
  // Redirects drawing into a new layer over r, aligned to whole pixels.
  void StartLayer(IControl* pControl, const IRECT& r, bool cacheable = false);
  // The layer drawn into since its StartLayer; null without one.
  ILayerPtr EndLayer();
  // Draws into a kept layer again; nothing for a null one.
  void ResumeLayer(ILayerPtr& layer);
  // False when the layer must be drawn again: missing, its control moved or
  // resized (noticed once), or made for another scale.
  bool CheckLayer(const ILayerPtr& layer);
  void DrawLayer(const ILayerPtr& layer, const IBlend* pBlend = nullptr);
  void DrawFittedLayer(const ILayerPtr& layer, const IRECT& bounds, const IBlend* pBlend = nullptr);
  void DrawRotatedLayer(const ILayerPtr& layer, double angle);
  // Blurs the layer's alpha and lets the back-end draw the shadow from it.
  void ApplyLayerDropShadow(ILayerPtr& layer, const IShadow& shadow);
  void WriteLayerBitmapData(const ILayerPtr& layer, const IRawBitmapData& data) { SetLayerBitmapData(layer, data); }
  int NLayers() const { return static_cast<int>(mLayers.size()); }

  // Resources ----------------------------------------------------------------
  // Bitmaps and SVGs live in process-wide caches shared by every context;
  // a missing or broken resource gives the invalid bitmap or SVG, never a
  // crash. targetScale 0 is the screen scale.
  virtual IBitmap LoadBitmap(const char* name, int nStates = 1, bool framesAreHorizontal = false,
    int targetScale = 0);
  virtual IBitmap LoadBitmap(const char* name, const void* pData, int dataSize, int nStates = 1,
    bool framesAreHorizontal = false, int targetScale = 0);
  virtual ISVG LoadSVG(const char* fileNameOrResID, const char* units = "px", float dpi = 72.f);
  virtual ISVG LoadSVG(const char* name, const void* pData, int dataSize, const char* units = "px",
    float dpi = 72.f);
  // The file's bytes; empty when it is missing, unreadable, short or too
  // large for the buffer.
  virtual IRawBitmapData LoadResource(const char* fileNameOrResID, const char* fileType);
  // A copy of the bitmap drawn at another pixel scale, cached under name.
  virtual IBitmap ScaleBitmap(const IBitmap& inBitmap, const char* cacheName, int targetScale);
  virtual void RetainBitmap(const IBitmap& bitmap, const char* cacheName);
  virtual void ReleaseBitmap(const IBitmap& bitmap);
  // True when the platform made the font and the back-end registered it;
  // only then is it cached.
  virtual bool LoadFont(const char* fontID, const char* fileNameOrResID);
  virtual bool LoadFont(const char* fontID, void* pData, int dataSize);
  bool LoadFont(const char* fontID, const char* fontName, ETextStyle style);
  // Finds the file of a bitmap for the target scale: the target first, then
  // 4, 3, 2 and 1 ("name@<scale>x.ext" above 1). Returns where it was found
  // (kNotFound for nowhere) with its path and scale.
  EResourceLocation SearchScaledResource(const char* name, const char* type, PK_String& result, int targetScale,
    int& sourceScale);

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
  // The building forms: a drawn menu in the text style, whose panels take
  // bounds when they are not empty (else the size of their cells), and a
  // drawn text entry. Each builds nothing while one is attached.
  void AttachPopupMenuControl(const IText& text, const IRECT& bounds);
  void AttachTextEntryControl();
  // Removing a drawn menu or entry that is in use ends its use first: an
  // open menu is answered as dismissed, an open entry closes without a value.
  void RemovePopupMenuControl();
  void RemoveTextEntryControl();
  // On: a frame-time display at (10, 10, 210, 60) unless one exists; off:
  // destroys it. Both make all controls dirty.
  void ShowFPSDisplay(bool enable);
  // Backgrounds, inserted at index 0 so they are drawn first: a bitmap at
  // (0, 0), an SVG or a filled panel over the whole editor.
  IControl* AttachBackground(const char* name);
  IControl* AttachSVGBackground(const char* name);
  IControl* AttachPanelBackground(const IPattern& pattern);
  // A resizer of the given side in the bottom-right corner.
  void AttachCornerResizer(EUIResizerMode mode, bool layoutOnResize, const IColor& color,
    const IColor& mouseOverColor, const IColor& dragColor, float size);
  // A bubble in the text style with the default colours.
  void AttachBubbleControl(const IText& text);
  // Shows a bubble with the text beside (x, y) for the caller; does
  // nothing without a bubble.
  void ShowBubbleControl(IControl* pCaller, float x, float y, const char* str, EDirection dir = kHorizontal,
    IRECT minimumContentBounds = IRECT());
  // Applies the style to every control of the list with a vector part; the
  // special controls keep their own look.
  void StyleAllVectorControls(const IVStyle& style);
  void GetMouseDownPoint(float& x, float& y) const
  {
    x = mMouseDownX;
    y = mMouseDownY;
  }
  ICornerResizerControl* GetCornerResizer() const { return mCornerResizer.get(); }
  IPopupMenuControl* GetPopupMenuControl() const { return mPopupControl.get(); }
  ITextEntryControl* GetTextEntryControl() const { return mTextEntryControl.get(); }
  IFPSDisplayControl* GetFPSDisplay() const { return mPerfDisplay.get(); }
  int NBubbles() const { return mBubbleControls.GetSize(); }
  IBubbleControl* GetBubbleControl(int idx) const { return mBubbleControls.Get(idx); }
  EUIResizerMode GetResizerMode() const { return mGUISizeMode; }
  // A resizer of our own chooses between zooming and resizing per drag.
  void SetResizerMode(EUIResizerMode mode) { mGUISizeMode = mode; }

  // Draw road, once per display tick: IsDirty fills rects (animations run
  // first) and says whether anything needs drawing; the controls are then
  // made clean and DrawDirtyRegions draws exactly those areas, aligned to
  // whole device pixels.
  bool IsDirty(IRECTList& rects);
  void DrawDirtyRegions(const IRECTList& rects);
  // Every control that meets the area, clipped to it.
  void Draw(const IRECT& area, float scale);
  void DrawControl(IControl* pControl, const IRECT& area, float scale);
  // On: each frame draws the one rectangle spanning all dirty areas.
  void SetStrictDrawing(bool strict);
  const IRECT& GetCurrentClip() const { return mClipRECT; }

  // The prompt road; the pop-up menu or text entry it opens answers later.
  // A parameter with display texts is offered as a menu, any other as a
  // text field.
  void PromptUserInput(IControl& control, const IRECT& bounds, int valIdx);
  // Opens the menu for the control in the drawn menu when one is attached,
  // else the platform's; the answer reaches the control through
  // SetControlValueAfterPopupMenu. A request the drawn menu refuses (one is
  // already open) is answered at once as dismissed.
  void CreatePopupMenu(IControl& control, IPopupMenu& menu, const IRECT& bounds, int valIdx = -1,
    bool isContext = false);
  void CreateTextEntry(IControl& control, const IText& text, const IRECT& bounds, const char* str = "",
    int valIdx = -1);
  // The answers: a committed text, a chosen menu item (null: dismissed).
  void SetControlValueAfterTextEdit(const char* str);
  void SetControlValueAfterPopupMenu(IPopupMenu* pMenu);
  // The platform's field closed without a commit: no caller waits any more.
  void OnTextEntryEndedWithoutCommit();

  // Events, in editor points; each reaches the control under the point or
  // the one captured by its touch.
  void OnMouseDown(const IMouseInfoList& points);
  void OnMouseUp(const IMouseInfoList& points);
  void OnMouseDrag(const IMouseInfoList& points);
  bool OnMouseDblClick(float x, float y, const IMouseMod& mod);
  bool OnMouseOver(float x, float y, const IMouseMod& mod);
  void OnMouseOut();
  void OnMouseWheel(float x, float y, const IMouseMod& mod, float delta);
  void OnDrop(const char* path, float x, float y);
  void OnFocusLost();
  void OnTouchCancelled(const IMouseInfoList& points);
  void OnAppearanceChanged(EUIAppearance appearance);
  // The control for an event at the point: the touch's capture, then an
  // open drawn menu or text entry, the corner resizer, the frame-time
  // display, then the list from the top. capture records it for the touch.
  IControl* GetMouseControl(float x, float y, bool capture, bool mouseOver = false, ITouchID touchID = 0);
  void PopupContextMenu(IControl* pControl, float x, float y);
  void PopupContextMenu(int controlIdx, float x, float y) { PopupContextMenu(GetControl(controlIdx), x, y); }
  // Remembers the parameter under the point; Get returns it once.
  int SetLastClickedParam(float x, float y);
  int GetLastClickedParam();
  void AssignParamNameToolTips();
  void AssignParamNameToolTipsAuto();

  // Computer-keyboard MIDI: letter keys play notes through the delegate,
  // then func. The state (octave, held notes) is shared by the process.
  void SetQwertyMidiKeyHandlerFunc(std::function<void(const IMidiMsg& msg)> func = nullptr);
  static void ResetQwertyMidiState();
  // Gestures go to a control with handlers under the point, else to the
  // function of the first region that holds the point.
  void AttachGestureRecognizerToRegion(const IRECT& region, EGestureType type, IGestureFunc func);
  void ClearGestureRegions();
  bool RespondsToGesture(float x, float y);
  void OnGestureRecognized(const IGestureInfo& info);

  // Size and scale. Resize clamps the size to the delegate's limits and the
  // scale to the context's, does nothing when nothing changes, and otherwise
  // releases captures, stores them and tells the delegate, the platform and
  // every control.
  void Resize(int w, int h, float scale, bool needsPlatformResize = true);
  // As above; with limitsApplyToPoints false the size limits apply to the
  // window's pixels at the new scale.
  void Resize(int w, int h, float scale, bool needsPlatformResize, bool limitsApplyToPoints);
  // The display's backing scale; the size and draw scale stay. A scale that
  // is not finite and above 0 is ignored.
  void SetScreenScale(float scale);
  // The corner resizer's drag: started by the resizer, followed by the
  // pointer, ended by the mouse-up.
  void StartResizeGesture() { mResizingInProcess = true; }
  bool IsResizing() const { return mResizingInProcess; }
  void OnResizeGesture(float x, float y);
  void EndResizeGesture();
  // The bitmap loaded again for the current screen scale.
  IBitmap GetScaledBitmap(IBitmap& src);
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
  // The captured touches whose press began the host gestures of their
  // control: the release ends them, or the answer of a menu opened while
  // they were held (opening it releases the capture).
  std::unordered_set<ITouchID> mGestureTouches;
  IControl* mMouseOver = nullptr;
  IControl* mInTextEntry = nullptr;
  IControl* mInPopupMenu = nullptr;
  void* mPlatformPointer = nullptr;
  bool mIsContextMenu = false;
  // The pending menu's answer ends its caller's gestures (see above).
  bool mPopupEndsGestures = false;
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
  // Counts this context in on the shared bitmap and SVG caches.
  ResourceCacheUse mResourceCacheUse;

  // The layer stack: pushing re-targets drawing to the layer with an
  // identity transform and its clip; popping returns to what lies below.
  void PushLayer(ILayer* pLayer);
  ILayer* PopLayer();
  // The first cached bitmap of that name in the scaled search order, with
  // its scale; null when none.
  APIBitmap* SearchBitmapInCache(const char* name, int targetScale, int& sourceScale);

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
  // The host gesture around an edit, for every linked value of the control.
  void InformHostOfGestures(const IControl& control, bool begin);
  // The control under the point with gesture handlers and no animation.
  IControl* GestureControlAt(float x, float y);
  // The function of the first gesture region holding the point; null when
  // none holds it or that region has no function.
  const IGestureFunc* GestureRegionFuncAt(float x, float y) const;
  // True when a captured touch of the control began its host gestures.
  bool GesturesBegunBy(const IControl* pControl) const;
  void AnswerPopup(IControl* pCaller, int valIdx, bool isContext, bool endGestures, IPopupMenu* pMenu);
};

} // namespace plugkit::gfx
