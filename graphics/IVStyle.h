#pragma once

#include <initializer_list>

#include "graphics/IColor.h"
#include "graphics/IText.h"

namespace plugkit::gfx {

enum EVectorColor : int32_t
{
  kBackground = 0,
  kForeground,
  kPressed,
  kFrame,
  kHighlight,
  kShadow,
  kExtra1,
  kExtra2,
  kExtra3,
  kNumVectorColors
};

// The colour each index of a vector control's colour set has by default.
inline constexpr IColor DefaultVectorColor(int idx)
{
  constexpr IColor colors[kNumVectorColors] = {kColorTransparent, kColorMidGray, kColorLightGray,
    kColorDarkGray, IColor(10, 0, 0, 0), IColor(60, 0, 0, 0), kColorBlack, kColorGreen, kColorBlue};
  return idx >= 0 && idx < kNumVectorColors ? colors[idx] : kColorBlack;
}

// The nine colours of a vector control. Built from up to nine colours; the
// indices after the list keep their default colour, and colours past the
// ninth are ignored.
struct IVColorSet
{
  IColor mColors[kNumVectorColors];

  IVColorSet(std::initializer_list<IColor> colors = {})
  {
    for (int i = 0; i < kNumVectorColors; ++i)
      mColors[i] = DefaultVectorColor(i);
    int i = 0;
    for (const IColor& c : colors)
    {
      if (i == kNumVectorColors)
        break;
      mColors[i++] = c;
    }
  }
  const IColor& GetColor(EVectorColor idx) const { return mColors[idx]; }
  void SetColor(EVectorColor idx, const IColor& c) { mColors[idx] = c; }
};

// The look of a vector control; see the vector control base for how each
// field is drawn.
struct IVStyle
{
  bool hideCursor = true;
  bool showLabel = true;
  bool showValue = true;
  bool drawFrame = true;
  bool drawShadows = true;
  bool emboss = false;
  float roundness = 0.f;
  float frameThickness = 1.f;
  float shadowOffset = 3.f;
  float widgetFrac = 1.f;
  float angle = 0.f;
  IVColorSet colorSpec;
  IText labelText = kDefaultLabelText;
  IText valueText = kDefaultValueText;
};

inline const IVStyle kDefaultStyle;

} // namespace plugkit::gfx
