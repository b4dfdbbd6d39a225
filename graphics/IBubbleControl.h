#pragma once

#include "graphics/IControl.h"
#include "graphics/IMouseInfo.h"

namespace plugkit::gfx {

// The bubble that shows a parameter's value beside the control being
// dragged. Hidden and transparent to the mouse until shown; the graphics
// context keeps its bubbles in a list of their own and owns them.
class IBubbleControl : public IControl
{
public:
  IBubbleControl(const IText& text = kDefaultText, const IColor& fillColor = kColorWhite,
    const IColor& strokeColor = kColorBlack, float roundness = 5.f)
    : IControl(IRECT()), mRoundness(roundness), mFillColor(fillColor), mStrokeColor(strokeColor)
  {
    mText = text;
    mHidden = true;
    mIgnoreMouse = true;
  }

  void Draw(IGfx& g) override {}

  ITouchID GetTouchId() const { return mTouchId; }
  const IControl* GetCaller() const { return mCaller; }

protected:
  ITouchID mTouchId = 0;
  EDirection mDirection = kHorizontal;
  IRECT mMaxBounds;
  IRECT mBubbleBounds;
  IControl* mCaller = nullptr;
  int mArrowDir = 3;
  PK_String mStr;
  IBlend mBubbleBlend{kBlendDefault, 0.f};
  float mRoundness;
  float mDropShadowSize = 10.f;
  float mArrowSize = 10.f;
  float mMaxOpacity = 0.95f;
  float mStrokeThickness = 2.f;
  float mHorizontalPadding = 5.f;
  IColor mFillColor;
  IColor mStrokeColor;
  int mState = 0;
};

} // namespace plugkit::gfx
