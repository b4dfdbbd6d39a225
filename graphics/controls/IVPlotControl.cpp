#include "graphics/controls/IVPlotControl.h"

#include <algorithm>

#include "graphics/IGfx.h"

namespace plugkit::gfx {

IVPlotControl::IVPlotControl(const IRECT& bounds, std::initializer_list<Plot> plots, int numPoints,
  const char* label, const IVStyle& style, float min, float max, bool useLayer)
  : IControl(bounds, -1), IVectorBase(style, false, false), mMin(min), mMax(max), mUseLayer(useLayer),
    mPoints(static_cast<size_t>(std::max(0, numPoints)), 0.f)
{
  AttachIControl(this);
  SetLabelStr(label);
  for (const Plot& plot : plots)
    AddPlotFunc(plot.color, plot.func);
}

void IVPlotControl::AddPlotFunc(const IColor& color, const std::function<double(double)>& func)
{
  mPlots.push_back({color, func});
  if (mLayer)
    mLayer->Invalidate();
  SetDirty(false);
}

void IVPlotControl::OnResize()
{
  LayOutControl(false);
  SetDirty(false);
}

void IVPlotControl::Draw(IGfx& g)
{
  DrawBackground(g, mBounds);
  DrawLabel(g);
  const IRECT& w = mWidgetBounds;
  // Two extra rows keep the curves off the top and bottom lines.
  const float vStep = w.H() / static_cast<float>(mVerticalDivisions + 2);
  const IRECT plotArea(w.L, w.T + vStep, w.R, w.B - vStep);
  if (!mUseLayer)
  {
    DrawPlots(g, w, plotArea);
    return;
  }
  if (!g.CheckLayer(mLayer))
  {
    g.StartLayer(this, mBounds);
    DrawPlots(g, w, plotArea);
    mLayer = g.EndLayer();
  }
  g.DrawLayer(mLayer, &mBlend);
}

void IVPlotControl::DrawPlots(IGfx& g, const IRECT& w, const IRECT& plotArea)
{
  const float hStep = w.W() / static_cast<float>(mHorizontalDivisions);
  const float vStep = w.H() / static_cast<float>(mVerticalDivisions + 2);
  g.DrawGrid(GetColor(kShadow), w, hStep, vStep, &mBlend, 1.f);

  const int n = static_cast<int>(mPoints.size());
  // Equal bounds leave no scale to map the values to.
  if (mMax != mMin)
  {
    for (const Plot& plot : mPlots)
    {
      if (!plot.func)
        continue;
      for (int j = 0; j < n; ++j)
      {
        const double x = n > 1 ? static_cast<double>(j) / (n - 1) : 0.0;
        mPoints[static_cast<size_t>(j)] = static_cast<float>((plot.func(x) - mMin) / (mMax - mMin));
      }
      g.DrawData(plot.color, plotArea, mPoints.data(), n, nullptr, &mBlend, mTrackSize);
    }
  }

  if (mStyle.drawFrame)
    g.DrawRect(GetColor(kFrame), w, &mBlend, mStyle.frameThickness);
}

} // namespace plugkit::gfx
