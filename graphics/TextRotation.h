#pragma once

#include "graphics/IRECT.h"
#include "graphics/IText.h"

namespace plugkit::gfx {

// Where a rotated text lands. rect is the text's measured, unrotated box;
// it becomes the bounding box of its corners rotated by the text's angle,
// and (tx, ty) is the offset that aligns that box inside bounds by the
// text's alignments. An angle of 0 leaves rect as it is and gives (0, 0).
void CalculateTextRotation(const IText& text, const IRECT& bounds, IRECT& rect, float& tx, float& ty);

// The measuring form: rect ends as the rotated box moved into place.
void MeasureTextRotation(const IText& text, const IRECT& bounds, IRECT& rect);

} // namespace plugkit::gfx
