#pragma once

#include <cstdint>
#include <vector>

namespace plugkit::gfx {

using ITouchID = uint64_t;

// The buttons and modifiers of one pointer. The view sets L only while the
// left button is pressed or dragged (not on release) and R for the right
// button and for a Command-click; touchID is 0 for the mouse.
struct IMouseMod
{
  bool L = false;
  bool R = false;
  bool S = false;
  bool C = false;
  bool A = false;
  ITouchID touchID = 0;
  float touchRadius = 0.f;

  IMouseMod() = default;
  IMouseMod(bool l, bool r = false, bool s = false, bool c = false, bool a = false, ITouchID touch = 0)
    : L(l), R(r), S(s), C(c), A(a), touchID(touch)
  {
  }
};

// One pointer position in editor points (already divided by the draw scale)
// with its movement since the previous event.
struct IMouseInfo
{
  float x = 0.f;
  float y = 0.f;
  float dX = 0.f;
  float dY = 0.f;
  IMouseMod ms;
};

using IMouseInfoList = std::vector<IMouseInfo>;

} // namespace plugkit::gfx
