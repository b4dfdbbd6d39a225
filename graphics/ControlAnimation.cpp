#include "graphics/IControl.h"
#include "graphics/SteadyClock.h"

namespace plugkit::gfx {

void IControl::StartAnimation(int durationMs, bool forward)
{
  mAnimationStart = SteadyTimeMs();
  mAnimationDuration = durationMs;
  mAnimationForward = forward;
}

double IControl::GetAnimationProgress() const
{
  if (!mAnimationFunc)
    return 0.0;
  const double progress = (SteadyTimeMs() - mAnimationStart) / mAnimationDuration;
  return mAnimationForward ? progress : 1.0 - progress;
}

void IControl::Animate()
{
  if (mAnimationFunc)
    mAnimationFunc(this);
}

void IControl::OnEndAnimation()
{
  mAnimationFunc = nullptr;
  SetDirty(false);
  if (mAnimationEndActionFunc)
    mAnimationEndActionFunc(this);
}

void DefaultAnimationFunc(IControl* pCaller)
{
  if (pCaller->IsAnimating() && pCaller->GetAnimationProgress() > 1.0)
    pCaller->OnEndAnimation();
}

void DefaultClickActionFunc(IControl* pCaller)
{
  pCaller->SetAnimation(DefaultAnimationFunc, 100);
}

} // namespace plugkit::gfx
