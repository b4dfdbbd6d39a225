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
    mActionFunc = [](IControl* c) { static_cast<IBubbleControl*>(c)->StartPhase(200); };
    mAnimationEndActionFunc = [](IControl* c) { static_cast<IBubbleControl*>(c)->OnPhaseEnd(); };
  }

  enum EState : int32_t { kHidden = 0, kFadingIn, kShown, kFadingOut };

  void Draw(IGfx& g) override;
  virtual void DrawContent(IGfx& g, const IRECT& r);
  virtual void DrawBubble(IGfx& g, const IRECT& r);
  virtual void MeasureText(const char* str, IRECT& out);

  // Places the bubble beside (x, y) with the text and fades it in when it
  // is hidden. minimumContentBounds widens the content per dimension.
  void ShowBubble(IControl* pCaller, float x, float y, const char* str, EDirection dir, ITouchID touchId,
    IRECT minimumContentBounds = IRECT());

  int GetState() const { return mState; }
  int GetArrowDir() const { return mArrowDir; }
  float GetOpacity() const { return mBubbleBlend.mWeight; }
  const IRECT& GetBubbleBounds() const { return mBubbleBounds; }
  const char* GetStr() const { return mStr.Get(); }

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
  int mState = kHidden;

private:
  // While shown: just faded in, holding for a second, then re-checking
  // every 200 ms whether the caller is still dragged.
  enum EShownPhase { kAppeared, kHolding, kWatchingCaller };

  void StartPhase(int durationMs);
  void Animate(double progress);
  void OnPhaseEnd();

  EShownPhase mShownPhase = kAppeared;
};

// Show the context's bubble with the display text (and unit) of the first
// value's parameter: beside the control's right edge, or above its top.
// An unlinked control shows nothing.
void ShowBubbleHorizontalActionFunc(IControl* pCaller);
void ShowBubbleVerticalActionFunc(IControl* pCaller);

} // namespace plugkit::gfx
