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

// Two doubles that the compiler keeps in one vector register.
typedef double Pair __attribute__((vector_size(16)));

Pair Splat(double v)
{
  return Pair{v, v};
}

Pair LoadPair(const double* p)
{
  Pair v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

void StorePair(double* p, Pair v)
{
  std::memcpy(p, &v, sizeof v);
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
  // The newest kLength - 1 history samples followed by the block: the window
  // of the block's sample i is line[i .. i + kLength - 1].
  std::array<double, kLength - 1 + kBlockFrames> line;
  std::array<double, kBlockFrames> nearValues;
  std::array<double, kBlockFrames> midValues;
  while (frames > 0)
  {
    const int32_t n = frames < kBlockFrames ? frames : kBlockFrames;
    for (int32_t j = 0; j < kLength - 1; ++j)
      line[static_cast<size_t>(j)] = HistoryAt(j + 1);
    for (int32_t i = 0; i < n; ++i)
      line[static_cast<size_t>(kLength - 1 + i)] = x[i];
    // A short last pass computes a whole pass over zeros and reads only its
    // first n results: fixed trip counts let the compiler vectorise.
    for (int32_t i = n; i < kBlockFrames; ++i)
      line[static_cast<size_t>(kLength - 1 + i)] = 0.0;

    // Eight outputs at a time stay in registers, two to a vector, while the
    // taps run past them. Vector arithmetic is element by element, so each
    // output keeps its ascending-k order of additions and matches Evaluate
    // bit for bit.
    for (int32_t base = 0; base < kBlockFrames; base += 8)
    {
      Pair near0{}, near1{}, near2{}, near3{};
      Pair mid0{}, mid1{}, mid2{}, mid3{};
      for (int32_t k = 0; k < kLength; ++k)
      {
        const Pair nearTap = Splat(tables.nearOffset[static_cast<size_t>(k)]);
        const Pair midTap = Splat(tables.midOffset[static_cast<size_t>(k)]);
        const double* in = line.data() + base + k;
        const Pair in0 = LoadPair(in), in1 = LoadPair(in + 2), in2 = LoadPair(in + 4), in3 = LoadPair(in + 6);
        near0 += nearTap * in0;
        near1 += nearTap * in1;
        near2 += nearTap * in2;
        near3 += nearTap * in3;
        mid0 += midTap * in0;
        mid1 += midTap * in1;
        mid2 += midTap * in2;
        mid3 += midTap * in3;
      }
      double* nearOut = nearValues.data() + base;
      double* midOut = midValues.data() + base;
      StorePair(nearOut, near0);
      StorePair(nearOut + 2, near1);
      StorePair(nearOut + 4, near2);
      StorePair(nearOut + 6, near3);
      StorePair(midOut, mid0);
      StorePair(midOut + 2, mid1);
      StorePair(midOut + 4, mid2);
      StorePair(midOut + 6, mid3);
    }
    for (int32_t i = 0; i < n; ++i)
    {
      const double* window = line.data() + i;
      const double value = LargestMagnitude(window[kHalfWidth], nearValues[static_cast<size_t>(i)],
                                            midValues[static_cast<size_t>(i)], window[kHalfWidth + 1]);
      if (value > peak)
        peak = value;
    }

    // The last kLength samples of the line become the history.
    for (int32_t j = 0; j < kLength; ++j)
    {
      const double v = line[static_cast<size_t>(n - 1 + j)];
      mHistory[static_cast<size_t>(j)] = v;
      mHistory[static_cast<size_t>(j + kLength)] = v;
    }
    mStart = 0;
    x += n;
    frames -= n;
  }
  return peak;
}
