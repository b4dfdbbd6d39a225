#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/CMEBUR128.h"
#include "dsp/LoudnessGate.h"
#include "dsp/LoudnessRange.h"

namespace
{
// The meter's loudness of a mean square: 10/ln 10 taken as 4.342944819.
double Lufs(double energy)
{
  return std::log(energy) * 4.342944819 - 0.691;
}

double EnergyOf(double lufs)
{
  return std::exp((lufs + 0.691) / 4.342944819);
}

// The blocks at or above -70 LUFS and at or above the loudness of their
// mean plus relativeLu, in their order.
std::vector<double> Gated(const std::vector<double>& energies, double relativeLu)
{
  std::vector<double> above;
  double sum = 0.0;
  for (double e : energies)
    if (Lufs(e) >= -70.0)
      above.push_back(e), sum += e;
  const double threshold = Lufs(sum / static_cast<double>(above.size())) + relativeLu;
  std::erase_if(above, [&](double e) { return Lufs(e) < threshold; });
  return above;
}

// Integrated loudness straight from its definition, over every block.
double ReferenceIntegrated(const std::vector<double>& energies)
{
  const std::vector<double> kept = Gated(energies, -10.0);
  double sum = 0.0;
  for (double e : kept)
    sum += e;
  return Lufs(sum / static_cast<double>(kept.size()));
}

// Loudness range straight from its definition: gate, sort, percentiles.
double ReferenceRange(const std::vector<double>& energies)
{
  std::vector<double> kept;
  for (double e : Gated(energies, -20.0))
    kept.push_back(Lufs(e));
  std::sort(kept.begin(), kept.end());
  const double m = static_cast<double>(kept.size());
  const auto at = [&](double p) { return kept[static_cast<size_t>(std::floor((m - 1) * p / 100.0 + 0.5))]; };
  return at(95.0) - at(10.0);
}

// n blocks at -20 LUFS, then n whose loudness lies 0.001 LU below the
// relative gate (gate LU below the loudness of the mean of all 2n).
std::vector<double> JustBelowTheGate(int n, double gate)
{
  double quiet = -20.0 + gate;
  for (int i = 0; i < 60; ++i)
    quiet = Lufs((EnergyOf(-20.0) + EnergyOf(quiet)) / 2.0) + gate - 0.001;
  std::vector<double> energies(static_cast<size_t>(n), EnergyOf(-20.0));
  energies.insert(energies.end(), static_cast<size_t>(n), EnergyOf(quiet));
  return energies;
}

std::vector<double> RandomProgramme(unsigned seed, int n)
{
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> level(-80.0, -5.0);
  std::vector<double> energies;
  for (int i = 0; i < n; ++i)
    energies.push_back(EnergyOf(level(rng)));
  return energies;
}
}  // namespace

TEST(LoudnessGateTest, GateAndRangeEqualADirectComputationBitForBit)
{
  // Up to the size of their stores, both gate every value exactly: a value
  // a hair below a relative gate is left out, percentiles are values.
  std::vector<double> stepped;
  for (double level : {-20.0, -30.0, -25.0, -50.0, -14.0, -22.0})
    stepped.insert(stepped.end(), 30, EnergyOf(level));
  const std::vector<double> programmes[] = {stepped, JustBelowTheGate(100, -10.0), JustBelowTheGate(100, -20.0),
                                            RandomProgramme(7, 3600)};
  for (const std::vector<double>& energies : programmes)
  {
    LoudnessGate gate;
    LoudnessRange range;
    for (double e : energies)
    {
      gate.AddBlock(e);
      range.AddBlock(e);
    }
    EXPECT_EQ(gate.IntegratedLufs, ReferenceIntegrated(energies)) << energies.size();
    EXPECT_EQ(range.Range, ReferenceRange(energies)) << energies.size();
  }
  // A whole hour of blocks, the quiet half first, is still gated exactly:
  // only the -20 LUFS blocks count.
  std::vector<double> hour = JustBelowTheGate(static_cast<int>(LoudnessGate::kStoreCapacity / 2), -10.0);
  std::reverse(hour.begin(), hour.end());
  LoudnessGate gate;
  for (double e : hour)
    gate.AddBlock(e);
  EXPECT_EQ(gate.IntegratedLufs, ReferenceIntegrated(hour));
  EXPECT_NEAR(gate.IntegratedLufs, -20.0, 1e-9);
}

TEST(LoudnessGateTest, TheMetersIntegratedLoudnessAndRangeAreThoseOfItsOwnBlocks)
{
  // Programmes at 16 kHz, fed frame by frame so that every block and
  // short-term value the meter produces can be taken down: a tone pair
  // whose quiet half lies just around the relative gate, and noise whose
  // level jumps every half second (now and then below -70 LUFS).
  constexpr double kRate = 16000.0;
  std::mt19937 rng(3);
  std::normal_distribution<double> noise(0.0, 1.0);
  std::uniform_real_distribution<double> jump(-85.0, -8.0);
  double level = 0.0;
  const struct
  {
    const char* name;
    int64_t seconds;
    std::function<double(int64_t)> sample;
  } programmes[] = {
    {"tone pair", 20, [](int64_t n) { return (n < 160000 ? 0.1 : 0.02298) * std::sin(2.0 * 3.141592653589793 * n / 16.0); }},
    {"level jumps", 20, [&](int64_t n) {
       if (n % 8000 == 0)
         level = std::pow(10.0, jump(rng) / 20.0);
       return level * noise(rng);
     }},
  };
  for (const auto& p : programmes)
  {
    CMEBUR128 meter;
    meter.SetSampleRate(kRate);
    std::vector<double> blocks, values;
    for (int64_t n = 0; n < p.seconds * static_cast<int64_t>(kRate); ++n)
    {
      const double x = p.sample(n);
      const double frame[2] = {x, 0.5 * x};
      meter.AddFrame(frame, 2);
      if (meter.Momentary().NewMeanFlag())
        blocks.push_back(meter.Momentary().Mean());
      if (meter.ShortTerm().NewMeanFlag())
        values.push_back(meter.ShortTerm().Mean());
    }
    EXPECT_EQ(meter.Gate().IntegratedLufs, ReferenceIntegrated(blocks)) << p.name;
    EXPECT_EQ(meter.Range().Range, ReferenceRange(values)) << p.name;
  }
}

TEST(LoudnessGateTest, KeepsEveryBlockOfATenHourProgramme)
{
  // One hour at -40 LUFS, then nine hours at -18, then an hour at -30: ten
  // blocks per second. A gate that restarts its count after an hour while
  // keeping its sum reads nonsense from the second hour on.
  LoudnessGate gate;
  std::vector<double> energies;
  const int64_t hour = 36000;
  for (int64_t i = 0; i < 11 * hour; ++i)
    energies.push_back(EnergyOf(i < hour ? -40.0 : i < 10 * hour ? -18.0 + 0.5 * std::sin(0.001 * (i - hour)) : -30.0));
  for (size_t i = 0; i < energies.size(); ++i)
  {
    gate.AddBlock(energies[i]);
    if (i == 2 * hour || i + 1 == energies.size())
    {
      const std::vector<double> sofar(energies.begin(), energies.begin() + static_cast<std::ptrdiff_t>(i) + 1);
      EXPECT_NEAR(gate.IntegratedLufs, ReferenceIntegrated(sofar), 0.005) << "block " << i;
    }
  }
  EXPECT_EQ(gate.Count, static_cast<int64_t>(energies.size()));
}

TEST(LoudnessRangeTest, ATenHourFadeMeasuresLikeTheSortedReference)
{
  // One short-term value per second for ten hours, rising steadily: already
  // sorted input, and ten times more values than an hour holds.
  LoudnessRange range;
  std::vector<double> energies;
  const int32_t count = 36000;
  for (int32_t i = 0; i < count; ++i)
    energies.push_back(EnergyOf(-60.0 + 50.0 * i / count));
  for (double e : energies)
    range.AddBlock(e);
  EXPECT_NEAR(range.Range, ReferenceRange(energies), 0.01);
  EXPECT_EQ(range.Count, count);
}
