#include "dsp/SincPeakDetector.h"

#include <cmath>

namespace
{
constexpr double kPi = 3.141592653589793;

// sin(πu)/(πu), with its exact values at whole u: 1 at 0, 0 elsewhere.
double NormalisedSinc(double u)
{
  if (u == 0.0)
    return 1.0;
  if (u == std::floor(u))
    return 0.0;
  return std::sin(kPi * u) / (kPi * u);
}

struct SincTables
{
  // The two tables between the samples (offsets 0.18362181817838 and 0.5);
  // the tables of offsets 0 and 1.0 pick a sample each.
  std::array<double, SincPeakDetector::kLength> nearOffset{};
  std::array<double, SincPeakDetector::kLength> midOffset{};

  SincTables()
  {
    for (int32_t k = 0; k < SincPeakDetector::kLength; ++k)
    {
      nearOffset[static_cast<size_t>(k)] = SincPeakDetector::TableValue(1, k);
      midOffset[static_cast<size_t>(k)] = SincPeakDetector::TableValue(2, k);
    }
  }
};

const SincTables& Tables()
{
  static const SincTables tables;
  return tables;
}
}  // namespace

void SincPeakDetector::Clear()
{
  mHistory.fill(0.0);
  mStart = 0;
}

double SincPeakDetector::TableValue(int32_t table, int32_t k)
{
  return NormalisedSinc(kHalfWidth - k + kOffsets[static_cast<size_t>(table)]);
}

double SincPeakDetector::Evaluate() const
{
  const SincTables& tables = Tables();
  const double* history = mHistory.data() + mStart;
  // Two partial sums per table keep the additions independent of each other.
  double nearA = 0.0, nearB = 0.0, midA = 0.0, midB = 0.0;
  int32_t k = 0;
  for (; k + 1 < kLength; k += 2)
  {
    nearA += tables.nearOffset[static_cast<size_t>(k)] * history[k];
    nearB += tables.nearOffset[static_cast<size_t>(k + 1)] * history[k + 1];
    midA += tables.midOffset[static_cast<size_t>(k)] * history[k];
    midB += tables.midOffset[static_cast<size_t>(k + 1)] * history[k + 1];
  }
  nearA += tables.nearOffset[static_cast<size_t>(k)] * history[k];
  midA += tables.midOffset[static_cast<size_t>(k)] * history[k];

  double peak = 0.0;
  const double candidates[4] = {history[kHalfWidth], nearA + nearB, midA + midB,
                                history[kHalfWidth + 1]};
  for (double value : candidates)
  {
    const double magnitude = std::fabs(value);
    if (magnitude > peak)
      peak = magnitude;
  }
  return peak;
}
