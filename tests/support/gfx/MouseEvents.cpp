#include "tests/support/gfx/MouseEvents.h"

namespace gfxtest {

IMouseMod MouseAction::Mod(bool pressed) const
{
  const bool left = mButton == Button::kLeft;
  IMouseMod mod;
  mod.L = left && pressed;
  mod.R = !left || mKeys.command;
  mod.S = mKeys.shift;
  mod.C = mKeys.control;
  mod.A = mKeys.option;
  return mod;
}

IMouseInfoList MouseAction::One(float x, float y, float dX, float dY, bool pressed)
{
  mPrevX = x;
  mPrevY = y;
  IMouseInfo info;
  info.x = x;
  info.y = y;
  info.dX = dX;
  info.dY = dY;
  info.ms = Mod(pressed);
  return {info};
}

IMouseInfoList MouseAction::Press(float x, float y)
{
  return One(x, y, 0.f, 0.f, true);
}

IMouseInfoList MouseAction::Drag(float x, float y)
{
  return One(x, y, x - mPrevX, y - mPrevY, true);
}

IMouseInfoList MouseAction::Release(float x, float y)
{
  return One(x, y, 0.f, 0.f, false);
}

} // namespace gfxtest
