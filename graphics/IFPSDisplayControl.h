#pragma once

#include "graphics/IControl.h"
#include "graphics/IVectorBase.h"

namespace plugkit::gfx {

// The frame-time display: a ring of the last 100 frame times, drawn as a
// graph with a read-out. The graphics context keeps at most one, outside
// its control list, and records every drawn frame into it.
class IFPSDisplayControl : public IControl, public IVectorBase
{
public:
  static constexpr int kNumFrames = 100;
  enum EStyle : int32_t { kFPS = 0, kMilliseconds, kPercentage };

  IFPSDisplayControl(const IRECT& bounds, EStyle style = kFPS, const char* label = "");

  void Draw(IGfx& g) override;
  // A click shows the next mode: frames per second, milliseconds, percentage.
  void OnMouseDown(float x, float y, const IMouseMod& mod) override { mStyle = static_cast<EStyle>((mStyle + 1) % 3); }
  // It shows a live measurement: always drawn again.
  bool IsDirty() const override { return true; }

  // Records one frame time in seconds into the next slot of the ring.
  void Update(float frameTimeSeconds)
  {
    mReadPos = (mReadPos + 1) % kNumFrames;
    mBuffer[mReadPos] = frameTimeSeconds;
  }
  int GetReadPos() const { return mReadPos; }
  float GetFrameTime(int slot) const { return slot >= 0 && slot < kNumFrames ? mBuffer[slot] : 0.f; }
  const char* GetLabel() const { return mLabel.Get(); }
  EStyle GetDisplayStyle() const { return mStyle; }

protected:
  EStyle mStyle;
  PK_String mLabel;
  float mBuffer[kNumFrames] = {};
  int mReadPos = 0;
  float mMax = 1.f;
  IText mTopLeftText, mTopRightText, mBottomRightText;
};

} // namespace plugkit::gfx
