#pragma once

#include "graphics/IBitmap.h"
#include "graphics/IControl.h"
#include "graphics/ILayer.h"
#include "graphics/IPattern.h"

namespace plugkit::gfx {

// An SVG drawing fitted into the control, optionally cached in a layer
// that is drawn again only when it is invalid or its size or scale
// changed. An invalid SVG draws nothing.
class ISVGControl : public IControl
{
public:
  ISVGControl(const IRECT& bounds, const ISVG& svg, bool useLayer = false);
  void Draw(IGfx& g) override;

protected:
  bool mUseLayer;
  ILayerPtr mLayer;
  ISVG mSVG;
};

// A rectangle filled with a pattern, with an optional light frame.
class IPanelControl : public IControl
{
public:
  IPanelControl(const IRECT& bounds, const IPattern& pattern, bool drawFrame = false);
  void Draw(IGfx& g) override;

protected:
  IPattern mPattern;
  bool mDrawFrame;
};

} // namespace plugkit::gfx
