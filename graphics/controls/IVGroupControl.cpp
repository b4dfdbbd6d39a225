#include "graphics/controls/IVGroupControl.h"

#include <algorithm>

#include "graphics/IGfx.h"

namespace plugkit::gfx {

IVGroupControl::IVGroupControl(const IRECT& bounds, const char* label, const IVStyle& style, float labelOffset)
  : IControl(bounds, -1), IVectorBase(style, false, false), mLabelOffset(labelOffset)
{
  AttachIControl(this);
  SetLabelStr(label);
  mIgnoreMouse = true;
}

IVGroupControl::IVGroupControl(const char* label, const char* groupName, const IVStyle& style, float padL,
  float padT, float padR, float padB)
  : IControl(IRECT(), -1), IVectorBase(style, false, false), mGroupName(groupName ? groupName : ""),
    mPadL(padL), mPadT(padT), mPadR(padR), mPadB(padB), mLabelOffset(10.f)
{
  AttachIControl(this);
  SetLabelStr(label);
  mIgnoreMouse = true;
}

void IVGroupControl::OnInit()
{
  if (mGroupName.GetLength())
    SetBoundsBasedOnGroup(mGroupName.Get(), mPadL, mPadT, mPadR, mPadB);
}

void IVGroupControl::SetBoundsBasedOnGroup(const char* groupName, float padL, float padT, float padR, float padB)
{
  mGroupName.Set(groupName ? groupName : "");
  IRECT u;
  if (GetUI())
  {
    GetUI()->ForControlInGroup(mGroupName.Get(), [&u](IControl* pControl) {
      const IRECT& b = pControl->GetRECT();
      if (u.Empty())
        u = b;
      else if (!b.Empty())
        u = IRECT(std::min(u.L, b.L), std::min(u.T, b.T), std::max(u.R, b.R), std::max(u.B, b.B));
    });
  }
  mBounds = IRECT(u.L - padL, u.T - padT, u.R + padR, u.B + padB);
  OnResize();
}

float IVGroupControl::CornerRadius() const
{
  return std::min(mWidgetBounds.W(), mWidgetBounds.H()) * 0.5f * mStyle.roundness;
}

void IVGroupControl::OnResize()
{
  LayOutControl(false);
  const IRECT lb = mLabelBounds;
  const float t = mStyle.frameThickness;
  mWidgetBounds.T -= lb.H() / 2.f + t / 2.f;
  // Without a label there is nothing to leave a gap for.
  if (!lb.Empty())
  {
    const float x0 = mBounds.L + t + mLabelOffset + CornerRadius();
    mLabelBounds = IRECT(x0, lb.T, x0 + lb.W() + 2.f * mLabelPadding, lb.B);
  }
  SetDirty(false);
}

void IVGroupControl::Draw(IGfx& g)
{
  DrawLabel(g);
  DrawWidget(g);
}

void IVGroupControl::DrawWidget(IGfx& g)
{
  const IRECT& r = mWidgetBounds;
  const float cr = CornerRadius();
  const float h = mStyle.frameThickness / 2.f;
  const bool noGap = mLabelBounds.Empty();
  const float gapL = noGap ? mBounds.MW() : mLabelBounds.L;
  const float gapR = noGap ? mBounds.MW() : mLabelBounds.R;

  g.PathClear();
  g.PathMoveTo(gapR, r.T + h);
  g.PathArc(r.R - cr - h, r.T + cr + h, cr, 0.f, 90.f);
  g.PathArc(r.R - cr - h, r.B - cr - h, cr, 90.f, 180.f);
  g.PathArc(r.L + cr + h, r.B - cr - h, cr, 180.f, 270.f);
  g.PathArc(r.L + cr + h, r.T + cr + h, cr, 270.f, 360.f);
  g.PathLineTo(gapL, r.T + h);
  g.PathStroke(IPattern(GetColor(mStyle.drawShadows ? kShadow : kFrame)), mStyle.frameThickness, IStrokeOptions());
}

} // namespace plugkit::gfx
