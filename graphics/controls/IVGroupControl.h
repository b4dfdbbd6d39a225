#pragma once

#include "graphics/IVectorBase.h"

namespace plugkit::gfx {

// A labelled frame with rounded corners, drawn around an area or around the
// controls of a named group. The frame's top line runs through the middle of
// the label and leaves a gap for it; an unlabelled frame has no gap. It lets
// the mouse through.
//
// A frame built from a group takes its bounds when attached, from the
// group's controls as they are then (controls with all-zero bounds left
// out), with the margins around them; later moves are followed only through
// SetBoundsBasedOnGroup. A group no control carries gives the margins
// around an all-zero rectangle.
//
// Defaults: no label, the label 10 points from the frame's left corner, no
// margins.
class IVGroupControl : public IControl, public IVectorBase
{
public:
  IVGroupControl(const IRECT& bounds, const char* label = "", const IVStyle& style = kDefaultStyle,
    float labelOffset = 10.f);
  IVGroupControl(const char* label, const char* groupName, const IVStyle& style = kDefaultStyle,
    float padL = 0.f, float padT = 0.f, float padR = 0.f, float padB = 0.f);

  void Draw(IGfx& g) override;
  void DrawWidget(IGfx& g) override;
  void OnInit() override;
  void OnResize() override;

  // The margins are used once, not kept.
  void SetBoundsBasedOnGroup(const char* groupName, float padL, float padT, float padR, float padB);

protected:
  float CornerRadius() const;

  PK_String mGroupName;
  float mPadL = 0.f, mPadT = 0.f, mPadR = 0.f, mPadB = 0.f;
  float mLabelOffset;
  float mLabelPadding = 10.f;
};

} // namespace plugkit::gfx
