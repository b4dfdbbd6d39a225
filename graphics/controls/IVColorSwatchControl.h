#pragma once

#include <functional>
#include <initializer_list>
#include <vector>

#include "graphics/IVectorBase.h"
#include "graphics/PK_PtrList.h"
#include "graphics/PK_TypedBuf.h"

namespace plugkit::gfx {

// A grid of colour swatches, one per colour of the style's set: a click
// opens the platform's colour dialog on that colour; the colour chosen is
// stored in the style and handed, with the cell's index, to the
// colour-chosen function. A cell with a label shows it right-aligned on its
// left and its swatch in its right quarter.
//
// A cell whose colour id lies outside the set (0 to 8) is refused: it keeps
// its place in the layout but draws nothing and opens no dialog.
//
// Defaults: no label and no function, a 3 x 3 grid of the whole set in
// index order, no cell labels.
class IVColorSwatchControl : public IControl, public IVectorBase
{
public:
  enum ESwatchLayout : int32_t { kGrid = 0, kRow, kColumn };
  using ColorChosenFunc = std::function<void(int cellIdx, IColor color)>;

  IVColorSwatchControl(const IRECT& bounds, const char* label = "", ColorChosenFunc func = nullptr,
    const IVStyle& style = kDefaultStyle, ESwatchLayout layout = kGrid,
    std::initializer_list<int> colorIds = {kBackground, kForeground, kPressed, kFrame, kHighlight, kShadow,
      kExtra1, kExtra2, kExtra3},
    std::initializer_list<const char*> labels = {});
  ~IVColorSwatchControl() override;

  void Draw(IGfx& g) override;
  void DrawWidget(IGfx& g) override;
  void OnResize() override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;

  int NumCells() const { return static_cast<int>(mColorIdForCells.size()); }
  const IRECT& GetCellBounds(int idx) const { return mCellRects.Get()[idx]; }

protected:
  // The first cell that holds the point, or -1.
  int CellAt(float x, float y) const;

  ColorChosenFunc mColorChosenFunc;
  int mCellOver = -1;
  ESwatchLayout mLayout;
  PK_TypedBuf<IRECT> mCellRects;
  PK_PtrList<PK_String> mLabels;
  // -1 for a refused id.
  std::vector<int32_t> mColorIdForCells;
};

} // namespace plugkit::gfx
