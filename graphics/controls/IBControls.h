#pragma once

#include "graphics/IBitmapControl.h"
#include "graphics/IControlBehaviours.h"
#include "graphics/ITextControls.h"

namespace plugkit::gfx {

// Controls that show a parameter with film-strip bitmaps. The behaviour
// base supplies all interaction; these add the picture only. Every one of
// them reloads its bitmap for the new screen scale in OnRescale (the
// context keeps a copy for each scale in its cache). An invalid bitmap
// draws nothing.

// A momentary button drawn from a strip: frame 1 at rest, the last frame
// while pressed.
class IBButtonControl : public IButtonControlBase, public IBitmapBase
{
public:
  // At (x, y), one frame in size.
  IBButtonControl(float x, float y, const IBitmap& bitmap, IActionFunction action = DefaultClickActionFunc);
  // One frame centred in the given bounds.
  IBButtonControl(const IRECT& bounds, const IBitmap& bitmap, IActionFunction action = DefaultClickActionFunc);

  void Draw(IGfx& g) override { DrawBitmap(g); }
  void OnRescale() override;
};

// A switch that shows one frame per state. A click steps by one frame of
// the strip (the strip decides, not the parameter's state count) and wraps
// to 0 past the last frame.
class IBSwitchControl : public ISwitchControlBase, public IBitmapBase
{
public:
  // At (x, y), one frame in size.
  IBSwitchControl(float x, float y, const IBitmap& bitmap, int paramIdx = -1);
  // One frame centred in the given bounds.
  IBSwitchControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx = -1);

  void Draw(IGfx& g) override { DrawBitmap(g); }
  void OnRescale() override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
};

// A knob drawn as the strip's frame for its value, one frame centred in the
// given bounds. Direction and gearing as for every knob: vertical drags, a
// full sweep over four times the control's height.
class IBKnobControl : public IKnobControlBase, public IBitmapBase
{
public:
  IBKnobControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx = -1, EDirection direction = kVertical,
    double gearing = 4.0);

  void Draw(IGfx& g) override { DrawBitmap(g); }
  void OnRescale() override;
};

// A knob drawn as one whole bitmap turned about the control's centre, from
// -130 degrees at 0 to 130 degrees at 1.
class IBKnobRotaterControl : public IBKnobControl
{
public:
  using IBKnobControl::IBKnobControl;

  void Draw(IGfx& g) override;
};

// A slider: an optional track bitmap (frame 1, centred) and a handle
// bitmap whose frame 1 moves along the track. The handle's travel is the
// track's length less the whole handle bitmap's length, which for the usual
// one-frame handle is the handle's own size. Without a track bitmap the
// track is a strip as wide (or high) as the handle through the middle.
// Only the handle follows the screen scale; the track keeps the scale it
// was loaded with.
class IBSliderControl : public ISliderControlBase, public IBitmapBase
{
public:
  // At (x, y), trackLength long along the direction and as wide as the
  // handle across it.
  IBSliderControl(float x, float y, int trackLength, const IBitmap& handle, const IBitmap& track = IBitmap(),
    int paramIdx = -1, EDirection dir = kVertical, double gearing = 4.0);
  // In the given bounds.
  IBSliderControl(const IRECT& bounds, const IBitmap& handle, const IBitmap& track = IBitmap(), int paramIdx = -1,
    EDirection dir = kVertical, double gearing = 4.0);

  void Draw(IGfx& g) override;
  void OnRescale() override;
  void OnResize() override;

  // Where frame 1 of the handle is drawn for the current value.
  IRECT GetHandleBounds() const;

protected:
  IBitmap mTrackBitmap;
};

// Text drawn from a bitmap font: frame k of the strip holds the character
// k + 31, drawn in cells of charWidth x charHeight, charOffset apart beyond
// the cell's width. The background is transparent.
class IBTextControl : public ITextControl, public IBitmapBase
{
public:
  IBTextControl(const IRECT& bounds, const IBitmap& fontStrip, const IText& text = kDefaultText, const char* str = "",
    int charWidth = 6, int charHeight = 12, int charOffset = 0, bool multiLine = false, bool vCentre = true,
    EBlend blend = kBlendDefault);

  void Draw(IGfx& g) override;
  void OnRescale() override;

protected:
  int32_t mCharWidth, mCharHeight, mCharOffset;
  bool mMultiLine;
  bool mVCentre;
};

} // namespace plugkit::gfx
