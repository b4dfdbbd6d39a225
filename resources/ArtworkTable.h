// The pictures of the editor's bundle: their file names (without ".png"),
// the size of one frame at 1x in points and the number of frames, stacked
// vertically. The generator draws each at 1x ("name.png") and 2x
// ("name@2x.png", exactly twice the pixels); tests check the bundle against
// this table. The control rectangles of the editor follow from these sizes.
#pragma once

#include <array>

namespace tolvane3::artwork {

struct Picture
{
  const char* name;
  int frameWidth;
  int frameHeight;
  int frames;
};

inline constexpr std::array<Picture, 12> kPictures{{
  {"background", 1008, 584, 1},
  {"button_resize", 16, 16, 2},
  {"pluginmenu", 40, 40, 2},
  {"iconupdateavailable", 32, 32, 2},
  {"ob_button", 32, 32, 2},
  {"ob_button_red", 32, 32, 2},
  {"ob_button_white", 32, 32, 2},
  {"ob_button_yellow", 32, 32, 2},
  {"knobnormal", 60, 60, 51},
  {"knobsmall", 36, 36, 51},
  {"inputmode", 48, 28, 3},
  {"ScopePlane", 746, 340, 1},
}};

// The scope's picture lies over its curves: the plot (20 units in from the
// sides, 5 from top and bottom) and the side margins stay see-through.
inline constexpr int kScopePlotInsetX = 20;
inline constexpr int kScopePlotInsetY = 5;

} // namespace tolvane3::artwork
