#pragma once

#include <initializer_list>
#include <vector>

#include "graphics/IBitmap.h"
#include "graphics/IControlBehaviours.h"

namespace plugkit::gfx {

// Controls that show a parameter with SVG images scaled into their bounds.
// The behaviour base supplies all interaction; these add the picture only.
// SVGs need no reload when the screen scale changes. An invalid image, or
// one that measures nothing, draws nothing.

// A momentary button: the on image while its value is above 0.5.
class ISVGButtonControl : public IButtonControlBase
{
public:
  ISVGButtonControl(const IRECT& bounds, IActionFunction action, const ISVG& offImage, const ISVG& onImage);

  void Draw(IGfx& g) override;

protected:
  ISVG mOffSVG, mOnSVG;
};

// A knob drawn as one image turned about the control's centre, from
// mStartAngle at 0 to mEndAngle at 1; vertical drags, gearing 4.
class ISVGKnobControl : public IKnobControlBase
{
public:
  ISVGKnobControl(const IRECT& bounds, const ISVG& svg, int paramIdx = -1);

  void Draw(IGfx& g) override;
  // Replaces the image and redraws.
  void SetSVG(const ISVG& svg);

protected:
  ISVG mSVG;
  float mStartAngle = -135.f;
  float mEndAngle = 135.f;
};

// A switch with one image per state, as many states as images. A state
// without an image (none were given, or the parameter has more states than
// images) draws nothing.
class ISVGSwitchControl : public ISwitchControlBase
{
public:
  ISVGSwitchControl(const IRECT& bounds, std::initializer_list<ISVG> svgs, int paramIdx = -1,
    IActionFunction action = nullptr);
  ISVGSwitchControl(const IRECT& bounds, const std::vector<ISVG>& svgs, int paramIdx = -1,
    IActionFunction action = nullptr);

  void Draw(IGfx& g) override;

protected:
  std::vector<ISVG> mSVGs;
};

// A slider: a track image scaled to the bounds' length and a handle image
// scaled alongside it, both keeping their proportions. The handle travels
// from the track's bottom (left) at 0 to its top (right) at 1, never past
// the track's ends. When either image measures nothing there is no picture
// to fit: both image rectangles stay empty and nothing is drawn, while
// clicks and drags still move the value over the whole bounds.
class ISVGSliderControl : public ISliderControlBase
{
public:
  ISVGSliderControl(const IRECT& bounds, const ISVG& handleSvg, const ISVG& trackSvg, int paramIdx = -1,
    EDirection dir = kVertical, double gearing = 4.0);

  void Draw(IGfx& g) override;
  void OnResize() override;

  // The handle's rectangle for a value; a negative value means the current
  // one.
  IRECT GetHandleBounds(double value = -1.0) const;
  const IRECT& GetTrackSVGBounds() const { return mTrackSVGBounds; }

protected:
  IRECT mTrackSVGBounds;
  IRECT mHandleBoundsAtMax;
  ISVG mHandleSVG, mTrackSVG;
};

} // namespace plugkit::gfx
