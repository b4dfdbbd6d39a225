// Internal to the riding engine: its biquads and detector sections computed
// for the left and right channel side by side, two doubles to a vector. Every lane does
// exactly the operations of the scalar step, in the same order, so the
// results are bit for bit those of FilterStage::Tick and
// ProcessDetectorSample; only the number of instructions halves.
//
// The state is loaded from the engine's records at the start of a block and
// stored back at its end; nothing is allocated.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "dsp/DetectorSection.h"
#include "dsp/FilterStage.h"

namespace ride_detail
{
// Two doubles (left, right) in one vector register (a GCC and Clang
// extension; each operation is the IEEE operation on each lane).
typedef double Pair __attribute__((vector_size(16)));
typedef long long PairMask __attribute__((vector_size(16)));

inline Pair Splat(double v)
{
  return Pair{v, v};
}

// Each lane as it is when finite, else 0 (a NaN or an infinity is silence
// for detection).
inline Pair FiniteOrZero(Pair v)
{
  const Pair d = v - v;  // 0 for finite lanes, NaN otherwise
  const PairMask finite = d == d;
  return reinterpret_cast<Pair>(reinterpret_cast<PairMask>(v) & finite);
}

// Per lane: a when a > b, else b (b when either is NaN), as
// "if (a > b) b = a" leaves b.
inline Pair MaxOf(Pair a, Pair b)
{
#if defined(__SSE2__)
  return __builtin_ia32_maxpd(a, b);
#else
  return a > b ? a : b;
#endif
}

// Per lane square root, correctly rounded as std::sqrt.
inline Pair SqrtOf(Pair v)
{
#if defined(__SSE2__)
  return __builtin_ia32_sqrtpd(v);
#else
  return Pair{std::sqrt(v[0]), std::sqrt(v[1])};
#endif
}

// Both lanes finite.
inline bool AllFinite(Pair v)
{
  const Pair d = v - v;  // 0 for finite lanes, NaN otherwise
  const PairMask ok = d == d;
#if defined(__SSE2__)
  return __builtin_ia32_movmskpd(reinterpret_cast<Pair>(ok)) == 3;
#else
  return (ok[0] & ok[1]) != 0;
#endif
}

// A pair of biquad stages (Stage::Tick on each lane, without what Stage
// does beyond the difference equation). FilterStage and KWeightingStage keep
// their coefficients and history under the same names and step with the same
// expression; only their denormal offsets differ.
template <class Stage>
struct PairStage
{
  Pair b0, b1, b2, a1, a2;
  Pair x1, x2, y1, y2;

  void Load(const Stage& l, const Stage& r)
  {
    b0 = Pair{l.b0, r.b0};
    b1 = Pair{l.b1, r.b1};
    b2 = Pair{l.b2, r.b2};
    a1 = Pair{l.a1, r.a1};
    a2 = Pair{l.a2, r.a2};
    x1 = Pair{l.x1, r.x1};
    x2 = Pair{l.x2, r.x2};
    y1 = Pair{l.y1, r.y1};
    y2 = Pair{l.y2, r.y2};
  }

  void StoreHistory(Stage& l, Stage& r) const
  {
    l.x1 = x1[0], r.x1 = x1[1];
    l.x2 = x2[0], r.x2 = x2[1];
    l.y1 = y1[0], r.y1 = y1[1];
    l.y2 = y2[0], r.y2 = y2[1];
  }

  // x = in + offset.
  static Pair Input(Pair in)
  {
    return in + Splat(Stage::kOffset);
  }

  // y = b0·x + b1·x1 + b2·x2 − a1·y1 − a2·y2 + offset, in that order. The
  // normalised a0 is exactly 1.0: the division is left out.
  Pair Output(Pair xn) const
  {
    return b0 * xn + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2 + Splat(Stage::kOffset);
  }

  void Advance(Pair xn, Pair yn)
  {
    x2 = x1;
    x1 = xn;
    y2 = y1;
    y1 = yn;
  }

  Pair Tick(Pair in)
  {
    const Pair xn = Input(in);
    const Pair yn = Output(xn);
    Advance(xn, yn);
    return yn;
  }
};

// A pair of cut-filter stages (FilterStage::Tick on each lane).
struct PairCut : PairStage<FilterStage>
{
  void Store(FilterStage& l, FilterStage& r) const
  {
    StoreHistory(l, r);
    // After a step, x is x1 and y is y1 (a cleared stage has all zero).
    l.x = l.x1, r.x = r.x1;
    l.y = l.y1, r.y = r.y1;
  }

  Pair Tick(Pair in)
  {
    const Pair xn = Input(in);
    const Pair yn = Output(xn);
    if (!AllFinite(yn)) [[unlikely]]
      return TickNonFinite(xn, yn);
    Advance(xn, yn);
    return yn;
  }

  // A lane whose result is not finite is cleared and yields 0, as
  // FilterStage::Tick does; the other lane steps as usual.
  Pair TickNonFinite(Pair xn, Pair yn)
  {
    for (int k = 0; k < 2; ++k)
    {
      if (std::isfinite(yn[k]))
      {
        x2[k] = x1[k];
        x1[k] = xn[k];
        y2[k] = y1[k];
        y1[k] = yn[k];
      }
      else
      {
        x1[k] = x2[k] = y1[k] = y2[k] = 0.0;
        yn[k] = 0.0;
      }
    }
    return yn;
  }
};

// A pair of K-weighting stages (KWeightingStage::Tick on each lane).
struct PairK : PairStage<KWeightingStage>
{
  void Store(KWeightingStage& l, KWeightingStage& r, bool stepped) const
  {
    StoreHistory(l, r);
    if (stepped)
    {
      l.x = l.x1, r.x = r.x1;
      l.y = l.lastOutput = l.y1;
      r.y = r.lastOutput = r.y1;
    }
  }
};

// A detector section fed as a pair (ProcessDetectorSample on finite input).
struct PairSection
{
  DetectorSection* section = nullptr;
  PairK stage1, stage2;
  double power = 0.0, peak = 0.0, lastPower = 0.0, coefficient = 0.0;
  bool weighted = false;  // modes 2 to 5
  bool halved = false;    // modes 1 and 5
  bool meterMode = false; // mode 6
  bool fed = false;

  void Load(DetectorSection& s)
  {
    section = &s;
    const int32_t mode = s.mode;
    weighted = mode >= 2 && mode <= 5;
    halved = mode == 1 || mode == 5;
    meterMode = mode == 6;
    stage1.Load(s.stages[0], s.stages[2]);
    stage2.Load(s.stages[1], s.stages[3]);
    power = s.power;
    peak = s.peak;
    lastPower = s.lastPower;
    coefficient = s.coefficient;
    fed = false;
  }

  void Store() const
  {
    DetectorSection& s = *section;
    stage1.Store(s.stages[0], s.stages[2], fed && weighted);
    stage2.Store(s.stages[1], s.stages[3], fed && weighted);
    s.power = power;
    s.peak = peak;
    s.lastPower = lastPower;
  }

  // in: (left, right), both finite.
  void Feed(Pair in)
  {
    if (meterMode) [[unlikely]]
    {
      fed = true;
      ProcessDetectorSample(*section, in[0], in[1]);
      return;
    }
    Accumulate(weighted ? stage2.Tick(stage1.Tick(in)) : in);
  }

  // The two K-weighting stages alone (weighted modes).
  Pair Weight(Pair in)
  {
    return stage2.Tick(stage1.Tick(in));
  }

  // True when this section's weighting would give bit for bit the results
  // of other's for the same input: both weighted, same coefficients, same
  // state.
  bool SameWeighting(const PairSection& other) const
  {
    return weighted && other.weighted && !meterMode && !other.meterMode &&
           std::memcmp(&stage1, &other.stage1, sizeof(PairK)) == 0 &&
           std::memcmp(&stage2, &other.stage2, sizeof(PairK)) == 0;
  }

  // Takes over the weighting state of the section that computed it.
  void AdoptWeighting(const PairSection& leader)
  {
    stage1 = leader.stage1;
    stage2 = leader.stage2;
  }

  // Power from the weighted pair k (ProcessDetectorSample steps 4 and 5).
  void Accumulate(Pair k)
  {
    fed = true;
    const Pair sq = k * k;
    double p = sq[0] + sq[1];
    if (halved)
      p = p * 0.5;
    lastPower = p;
    power = (power - p) * coefficient + p;
    if (power > peak)
      peak = power;
  }

  // The section's measure now: sqrt(power) × mode gain, as DetectorMeasure.
  double Measure() const
  {
    if (meterMode) [[unlikely]]
      return DetectorMeasureMode6(*section);
    return std::sqrt(power) * section->modeGain;
  }
};
}  // namespace ride_detail
