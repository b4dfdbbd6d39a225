#pragma once

#include "graphics/ITextControls.h"
#include "graphics/IVectorBase.h"

namespace plugkit::gfx {

// A text in the style's value text, over the style's background, with a
// shadow copy moved right and down by the shadow offset (not while
// disabled) and a frame when the style draws one. It does not use the
// vector layout: the text fills the bounds.
class IVLabelControl : public ITextControl, public IVectorBase
{
public:
  IVLabelControl(const IRECT& bounds, const char* label = "", const IVStyle& style = kDefaultStyle);

  void Draw(IGfx& g) override;
};

} // namespace plugkit::gfx
