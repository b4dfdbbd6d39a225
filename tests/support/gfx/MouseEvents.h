#pragma once

#include "graphics/IMouseInfo.h"

namespace gfxtest {

using namespace plugkit::gfx;

enum class Button { kLeft, kRight };

// The keys held during a mouse action. Command turns a left click into a
// right one (R set), as the editor view reports it.
struct HeldKeys
{
  bool shift = false;
  bool control = false;
  bool option = false;
  bool command = false;
};

// Builds the pointer records of one press, drag and release as the editor
// view does: L only while the left button is pressed or dragged, R for the
// right button and for a Command-click, deltas from the previous point.
class MouseAction
{
public:
  explicit MouseAction(Button button = Button::kLeft, HeldKeys keys = {}) : mButton(button), mKeys(keys) {}

  IMouseInfoList Press(float x, float y);
  IMouseInfoList Drag(float x, float y);
  IMouseInfoList Release(float x, float y);
  // The modifier record of a press or drag (pressed) or of a release.
  IMouseMod Mod(bool pressed) const;

private:
  IMouseInfoList One(float x, float y, float dX, float dY, bool pressed);

  Button mButton;
  HeldKeys mKeys;
  float mPrevX = 0.f;
  float mPrevY = 0.f;
};

} // namespace gfxtest
