// The scope in the middle of the editor: the history of input level,
// output level, gain and ride as up to four curves over a dB grid, with the
// rider's reference levels as lines, under the picture "ScopePlane.png".
//
// It owns no audio data. Each draw copies the plug-in's ScopeHistory once
// (a lock-free snapshot, so only completely written samples are shown) into
// a member and draws from that copy; drawing allocates nothing. The plug-in
// hands it the view settings and the reference levels through ScopeView,
// on the main thread only; until it has a history it draws nothing.
//
// Only finite values become pixels: a curve segment with a non-finite end
// is left out. Grid lines and labels lie at whole dB and time ticks at
// whole seconds, whatever the ends of the view.
#pragma once

#include "dsp/ScopeHistory.h"
#include "editor/KVBitmapControls.h"
#include "editor/ScopeAxis.h"
#include "graphics/IColor.h"
#include "graphics/IText.h"
#include "plugin/EditorHooks.h"

namespace tolvane3 {

class ILoudnessScope : public IBBitmapControlKV, public ScopeView
{
public:
  ILoudnessScope(int x, int y, const IBitmap& bitmap);

  void Draw(IGfx& g) override;

  void SetScopeSettings(const ScopeSettings& settings) override;
  void SetScopeReferences(const ScopeReferences& references) override;

  // Read-outs for the plug-in's tests and the editor's.
  const IRECT& PlotRect() const { return mPlot; }
  const ScopeAxis& LevelAxis() const { return mLevel; }
  const ScopeAxis& TimeAxis() const { return mTime; }

  enum EPalette
  {
    kLabel = 0,
    kGrid3dB,
    kGrid6dB,
    kZeroLine,
    kReferenceUpper,
    kTarget,
    kNoise,
    kRangeMin,
    kRangeMax,
    kIdleGain,
    kInputCurve,
    kOutputCurve,
    kGainCurve,
    kRideCurve,
    kPaletteSize
  };
  static const plugkit::gfx::IColor kPalette[kPaletteSize];

private:
  float LevelToY(double v) const;
  float TimeToX(double t) const;
  void HorizontalLine(IGfx& g, int paletteIdx, float y) const;
  void Label(IGfx& g, float x, float y, double value) const;
  void DrawGrid(IGfx& g) const;
  void DrawZeroLineAndTicks(IGfx& g) const;
  void DrawReferences(IGfx& g) const;
  void DrawCurve(IGfx& g, const std::array<double, ScopeSnapshot::kCapacity>& values, double factor,
    int paletteIdx) const;

  double mSamplePeriodMs = 100.0;
  IRECT mPlot;
  int mPlotHeight;
  int mPlotWidth;
  ScopeAxis mLevel;
  ScopeAxis mTime;
  int mShowInput = 1, mShowOutput = 1, mShowGain = 1, mShowRide = 1;
  int mPause = 0;
  int mScreen = 1;
  int mLabelSize = 11;
  double mTargetLevel = 0.0, mNoiseLevel = 0.0, mRangeMin = 0.0, mRangeMax = 0.0, mIdleGain = 0.0;
  int mDetectionMode = 0;
  plugkit::gfx::IText mLabelText;
  const ScopeHistory* mHistory = nullptr;
  ScopeSnapshot mSnapshot;
};

} // namespace tolvane3
