#pragma once

#include <functional>
#include <initializer_list>
#include <vector>

#include "graphics/ILayer.h"
#include "graphics/IVectorBase.h"

namespace plugkit::gfx {

// Curves of functions over x from 0 to 1, sampled at a fixed number of
// points and drawn over a grid; the range from min to max maps to the plot
// area's bottom and top. With the layer the drawing is cached and made again
// only after a curve is added or the context drops the layer (a scale
// change). Equal min and max give no scale: the grid and frame are drawn and
// no curve. A single point samples x = 0.
//
// Defaults: no curve, 256 points, a range of -1 to 1, no layer.
class IVPlotControl : public IControl, public IVectorBase
{
public:
  struct Plot
  {
    IColor color;
    std::function<double(double)> func;
  };

  IVPlotControl(const IRECT& bounds, std::initializer_list<Plot> plots = {}, int numPoints = 256,
    const char* label = "", const IVStyle& style = kDefaultStyle, float min = -1.f, float max = 1.f,
    bool useLayer = false);

  void Draw(IGfx& g) override;
  void OnResize() override;
  void AddPlotFunc(const IColor& color, const std::function<double(double)>& func);

protected:
  void DrawPlots(IGfx& g, const IRECT& widget, const IRECT& plotArea);

  ILayerPtr mLayer;
  std::vector<Plot> mPlots;
  float mMin, mMax;
  bool mUseLayer;
  int mHorizontalDivisions = 10;
  int mVerticalDivisions = 10;
  std::vector<float> mPoints;
};

} // namespace plugkit::gfx
