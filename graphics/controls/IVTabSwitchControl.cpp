#include "graphics/controls/IVTabSwitchControl.h"

#include <algorithm>

#include "framework/IParam.h"
#include "graphics/IGfx.h"

namespace plugkit::gfx {

namespace {

// Tab texts sit in the middle of their tab.
void CentreText(IVStyle& style, IText& controlText)
{
  style.valueText.mAlign = controlText.mAlign = kCenter;
  style.valueText.mVAlign = controlText.mVAlign = kMiddle;
}

} // namespace

IVTabSwitchControl::IVTabSwitchControl(const IRECT& bounds, int paramIdx, const std::vector<const char*>& options,
  const char* label, const IVStyle& style, EVectorShape shape, EDirection direction)
  : ISwitchControlBase(bounds, paramIdx, SplashClickActionFunc, static_cast<int>(options.size()))
  , IVectorBase(style)
  , mDirection(direction)
{
  SetUp(options, label, shape);
}

IVTabSwitchControl::IVTabSwitchControl(const IRECT& bounds, IActionFunction action,
  const std::vector<const char*>& options, const char* label, const IVStyle& style, EVectorShape shape,
  EDirection direction)
  : ISwitchControlBase(bounds, -1, std::move(action), static_cast<int>(options.size()))
  , IVectorBase(style)
  , mDirection(direction)
{
  SetUp(options, label, shape);
}

void IVTabSwitchControl::SetUp(const std::vector<const char*>& options, const char* label, EVectorShape shape)
{
  AttachIControl(this, label);
  CentreText(mStyle, mText);
  mShape = shape;
  for (const char* str : options)
    AddTabLabel(str);
}

IVTabSwitchControl::~IVTabSwitchControl()
{
  mTabLabels.Empty(true);
}

void IVTabSwitchControl::AddTabLabel(const char* str)
{
  auto* label = new PK_String();
  label->Set(str ? str : "");
  if (!mTabLabels.Add(label))
    delete label;
}

const char* IVTabSwitchControl::TabLabel(int i) const
{
  const PK_String* label = mTabLabels.Get(i);
  return label ? label->Get() : nullptr;
}

const char* IVTabSwitchControl::GetSelectedLabelStr() const
{
  const char* label = TabLabel(GetSelectedIdx());
  return label ? label : "";
}

void IVTabSwitchControl::OnInit()
{
  ISwitchControlBase::OnInit();
  const IParam* p = GetParam();
  if (!p || mTabLabels.GetSize())
    return;
  // State i stands for the plain value min + i.
  for (int i = 0; i < mNumStates; ++i)
    AddTabLabel(p->GetDisplayTextForValue(p->GetMin() + i));
  if (!mLabelStr.GetLength())
    SetLabelStr(p->GetName());
}

void IVTabSwitchControl::OnResize()
{
  LayOutControl(false);
  const int n = mNumStates;
  IRECT* buttons = mButtons.Resize(n);
  if (buttons && mButtons.GetSize() == n)
  {
    const IRECT& w = mWidgetBounds;
    for (int i = 0; i < n; ++i)
    {
      const float k = static_cast<float>(i), fn = static_cast<float>(n);
      buttons[i] = mDirection == kHorizontal
                     ? IRECT(w.L + k * w.W() / fn, w.T, w.L + (k + 1.f) * w.W() / fn, w.B)
                     : IRECT(w.L, w.T + k * w.H() / fn, w.R, w.T + (k + 1.f) * w.H() / fn);
    }
  }
  SetDirty(false);
}

void IVTabSwitchControl::Draw(IGfx& g)
{
  DrawBackground(g, mBounds);
  DrawLabel(g);
  DrawWidget(g);
}

void IVTabSwitchControl::DrawWidget(IGfx& g)
{
  const int n = NDrawable();
  const int selected = GetSelectedIdx();
  for (int i = 0; i < n; ++i)
  {
    const ETabPosition position = i == mNumStates - 1 ? ETabPosition::kLast
                                   : i == 0             ? ETabPosition::kFirst
                                                        : ETabPosition::kMiddle;
    const IRECT r = mButtons.Get()[i];
    DrawButton(g, r, i == selected, i == mMouseOverButton, position, TabDisabled(i));
    if (const char* label = TabLabel(i))
      g.DrawText(mStyle.valueText, label, r, Blend());
  }
}

void IVTabSwitchControl::DrawButton(IGfx& g, const IRECT& r, bool pressed, bool mouseOver,
  ETabPosition position, bool disabled)
{
  const bool horizontal = mDirection == kHorizontal;
  switch (mShape)
  {
    case kRoundedEnds:
      if (horizontal)
        DrawPressableRectangle(g, r, pressed, mouseOver, disabled, position == ETabPosition::kFirst, position == ETabPosition::kLast, false,
          false);
      else
        DrawPressableRectangle(g, r, pressed, mouseOver, disabled, false, position == ETabPosition::kFirst, false,
          position == ETabPosition::kLast);
      break;
    case kRoundedAll:
      DrawPressableRectangle(g, r, pressed, mouseOver, disabled, horizontal, true, false, !horizontal);
      break;
    default: DrawPressableShape(g, mShape, r, pressed, mouseOver, disabled); break;
  }
}

int IVTabSwitchControl::GetButtonForPoint(float x, float y) const
{
  const int n = NDrawable();
  for (int i = 0; i < n; ++i)
    if (mButtons.Get()[i].Contains(x, y))
      return i;
  return -1;
}

void IVTabSwitchControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  const int i = GetButtonForPoint(x, y);
  // A state drawn disabled cannot be chosen: no value, no message, no action.
  if (i != -1 && GetStateDisabled(i))
    return;
  if (i != -1)
    SetValue(mNumStates > 1 ? static_cast<double>(i) / (mNumStates - 1) : 0.0);
  SetDirty(true, -1);
}

void IVTabSwitchControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  mMouseOverButton = GetButtonForPoint(x, y);
  IControl::OnMouseOver(x, y, mod);
  SetDirty(false);
}

void IVTabSwitchControl::OnMouseOut()
{
  mMouseOverButton = -1;
  IControl::OnMouseOut();
  SetDirty(false);
}

IVRadioButtonControl::IVRadioButtonControl(const IRECT& bounds, int paramIdx,
  const std::vector<const char*>& options, const char* label, const IVStyle& style, EVectorShape shape,
  EDirection direction, float buttonSize)
  : IVTabSwitchControl(bounds, paramIdx, options, label, style, shape, direction)
  , mButtonDiameter(buttonSize)
  , mButtonColumnWidth(buttonSize * 3.f)
{
  AlignTextNearMiddle();
}

IVRadioButtonControl::IVRadioButtonControl(const IRECT& bounds, IActionFunction action,
  const std::vector<const char*>& options, const char* label, const IVStyle& style, EVectorShape shape,
  EDirection direction, float buttonSize)
  : IVTabSwitchControl(bounds, std::move(action), options, label, style, shape, direction)
  , mButtonDiameter(buttonSize)
  , mButtonColumnWidth(buttonSize * 3.f)
{
  AlignTextNearMiddle();
}

void IVRadioButtonControl::AlignTextNearMiddle()
{
  mStyle.valueText.mAlign = mText.mAlign = kNear;
  mStyle.valueText.mVAlign = mText.mVAlign = kMiddle;
}

void IVRadioButtonControl::DrawWidget(IGfx& g)
{
  const int n = NDrawable();
  const int selected = GetSelectedIdx();
  const float s = std::max(1.f, mButtonDiameter);
  for (int i = 0; i < n; ++i)
  {
    const IRECT r = mButtons.Get()[i];
    const float cx = r.L + 0.5f * mButtonColumnWidth, cy = r.MH();
    const IRECT button(cx - 0.5f * s, cy - 0.5f * s, cx + 0.5f * s, cy + 0.5f * s);
    DrawButton(g, button, i == selected, i == mMouseOverButton, ETabPosition::kMiddle, TabDisabled(i));
    if (const char* label = TabLabel(i))
    {
      IText text = mStyle.valueText;
      text.mFGColor = GetColor(i == selected ? kPressed : kExtra1);
      g.DrawText(text, label, IRECT(r.L + mButtonColumnWidth, r.T, r.R, r.B), Blend());
    }
  }
}

int IVRadioButtonControl::GetButtonForPoint(float x, float y) const
{
  if (!mOnlyButtonsRespond)
    return IVTabSwitchControl::GetButtonForPoint(x, y);
  const int n = NDrawable();
  for (int i = 0; i < n; ++i)
  {
    const IRECT& r = mButtons.Get()[i];
    if (IRECT(r.L, r.T, r.L + mButtonColumnWidth, r.B).Contains(x, y))
      return i;
  }
  return -1;
}

} // namespace plugkit::gfx
