// The biquad block, the K-weighting stage, the gain block, the buffer
// helpers and the processor list and chain.
#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/BufferHelpers.h"
#include "dsp/CMBiQuadFilter.h"
#include "dsp/CMGain6Ch.h"
#include "dsp/KWeightingFilter.h"

namespace
{
constexpr double kPi = 3.141592653589793;
using Signal = std::vector<double>;

Signal Tone(double freq, double fs, int n)
{
  Signal x(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i)
    x[static_cast<size_t>(i)] = std::sin(2.0 * kPi * freq * i / fs);
  return x;
}

// Gain in dB of y over x, over their second halves.
double GainDb(const Signal& x, const Signal& y)
{
  double sx = 0.0, sy = 0.0;
  for (size_t i = x.size() / 2; i < x.size(); ++i)
    sx += x[i] * x[i], sy += y[i] * y[i];
  return 10.0 * std::log10(sy / sx);
}

Signal Filter(CMBiQuadFilter& f, Signal x)
{
  Signal y(x.size(), 0.0);
  double* in[2] = {x.data(), x.data()};
  double* out[2] = {y.data(), y.data()};
  f.Process(in, out, static_cast<int32_t>(x.size()));
  return y;
}

void Set(CMBiQuadFilter& f, double type, double freq, double gainDb, double q, double fs = 48000.0)
{
  f.SetSampleRate(fs);
  f.SetParam(CMBiQuadFilter::kParamType, type);
  f.SetParam(CMBiQuadFilter::kParamFreq, freq);
  f.SetParam(CMBiQuadFilter::kParamGain, gainDb);
  f.SetParam(CMBiQuadFilter::kParamQ, q);
}

// A processor that counts its destructions.
struct Counted : CMGain6Ch
{
  static inline int destroyed = 0;
  ~Counted() override { ++destroyed; }
};
}  // namespace

TEST(CMBiQuadFilter, EveryTypeHasTheResponseItIsNamedFor)
{
  // The magnitude well below and well above the corner (1 kHz), and the
  // measured gain of a tone where the filter acts.
  struct Case
  {
    double type, low, high, toneHz, toneDb;
  };
  const Case cases[] = {
      {0, 0.0, 0.0, 1000.0, 6.0},  {1.9, -60.0, 0.0, 20000.0, 0.0},  // 1.9 is truncated to 1
      {2, 0.0, -60.0, 20.0, 0.0},  {3, 6.0, 0.0, 20.0, 6.0},
      {4, 0.0, 6.0, 20000.0, 6.0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.type);
    CMBiQuadFilter f;
    Set(f, c.type, 1000.0, 6.0, 0.7);
    EXPECT_EQ(f.GetParam(CMBiQuadFilter::kParamType), std::trunc(c.type));
    EXPECT_NEAR(std::max(f.GetMagnitudeDb(10.0), -60.0), c.low, 0.2);
    EXPECT_NEAR(std::max(f.GetMagnitudeDb(23000.0), -60.0), c.high, 0.2);
    const Signal x = Tone(c.toneHz, 48000.0, 48000);
    EXPECT_NEAR(GainDb(x, Filter(f, x)), c.toneDb, 0.2);
  }
  // The default (peaking, 0 dB) passes the input unchanged.
  CMBiQuadFilter flat;
  const Signal x = Tone(440.0, 44100.0, 2000), y = Filter(flat, x);
  for (size_t i = 0; i < x.size(); ++i)
    ASSERT_NEAR(y[i], x[i], 1e-12);
}

TEST(CMBiQuadFilter, BS1770StagesGiveTheKWeightingCurve)
{
  for (const auto& [freq, gain, tolerance] : {std::tuple{997.0, 0.7, 0.05}, {4000.0, 4.0, 0.1}, {10000.0, 4.0, 0.2}})
  {
    CMBiQuadFilter s1, s2;
    Set(s1, 5, 0.0, 0.0, 1.0);
    Set(s2, 6, 0.0, 0.0, 1.0);
    const Signal x = Tone(freq, 48000.0, 48000);
    EXPECT_NEAR(GainDb(x, Filter(s2, Filter(s1, x))), gain, tolerance) << freq;
  }
}

TEST(CMBiQuadFilter, AParameterChangeRestartsFromZeroStateAndNoInputMeansNoStages)
{
  CMBiQuadFilter f;
  Set(f, 2, 500.0, 0.0, 1.0, 44100.0);
  Filter(f, Tone(300.0, 44100.0, 1000));
  ASSERT_NE(f.Stage(0).y1, 0.0);
  f.SetParam(CMBiQuadFilter::kParamGain, 0.0);  // the same value: still a rebuild
  const BiQuadStage& s = f.Stage(0);
  EXPECT_TRUE(s.x1 == 0.0 && s.x2 == 0.0 && s.y1 == 0.0 && s.y2 == 0.0 && s.counter == 0u);
  // So the filter answers as a fresh one does.
  CMBiQuadFilter fresh;
  Set(fresh, 2, 500.0, 0.0, 1.0, 44100.0);
  const Signal x = Tone(300.0, 44100.0, 1000);
  EXPECT_EQ(Filter(f, x), Filter(fresh, x));
  EXPECT_EQ(f.Stage(0).counter, 1000u);
  CMBiQuadFilter none;
  none.SetNumInputs(0);
  EXPECT_EQ(none.NumStages(), 0);
  double v = 5.0, *p[1] = {&v};
  none.Process(p, p, 1);
  EXPECT_EQ(v, 5.0);
}

TEST(KWeightingFilter, TinyValuesAreFlushedAndNonFiniteInputIsSilence)
{
  KWeightingFilter k;
  k.DesignStage1(48000.0);
  EXPECT_EQ(k.Tick(6e-8), 0.0);  // below the flush level
  EXPECT_EQ(k.x1, 0.0);
  EXPECT_EQ(k.Tick(0.5), k.b0 * 0.5);
  KWeightingFilter a = k, b = k;
  a.Tick(std::numeric_limits<double>::quiet_NaN());
  b.Tick(0.0);
  EXPECT_TRUE(a.y1 == b.y1 && a.x1 == b.x1);
  // Infinities and samples whose squares could overflow are silence too.
  for (double bad : {std::numeric_limits<double>::infinity(), -1e155, 0x1p448})
  {
    KWeightingFilter c = a, d = a;
    EXPECT_EQ(c.Tick(bad), d.Tick(0.0)) << bad;
    EXPECT_TRUE(c.x1 == d.x1 && c.y1 == d.y1) << bad;
  }
  EXPECT_EQ(a.Tick(0x1p447), a.b0 * 0x1p447);  // just below the limit: measured
  // The second stage is a high-pass: its numerator is c0·(1, −2, 1).
  KWeightingFilter h;
  h.DesignStage2(44100.0);
  EXPECT_TRUE(h.b1 == -2.0 * h.b0 && h.b2 == h.b0);
}

TEST(BufferHelpers, CopiesHonourTheOffsetAndSkipNullChannelsAndClearsReachEveryFrame)
{
  struct Case
  {
    const char* name;
    int channels, offset;
    bool nullSecondOutput;
    Signal wantA, wantB;
  };
  const Case cases[] = {
      {"no channels copy nothing", 0, 0, false, {9, 9, 9, 9, 9}, {9, 9, 9, 9, 9}},
      {"one channel copies only the first", 1, 0, false, {1, 2, 3, 9, 9}, {9, 9, 9, 9, 9}},
      {"an offset moves the copy", 2, 2, false, {9, 9, 1, 2, 3}, {9, 9, 4, 5, 6}},
      {"a null output channel is left out", 2, 1, true, {9, 1, 2, 3, 9}, {9, 9, 9, 9, 9}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Signal a{1, 2, 3}, b{4, 5, 6}, oa(5, 9.0), ob(5, 9.0);
    double* in[2] = {a.data(), b.data()};
    double* out[2] = {oa.data(), c.nullSecondOutput ? nullptr : ob.data()};
    CopyChannelBuffers(in, out, 3, c.channels, c.offset);
    EXPECT_EQ(oa, c.wantA);
    EXPECT_EQ(ob, c.wantB);
  }
  Signal one(4, 9.0);
  CopyBuffer(nullptr, one.data(), 3, 0);
  CopyBuffer(one.data(), nullptr, 3, 0);
  EXPECT_EQ(one, Signal(4, 9.0));
  double** buffers = AllocateChannelBuffers(4, 3);
  for (int c = 0; c < 3; ++c)
    std::fill(buffers[c], buffers[c] + 4, 9.0);
  ClearChannelBuffers(buffers, 4, 3);
  for (int c = 0; c < 3; ++c)
    EXPECT_EQ(Signal(buffers[c], buffers[c] + 4), Signal(4, 0.0)) << c;
  FreeChannelBuffers(buffers, 3);
}

TEST(BufferHelpers, RoundingToATenthTakesHalvesUpward)
{
  // floor(10·x + 0.5) / 10: a half goes toward +∞, also below zero, as the
  // noise gate compares levels.
  const std::pair<double, double> cases[] = {{-0.25, -0.2}, {0.25, 0.3}, {-1.75, -1.7}, {1.75, 1.8},
                                             {-0.26, -0.3}, {-144.04, -144.0}, {0.0, 0.0}};
  for (const auto& [x, want] : cases)
    EXPECT_EQ(RoundToTenthDb(x), want) << x;
}

TEST(CMGain6Ch, GainsInDecibelsOnTheFirstSixChannels)
{
  CMGain6Ch g;
  g.SetParam(0, -144.0);
  g.SetParam(2, 6.0);
  g.SetParam(6, 6.0);  // no seventh gain: ignored
  g.SetNumInputs(7);
  std::vector<Signal> in(7, Signal{1.0, 2.0}), out(7, Signal(2, 9.0));
  std::vector<double*> pi, po;
  for (int c = 0; c < 7; ++c)
    pi.push_back(in[c].data()), po.push_back(out[c].data());
  g.Process(pi.data(), po.data(), 2);
  EXPECT_EQ(out[0], (Signal{0.0, 0.0}));
  EXPECT_EQ(out[1], in[1]);
  EXPECT_EQ(out[2], (Signal{std::exp(0.11512925464970228 * 6.0), 2.0 * std::exp(0.11512925464970228 * 6.0)}));
  EXPECT_EQ(out[6], Signal(2, 9.0)) << "a seventh channel is left alone";
  g.ResetGains();
  EXPECT_EQ(g.Gain(0), 1.0);
}

TEST(ProcessorList, GetStopsAtTheEndsAndEachOwnershipModeDisposesAsItSays)
{
  {
    ProcessorList list;
    EXPECT_EQ(list.Get(0), nullptr);
    EXPECT_EQ(list.CursorIndex(), -1);
    CPluginProcessor* p[3] = {new CMGain6Ch(), new CMGain6Ch(), new CMGain6Ch()};
    for (CPluginProcessor* e : p)
      list.Append(e);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Get(5), p[2]);
    EXPECT_EQ(list.Get(-3), p[0]);
    EXPECT_EQ(list.Get(1), p[1]);
  }  // mode 2 with the default disposer deletes them (ASan watches)
  static int disposed = 0;
  for (int mode : {0, 1, 2})
  {
    Counted::destroyed = disposed = 0;
    Counted* kept[2] = {new Counted(), new Counted()};
    {
      ProcessorList list;
      list.SetOwnershipMode(mode);
      list.SetDisposer([](CPluginProcessor* p) {
        ++disposed;
        delete p;
      });
      for (Counted* c : kept)
        list.Append(c);
    }
    EXPECT_EQ(Counted::destroyed, mode == 0 ? 0 : 2) << "mode " << mode;
    EXPECT_EQ(disposed, mode == 2 ? 2 : 0) << "mode " << mode;
    if (mode == 0)
      delete kept[0], delete kept[1];
  }
}

TEST(ProcessorChain, DisabledProcessorsArePassedOverAndAnEmptyChainCopies)
{
  // -6 dB gain blocks: an enabled one works on the previous one's result;
  // with none enabled the outputs stay as the caller passed them.
  const double half = std::exp(0.11512925464970228 * -6.0);
  struct Case
  {
    const char* name;
    std::vector<int> enabled;  // one gain block per entry
    Signal want;               // from the input {1, 2}, outputs starting {7, 7}
  };
  const Case cases[] = {
      {"empty chain copies the input", {}, {1.0, 2.0}},
      {"one disabled block leaves the outputs", {0}, {7.0, 7.0}},
      {"two enabled blocks chain", {1, 1}, {half * half, 2.0 * half * half}},
      {"a disabled block between two enabled ones", {1, 0, 1}, {half * half, 2.0 * half * half}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    ProcessorChain chain;
    for (int on : c.enabled)
    {
      auto* g = new CMGain6Ch();
      g->SetParam(0, -6.0);
      g->SetOptionA(on);
      chain.Append(g);
    }
    chain.SetFormat(1, 1, 48000.0);
    Signal a{1.0, 2.0}, o{7.0, 7.0};
    double* in[1] = {a.data()};
    double* out[1] = {o.data()};
    chain.Process(in, out, 2);
    EXPECT_EQ(o, c.want);
    EXPECT_EQ(a, (Signal{1.0, 2.0}));
  }
}
