// The biquad block, the K-weighting stage, the gain block, the buffer
// helpers and the processor list and chain.
#include <cmath>
#include <limits>
#include <tuple>
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
  a.Tick(std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isfinite(a.y1));
  // The second stage is a high-pass: its numerator is c0·(1, −2, 1).
  KWeightingFilter h;
  h.DesignStage2(44100.0);
  EXPECT_TRUE(h.b1 == -2.0 * h.b0 && h.b2 == h.b0);
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
