#pragma once

#include <functional>
#include <initializer_list>
#include <unordered_map>
#include <utility>
#include <vector>

#include "framework/IMidiMsg.h"
#include "framework/QueueRecords.h"
#include "graphics/IColor.h"
#include "graphics/IGesture.h"
#include "graphics/IKeyPress.h"
#include "graphics/IMouseInfo.h"
#include "graphics/IPaintOptions.h"
#include "graphics/IRECT.h"
#include "graphics/IText.h"
#include "graphics/PK_String.h"

namespace plugkit {
class IParam;
}

namespace plugkit::gfx {

class IGfx;
class IGEditorDelegate;
class IControl;
class IPopupMenu;

using IActionFunction = std::function<void(IControl* pCaller)>;
using IAnimationFunction = std::function<void(IControl* pCaller)>;

enum EDirection : int32_t { kVertical = 0, kHorizontal = 1 };

// The base of every element of the editor: a rectangle on the graphics
// context that draws itself, receives events and holds one or more
// normalised values, each of which may be linked to a plug-in parameter.
//
// Values leave a control through SetDirty (toward the editor delegate and the
// host) and arrive through SetValueFromDelegate (from the host, without being
// sent back). The graphics context owns every attached control and deletes
// it; a control never deletes itself.
//
// Animation: set an animation function and call StartAnimation; the control
// stays dirty every frame until the function ends it with OnEndAnimation,
// which runs the end action once. Time comes from SteadyTimeMs.
//
// Threads: the main (user-interface) thread only. Value indices: 0 ..
// NVals() - 1, and -1 means all values. A read outside the value list (a
// control may hold no value at all) answers "not linked" (-1) or 0.0, and a
// write there does nothing.
class IControl
{
public:
  // One value linked to paramIdx (-1: not linked).
  IControl(const IRECT& bounds, int paramIdx = -1, IActionFunction actionFunc = nullptr);
  // One value per listed parameter index, in list order; an empty list gives
  // a control without values.
  IControl(const IRECT& bounds, std::initializer_list<int> params, IActionFunction actionFunc = nullptr);
  // One unlinked value.
  IControl(const IRECT& bounds, IActionFunction actionFunc);
  virtual ~IControl() = default;
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // Mouse and keys; the defaults do not handle the event, except that a
  // right click prompts for the value under it and a double click resets it.
  virtual void OnMouseDown(float x, float y, const IMouseMod& mod);
  virtual void OnMouseUp(float x, float y, const IMouseMod& mod) {}
  virtual void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) {}
  virtual void OnMouseDblClick(float x, float y, const IMouseMod& mod);
  virtual void OnMouseWheel(float x, float y, const IMouseMod& mod, float d) {}
  virtual bool OnKeyDown(float x, float y, const IKeyPress& key) { return false; }
  virtual bool OnKeyUp(float x, float y, const IKeyPress& key) { return false; }
  // Track the pointer; each redraws only when the flag changes.
  virtual void OnMouseOver(float x, float y, const IMouseMod& mod);
  virtual void OnMouseOut();
  virtual void OnTouchCancelled(float x, float y, const IMouseMod& mod) {}
  virtual void OnDrop(const char* path) {}
  // Called when the draw scale changes, when the bounds change, first on
  // attach and last on attach.
  virtual void OnRescale() {}
  virtual void OnResize() {}
  virtual void OnInit() {}
  virtual void OnAttached() {}
  // Receives messages sent with SendControlMsgFromDelegate; data is valid
  // only during the call.
  virtual void ReservedHook17(int msgTag, int dataSize, const void* pData) {}
  // Receives MIDI from the delegate when WantsMidi() is set.
  virtual void ReservedHook18(const IMidiMsg& msg) {}
  // Runs the handler registered for the gesture's type; false when none is.
  virtual bool OnGesture(const IGestureInfo& info);
  // May fill the right-click menu.
  virtual void CreateContextMenu(IPopupMenu& contextMenu) {}
  // The chosen item's index taken as a plain value of the parameter of
  // valIdx; nothing for a dismissed menu, an unlinked value or a refused
  // prompt.
  virtual void OnPopupMenuSelection(IPopupMenu* pSelectedMenu, int valIdx);
  virtual void OnTextEntryCompletion(const char* str, int valIdx) {}
  virtual void OnContextSelection(int itemIndex) {}

  virtual void Draw(IGfx& g) = 0;
  // A dot in the highlight colour near the top-right corner, when on.
  virtual void DrawHighlight(IGfx& g);

  // Links value valIdx to the parameter. Only existing values can be linked:
  // any other index is a programming error (asserted in debug builds,
  // ignored otherwise).
  virtual void SetParamIdx(int paramIdx, int valIdx = 0);
  // The value a position acts on: 0 for a one-value control, else -1 (all).
  virtual int GetValIdxForPos(float x, float y) const { return NVals() == 1 ? 0 : -1; }
  // A value from the plug-in: ignored while a mouse or touch captures the
  // control (the user is dragging it); otherwise, when it differs, stored and
  // redrawn without triggering the action or sending it back.
  virtual void SetValueFromDelegate(double value, int valIdx = 0);
  // A value the user chose: when it differs, stored and sent.
  virtual void SetValueFromUserInput(double value, int valIdx = 0);
  // Each linked value (valIdx, or all for -1) goes to its parameter's
  // default, stepped, clamped and normalised through the shape; then sent.
  virtual void SetValueToDefault(int valIdx = -1);
  // Stores the value as given, unclamped; nothing else.
  virtual void SetValue(double value, int valIdx = 0);
  // Moves the top-left corner to (x, y) (each at least 0); the hit bounds
  // keep their offset from the draw bounds.
  virtual void SetPosition(float x, float y);
  // A new size (each at least 0) from the same top-left corner; the hit
  // bounds become the draw bounds.
  virtual void SetSize(float w, float h);
  // Sets or clears the hidden flag and redraws; hidden controls are neither
  // drawn nor hit.
  virtual void Hide(bool hide);
  // Greys the control (blend weight 0.25, back to 1.0 when enabled).
  virtual void SetDisabled(bool disable);
  virtual bool IsHit(float x, float y) const { return mTargetBounds.Contains(x, y); }
  // Marks the control for redrawing after clamping its values to 0..1 (NaN
  // becomes 0). With triggerAction, each linked value goes to the delegate as
  // a change from the editor, controls linked to the same parameter follow,
  // and the action function runs. A one-value control treats every valIdx
  // as 0.
  virtual void SetDirty(bool triggerAction = true, int valIdx = -1);
  virtual void SetClean() { mDirty = false; }
  // Always true while an animation runs.
  virtual bool IsDirty() const;
  virtual void ReservedHook40() {}
  // Sets the value from a pointer position on a track (vertical: the top is
  // 1), in steps of a thousandth and within [lo, hi], and sends it.
  virtual void SnapToMouse(float x, float y, EDirection direction, const IRECT& bounds, int valIdx = -1,
    double lo = 0.0, double hi = 1.0);
  // Ends the running animation: no function, one redraw, the end action.
  virtual void OnEndAnimation();

  // The parameter index of value valIdx; -1 when not linked or outside the
  // value list.
  int GetParamIdx(int valIdx = 0) const;
  // The delegate's parameter of value valIdx; null when unlinked, outside
  // the value list or naming no parameter of the delegate.
  IParam* GetParam(int valIdx = 0) const;
  // The first value index linked to paramIdx, or -1.
  int LinkedToParam(int paramIdx) const;
  // The stored value; 0.0 outside the value list.
  double GetValue(int valIdx = 0) const;
  int NVals() const { return static_cast<int>(mVals.size()); }

  // Asks the graphics context to let the user enter value valIdx: over the
  // draw bounds for a parameter with display texts, else over a 40 x 16 box
  // at the centre. Nothing for -1, an unlinked value or a refused prompt.
  void PromptUserInput(int valIdx = 0);
  void PromptUserInput(const IRECT& bounds, int valIdx = 0);

  void StartAnimation(int durationMs, bool forward = true);
  // 0 without an animation; else the elapsed part of the duration (may pass
  // 1), counted down for a backward animation.
  double GetAnimationProgress() const;
  // Runs the animation function once; the context calls it every frame.
  void Animate();
  void SetAnimation(IAnimationFunction func) { mAnimationFunc = std::move(func); }
  void SetAnimation(IAnimationFunction func, int durationMs)
  {
    mAnimationFunc = std::move(func);
    StartAnimation(durationMs);
  }
  IAnimationFunction GetAnimationFunction() const { return mAnimationFunc; }
  bool IsAnimating() const { return static_cast<bool>(mAnimationFunc); }
  void SetAnimationEndActionFunction(IActionFunction func) { mAnimationEndActionFunc = std::move(func); }
  double GetAnimationDuration() const { return mAnimationDuration; }

  // Colour 0 red, 1 blue, 2 green, 3 yellow; another index keeps the colour.
  void SetHighlight(bool on, int colorIdx = 0);
  bool GetHighlighted() const { return mHighlighted; }
  const IColor& GetHighlightColor() const { return mHighlightColor; }

  // Registers a handler for the gesture type (one per type).
  void AttachGestureHandler(EGestureType type, IGestureFunc func) { mGestureFuncs[type] = std::move(func); }
  EGestureType GetLastGesture() const { return mLastGesture; }
  bool HasGestureHandlers() const { return !mGestureFuncs.empty(); }

  const IRECT& GetRECT() const { return mBounds; }
  const IRECT& GetTargetRECT() const { return mTargetBounds; }
  void SetRECT(const IRECT& bounds)
  {
    mBounds = bounds;
    mMouseIsOver = false;
    OnResize();
  }
  void SetTargetRECT(const IRECT& bounds)
  {
    mTargetBounds = bounds;
    mMouseIsOver = false;
  }
  void SetTargetAndDrawRECTs(const IRECT& bounds)
  {
    mBounds = mTargetBounds = bounds;
    mMouseIsOver = false;
    OnResize();
  }
  const char* GetGroup() const { return mGroup.Get(); }
  void SetGroup(const char* group) { mGroup.Set(group ? group : ""); }
  const IText& GetText() const { return mText; }
  void SetText(const IText& text) { mText = text; }
  const IBlend& GetBlend() const { return mBlend; }
  void SetBlend(const IBlend& blend) { mBlend = blend; }
  int GetTextEntryLength() const { return mTextEntryLength; }
  void SetTextEntryLength(int len) { mTextEntryLength = len; }
  const char* GetTooltip() const { return mTooltip.Get(); }
  void SetTooltip(const char* str) { mTooltip.Set(str ? str : ""); }
  bool IsHidden() const { return mHidden; }
  bool IsDisabled() const { return mDisabled; }
  bool GetIgnoreMouse() const { return mIgnoreMouse; }
  void SetIgnoreMouse(bool ignore) { mIgnoreMouse = ignore; }
  bool GetMouseOverWhenDisabled() const { return mMouseOverWhenDisabled; }
  void SetMouseOverWhenDisabled(bool allow) { mMouseOverWhenDisabled = allow; }
  bool GetMouseEventsWhenDisabled() const { return mMouseEventsWhenDisabled; }
  void SetMouseEventsWhenDisabled(bool allow) { mMouseEventsWhenDisabled = allow; }
  bool GetPromptDisabled() const { return mPromptDisabled; }
  void DisablePrompt(bool disable) { mPromptDisabled = disable; }
  bool GetPromptShowsLabel() const { return mPromptShowsLabel; }
  void SetPromptShowsLabel(bool show) { mPromptShowsLabel = show; }
  bool GetMouseDblAsSingleClick() const { return mDblClickAsSingle; }
  void SetMouseDblAsSingleClick(bool single) { mDblClickAsSingle = single; }
  bool GetOwnsRightClick() const { return mOwnsRightClick; }
  void SetOwnsRightClick(bool owns) { mOwnsRightClick = owns; }
  bool GetWantsMultiTouch() const { return mWantsMultiTouch; }
  void SetWantsMultiTouch(bool wants) { mWantsMultiTouch = wants; }
  bool GetMouseIsOver() const { return mMouseIsOver; }
  bool WantsMidi() const { return mWantsMidi; }
  void SetWantsMidi(bool wants) { mWantsMidi = wants; }
  IActionFunction GetActionFunction() const { return mActionFunc; }
  void SetActionFunction(IActionFunction func) { mActionFunc = std::move(func); }

  // Set by the graphics context when the control is attached.
  void SetDelegate(IGEditorDelegate& dlg) { mDelegate = &dlg; }
  void SetGraphics(IGfx* pGraphics) { mGraphics = pGraphics; }
  IGEditorDelegate* GetDelegate() const { return mDelegate; }
  IGfx* GetUI() const { return mGraphics; }

protected:
  bool HasVal(int valIdx) const { return valIdx >= 0 && valIdx < NVals(); }
  // The normalised value of a plain one: stepped (only for a step above 0),
  // clamped to the range, through the shape, clamped to 0..1.
  static double NormalisedFromPlain(const IParam& param, double plain);

  IRECT mBounds;
  IRECT mTargetBounds;
  PK_String mGroup;
  IText mText;
  IBlend mBlend;
  int mTextEntryLength = 7;
  bool mDirty = true;
  bool mHidden = false;
  bool mDisabled = false;
  bool mPromptDisabled = true;
  bool mDblClickAsSingle = false;
  bool mMouseOverWhenDisabled = false;
  bool mMouseEventsWhenDisabled = false;
  bool mIgnoreMouse = false;
  bool mOwnsRightClick = false;
  bool mWantsMultiTouch = false;
  bool mPromptShowsLabel = false;
  bool mMouseIsOver = false;
  bool mWantsMidi = false;
  PK_String mTooltip;
  IColor mHighlightColor = kColorRed;
  bool mHighlighted = false;
  IGEditorDelegate* mDelegate = nullptr;
  IGfx* mGraphics = nullptr;
  IActionFunction mActionFunc;
  IActionFunction mAnimationEndActionFunc;
  IAnimationFunction mAnimationFunc;
  double mAnimationStart = 0.0;
  double mAnimationDuration = 0.0;
  bool mAnimationForward = true;
  std::vector<ParamTuple> mVals;
  std::unordered_map<int, IGestureFunc> mGestureFuncs;
  EGestureType mLastGesture = kGestureUnknown;
};

// Ends the running animation once its progress passes 1.
void DefaultAnimationFunc(IControl* pCaller);
// Starts a forward 100 ms animation run by DefaultAnimationFunc.
void DefaultClickActionFunc(IControl* pCaller);

} // namespace plugkit::gfx
