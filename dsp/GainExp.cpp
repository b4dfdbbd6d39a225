#include "dsp/GainExp.h"

#include <cmath>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "dsp/BufferHelpers.h"

// The quad templates are always inlined into the one function built for
// four-double vectors, so the calling convention for quads (which depends on
// the caller's instruction set) never comes into play.
#pragma GCC diagnostic ignored "-Wpsabi"

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

// Four doubles to a vector, where the processor has them (checked once).
typedef double Quad __attribute__((vector_size(32)));
typedef long long QuadMask __attribute__((vector_size(32)));

template <class V>
struct MaskOf;
template <>
struct MaskOf<Pair>
{
  using Type = PairMask;
};
template <>
struct MaskOf<Quad>
{
  using Type = QuadMask;
};

template <class V>
[[gnu::always_inline]] inline V Broadcast(double v)
{
  V out;
  for (int k = 0; k < static_cast<int>(sizeof(V) / sizeof(double)); ++k)
    out[k] = v;
  return out;
}

template <class V, int k>
[[gnu::always_inline]] inline V Term()
{
  return Broadcast<V>(1.0 / kFactorial[k]);
}

// e^x for lanes with |x| ≤ 700 (xs: x there, 0 elsewhere). Only operations
// that act lane by lane, so a value has the same bits in a pair or a quad.
template <class V>
[[gnu::always_inline]] inline V ExpInside(V xs)
{
  using M = typename MaskOf<V>::Type;
  // x = n·ln 2 + r, |r| ≤ ln 2 / 2.
  const V t = xs * Broadcast<V>(kLog2E) + Broadcast<V>(kShifter);
  const V n = t - Broadcast<V>(kShifter);
  const V r = (xs - n * Broadcast<V>(kLn2High)) - n * Broadcast<V>(kLn2Low);
  // e^r = Σ r^k / k!, k ≤ 12 (the rest is below 2e-16 of the sum).
  const V r2 = r * r;
  const V r4 = r2 * r2;
  const V r8 = r4 * r4;
  const V p01 = Term<V, 0>() + Term<V, 1>() * r;
  const V p23 = Term<V, 2>() + Term<V, 3>() * r;
  const V p45 = Term<V, 4>() + Term<V, 5>() * r;
  const V p67 = Term<V, 6>() + Term<V, 7>() * r;
  const V p89 = Term<V, 8>() + Term<V, 9>() * r;
  const V p1011 = Term<V, 10>() + Term<V, 11>() * r;
  const V q0 = p01 + p23 * r2;
  const V q1 = p45 + p67 * r2;
  const V q2 = p89 + p1011 * r2;
  const V s0 = q0 + q1 * r4;
  const V s1 = q2 + Term<V, 12>() * r4;
  const V p = s0 + s1 * r8;
  // × 2^n: n added to the exponent field.
  const M exponent = (reinterpret_cast<M>(t) - reinterpret_cast<M>(Broadcast<V>(kShifter))) << 52;
  return reinterpret_cast<V>(reinterpret_cast<M>(p) + exponent);
}

// The lanes outside the fast range (rare: gains of ±6000 dB, NaN).
[[gnu::noinline]] Pair ExpOutside(Pair x, Pair y)
{
  for (int k = 0; k < 2; ++k)
    if (!(x[k] >= -kLargestFastArgument && x[k] <= kLargestFastArgument))
      y[k] = std::exp(x[k]);
  return y;
}

inline PairMask Bits(Pair v)
{
  return reinterpret_cast<PairMask>(v);
}

[[gnu::always_inline]] inline Pair Exp(Pair x)
{
  // Lanes outside ±700 (and NaN) are cleared here and redone after.
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
  const Pair y = ExpInside(xs);
  if (!allInside) [[unlikely]]
    return ExpOutside(x, y);
  return y;
}

[[gnu::always_inline]] inline Pair DbToLinearPair(Pair db)
{
  const PairMask audible = db > Splat(kSilenceDb);
  return reinterpret_cast<Pair>(Bits(Exp(db * Splat(kDbToLn))) & audible);
}
#if defined(__clang__)
// clang checks the four-double calling convention of the helpers the pairs
// and quads share before it inlines them, so a clang build takes the pairs
// throughout (the same bits, a little slower).
int32_t DbToLinearQuads(const double*, double*, int32_t)
{
  return 0;
}
#else
bool QuadsAvailable()
{
  static const bool available = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return available;
}

// The gains of db[0..n) four at a time, as many as fit; returns how many.
// Each lane does the pair's operations, so the bits are the pair's.
[[gnu::target("avx2")]] int32_t DbToLinearQuadsWide(const double* db, double* out, int32_t n)
{
  int32_t k = 0;
  for (; k + 3 < n; k += 4)
  {
    Quad d;
    std::memcpy(&d, db + k, sizeof d);
    const Quad x = d * Broadcast<Quad>(kDbToLn);
    const QuadMask inside = (x >= Broadcast<Quad>(-kLargestFastArgument)) & (x <= Broadcast<Quad>(kLargestFastArgument));
    const Quad y = ExpInside(reinterpret_cast<Quad>(reinterpret_cast<QuadMask>(x) & inside));
    const QuadMask audible = d > Broadcast<Quad>(kSilenceDb);
    const Quad g = reinterpret_cast<Quad>(reinterpret_cast<QuadMask>(y) & audible);
    std::memcpy(out + k, &g, sizeof g);
    // One sign-mask instruction for the four lanes' test (taking the lanes
    // out one by one took eight of the loop's fifty-odd instructions).
    if (__builtin_ia32_movmskpd256(reinterpret_cast<Quad>(inside)) != 15) [[unlikely]]
      for (int32_t i = k; i < k + 4; ++i)
        out[i] = GainDbToLinear(db[i]);
  }
  return k;
}

int32_t DbToLinearQuads(const double* db, double* out, int32_t n)
{
  return QuadsAvailable() ? DbToLinearQuadsWide(db, out, n) : 0;
}
#endif
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
  int32_t k = DbToLinearQuads(db, out, n);
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
