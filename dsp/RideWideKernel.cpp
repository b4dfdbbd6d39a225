#include "dsp/RideWideKernel.h"

#include <algorithm>

namespace ride_detail
{
namespace
{
typedef double Quad __attribute__((vector_size(32)));
typedef long long QuadMask __attribute__((vector_size(32)));

#define RIDE_WIDE [[gnu::target("avx"), gnu::always_inline]] inline

RIDE_WIDE Quad Join(Pair low, Pair high)
{
  return Quad{low[0], low[1], high[0], high[1]};
}

RIDE_WIDE Pair Low(Quad q)
{
  return Pair{q[0], q[1]};
}

RIDE_WIDE Pair High(Quad q)
{
  return Pair{q[2], q[3]};
}

RIDE_WIDE Quad QuadOf(double v)
{
  return Quad{v, v, v, v};
}

RIDE_WIDE Quad FiniteOrZeroWide(Quad v)
{
  const Quad d = v - v;
  return reinterpret_cast<Quad>(reinterpret_cast<QuadMask>(v) & (d == d));
}

// Two PairStage records side by side (low: detection, high: output).
template <class Stage>
struct QuadStage
{
  Quad b0, b1, b2, a1, a2;
  Quad x1, x2, y1, y2;
};

template <class Stage>
RIDE_WIDE QuadStage<Stage> LoadStage(const PairStage<Stage>& low, const PairStage<Stage>& high)
{
  return {Join(low.b0, high.b0), Join(low.b1, high.b1), Join(low.b2, high.b2), Join(low.a1, high.a1),
          Join(low.a2, high.a2), Join(low.x1, high.x1), Join(low.x2, high.x2), Join(low.y1, high.y1),
          Join(low.y2, high.y2)};
}

template <class Stage>
RIDE_WIDE void StoreStage(const QuadStage<Stage>& q, PairStage<Stage>& low, PairStage<Stage>& high)
{
  low.x1 = Low(q.x1), high.x1 = High(q.x1);
  low.x2 = Low(q.x2), high.x2 = High(q.x2);
  low.y1 = Low(q.y1), high.y1 = High(q.y1);
  low.y2 = Low(q.y2), high.y2 = High(q.y2);
}

// PairStage::Tick on four lanes.
template <class Stage>
RIDE_WIDE Quad TickStage(QuadStage<Stage>& s, Quad in)
{
  const Quad xn = in + QuadOf(Stage::kOffset);
  const Quad yn = s.b0 * xn + s.b1 * s.x1 + s.b2 * s.x2 - s.a1 * s.y1 - s.a2 * s.y2 + QuadOf(Stage::kOffset);
  s.x2 = s.x1;
  s.x1 = xn;
  s.y2 = s.y1;
  s.y1 = yn;
  return yn;
}

// PairCut::Tick on four lanes: a lane whose result is not finite is
// cleared and yields 0 (through the two-double step, on the rare sample).
RIDE_WIDE Quad TickCut(QuadStage<FilterStage>& s, Quad in)
{
  const Quad xn = in + QuadOf(FilterStage::kOffset);
  const Quad yn = s.b0 * xn + s.b1 * s.x1 + s.b2 * s.x2 - s.a1 * s.y1 - s.a2 * s.y2 + QuadOf(FilterStage::kOffset);
  const Quad d = yn - yn;
  // One sign-mask instruction for the four lanes' test (taking the lanes
  // out one by one cost more than the rest of the check).
  if (__builtin_ia32_movmskpd256(reinterpret_cast<Quad>(d == d)) != 15) [[unlikely]]
  {
    PairCut low, high;
    StoreStage(s, low, high);
    const Pair yl = low.TickNonFinite(Low(xn), Low(yn));
    const Pair yh = high.TickNonFinite(High(xn), High(yn));
    s.x1 = Join(low.x1, high.x1);
    s.x2 = Join(low.x2, high.x2);
    s.y1 = Join(low.y1, high.y1);
    s.y2 = Join(low.y2, high.y2);
    return Join(yl, yh);
  }
  s.x2 = s.x1;
  s.x1 = xn;
  s.y2 = s.y1;
  s.y1 = yn;
  return yn;
}

// Sample k of the main input (low half) and of the output audio (high
// half), non-finite values as 0.
RIDE_WIDE Quad RawInputs(const ChunkInputs& in, const ChunkSignals& out, int32_t k)
{
  return FiniteOrZeroWide(Quad{in.mainL[k], in.mainR[k], out.audioL[k], out.audioR[k]});
}

// What the two units are fed, kept in the chunks' d and o: the output half
// times g × u, the detection half times 1 (exactly).
RIDE_WIDE Quad Fed(Quad x, ChunkSignals& det, ChunkSignals& out, int32_t k)
{
  const double g = out.gainVolume[k];
  x = x * Quad{1.0, 1.0, g, g};
  det.d[k] = Low(x);
  out.o[k] = High(x);
  return x;
}

template <bool kFilter>
[[gnu::target("avx")]] void RunWide(CutFilters& filters, WeightUnit (&units)[kNumUnits], const ChunkInputs& in,
                                     ChunkSignals& det, ChunkSignals& out, int32_t n)
{
  WeightUnit& d1 = units[kUnitD1];
  WeightUnit& o1 = units[kUnitO1];
  QuadStage<FilterStage> hp{}, lp{};
  if constexpr (kFilter)
  {
    hp = LoadStage(filters.mainHP, filters.outHP);
    lp = LoadStage(filters.mainLP, filters.outLP);
  }
  QuadStage<KWeightingStage> k1 = LoadStage(d1.stage1, o1.stage1);
  QuadStage<KWeightingStage> k2 = LoadStage(d1.stage2, o1.stage2);
  Quad power = Join(d1.power, o1.power);
  Quad peak = Join(d1.peak, o1.peak);
  Quad lastPower = Join(d1.lastPower, o1.lastPower);
  const Quad coefficient = Join(d1.coefficient, o1.coefficient);
  const Quad scale = Join(d1.scale, o1.scale);

  // The cut filters run over the chunk first, in a loop of their own: one
  // loop carrying four biquads and the power in a row is a longer chain
  // than the processor can overlap from one sample to the next.
  if constexpr (kFilter)
    for (int32_t k = 0; k < n; ++k)
      Fed(TickCut(lp, TickCut(hp, RawInputs(in, out, k))), det, out, k);

  for (int32_t k = 0; k < n; ++k)
  {
    const Quad x = kFilter ? Join(det.d[k], out.o[k]) : Fed(RawInputs(in, out, k), det, out, k);
    const Quad w = TickStage(k2, TickStage(k1, x));
    const Quad sq = w * w;
    // (sq0 + sq1, sq0 + sq1, sq2 + sq3, sq2 + sq3): each half's power input.
    const Quad p = __builtin_ia32_haddpd256(sq, sq) * scale;
    lastPower = p;
    power = (power - p) * coefficient + p;
    peak = __builtin_ia32_maxpd256(power, peak);
    det.power[0][k] = Low(power);
  }

  if constexpr (kFilter)
  {
    StoreStage(hp, filters.mainHP, filters.outHP);
    StoreStage(lp, filters.mainLP, filters.outLP);
  }
  StoreStage(k1, d1.stage1, o1.stage1);
  StoreStage(k2, d1.stage2, o1.stage2);
  d1.power = Low(power), o1.power = High(power);
  d1.peak = Low(peak), o1.peak = High(peak);
  if (n > 0)
    d1.lastPower = Low(lastPower), o1.lastPower = High(lastPower);
}
// The samples both chunks have in the four-double loop, the rest of either
// in its two-double loop.
template <bool kFilter>
void RunWideAndRest(CutFilters& filters, WeightUnit (&units)[kNumUnits], const ChunkInputs& in, ChunkSignals& det,
                    int32_t nDet, ChunkSignals& out)
{
  const int32_t both = std::min(nDet, out.n);
  RunWide<kFilter>(filters, units, in, det, out, both);
  if (both < nDet)
    RunDetection<kFilter, false, false>(filters, units, in, det, both, nDet);
  if (both < out.n)
    RunOutput<kFilter, false>(filters, units, out, nullptr, both);
}
}  // namespace

bool WideVectorsAvailable()
{
  static const bool available = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx") != 0;
  }();
  return available;
}

void RunDetectionAndOutputWide(bool filterOn, CutFilters& filters, WeightUnit (&units)[kNumUnits],
                               const ChunkInputs& in, ChunkSignals& det, int32_t nDet, ChunkSignals& out)
{
  filterOn ? RunWideAndRest<true>(filters, units, in, det, nDet, out)
           : RunWideAndRest<false>(filters, units, in, det, nDet, out);
}
}  // namespace ride_detail
