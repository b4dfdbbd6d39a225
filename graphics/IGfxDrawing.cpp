#include "graphics/IGfx.h"

namespace plugkit::gfx {

void IGfx::PathCircle(float cx, float cy, float r)
{
  PathMoveTo(cx, cy - r);
  PathArc(cx, cy, r, 0.f, 360.f);
  PathClose();
}

void IGfx::FillCircle(const IColor& color, float cx, float cy, float r, const IBlend* pBlend)
{
  PathClear();
  PathCircle(cx, cy, r);
  PathFill(color, IFillOptions(), pBlend);
}

} // namespace plugkit::gfx
