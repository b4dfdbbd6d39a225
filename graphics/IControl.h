#pragma once

#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

#include "framework/IMidiMsg.h"
#include "framework/QueueRecords.h"
#include "graphics/IKeyPress.h"
#include "graphics/IRECT.h"
#include "graphics/PK_String.h"

namespace plugkit::gfx {

class IGfx;
class IGEditorDelegate;
class IControl;

using IActionFunction = std::function<void(IControl* pCaller)>;

// The base of every element of the editor: a rectangle on the graphics
// context that draws itself, receives events and holds one or more
// normalised values, each of which may be linked to a plug-in parameter.
//
// Values leave a control through SetDirty (toward the editor delegate and the
// host) and arrive through SetValueFromDelegate (from the host, without being
// sent back). The graphics context owns every attached control and deletes
// it; a control never deletes itself.
//
// Threads: the main (user-interface) thread only. Value indices: 0 ..
// NVals() - 1, and -1 means all values; callers pass indices in range, except
// where an operation says it treats a one-value control specially.
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

  // Event hooks; the defaults do not handle the event.
  virtual bool OnKeyDown(float x, float y, const IKeyPress& key) { return false; }
  virtual bool OnKeyUp(float x, float y, const IKeyPress& key) { return false; }
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

  virtual void Draw(IGfx& g) = 0;

  // A value from the plug-in: ignored while a mouse or touch captures the
  // control (the user is dragging it); otherwise, when it differs, stored and
  // redrawn without triggering the action or sending it back.
  virtual void SetValueFromDelegate(double value, int valIdx = 0);
  // Stores the value as given, unclamped; nothing else.
  virtual void SetValue(double value, int valIdx = 0);
  // Sets or clears the hidden flag and redraws; hidden controls are neither
  // drawn nor hit.
  virtual void Hide(bool hide);
  virtual bool IsHit(float x, float y) const { return mTargetBounds.Contains(x, y); }
  // Marks the control for redrawing after clamping its values to 0..1. With
  // triggerAction, each linked value goes to the delegate as a change from
  // the editor, controls linked to the same parameter follow, and the action
  // function runs. A one-value control treats every valIdx as 0.
  virtual void SetDirty(bool triggerAction = true, int valIdx = -1);
  virtual void SetClean() { mDirty = false; }
  virtual bool IsDirty() const { return mDirty; }

  // The parameter index of value valIdx (negative when not linked).
  int GetParamIdx(int valIdx = 0) const { return mVals[static_cast<size_t>(valIdx)].idx; }
  // The first value index linked to paramIdx, or -1.
  int LinkedToParam(int paramIdx) const;
  double GetValue(int valIdx = 0) const { return mVals[static_cast<size_t>(valIdx)].value; }
  int NVals() const { return static_cast<int>(mVals.size()); }

  const IRECT& GetRECT() const { return mBounds; }
  const IRECT& GetTargetRECT() const { return mTargetBounds; }
  const char* GetGroup() const { return mGroup.Get(); }
  void SetGroup(const char* group) { mGroup.Set(group); }
  bool IsHidden() const { return mHidden; }
  bool IsDisabled() const { return mDisabled; }
  bool GetIgnoreMouse() const { return mIgnoreMouse; }
  void SetIgnoreMouse(bool ignore) { mIgnoreMouse = ignore; }
  bool GetMouseOverWhenDisabled() const { return mMouseOverWhenDisabled; }
  bool GetMouseEventsWhenDisabled() const { return mMouseEventsWhenDisabled; }
  bool WantsMidi() const { return mWantsMidi; }
  void SetWantsMidi(bool wants) { mWantsMidi = wants; }
  void SetActionFunction(IActionFunction func) { mActionFunc = std::move(func); }

  // Set by the graphics context when the control is attached.
  void SetDelegate(IGEditorDelegate& dlg) { mDelegate = &dlg; }
  void SetGraphics(IGfx* pGraphics) { mGraphics = pGraphics; }
  IGEditorDelegate* GetDelegate() const { return mDelegate; }
  IGfx* GetUI() const { return mGraphics; }

protected:
  IRECT mBounds;
  IRECT mTargetBounds;
  PK_String mGroup;
  bool mDirty = true;
  bool mHidden = false;
  bool mDisabled = false;
  bool mMouseOverWhenDisabled = false;
  bool mMouseEventsWhenDisabled = false;
  bool mIgnoreMouse = false;
  bool mWantsMidi = false;
  IGEditorDelegate* mDelegate = nullptr;
  IGfx* mGraphics = nullptr;
  IActionFunction mActionFunc;
  std::vector<ParamTuple> mVals;
};

} // namespace plugkit::gfx
