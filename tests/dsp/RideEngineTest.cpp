// The riding engine against its independent model, its invariants, its
// behaviour at the edges and its mended faults.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <new>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/dsp/RideTestSupport.h"

// --- Allocation count (global replacement of new and delete) -----------------

namespace
{
thread_local int64_t tAllocations = 0;

void* CountedAlloc(std::size_t n) noexcept
{
  ++tAllocations;
  return std::malloc(n == 0 ? 1 : n);
}

void* CheckedAlloc(std::size_t n)
{
  if (void* p = CountedAlloc(n))
    return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t n) { return CheckedAlloc(n); }
void* operator new[](std::size_t n) { return CheckedAlloc(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return CountedAlloc(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return CountedAlloc(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

int64_t ridetest::Allocations()
{
  return tAllocations;
}

using namespace ridetest;

namespace
{
using S = RideEngineState;

// The routing table, written out row by row: for side-chain mode or not, n
// connected inputs, m connected outputs and the processor base's outputs,
// the inputs read as main and side-chain pairs and the outputs written.
struct Route
{
  bool sc;
  int n, m, baseOutputs;
  int mainL, mainR, sideL, sideR, outL, outR;
};
const Route kRoutes[] = {
    {true, 1, 1, 1, 0, 0, 0, 0, 0, 0},   {true, 2, 1, 1, 0, 0, 1, 1, 0, 0},
    {true, 2, 1, 2, 0, 0, 2, 2, 0, 0},  // shifted side-chain with two base outputs
    {true, 3, 1, 1, 0, 0, 1, 2, 0, 0},   {true, 3, 1, 2, 0, 0, 2, 3, 0, 0},   {true, 2, 2, 2, 0, 1, 0, 1, 0, 1},
    {true, 3, 2, 2, 0, 1, 2, 2, 0, 1},   {true, 4, 2, 2, 0, 1, 2, 3, 0, 1},
    {true, 1, 2, 2, 0, 1, 0, 1, 0, 1},   // other
    {true, 4, 1, 1, 0, 1, 0, 1, 0, 0},   // other, one output
    {false, 1, 1, 1, 0, 0, 0, 0, 0, 0},  {false, 2, 1, 1, 0, 0, 0, 0, 0, 0}, {false, 3, 1, 1, 0, 0, 0, 0, 0, 0},
    {false, 2, 1, 2, 0, 0, 0, 0, 0, 0},  {false, 3, 1, 2, 0, 0, 0, 0, 0, 0}, {false, 2, 2, 2, 0, 1, 0, 1, 0, 1},
    {false, 3, 2, 2, 0, 1, 0, 1, 0, 1},  {false, 4, 2, 2, 0, 1, 0, 1, 0, 1},
    {false, 1, 2, 2, 0, 0, 0, 0, 0, 1},  // other
    {false, 4, 1, 1, 0, 0, 0, 0, 0, 0},  // other, one output
};

const Route& RouteFor(bool sc, int n, int m, int baseOutputs)
{
  for (const Route& r : kRoutes)
    if (r.sc == sc && r.n == n && r.m == m && r.baseOutputs == baseOutputs)
      return r;
  ADD_FAILURE() << "no route for " << sc << " " << n << "-" << m << " of " << baseOutputs;
  return kRoutes[0];
}

// Engine and model side by side over four input channels (main pair, then
// side-chain pair) in a layout of nIn-nOut connected channels on a processor
// base with baseOut outputs. Step checks every output sample and, at the
// block's end, the engine values; after a failure it does nothing.
struct ModelRun
{
  ref::Settings s;
  int nIn, nOut, baseOut;
  Rig rig;
  ref::Model model;
  Signal ch[4], out[2];
  int pos = 0;

  ModelRun(const ref::Settings& settings, int frames, uint32_t seed, int in = 2, int outs = 2, int base = 2)
      : s(settings), nIn(in), nOut(outs), baseOut(base), rig(settings, in > 2 ? 4 : 2, base), model(settings)
  {
    for (int c = 0; c < 4; ++c)
      ch[c] = Programme(frames, s.fs, c & 1, seed + (c >= 2 ? 7u : 0u));
    out[0].assign(static_cast<size_t>(frames), 0.0);
    out[1] = out[0];
  }

  void Step(int n)
  {
    if (::testing::Test::HasFatalFailure())
      return;
    At<4> in({&ch[0], &ch[1], &ch[2], &ch[3]}, pos);
    At<2> o({&out[0], &out[1]}, pos);
    rig.Process(in.p, o.p, n, nIn, nOut);
    for (int i = 0; i < n; ++i)
    {
      const size_t k = static_cast<size_t>(pos + i);
      const double v[4] = {ch[0][k], ch[1][k], ch[2][k], ch[3][k]};
      const Route& r = RouteFor(model.s.detectionMode >= 1, nIn, nOut, baseOut);
      double eL, eR;
      model.Sample(v[r.mainL], v[r.mainR], v[r.sideL], v[r.sideR], eL, eR);
      // With one output both results go to the same buffer, right last.
      ASSERT_TRUE(NearGainProduct(out[0][k], nOut == 1 ? eR : eL))
          << "sample " << k << ": " << out[0][k] << " vs " << eL;
      if (nOut == 2)
      {
        ASSERT_TRUE(NearGainProduct(out[1][k], eR)) << "right output differs at sample " << k;
      }
    }
    pos += n;
    const RideEngine& e = rig.engine;
    const double got[] = {e.SmoothedGainDb(), e.NeededGainDb(), e.TargetGainDb(),
                          e.CurrentGainDb(),  e.InputLevelDb(),  e.OutputLevelDb()};
    const double want[] = {model.smoothed, model.needed,     model.targetGain,
                           model.current,  model.inputLevel, model.outputLevel};
    // Up to the gain's exponential the engine is the model bit for bit;
    // the current gain and the output level pass through it.
    for (int v = 0; v < 6; ++v)
      ASSERT_TRUE(v == 3 || v == 5 ? NearDb(got[v], want[v]) : SameBits(got[v], want[v])) << "engine value " << v << " (smoothed, needed, target, current, "
                                             << "input, output) at " << pos << ": " << got[v] << " vs " << want[v];
    ASSERT_EQ(e.RideFlag(), model.ride) << "ride flag at " << pos;
  }
};

// Parameter follow-ups applied to engine and model alike, from a uniform
// draw u in [0, 1).
using FollowUp = void (*)(ModelRun&, double u);
enum
{
  kDetectionMode,
  kSensitivity,
  kDetectorReset = 11
};
const FollowUp kFollowUps[] = {
    [](ModelRun& r, double u) {
      const int mode = static_cast<int>(3.0 * u);
      r.rig.engine.ApplyDetectionMode(mode);
      r.model.s.detectionMode = mode;
      r.model.ResetDetectors();
    },
    [](ModelRun& r, double u) {
      const double ms = 10.0 + 2990.0 * u;
      r.rig.engine.ApplySensitivity(ms);
      r.model.SetSensitivity(ms);
    },
    [](ModelRun& r, double u) {
      const int ms = static_cast<int>(151.0 * u);  // ring lengths change without clearing
      r.rig.engine.ApplyPreDelay(ms);
      r.model.SetPreDelay(ms);
    },
    [](ModelRun& r, double u) {
      const double hz = 10.0 + 1990.0 * u;  // states kept
      r.rig.engine.ApplyLowCut(hz);
      r.model.SetLowCut(hz);
    },
    [](ModelRun& r, double u) {
      const double hz = 1000.0 + (std::min(22000.0, 0.45 * r.s.fs) - 1000.0) * u;
      r.rig.engine.ApplyHighCut(hz);
      r.model.SetHighCut(hz);
    },
    [](ModelRun& r, double u) {
      const double ms = 1.0 + 2999.0 * u;
      r.rig.engine.ApplyNoiseDetectionTiming(ms);
      r.model.SetNoiseTiming(ms);
    },
    [](ModelRun& r, double u) {
      const int mode = static_cast<int>(3.0 * u);
      r.rig.engine.ApplyAutomationMode(mode);
      r.model.SetAutomation(mode);
    },
    [](ModelRun& r, double u) {
      if (r.model.s.automation != 2)
        return;
      r.rig.engine.SetCurrentGainDb(r.model.current = -24.0 + 48.0 * u);
    },
    [](ModelRun& r, double u) { r.rig.engine.ApplyGainHold(r.model.s.gainHold = u < 0.5); },
    [](ModelRun& r, double u) { r.rig.engine.ApplyNoiseDetection(r.model.s.noiseDetection = u < 0.5); },
    [](ModelRun& r, double u) { r.rig.engine.ApplyAB(r.model.s.ab = u < 0.5); },
    [](ModelRun& r, double) {
      r.rig.engine.ResetDetectors();
      r.model.ResetDetectors();
    },
};

struct Scenario
{
  const char* name;
  ref::Settings settings;
  bool sideChain4in;
};

// Product defaults at 48 kHz with the changes each scenario is named after.
const Scenario kScenarios[] = {
    {"Defaults", {}, false},
    {"CutFilters", {.filterMode = 1}, false},
    {"CutFiltersPreDelay44k",
     {.fs = 44100.0, .filterMode = 1, .lowCut = 120.0, .highCut = 9000.0, .sensitivity = 50.0, .preDelayMs = 9},
     false},
    {"SideChain1", {.detectionMode = 1}, true},
    {"SideChain2", {.filterMode = 1, .detectionMode = 2}, true},
    {"NoiseDetection", {.noise = -40.0, .noiseDetection = 1, .noiseTiming = 3.0}, false},
    {"NoiseDetectionSideChain1", {.detectionMode = 1, .noiseDetection = 1}, true},
    {"GainHoldPreDelay", {.preDelayMs = 120, .gainHold = 1}, false},
    {"InvertedRangeIdleVolume", {.rangeMin = 6.0, .rangeMax = -6.0, .idle = 12.0, .volume = -7.5}, false},
    {"AB", {.preDelayMs = 3, .ab = 1}, false},
    {"AutomationWrite96k", {.fs = 96000.0, .automation = 1}, false},
    {"AutomationRead", {.preDelayMs = 10, .automation = 2, .hostGain = -6.25}, false},
    {"SilentVolumeAndIdle", {.idle = -150.0, .volume = -200.0}, false},
};

// Shown by ctest and gtest instead of the bytes of the record.
[[maybe_unused]] void PrintTo(const Scenario& sc, std::ostream* os)
{
  *os << sc.name;
}

class RideEngineModel : public ::testing::TestWithParam<Scenario>
{
};
}  // namespace

TEST_P(RideEngineModel, MatchesTheModelSampleBySampleInRandomAndOneSampleBlocks)
{
  const Scenario& sc = GetParam();
  for (const bool single : {false, true})
  {
    const int frames = static_cast<int>((single ? 0.6 : 2.6) * sc.settings.fs);
    ModelRun run(sc.settings, frames, single ? 3u : 1u, sc.sideChain4in ? 4 : 2);
    InBlocks(frames, single ? std::vector<int>{1} : RandomBlocks(11u, 700), [&](int, int n) { run.Step(n); });
  }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, RideEngineModel, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& p) { return std::string(p.param.name); });

TEST(RideEngineModelChanges, MatchesTheModelAcrossModeSwitchesAndResets)
{
  // Internal, SideChain1, Internal again, a Sensitivity step, SideChain2 and
  // a detector reset: the sections and cut filters that were in step drift
  // apart and the engine must follow each on its own.
  ModelRun run({.filterMode = 1}, 6 * 24000, 21u, 4, 2);
  const std::vector<int> blocks = RandomBlocks(5u, 900);
  const std::vector<std::pair<int, double>> phases[] = {
      {}, {{kDetectionMode, 0.5}}, {{kDetectionMode, 0.1}}, {{kSensitivity, 140.0 / 2990.0}},
      {{kDetectionMode, 0.9}}, {{kDetectionMode, 0.1}, {kDetectorReset, 0.0}}};
  for (const auto& phase : phases)
  {
    for (const auto& [followUp, u] : phase)
      kFollowUps[followUp](run, u);
    InBlocks(24000, blocks, [&](int, int n) { run.Step(n); });
  }
}

TEST(RideEngineModelChanges, MatchesTheModelForRandomSettingsLayoutsAndFollowUps)
{
  // Random settings at several rates, every legal layout (with one and two
  // output channels on the processor base), random block sizes, and between
  // blocks random parameter follow-ups.
  struct Layout
  {
    int nIn, nOut, baseOut;
  };
  const Layout kLayouts[] = {{2, 2, 2}, {3, 2, 2}, {4, 2, 2}, {1, 1, 1}, {2, 1, 1}, {3, 1, 1}, {2, 1, 2}, {3, 1, 2}};
  const double kRates[] = {22050.0, 32000.0, 44100.0, 48000.0, 96000.0};
  std::mt19937 gen(2024u);
  auto I = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(gen); };
  auto R = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(gen); };
  for (int iteration = 0; iteration < 32 && !HasFatalFailure(); ++iteration)
  {
    ref::Settings s{.fs = kRates[I(0, 4)], .filterMode = I(0, 1), .lowCut = R(10.0, 2000.0)};
    s.highCut = R(1000.0, std::min(22000.0, 0.45 * s.fs));
    s.detectionMode = I(0, 2);
    s.target = R(-40.0, 0.0);
    s.sensitivity = R(10.0, 3000.0);
    s.preDelayMs = I(0, 2) == 0 ? 0 : I(1, 150);
    s.noise = R(-90.0, -10.0);
    s.rangeMin = R(-24.0, 0.0);
    s.rangeMax = R(0.0, 24.0);
    if (I(0, 4) == 0)
      std::swap(s.rangeMin, s.rangeMax);
    s.idle = R(-24.0, 24.0);
    s.volume = R(-24.0, 24.0);
    s.gainHold = I(0, 1);
    s.noiseDetection = I(0, 1);
    s.noiseTiming = R(1.0, 3000.0);
    s.ab = I(0, 4) == 0 ? 1 : 0;
    s.automation = I(0, 2);
    s.hostGain = R(-24.0, 24.0);
    const Layout L = kLayouts[I(0, 7)];
    const int frames = static_cast<int>(R(0.2, 0.7) * s.fs);
    ModelRun run(s, frames, static_cast<uint32_t>(I(1, 1000)), L.nIn, L.nOut, L.baseOut);
    SCOPED_TRACE(testing::Message() << "iteration " << iteration << ", layout " << L.nIn << "-" << L.nOut << " of "
                                    << L.baseOut << ", fs " << s.fs);
    while (run.pos < frames && !HasFatalFailure())
    {
      run.Step(std::min(I(1, 1500), frames - run.pos));
      const int k = I(0, 14);
      if (k < static_cast<int>(std::size(kFollowUps)))
        kFollowUps[k](run, R(0.0, 1.0));
    }
  }
}

// --- Invariants ----------------------------------------------------------------

TEST(RideEngineInvariants, OneBlockAndRandomBlocksGiveIdenticalBits)
{
  const ref::Settings s{.filterMode = 1, .preDelayMs = 25};
  const int frames = 96000;
  const Signal a = Programme(frames, s.fs, 0, 5u), b = Programme(frames, s.fs, 1, 5u);
  const RunResult whole = RunBlocks(s, a, b, {frames});
  for (uint32_t seed : {1u, 2u, 3u})
  {
    const RunResult pieces = RunBlocks(s, a, b, RandomBlocks(seed, seed == 1u ? 7 : 2000));
    for (size_t i = 0; i < a.size(); ++i)
      ASSERT_TRUE(SameBits(whole.left[i], pieces.left[i]) && SameBits(whole.right[i], pieces.right[i])) << i;
    const double w[] = {whole.current, whole.smoothed, whole.needed, whole.input, whole.output, 1.0 * whole.ride};
    const double p[] = {pieces.current, pieces.smoothed, pieces.needed, pieces.input, pieces.output, 1.0 * pieces.ride};
    for (int v = 0; v < 6; ++v)
      EXPECT_TRUE(SameBits(w[v], p[v])) << "value " << v << ", seed " << seed;
  }
}

// --- Behaviour -------------------------------------------------------------------

TEST(RideEngine, ARoundedLevelEqualToTheNoiseLevelOpensTheGate)
{
  // The gate level does not depend on the noise level setting, so find a
  // sample whose rounded level is V, then run again with noise level V.
  ref::Settings s;
  Signal a = Programme(24000, s.fs, 0, 4u), b = Programme(24000, s.fs, 1, 4u), o(a.size());
  Rig probe(s);
  int chosen = -1;
  double V = 0.0;
  for (int i = 0; i < 24000 && chosen < 0; ++i)
  {
    probe.Run(a, b, o, o, i, 1);
    const double r = std::floor(10.0 * DetectorLevelDb(probe.engine.State().sections[S::kMainDetection]) + 0.5) / 10.0;
    if (i >= 5000 && r > -100.0)
      chosen = i, V = r;
  }
  ASSERT_GE(chosen, 0);
  for (double noise : {V, V + 0.1})
  {
    s.noise = noise;
    Rig rig(s);
    for (int i = 0; i <= chosen; ++i)
      rig.Run(a, b, o, o, i, 1);
    EXPECT_EQ(rig.engine.RideFlag(), noise == V ? 1 : 0) << "noise level " << noise;
  }
}

TEST(RideEngine, RoutingTable)
{
  double c[4] = {}, d[2] = {};
  double* in[4] = {&c[0], &c[1], &c[2], &c[3]};
  double* out[2] = {&d[0], &d[1]};
  Rig rig(ref::Settings{});
  for (const Route& r : kRoutes)
  {
    rig.engine.SetProcessorFormat(ProcessorFormat{48000.0, 512, r.n, r.baseOutputs});
    const RoutedChannels rc = rig.engine.RouteChannels(in, r.n, out, r.m, r.sc);
    const std::vector<double*> got = {rc.mainL, rc.mainR, rc.sideL, rc.sideR, rc.outL, rc.outR};
    const std::vector<double*> want = {in[r.mainL], in[r.mainR], in[r.sideL], in[r.sideR], out[r.outL], out[r.outR]};
    EXPECT_EQ(got, want) << "side-chain " << r.sc << " n " << r.n << " m " << r.m << " base outputs " << r.baseOutputs;
  }
}

TEST(RideEngine, MonoLayoutWritesTheSameBufferTwiceWithTheSameValue)
{
  // In place, with and without a pre-delay: without one the audio is read
  // straight from the buffer that the output overwrites.
  for (const int preDelayMs : {2, 0})
  {
    const ref::Settings s{.preDelayMs = preDelayMs};
    Rig rig(s, 1, 1);
    ref::Model model(s);
    Signal a = Programme(20000, s.fs, 0), io = a;
    At<1> p({&io}, 0);  // in place, as a host may do
    rig.Process(p.p, p.p, 20000, 1, 1);
    for (size_t i = 0; i < a.size(); ++i)
    {
      double l, r;
      model.Sample(a[i], a[i], a[i], a[i], l, r);
      ASSERT_TRUE(SameBits(l, r) && NearGainProduct(io[i], r)) << "pre-delay " << preDelayMs << " ms, sample " << i;
    }
  }
}

TEST(RideEngine, ZeroFramesChangeNothing)
{
  Rig rig(ref::Settings{});
  Signal a = Programme(9000, 48000.0, 0), o(a.size(), 0.0), sentinel(1, 12345.0);
  rig.Run(a, a, o, o, 0, 9000);
  const double smoothed = rig.engine.SmoothedGainDb(), current = rig.engine.CurrentGainDb();
  rig.Run(a, a, sentinel, sentinel, 0, 0);
  EXPECT_EQ(sentinel[0], 12345.0);
  EXPECT_TRUE(SameBits(rig.engine.SmoothedGainDb(), smoothed));
  EXPECT_TRUE(SameBits(rig.engine.CurrentGainDb(), current));
}

TEST(RideEngine, ProcessingNeitherAllocatesNorBlocksAndASensitivityStepDoesNotReallocate)
{
  Rig rig(ref::Settings{.filterMode = 1, .preDelayMs = 100});
  Signal a = Programme(48000, 48000.0, 0), b = Programme(48000, 48000.0, 1), o0(a.size()), o1(a.size());
  const RideEngineState& st = rig.engine.State();
  const double* ring = st.rings[S::kRingMainL].buffer.data();
  const double* window = st.sections[S::kMainDetection].meter.window.data();
  const int64_t before = Allocations();
  rig.Run(a, b, o0, o1, 0, 48000);
  rig.engine.ApplySensitivity(250.0);
  rig.engine.ApplyPreDelay(300.0);
  rig.engine.ResetDetectors();
  EXPECT_EQ(Allocations(), before);
  EXPECT_EQ(st.rings[S::kRingMainL].buffer.data(), ring);
  EXPECT_EQ(st.sections[S::kMainDetection].meter.window.data(), window);
}

// --- Mended faults ------------------------------------------------------------

TEST(RideEngineFaults, PreDelayRingsAndReportedLatencyAgreeAndAreExact)
{
  // 9 ms at 48 kHz is 432 samples (trunc(0.009 × 48000) would give 431).
  struct Case
  {
    double fs;
    int ms, samples;
  };
  for (const Case& c : {Case{48000.0, 9, 432}, Case{44100.0, 10, 441}, Case{96000.0, 7, 672},
                        Case{48000.0, 3000, 144000}, Case{88200.0, 17, 1499}, Case{22050.0, 1, 22}})
  {
    Rig rig(ref::Settings{.fs = c.fs, .preDelayMs = c.ms, .ab = 1});
    EXPECT_EQ(rig.engine.LatencySamples(), static_cast<uint32_t>(c.samples)) << c.fs << " " << c.ms;
    for (const DelayRing& r : rig.engine.State().rings)
      EXPECT_EQ(r.delayLength, c.samples);
    // An impulse comes out exactly the reported latency later.
    Signal x(static_cast<size_t>(c.samples + 10), 0.0), o(x.size(), 0.0);
    x[0] = 1.0;
    rig.Run(x, x, o, o, 0, c.samples + 10);
    EXPECT_EQ(std::find(o.begin(), o.end(), 1.0) - o.begin(), static_cast<long>(rig.engine.LatencySamples()));
    // And the follow-up of a "Pre-Delay" change agrees too.
    rig.engine.ApplyPreDelay(c.ms);
    EXPECT_EQ(rig.engine.UpdateLatency(), static_cast<uint32_t>(c.samples));
  }
}

TEST(RideEngineFaults, CutFiltersAboveNyquistStayStableAndFinite)
{
  for (double fs : {22050.0, 32000.0})
  {
    Rig rig(ref::Settings{.fs = fs, .filterMode = 1, .lowCut = 22000.0, .highCut = 22000.0});
    // Poles inside the unit circle: |a2| < 1 and |a1| < 1 + a2; the classic
    // engine's user stages are clamped alike.
    for (const FilterStage& f : rig.engine.State().filters)
      EXPECT_TRUE(std::fabs(f.a2) < 1.0 && std::fabs(f.a1) < 1.0 + f.a2);
    for (const FilterStage& f : rig.classic.UserLowPass)
      EXPECT_LT(std::fabs(f.a2), 1.0);
    Signal a = Programme(static_cast<int>(fs), fs, 0), o(a.size());
    rig.Run(a, a, o, o, 0, static_cast<int>(fs));
    EXPECT_TRUE(std::isfinite(rig.engine.SmoothedGainDb()) && std::isfinite(rig.engine.CurrentGainDb()));
    EXPECT_GT(rig.engine.InputLevelDb(), -144.0);
    EXPECT_TRUE(std::all_of(o.begin(), o.end(), [](double v) { return std::isfinite(v); }));
  }
}

TEST(RideEngineFaults, ANonFiniteFilterStateDoesNotSurvive)
{
  FilterStage f;
  f.a0 = f.b0 = 1.0;
  f.a1 = -2.5;  // unstable on purpose
  f.a2 = 1.0;
  double y = 0.0;
  for (int i = 0; i < 5000; ++i)
    y = f.Tick(1.0);
  EXPECT_TRUE(std::isfinite(y));
  EXPECT_TRUE(std::isfinite(f.y1) && std::isfinite(f.y2) && std::isfinite(f.x1) && std::isfinite(f.x2));
}

TEST(RideEngineFaults, OverflowingFiltersAreClearedLaneByLaneAsTheScalarStageDoes)
{
  // Finite samples of alternating sign near the largest double (no host can
  // send them: it delivers 32-bit floats) overflow the cut filters and the
  // detectors: on one channel alone (left or right), then on both at once,
  // in blocks of 512 (four-wide where the processor has it) and of 64 (two
  // doubles). Each lane of the main high-pass must end as the scalar stage
  // fed the same samples, and no filter or section may keep an infinity or
  // a NaN.
  for (int filterMode : {1, 0})
    for (int block : {512, 64})
      for (int loneRight : {0, 1})
      {
        Rig rig(ref::Settings{.filterMode = filterMode});
        const RideEngineState& st = rig.engine.State();
        FilterStage lane[2] = {st.filters[S::kMainHighPassL], st.filters[S::kMainHighPassR]};
        Signal a = Sine(8192, 48000.0, 1000.0, 0.1), b = Sine(8192, 48000.0, 700.0, 0.1), o0(a.size()),
               o1(a.size());
        Signal& lone = loneRight ? b : a;
        for (int i = 1000; i < 1100; ++i)
          lone[static_cast<size_t>(i)] = (i % 2 ? 1.7e308 : -1.7e308);
        for (int i = 3000; i < 3050; ++i)
          a[static_cast<size_t>(i)] = b[static_cast<size_t>(i)] = (i % 2 ? 1.7e308 : -1.7e308);
        const std::string where = std::to_string(filterMode) + " " + std::to_string(block) + " " +
                                  std::to_string(loneRight);
        InBlocks(8192, {block}, [&](int pos, int n) {
          rig.Run(a, b, o0, o1, pos, n);
          for (const FilterStage& f : st.filters)
            ASSERT_TRUE(std::isfinite(f.x1) && std::isfinite(f.x2) && std::isfinite(f.y1) && std::isfinite(f.y2))
                << where << " " << pos;
          for (const DetectorSection& sec : st.sections)
            ASSERT_TRUE(std::isfinite(sec.power) && std::isfinite(sec.stages[1].y1) &&
                        std::isfinite(sec.stages[3].y1))
                << where << " " << pos;
          ASSERT_TRUE(std::isfinite(rig.engine.SmoothedGainDb()) && std::isfinite(rig.engine.CurrentGainDb()));
        });
        if (filterMode == 0)
          continue;
        for (size_t i = 0; i < a.size(); ++i)
          lane[0].Tick(a[i]), lane[1].Tick(b[i]);
        for (int c = 0; c < 2; ++c)
        {
          const FilterStage& f = st.filters[c == 0 ? S::kMainHighPassL : S::kMainHighPassR];
          EXPECT_TRUE(SameBits(f.x1, lane[c].x1) && SameBits(f.x2, lane[c].x2) && SameBits(f.y1, lane[c].y1) &&
                      SameBits(f.y2, lane[c].y2))
              << "lane " << c << ", " << where;
        }
      }
}

TEST(RideEngineFaults, NonFiniteInputIsSilenceForTheDetectorsAndPassesThroughTheAudio)
{
  for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity()})
  {
    const ref::Settings s{.filterMode = 1, .preDelayMs = 1};
    const int at = 12345, D = 48;
    Signal a = Programme(30000, s.fs, 0), b = Programme(30000, s.fs, 1), aBad = a, bBad = b;
    aBad[at] = bad;
    bBad[at + 1] = bad;
    a[at] = 0.0;
    b[at + 1] = 0.0;
    RunResult withBad = RunBlocks(s, aBad, bBad, {333}), withZero = RunBlocks(s, a, b, {333});
    EXPECT_TRUE(SameBits(withBad.current, withZero.current) && SameBits(withBad.smoothed, withZero.smoothed));
    EXPECT_TRUE(SameBits(withBad.input, withZero.input) && SameBits(withBad.output, withZero.output));
    EXPECT_TRUE(std::isfinite(withBad.current));
    EXPECT_FALSE(std::isfinite(withBad.left[at + D]));
    EXPECT_FALSE(std::isfinite(withBad.right[at + 1 + D]));
    withBad.left[at + D] = withZero.left[at + D];
    withBad.right[at + 1 + D] = withZero.right[at + 1 + D];
    EXPECT_EQ(withBad.left, withZero.left);
    EXPECT_EQ(withBad.right, withZero.right);
  }
}

TEST(RideEngineFaults, TheScopeHistoryIsAllocatedOnceAndOnlyEmptied)
{
  // DspInit, RecomputeFilters and a switch to the classic mode empty the
  // one history the engine was made with.
  Rig rig(ref::Settings{});
  ScopeHistory* history = &rig.engine.Scope();
  const std::function<void()> empties[] = {
      [&] { rig.engine.ResetIfFormatChanged(ProcessorFormat{96000.0, 256, 2, 2}); },
      [&] { rig.engine.RecomputeFilters(); }, [&] { rig.engine.ApplyClassicMode(1); }};
  for (const auto& empty : empties)
  {
    for (int i = 0; i < 10; ++i)
      history->Push(-20.0, -18.0, 2.0, 1.0);
    empty();
    EXPECT_EQ(&rig.engine.Scope(), history);
    EXPECT_EQ(history->Count(), 0);
    EXPECT_EQ(history->WriteIndex(), 0);
  }
}

// --- Set-up and follow-ups ------------------------------------------------------

TEST(RideEngineSetup, ResetRunsDspInitOnlyWhenRateOrBlockSizeChangeAndForgetsTheAudio)
{
  Rig rig(ref::Settings{});
  Signal a = Programme(20000, 48000.0, 0), o(a.size());
  rig.Run(a, a, o, o, 0, 20000);
  ASSERT_GT(rig.engine.OutputLevelDb(), -100.0);
  EXPECT_FALSE(rig.engine.ResetIfFormatChanged(ProcessorFormat{48000.0, 512, 2, 2}));
  EXPECT_GT(rig.engine.OutputLevelDb(), -100.0);
  EXPECT_TRUE(rig.engine.ResetIfFormatChanged(ProcessorFormat{48000.0, 1024, 2, 2}));
  EXPECT_TRUE(rig.engine.ResetIfFormatChanged(ProcessorFormat{44100.0, 1024, 2, 2}));
  const RideEngineState& st = rig.engine.State();
  const std::vector<double> got = {1.0 * st.scopePeriod.period, 1.0 * st.automationPeriod.period, st.inputLevelDb,
                                   st.outputLevelDb, rig.engine.OutputLevelDb(), 1.0 * st.rings[0].capacity,
                                   1.0 * st.automation.N, 1.0 * st.sections[S::kNoise].mode,
                                   1.0 * st.sections[S::kMainDetection].mode};
  EXPECT_EQ(got, (std::vector<double>{4410, 2205, -140.0, -144.0, -144.0, 132300, 220, 4, 2}));
}

TEST(RideEngineSetup, RecomputeFiltersAndDspInitBringTheDerivedValuesAndTheClassicEngineInLine)
{
  Rig rig(ref::Settings{.lowCut = 150.0, .highCut = 5000.0});
  RideEngineState& st = rig.engine.State();
  // A classic engine given the cut frequencies directly designs the same
  // user stages.
  const auto expectCuts = [&](double low, double high) {
    CMTolvaneV1 direct;
    direct.SetSampleRate(st.sampleRate);
    direct.SetLowCutFreq(low);
    direct.SetHighCutFreq(high);
    EXPECT_EQ(rig.classic.LowCutHz, low);
    EXPECT_EQ(rig.classic.HighCutHz, high);
    EXPECT_EQ(rig.classic.UserLowPass[1].b0, direct.UserLowPass[1].b0);
    EXPECT_EQ(rig.classic.UserHighPass[1].a1, direct.UserHighPass[1].a1);
  };
  expectCuts(150.0, 5000.0);
  rig.engine.ResetIfFormatChanged(ProcessorFormat{44100.0, 512, 2, 2});
  expectCuts(150.0, 5000.0);
  rig.engine.ResetIfFormatChanged(ProcessorFormat{48000.0, 512, 2, 2});
  st.sensitivityMs = 250.0;
  st.preDelayMs = 20.0;
  st.noiseDetectionTimingMs = 30.0;
  st.highCutHz = 6000.0;
  rig.engine.RecomputeFilters();
  expectCuts(150.0, 6000.0);
  EXPECT_EQ(st.sensitivityCopyMs, 250.0);
  EXPECT_EQ(st.gainCoefficient, std::pow(10.0, -1.0 / (250.0 / 1000.0 * 48000.0)));
  for (const DelayRing& r : st.rings)
    EXPECT_EQ(r.delayLength, 960);
  EXPECT_EQ(st.sections[S::kNoise].coefficient, std::pow(10.0, -1.0 / (0.03 * 48000.0)));
  EXPECT_EQ(rig.classic.WindowMs, 250.0);
  EXPECT_EQ(rig.engine.LatencySamples(), 960u);
}

TEST(RideEngineSetup, ClassicEngineIsKeptInStep)
{
  Rig rig(ref::Settings{.filterMode = 1, .detectionMode = 2, .sensitivity = 800.0, .volume = -2.0, .ab = 1});
  CMTolvaneV1& c = rig.classic;
  const auto state = [&] {
    return std::vector<double>{1.0 * c.DetectionSource, 1.0 * c.FilterMode, c.WindowMs, c.PreDelayFraction,
                               c.TargetDb, c.NoiseDb, c.RangeMinDb, c.RangeMaxDb, 1.0 * c.RideEnabled,
                               c.OutputGainDb, c.LowCutHz, c.HighCutHz};
  };
  EXPECT_EQ(state(), (std::vector<double>{1, 4, 800.0, 0.75, -18.0, -48.0, -9.0, 9.0, 0, -2.0, 300.0, 3400.0}));
  rig.engine.ApplyClassicITUPreFilter(1);
  EXPECT_EQ(c.FilterMode, 5);
  rig.engine.ApplyFilterMode(0);
  EXPECT_EQ(c.FilterMode, 0);
  rig.engine.ApplyDetectionMode(0);
  EXPECT_EQ(c.DetectionSource, 0);
  rig.engine.ApplyTargetLevel(-20.0);
  rig.engine.ApplyRangeMax(4.0);
  EXPECT_EQ(c.TargetDb, -20.0);
  EXPECT_EQ(c.RangeMaxDb, 4.0);
  // Latency in classic mode is the classic engine's own delay.
  rig.engine.ApplyClassicMode(1);
  EXPECT_EQ(rig.engine.UpdateLatency(), static_cast<uint32_t>(c.ActiveDelaySamples()));
  EXPECT_EQ(rig.engine.LatencySamples(), 28800u);  // trunc(trunc(0.8 × 48000) × 0.75)
}

TEST(RideEngineSetup, DetectorResetsClearFourSectionsButNotTheNoiseSection)
{
  // The detector reset itself and every follow-up that runs it (a new
  // sensitivity sets every section up anew, the noise section too).
  const std::pair<const char*, void (*)(RideEngine&)> resets[] = {
      {"reset", [](RideEngine& e) { e.ResetDetectors(); }},
      {"filter mode", [](RideEngine& e) { e.ApplyFilterMode(1); }},
      {"detection mode", [](RideEngine& e) { e.ApplyDetectionMode(1); }},
      {"pre-delay", [](RideEngine& e) { e.ApplyPreDelay(5.0); }},
      {"classic mode", [](RideEngine& e) { e.ApplyClassicMode(1); }},
      {"ITU pre-filter", [](RideEngine& e) { e.ApplyClassicITUPreFilter(1); }},
      {"sensitivity", [](RideEngine& e) { e.ApplySensitivity(300.0); }},
  };
  for (const auto& [name, reset] : resets)
  {
    SCOPED_TRACE(name);
    Rig rig(ref::Settings{});
    Signal a = Programme(20000, 48000.0, 0), o(a.size());
    rig.Run(a, a, o, o, 0, 20000);
    const RideEngineState& st = rig.engine.State();
    const double noisePower = st.sections[S::kNoise].power;
    ASSERT_GT(noisePower, 0.0);
    ASSERT_NE(rig.engine.SmoothedGainDb(), 0.0);
    reset(rig.engine);
    for (int k : {S::kMainDetection, S::kSideChainDetection, S::kOutput, S::kDelayedDetection})
      EXPECT_EQ(st.sections[k].power, 0.0) << "section " << k;
    EXPECT_EQ(st.sections[S::kNoise].power, std::string(name) == "sensitivity" ? 0.0 : noisePower);
    EXPECT_EQ(rig.engine.SmoothedGainDb(), 0.0);
  }
}
