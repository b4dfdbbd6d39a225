#pragma once

#include <cstdint>

namespace plugkit::gfx {

// A colour of four channels 0..255, alpha first. The default is opaque black.
struct IColor
{
  int32_t A = 255;
  int32_t R = 0;
  int32_t G = 0;
  int32_t B = 0;

  constexpr IColor() = default;
  constexpr IColor(int32_t a, int32_t r, int32_t g, int32_t b) : A(a), R(r), G(g), B(b) {}

  constexpr bool operator==(const IColor& o) const { return A == o.A && R == o.R && G == o.G && B == o.B; }
  constexpr bool operator!=(const IColor& o) const { return !(*this == o); }
};

inline constexpr IColor kColorTransparent(0, 0, 0, 0);
inline constexpr IColor kColorTranslucent(10, 0, 0, 0);
inline constexpr IColor kColorBlack(255, 0, 0, 0);
inline constexpr IColor kColorShadowBlack(128, 0, 0, 0);
inline constexpr IColor kColorGray(255, 127, 127, 127);
inline constexpr IColor kColorLightGray(255, 240, 240, 240);
inline constexpr IColor kColorMidGray(255, 200, 200, 200);
inline constexpr IColor kColorDarkGray(255, 70, 70, 70);
inline constexpr IColor kColorWhite(255, 255, 255, 255);
inline constexpr IColor kColorRed(255, 255, 0, 0);
inline constexpr IColor kColorGreen(255, 0, 255, 0);
inline constexpr IColor kColorBlue(255, 0, 0, 255);
inline constexpr IColor kColorYellow(255, 255, 255, 0);
inline constexpr IColor kColorOrange(255, 255, 127, 0);
inline constexpr IColor kColorIndigo(255, 75, 0, 130);
inline constexpr IColor kColorViolet(255, 148, 0, 211);

} // namespace plugkit::gfx
