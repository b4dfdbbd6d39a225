// The classic engine against its independent model (which also holds its
// idle gain, clamp, floor of the shown gain, routing and once-per-block
// level), its ramp, delays and mended faults.
#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <mutex>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/CMTolvaneV1.h"
#include "dsp/RideEngine.h"
#include "tests/dsp/ClassicReferenceModel.h"
#include "tests/dsp/RideTestSupport.h"

using ridetest::At;
using ridetest::Gain;
using ridetest::Signal;

namespace
{
// A DC level whose meter reading (rounded, +3 dB) is levelDb.
const double kDcAtMinus30 = std::pow(10.0, (-30.0 - 3.0) / 20.0);

struct Classic
{
  CMTolvaneV1 engine;
  explicit Classic(double fs = 48000.0)
  {
    engine.SetNumInputs(2);
    engine.SetNumOutputs(2);
    engine.SetSampleRate(fs);
  }
  // Frames [start, start + frames) of a and b into oa and ob.
  void Run(Signal& a, Signal& b, Signal& oa, Signal& ob, int start, int frames)
  {
    At<2> in({&a, &b}, start), out({&oa, &ob}, start);
    engine.ProcessFrames(in.p, out.p, frames, 2, 2);
  }
  void RunMono(Signal& a, Signal& o, int start, int frames) { Run(a, a, o, o, start, frames); }
};

// Index of the first 1.0 in the output of an impulse: the delay.
int ImpulseDelay(CMTolvaneV1& e, int frames)
{
  Signal x(static_cast<size_t>(frames), 0.0), o(x.size(), -1.0), o2(x.size());
  x[0] = 1.0;
  At<2> in({&x, &x}, 0), out({&o, &o2}, 0);
  e.ProcessFrames(in.p, out.p, frames, 2, 2);
  return static_cast<int>(std::find(o.begin(), o.end(), 1.0) - o.begin());
}
}  // namespace

TEST(CMTolvaneV1, DelayLengthsAndTheDelayLineBeyondTwiceItsCapacity)
{
  struct Case
  {
    double fs, windowMs, fraction;
    int delay;
  };
  for (const Case& k : {Case{48000.0, 400.0, 0.75, 14400}, Case{44100.0, 14.0, 0.75, 462},
                        Case{48000.0, 500.0, 0.0, 0}, Case{96000.0, 3000.0, 1.0, 288000}})
  {
    CMTolvaneV1 e;
    e.WindowMs = k.windowMs;
    e.PreDelayFraction = k.fraction;
    e.SetSampleRate(k.fs);
    EXPECT_EQ(e.ActiveDelaySamples(), k.delay);
    EXPECT_EQ(e.DelaySamples(), k.delay);
    // An impulse comes out that many samples later (unity gain before the
    // window is full).
    EXPECT_EQ(ImpulseDelay(e, k.delay + 5), k.delay) << k.fs << " " << k.windowMs;
  }
  // With the rider off the output is the delayed input times the output
  // gain, also after seven seconds, past twice the line's capacity of three.
  Classic c(8000.0);
  c.engine.RideEnabled = 0;
  c.engine.OutputGainDb = -6.0;
  c.engine.WindowMs = 20.0;
  c.engine.Reset();
  const int d = 120, n = 7 * 8000;  // trunc(160 × 0.75)
  Signal a(n), o(n);
  for (int i = 0; i < n; ++i)
    a[static_cast<size_t>(i)] = 0.01 * std::sin(0.06 * i);
  ridetest::InBlocks(n, {500}, [&](int pos, int len) { c.RunMono(a, o, pos, len); });
  for (int i = 0; i < n; ++i)
    ASSERT_EQ(o[static_cast<size_t>(i)], (i >= d ? a[static_cast<size_t>(i - d)] : 0.0) * Gain(-6.0)) << i;
  EXPECT_GT(c.engine.GainDb, 5.0);  // the rider still computes its gain
}

TEST(CMTolvaneV1, AResetAfterRidingStartsAgainAtAnIdleGainOfExactlyUnity)
{
  Classic c;
  c.engine.WindowMs = 20.0;
  c.engine.Reset();
  const int d = 720;
  Signal dc(24000, kDcAtMinus30), o(dc.size());
  ridetest::InBlocks(24000, {480}, [&](int pos, int n) { c.RunMono(dc, o, pos, n); });
  ASSERT_EQ(c.engine.GainDb, 6.0);
  c.engine.Reset();
  Signal a(900), oa(a.size());
  for (size_t i = 0; i < a.size(); ++i)
    a[i] = 0.3 * std::sin(0.05 * static_cast<double>(i));
  c.RunMono(a, oa, 0, 900);  // the window is not full yet: idle gain 0 dB
  for (int i = 0; i < 900; ++i)
    ASSERT_EQ(oa[static_cast<size_t>(i)], i >= d ? a[static_cast<size_t>(i - d)] : 0.0) << i;
}

TEST(CMTolvaneV1, ProcessingAndAResetAtTheSameRateAllocateNothing)
{
  Classic c;
  c.engine.FilterMode = 5;
  Signal a(48000, 0.01), o(a.size());
  const int64_t before = ridetest::Allocations();
  c.RunMono(a, o, 0, 48000);
  c.engine.WindowMs = 2000.0;
  c.engine.PreDelayFraction = 1.0;
  c.engine.Reset();
  c.engine.SetLowCutFreq(100.0);
  c.RunMono(a, o, 0, 48000);
  EXPECT_EQ(ridetest::Allocations(), before);
}

TEST(CMTolvaneV1, MatchesTheModelForRandomSettingsLayoutsAndChanges)
{
  // Random settings, every layout of the routing table, random block sizes
  // (0 included) and, between blocks, settings changed with and without a
  // reset, a new sample rate and new cut frequencies: outputs, shown gain,
  // ride flag, detection level and the two scope meters bit for bit.
  const int kLayouts[][2] = {{2, 2}, {4, 2}, {3, 2}, {2, 1}, {1, 1}, {3, 1}};
  const double kRates[] = {22050.0, 32000.0, 44100.0, 48000.0, 96000.0};
  std::mt19937 gen(77u);
  auto I = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(gen); };
  auto R = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(gen); };
  for (int iteration = 0; iteration < 24 && !HasFatalFailure(); ++iteration)
  {
    CMTolvaneV1 e;
    classicref::Model m;
    // The same setting written into the engine and the model.
    auto set = [](auto& engineMember, auto& modelMember, auto value) { engineMember = modelMember = value; };
    // Each change of a setting, as drawn between blocks; the first ten also
    // make the initial settings.
    const std::function<void()> changes[] = {
        [&] { set(e.WindowMs, m.windowMs, static_cast<double>(I(10, 1500))); },
        [&] { set(e.PreDelayFraction, m.fraction, I(0, 100) / 100.0); },
        [&] { set(e.TargetDb, m.target, R(-40.0, 0.0)); },
        [&] { set(e.IdleGainDb, m.idle, R(-24.0, 24.0)); },
        [&] { set(e.DetectionSource, m.detectionSource, I(0, 1)); },
        [&] { set(e.FilterMode, m.filterMode, I(0, 2) == 0 ? 0 : I(4, 5)); },
        [&] { set(e.RideEnabled, m.rideEnabled, I(0, 4) == 0 ? 0 : 1); },
        [&] { set(e.OutputGainDb, m.outputGain, R(-24.0, 24.0)); },
        [&] { set(e.NoiseDb, m.noise, R(-70.0, -20.0)); },
        [&] { set(e.RangeMinDb, m.rangeMin, R(-24.0, 24.0)), set(e.RangeMaxDb, m.rangeMax, R(-24.0, 24.0)); },
        [&] { e.Reset(), m.Reset(); },
        [&] { e.SetSampleRate(m.fs = kRates[I(0, 4)]), m.Reset(); },
        [&] { e.SetLowCutFreq(m.lowCut = R(10.0, 1000.0)), m.DesignUserStages(); },
        [&] { e.SetHighCutFreq(m.highCut = R(1000.0, 10000.0)), m.DesignUserStages(); },
    };
    for (int k = 0; k < 10; ++k)
      changes[k]();
    set(e.LowCutHz, m.lowCut, R(10.0, 1000.0));
    set(e.HighCutHz, m.highCut, R(1000.0, 10000.0));
    set(e.SampleRate, m.fs, kRates[I(0, 4)]);
    e.Reset();
    m.Reset();
    const int nIn = kLayouts[iteration % 6][0], nOut = kLayouts[iteration % 6][1];
    const int frames = static_cast<int>(R(0.4, 1.0) * m.fs);
    Signal ch[4], got[2], want[2];
    for (int c = 0; c < 4; ++c)
    {
      ch[c] = ridetest::Programme(frames, m.fs, c & 1, static_cast<uint32_t>(iteration * 4 + c));
      const double scale = R(0.05, 2.0);
      for (double& v : ch[c])
        v *= scale;
    }
    for (int c = 0; c < 2; ++c)
      got[c].assign(static_cast<size_t>(frames), 0.0), want[c] = got[c];
    SCOPED_TRACE(testing::Message() << "iteration " << iteration << ", layout " << nIn << "-" << nOut);
    for (int pos = 0, n = 0; pos < frames && !HasFatalFailure(); pos += n)
    {
      n = std::min(I(0, 2500), frames - pos);
      At<4> in({&ch[0], &ch[1], &ch[2], &ch[3]}, pos);
      At<2> outE({&got[0], &got[1]}, pos), outM({&want[0], &want[1]}, pos);
      e.ProcessFrames(in.p, outE.p, n, nIn, nOut);
      m.Process(in.p, outM.p, n, nIn, nOut);
      for (int c = 0; c < std::min(nOut, 2); ++c)
        for (int i = 0; i < n; ++i)
          ASSERT_TRUE(ridetest::SameBits(outE.p[c][i], outM.p[c][i])) << "channel " << c << " frame " << pos + i;
      const double engineValues[] = {e.DetectionLevelDb, e.GainDb, 1.0 * e.RideFlag, e.OutputMeter.GetLevelDb(),
                                     e.DelayedDetectionMeter.GetLevelDb()};
      const double modelValues[] = {m.detectionLevel, m.gainDb, 1.0 * m.rideFlag, m.output.Db(),
                                    m.delayedDetection.Db()};
      for (int v = 0; v < 5; ++v)
        ASSERT_TRUE(ridetest::SameBits(engineValues[v], modelValues[v])) << "value " << v << " at " << pos + n;
      const int k = I(0, 19);
      if (k < static_cast<int>(std::size(changes)))
      {
        changes[k]();
        if (k < 2)  // the window and the fraction take effect at a reset
          e.Reset(), m.Reset();
      }
    }
  }
}

// --- Mended faults -------------------------------------------------------------

TEST(CMTolvaneV1Faults, ReportedLatencyIsTheActualDelay)
{
  // A 14 ms window with 75 % at 44.1 kHz delays by trunc(617 × 0.75) = 462,
  // not trunc(10.5 ms × 44.1) = 463.
  std::recursive_mutex mutex;
  CMTolvaneV1 classic;
  RideEngine engine(mutex, classic);
  engine.ResetIfFormatChanged(ProcessorFormat{44100.0, 512, 2, 2});
  engine.ApplyClassicMode(1);
  for (double sens : {10.0, 33.0, 400.0, 1234.0, 3000.0})
    for (double pct : {0.0, 33.0, 75.0, 99.0, 100.0})
    {
      engine.ApplySensitivity(sens);
      engine.ApplyPreDelayFraction(pct);
      EXPECT_EQ(engine.UpdateLatency(), static_cast<uint32_t>(classic.ActiveDelaySamples())) << sens << " " << pct;
    }
  engine.ApplySensitivity(14.0);
  engine.ApplyPreDelayFraction(75.0);
  EXPECT_EQ(engine.UpdateLatency(), 462u);
  EXPECT_EQ(ImpulseDelay(classic, 500), static_cast<int>(engine.LatencySamples()));
}

TEST(CMTolvaneV1Faults, TheRampLengthFollowsTheSampleRate)
{
  CMTolvaneV1 e;  // 500 ms window: the ramp is 125 ms
  e.SetSampleRate(44100.0);
  EXPECT_EQ(e.Ramp.N, 5512);
  e.SetSampleRate(48000.0);
  EXPECT_EQ(e.Ramp.N, 6000);
  EXPECT_EQ(e.Ramp.step, 1.0 / 6000.0);
  // And the ramp really takes 125 ms at the new rate.
  Signal a(40000, kDcAtMinus30), oa(a.size()), ob(a.size());
  At<2> in({&a, &a}, 0), out({&oa, &ob}, 0);
  e.ProcessFrames(in.p, out.p, 24000, 2, 2);
  e.ProcessFrames(in.p, out.p, 5999, 2, 2);
  EXPECT_LT(e.Ramp.current, 9.0);
  e.ProcessFrames(in.p, out.p, 2, 2, 2);
  EXPECT_EQ(e.Ramp.current, 9.0);
}

TEST(CMTolvaneV1Faults, CutFiltersAboveNyquistStayFinite)
{
  Classic c(32000.0);
  c.engine.FilterMode = 4;
  c.engine.SetLowCutFreq(22000.0);
  c.engine.SetHighCutFreq(22000.0);
  const CMTolvaneV1& e = c.engine;
  for (const FilterStage& f : {e.UserHighPass[0], e.UserHighPass[1], e.UserLowPass[0], e.UserLowPass[1]})
    EXPECT_TRUE(std::fabs(f.a2) < 1.0 && std::fabs(f.a1) < 1.0 + f.a2);
  Signal a(64000), o(a.size());
  for (int i = 0; i < 64000; ++i)
    a[static_cast<size_t>(i)] = 0.3 * std::sin(0.4 * i);
  ridetest::InBlocks(64000, {640}, [&](int pos, int n) { c.RunMono(a, o, pos, n); });
  EXPECT_TRUE(std::isfinite(e.DetectionLevelDb));
  EXPECT_GT(e.DetectionLevelDb, -141.0);
  EXPECT_TRUE(std::all_of(o.begin(), o.end(), [](double v) { return std::isfinite(v); }));
}

TEST(CMTolvaneV1Faults, UnmeasurableInputIsSilenceForTheMetersAndPassesThroughTheAudio)
{
  // One bad sample, through each detection filter: a NaN, or a finite
  // sample whose square overflows (which, filtered or not, would have left
  // the detection meter reading -141 dB and the rider at its idle gain for
  // good). The meters and the gain then follow zeros in its place.
  for (double badValue : {std::numeric_limits<double>::quiet_NaN(), 1e155, -1e300})
  {
    for (int filterMode : {0, 4, 5})
    {
      SCOPED_TRACE(testing::Message() << badValue << " filter mode " << filterMode);
      const int n = 60000, at = 20000, d = 18000;
      Signal a(n), b(n), o1(n), o2(n), p1(n), p2(n);
      for (int i = 0; i < n; ++i)
        a[static_cast<size_t>(i)] = 0.1 * std::sin(2.0 * 3.141592653589793 * 1000.0 * i / 48000.0),
        b[static_cast<size_t>(i)] = 0.04 * std::cos(0.05 * i);
      Signal aBad = a;
      aBad[at] = badValue;
      a[at] = 0.0;
      Classic bad, zero;
      bad.engine.FilterMode = zero.engine.FilterMode = filterMode;
      ridetest::InBlocks(n, {500}, [&](int pos, int len) {
        bad.Run(aBad, b, o1, p1, pos, len);
        zero.Run(a, b, o2, p2, pos, len);
      });
      EXPECT_GT(zero.engine.DetectionLevelDb, -30.0);
      EXPECT_EQ(bad.engine.DetectionLevelDb, zero.engine.DetectionLevelDb);
      EXPECT_EQ(bad.engine.DetectionMeter.GetLevelDb(), zero.engine.DetectionMeter.GetLevelDb());
      EXPECT_EQ(bad.engine.DelayedDetectionMeter.GetLevelDb(), zero.engine.DelayedDetectionMeter.GetLevelDb());
      EXPECT_EQ(bad.engine.OutputMeter.GetLevelDb(), zero.engine.OutputMeter.GetLevelDb());
      EXPECT_EQ(bad.engine.GainDb, zero.engine.GainDb);
      EXPECT_FALSE(std::fabs(o1[at + d]) < 1e100);  // the audio carries it
      o1[at + d] = o2[at + d];
      EXPECT_EQ(o1, o2);
    }
  }
}

TEST(CMTolvaneV1Faults, TheRampCounterSaturatesInsteadOfOverflowing)
{
  Classic c;
  Signal a(40000, kDcAtMinus30), o(a.size());
  c.RunMono(a, o, 0, 24000);
  c.RunMono(a, o, 0, 7000);
  ASSERT_EQ(c.engine.Ramp.current, 9.0);
  ASSERT_EQ(c.engine.Ramp.start, 0.0);  // the ramp came from 0 dB
  c.engine.Ramp.counter = INT_MAX - 3;  // twelve hours later
  c.RunMono(a, o, 0, 100);
  EXPECT_EQ(c.engine.Ramp.counter, INT_MAX);
  EXPECT_EQ(c.engine.Ramp.current, 9.0);
  EXPECT_EQ(c.engine.GainDb, 6.0);
}
