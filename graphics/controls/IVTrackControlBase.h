#pragma once

#include <initializer_list>

#include "graphics/IVectorBase.h"
#include "graphics/PK_PtrList.h"
#include "graphics/PK_TypedBuf.h"

namespace plugkit::gfx {

// The base of multi-track bars: one track per value, each linked to its own
// parameter. Horizontal tracks are rows whose values grow to the right;
// vertical tracks are columns whose values grow upwards. Values may snap to
// step cells (stored from the last cell to the first), fill from a baseline
// and end in a peak strip. Abstract: members supply Draw.
//
// Every rectangle is normalised before it is filled: a value below the
// baseline gives edges in reverse order, which not every back-end draws.
class IVTrackControlBase : public IControl, public IVectorBase
{
public:
  IVTrackControlBase(const IRECT& bounds, const char* label, const IVStyle& style,
    std::initializer_list<int> params, int nSteps = 0, EDirection dir = kHorizontal,
    std::initializer_list<const char*> trackNames = {});
  ~IVTrackControlBase() override;

  void OnResize() override;
  // The first track that holds the point, or -1.
  int GetValIdxForPos(float x, float y) const override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;

  void DrawWidget(IGfx& g) override;
  // The background fill and, above a baseline of 0, the baseline.
  void DrawBackground(IGfx& g, const IRECT& r) override;
  virtual void DrawTrack(IGfx& g, const IRECT& r, int chIdx);
  virtual void DrawTrackBackground(IGfx& g, const IRECT& r, int chIdx);
  virtual void DrawTrackName(IGfx& g, const IRECT& r, int chIdx);
  virtual void DrawTrackHandle(IGfx& g, const IRECT& r, int chIdx, bool aboveBase);
  virtual void DrawPeak(IGfx& g, const IRECT& r, int chIdx, bool aboveBase);
  virtual void MakeTrackRects(IRECT& bounds);
  virtual void MakeStepRects(IRECT& bounds, int nSteps);

  void SetBaseValue(double value) { mBaseValue = value; }
  void SetTrackPadding(float padding) { mTrackPadding = padding; }
  void SetPeakSize(float size) { mPeakSize = size; }
  void SetHighlightedTrack(int idx) { mHighlightedTrack = idx; }
  void SetDrawTrackFrame(bool draw) { mDrawTrackFrame = draw; }
  void SetZeroValueStepHasBounds(bool has) { mZeroValueStepHasBounds = has; }
  const IRECT& GetTrackBounds(int idx) const { return mTrackRects.Get()[idx]; }

protected:
  // r with its edges in order (left <= right, top <= bottom).
  static IRECT Normalised(const IRECT& r);

  EDirection mDirection;
  PK_TypedBuf<IRECT> mTrackRects;
  PK_TypedBuf<IRECT> mStepBounds;
  PK_PtrList<PK_String> mTrackNames;
  int mNSteps;
  float mTrackPadding = 0.f;
  float mPeakSize = 1.f;
  int mHighlightedTrack = -1;
  int mMouseOverTrack = -1;
  double mBaseValue = 0.0;
  bool mDrawTrackFrame = true;
  bool mZeroValueStepHasBounds = true;
};

} // namespace plugkit::gfx
