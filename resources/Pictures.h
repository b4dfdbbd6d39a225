// How each picture of the bundle looks. Frame 1 is the off or normal look,
// frame 2 the on or hovered one; knob frame k shows the value (k - 1) / 50.
#pragma once

#include "resources/ArtworkTable.h"
#include "resources/Canvas.h"
#include "resources/TextPainter.h"

namespace tolvane3::artwork {

struct Fonts
{
  TextPainter regular;
  TextPainter bold;
};

// Draws every frame of the picture into a canvas of its full size; false
// for a name the generator does not know.
bool DrawPicture(const Picture& picture, Canvas& canvas, const Fonts& fonts);

} // namespace tolvane3::artwork
