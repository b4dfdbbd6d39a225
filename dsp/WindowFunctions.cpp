#include "dsp/WindowFunctions.h"

#include <cmath>

namespace
{
constexpr double kPi = 3.141592653589793;

// Kaiser window with shape β: I0(β·√(1 - r²)) / I0(β), where r runs from -1
// at the first point to +1 at the last, so the window is symmetric for every
// length and its ends are 1 / I0(β).
double KaiserValue(int32_t n, int32_t length, double beta)
{
  const double span = static_cast<double>(length - 1);
  const double r = (2.0 * n - span) / span;
  const double inside = 1.0 - r * r;
  return BesselI0(beta * std::sqrt(inside > 0.0 ? inside : 0.0)) / BesselI0(beta);
}

double CosineSum(const double* a, int terms, double theta)
{
  double sum = 0.0;
  for (int k = 0; k < terms; ++k)
    sum += a[k] * std::cos(k * theta);
  return sum;
}

double WindowValue(int32_t n, int32_t length, EWindowKind kind)
{
  const double span = static_cast<double>(length - 1);
  const double theta = 2.0 * kPi * n / span;
  switch (kind)
  {
    case kWindowBlackman:
      return 0.42 - 0.5 * std::cos(theta) + 0.08 * std::cos(2.0 * theta);
    case kWindowKaiser4:
      return KaiserValue(n, length, 4.0);
    case kWindowKaiser5:
      return KaiserValue(n, length, 5.0);
    case kWindowKaiser6:
      return KaiserValue(n, length, 6.0);
    case kWindowKaiser8:
      return KaiserValue(n, length, 8.0);
    case kWindowRectangular:
      return 1.0;
    case kWindowHann:
      return 0.5 - 0.5 * std::cos(theta);
    case kWindowBartlett:
      return 1.0 - 2.0 * std::fabs(n - span / 2.0) / span;
    case kWindowBlackmanHarris4:
    {
      static constexpr double a[] = {0.358750287312166, -0.4882901074726, 0.141279712970519,
                                     -0.011679892244715};
      return CosineSum(a, 4, theta);
    }
    case kWindowFlatTop:
    {
      // Deliberately not scaled to a peak of 1.
      static constexpr double a[] = {1.0, -1.93, 1.29, -0.388, 0.028};
      return CosineSum(a, 5, theta);
    }
    case kWindowHannSquared:
    {
      const double hann = 0.5 - 0.5 * std::cos(theta);
      return hann * hann;
    }
    case kWindowSinc:
      return Sinc((n - length / 2.0) / (4.0 * kPi));
    case kWindowBlackmanHarris7:
    {
      static constexpr double a[] = {0.2712203605850388,    -0.4334446123274422,
                                     0.2180041228929303,    -0.06578534329560609,
                                     0.01076186730534183,   -0.0007700127105808265,
                                     1.368088305992921e-5};
      return CosineSum(a, 7, theta);
    }
    default:
      return 0.53836 - 0.46164 * std::cos(theta);
  }
}
}  // namespace

double Sinc(double x)
{
  if (std::fabs(x) < 1e-14)
    return 1.0;
  return std::sin(x) / x;
}

double BesselI0(double x)
{
  const double y = x / 2.0;
  double sum = 1.0;
  double term = 1.0;
  // The terms shrink once k exceeds y; the cap only guards a non-finite
  // argument, which would otherwise never meet the stopping rule.
  for (int k = 1; k < 1000; ++k)
  {
    const double ratio = y / k;
    term *= ratio * ratio;
    sum += term;
    if (term < sum * 1e-21)
      break;
  }
  return sum;
}

std::unique_ptr<double[]> MakeWindow(int32_t length, EWindowKind kind, bool normalise)
{
  if (length < 1)
    return nullptr;
  auto window = std::make_unique<double[]>(static_cast<size_t>(length));
  if (length == 1)
  {
    window[0] = 1.0;
    return window;
  }
  for (int32_t n = 0; n < length; ++n)
    window[static_cast<size_t>(n)] = WindowValue(n, length, kind);
  if (normalise)
  {
    double sum = 0.0;
    for (int32_t n = 0; n < length; ++n)
      sum += window[static_cast<size_t>(n)];
    // A window of zeros (the two-point Hann, for one) cannot be scaled to a
    // sum of 1; dividing by its sum would turn it into NaNs.
    if (sum == 0.0)
      return window;
    const double scale = 1.0 / sum;
    for (int32_t n = 0; n < length; ++n)
      window[static_cast<size_t>(n)] *= scale;
  }
  return window;
}
