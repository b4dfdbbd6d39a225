#include "dsp/GainExp.h"

#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "dsp/BufferHelpers.h"

namespace ride_detail
{
namespace
{
// ln 2 in two parts: kLn2High has its low bits clear, so n·kLn2High is exact
// for every n the reduction gives.
constexpr double kLn2High = 6.93147180369123816490e-01;
constexpr double kLn2Low = 1.90821492927058770002e-10;
constexpr double kLog2E = 1.44269504088896338700e+00;
// Adding 1.5 × 2^52 rounds to an integer, which lands in the low bits.
constexpr double kShifter = 0x1.8p52;
// Beyond this the scaled result would leave the normal doubles.
constexpr double kLargestFastArgument = 700.0;

constexpr double kFactorial[13] = {1.0,         1.0,          2.0,           6.0,            24.0,
                                   120.0,       720.0,        5040.0,        40320.0,        362880.0,
                                   3628800.0,   39916800.0,   479001600.0};

template <int k>
Pair Term()
{
  return Splat(1.0 / kFactorial[k]);
}

inline PairMask Bits(Pair v)
{
  return reinterpret_cast<PairMask>(v);
}

// The lanes outside the fast range (rare: gains of ±6000 dB, NaN).
[[gnu::noinline]] Pair ExpOutside(Pair x, Pair y)
{
  for (int k = 0; k < 2; ++k)
    if (!(x[k] >= -kLargestFastArgument && x[k] <= kLargestFastArgument))
      y[k] = std::exp(x[k]);
  return y;
}

[[gnu::always_inline]] inline Pair Exp(Pair x)
{
  // Lanes outside ±700 (and NaN) are clamped here and redone below.
#if defined(__SSE2__)
  const __m128d inside = _mm_and_pd(_mm_cmpge_pd(x, Splat(-kLargestFastArgument)),
                                    _mm_cmple_pd(x, Splat(kLargestFastArgument)));
  const bool allInside = _mm_movemask_pd(inside) == 3;
  const Pair xs = _mm_and_pd(inside, x);
#else
  const PairMask inside = (x >= Splat(-kLargestFastArgument)) & (x <= Splat(kLargestFastArgument));
  const bool allInside = (inside[0] & inside[1]) != 0;
  const Pair xs = reinterpret_cast<Pair>(Bits(x) & inside);
#endif
  // x = n·ln 2 + r, |r| ≤ ln 2 / 2.
  const Pair t = xs * Splat(kLog2E) + Splat(kShifter);
  const Pair n = t - Splat(kShifter);
  const Pair r = (xs - n * Splat(kLn2High)) - n * Splat(kLn2Low);
  // e^r = Σ r^k / k!, k ≤ 12 (the rest is below 2e-16 of the sum).
  const Pair r2 = r * r;
  const Pair r4 = r2 * r2;
  const Pair r8 = r4 * r4;
  const Pair p01 = Term<0>() + Term<1>() * r;
  const Pair p23 = Term<2>() + Term<3>() * r;
  const Pair p45 = Term<4>() + Term<5>() * r;
  const Pair p67 = Term<6>() + Term<7>() * r;
  const Pair p89 = Term<8>() + Term<9>() * r;
  const Pair p1011 = Term<10>() + Term<11>() * r;
  const Pair q0 = p01 + p23 * r2;
  const Pair q1 = p45 + p67 * r2;
  const Pair q2 = p89 + p1011 * r2;
  const Pair s0 = q0 + q1 * r4;
  const Pair s1 = q2 + Term<12>() * r4;
  const Pair p = s0 + s1 * r8;
  // × 2^n: n added to the exponent field.
  const PairMask exponent = (Bits(t) - Bits(Splat(kShifter))) << 52;
  const Pair y = reinterpret_cast<Pair>(Bits(p) + exponent);
  if (!allInside) [[unlikely]]
    return ExpOutside(x, y);
  return y;
}
[[gnu::always_inline]] inline Pair DbToLinearPair(Pair db)
{
  const PairMask audible = db > Splat(kSilenceDb);
  return reinterpret_cast<Pair>(Bits(Exp(db * Splat(kDbToLn))) & audible);
}
}  // namespace

Pair ExpOf(Pair x)
{
  return Exp(x);
}

Pair GainDbToLinear(Pair db)
{
  return DbToLinearPair(db);
}

double GainDbToLinear(double db)
{
  return GainDbToLinear(Splat(db))[0];
}

void GainDbToLinearBlock(const double* db, double* out, int32_t n)
{
  int32_t k = 0;
  for (; k + 1 < n; k += 2)
  {
    const Pair g = DbToLinearPair(Pair{db[k], db[k + 1]});
    out[k] = g[0];
    out[k + 1] = g[1];
  }
  if (k < n)
    out[k] = GainDbToLinear(db[k]);
}
}  // namespace ride_detail
