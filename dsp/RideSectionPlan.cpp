#include "dsp/RideSectionPlan.h"

#include <cstring>

namespace ride_detail
{
namespace
{
// Same mode, coefficients and state: fed the same input, two sections
// compute the same bits.
bool Identical(const PairSection& a, const PairSection& b)
{
  const auto same = [](double x, double y) { return std::memcmp(&x, &y, sizeof x) == 0; };
  return !a.meterMode && !b.meterMode && a.weighted == b.weighted && a.halved == b.halved &&
         same(a.coefficient, b.coefficient) && same(a.power, b.power) && same(a.peak, b.peak) &&
         same(a.lastPower, b.lastPower) && same(a.section->modeGain, b.section->modeGain) &&
         std::memcmp(&a.stage1, &b.stage1, sizeof(PairK)) == 0 && std::memcmp(&a.stage2, &b.stage2, sizeof(PairK)) == 0;
}

// Section k on lane l of unit u (lane 0 brings the weighting).
void Join(WeightUnit& u, int l, int8_t k, const PairSection& s, Source source)
{
  if (l == 0)
  {
    u.stage1 = s.stage1;
    u.stage2 = s.stage2;
    u.source = source;
    // Both lanes start as the section's, so that a free lane computes
    // nothing unusual.
    u.power = Splat(s.power);
    u.peak = Splat(s.peak);
    u.lastPower = Splat(s.lastPower);
    u.coefficient = Splat(s.coefficient);
    u.scale = Splat(s.halved ? 0.5 : 1.0);
  }
  u.section[l] = k;
  u.power[l] = s.power;
  u.peak[l] = s.peak;
  u.lastPower[l] = s.lastPower;
  u.coefficient[l] = s.coefficient;
  u.scale[l] = s.halved ? 0.5 : 1.0;
}
}  // namespace

void SectionPlan::Build(DetectorSection* s, int32_t mode, bool sideIsMain, bool delayedThroughRings, bool filterOn,
                        const bool (&liveSections)[kSections])
{
  enum
  {
    M, O, S, D, N  // RideEngineState::ESection
  };
  for (int k = 0; k < kSections; ++k)
  {
    sections[k].Load(s[k]);
    live[k] = liveSections[k];
    copyOf[k] = unit[k] = lane[k] = extraSlot[k] = -1;
    isExtra[k] = false;
    source[k] = kNotFed;
  }
  for (WeightUnit& u : units)
    u = WeightUnit{};
  nExtras = 0;

  const Source e = sideIsMain ? kSourceD : kSourceE;
  if (mode >= 0 && mode <= 2)
  {
    source[M] = kSourceD;
    source[S] = mode == 0 ? kSourceD : e;
    source[N] = mode == 1 ? e : kSourceD;
    source[D] = delayedThroughRings ? kSourceDelayed : (mode == 0 ? kSourceD : e);
  }
  source[O] = kSourceOutput;
  bool needE = false;
  for (const Source src : source)
    needE = needE || src == kSourceE;
  // The side-chain filters keep running while e feeds nothing.
  computeE = !sideIsMain && (filterOn || needE);

  // Live sections first, so that they get the detection units.
  for (const bool pass : {true, false})
    for (int8_t k : {M, S, N, D, O})
      if (live[k] == pass)
        Place(k, computeE);

  for (int k = 0; k < kSections; ++k)
    constantMeasure[k] = source[k] == kNotFed ? sections[k].Measure() : 0.0;
}

void SectionPlan::Place(int8_t k, bool secondDetectionSignal)
{
  const Source src = source[k];
  if (src == kNotFed)
    return;
  const PairSection& s = sections[k];
  // Identical to a section already computed from the same input.
  for (int8_t j = 0; j < kSections; ++j)
    if (j != k && source[j] == src && (unit[j] >= 0 || isExtra[j]) && Identical(s, sections[j]))
    {
      copyOf[k] = j;
      return;
    }
  const bool kernelMode = s.weighted && !s.meterMode;
  if (kernelMode)
  {
    // A free second lane of a unit with the same input and weighting.
    for (int8_t u = 0; u < kNumUnits; ++u)
    {
      WeightUnit& w = units[u];
      if (w.Used() && w.section[1] < 0 && w.source == src && s.SameWeighting(sections[w.section[0]]))
      {
        Join(w, 1, k, s, src);
        unit[k] = u;
        lane[k] = 1;
        return;
      }
    }
    // A unit of its own.
    int8_t u = -1;
    if (src == kSourceOutput)
      u = kUnitO1;
    else if (live[k] && src == kSourceD && !units[kUnitD1].Used())
      u = kUnitD1;
    else if (live[k] && !units[kUnitD2].Used() && src == (secondDetectionSignal ? kSourceE : kSourceD))
      u = kUnitD2;
    else if (!live[k])
      u = kUnitO2;
    if (u >= 0 && !units[u].Used())
    {
      Join(units[u], 0, k, s, src);
      unit[k] = u;
      lane[k] = 0;
      return;
    }
  }
  isExtra[k] = true;
  extraSlot[k] = static_cast<int8_t>(nExtras);
  extras[nExtras++] = k;
}

void SectionPlan::FeedExtras(ChunkSignals* det, ChunkSignals* out)
{
  for (int32_t x = 0; x < nExtras; ++x)
  {
    const int8_t k = extras[x];
    ChunkSignals* c = source[k] == kSourceOutput ? out : det;
    if (c == nullptr)
      continue;
    PairSection& s = sections[k];
    const Pair* in = c->SourceArray(source[k]);
    Pair* measure = c->extraMeasure[x];
    for (int32_t i = 0; i < c->n; ++i)
    {
      s.Feed(in[i]);
      measure[i] = Splat(s.Measure());
    }
  }
}

MeasureRef SectionPlan::MeasureOf(int32_t k, const ChunkSignals& c) const
{
  if (copyOf[k] >= 0)
    k = copyOf[k];
  if (source[k] == kNotFed)
    return {&constantMeasure[k], 0};
  if (unit[k] == kUnitD1 || unit[k] == kUnitD2)
    return {reinterpret_cast<const double*>(c.power[unit[k]]) + lane[k], 2, true, sections[k].section->modeGain};
  if (extraSlot[k] >= 0)
    return {reinterpret_cast<const double*>(c.extraMeasure[extraSlot[k]]), 2};
  return {};  // not read at every sample (deferred): no measure per sample
}

void SectionPlan::Store()
{
  for (const WeightUnit& u : units)
    for (int l = 0; l < 2; ++l)
    {
      if (u.section[l] < 0)
        continue;
      PairSection& s = sections[u.section[l]];
      s.stage1 = u.stage1;
      s.stage2 = u.stage2;
      s.power = u.power[l];
      s.peak = u.peak[l];
      s.lastPower = u.lastPower[l];
      s.fed = true;
    }
  for (int k = 0; k < kSections; ++k)
    if (copyOf[k] >= 0)
    {
      const PairSection& leader = sections[copyOf[k]];
      PairSection& s = sections[k];
      s.AdoptWeighting(leader);
      s.power = leader.power;
      s.peak = leader.peak;
      s.lastPower = leader.lastPower;
      s.fed = leader.fed;
    }
  for (PairSection& s : sections)
    s.Store();
}
}  // namespace ride_detail
