#include "graphics/IVectorBase.h"

#include <algorithm>
#include <cmath>

#include "graphics/IGfx.h"

namespace plugkit::gfx {

namespace {

// The translucent black laid over a value while the pointer is over it.
constexpr IColor kValueMouseOverColor(10, 0, 0, 0);

} // namespace

IVectorBase::IVectorBase(const IVStyle& style, bool labelInWidget, bool valueInWidget)
  : mStyle(style), mLabelInWidget(labelInWidget), mValueInWidget(valueInWidget)
{
  SetStyle(style);
}

namespace {

// Same centre, width and height times f.
IRECT Scaled(const IRECT& r, float f)
{
  return r.GetCentredInside(r.W() * f, r.H() * f);
}

} // namespace

void IVectorBase::AttachIControl(IControl* pControl, const char* label)
{
  mControl = pControl;
  SetLabelStr(label);
  if (pControl)
    pControl->SetText(mStyle.valueText);
}

IRECT IVectorBase::GetAdjustedHandleBounds(IRECT r) const
{
  // Room for half the frame line and for the shadow.
  if (mStyle.drawFrame)
    r = r.GetPadded(-0.5f * mStyle.frameThickness);
  if (mStyle.drawShadows)
  {
    const float o = mStyle.shadowOffset;
    r = IRECT(r.L + o, r.T, r.R - o, r.B - o);
  }
  return r;
}

void IVectorBase::Measure(const IText& text, const char* str, float& w, float& h) const
{
  w = h = 0.f;
  IGfx* ui = mControl ? mControl->GetUI() : nullptr;
  if (!ui || !str || !str[0])
    return;
  IRECT box = mControl->GetRECT();
  ui->MeasureText(text, str, box);
  w = box.W();
  h = box.H();
}

IRECT IVectorBase::MakeRects(const IRECT& parent, bool hasHandle)
{
  IRECT area = parent;
  const float frac = mStyle.widgetFrac;

  if (!mLabelInWidget)
  {
    mLabelBounds = IRECT();
    if (mStyle.showLabel && mLabelStr.GetLength())
    {
      float w = 0.f, h = 0.f;
      Measure(mStyle.labelText, mLabelStr.Get(), w, h);
      const float lw = std::max(1.f, w);
      const float lh = h > 0.f ? h : lw;
      const float cy = parent.T + 0.5f * h;
      mLabelBounds = IRECT(parent.MW() - 0.5f * lw, cy - 0.5f * lh, parent.MW() + 0.5f * lw, cy + 0.5f * lh);
    }
    if (mLabelBounds.H() != 0.f)
      area.T += mLabelBounds.H();
  }

  if (mStyle.showValue && !mValueInWidget)
  {
    float w = 0.f, h = 0.f;
    Measure(mStyle.valueText, mValueStr.Get(), w, h);
    const float half = w * mValueDisplayFrac;
    const float cx = area.MW();
    switch (mStyle.valueText.mVAlign)
    {
      case kTop:
        mValueBounds = IRECT(cx - half, area.T, cx + half, area.T + h);
        mWidgetBounds = Scaled(IRECT(area.L, area.T + h, area.R, area.B), frac);
        break;
      case kMiddle:
        mValueBounds = IRECT(cx - half, area.MH() - 0.5f * h, cx + half, area.MH() + 0.5f * h);
        mWidgetBounds = Scaled(area, frac);
        break;
      case kBottom:
        mValueBounds = IRECT(cx - half, area.B - h, cx + half, area.B);
        mWidgetBounds = Scaled(IRECT(area.L, area.T, area.R, area.B - h), frac);
        break;
      default: break; // an alignment we do not know moves nothing
    }
  }
  else
  {
    // No value strip: nothing stale of an earlier layout stays clickable.
    if (!mValueInWidget)
      mValueBounds = IRECT();
    mWidgetBounds = Scaled(area, frac);
  }

  // A handle's widget is taken from the area above any value strip, so a
  // value text below it lies over the widget's lower edge.
  if (hasHandle)
    mWidgetBounds = Scaled(GetAdjustedHandleBounds(area), frac);

  if (mLabelInWidget)
    mLabelBounds = mWidgetBounds;
  if (mValueInWidget)
    mValueBounds = mWidgetBounds;
  return area;
}

void IVectorBase::LayOutControl(bool hasHandle)
{
  if (mControl)
    mControl->SetTargetRECT(MakeRects(mControl->GetRECT(), hasHandle));
}

IColor IVectorBase::Adjusted(EVectorColor idx, bool disabled) const
{
  IColor c = GetColor(idx);
  const int shift = disabled ? static_cast<int>(-0.25 * 255) : 0;
  c.R = std::clamp(c.R + shift, 0, 255);
  c.G = std::clamp(c.G + shift, 0, 255);
  c.B = std::clamp(c.B + shift, 0, 255);
  return c;
}

void IVectorBase::DrawBackground(IGfx& g, const IRECT& r)
{
  g.FillRect(GetColor(kBackground), r, Blend());
}

void IVectorBase::DrawLabel(IGfx& g)
{
  if (mLabelBounds.H() != 0.f && mStyle.showLabel && mLabelStr.GetLength())
    g.DrawText(mStyle.labelText, mLabelStr.Get(), mLabelBounds, Blend());
}

void IVectorBase::DrawValue(IGfx& g, bool mouseOver)
{
  if (mouseOver)
    g.FillRect(kValueMouseOverColor, mValueBounds);
  if (mStyle.showValue && mValueStr.GetLength())
    g.DrawText(mStyle.valueText, mValueStr.Get(), mValueBounds, Blend());
}

void IVectorBase::DrawPressableShape(IGfx& g, EVectorShape shape, const IRECT& bounds, bool pressed,
  bool mouseOver, bool disabled)
{
  switch (shape)
  {
    case kRectangle:
    case kRoundedAll: DrawPressableRectangle(g, bounds, pressed, mouseOver, disabled); break;
    case kEllipse: DrawPressableEllipse(g, bounds, pressed, mouseOver, disabled); break;
    case kTriangle: DrawPressableTriangle(g, bounds, pressed, mouseOver, mStyle.angle, disabled); break;
    case kRoundedEnds: DrawPressableRectangle(g, bounds, pressed, mouseOver, disabled, true, true, false, false); break;
    default: break; // an unknown shape draws nothing
  }
}

void IVectorBase::DrawPressableEllipse(IGfx& g, const IRECT& bounds, bool pressed, bool mouseOver, bool disabled)
{
  const float o = mStyle.shadowOffset;
  const IRECT& b = bounds;
  const IRECT shadow = b.GetTranslated(o, o);
  const IRECT inner(b.L + o, b.T + o, b.R - o, b.B - o);
  const IBlend* blend = Blend();

  if (!pressed && !disabled && mStyle.drawShadows)
    g.FillEllipse(GetColor(kShadow), shadow);

  if (pressed)
  {
    if (mStyle.emboss)
    {
      g.FillEllipse(GetColor(kPressed), b, blend);
      g.FillEllipse(GetColor(kShadow), b, blend);
      g.FillEllipse(Adjusted(kForeground, disabled), IRECT(b.L + o, b.T + o, b.R, b.B), blend);
      g.FillEllipse(Adjusted(kPressed, disabled), inner, blend);
    }
    else
      g.FillEllipse(Adjusted(kPressed, disabled), b, blend);
    if (ControlIsAnimating())
      DrawSplash(g, b);
  }
  else if (mStyle.emboss)
  {
    g.FillEllipse(Adjusted(kPressed, disabled), b, blend);
    g.FillEllipse(Adjusted(kShadow, disabled), shadow, blend);
    g.FillEllipse(Adjusted(kForeground, disabled), inner, blend);
    if (mouseOver)
      g.FillEllipse(GetColor(kHighlight), inner, blend);
  }
  else
  {
    g.FillEllipse(Adjusted(kForeground, disabled), b, blend);
    if (mouseOver)
      g.FillEllipse(GetColor(kHighlight), b, blend);
  }

  if (mStyle.drawFrame)
    g.DrawEllipse(GetColor(kFrame), b, blend, mStyle.frameThickness);
}

void IVectorBase::DrawPressableRectangle(IGfx& g, const IRECT& bounds, bool pressed, bool mouseOver,
  bool disabled, bool roundTopLeft, bool roundTopRight, bool roundBottomLeft, bool roundBottomRight)
{
  const float o = mStyle.shadowOffset;
  const float t = mStyle.frameThickness;
  const IBlend* blend = Blend();

  const IRECT r = GetAdjustedHandleBounds(bounds);

  const float radius = std::min(r.W(), r.H()) * 0.5f * mStyle.roundness;
  const float tl = roundTopLeft ? radius : 0.f, tr = roundTopRight ? radius : 0.f;
  const float bl = roundBottomLeft ? radius : 0.f, br = roundBottomRight ? radius : 0.f;
  const IRECT shadow = r.GetTranslated(o, o);
  const IRECT inner = r.GetPadded(-o);
  auto fill = [&](const IColor& c, const IRECT& area) { g.FillRoundRect(c, area, tl, tr, bl, br, blend); };

  if (!pressed && mStyle.drawShadows)
    fill(GetColor(kShadow), shadow);

  if (pressed)
  {
    if (mStyle.emboss)
    {
      fill(GetColor(kPressed), r);
      fill(GetColor(kShadow), r);
      fill(Adjusted(kForeground, disabled), IRECT(r.L + o, r.T + o, r.R, r.B));
      fill(Adjusted(kPressed, disabled), inner);
    }
    else
      fill(Adjusted(kPressed, disabled), r);
    if (ControlIsAnimating())
      DrawSplash(g, r);
  }
  else if (mStyle.emboss)
  {
    fill(Adjusted(kPressed, disabled), r);
    fill(Adjusted(kShadow, disabled), shadow);
    fill(Adjusted(kForeground, disabled), inner);
    if (mouseOver)
      fill(GetColor(kHighlight), inner);
  }
  else
  {
    fill(Adjusted(kForeground, disabled), r);
    if (mouseOver)
      fill(GetColor(kHighlight), r);
  }

  if (mStyle.drawFrame)
    g.DrawRoundRect(GetColor(kFrame), r, tl, tr, bl, br, blend, t);
}

void IVectorBase::DrawPressableTriangle(IGfx& g, const IRECT& bounds, bool pressed, bool mouseOver, float angle,
  bool disabled)
{
  const float o = mStyle.shadowOffset;
  const float t = mStyle.frameThickness;
  const IBlend* blend = Blend();

  const IRECT r = GetAdjustedHandleBounds(bounds);

  // Bottom-left, apex at the top centre, bottom-right; rotated about the
  // centre (y grows downwards).
  const float cx = r.MW(), cy = r.MH();
  const float rad = angle * 3.14159265358979f / 180.f;
  const float cs = std::cos(rad), sn = std::sin(rad);
  float x[3] = {r.L, r.MW(), r.R};
  float y[3] = {r.B, r.T, r.B};
  for (int i = 0; i < 3; ++i)
  {
    const float dx = x[i] - cx, dy = y[i] - cy;
    x[i] = cx + dx * cs - dy * sn;
    y[i] = cy + dx * sn + dy * cs;
  }

  if (!pressed && mStyle.drawShadows)
    g.FillTriangle(GetColor(kShadow), x[0] + o, y[0] + o, x[1] + o, y[1] + o, x[2] + o, y[2] + o);
  g.FillTriangle(Adjusted(pressed ? kPressed : kForeground, disabled), x[0], y[0], x[1], y[1], x[2], y[2], blend);
  if (mouseOver)
    g.FillTriangle(GetColor(kHighlight), x[0], y[0], x[1], y[1], x[2], y[2], blend);
  if (!pressed && mStyle.drawFrame)
    g.DrawTriangle(GetColor(kFrame), x[0], y[0], x[1], y[1], x[2], y[2], blend, t);
  if (pressed && ControlIsAnimating())
    DrawSplash(g, bounds);
}

void IVectorBase::DrawSplash(IGfx& g, const IRECT& clip)
{
  g.PathTransformSave();
  g.PathTransformReset();
  g.PathClipRegion(clip); // within the layer or editor being drawn
  g.FillCircle(GetColor(kHighlight), mSplashX, mSplashY, mSplashRadius);
  g.PathTransformRestore();
  g.PathClipRegion();
}

void SplashAnimationFunc(IControl* pCaller)
{
  auto* vb = dynamic_cast<IVectorBase*>(pCaller);
  if (!vb)
    return DefaultAnimationFunc(pCaller);
  if (!pCaller->IsAnimating())
  {
    vb->SetSplashRadius(0.f);
    return;
  }
  const double progress = pCaller->GetAnimationProgress();
  if (progress > 1.0)
  {
    pCaller->OnEndAnimation();
    return;
  }
  vb->SetSplashRadius(static_cast<float>(progress) * vb->GetMaxSplashRadius());
  pCaller->SetDirty(false);
}

void SplashClickActionFunc(IControl* pCaller)
{
  if (auto* vb = dynamic_cast<IVectorBase*>(pCaller); vb && pCaller->GetUI())
  {
    float x = 0.f, y = 0.f;
    pCaller->GetUI()->GetMouseDownPoint(x, y);
    vb->SetSplashPoint(x, y);
  }
  pCaller->SetAnimation(SplashAnimationFunc);
  pCaller->StartAnimation(100);
}

} // namespace plugkit::gfx
