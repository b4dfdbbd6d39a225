#pragma once

#include <cstdint>

#include "graphics/IPattern.h"

namespace plugkit::gfx {

// How a drawing is composed over what is already there, and its opacity.
enum EBlend : int32_t
{
  kBlendDefault = 0, // source-over
  kBlendSourceIn,
  kBlendSourceOut,
  kBlendSourceAtop,
  kBlendDestOver,
  kBlendDestIn,
  kBlendDestOut,
  kBlendDestAtop,
  kBlendAdd,
  kBlendXOR
};

// A null IBlend pointer means source-over at weight 1.
struct IBlend
{
  EBlend mMethod = kBlendDefault;
  float mWeight = 1.f;

  IBlend() = default;
  IBlend(EBlend method, float weight) : mMethod(method), mWeight(weight) {}
};

inline float BlendWeight(const IBlend* pBlend) { return pBlend ? pBlend->mWeight : 1.f; }

inline const IBlend kBlend75(kBlendDefault, 0.75f);
inline const IBlend kBlend50(kBlendDefault, 0.5f);
inline const IBlend kBlend25(kBlendDefault, 0.25f);
inline const IBlend kBlend10(kBlendDefault, 0.1f);
inline const IBlend kBlend05(kBlendDefault, 0.05f);
inline const IBlend kBlend01(kBlendDefault, 0.01f);
inline const IBlend kBlendDstIn(kBlendDestIn, 1.f);
inline const IBlend kBlendDstOver(kBlendDestOver, 1.f);

enum ELineCap : int32_t { kCapButt = 0, kCapRound, kCapSquare };
enum ELineJoin : int32_t { kJoinMiter = 0, kJoinRound, kJoinBevel };
// kFillPreserve keeps the winding PathSetWinding gave each sub-path.
enum EFillRule : int32_t { kFillWinding = 0, kFillEvenOdd, kFillPreserve };

struct IStrokeOptions
{
  struct DashOptions
  {
    static constexpr int kMaxDashes = 8;
    float mArray[kMaxDashes] = {};
    float mOffset = 0.f;
    int32_t mCount = 0;

    // Up to eight dash lengths; more are cut.
    void SetDash(const float* array, float offset, int count)
    {
      mCount = count < 0 ? 0 : (count > kMaxDashes ? kMaxDashes : count);
      for (int i = 0; i < mCount; ++i)
        mArray[i] = array[i];
      mOffset = offset;
    }
  };

  float mMiterLimit = 10.f;
  bool mPreserve = false;
  ELineCap mCapOption = kCapButt;
  ELineJoin mJoinOption = kJoinMiter;
  DashOptions mDash;
};

struct IFillOptions
{
  EFillRule mFillRule = kFillWinding;
  bool mPreserve = false;

  IFillOptions() = default;
  IFillOptions(EFillRule rule, bool preserve) : mFillRule(rule), mPreserve(preserve) {}
};

// A drop shadow made from a layer's alpha.
struct IShadow
{
  IPattern mPattern = IPattern(kColorBlack);
  float mBlurSize = 0.f;
  float mXOffset = 0.f;
  float mYOffset = 0.f;
  float mOpacity = 1.f;
  bool mDrawForeground = true;

  IShadow() = default;
  IShadow(const IPattern& pattern, float blurSize, float xOffset, float yOffset, float opacity,
    bool drawForeground = true)
    : mPattern(pattern), mBlurSize(blurSize), mXOffset(xOffset), mYOffset(yOffset), mOpacity(opacity),
      mDrawForeground(drawForeground)
  {
  }
};

} // namespace plugkit::gfx
