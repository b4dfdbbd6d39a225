// The window functions: symmetry and end values of each kind, Kaiser and
// Hann against their definitions, normalisation and refusals.
#include <cmath>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/WindowFunctions.h"

namespace
{
constexpr double kPi = 3.141592653589793;

std::vector<double> Window(int32_t length, EWindowKind kind, bool normalise = false)
{
  auto values = MakeWindow(length, kind, normalise);
  return std::vector<double>(values.get(), values.get() + length);
}

// The value at the ends of each symmetric kind, straight from its defining
// formula at θ = 0 (and from the library's Bessel function for Kaiser).
struct SymmetricKind
{
  EWindowKind kind;
  double endValue;
};

const SymmetricKind kSymmetricKinds[] = {
    {kWindowBlackman, 0.42 - 0.5 + 0.08},
    {kWindowKaiser4, 1.0 / std::cyl_bessel_i(0.0, 4.0)},
    {kWindowKaiser5, 1.0 / std::cyl_bessel_i(0.0, 5.0)},
    {kWindowKaiser6, 1.0 / std::cyl_bessel_i(0.0, 6.0)},
    {kWindowKaiser8, 1.0 / std::cyl_bessel_i(0.0, 8.0)},
    {kWindowRectangular, 1.0},
    {kWindowHann, 0.0},
    {kWindowBartlett, 0.0},
    {kWindowBlackmanHarris4, 0.358750287312166 - 0.4882901074726 + 0.141279712970519 - 0.011679892244715},
    {kWindowFlatTop, 1.0 - 1.93 + 1.29 - 0.388 + 0.028},
    {kWindowHannSquared, 0.0},
    {kWindowBlackmanHarris7, 0.2712203605850388 - 0.4334446123274422 + 0.2180041228929303 - 0.06578534329560609 +
                                 0.01076186730534183 - 0.0007700127105808265 + 1.368088305992921e-5},
    {static_cast<EWindowKind>(0), 0.53836 - 0.46164},  // unknown kinds give Hamming
};
}  // namespace

TEST(MakeWindowTest, EverySymmetricKindIsSymmetricWithItsEndValuesAndNormalisesToASumOfOne)
{
  for (const SymmetricKind& c : kSymmetricKinds)
  {
    for (int32_t length : {2, 7, 8, 64, 65})
    {
      SCOPED_TRACE(testing::Message() << "kind " << c.kind << " length " << length);
      const std::vector<double> w = Window(length, c.kind);
      EXPECT_NEAR(w.front(), c.endValue, 1e-12);
      EXPECT_NEAR(w.back(), c.endValue, 1e-12);
      for (int32_t n = 0; n < length; ++n)
        ASSERT_NEAR(w[static_cast<size_t>(n)], w[static_cast<size_t>(length - 1 - n)], 1e-12);
    }
    double sum = 0.0;
    for (double v : Window(33, c.kind, true))
      sum += v;
    EXPECT_NEAR(sum, 1.0, 1e-12) << "kind " << c.kind;
  }
  for (double v : Window(10, kWindowRectangular, true))
    EXPECT_DOUBLE_EQ(v, 0.1);
  // At length 2 both points of Hann, Hann squared and Bartlett are ends
  // of value 0: there is nothing to scale, and nothing becomes NaN.
  for (EWindowKind kind : {kWindowHann, kWindowHannSquared, kWindowBartlett})
    EXPECT_EQ(Window(2, kind, true), std::vector<double>(2, 0.0)) << "kind " << kind;
}

TEST(MakeWindowTest, KaiserHannHammingAndSincFollowTheirDefinitions)
{
  // Kaiser: w[n] = I0(β·√(1 − r²)) / I0(β), r = (2n − (N − 1)) / (N − 1).
  for (int32_t length : {8, 9, 32})
  {
    const std::vector<double> w = Window(length, kWindowKaiser6);
    for (int32_t n = 0; n < length; ++n)
    {
      const double r = (2.0 * n - (length - 1)) / (length - 1);
      EXPECT_NEAR(w[static_cast<size_t>(n)],
                  std::cyl_bessel_i(0.0, 6.0 * std::sqrt(1.0 - r * r)) / std::cyl_bessel_i(0.0, 6.0), 1e-12)
          << "length " << length << " n " << n;
    }
  }
  EXPECT_NEAR(Window(9, kWindowKaiser8)[4], 1.0, 1e-15);
  const std::vector<double> hann = Window(9, kWindowHann);
  EXPECT_NEAR(hann[4], 1.0, 1e-15);  // the peak of an odd length is at the centre
  EXPECT_NEAR(hann[2], 0.5 - 0.5 * std::cos(2.0 * kPi * 2.0 / 8.0), 1e-15);
  for (int32_t kind : {0, 14, -3})
  {
    const std::vector<double> w = Window(5, static_cast<EWindowKind>(kind));
    for (int32_t n = 0; n < 5; ++n)
      EXPECT_NEAR(w[static_cast<size_t>(n)], 0.53836 - 0.46164 * std::cos(2.0 * kPi * n / 4.0), 1e-15) << kind;
  }
  // The sinc window is centred on half the length.
  const std::vector<double> sinc = Window(16, kWindowSinc);
  EXPECT_EQ(sinc[8], 1.0);
  for (int32_t d = 1; d < 8; ++d)
  {
    const double x = d / (4.0 * kPi);
    EXPECT_NEAR(sinc[static_cast<size_t>(8 + d)], std::sin(x) / x, 1e-15);
    EXPECT_NEAR(sinc[static_cast<size_t>(8 - d)], std::sin(x) / x, 1e-15);
  }
}

TEST(MakeWindowTest, LengthOneIsOneAndShorterLengthsAreRefused)
{
  for (int32_t kind = 0; kind <= 14; ++kind)
  {
    EXPECT_EQ(Window(1, static_cast<EWindowKind>(kind))[0], 1.0);
    EXPECT_EQ(Window(1, static_cast<EWindowKind>(kind), true)[0], 1.0);
  }
  EXPECT_EQ(MakeWindow(0, kWindowHann, false), nullptr);
  EXPECT_EQ(MakeWindow(-5, kWindowHann, true), nullptr);
}
