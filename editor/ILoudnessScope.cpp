#include "editor/ILoudnessScope.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "graphics/IGfx.h"

namespace tolvane3 {

using plugkit::gfx::IColor;
using plugkit::gfx::IText;

const IColor ILoudnessScope::kPalette[kPaletteSize] = {
  {255, 255, 255, 255}, {255, 63, 63, 63}, {255, 127, 127, 127}, {255, 255, 255, 255}, {255, 255, 255, 255},
  {255, 0, 255, 0}, {255, 255, 255, 255}, {255, 255, 0, 0}, {255, 0, 0, 255}, {255, 255, 255, 0},
  {255, 255, 127, 127}, {255, 127, 127, 255}, {255, 127, 255, 127}, {255, 255, 255, 127},
};

ILoudnessScope::ILoudnessScope(int x, int y, const IBitmap& bitmap)
  : IBBitmapControlKV(static_cast<float>(x), static_cast<float>(y), bitmap)
{
  const IRECT& r = GetRECT();
  mPlot = IRECT(r.L + 20.f, r.T + 5.f, r.R - 20.f, r.B - 5.f);
  mPlotHeight = static_cast<int>(mPlot.B - mPlot.T);
  mPlotWidth = static_cast<int>(mPlot.R - mPlot.L);
  mLevel = ScopeAxis::Make(-90.0, 30.0, 9.0);
  mTime = ScopeAxis::Make(0.0, (mPlotWidth - 1) * mSamplePeriodMs, 1000.0);
  mLabelText = IText(static_cast<float>(mLabelSize), kPalette[kLabel], "Roboto-Regular", plugkit::gfx::kFar,
    plugkit::gfx::kMiddle, 0.f);
}

void ILoudnessScope::SetScopeSettings(const ScopeSettings& s)
{
  mTime.SetView(s.xScale, s.xOffset);
  mLevel.SetView(s.yScale, s.yOffset);
  mShowInput = s.input;
  mShowOutput = s.output;
  mShowGain = s.gain;
  mShowRide = s.ride;
  mPause = s.pause;
  mScreen = s.screen;
  mHistory = s.history;
}

void ILoudnessScope::SetScopeReferences(const ScopeReferences& r)
{
  mTargetLevel = r.targetLevelDb;
  mNoiseLevel = r.noiseLevelDb;
  mRangeMin = r.rangeMinDb;
  mRangeMax = r.rangeMaxDb;
  mIdleGain = r.idleGainDb;
  mDetectionMode = r.detectionMode;
}

float ILoudnessScope::LevelToY(double v) const
{
  const double f = (v - mLevel.viewLow) / (mLevel.viewHigh - mLevel.viewLow);
  return std::trunc(mPlot.B - std::trunc(mPlotHeight * f));
}

float ILoudnessScope::TimeToX(double t) const
{
  const double f = (t - mTime.viewLow) / (mTime.viewHigh - mTime.viewLow);
  return static_cast<float>(std::trunc(std::trunc(mPlotWidth * f) + mPlot.L));
}

void ILoudnessScope::HorizontalLine(IGfx& g, int paletteIdx, float y) const
{
  g.DrawLine(kPalette[paletteIdx], mPlot.L, y, mPlot.L + static_cast<float>(mPlotWidth), y, &mBlend, 1.f);
}

void ILoudnessScope::Label(IGfx& g, float x, float y, double value) const
{
  // Every label is a whole number: levels and seconds.
  char text[32];
  std::snprintf(text, sizeof text, "%.0f", value);
  g.DrawText(mLabelText, text, IRECT(x, y, x + 10.f, y + 10.f), &mBlend);
}

void ILoudnessScope::DrawGrid(IGfx& g) const
{
  // From the first whole dB in view, so every line and label lies exactly
  // on the level it names.
  const float labelX = mPlot.L - static_cast<float>(mLabelSize);
  for (double d = std::ceil(mLevel.viewLow); d <= mLevel.viewHigh; d += 1.0)
  {
    const int n = static_cast<int>(d);
    if (n % 3 != 0)
      continue;
    const float y = LevelToY(d);
    HorizontalLine(g, kGrid3dB, y);
    if (n % 6 == 0)
      HorizontalLine(g, kGrid6dB, y);
    if (n != 0 && n % 12 == 0)
      Label(g, labelX, y - static_cast<float>(mLabelSize / 2), n);
  }
}

void ILoudnessScope::DrawZeroLineAndTicks(IGfx& g) const
{
  if (!(mLevel.viewLow < 0.0 && 0.0 < mLevel.viewHigh))
    return;
  const float y0 = LevelToY(0.0);
  HorizontalLine(g, kZeroLine, y0);
  Label(g, mPlot.L - static_cast<float>(mLabelSize), y0 - static_cast<float>(mLabelSize / 2), 0.0);
  if (mTime.viewHigh < mTime.viewLow)
    return;
  // Whole seconds only: a tick every second, a label every fifth.
  for (double t = std::ceil(mTime.viewLow / 1000.0) * 1000.0; t <= mTime.viewHigh; t += 1000.0)
  {
    const float x = TimeToX(t);
    g.DrawLine(kPalette[kZeroLine], x, y0 - 5.f, x, y0 + 5.f, &mBlend, 1.f);
    if (static_cast<long long>(t) % 5000 == 0)
      Label(g, x - static_cast<float>(mLabelSize / 3), y0 - 5.f - static_cast<float>(mLabelSize), t / 1000.0);
  }
}

void ILoudnessScope::DrawReferences(IGfx& g) const
{
  struct Reference
  {
    double level;
    int paletteIdx;
    bool shown;
  };
  const Reference refs[] = {
    {mTargetLevel, kTarget, mDetectionMode != 2}, {mNoiseLevel, kNoise, true}, {mRangeMin, kRangeMin, true},
    {mRangeMax, kRangeMax, true}, {mIdleGain, kIdleGain, true},
  };
  const float labelX = mPlot.L + static_cast<float>(mPlotWidth) + static_cast<float>(mLabelSize / 2);
  for (const Reference& r : refs)
  {
    if (!r.shown || !(mLevel.viewLow < r.level && r.level < mLevel.viewHigh))
      continue;
    const float y = LevelToY(r.level);
    HorizontalLine(g, kReferenceUpper, y);
    HorizontalLine(g, r.paletteIdx, y + 1.f);
    Label(g, labelX, y - static_cast<float>(mLabelSize / 2), r.level);
  }
}

void ILoudnessScope::DrawCurve(IGfx& g, const std::array<double, ScopeSnapshot::kCapacity>& values, double factor,
  int paletteIdx) const
{
  const int count = std::min(mSnapshot.count, ScopeSnapshot::kCapacity);
  for (int i = 0; i + 1 < count; ++i)
  {
    const double t0 = i * mSamplePeriodMs, t1 = (i + 1) * mSamplePeriodMs;
    if (t0 < mTime.viewLow || t0 > mTime.viewHigh || t1 < mTime.viewLow || t1 > mTime.viewHigh)
      continue;
    const double a = values[i] * factor, b = values[i + 1] * factor;
    if (!std::isfinite(a) || !std::isfinite(b))
      continue;
    const double ca = std::clamp(a, mLevel.viewLow, mLevel.viewHigh);
    const double cb = std::clamp(b, mLevel.viewLow, mLevel.viewHigh);
    g.DrawLine(kPalette[paletteIdx], TimeToX(t0), LevelToY(ca), TimeToX(t1), LevelToY(cb), &mBlend, 1.f);
  }
}

void ILoudnessScope::Draw(IGfx& g)
{
  if (mScreen == 0 || !mHistory)
    return;
  mHistory->ReadSnapshot(mSnapshot);
  DrawGrid(g);
  DrawZeroLineAndTicks(g);
  DrawReferences(g);
  if (mSnapshot.count >= 2)
  {
    if (mShowInput)
      DrawCurve(g, mSnapshot.inputLevel, 1.0, kInputCurve);
    if (mShowOutput)
      DrawCurve(g, mSnapshot.outputLevel, 1.0, kOutputCurve);
    if (mShowGain)
      DrawCurve(g, mSnapshot.gain, 1.0, kGainCurve);
    if (mShowRide)
      DrawCurve(g, mSnapshot.ride, 10.0, kRideCurve);
  }
  DrawBitmap(g);
}

} // namespace tolvane3
