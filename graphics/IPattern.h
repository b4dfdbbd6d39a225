#pragma once

#include "graphics/IColor.h"
#include "graphics/IMatrix.h"

namespace plugkit::gfx {

enum EPatternType : int32_t { kSolidPattern = 0, kLinearPattern = 1, kRadialPattern = 2 };
enum EPatternExtend : int32_t { kExtendPad = 1, kExtendReflect = 2, kExtendRepeat = 3 };

struct IColorStop
{
  IColor mColor;
  float mOffset = 0.f;
};

// A paint: one colour, or a gradient of up to 16 stops in a pattern space
// given by the transform. Stops past the count hold opaque black at 0.
struct IPattern
{
  static constexpr int kMaxStops = 16;

  EPatternType mType = kSolidPattern;
  EPatternExtend mExtend = kExtendPad;
  IColorStop mStops[kMaxStops] = {};
  int32_t mNStops = 0;
  IMatrix mTransform;

  // A solid paint of the colour.
  IPattern(const IColor& color) { AddStop(color, 0.f); }
  // A gradient of that type without stops.
  explicit IPattern(EPatternType type) : mType(type) {}

  // A 17th stop is ignored.
  void AddStop(const IColor& color, float offset)
  {
    if (mNStops >= kMaxStops)
      return;
    mStops[mNStops].mColor = color;
    mStops[mNStops].mOffset = offset;
    ++mNStops;
  }
  void SetTransform(double xx, double yx, double xy, double yy, double tx, double ty)
  {
    mTransform = IMatrix(xx, yx, xy, yy, tx, ty);
  }
  int NStops() const { return mNStops; }
  const IColorStop& GetStop(int idx) const { return mStops[idx]; }
};

} // namespace plugkit::gfx
