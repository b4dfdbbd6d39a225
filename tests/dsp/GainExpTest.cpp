// The riding engine's gain exponential against the C library's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "dsp/BufferHelpers.h"
#include "dsp/GainExp.h"

namespace
{
using ride_detail::GainDbToLinear;
using ride_detail::Pair;

double RelativeError(double got, double want)
{
  return std::fabs(got - want) / std::fabs(want);
}

TEST(GainExp, StaysWithinAFewUnitsInTheLastPlaceOfExp)
{
  std::mt19937_64 rng(7);
  // Over the whole fast range, its edges, and either side of each power of
  // two's reduction boundary.
  std::uniform_real_distribution<double> wide(-700.0, 700.0);
  std::vector<double> xs = {-700.0, 700.0, 0.0, -0.0, 1e-300, std::log(2.0) / 2.0, -std::log(2.0) / 2.0};
  for (int k = -1000; k <= 1000; k += 7)
    for (double d : {-1e-12, 0.0, 1e-12})
      xs.push_back((k + 0.5) * std::log(2.0) + d);
  for (int i = 0; i < 200000; ++i)
    xs.push_back(wide(rng));
  for (double x : xs)
  {
    const double got = ride_detail::ExpOf(Pair{x, -x})[0];
    ASSERT_LE(RelativeError(got, std::exp(x)), 1e-15) << "x " << x;
  }
  std::uniform_real_distribution<double> db(-143.99, 150.0);
  for (int i = 0; i < 200000; ++i)
  {
    const double d = db(rng);
    ASSERT_LE(RelativeError(GainDbToLinear(d), DbToLinear(d)), 1e-15) << d << " dB";
  }
}

TEST(GainExp, EdgesAreTheLibraryGain)
{
  // Silence, non-finite values and gains beyond the fast range give
  // DbToLinear's own result.
  const double inf = std::numeric_limits<double>::infinity();
  for (double d : {-144.0, -144.5, -1e308, -inf, std::nan(""), inf, 1e308, 6081.0, 6500.0, -6500.0})
  {
    const double got = GainDbToLinear(d), want = DbToLinear(d);
    EXPECT_TRUE(got == want || (std::isnan(got) && std::isnan(want))) << d << " dB: " << got << " vs " << want;
  }
  // One lane outside the fast range leaves the other on it.
  const Pair mixed = ride_detail::ExpOf(Pair{800.0, 1.0});
  EXPECT_EQ(mixed[0], std::exp(800.0));
  EXPECT_LE(RelativeError(mixed[1], std::exp(1.0)), 1e-15);
}

TEST(GainExp, ABlockHasTheBitsOfItsValuesOneByOne)
{
  // A gain must not depend on where a host's block boundaries fall.
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> db(-150.0, 150.0);
  std::vector<double> in(80), out(80);
  for (double& v : in)
    v = db(rng);
  in[5] = std::nan("");
  in[9] = 9000.0;
  for (int offset = 0; offset < 3; ++offset)
    for (int n = 0; n <= 67; ++n)
    {
      std::fill(out.begin(), out.end(), -1.0);
      ride_detail::GainDbToLinearBlock(in.data() + offset, out.data(), n);
      for (int k = 0; k < n; ++k)
      {
        const double one = GainDbToLinear(in[static_cast<size_t>(offset + k)]);
        ASSERT_EQ(std::memcmp(&out[static_cast<size_t>(k)], &one, sizeof one), 0) << offset << " " << n << " " << k;
      }
      ASSERT_EQ(out[static_cast<size_t>(n)], -1.0) << "wrote past the block, n " << n;
    }
}
}  // namespace
