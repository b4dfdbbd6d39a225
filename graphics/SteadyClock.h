#pragma once

namespace plugkit::gfx {

// Milliseconds of the platform's monotonic clock: the one time source of the
// graphics core (animations, frame timing, bubbles, menus, the caret). Only
// differences are meaningful.
double SteadyTimeMs();

} // namespace plugkit::gfx
