// The transforms against a direct DFT, their round trips and refusals, and
// the polar conversions.
#include <cmath>
#include <complex>
#include <cstdint>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/FourierTransform.h"

namespace
{
constexpr double kPi = 3.141592653589793;
using Values = std::vector<double>;

// X[k] = Σ x[j]·e^(sign·2πi·jk/n), divided by n for sign -1, of
// interleaved complex values (or of real values when real).
Values DirectDft(const Values& x, int sign, bool real = false)
{
  const size_t n = real ? x.size() : x.size() / 2;
  Values out(2 * n);
  for (size_t k = 0; k < n; ++k)
  {
    std::complex<double> sum = 0.0;
    for (size_t j = 0; j < n; ++j)
      sum += (real ? std::complex<double>(x[j]) : std::complex<double>(x[2 * j], x[2 * j + 1])) *
             std::polar(1.0, sign * 2.0 * kPi * static_cast<double>((j * k) % n) / n);
    sum /= sign == -1 ? static_cast<double>(n) : 1.0;
    out[2 * k] = sum.real(), out[2 * k + 1] = sum.imag();
  }
  return out;
}

Values RandomValues(size_t count, unsigned seed)
{
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  Values values(count);
  for (double& v : values)
    v = dist(rng);
  return values;
}

void ExpectNear(const Values& got, const Values& want, size_t count, double tolerance)
{
  for (size_t i = 0; i < count; ++i)
    ASSERT_NEAR(got[i], want[i], tolerance) << "value " << i;
}
}  // namespace

TEST(ComplexFFTTest, MatchesTheDirectTransformAndRoundTripsForEverySizeUpTo64)
{
  for (int32_t n = 1; n <= 64; n *= 2)
    for (int sign : {1, -1})
    {
      SCOPED_TRACE(testing::Message() << n << " " << sign);
      const Values input = RandomValues(2 * static_cast<size_t>(n), static_cast<unsigned>(n));
      Values data = input;
      ASSERT_TRUE(ComplexFFT(data.data(), n, sign));
      ExpectNear(data, DirectDft(input, sign), data.size(), 1e-12);
      ASSERT_TRUE(ComplexFFT(data.data(), n, -sign));
      ExpectNear(data, input, data.size(), sign == 1 ? 1e-14 : 1e-12 * n);
    }
  Values impulse(16, 0.0);
  impulse[0] = 1.0;
  ASSERT_TRUE(ComplexFFT(impulse.data(), 8, 1));
  for (size_t k = 0; k < 8; ++k)
    EXPECT_TRUE(impulse[2 * k] == 1.0 && impulse[2 * k + 1] == 0.0) << k;
}

TEST(RealFFTTest, GivesTheFirstHalfOfTheDirectTransformAndRoundTrips)
{
  for (int32_t n = 4; n <= 1024; n *= 2)
  {
    SCOPED_TRACE(n);
    const Values samples = RandomValues(static_cast<size_t>(n), static_cast<unsigned>(100 + n));
    Values data = samples;
    data.resize(static_cast<size_t>(n) + 2, 0.0);
    ASSERT_TRUE(RealFFT(data.data(), n, 1));
    ExpectNear(data, DirectDft(samples, 1, true), static_cast<size_t>(n) + 2, 1e-12 * n);
    EXPECT_TRUE(data[1] == 0.0 && data[static_cast<size_t>(n) + 1] == 0.0);
    ASSERT_TRUE(RealFFT(data.data(), n, -1));
    ExpectNear(data, samples, samples.size(), 1e-13);
    EXPECT_TRUE(data[static_cast<size_t>(n)] == 0.0 && data[static_cast<size_t>(n) + 1] == 0.0);
  }
}

TEST(FourierTransformTest, BadSizesSignsAndPointersAreRefusedAndLeaveTheDataAlone)
{
  const Values input = RandomValues(24, 3);
  Values data = input;
  for (const auto& [n, sign] : {std::pair{12, 1}, {0, 1}, {-4, 1}, {8, 0}, {8, 2}})
    EXPECT_FALSE(ComplexFFT(data.data(), n, sign)) << n << " " << sign;
  for (const auto& [n, sign] : {std::pair{2, 1}, {12, 1}, {16, 3}})
    EXPECT_FALSE(RealFFT(data.data(), n, sign)) << n << " " << sign;
  EXPECT_FALSE(ComplexFFT(nullptr, 8, 1));
  EXPECT_FALSE(RealFFT(nullptr, 16, 1));
  EXPECT_EQ(data, input);
  EXPECT_FALSE(ToPolar(nullptr, 0, data.data(), 0, 2));
  EXPECT_FALSE(FromPolar(data.data(), -1, data.data(), 0, 2));
  EXPECT_FALSE(ToPolar(data.data(), 0, data.data(), 0, -2));
}

TEST(PolarTest, ConvertsBothWaysAndShiftsSafelyWithinOneBuffer)
{
  const Values complexValues = {3.0, 4.0, -1.0, 0.0, 0.0, -2.0};
  Values polar(6, 0.0), back(6, 0.0);
  ASSERT_TRUE(ToPolar(complexValues.data(), 0, polar.data(), 0, 6));
  ExpectNear(polar, {5.0, std::atan2(4.0, 3.0), 1.0, kPi, 2.0, -kPi / 2.0}, 6, 1e-15);
  ASSERT_TRUE(FromPolar(polar.data(), 0, back.data(), 0, 6));
  ExpectNear(back, complexValues, 6, 1e-15);
  // Known angles: a quarter turn, a half turn and an eighth turn back.
  const Values given = {2.0, kPi / 2.0, 1.0, kPi, std::sqrt(2.0), -kPi / 4.0};
  ASSERT_TRUE(FromPolar(given.data(), 0, back.data(), 0, 6));
  ExpectNear(back, {0.0, 2.0, -1.0, 0.0, 1.0, -1.0}, 6, 1e-15);
  // Three values shifted two places up within one array, given as offsets
  // and as two pointers, then back down.
  const Values start = {3.0, 4.0, 6.0, 8.0, 0.0, 1.0, 0.0, 0.0};
  const Values shifted = {3.0, 4.0, 5.0, std::atan2(4.0, 3.0), 10.0, std::atan2(8.0, 6.0), 1.0, kPi / 2.0};
  for (const bool pointers : {false, true})
  {
    Values b = start;
    ASSERT_TRUE(pointers ? ToPolar(b.data(), 0, b.data() + 2, 0, 6) : ToPolar(b.data(), 0, b.data(), 2, 6));
    ExpectNear(b, shifted, 8, 1e-15);
    ASSERT_TRUE(pointers ? FromPolar(b.data() + 1, 1, b.data(), 0, 6) : FromPolar(b.data(), 2, b.data(), 0, 6));
    ExpectNear(b, start, 6, 1e-14);
  }
}
