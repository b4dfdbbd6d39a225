#include "graphics/SteadyClock.h"

#include "QuartzCore/CABase.h"

namespace plugkit::gfx {

double SteadyTimeMs()
{
  return CACurrentMediaTime() * 1000.0;
}

} // namespace plugkit::gfx
