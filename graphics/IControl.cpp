#include "graphics/IControl.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "framework/IGEditorDelegate.h"
#include "graphics/IGfx.h"
#include "graphics/IPopupMenu.h"

namespace plugkit::gfx {

namespace {

// NaN is no position on a control: it becomes 0 rather than travel on to the
// plug-in and the host.
double ClampNormalised(double v)
{
  return std::isnan(v) ? 0.0 : std::clamp(v, 0.0, 1.0);
}

} // namespace

IControl::IControl(const IRECT& bounds, int paramIdx, IActionFunction actionFunc)
  : mBounds(bounds)
  , mTargetBounds(bounds)
  , mActionFunc(std::move(actionFunc))
  , mVals{ParamTuple{paramIdx, 0.0}}
{
}

IControl::IControl(const IRECT& bounds, std::initializer_list<int> params, IActionFunction actionFunc)
  : mBounds(bounds)
  , mTargetBounds(bounds)
  , mActionFunc(std::move(actionFunc))
{
  for (int idx : params)
    mVals.push_back(ParamTuple{idx, 0.0});
}

IControl::IControl(const IRECT& bounds, IActionFunction actionFunc)
  : IControl(bounds, -1, std::move(actionFunc))
{
}

void IControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  if (mod.R)
    PromptUserInput(GetValIdxForPos(x, y));
}

void IControl::OnMouseDblClick(float x, float y, const IMouseMod& mod)
{
  SetValueToDefault(GetValIdxForPos(x, y));
}

void IControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  const bool was = mMouseIsOver;
  mMouseIsOver = true;
  if (!was)
    SetDirty(false);
}

void IControl::OnMouseOut()
{
  const bool was = mMouseIsOver;
  mMouseIsOver = false;
  if (was)
    SetDirty(false);
}

bool IControl::OnGesture(const IGestureInfo& info)
{
  const auto it = mGestureFuncs.find(info.type);
  if (it == mGestureFuncs.end())
    return false;
  mLastGesture = info.type;
  it->second(this, info);
  return true;
}

double IControl::NormalisedFromPlain(const IParam& param, double plain)
{
  // A stepped parameter with a step of 0 or less has no steps to snap to;
  // dividing by such a step would give NaN or infinity.
  const double step = param.GetStep();
  if (param.GetStepped() && step > 0.0)
    plain = std::round(plain / step) * step;
  double lo = 0.0, hi = 1.0;
  param.GetBounds(lo, hi);
  plain = std::clamp(plain, lo, hi);
  return ClampNormalised(param.GetShape().NormalizedFromValue(plain, param));
}

void IControl::OnPopupMenuSelection(IPopupMenu* pSelectedMenu, int valIdx)
{
  if (!pSelectedMenu || valIdx < 0 || mPromptDisabled)
    return;
  const IParam* param = GetParam(valIdx);
  if (!param)
    return;
  SetValueFromUserInput(NormalisedFromPlain(*param, pSelectedMenu->GetChosenItemIdx()), valIdx);
}

void IControl::DrawHighlight(IGfx& g)
{
  if (mHighlighted)
    g.FillCircle(mHighlightColor, mTargetBounds.R - 5.f, mTargetBounds.T + 5.f, 2.f);
}

void IControl::SetParamIdx(int paramIdx, int valIdx)
{
  assert(HasVal(valIdx) && "SetParamIdx: no such value");
  if (HasVal(valIdx))
    mVals[static_cast<size_t>(valIdx)].idx = paramIdx;
}

int IControl::GetParamIdx(int valIdx) const
{
  return HasVal(valIdx) ? mVals[static_cast<size_t>(valIdx)].idx : -1;
}

IParam* IControl::GetParam(int valIdx) const
{
  const int paramIdx = GetParamIdx(valIdx);
  if (paramIdx < 0 || !mDelegate)
    return nullptr;
  return mDelegate->GetParam(paramIdx);
}

int IControl::LinkedToParam(int paramIdx) const
{
  for (int v = 0; v < NVals(); ++v)
    if (mVals[static_cast<size_t>(v)].idx == paramIdx)
      return v;
  return -1;
}

double IControl::GetValue(int valIdx) const
{
  return HasVal(valIdx) ? mVals[static_cast<size_t>(valIdx)].value : 0.0;
}

void IControl::SetValueFromDelegate(double value, int valIdx)
{
  if (mGraphics && mGraphics->ControlIsCaptured(this))
    return;
  if (HasVal(valIdx) && GetValue(valIdx) != value)
  {
    SetValue(value, valIdx);
    SetDirty(false, -1);
  }
}

void IControl::SetValueFromUserInput(double value, int valIdx)
{
  if (HasVal(valIdx) && GetValue(valIdx) != value)
  {
    SetValue(value, valIdx);
    SetDirty(true, valIdx);
  }
}

void IControl::SetValueToDefault(int valIdx)
{
  if (NVals() == 1)
    valIdx = 0;
  const int first = valIdx < 0 ? 0 : valIdx;
  const int last = valIdx < 0 ? NVals() - 1 : std::min(valIdx, NVals() - 1);
  for (int v = first; v <= last; ++v)
    if (const IParam* param = GetParam(v))
      SetValue(NormalisedFromPlain(*param, param->GetDefault()), v);
  SetDirty(true, valIdx);
}

void IControl::SetValue(double value, int valIdx)
{
  if (HasVal(valIdx))
    mVals[static_cast<size_t>(valIdx)].value = value;
}

void IControl::SetPosition(float x, float y)
{
  x = std::max(x, 0.f);
  y = std::max(y, 0.f);
  const float offsetL = mTargetBounds.L - mBounds.L;
  const float offsetT = mTargetBounds.T - mBounds.T;
  mBounds = IRECT(x, y, x + mBounds.W(), y + mBounds.H());
  mMouseIsOver = false;
  OnResize();
  mTargetBounds = IRECT(x + offsetL, y + offsetT, x + offsetL + mTargetBounds.W(), y + offsetT + mTargetBounds.H());
  mMouseIsOver = false;
}

void IControl::SetSize(float w, float h)
{
  w = std::max(w, 0.f);
  h = std::max(h, 0.f);
  mBounds = IRECT(mBounds.L, mBounds.T, mBounds.L + w, mBounds.T + h);
  mTargetBounds = mBounds;
  mMouseIsOver = false;
  OnResize();
}

void IControl::Hide(bool hide)
{
  mHidden = hide;
  SetDirty(false);
}

void IControl::SetDisabled(bool disable)
{
  mBlend.mWeight = disable ? 0.25f : 1.f;
  mDisabled = disable;
  SetDirty(false);
}

void IControl::SetDirty(bool triggerAction, int valIdx)
{
  if (NVals() == 1)
    valIdx = 0;

  // An index past the values acts on none of them.
  const int first = valIdx < 0 ? 0 : valIdx;
  const int last = valIdx < 0 ? NVals() - 1 : std::min(valIdx, NVals() - 1);
  for (int v = first; v <= last; ++v)
    SetValue(ClampNormalised(GetValue(v)), v);

  mDirty = true;
  if (!triggerAction)
    return;

  for (int v = first; v <= last; ++v)
  {
    const int paramIdx = GetParamIdx(v);
    if (paramIdx < 0)
      continue;
    if (mDelegate)
      mDelegate->SendParameterValueFromUI(paramIdx, true, GetValue(v));
    if (mGraphics)
      mGraphics->UpdatePeers(this, v);
  }
  if (mActionFunc)
    mActionFunc(this);
}

bool IControl::IsDirty() const
{
  return mAnimationFunc ? true : mDirty;
}

void IControl::SnapToMouse(float x, float y, EDirection direction, const IRECT& bounds, int valIdx, double lo,
  double hi)
{
  const bool vertical = direction == kVertical;
  const float start = vertical ? bounds.T : bounds.L;
  const float end = vertical ? bounds.B : bounds.R;
  // A track without extent has no position to map to: the value stays as it
  // is, rather than becoming 0 / 0.
  if (!(end - start > 0.f))
    return;
  const float along = (std::clamp(vertical ? y : x, start, end) - start) / (end - start);
  double v = vertical ? 1.0 - along : along;
  v = std::round(v / 0.001) * 0.001;
  v = std::clamp(v, lo, hi);
  if (valIdx >= 0)
    SetValue(v, valIdx);
  else
    for (int i = 0; i < NVals(); ++i)
      SetValue(v, i);
  SetDirty(true, valIdx);
}

void IControl::PromptUserInput(int valIdx)
{
  if (valIdx < 0 || GetParamIdx(valIdx) < 0 || mPromptDisabled)
    return;
  const IParam* param = GetParam(valIdx);
  const IRECT bounds = param && param->NDisplayTexts() > 0 ? mBounds : mBounds.GetCentredInside(40.f, 16.f);
  if (mGraphics)
    mGraphics->PromptUserInput(*this, bounds, valIdx);
  SetDirty(false);
}

void IControl::PromptUserInput(const IRECT& bounds, int valIdx)
{
  if (valIdx < 0 || GetParamIdx(valIdx) < 0 || mPromptDisabled)
    return;
  if (mGraphics)
    mGraphics->PromptUserInput(*this, bounds, valIdx);
}

void IControl::SetHighlight(bool on, int colorIdx)
{
  static constexpr IColor kHighlightColors[] = {kColorRed, kColorBlue, kColorGreen, kColorYellow};
  if (colorIdx >= 0 && colorIdx < 4)
    mHighlightColor = kHighlightColors[colorIdx];
  mHighlighted = on;
  SetDirty(false);
}

} // namespace plugkit::gfx
