#pragma once

#include <vector>

#include "graphics/IControlBehaviours.h"
#include "graphics/IVectorBase.h"
#include "graphics/PK_PtrList.h"
#include "graphics/PK_TypedBuf.h"

namespace plugkit::gfx {

// A tab's place in its row: only the outer corners of a row get rounded.
// Scoped, since the text alignments already name a kMiddle.
enum class ETabPosition : int32_t { kFirst = 0, kMiddle, kLast };

// One pressable tab per state, side by side or stacked, the selected one
// drawn pressed. A click selects the tab under the pointer, unless that
// state is disabled. Linked to a parameter and given no option strings,
// the tabs show the parameter's display texts and the label its name.
//
// Defaults: unlinked, no options (one state), no label, the default style,
// rectangles, side by side.
class IVTabSwitchControl : public ISwitchControlBase, public IVectorBase
{
public:
  IVTabSwitchControl(const IRECT& bounds, int paramIdx = -1, const std::vector<const char*>& options = {},
    const char* label = "", const IVStyle& style = kDefaultStyle, EVectorShape shape = kRectangle,
    EDirection direction = kHorizontal);
  IVTabSwitchControl(const IRECT& bounds, IActionFunction action, const std::vector<const char*>& options = {},
    const char* label = "", const IVStyle& style = kDefaultStyle, EVectorShape shape = kRectangle,
    EDirection direction = kHorizontal);
  ~IVTabSwitchControl() override;

  void Draw(IGfx& g) override;
  void DrawWidget(IGfx& g) override;
  virtual void DrawButton(IGfx& g, const IRECT& r, bool pressed, bool mouseOver, ETabPosition position,
    bool disabled);
  // The first tab containing the point; -1 when none does.
  virtual int GetButtonForPoint(float x, float y) const;

  void OnInit() override;
  void OnResize() override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;
  bool IsHit(float x, float y) const override { return GetButtonForPoint(x, y) != -1; }

  // The selected tab's label; "" when it has none.
  const char* GetSelectedLabelStr() const;
  // The tab rectangles (one per state after a resize).
  int NButtons() const { return mButtons.GetSize(); }
  IRECT GetButton(int i) const { return i >= 0 && i < NButtons() ? mButtons.Get()[i] : IRECT(); }

protected:
  // Whether state i is drawn disabled: the whole control, or the state.
  bool TabDisabled(int i) const { return mDisabled || GetStateDisabled(i); }
  // The tabs that can be drawn: states that also have a rectangle.
  int NDrawable() const { return std::min(mNumStates, NButtons()); }
  const char* TabLabel(int i) const;

  int mMouseOverButton = -1;
  PK_TypedBuf<IRECT> mButtons;
  PK_PtrList<PK_String> mTabLabels;
  EDirection mDirection;

private:
  void SetUp(const std::vector<const char*>& options, const char* label, EVectorShape shape);
  void AddTabLabel(const char* str);
};

// A tab switch drawn as a column (or row) of small buttons, each with its
// text beside it in a column three diameters wide. A click anywhere on a
// row selects it, or only on its button when so set.
//
// Defaults: as the tab switch, but ellipses, stacked, 10-point buttons.
class IVRadioButtonControl : public IVTabSwitchControl
{
public:
  IVRadioButtonControl(const IRECT& bounds, int paramIdx = -1, const std::vector<const char*>& options = {},
    const char* label = "", const IVStyle& style = kDefaultStyle, EVectorShape shape = kEllipse,
    EDirection direction = kVertical, float buttonSize = 10.f);
  IVRadioButtonControl(const IRECT& bounds, IActionFunction action, const std::vector<const char*>& options = {},
    const char* label = "", const IVStyle& style = kDefaultStyle, EVectorShape shape = kEllipse,
    EDirection direction = kVertical, float buttonSize = 10.f);

  void DrawWidget(IGfx& g) override;
  int GetButtonForPoint(float x, float y) const override;

  void SetOnlyButtonsRespond(bool only) { mOnlyButtonsRespond = only; }

protected:
  float mButtonDiameter;
  float mButtonColumnWidth;
  bool mOnlyButtonsRespond = false;

private:
  void AlignTextNearMiddle();
};

} // namespace plugkit::gfx
