#include "graphics/IControl.h"

#include <algorithm>

#include "framework/IGEditorDelegate.h"
#include "graphics/IGfx.h"

namespace plugkit::gfx {

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

int IControl::LinkedToParam(int paramIdx) const
{
  for (int v = 0; v < NVals(); ++v)
    if (mVals[static_cast<size_t>(v)].idx == paramIdx)
      return v;
  return -1;
}

void IControl::SetValueFromDelegate(double value, int valIdx)
{
  if (mGraphics && mGraphics->ControlIsCaptured(this))
    return;
  if (GetValue(valIdx) != value)
  {
    SetValue(value, valIdx);
    SetDirty(false, -1);
  }
}

void IControl::SetValue(double value, int valIdx)
{
  mVals[static_cast<size_t>(valIdx)].value = value;
}

void IControl::Hide(bool hide)
{
  mHidden = hide;
  SetDirty(false);
}

void IControl::SetDirty(bool triggerAction, int valIdx)
{
  if (NVals() == 1)
    valIdx = 0;

  const int first = valIdx < 0 ? 0 : valIdx;
  const int last = valIdx < 0 ? NVals() - 1 : valIdx;
  for (int v = first; v <= last; ++v)
    SetValue(std::clamp(GetValue(v), 0.0, 1.0), v);

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

} // namespace plugkit::gfx
