#include "graphics/controls/IVColorSwatchControl.h"

#include <algorithm>

#include "graphics/IGfx.h"

namespace plugkit::gfx {

namespace {

constexpr IColor kCellOverFrameColor(255, 127, 127, 127);
constexpr IColor kCellFrameColor(255, 70, 70, 70);

} // namespace

IVColorSwatchControl::IVColorSwatchControl(const IRECT& bounds, const char* label, ColorChosenFunc func,
  const IVStyle& style, ESwatchLayout layout, std::initializer_list<int> colorIds,
  std::initializer_list<const char*> labels)
  : IControl(bounds, -1), IVectorBase(style, false, false), mColorChosenFunc(std::move(func)), mLayout(layout)
{
  AttachIControl(this);
  SetLabelStr(label);
  // An id outside the set would read and write past it.
  for (int id : colorIds)
    mColorIdForCells.push_back(id >= 0 && id < kNumVectorColors ? id : -1);
  if (IRECT* rects = mCellRects.Resize(NumCells()))
    std::fill(rects, rects + mCellRects.GetSize(), IRECT());
  mStyle.valueText.mAlign = kFar;
  mText.mAlign = kFar;
  for (const char* l : labels)
    mLabels.Add(new PK_String(l ? l : ""));
}

IVColorSwatchControl::~IVColorSwatchControl()
{
  mLabels.Empty(true);
}

void IVColorSwatchControl::OnResize()
{
  LayOutControl(true);
  const int n = std::min(NumCells(), mCellRects.GetSize());
  if (n > 0)
  {
    int cols = 3, rows = 3;
    if (mLayout == kRow)
      cols = n, rows = 1;
    else if (mLayout == kColumn)
      cols = 1, rows = n;
    const IRECT& w = mWidgetBounds;
    const float cw = w.W() / static_cast<float>(cols), ch = w.H() / static_cast<float>(rows);
    for (int i = 0; i < n; ++i)
    {
      IRECT cell = w;
      if (i < rows * cols)
      {
        const int row = i / cols, col = i % cols;
        cell = IRECT(w.L + col * cw, w.T + row * ch, w.L + (col + 1) * cw, w.T + (row + 1) * ch);
      }
      mCellRects.Get()[i] = cell.GetPadded(-2.f);
    }
  }
  SetDirty(false);
}

void IVColorSwatchControl::Draw(IGfx& g)
{
  DrawWidget(g);
  DrawLabel(g);
}

void IVColorSwatchControl::DrawWidget(IGfx& g)
{
  const int n = std::min(NumCells(), mCellRects.GetSize());
  for (int i = 0; i < n; ++i)
  {
    const int id = mColorIdForCells[static_cast<size_t>(i)];
    if (id < 0)
      continue;
    const IRECT& r = mCellRects.Get()[i];
    const PK_String* label = mLabels.Get(i);
    const bool labelled = label && label->GetLength();
    const float f = labelled ? 0.25f : 1.f;
    const IRECT swatch(r.R - r.W() * f, r.T, r.R, r.B);
    g.FillRect(GetColor(static_cast<EVectorColor>(id)), swatch, &mBlend);
    g.DrawRect(i == mCellOver ? kCellOverFrameColor : kCellFrameColor, swatch.GetPadded(0.5f), &mBlend, 1.f);
    if (labelled)
      g.DrawText(mStyle.valueText, label->Get(), IRECT(r.L, r.T, r.L + r.W() * 0.7f, r.B), &mBlend);
  }
}

int IVColorSwatchControl::CellAt(float x, float y) const
{
  const int n = std::min(NumCells(), mCellRects.GetSize());
  for (int i = 0; i < n; ++i)
    if (mCellRects.Get()[i].Contains(x, y))
      return i;
  return -1;
}

void IVColorSwatchControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  mCellOver = CellAt(x, y);
  IControl::OnMouseOver(x, y, mod);
  SetDirty(true, -1);
}

void IVColorSwatchControl::OnMouseOut()
{
  mCellOver = -1;
  IControl::OnMouseOut();
  SetDirty(true, -1);
}

void IVColorSwatchControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  const int cell = CellAt(x, y);
  if (cell < 0 || !GetUI())
    return;
  const int id = mColorIdForCells[static_cast<size_t>(cell)];
  if (id < 0)
    return;
  IColor current = GetColor(static_cast<EVectorColor>(id));
  GetUI()->PromptForColor(current, "Choose a color", [this, cell, id](const IColor& chosen) {
    mStyle.colorSpec.SetColor(static_cast<EVectorColor>(id), chosen);
    SetDirty(false);
    if (mColorChosenFunc)
      mColorChosenFunc(cell, chosen);
  });
}

} // namespace plugkit::gfx
