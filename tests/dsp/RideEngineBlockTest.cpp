// The pieces the riding engine works a block with: rings pushed a block at
// a time, the gate's rounded comparison without a floor, and the detector
// sections computed once, shared or on their own in every detector mode.
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/BufferHelpers.h"
#include "dsp/DelayRing.h"
#include "tests/dsp/RideTestSupport.h"

using namespace ridetest;

namespace
{
using S = RideEngineState;

TEST(DelayRingBlocks, APushOfABlockIsItsPushesOneByOne)
{
  // Random block sizes and delay changes (shorter ones leave the write index
  // past the delay), each block pushed at once into one ring and sample by
  // sample into another; the results and the rings must agree.
  std::mt19937 gen(7u);
  auto I = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(gen); };
  DelayRing block, single;
  block.Allocate(300);
  single.Allocate(300);
  std::vector<double> in(700), out(700);
  double next = 1.0;
  for (int round = 0; round < 400; ++round)
  {
    if (I(0, 3) == 0)
    {
      const int L = I(0, 3) == 0 ? 0 : I(1, 300);
      block.SetDelay(L);
      single.SetDelay(L);
    }
    const int n = I(1, 700);
    for (int k = 0; k < n; ++k)
      in[static_cast<size_t>(2 * k % 700)] = next++;
    // Strided in and out, as the engine reads a lane of pairs.
    std::vector<double> strided(2 * static_cast<size_t>(n));
    for (int k = 0; k < n; ++k)
      strided[2 * static_cast<size_t>(k)] = in[static_cast<size_t>(2 * k % 700)];
    block.PushBlock(strided.data(), 2, out.data(), 1, n);
    for (int k = 0; k < n; ++k)
      ASSERT_EQ(out[static_cast<size_t>(k)], single.Push(strided[2 * static_cast<size_t>(k)]))
          << "round " << round << ", sample " << k << " of " << n << ", delay " << single.delayLength;
    ASSERT_EQ(block.writeIndex, single.writeIndex);
    ASSERT_EQ(block.buffer, single.buffer);
  }
}

TEST(RoundedLevelThreshold, ComparesAsTheRoundedLevelDoes)
{
  // Noise levels on and between tenths, at the edges and beyond; levels
  // around each threshold to the last bit, and anywhere.
  constexpr double kInf = std::numeric_limits<double>::infinity();
  std::mt19937 gen(11u);
  std::uniform_real_distribution<double> any(-150.0, 50.0);
  std::vector<double> noises = {-48.0, -47.95, -0.05, 0.0, -144.0, 0.1, -96.3, 1e16, -1e16, kInf, -kInf,
                                std::numeric_limits<double>::quiet_NaN()};
  for (const double tenth : {-48.0, -0.1, -12.3})  // a bit either side of a tenth
    noises.push_back(std::nextafter(tenth, kInf)), noises.push_back(std::nextafter(tenth, -kInf));
  for (int i = 0; i < 200; ++i)
    noises.push_back(any(gen));
  for (const double noise : noises)
  {
    const double K = RoundedLevelThreshold(noise);
    std::vector<double> levels = {-144.0, kInf, 6000.0, -143.95};
    if (std::fabs(noise) < 1e14)  // the levels it covers
      levels.push_back(noise);
    if (std::isfinite(K))
      for (double x = (K - 0.5) / 10.0, k = 0; k < 8; ++k, x = std::nextafter(x, -kInf))
        levels.push_back(x), levels.push_back(std::nextafter((K - 0.5) / 10.0, kInf) + k * 1e-15);
    for (int i = 0; i < 50; ++i)
      levels.push_back(any(gen));
    for (const double x : levels)
      ASSERT_EQ(!(noise > RoundToTenthDb(x)), x * 10.0 + 0.5 >= K) << "noise " << noise << ", level " << x;
  }
}

// Each section as ProcessDetectorSample leaves it when fed the same
// samples: the engine computes sections once, shares weightings and feeds
// the rest on their own, and must end with the same records.
void ExpectSameSection(const DetectorSection& got, const DetectorSection& want, const char* what)
{
  SCOPED_TRACE(what);
  EXPECT_TRUE(SameBits(got.power, want.power) && SameBits(got.peak, want.peak) &&
              SameBits(got.lastPower, want.lastPower));
  for (int k = 0; k < 4; ++k)
  {
    const KWeightingStage &g = got.stages[k], &w = want.stages[k];
    EXPECT_TRUE(SameBits(g.x1, w.x1) && SameBits(g.x2, w.x2) && SameBits(g.y1, w.y1) && SameBits(g.y2, w.y2) &&
                SameBits(g.x, w.x) && SameBits(g.y, w.y) && SameBits(g.lastOutput, w.lastOutput))
        << "stage " << k;
  }
  EXPECT_TRUE(SameBits(got.meter.sum, want.meter.sum) && SameBits(got.meter.currentMean, want.meter.currentMean) &&
              got.meter.writeIndex == want.meter.writeIndex);
}

TEST(RideEngineSections, EveryDetectorModeEndsAsTheScalarStep)
{
  // A / B on and volume 0 dB: the output section is fed the audio itself, so
  // all five sections are fed the input (Internal, no cut filters, no
  // pre-delay) and a scalar replay knows each one's samples.
  struct Case
  {
    int detection, output, noise, noiseDetection;
  };
  const Case kCases[] = {{2, 2, 4, 0}, {2, 2, 4, 1}, {6, 6, 6, 1}, {0, 1, 5, 0}, {1, 5, 0, 1},
                         {3, 2, 2, 0}, {5, 6, 2, 1}, {4, 0, 6, 0}, {2, 3, 3, 1}};
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(testing::Message() << "modes " << c.detection << "/" << c.output << "/" << c.noise << ", noise gate "
                                    << c.noiseDetection);
    const ref::Settings s{.noiseTiming = 400.0, .ab = 1};
    Rig rig(s);
    RideEngineState& st = rig.engine.State();
    st.detectionSectionMode = c.detection;
    st.outputSectionMode = c.output;
    st.noiseSectionMode = c.noise;
    st.noiseDetection = c.noiseDetection;
    rig.engine.RecomputeFilters();
    std::vector<DetectorSection> replay(st.sections, st.sections + S::kNumSections);
    const int frames = 30000;
    Signal a = Programme(frames, s.fs, 0, 9u), b = Programme(frames, s.fs, 1, 9u), o0(a.size()), o1(a.size());
    InBlocks(frames, RandomBlocks(3u, 300), [&](int pos, int n) {
      rig.Run(a, b, o0, o1, pos, n);
      for (int i = pos; i < pos + n; ++i)
        for (DetectorSection& sec : replay)
          ProcessDetectorSample(sec, a[static_cast<size_t>(i)], b[static_cast<size_t>(i)]);
      if (n > 200)  // now and then, after the block
      {
        const char* names[] = {"main", "output", "side-chain", "delayed", "noise"};
        for (int k = 0; k < S::kNumSections; ++k)
          ExpectSameSection(st.sections[k], replay[static_cast<size_t>(k)], names[k]);
      }
    });
    if (HasFailure())
      return;
  }
}
}  // namespace
