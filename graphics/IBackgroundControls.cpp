#include "graphics/IBackgroundControls.h"

#include "graphics/IGfx.h"

namespace plugkit::gfx {

ISVGControl::ISVGControl(const IRECT& bounds, const ISVG& svg, bool useLayer)
  : IControl(bounds), mUseLayer(useLayer), mSVG(svg)
{
}

void ISVGControl::Draw(IGfx& g)
{
  if (!mSVG.IsValid())
    return;
  if (!mUseLayer)
  {
    g.DrawSVG(mSVG, mBounds, &mBlend);
    return;
  }
  if (!g.CheckLayer(mLayer))
  {
    g.StartLayer(this, mBounds, true);
    g.DrawSVG(mSVG, mBounds);
    mLayer = g.EndLayer();
  }
  g.PathTransformSave();
  g.PathTransformReset();
  g.DrawLayer(mLayer, &mBlend);
  g.PathTransformRestore();
}

IPanelControl::IPanelControl(const IRECT& bounds, const IPattern& pattern, bool drawFrame)
  : IControl(bounds), mPattern(pattern), mDrawFrame(drawFrame)
{
}

void IPanelControl::Draw(IGfx& g)
{
  g.PathMoveTo(mBounds.L, mBounds.T);
  g.PathLineTo(mBounds.R, mBounds.T);
  g.PathLineTo(mBounds.R, mBounds.B);
  g.PathLineTo(mBounds.L, mBounds.B);
  g.PathClose();
  g.PathFill(mPattern);
  if (mDrawFrame)
    g.DrawRect(kColorLightGray, mBounds);
}

} // namespace plugkit::gfx
