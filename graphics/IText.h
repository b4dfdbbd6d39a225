#pragma once

#include <cstring>

#include "graphics/IColor.h"

namespace plugkit::gfx {

enum EAlign : int32_t { kNear = 0, kCenter = 1, kFar = 2 };
enum EVAlign : int32_t { kTop = 0, kMiddle = 1, kBottom = 2 };

// A text style: font id (at most 63 bytes, cut beyond), size in points,
// colours of the text and of a text entry opened on it, angle in degrees
// clockwise, and the alignments inside the bounds it is drawn in.
struct IText
{
  static constexpr int kFontIdSize = 64;

  char mFont[kFontIdSize] = "Roboto-Regular";
  float mSize = 14.f;
  IColor mFGColor = kColorBlack;
  IColor mTextEntryBGColor = kColorWhite;
  IColor mTextEntryFGColor = kColorBlack;
  float mAngle = 0.f;
  EAlign mAlign = kCenter;
  EVAlign mVAlign = kMiddle;

  IText() = default;
  IText(float size, const IColor& color = kColorBlack, const char* font = nullptr, EAlign align = kCenter,
    EVAlign valign = kMiddle, float angle = 0.f, const IColor& entryBG = kColorWhite,
    const IColor& entryFG = kColorBlack)
    : mSize(size), mFGColor(color), mTextEntryBGColor(entryBG), mTextEntryFGColor(entryFG), mAngle(angle),
      mAlign(align), mVAlign(valign)
  {
    SetFont(font);
  }

  // A null font keeps the default font.
  void SetFont(const char* font)
  {
    if (!font)
      return;
    std::strncpy(mFont, font, kFontIdSize - 1);
    mFont[kFontIdSize - 1] = '\0';
  }
};

inline const IText kDefaultText(14.f, kColorBlack, nullptr, kCenter, kMiddle);
inline const IText kDefaultLabelText(19.f, kColorBlack, nullptr, kCenter, kTop);
inline const IText kDefaultValueText(14.f, kColorBlack, nullptr, kCenter, kBottom);

} // namespace plugkit::gfx
