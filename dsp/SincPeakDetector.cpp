#include "dsp/SincPeakDetector.h"

#include <cmath>
#include <cstring>

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
  // Whether the processor has four-double vectors.
  bool wideVectors = false;

  SincTables()
  {
    __builtin_cpu_init();
    wideVectors = __builtin_cpu_supports("avx") != 0;
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

// Two or four doubles that the compiler keeps in one vector register. Each
// operation on them is the IEEE operation on each element, so both widths
// give the same bits.
typedef double Pair __attribute__((vector_size(16)));
typedef double Quad __attribute__((vector_size(32)));

constexpr int32_t kGroupFrames = 8;

// The two dot products of every window of a pass, eight outputs at a time:
// they stay in registers while the taps run past them. Each output keeps its
// ascending-k order of additions, so it matches Evaluate bit for bit.
// outputs is a multiple of eight; line holds kLength - 1 + outputs values.
template <typename Vector>
[[gnu::always_inline]] inline void DotProducts(const SincTables& tables, const double* line, int32_t outputs,
                                               double* nearOut, double* midOut)
{
  constexpr int32_t kLanes = sizeof(Vector) / sizeof(double);
  constexpr int32_t kVectors = kGroupFrames / kLanes;
  for (int32_t base = 0; base < outputs; base += kGroupFrames)
  {
    Vector nearSum[kVectors] = {};
    Vector midSum[kVectors] = {};
    for (int32_t k = 0; k < SincPeakDetector::kLength; ++k)
    {
      const double nearTap = tables.nearOffset[static_cast<size_t>(k)];
      const double midTap = tables.midOffset[static_cast<size_t>(k)];
#pragma GCC unroll 4
      for (int32_t v = 0; v < kVectors; ++v)
      {
        Vector in;
        std::memcpy(&in, line + base + k + v * kLanes, sizeof in);
        nearSum[v] += nearTap * in;
        midSum[v] += midTap * in;
      }
    }
#pragma GCC unroll 4
    for (int32_t v = 0; v < kVectors; ++v)
    {
      std::memcpy(nearOut + base + v * kLanes, &nearSum[v], sizeof(Vector));
      std::memcpy(midOut + base + v * kLanes, &midSum[v], sizeof(Vector));
    }
  }
}

void DotProductsNarrow(const SincTables& tables, const double* line, int32_t outputs, double* nearOut,
                       double* midOut)
{
  DotProducts<Pair>(tables, line, outputs, nearOut, midOut);
}

// The same for processors with four-double vectors, chosen at run time.
__attribute__((target("avx"))) void DotProductsWide(const SincTables& tables, const double* line,
                                                    int32_t outputs, double* nearOut, double* midOut)
{
  DotProducts<Quad>(tables, line, outputs, nearOut, midOut);
}

// The largest absolute value of the four reconstructed points (0 when all
// are 0; a NaN never wins).
double LargestMagnitude(double a, double b, double c, double d)
{
  double peak = 0.0;
  for (double value : {a, b, c, d})
  {
    const double magnitude = std::fabs(value);
    if (magnitude > peak)
      peak = magnitude;
  }
  return peak;
}
}  // namespace

void SincPeakDetector::Clear()
{
  mLine.fill(0.0);
}

void SincPeakDetector::Push(double x)
{
  std::memmove(mLine.data(), mLine.data() + 1, (kLength - 1) * sizeof(double));
  mLine[kLength - 1] = x;
}

double SincPeakDetector::TableValue(int32_t table, int32_t k)
{
  return NormalisedSinc(kHalfWidth - k + kOffsets[static_cast<size_t>(table)]);
}

double SincPeakDetector::Evaluate() const
{
  const SincTables& tables = Tables();
  const double* history = mLine.data();
  // Accumulated in ascending k, exactly as PushBlock does.
  double nearValue = 0.0;
  double midValue = 0.0;
  for (int32_t k = 0; k < kLength; ++k)
  {
    nearValue += tables.nearOffset[static_cast<size_t>(k)] * history[k];
    midValue += tables.midOffset[static_cast<size_t>(k)] * history[k];
  }
  return LargestMagnitude(history[kHalfWidth], nearValue, midValue, history[kHalfWidth + 1]);
}

double SincPeakDetector::PushBlock(const double* x, int32_t frames)
{
  const SincTables& tables = Tables();
  double peak = 0.0;
  std::array<double, kBlockFrames> nearValues;
  std::array<double, kBlockFrames> midValues;
  while (frames > 0)
  {
    const int32_t n = frames < kBlockFrames ? frames : kBlockFrames;
    // The window of the pass's sample i is line[i .. i + kLength - 1]: the
    // newest kLength - 1 history values, then the samples.
    double* line = mLine.data() + 1;
    std::memcpy(line + kLength - 1, x, static_cast<size_t>(n) * sizeof(double));
    // The dot products run in groups of eight outputs: a pass computes n
    // rounded up to a whole group, over zeros past the samples, and reads
    // only its first n results. Small host blocks thus cost in proportion to
    // their frames, not to a whole pass.
    const int32_t padded = (n + kGroupFrames - 1) / kGroupFrames * kGroupFrames;
    for (int32_t i = n; i < padded; ++i)
      line[kLength - 1 + i] = 0.0;
    if (tables.wideVectors)
      DotProductsWide(tables, line, padded, nearValues.data(), midValues.data());
    else
      DotProductsNarrow(tables, line, padded, nearValues.data(), midValues.data());
    for (int32_t i = 0; i < n; ++i)
    {
      const double* window = line + i;
      const double value = LargestMagnitude(window[kHalfWidth], nearValues[static_cast<size_t>(i)],
                                            midValues[static_cast<size_t>(i)], window[kHalfWidth + 1]);
      if (value > peak)
        peak = value;
    }

    // The newest kLength values become the history.
    std::memmove(mLine.data(), mLine.data() + n, kLength * sizeof(double));
    x += n;
    frames -= n;
  }
  return peak;
}
