#include "graphics/IFPSDisplayControl.h"

#include <algorithm>

#include "graphics/IGfx.h"

namespace plugkit::gfx {

namespace {

IVStyle DisplayStyle()
{
  IVStyle style = kDefaultStyle;
  style.colorSpec.SetColor(kBackground, kColorWhite);
  return style;
}

// The plotted value and the top of the scale for a frame time t (seconds):
// frames per second up to 80, milliseconds up to 20, or t itself up to 100.
float PlotValue(int mode, float t, float& vmax)
{
  switch (mode)
  {
    case IFPSDisplayControl::kFPS: vmax = 80.f; return std::min(1.f / (t + 0.00001f), 80.f);
    case IFPSDisplayControl::kMilliseconds: vmax = 20.f; return std::min(t * 1000.f, 20.f);
    default: vmax = 100.f; return std::min(t, 100.f);
  }
}

} // namespace

IFPSDisplayControl::IFPSDisplayControl(const IRECT& bounds, EStyle style, const char* label)
  : IControl(bounds), IVectorBase(DisplayStyle()), mStyle(style), mLabel(label ? label : "")
{
  AttachIControl(this);
  SetLabelStr(label);
  const IColor& c = GetColor(kFrame);
  mTopLeftText = IText(14.f, c, "Roboto-Regular", kNear, kTop);
  mTopRightText = IText(18.f, c, "Roboto-Regular", kFar, kTop);
  mBottomRightText = IText(15.f, c, "Roboto-Regular", kFar, kBottom);
}

void IFPSDisplayControl::Draw(IGfx& g)
{
  float sum = 0.f;
  for (float t : mBuffer)
    sum += t;
  const float avg = sum / kNumFrames;

  g.FillRect(GetColor(kBackground), mBounds);
  g.DrawRect(kColorBlack, mBounds);

  const IRECT inner = mBounds.GetPadded(-2.f);
  const float w = inner.W(), h = inner.H();
  g.PathMoveTo(inner.L, inner.B);
  for (int i = 0; i < kNumFrames; ++i)
  {
    float vmax = 1.f;
    const float v = PlotValue(mStyle, mBuffer[(mReadPos + i) % kNumFrames], vmax);
    g.PathLineTo(inner.L + static_cast<float>(i) / (kNumFrames - 1) * w, inner.B - v / vmax * h);
  }
  g.PathLineTo(mBounds.R, mBounds.B);
  g.PathFill(IPattern(GetColor(kForeground)));

  g.DrawText(mTopLeftText, g.GetDrawingAPIStr(), inner);
  if (mLabel.GetLength())
    g.DrawText(mText, mLabel.Get(), inner);

  PK_String readout;
  switch (mStyle)
  {
    case kFPS:
      readout.SetFormatted(32, "%.2f FPS", 1.f / avg);
      g.DrawText(mTopRightText, readout.Get(), inner);
      readout.SetFormatted(32, "%.2f ms", avg * 1000.f);
      g.DrawText(mBottomRightText, readout.Get(), inner);
      break;
    case kMilliseconds:
      readout.SetFormatted(32, "%.2f ms", avg * 1000.f);
      g.DrawText(mTopRightText, readout.Get(), inner);
      break;
    default:
      readout.SetFormatted(32, "%.1f %%", avg);
      g.DrawText(mTopRightText, readout.Get(), inner);
      break;
  }
}

} // namespace plugkit::gfx
