#include "graphics/IGfx.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/IGEditorDelegate.h"
#include "graphics/IBubbleControl.h"
#include "graphics/ICornerResizerControl.h"
#include "graphics/IFPSDisplayControl.h"
#include "graphics/controls/IPopupMenuControl.h"
#include "graphics/controls/ITextEntryControl.h"

namespace plugkit::gfx {

IGfx::IGfx(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
  : mWidth(w)
  , mHeight(h)
  , mFPS(fps > 0 ? fps : 60)
  , mDrawScale(scale)
  , mMinScale(scale / 2.f)
  , mMaxScale(scale * 2.f)
  , mDelegate(&dlg)
{
  mCtrlTags.max_load_factor(1.f);
  dlg.SetEditorSize(w, h);
  dlg.SetEditorScale(scale);
}

IGfx::~IGfx()
{
  // The platform layer is already gone: no virtual operation may run here.
  ForgetEventState(false);
  DestroyAllControls();
  // Layers still pushed belong to the stack.
  while (!mLayers.empty())
  {
    delete mLayers.top();
    mLayers.pop();
  }
}

void IGfx::PrepareControl(IControl* pControl)
{
  pControl->SetDelegate(*mDelegate);
  pControl->SetGraphics(this);
  pControl->OnInit();
  pControl->OnResize();
  pControl->OnRescale();
}

IControl* IGfx::AttachControl(IControl* pControl, int ctrlTag, const char* group)
{
  if (!pControl)
    return nullptr;
  if (ctrlTag >= 0)
  {
    if (mCtrlTags.count(ctrlTag))
      return nullptr;
    mCtrlTags[ctrlTag] = pControl;
  }
  PrepareControl(pControl);
  pControl->SetGroup(group);
  if (!mControls.Add(pControl))
  {
    // Out of memory: the control stays the caller's.
    if (ctrlTag >= 0)
      mCtrlTags.erase(ctrlTag);
    return nullptr;
  }
  pControl->OnAttached();
  return pControl;
}

IControl* IGfx::AttachBackgroundControl(IControl* pControl)
{
  if (!pControl)
    return nullptr;
  PrepareControl(pControl);
  if (!mControls.Insert(pControl, 0))
    return nullptr;
  SyncMouseOverIdx();
  return pControl;
}

IControl* IGfx::GetControlWithTag(int ctrlTag) const
{
  const auto it = mCtrlTags.find(ctrlTag);
  return it == mCtrlTags.end() ? nullptr : it->second;
}

int IGfx::GetControlParamIdx(int idx) const
{
  const IControl* c = GetControl(idx);
  return c ? c->GetParamIdx(0) : -1;
}

void IGfx::DetachFromEventState(const IControl* pControl)
{
  if (ControlIsCaptured(pControl))
    ReleaseMouseCapture();
  if (mMouseOver == pControl)
  {
    mMouseOver = nullptr;
    mMouseOverIdx = -1;
  }
  if (mInTextEntry == pControl)
  {
    mInTextEntry = nullptr;
    mTextEntryValIdx = -1;
  }
  if (mInPopupMenu == pControl)
  {
    mInPopupMenu = nullptr;
    mPopupMenuValIdx = -1;
    mPopupEndsGestures = false;
  }
}

void IGfx::SyncMouseOverIdx()
{
  mMouseOverIdx = mMouseOver ? mControls.Find(mMouseOver) : -1;
}

void IGfx::DetachAndDestroy(int idx)
{
  IControl* pControl = GetControl(idx);
  DetachFromEventState(pControl);
  for (auto it = mCtrlTags.begin(); it != mCtrlTags.end(); ++it)
    if (it->second == pControl)
    {
      mCtrlTags.erase(it);
      break;
    }
  mControls.Delete(idx, true);
}

void IGfx::RemoveControl(IControl* pControl)
{
  const int idx = mControls.Find(pControl);
  if (idx < 0)
    return;
  DetachAndDestroy(idx);
  SyncMouseOverIdx();
  SetAllControlsDirty();
}

void IGfx::RemoveControls(int fromIdx)
{
  for (int i = NControls() - 1; i >= std::max(fromIdx, 0); --i)
    DetachAndDestroy(i);
  SyncMouseOverIdx();
  SetAllControlsDirty();
}

void IGfx::ForgetEventState(bool showCursor)
{
  mCapturedMap.clear();
  mGestureTouches.clear();
  if (showCursor && mCursorHidden)
    HideMouseCursor(false, true);
  mMouseOver = nullptr;
  mMouseOverIdx = -1;
  mInTextEntry = nullptr;
  mTextEntryValIdx = -1;
  mInPopupMenu = nullptr;
  mPopupMenuValIdx = -1;
  mPopupEndsGestures = false;
}

void IGfx::RemoveAllControls()
{
  ForgetEventState(true);
  DestroyAllControls();
}

void IGfx::DestroyAllControls()
{
  mPopupControl.reset();
  mTextEntryControl.reset();
  mCornerResizer.reset();
  mPerfDisplay.reset();
  mBubbleControls.Empty(true);
  mCtrlTags.clear();
  mControls.Empty(true);
}

void IGfx::SetControlPosition(int idx, float x, float y)
{
  if (IControl* c = GetControl(idx))
  {
    c->SetPosition(x, y);
    if (!c->IsHidden())
      SetAllControlsDirty();
  }
}

void IGfx::SetControlSize(int idx, float w, float h)
{
  if (IControl* c = GetControl(idx))
  {
    c->SetSize(w, h);
    if (!c->IsHidden())
      SetAllControlsDirty();
  }
}

void IGfx::SetControlBounds(int idx, const IRECT& r)
{
  if (IControl* c = GetControl(idx))
  {
    c->SetTargetAndDrawRECTs(r);
    if (!c->IsHidden())
      SetAllControlsDirty();
  }
}

void IGfx::ForAllControlsFunc(const std::function<void(IControl* pControl)>& func)
{
  ForStandardControlsFunc(func);
  if (mPerfDisplay)
    func(mPerfDisplay.get());
  if (mCornerResizer)
    func(mCornerResizer.get());
  if (mTextEntryControl)
    func(mTextEntryControl.get());
  if (mPopupControl)
    func(mPopupControl.get());
  for (int i = 0; i < mBubbleControls.GetSize(); ++i)
    func(mBubbleControls.Get(i));
}

void IGfx::ForStandardControlsFunc(const std::function<void(IControl* pControl)>& func)
{
  for (int i = 0; i < NControls(); ++i)
    func(GetControl(i));
}

void IGfx::ForMatchingControls(int paramIdx, const std::function<void(IControl* pControl)>& func)
{
  ForStandardControlsFunc([&](IControl* c) {
    if (c->LinkedToParam(paramIdx) >= 0)
      func(c);
  });
}

void IGfx::ForControlInGroup(const char* group, const std::function<void(IControl* pControl)>& func)
{
  if (!group || !*group)
    return;
  ForStandardControlsFunc([&](IControl* c) {
    if (std::strcmp(c->GetGroup(), group) == 0)
      func(c);
  });
}

void IGfx::SetAllControlsDirty()
{
  ForAllControlsFunc([](IControl* c) { c->SetDirty(false, -1); });
}

void IGfx::SetAllControlsClean()
{
  ForAllControlsFunc([](IControl* c) { c->SetClean(); });
}

void IGfx::HideControl(int paramIdx, bool hide)
{
  ForMatchingControls(paramIdx, [hide](IControl* c) { c->Hide(hide); });
}

void IGfx::DisableControl(int paramIdx, bool disable)
{
  ForMatchingControls(paramIdx, [disable](IControl* c) { c->SetDisabled(disable); });
}

void IGfx::SetParamControlsDirty(int paramIdx, bool triggerAction, int valIdx)
{
  ForMatchingControls(paramIdx, [=](IControl* c) { c->SetDirty(triggerAction, valIdx); });
}

void IGfx::HighlightParamControls(int paramIdx, bool on, int colorIdx)
{
  ForMatchingControls(paramIdx, [=](IControl* c) { c->SetHighlight(on, colorIdx); });
}

void IGfx::UpdatePeers(IControl* pCaller, int valIdx)
{
  const double value = pCaller->GetValue(valIdx);
  const int paramIdx = pCaller->GetParamIdx(valIdx);
  for (int i = 0; i < NControls(); ++i)
  {
    IControl* peer = GetControl(i);
    if (peer == pCaller)
      continue;
    for (int v = 0; v < peer->NVals(); ++v)
      if (peer->GetParamIdx(v) == paramIdx)
        peer->SetValueFromDelegate(value, v);
  }
}

void IGfx::SetScaleConstraints(float lo, float hi)
{
  mMinScale = std::min(lo, hi);
  mMaxScale = std::max(lo, hi);
}

namespace {

// The window's pixels for a size in points at a draw scale.
int WindowPixels(int points, float scale, float windowScale)
{
  return static_cast<int>(std::trunc(std::trunc(static_cast<float>(points) * scale) * windowScale));
}

// Both are clamped when either lies outside its limits; an inverted pair of
// limits yields the maximum.
template <class T>
void ClampToLimits(T& w, T& h, const IEditorDelegate& limits)
{
  const auto lim = [](int v) { return static_cast<T>(v); };
  if (w < lim(limits.GetMinWidth()) || w > lim(limits.GetMaxWidth()) || h < lim(limits.GetMinHeight()) ||
      h > lim(limits.GetMaxHeight()))
  {
    w = std::min(std::max(w, lim(limits.GetMinWidth())), lim(limits.GetMaxWidth()));
    h = std::min(std::max(h, lim(limits.GetMinHeight())), lim(limits.GetMaxHeight()));
  }
}

bool UsableScale(float scale)
{
  return std::isfinite(scale) && scale > 0.f;
}

} // namespace

void IGfx::Resize(int w, int h, float scale, bool needsPlatformResize)
{
  Resize(w, h, scale, needsPlatformResize, true);
}

void IGfx::Resize(int w, int h, float scale, bool needsPlatformResize, bool limitsApplyToPoints)
{
  const IEditorDelegate& limits = *mDelegate;
  // NaN is not a scale: it keeps the current one rather than reaching the
  // back-end.
  if (std::isnan(scale))
    scale = mDrawScale;
  scale = std::min(std::max(scale, mMinScale), mMaxScale);
  if (limitsApplyToPoints)
  {
    ClampToLimits(w, h, limits);
  }
  else
  {
    double pw = std::trunc(static_cast<double>(w) * scale);
    double ph = std::trunc(static_cast<double>(h) * scale);
    ClampToLimits(pw, ph, limits);
    w = static_cast<int>(std::trunc(pw / scale));
    h = static_cast<int>(std::trunc(ph / scale));
  }
  if (w == mWidth && h == mHeight && scale == mDrawScale)
    return;

  ReleaseMouseCapture();
  mDrawScale = scale;
  mWidth = w;
  mHeight = h;
  if (mCornerResizer)
    mCornerResizer->OnRescale();

  const float windowScale = GetPlatformWindowScale();
  PlatformResize(mDelegate->EditorResizeFromUI(WindowPixels(w, scale, windowScale),
    WindowPixels(h, scale, windowScale), needsPlatformResize));
  ForAllControlsFunc([](IControl* c) { c->OnResize(); });
  SetAllControlsDirty();
  DrawResize();
  if (mLayoutOnResize)
    mDelegate->LayoutUI(this);
}

void IGfx::SetScreenScale(float scale)
{
  // A broken scale from the host would make the pixel alignment divide by
  // zero.
  if (!UsableScale(scale))
    return;
  mScreenScale = scale;
  const float windowScale = GetPlatformWindowScale();
  PlatformResize(mDelegate->EditorResizeFromUI(WindowPixels(mWidth, mDrawScale, windowScale),
    WindowPixels(mHeight, mDrawScale, windowScale), true));
  ForAllControlsFunc([](IControl* c) { c->OnRescale(); });
  SetAllControlsDirty();
  DrawResize();
}

void IGfx::OnResizeGesture(float x, float y)
{
  if (mGUISizeMode == kResizeModeSize)
  {
    Resize(static_cast<int>(std::trunc(x)), static_cast<int>(std::trunc(y)), mDrawScale, true);
  }
  else if (mGUISizeMode == kResizeModeScale)
  {
    // Relative to where the drag started; no start point, no step.
    if (!(mMouseDownX > 0.f) || !(mMouseDownY > 0.f))
      return;
    const float s = std::min(x * mDrawScale / mMouseDownX, y * mDrawScale / mMouseDownY);
    if (UsableScale(s))
      Resize(mWidth, mHeight, s, true);
  }
}

void IGfx::EndResizeGesture()
{
  mResizingInProcess = false;
  if (mGUISizeMode == kResizeModeScale)
    ForAllControlsFunc([](IControl* c) { c->OnRescale(); });
  SetAllControlsDirty();
}

IBitmap IGfx::GetScaledBitmap(IBitmap& src)
{
  const char* name = src.GetResourceName();
  return LoadBitmap(name ? name : "", src.N(), src.GetFramesAreHorizontal(),
    static_cast<int>(std::trunc(GetScreenScale())));
}

int IGfx::GetMouseControlIdx(float x, float y, bool mouseOver) const
{
  if (mouseOver && !mHandleMouseOver)
    return -1;
  // The background at index 0 is never a mouse-over target.
  const int lowest = mouseOver ? 1 : 0;
  for (int i = NControls() - 1; i >= lowest; --i)
  {
    const IControl* c = GetControl(i);
    if (c->IsHidden() || c->GetIgnoreMouse())
      continue;
    if (c->IsDisabled() && !(mouseOver ? c->GetMouseOverWhenDisabled() : c->GetMouseEventsWhenDisabled()))
      continue;
    if (c->IsHit(x, y))
      return i;
  }
  return -1;
}

bool IGfx::ControlIsCaptured(const IControl* pControl) const
{
  for (const auto& [touch, control] : mCapturedMap)
    if (control == pControl)
      return true;
  return false;
}

bool IGfx::GesturesBegunBy(const IControl* pControl) const
{
  for (const auto& [touch, control] : mCapturedMap)
    if (control == pControl && mGestureTouches.count(touch))
      return true;
  return false;
}

void IGfx::ReleaseMouseCapture()
{
  mCapturedMap.clear();
  mGestureTouches.clear();
  if (mCursorHidden)
    HideMouseCursor(false, true);
}

void IGfx::SetMouseOver(IControl* pControl)
{
  mMouseOver = pControl;
  SyncMouseOverIdx();
}

void IGfx::SetPromptCallers(IControl* pTextEntryCaller, int textEntryValIdx, IControl* pPopupCaller, int popupValIdx)
{
  mInTextEntry = pTextEntryCaller;
  mTextEntryValIdx = textEntryValIdx;
  mInPopupMenu = pPopupCaller;
  mPopupMenuValIdx = popupValIdx;
  mPopupEndsGestures = false;
}

bool IGfx::DispatchKey(float x, float y, const IKeyPress& key, bool isUp)
{
  IControl* c = GetMouseControl(x, y, false, false, 0);
  if (c && c != GetControl(0) && (isUp ? c->OnKeyUp(x, y, key) : c->OnKeyDown(x, y, key)))
    return true;
  return mKeyHandlerFunc ? mKeyHandlerFunc(key, isUp) : false;
}

bool IGfx::OnKeyDown(float x, float y, const IKeyPress& key)
{
  return DispatchKey(x, y, key, false);
}

bool IGfx::OnKeyUp(float x, float y, const IKeyPress& key)
{
  return DispatchKey(x, y, key, true);
}

void IGfx::EnableTooltips(bool enable)
{
  if (enable == mEnableTooltips)
    return;
  mEnableTooltips = enable;
  UpdateTooltips();
}

int IGfx::SetMouseCursor(ECursor cursorType)
{
  const int previous = mCursorType;
  mCursorType = cursorType;
  return previous;
}

void IGfx::AttachGestureRecognizer(EGestureType type)
{
  if (std::find(mRegisteredGestures.begin(), mRegisteredGestures.end(), type) == mRegisteredGestures.end())
    mRegisteredGestures.push_back(type);
}

} // namespace plugkit::gfx
