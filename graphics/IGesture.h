#pragma once

#include <cstdint>
#include <functional>

namespace plugkit::gfx {

class IControl;

enum EGestureType : int32_t
{
  kGestureUnknown = 0,
  kGestureTap,
  kGestureDoubleTap,
  kGestureLongPress,
  kGestureSwipeLeft,
  kGestureSwipeRight,
  kGestureSwipeUp,
  kGestureSwipeDown,
  kGesturePinch,
  kGestureRotate
};

// A recognised gesture: where it happened, then what the platform measured.
struct IGestureInfo
{
  float x = 0.f;
  float y = 0.f;
  float scale = 1.f;
  float velocity = 0.f;
  float angle = 0.f;
  int32_t state = 0;
  EGestureType type = kGestureUnknown;
};

// The control is null for a gesture delivered to a screen region.
using IGestureFunc = std::function<void(IControl* pCaller, const IGestureInfo& info)>;

} // namespace plugkit::gfx
