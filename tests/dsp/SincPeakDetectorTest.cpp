// The sinc-interpolating peak detector: where an impulse is seen, that it
// reads at least the sample peak and the true peak of a quarter-rate sine,
// and that blocks and single samples agree.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/SincPeakDetector.h"

TEST(SincPeakDetectorTest, PushBlockEqualsSampleBySampleEvaluation)
{
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  SincPeakDetector bySample, byBlock;
  for (int32_t block : {1, 5, 127, 128, 129, 300, 2})
  {
    std::vector<double> x(static_cast<size_t>(block));
    double expected = 0.0;
    for (double& v : x)
      expected = std::max(expected, bySample.PushAndEvaluate(v = dist(rng)));
    EXPECT_EQ(byBlock.PushBlock(x.data(), block), expected) << block;
    for (int32_t i = 0; i < SincPeakDetector::kLength; ++i)
      ASSERT_EQ(byBlock.HistoryAt(i), bySample.HistoryAt(i)) << block;
  }
}

namespace
{
constexpr double kPi = 3.141592653589793;

// The reconstruction of a 39-sample history (oldest first) at offset u past
// its middle sample, written out from the sinc formula.
double Reconstruct(const std::vector<double>& history, double u)
{
  double sum = 0.0;
  for (size_t k = 0; k < history.size(); ++k)
  {
    const double t = u + 19.0 - static_cast<double>(k);
    sum += history[k] * (t == 0.0 ? 1.0 : std::sin(kPi * t) / (kPi * t));
  }
  return sum;
}
}  // namespace

TEST(SincPeakDetectorTest, QuarterRateSinesReadTheirReconstructionAtTheFourOffsets)
{
  // A quarter-rate sine of amplitude 0.5 whose crests fall the given
  // fraction of a sample past a sample. The detector reads the largest
  // reconstructed magnitude at the offsets 0, 0.18362181817838, 0.5 and 1
  // past each middle sample: a crest 45° off the samples (half a sample) is
  // read close to the amplitude although the samples peak at 0.354, and a
  // crest at the second offset exactly where it lies.
  for (const double crest : {0.5, 0.18362181817838, 0.3, 0.0})
  {
    SCOPED_TRACE(crest);
    SincPeakDetector detector;
    std::vector<double> history(39, 0.0);
    double steady = 0.0;  // once the history holds only the sine
    for (int32_t n = 0; n < 200; ++n)
    {
      const double x = 0.5 * std::cos(kPi / 2.0 * (n - crest));
      const double read = detector.PushAndEvaluate(x);
      history.erase(history.begin());
      history.push_back(x);
      double model = 0.0;
      for (double u : {0.0, 0.18362181817838, 0.5, 1.0})
        model = std::max(model, std::fabs(Reconstruct(history, u)));
      ASSERT_NEAR(read, model, 1e-12) << n;
      if (n >= 39)
        steady = std::max(steady, read);
    }
    // A crest on one of the offsets reads close to the amplitude; one
    // between them reads below it.
    if (crest == 0.3)
      EXPECT_LT(steady, 0.5 * std::cos(kPi / 2.0 * (0.3 - 0.18362181817838)) + 0.001);
    else
      EXPECT_NEAR(steady, 0.5, 0.006);
  }
}
