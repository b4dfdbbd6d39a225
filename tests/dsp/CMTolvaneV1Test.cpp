// The classic engine: ramp, clamp, floor of the shown gain, delays, routing,
// block-size dependence and its mended faults.
#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <mutex>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/CMTolvaneV1.h"
#include "dsp/RideEngine.h"
#include "tests/dsp/ClassicReferenceModel.h"
#include "tests/dsp/RideTestSupport.h"

namespace
{
// A DC level whose meter reading (rounded, +3 dB) is levelDb.
double DcForMeterLevel(double levelDb)
{
  return std::pow(10.0, (levelDb - 3.0) / 20.0);
}

struct Classic
{
  CMTolvaneV1 engine;
  explicit Classic(double fs)
  {
    engine.SetNumInputs(2);
    engine.SetNumOutputs(2);
    engine.SetSampleRate(fs);
  }
  void Run(std::vector<double>& a, std::vector<double>& b, std::vector<double>& oa, std::vector<double>& ob,
           int start, int frames, int nIn = 2, int nOut = 2)
  {
    double* in[2] = {a.data() + start, b.data() + start};
    double* out[2] = {oa.data() + start, ob.data() + start};
    engine.ProcessFrames(in, out, frames, nIn, nOut);
  }
};
}  // namespace

TEST(CMTolvaneV1, DefaultsRampInAStraightLineToTheTargetAndClampAtRangeMax)
{
  const double fs = 48000.0;
  Classic c(fs);
  const double dc = DcForMeterLevel(-30.0);
  const int total = 480 * 84;
  std::vector<double> a(total, dc), b(total, dc), oa(total), ob(total);
  const int block = 480;
  const int N = 6000;  // trunc(0.125 × 48000)
  ASSERT_EQ(c.engine.Ramp.N, N);
  for (int pos = 0; pos < total; pos += block)
  {
    c.Run(a, b, oa, ob, pos, block);
    const int end = pos + block;
    if (end <= 24000)
    {
      // The 500 ms window is not full before frame 24000: idle gain.
      EXPECT_EQ(c.engine.GainDb, 0.0) << end;
      continue;
    }
    // The level reaches the rider at the first block after frame 24000; the
    // ramp then moves 9 dB in 6000 samples.
    EXPECT_EQ(c.engine.DetectionLevelDb, -30.0);
    const int k = end - 24000;  // samples into the ramp
    const double ideal = std::min(9.0, 9.0 * k / N);
    EXPECT_NEAR(c.engine.Ramp.current, ideal, 1e-9) << end;
    const double g = std::min(c.engine.Ramp.current, 6.0);
    EXPECT_EQ(c.engine.GainDb, std::floor(g * 10.0) / 10.0);
    // The delayed input (18000 samples back) times the unfloored gain.
    EXPECT_EQ(oa[static_cast<size_t>(end - 1)], dc * std::exp(0.11512925464970228 * g)) << end;
  }
  EXPECT_EQ(c.engine.GainDb, 6.0);
  EXPECT_EQ(c.engine.Ramp.current, 9.0);  // held exactly from N + 1 on
  EXPECT_EQ(c.engine.RideFlag, 1);
}

TEST(CMTolvaneV1, BelowTheNoiseLevelTheGainGoesToIdle)
{
  Classic c(48000.0);
  c.engine.IdleGainDb = 3.0;
  c.engine.Reset();
  EXPECT_EQ(c.engine.Ramp.current, 3.0);
  const double dc = DcForMeterLevel(-50.0);  // below -45
  std::vector<double> a(60000, dc), oa(60000), ob(60000);
  c.Run(a, a, oa, ob, 0, 60000);
  c.Run(a, a, oa, ob, 0, 60000);
  EXPECT_EQ(c.engine.DetectionLevelDb, -50.0);
  EXPECT_EQ(c.engine.RideFlag, 0);
  EXPECT_EQ(c.engine.Ramp.current, 3.0);
  EXPECT_EQ(c.engine.GainDb, 3.0);
}

TEST(CMTolvaneV1, InvertedRangeAppliesRangeMin)
{
  Classic c(48000.0);
  c.engine.RangeMinDb = 4.0;
  c.engine.RangeMaxDb = -2.0;
  std::vector<double> a(1000, 0.1), oa(1000), ob(1000);
  c.Run(a, a, oa, ob, 0, 1000);
  EXPECT_EQ(c.engine.GainDb, 4.0);
}

TEST(CMTolvaneV1, GainDbIsFloored)
{
  for (double target : {-29.95, -30.05})
  {
    Classic c(48000.0);
    c.engine.TargetDb = target;  // 0.05 dB or -0.05 dB above the level of -30
    const double dc = DcForMeterLevel(-30.0);
    std::vector<double> a(48000, dc), oa(48000), ob(48000);
    for (int pos = 0; pos < 48000; pos += 1000)
      c.Run(a, a, oa, ob, pos, 1000);
    EXPECT_EQ(c.engine.GainDb, target == -29.95 ? 0.0 : -0.1) << target;
  }
}

TEST(CMTolvaneV1, DelayLengths)
{
  struct Case
  {
    double fs, windowMs, fraction;
    int delay;
  };
  for (const Case& k : {Case{48000.0, 400.0, 0.75, 14400}, Case{44100.0, 14.0, 0.75, 462}, Case{48000.0, 500.0, 0.0, 0},
                        Case{96000.0, 3000.0, 1.0, 288000}})
  {
    CMTolvaneV1 e;
    e.WindowMs = k.windowMs;
    e.PreDelayFraction = k.fraction;
    e.SetSampleRate(k.fs);
    EXPECT_EQ(e.ActiveDelaySamples(), k.delay);
    EXPECT_EQ(e.DelaySamples(), k.delay);
    // An impulse comes out that many samples later (unity gain before the
    // window is full).
    const int frames = k.delay + 5;
    std::vector<double> x(static_cast<size_t>(frames), 0.0), o(x.size(), -1.0), o2(x.size());
    x[0] = 1.0;
    double* in[2] = {x.data(), x.data()};
    double* out[2] = {o.data(), o2.data()};
    e.ProcessFrames(in, out, frames, 2, 2);
    EXPECT_EQ(std::find(o.begin(), o.end(), 1.0) - o.begin(), k.delay) << k.fs << " " << k.windowMs;
  }
}

TEST(CMTolvaneV1, ABPassesTheDelayedInputTimesTheOutputGain)
{
  Classic c(48000.0);
  c.engine.RideEnabled = 0;
  c.engine.OutputGainDb = -6.0;
  c.engine.WindowMs = 20.0;
  c.engine.Reset();
  const int d = 720;  // trunc(960 × 0.75)
  const int n = 20000;
  std::vector<double> a(n), oa(n), ob(n);
  for (int i = 0; i < n; ++i)
    a[static_cast<size_t>(i)] = 0.01 * std::sin(0.01 * i);
  for (int pos = 0; pos < n; pos += 500)
    c.Run(a, a, oa, ob, pos, 500);
  const double u = std::exp(0.11512925464970228 * -6.0);
  for (int i = 0; i < n; ++i)
    ASSERT_EQ(oa[static_cast<size_t>(i)], (i >= d ? a[static_cast<size_t>(i - d)] : 0.0) * u) << i;
  // The rider still computes its gain.
  EXPECT_GT(c.engine.GainDb, 5.0);
}

TEST(CMTolvaneV1, SideChainWithThreeInputsRidesBothMainChannelsFromInputTwo)
{
  CMTolvaneV1 e;
  e.DetectionSource = 1;
  e.WindowMs = 20.0;
  e.SetSampleRate(48000.0);
  const int n = 4800;
  std::vector<double> m0(n, 0.5), m1(n, 0.25), sc(n, DcForMeterLevel(-30.0)), o0(n), o1(n);
  double* in[3] = {m0.data(), m1.data(), sc.data()};
  double* out[2] = {o0.data(), o1.data()};
  e.ProcessFrames(in, out, n / 2, 3, 2);
  double* in2[3] = {m0.data() + n / 2, m1.data() + n / 2, sc.data() + n / 2};
  double* out2[2] = {o0.data() + n / 2, o1.data() + n / 2};
  e.ProcessFrames(in2, out2, n / 2, 3, 2);
  EXPECT_EQ(e.DetectionLevelDb, -30.0);  // the side-chain's level, not the main's
  EXPECT_EQ(e.Ramp.end, -21.0 - -30.0);
}

TEST(CMTolvaneV1, ABlockOfZeroFramesOnlyReadsTheLevel)
{
  Classic c(48000.0);
  const double dc = DcForMeterLevel(-30.0);
  std::vector<double> a(30000, dc), oa(30000), ob(30000);
  c.Run(a, a, oa, ob, 0, 30000);
  EXPECT_EQ(c.engine.DetectionLevelDb, -141.0);  // read at the block start
  const double current = c.engine.Ramp.current;
  c.Run(a, a, oa, ob, 0, 0);
  EXPECT_EQ(c.engine.DetectionLevelDb, -30.0);
  EXPECT_EQ(c.engine.Ramp.current, current);
}

TEST(CMTolvaneV1, TheLevelChangesOncePerBlockSoBlockSizesMatter)
{
  // The ramp starts at the first block boundary after the window is full.
  const double dc = DcForMeterLevel(-30.0);
  std::vector<double> r;
  for (int block : {100, 7000})
  {
    Classic c(48000.0);
    std::vector<double> a(35000, dc), oa(35000), ob(35000);
    for (int pos = 0; pos < 35000; pos += block)
      c.Run(a, a, oa, ob, pos, std::min(block, 35000 - pos));
    r.push_back(c.engine.Ramp.current);
  }
  // Blocks of 100: the ramp starts at 24000 (9 dB after 6000 samples).
  // Blocks of 7000: the level is first seen at 28000.
  EXPECT_EQ(r[0], 9.0);
  EXPECT_NEAR(r[1], 9.0 * 7000 / 6000 > 9.0 ? 9.0 : 9.0 * 7000 / 6000, 1e-9);
  Classic c(48000.0);
  std::vector<double> a(35000, dc), oa(35000), ob(35000);
  for (int pos = 0; pos < 28000; pos += 7000)
    c.Run(a, a, oa, ob, pos, 7000);
  EXPECT_EQ(c.engine.Ramp.current, 0.0);  // nothing before 28000
  c.Run(a, a, oa, ob, 28000, 3000);
  EXPECT_NEAR(c.engine.Ramp.current, 4.5, 1e-9);
}

TEST(CMTolvaneV1, KWeightingAndUserFilterModes)
{
  for (int mode : {4, 5})
  {
    Classic c(48000.0);
    c.engine.FilterMode = mode;
    const int n = 48000;
    std::vector<double> a(n), oa(n), ob(n);
    for (int i = 0; i < n; ++i)
      a[static_cast<size_t>(i)] = 0.1 * std::sin(2.0 * 3.141592653589793 * 1000.0 * i / 48000.0);
    for (int pos = 0; pos < n; pos += 480)
      c.Run(a, a, oa, ob, pos, 480);
    // 1 kHz passes both detection filters nearly unchanged: about -20 dB
    // (+0.7 dB of K-weighting).
    EXPECT_NEAR(c.engine.DetectionLevelDb, mode == 5 ? -19.3 : -20.0, 0.35) << mode;
  }
}

TEST(CMTolvaneV1, NameAndInterface)
{
  CMTolvaneV1 e;
  char name[16];
  EXPECT_TRUE(e.GetName(name));
  EXPECT_STREQ(name, "MTolvane");
  EXPECT_EQ(e.GetNumParams(), 1);
  EXPECT_EQ(e.GetParam(0), 0.0);
  e.SetOptionA(0x101);
  EXPECT_EQ(e.GetOptionA(), 1);
}

TEST(CMTolvaneV1, ProcessingAndAResetAtTheSameRateAllocateNothing)
{
  Classic c(48000.0);
  c.engine.FilterMode = 5;
  std::vector<double> a(48000, 0.01), oa(48000), ob(48000);
  {
    ridetest::AllocationCounter count;
    c.Run(a, a, oa, ob, 0, 48000);
    c.engine.WindowMs = 2000.0;
    c.engine.PreDelayFraction = 1.0;
    c.engine.Reset();
    c.engine.SetLowCutFreq(100.0);
    c.Run(a, a, oa, ob, 0, 48000);
    EXPECT_EQ(count.Count(), 0);
  }
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
  for (int iteration = 0; iteration < 24; ++iteration)
  {
    CMTolvaneV1 e;
    classicref::Model m;
    // The same setting written into the engine and the model.
    auto set = [](auto& engineMember, auto& modelMember, auto value) { engineMember = modelMember = value; };
    set(e.WindowMs, m.windowMs, static_cast<double>(I(10, 1500)));
    set(e.PreDelayFraction, m.fraction, I(0, 100) / 100.0);
    set(e.TargetDb, m.target, R(-40.0, 0.0));
    set(e.NoiseDb, m.noise, R(-70.0, -20.0));
    set(e.RangeMinDb, m.rangeMin, R(-24.0, 24.0));
    set(e.RangeMaxDb, m.rangeMax, R(-24.0, 24.0));
    set(e.IdleGainDb, m.idle, R(-24.0, 24.0));
    set(e.OutputGainDb, m.outputGain, R(-24.0, 24.0));
    set(e.DetectionSource, m.detectionSource, I(0, 1));
    set(e.FilterMode, m.filterMode, I(0, 2) == 0 ? 0 : I(4, 5));
    set(e.RideEnabled, m.rideEnabled, I(0, 4) == 0 ? 0 : 1);
    set(e.LowCutHz, m.lowCut, R(10.0, 1000.0));
    set(e.HighCutHz, m.highCut, R(1000.0, 10000.0));
    set(e.SampleRate, m.fs, kRates[I(0, 4)]);
    e.Reset();
    m.Reset();
    const int layout = I(0, 5);
    const int nIn = kLayouts[layout][0], nOut = kLayouts[layout][1];
    const int frames = static_cast<int>(R(0.4, 1.0) * m.fs);
    std::vector<double> ch[4];
    for (int c = 0; c < 4; ++c)
    {
      ch[c] = ridetest::Programme(frames, m.fs, c & 1, static_cast<uint32_t>(iteration * 4 + c));
      const double scale = R(0.05, 2.0);
      for (double& v : ch[c])
        v *= scale;
    }
    std::vector<double> got[2], want[2];
    for (int c = 0; c < 2; ++c)
      got[c].assign(static_cast<size_t>(frames), 0.0), want[c].assign(static_cast<size_t>(frames), 0.0);
    SCOPED_TRACE(testing::Message() << "iteration " << iteration << ", layout " << nIn << "-" << nOut);
    int pos = 0;
    while (pos < frames)
    {
      const int n = std::min(I(0, 2500), frames - pos);
      double* in[4] = {ch[0].data() + pos, ch[1].data() + pos, ch[2].data() + pos, ch[3].data() + pos};
      double* outE[2] = {got[0].data() + pos, got[1].data() + pos};
      double* outM[2] = {want[0].data() + pos, want[1].data() + pos};
      e.ProcessFrames(in, outE, n, nIn, nOut);
      m.Process(in, outM, n, nIn, nOut);
      const int M = std::min(nOut, 2);
      for (int c = 0; c < M; ++c)
        for (int i = 0; i < n; ++i)
          ASSERT_TRUE(ridetest::SameBits(outE[c][i], outM[c][i])) << "channel " << c << " frame " << pos + i;
      pos += n;
      ASSERT_TRUE(ridetest::SameBits(e.DetectionLevelDb, m.detectionLevel)) << pos;
      ASSERT_TRUE(ridetest::SameBits(e.GainDb, m.gainDb)) << pos;
      ASSERT_EQ(e.RideFlag, m.rideFlag) << pos;
      ASSERT_TRUE(ridetest::SameBits(e.OutputMeter.GetLevelDb(), m.output.Db())) << pos;
      ASSERT_TRUE(ridetest::SameBits(e.DelayedDetectionMeter.GetLevelDb(), m.delayedDetection.Db())) << pos;
      switch (I(0, 15))
      {
        case 0:
          set(e.WindowMs, m.windowMs, static_cast<double>(I(10, 1500)));
          e.Reset();
          m.Reset();
          break;
        case 1:
          set(e.PreDelayFraction, m.fraction, I(0, 100) / 100.0);
          e.Reset();
          m.Reset();
          break;
        case 2:
          e.Reset();
          m.Reset();
          break;
        case 3:
        {
          const double fs = kRates[I(0, 4)];
          e.SetSampleRate(fs);
          m.fs = fs;
          m.Reset();
          break;
        }
        case 4:
        {
          const double hz = R(10.0, 1000.0);
          e.SetLowCutFreq(hz);
          m.lowCut = hz;
          m.DesignUserStages();
          break;
        }
        case 5:
        {
          const double hz = R(1000.0, 10000.0);
          e.SetHighCutFreq(hz);
          m.highCut = hz;
          m.DesignUserStages();
          break;
        }
        case 6:
          set(e.TargetDb, m.target, R(-40.0, 0.0));
          break;
        case 7:
          set(e.IdleGainDb, m.idle, R(-24.0, 24.0));
          break;
        case 8:
          set(e.DetectionSource, m.detectionSource, I(0, 1));
          break;
        case 9:
          set(e.FilterMode, m.filterMode, I(0, 2) == 0 ? 0 : I(4, 5));
          break;
        case 10:
          set(e.RideEnabled, m.rideEnabled, I(0, 1));
          set(e.OutputGainDb, m.outputGain, R(-24.0, 24.0));
          break;
        default:
          break;
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
  engine.ApplySensitivity(14.0);
  engine.ApplyClassicMode(1);
  EXPECT_EQ(engine.UpdateLatency(), 462u);
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
  const int frames = 500;
  std::vector<double> x(frames, 0.0), o(frames, -1.0), o2(frames);
  x[0] = 1.0;
  double* in[2] = {x.data(), x.data()};
  double* out[2] = {o.data(), o2.data()};
  classic.ProcessFrames(in, out, frames, 2, 2);
  EXPECT_EQ(std::find(o.begin(), o.end(), 1.0) - o.begin(), static_cast<long>(engine.LatencySamples()));
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
  const double dc = DcForMeterLevel(-30.0);
  std::vector<double> a(40000, dc), oa(40000), ob(40000);
  double* in[2] = {a.data(), a.data()};
  double* out[2] = {oa.data(), ob.data()};
  e.ProcessFrames(in, out, 24000, 2, 2);
  e.ProcessFrames(in, out, 5999, 2, 2);
  EXPECT_LT(e.Ramp.current, 9.0);
  e.ProcessFrames(in, out, 2, 2, 2);
  EXPECT_EQ(e.Ramp.current, 9.0);
}

TEST(CMTolvaneV1Faults, CutFiltersAboveNyquistStayFinite)
{
  CMTolvaneV1 e;
  e.FilterMode = 4;
  e.SetSampleRate(32000.0);
  e.SetLowCutFreq(22000.0);
  e.SetHighCutFreq(22000.0);
  for (const FilterStage& f : {e.UserHighPass[0], e.UserHighPass[1], e.UserLowPass[0], e.UserLowPass[1]})
  {
    EXPECT_LT(std::fabs(f.a2), 1.0);
    EXPECT_LT(std::fabs(f.a1), 1.0 + f.a2);
  }
  std::vector<double> a(64000), oa(64000), ob(64000);
  for (int i = 0; i < 64000; ++i)
    a[static_cast<size_t>(i)] = 0.3 * std::sin(0.4 * i);
  for (int pos = 0; pos < 64000; pos += 640)
  {
    double* in[2] = {a.data() + pos, a.data() + pos};
    double* out[2] = {oa.data() + pos, ob.data() + pos};
    e.ProcessFrames(in, out, 640, 2, 2);
  }
  EXPECT_TRUE(std::isfinite(e.DetectionLevelDb));
  EXPECT_GT(e.DetectionLevelDb, -141.0);
  for (double v : oa)
    ASSERT_TRUE(std::isfinite(v));
}

TEST(CMTolvaneV1Faults, NonFiniteInputIsSilenceForTheMetersAndPassesThroughTheAudio)
{
  for (int filterMode : {0, 4, 5})
  {
    const int n = 60000, at = 20000, d = 18000;
    std::vector<double> a(n), b(n);
    for (int i = 0; i < n; ++i)
    {
      a[static_cast<size_t>(i)] = 0.05 * std::sin(0.03 * i);
      b[static_cast<size_t>(i)] = 0.04 * std::cos(0.05 * i);
    }
    std::vector<double> aBad = a, aZero = a;
    aBad[at] = std::numeric_limits<double>::quiet_NaN();
    aZero[at] = 0.0;
    std::vector<double> o1(n), o2(n), p1(n), p2(n);
    Classic bad(48000.0), zero(48000.0);
    bad.engine.FilterMode = filterMode;
    zero.engine.FilterMode = filterMode;
    for (int pos = 0; pos < n; pos += 500)
    {
      bad.Run(aBad, b, o1, p1, pos, 500);
      zero.Run(aZero, b, o2, p2, pos, 500);
    }
    EXPECT_EQ(bad.engine.DetectionMeter.GetLevelDb(), zero.engine.DetectionMeter.GetLevelDb());
    EXPECT_EQ(bad.engine.OutputMeter.GetLevelDb(), zero.engine.OutputMeter.GetLevelDb());
    EXPECT_EQ(bad.engine.GainDb, zero.engine.GainDb);
    EXPECT_TRUE(std::isnan(o1[at + d]));
    for (int i = 0; i < n; ++i)
    {
      if (i != at + d)
      {
        ASSERT_EQ(o1[static_cast<size_t>(i)], o2[static_cast<size_t>(i)]) << filterMode << " " << i;
      }
    }
  }
}

TEST(CMTolvaneV1Faults, TheRampCounterSaturatesInsteadOfOverflowing)
{
  Classic c(48000.0);
  const double dc = DcForMeterLevel(-30.0);
  std::vector<double> a(40000, dc), oa(40000), ob(40000);
  c.Run(a, a, oa, ob, 0, 24000);
  c.Run(a, a, oa, ob, 0, 7000);
  ASSERT_EQ(c.engine.Ramp.current, 9.0);
  ASSERT_EQ(c.engine.Ramp.start, 0.0);  // the ramp came from 0 dB
  // Twelve hours later...
  c.engine.Ramp.counter = INT_MAX - 3;
  c.Run(a, a, oa, ob, 0, 100);
  EXPECT_EQ(c.engine.Ramp.counter, INT_MAX);
  EXPECT_EQ(c.engine.Ramp.current, 9.0);
  EXPECT_EQ(c.engine.GainDb, 6.0);
}
