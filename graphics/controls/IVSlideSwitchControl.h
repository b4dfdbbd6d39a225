#pragma once

#include "graphics/controls/IVSwitchControl.h"

namespace plugkit::gfx {

// A stepped switch whose handle sits in one of the widget's equal cells
// (one per state) and slides to the next cell over 100 ms when clicked; a
// change from the host moves it at once. The value text is hidden while
// the handle slides.
//
// Defaults: unlinked, no label, the default style, the value in the
// handle, cells side by side; with an action, two states starting at the
// first. The caller's action runs when the slide ends.
class IVSlideSwitchControl : public IVSwitchControl
{
public:
  IVSlideSwitchControl(const IRECT& bounds, int paramIdx = -1, const char* label = "",
    const IVStyle& style = kDefaultStyle, bool valueInButton = true, EDirection direction = kHorizontal);
  IVSlideSwitchControl(const IRECT& bounds, IActionFunction action, const char* label = "",
    const IVStyle& style = kDefaultStyle, bool valueInButton = true, EDirection direction = kHorizontal,
    int numStates = 2, int initialState = 0);

  void Draw(IGfx& g) override;
  void DrawWidget(IGfx& g) override;
  virtual void DrawTrack(IGfx& g, const IRECT& bounds);
  void OnResize() override;
  void OnEndAnimation() override;
  void SetDirty(bool triggerAction = true, int valIdx = -1) override;

  const IRECT& GetHandleBounds() const { return mHandleBounds; }
  // The cell the next click slides the handle to.
  const IRECT& GetEndRect() const { return mEndRect; }

protected:
  // The handle in the current state's cell, the next state's cell as the
  // slide's target.
  void UpdateRects();

  IRECT mStartRect, mEndRect, mHandleBounds;
  EDirection mDirection;

private:
  void StartSlide();
  void Slide();
  IRECT Cell(int state) const;
};

} // namespace plugkit::gfx
