#include "dsp/FilterStage.h"

namespace
{
constexpr double kPi = 3.141592653589793;
}

double ClampCutFrequency(double f, double fs)
{
  const double top = kCutMaxFraction * fs;
  if (!(f >= kCutMinHz))  // NaN included
    f = kCutMinHz;
  if (f > top)
    f = top;
  return f;
}

void DesignCutStage(FilterStage& s, int32_t type, double f, double fs, double alphaDivisor)
{
  const double fd = ClampCutFrequency(f, fs);
  const double w = 2.0 * kPi * fd / fs;
  const double sw = std::sin(w);
  const double cw = std::cos(w);
  const double alpha = sw / alphaDivisor;
  s.type = type;
  if (type == 1)
  {
    s.rawB0 = (1.0 + cw) / 2.0;
    s.rawB1 = -(1.0 + cw);
    s.rawB2 = (1.0 + cw) / 2.0;
  }
  else
  {
    s.rawB0 = (1.0 - cw) / 2.0;
    s.rawB1 = 1.0 - cw;
    s.rawB2 = (1.0 - cw) / 2.0;
  }
  s.rawA0 = 1.0 + alpha;
  s.rawA1 = -2.0 * cw;
  s.rawA2 = 1.0 - alpha;

  s.a0 = 1.0;
  s.a1 = s.a2 = s.b0 = s.b1 = s.b2 = 0.0;
  if (s.rawA0 != 0.0)
  {
    s.a0 = s.rawA0 / s.rawA0;
    s.a1 = s.rawA1 / s.rawA0;
    s.a2 = s.rawA2 / s.rawA0;
    s.b0 = s.rawB0 / s.rawA0;
    s.b1 = s.rawB1 / s.rawA0;
    s.b2 = s.rawB2 / s.rawA0;
  }
  s.limitHigh = FilterStage::kLimit;
  s.limitLow = -FilterStage::kLimit;
}
