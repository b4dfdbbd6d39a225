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

// X[k] = Σ x[j]·e^(sign·2πi·jk/n), divided by n for sign -1.
std::vector<std::complex<double>> DirectDft(const std::vector<std::complex<double>>& x, int sign)
{
  const size_t n = x.size();
  std::vector<std::complex<double>> out(n);
  for (size_t k = 0; k < n; ++k)
  {
    std::complex<double> sum = 0.0;
    for (size_t j = 0; j < n; ++j)
      sum += x[j] * std::polar(1.0, sign * 2.0 * kPi * static_cast<double>((j * k) % n) / n);
    out[k] = sign == -1 ? sum / static_cast<double>(n) : sum;
  }
  return out;
}

std::vector<double> RandomValues(size_t count, unsigned seed)
{
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  std::vector<double> values(count);
  for (double& v : values)
    v = dist(rng);
  return values;
}
}  // namespace

TEST(ComplexFFTTest, MatchesTheDirectTransformForEverySizeUpTo64)
{
  for (int32_t n = 1; n <= 64; n *= 2)
  {
    for (int sign : {1, -1})
    {
      std::vector<double> data = RandomValues(2 * static_cast<size_t>(n), static_cast<unsigned>(n));
      std::vector<std::complex<double>> x(static_cast<size_t>(n));
      for (int32_t k = 0; k < n; ++k)
        x[static_cast<size_t>(k)] = {data[2 * static_cast<size_t>(k)], data[2 * static_cast<size_t>(k) + 1]};
      const std::vector<std::complex<double>> expected = DirectDft(x, sign);
      ASSERT_TRUE(ComplexFFT(data.data(), n, sign));
      for (int32_t k = 0; k < n; ++k)
      {
        EXPECT_NEAR(data[2 * static_cast<size_t>(k)], expected[static_cast<size_t>(k)].real(), 1e-12) << n << " " << sign;
        EXPECT_NEAR(data[2 * static_cast<size_t>(k) + 1], expected[static_cast<size_t>(k)].imag(), 1e-12) << n << " " << sign;
      }
    }
  }
}

TEST(ComplexFFTTest, ForwardThenInverseReturnsTheInputAndAnImpulseIsFlat)
{
  const std::vector<double> input = RandomValues(64, 7);
  std::vector<double> data = input;
  ASSERT_TRUE(ComplexFFT(data.data(), 32, 1));
  ASSERT_TRUE(ComplexFFT(data.data(), 32, -1));
  for (size_t i = 0; i < input.size(); ++i)
    EXPECT_NEAR(data[i], input[i], 1e-14);

  std::vector<double> impulse(16, 0.0);
  impulse[0] = 1.0;
  ASSERT_TRUE(ComplexFFT(impulse.data(), 8, 1));
  for (size_t k = 0; k < 8; ++k)
  {
    EXPECT_DOUBLE_EQ(impulse[2 * k], 1.0);
    EXPECT_DOUBLE_EQ(impulse[2 * k + 1], 0.0);
  }
}

TEST(ComplexFFTTest, RefusesBadSizesAndSignsAndLeavesTheDataAlone)
{
  const std::vector<double> input = RandomValues(24, 3);
  std::vector<double> data = input;
  EXPECT_FALSE(ComplexFFT(data.data(), 12, 1));
  EXPECT_FALSE(ComplexFFT(data.data(), 0, 1));
  EXPECT_FALSE(ComplexFFT(data.data(), -4, 1));
  EXPECT_FALSE(ComplexFFT(data.data(), 8, 0));
  EXPECT_FALSE(ComplexFFT(data.data(), 8, 2));
  EXPECT_FALSE(ComplexFFT(nullptr, 8, 1));
  EXPECT_EQ(data, input);
}

TEST(RealFFTTest, GivesTheFirstHalfOfTheDirectTransform)
{
  for (int32_t n = 4; n <= 64; n *= 2)
  {
    const std::vector<double> samples = RandomValues(static_cast<size_t>(n), static_cast<unsigned>(100 + n));
    std::vector<std::complex<double>> x(samples.begin(), samples.end());
    const std::vector<std::complex<double>> expected = DirectDft(x, 1);
    std::vector<double> data = samples;
    data.resize(static_cast<size_t>(n) + 2, 0.0);
    ASSERT_TRUE(RealFFT(data.data(), n, 1));
    for (int32_t k = 0; k <= n / 2; ++k)
    {
      EXPECT_NEAR(data[2 * static_cast<size_t>(k)], expected[static_cast<size_t>(k)].real(), 1e-12) << n << " bin " << k;
      EXPECT_NEAR(data[2 * static_cast<size_t>(k) + 1], expected[static_cast<size_t>(k)].imag(), 1e-12) << n << " bin " << k;
    }
    EXPECT_EQ(data[1], 0.0);
    EXPECT_EQ(data[static_cast<size_t>(n) + 1], 0.0);
  }
}

TEST(RealFFTTest, ForwardThenInverseReturnsTheSamples)
{
  for (int32_t n = 4; n <= 1024; n *= 2)
  {
    const std::vector<double> samples = RandomValues(static_cast<size_t>(n), static_cast<unsigned>(n));
    std::vector<double> data = samples;
    data.resize(static_cast<size_t>(n) + 2, 0.0);
    ASSERT_TRUE(RealFFT(data.data(), n, 1));
    ASSERT_TRUE(RealFFT(data.data(), n, -1));
    for (size_t i = 0; i < samples.size(); ++i)
      EXPECT_NEAR(data[i], samples[i], 1e-13) << n;
    EXPECT_EQ(data[static_cast<size_t>(n)], 0.0);
    EXPECT_EQ(data[static_cast<size_t>(n) + 1], 0.0);
  }
}

TEST(RealFFTTest, RefusesSizesBelowFourOrNotPowersOfTwo)
{
  std::vector<double> data(20, 0.5);
  const std::vector<double> before = data;
  EXPECT_FALSE(RealFFT(data.data(), 2, 1));
  EXPECT_FALSE(RealFFT(data.data(), 12, 1));
  EXPECT_FALSE(RealFFT(data.data(), 16, 3));
  EXPECT_FALSE(RealFFT(nullptr, 16, 1));
  EXPECT_EQ(data, before);
}

TEST(PolarTest, ConvertsBothWaysAndShiftsSafelyInPlace)
{
  const std::vector<double> complexValues = {3.0, 4.0, -1.0, 0.0, 0.0, -2.0};
  std::vector<double> polar(6, 0.0);
  ASSERT_TRUE(ToPolar(complexValues.data(), 0, polar.data(), 0, 6));
  EXPECT_DOUBLE_EQ(polar[0], 5.0);
  EXPECT_DOUBLE_EQ(polar[1], std::atan2(4.0, 3.0));
  EXPECT_DOUBLE_EQ(polar[2], 1.0);
  EXPECT_DOUBLE_EQ(polar[3], kPi);
  EXPECT_DOUBLE_EQ(polar[4], 2.0);
  EXPECT_DOUBLE_EQ(polar[5], -kPi / 2.0);

  std::vector<double> back(6, 0.0);
  ASSERT_TRUE(FromPolar(polar.data(), 0, back.data(), 0, 6));
  for (size_t i = 0; i < 6; ++i)
    EXPECT_NEAR(back[i], complexValues[i], 1e-15);

  // Shifting three values two places up within one array.
  std::vector<double> shared = {3.0, 4.0, 6.0, 8.0, 0.0, 1.0, 0.0, 0.0};
  ASSERT_TRUE(ToPolar(shared.data(), 0, shared.data(), 2, 6));
  EXPECT_DOUBLE_EQ(shared[2], 5.0);
  EXPECT_DOUBLE_EQ(shared[4], 10.0);
  EXPECT_DOUBLE_EQ(shared[6], 1.0);
  EXPECT_DOUBLE_EQ(shared[7], kPi / 2.0);
  // And back down.
  ASSERT_TRUE(FromPolar(shared.data(), 2, shared.data(), 0, 6));
  EXPECT_NEAR(shared[0], 3.0, 1e-15);
  EXPECT_NEAR(shared[1], 4.0, 1e-15);
  EXPECT_NEAR(shared[2], 6.0, 1e-14);
  EXPECT_NEAR(shared[3], 8.0, 1e-14);
  EXPECT_NEAR(shared[4], 0.0, 1e-15);
  EXPECT_NEAR(shared[5], 1.0, 1e-15);

  // The same shift with the two places given as two pointers into the array.
  std::vector<double> buffer = {3.0, 4.0, 6.0, 8.0, 0.0, 1.0, 0.0, 0.0};
  ASSERT_TRUE(ToPolar(buffer.data(), 0, buffer.data() + 2, 0, 6));
  EXPECT_DOUBLE_EQ(buffer[2], 5.0);
  EXPECT_DOUBLE_EQ(buffer[3], std::atan2(4.0, 3.0));
  EXPECT_DOUBLE_EQ(buffer[4], 10.0);
  EXPECT_DOUBLE_EQ(buffer[5], std::atan2(8.0, 6.0));
  EXPECT_DOUBLE_EQ(buffer[6], 1.0);
  EXPECT_DOUBLE_EQ(buffer[7], kPi / 2.0);
  ASSERT_TRUE(FromPolar(buffer.data() + 1, 1, buffer.data(), 0, 6));
  EXPECT_NEAR(buffer[0], 3.0, 1e-15);
  EXPECT_NEAR(buffer[1], 4.0, 1e-15);
  EXPECT_NEAR(buffer[2], 6.0, 1e-14);
  EXPECT_NEAR(buffer[3], 8.0, 1e-14);
  EXPECT_NEAR(buffer[4], 0.0, 1e-15);
  EXPECT_NEAR(buffer[5], 1.0, 1e-15);

  EXPECT_FALSE(ToPolar(nullptr, 0, polar.data(), 0, 2));
  EXPECT_FALSE(FromPolar(polar.data(), -1, polar.data(), 0, 2));
  EXPECT_FALSE(ToPolar(polar.data(), 0, polar.data(), 0, -2));
}
