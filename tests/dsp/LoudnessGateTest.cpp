// The gate of integrated loudness and the loudness range, against their
// definitions computed straight over every block.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/LoudnessGate.h"
#include "dsp/LoudnessRange.h"

namespace
{
double Lufs(double energy)
{
  return -0.691 + 10.0 * std::log10(energy);
}

double EnergyOf(double lufs)
{
  return std::pow(10.0, (lufs + 0.691) / 10.0);
}

// The blocks at or above -70 LUFS and at or above the mean of those minus
// relativeLu.
std::vector<double> Gated(const std::vector<double>& energies, double relativeLu)
{
  std::vector<double> above;
  double sum = 0.0;
  for (double e : energies)
    if (Lufs(e) >= -70.0)
      above.push_back(e), sum += e;
  const double threshold = Lufs(sum / above.size()) - relativeLu;
  std::erase_if(above, [&](double e) { return Lufs(e) < threshold; });
  return above;
}

double ReferenceIntegrated(const std::vector<double>& energies)
{
  const std::vector<double> kept = Gated(energies, 10.0);
  double sum = 0.0;
  for (double e : kept)
    sum += e;
  return Lufs(sum / kept.size());
}

// Sort, gate, and the 10th and 95th percentiles.
double ReferenceRange(const std::vector<double>& energies)
{
  std::vector<double> kept = Gated(energies, 20.0);
  std::sort(kept.begin(), kept.end());
  const double m = static_cast<double>(kept.size());
  const auto at = [&](double p) { return Lufs(kept[static_cast<size_t>(std::floor((m - 1) * p / 100.0 + 0.5))]); };
  return at(95.0) - at(10.0);
}
}  // namespace

TEST(LoudnessGateTest, ReadsMinus141BeforeItsFirstBlockAndIgnoresBlocksBelowMinus70)
{
  LoudnessGate gate;
  EXPECT_EQ(gate.IntegratedLufs, -141.0);
  gate.AddBlock(EnergyOf(-75.0));
  EXPECT_EQ(gate.Count, 0);
  EXPECT_EQ(gate.IntegratedLufs, -141.0);
  EXPECT_EQ(gate.AbsoluteGatedLufs, -141.0);
  gate.AddBlock(EnergyOf(-23.0));
  const double integrated = gate.IntegratedLufs;
  EXPECT_NEAR(integrated, -23.0, 1e-9);
  for (int i = 0; i < 50; ++i)
    gate.AddBlock(EnergyOf(-70.5));
  EXPECT_EQ(gate.IntegratedLufs, integrated);
  EXPECT_EQ(gate.Count, 1);
}

TEST(LoudnessGateTest, RelativeGateDropsBlocksTenLuBelowTheMean)
{
  LoudnessGate gate;
  std::vector<double> energies;
  for (int i = 0; i < 100; ++i)
    energies.push_back(EnergyOf(i % 4 == 0 ? -45.0 : -20.0 - 0.01 * i));
  for (double e : energies)
    gate.AddBlock(e);
  EXPECT_NEAR(gate.IntegratedLufs, ReferenceIntegrated(energies), 1e-9);
  EXPECT_GT(gate.IntegratedLufs, gate.AbsoluteGatedLufs);
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

TEST(LoudnessRangeTest, SingleValueGivesZeroAndQuietValuesChangeNothing)
{
  LoudnessRange range;
  range.AddBlock(EnergyOf(-75.0));
  EXPECT_EQ(range.Count, 0);
  EXPECT_EQ(range.Range, 0.0);
  range.AddBlock(EnergyOf(-23.0));
  EXPECT_EQ(range.Range, 0.0);
  range.AddBlock(EnergyOf(-33.0));
  const double spread = range.Range;
  EXPECT_NEAR(spread, 10.0, 1e-9);
  range.AddBlock(EnergyOf(-80.0));
  EXPECT_EQ(range.Range, spread);
  EXPECT_EQ(range.Count, 2);
}

TEST(LoudnessRangeTest, MatchesTheSortedPercentilesOfASteppedProgrammeAndATenHourFade)
{
  // Level steps; then one short-term value per second for ten hours, rising
  // steadily: already sorted input, ten times more values than an hour holds.
  std::vector<double> steps, fade;
  for (double level : {-20.0, -30.0, -25.0, -50.0, -14.0, -22.0})
    steps.insert(steps.end(), 30, EnergyOf(level));
  for (int32_t i = 0; i < 36000; ++i)
    fade.push_back(EnergyOf(-60.0 + 50.0 * i / 36000));
  for (const auto& [energies, tolerance] : {std::pair{steps, 1e-9}, std::pair{fade, 0.01}})
  {
    LoudnessRange range;
    for (double e : energies)
      range.AddBlock(e);
    EXPECT_NEAR(range.Range, ReferenceRange(energies), tolerance);
    EXPECT_EQ(range.Count, static_cast<int64_t>(energies.size()));
  }
}
