#include "dsp/FourierTransform.h"

#include <cmath>
#include <functional>
#include <utility>

namespace
{
constexpr double kPi = 3.141592653589793;

void BitReverse(double* data, int32_t n)
{
  int32_t j = 0;
  for (int32_t i = 0; i < n; ++i)
  {
    if (j > i)
    {
      std::swap(data[2 * i], data[2 * j]);
      std::swap(data[2 * i + 1], data[2 * j + 1]);
    }
    int32_t bit = n >> 1;
    while (bit >= 1 && (j & bit) != 0)
    {
      j ^= bit;
      bit >>= 1;
    }
    j |= bit;
  }
}

// Converts count/2 complex values with convert(a, b, &outA, &outB). When the
// destination begins later in memory than the source, the values are taken
// from the last one backwards so that no value is overwritten before it is
// read. Comparing addresses rather than the two starts also covers a caller
// that passes two pointers into one buffer; for separate buffers the order
// does not matter.
template <typename Convert>
bool ConvertPairs(const double* src, int32_t srcStart, double* dst, int32_t dstStart,
                  int32_t count, Convert convert)
{
  if (src == nullptr || dst == nullptr || srcStart < 0 || dstStart < 0 || count < 0)
    return false;
  const int32_t pairs = count / 2;
  const bool backwards = std::greater<const double*>{}(dst + dstStart, src + srcStart);
  for (int32_t step = 0; step < pairs; ++step)
  {
    const int32_t k = backwards ? pairs - 1 - step : step;
    const double a = src[srcStart + 2 * k];
    const double b = src[srcStart + 2 * k + 1];
    double outA = 0.0;
    double outB = 0.0;
    convert(a, b, &outA, &outB);
    dst[dstStart + 2 * k] = outA;
    dst[dstStart + 2 * k + 1] = outB;
  }
  return true;
}
}  // namespace

bool IsPowerOfTwo(int32_t n)
{
  return n > 0 && (n & (n - 1)) == 0;
}

bool ComplexFFT(double* data, int32_t n, int32_t sign)
{
  if (data == nullptr || !IsPowerOfTwo(n) || (sign != 1 && sign != -1))
    return false;
  BitReverse(data, n);
  for (int32_t m = 1; m < n; m <<= 1)
  {
    const double theta = sign * 2.0 * kPi / (2.0 * m);
    const double half = std::sin(0.5 * theta);
    // The twiddle advances by a recurrence rather than a sin/cos per step.
    const double pr = -2.0 * half * half;
    const double pi = std::sin(theta);
    double wr = 1.0;
    double wi = 0.0;
    for (int32_t k = 0; k < m; ++k)
    {
      for (int32_t i = k; i < n; i += 2 * m)
      {
        const int32_t j = i + m;
        const double tr = wr * data[2 * j] - wi * data[2 * j + 1];
        const double ti = wr * data[2 * j + 1] + wi * data[2 * j];
        data[2 * j] = data[2 * i] - tr;
        data[2 * j + 1] = data[2 * i + 1] - ti;
        data[2 * i] += tr;
        data[2 * i + 1] += ti;
      }
      const double oldWr = wr;
      wr += wr * pr - wi * pi;
      wi += wi * pr + oldWr * pi;
    }
  }
  if (sign == -1)
  {
    const double scale = 1.0 / n;
    for (int32_t i = 0; i < 2 * n; ++i)
      data[i] *= scale;
  }
  return true;
}

bool RealFFT(double* data, int32_t n, int32_t sign)
{
  if (data == nullptr || !IsPowerOfTwo(n) || n < 4 || (sign != 1 && sign != -1))
    return false;
  const double theta = sign * kPi / (n / 2);
  const double c1 = 0.5;
  const double c2 = -0.5 * sign;
  const double half = std::sin(0.5 * theta);
  const double pr = -2.0 * half * half;
  const double pi = std::sin(theta);

  if (sign == 1)
    ComplexFFT(data, n / 2, 1);

  // Separates (forward) or recombines (inverse) the spectra of the even and
  // odd samples, bin i together with its mirror bin n/2 - i.
  double wr = 1.0 + pr;
  double wi = pi;
  for (int32_t i = 1; i < n / 4; ++i)
  {
    const int32_t a = 2 * i;
    const int32_t b = n - 2 * i;
    const double h1r = c1 * (data[a] + data[b]);
    const double h1i = c1 * (data[a + 1] - data[b + 1]);
    const double h2r = -c2 * (data[a + 1] + data[b + 1]);
    const double h2i = c2 * (data[a] - data[b]);
    data[a] = h1r + wr * h2r - wi * h2i;
    data[a + 1] = h1i + wr * h2i + wi * h2r;
    data[b] = h1r - wr * h2r + wi * h2i;
    data[b + 1] = -h1i + wr * h2i + wi * h2r;
    const double oldWr = wr;
    wr = wr * pr - wi * pi + wr;
    wi = wi * pr + oldWr * pi + wi;
  }

  if (sign == 1)
  {
    const double d = data[0];
    const double e = data[1];
    data[0] = d + e;
    data[n] = d - e;
    data[1] = 0.0;
    data[n + 1] = 0.0;
  }
  else
  {
    const double d = data[0];
    data[0] = 0.5 * (data[n] + d);
    data[1] = 0.5 * (d - data[n]);
    data[n] = 0.0;
    data[n + 1] = 0.0;
    ComplexFFT(data, n / 2, -1);
  }
  return true;
}

bool ToPolar(const double* src, int32_t srcStart, double* dst, int32_t dstStart, int32_t count)
{
  return ConvertPairs(src, srcStart, dst, dstStart, count,
                      [](double re, double im, double* magnitude, double* phase) {
                        *magnitude = std::sqrt(re * re + im * im);
                        *phase = std::atan2(im, re);
                      });
}

bool FromPolar(const double* src, int32_t srcStart, double* dst, int32_t dstStart, int32_t count)
{
  return ConvertPairs(src, srcStart, dst, dstStart, count,
                      [](double magnitude, double phase, double* re, double* im) {
                        *re = magnitude * std::cos(phase);
                        *im = magnitude * std::sin(phase);
                      });
}
