#include "graphics/IBubbleControl.h"

#include <algorithm>

#include "framework/IParam.h"
#include "graphics/IGfx.h"

namespace plugkit::gfx {

void IBubbleControl::ShowBubble(IControl* pCaller, float x, float y, const char* str, EDirection dir,
  ITouchID touchId, IRECT minimumContentBounds)
{
  IGfx* ui = GetUI();
  if (!ui)
    return;
  if (mMaxBounds.W() == 0.f)
    mMaxBounds = ui->GetBounds();
  mDirection = dir;
  mTouchId = touchId;
  mStr.Set(str ? str : "");

  IRECT measured;
  MeasureText(mStr.Get(), measured);
  float w = measured.W(), h = measured.H();
  if (!minimumContentBounds.Empty())
  {
    w = std::max(w, minimumContentBounds.W());
    h = std::max(h, minimumContentBounds.H());
  }
  // The shadow padding leaves room for the arrow as well.
  w += 2.f * (mDropShadowSize + mHorizontalPadding);
  h += 2.f * mDropShadowSize;

  IRECT r;
  if (dir == kHorizontal)
  {
    r = IRECT(x, y - 0.5f * h, x + w, y + 0.5f * h);
    mArrowDir = 3;
    if (r.R > mMaxBounds.R)
    {
      r = IRECT(x - w, r.T, x, r.B);
      mArrowDir = 1;
    }
  }
  else
  {
    r = IRECT(x - 0.5f * w, y - h, x + 0.5f * w, y);
    mArrowDir = 2;
    if (r.T < mMaxBounds.T)
    {
      r = IRECT(r.L, y, r.R, y + h);
      mArrowDir = 0;
    }
  }
  // Kept inside the allowed area.
  r.Translate(std::max(0.f, mMaxBounds.L - r.L) - std::max(0.f, r.R - mMaxBounds.R),
    std::max(0.f, mMaxBounds.T - r.T) - std::max(0.f, r.B - mMaxBounds.B));
  mBubbleBounds = r;
  SetTargetAndDrawRECTs(r);

  if (mState == kHidden)
  {
    Hide(false);
    mState = kFadingIn;
    SetDirty(true, -1);
  }
  if (mCaller != pCaller)
  {
    ui->SetAllControlsDirty();
    mCaller = pCaller;
  }
}

void IBubbleControl::StartPhase(int durationMs)
{
  SetAnimation([](IControl* c) {
    auto* bubble = static_cast<IBubbleControl*>(c);
    bubble->Animate(c->GetAnimationProgress());
  });
  StartAnimation(durationMs);
}

void IBubbleControl::Animate(double p)
{
  const float m = mMaxOpacity;
  if (p > 1.0)
  {
    if (mState == kFadingIn)
    {
      mState = kShown;
      mShownPhase = kAppeared;
      mBubbleBlend.mWeight = m;
    }
    else if (mState == kFadingOut)
    {
      mBubbleBlend.mWeight = 0.f;
      mState = kHidden;
      mTouchId = 0;
      mHidden = true;
    }
    OnEndAnimation();
    return;
  }
  if (mState == kFadingIn)
    mBubbleBlend.mWeight = static_cast<float>(p) * m;
  else if (mState == kShown)
    mBubbleBlend.mWeight = m;
  else if (mState == kFadingOut)
    mBubbleBlend.mWeight = static_cast<float>(1.0 - p) * m;
  SetDirty(false);
}

void IBubbleControl::OnPhaseEnd()
{
  if (mState != kShown)
    return;
  if (mShownPhase == kAppeared)
  {
    mShownPhase = kHolding;
    StartPhase(1000);
    return;
  }
  IGfx* ui = GetUI();
  if (ui && mCaller && ui->ControlIsCaptured(mCaller))
  {
    mShownPhase = kWatchingCaller;
    StartPhase(200);
    return;
  }
  mBubbleBlend.mWeight = mMaxOpacity;
  mState = kFadingOut;
  StartPhase(200);
}

void IBubbleControl::Draw(IGfx& g)
{
  const IRECT r = mBubbleBounds.GetPadded(-mDropShadowSize);
  g.DrawBoxShadow(r, mBubbleBounds, &mBubbleBlend, 2.f, mRoundness, 10.f);
  DrawBubble(g, r);
  DrawContent(g, r);
}

void IBubbleControl::DrawBubble(IGfx& g, const IRECT& r)
{
  const float a = mArrowSize;
  g.PathRoundRect(r, mRoundness);
  switch (mArrowDir)
  {
    case 0: g.PathTriangle(r.MW() - 0.5f * a, r.T, r.MW(), r.T - a, r.MW() + 0.5f * a, r.T); break;
    case 1: g.PathTriangle(r.R, r.MH() - 0.5f * a, r.R + a, r.MH(), r.R, r.MH() + 0.5f * a); break;
    case 2: g.PathTriangle(r.MW() + 0.5f * a, r.B, r.MW(), r.B + a, r.MW() - 0.5f * a, r.B); break;
    default: g.PathTriangle(r.L, r.MH() + 0.5f * a, r.L - a, r.MH(), r.L, r.MH() - 0.5f * a); break;
  }
  IFillOptions fill;
  fill.mPreserve = true;
  g.PathFill(IPattern(mFillColor), fill, &mBubbleBlend);
  IStrokeOptions stroke;
  stroke.mMiterLimit = 10.f;
  g.PathStroke(IPattern(mStrokeColor), mStrokeThickness, stroke, &mBubbleBlend);
}

void IBubbleControl::DrawContent(IGfx& g, const IRECT& r)
{
  if (mStr.GetLength())
    g.DrawText(mText, mStr.Get(), r, &mBubbleBlend);
}

void IBubbleControl::MeasureText(const char* str, IRECT& out)
{
  if (GetUI())
    GetUI()->MeasureText(mText, str, out);
}

namespace {

void ShowBubbleFor(IControl* pCaller, float x, float y, EDirection dir)
{
  const IParam* param = pCaller ? pCaller->GetParam() : nullptr;
  if (!param || !pCaller->GetUI())
    return; // unlinked: nothing to show
  PK_String display;
  param->GetDisplayWithLabel(display);
  pCaller->GetUI()->ShowBubbleControl(pCaller, x, y, display.Get(), dir, IRECT(0, 0, 50, 30));
}

} // namespace

void ShowBubbleHorizontalActionFunc(IControl* pCaller)
{
  const IRECT& r = pCaller->GetRECT();
  ShowBubbleFor(pCaller, r.R, r.MH(), kHorizontal);
}

void ShowBubbleVerticalActionFunc(IControl* pCaller)
{
  const IRECT& r = pCaller->GetRECT();
  ShowBubbleFor(pCaller, r.MW(), r.T, kVertical);
}

} // namespace plugkit::gfx
