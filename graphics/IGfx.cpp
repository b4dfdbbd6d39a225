#include "graphics/IGfx.h"

#include <algorithm>
#include <cmath>

#include "framework/IGEditorDelegate.h"

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
}

IGfx::~IGfx()
{
  // The platform layer is already gone: no virtual operation may run here.
  mCapturedMap.clear();
  DeleteAllControls();
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
  pControl->SetDelegate(*mDelegate);
  pControl->SetGraphics(this);
  pControl->OnInit();
  pControl->OnResize();
  pControl->OnRescale();
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

IControl* IGfx::GetControlWithTag(int ctrlTag) const
{
  const auto it = mCtrlTags.find(ctrlTag);
  return it == mCtrlTags.end() ? nullptr : it->second;
}

void IGfx::RemoveAllControls()
{
  ReleaseMouseCapture();
  DeleteAllControls();
}

void IGfx::DeleteAllControls()
{
  delete mPopupControl;
  mPopupControl = nullptr;
  mCtrlTags.clear();
  mControls.Empty(true);
}

void IGfx::ForAllControlsFunc(const std::function<void(IControl* pControl)>& func)
{
  for (int i = 0; i < NControls(); ++i)
    func(GetControl(i));
  if (mPopupControl)
    func(mPopupControl);
}

void IGfx::SetAllControlsDirty()
{
  ForAllControlsFunc([](IControl* c) { c->SetDirty(false, -1); });
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

void IGfx::Resize(int w, int h, float scale, bool needsPlatformResize)
{
  const IEditorDelegate& limits = *mDelegate;
  if (w < limits.GetMinWidth() || w > limits.GetMaxWidth() || h < limits.GetMinHeight() ||
      h > limits.GetMaxHeight())
  {
    w = std::min(std::max(w, limits.GetMinWidth()), limits.GetMaxWidth());
    h = std::min(std::max(h, limits.GetMinHeight()), limits.GetMaxHeight());
  }
  // NaN is not a scale: it keeps the current one rather than reaching the
  // back-end.
  if (std::isnan(scale))
    scale = mDrawScale;
  scale = std::min(std::max(scale, mMinScale), mMaxScale);
  if (w == mWidth && h == mHeight && scale == mDrawScale)
    return;

  ReleaseMouseCapture();
  mDrawScale = scale;
  mWidth = w;
  mHeight = h;

  const float windowScale = GetPlatformWindowScale();
  const int windowW = static_cast<int>(std::trunc(std::trunc(static_cast<float>(w) * scale) * windowScale));
  const int windowH = static_cast<int>(std::trunc(std::trunc(static_cast<float>(h) * scale) * windowScale));
  PlatformResize(mDelegate->EditorResizeFromUI(windowW, windowH, needsPlatformResize));
  ForAllControlsFunc([](IControl* c) { c->OnResize(); });
  SetAllControlsDirty();
  DrawResize();
  if (mLayoutOnResize)
    mDelegate->LayoutUI(this);
}

void IGfx::SetScreenScale(float scale)
{
  mScreenScale = scale;
  const float windowScale = GetPlatformWindowScale();
  const int windowW = static_cast<int>(std::trunc(std::trunc(static_cast<float>(mWidth) * mDrawScale) * windowScale));
  const int windowH = static_cast<int>(std::trunc(std::trunc(static_cast<float>(mHeight) * mDrawScale) * windowScale));
  PlatformResize(mDelegate->EditorResizeFromUI(windowW, windowH, true));
  ForAllControlsFunc([](IControl* c) { c->OnRescale(); });
  SetAllControlsDirty();
  DrawResize();
}

int IGfx::GetMouseControlIdx(float x, float y, bool mouseOver) const
{
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

void IGfx::ReleaseMouseCapture()
{
  mCapturedMap.clear();
  if (mCursorHidden)
    HideMouseCursor(false, true);
}

bool IGfx::DispatchKey(float x, float y, const IKeyPress& key, bool isUp)
{
  const int idx = GetMouseControlIdx(x, y, false);
  if (idx > 0)
  {
    IControl* c = GetControl(idx);
    if (isUp ? c->OnKeyUp(x, y, key) : c->OnKeyDown(x, y, key))
      return true;
  }
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

} // namespace plugkit::gfx
