// The biquad block, the K-weighting stage, the gain block, the buffer
// helpers and the processor chain.
#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/BufferHelpers.h"
#include "dsp/CMBiQuadFilter.h"
#include "dsp/CMGain6Ch.h"
#include "dsp/KWeightingFilter.h"

namespace
{
constexpr double kPi = 3.141592653589793;

double RmsDb(const std::vector<double>& x, size_t from)
{
  double s = 0.0;
  for (size_t i = from; i < x.size(); ++i)
    s += x[i] * x[i];
  return 10.0 * std::log10(s / static_cast<double>(x.size() - from));
}

std::vector<double> Tone(double freq, double fs, int n)
{
  std::vector<double> x(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i)
    x[static_cast<size_t>(i)] = std::sin(2.0 * kPi * freq * i / fs);
  return x;
}

void Filter(CMBiQuadFilter& f, std::vector<double>& x, std::vector<double>& y)
{
  y.assign(x.size(), 0.0);
  double* in[2] = {x.data(), x.data()};
  double* out[2] = {y.data(), y.data()};
  f.Process(in, out, static_cast<int32_t>(x.size()));
}
}  // namespace

TEST(CMBiQuadFilter, DefaultPeakingWithZeroGainPassesTheInput)
{
  CMBiQuadFilter f;  // type 0, 100 Hz, 0 dB, Q 1
  const BiQuadCoefficients& c = f.Coefficients();
  EXPECT_EQ(c.b0, c.a0);
  EXPECT_EQ(c.b1, c.a1);
  EXPECT_EQ(c.b2, c.a2);
  std::vector<double> x = Tone(440.0, 44100.0, 2000), y;
  Filter(f, x, y);
  for (size_t i = 0; i < x.size(); ++i)
    ASSERT_NEAR(y[i], x[i], 1e-12);
}

TEST(CMBiQuadFilter, CoefficientsFollowTheCookbookFormulas)
{
  CMBiQuadFilter f;
  f.SetSampleRate(48000.0);
  f.SetParam(CMBiQuadFilter::kParamType, 1.9);  // truncated to 1, high-pass
  f.SetParam(CMBiQuadFilter::kParamFreq, 1000.0);
  f.SetParam(CMBiQuadFilter::kParamQ, 0.5);
  EXPECT_EQ(f.GetParam(CMBiQuadFilter::kParamType), 1.0);
  const double w = 2.0 * kPi * 1000.0 / 48000.0, cw = std::cos(w), alpha = std::sin(w) / (2.0 * 0.5);
  const BiQuadCoefficients& c = f.Coefficients();
  EXPECT_EQ(c.b0, (1.0 + cw) / 2.0);
  EXPECT_EQ(c.b1, -(1.0 + cw));
  EXPECT_EQ(c.a0, 1.0 + alpha);
  EXPECT_EQ(c.a1, -2.0 * cw);
  EXPECT_EQ(c.a2, 1.0 - alpha);
  f.SetParam(CMBiQuadFilter::kParamType, 4);
  f.SetParam(CMBiQuadFilter::kParamGain, 6.0);
  const double A = std::pow(10.0, 6.0 / 40.0);
  EXPECT_EQ(f.Coefficients().a1, 2.0 * ((A - 1.0) - (A + 1.0) * cw));
  EXPECT_NEAR(f.GetMagnitudeDb(20000.0), 6.0, 0.1);
  EXPECT_NEAR(f.GetMagnitudeDb(20.0), 0.0, 0.1);
  EXPECT_EQ(f.GetParam(9), 0.0);
  char name[32];
  EXPECT_TRUE(f.GetName(name));
  EXPECT_STREQ(name, "MBiQuadFilter");
}

TEST(CMBiQuadFilter, AParameterChangeRestartsFromZeroState)
{
  CMBiQuadFilter f;
  f.SetParam(CMBiQuadFilter::kParamType, 2);
  f.SetParam(CMBiQuadFilter::kParamFreq, 500.0);
  std::vector<double> x = Tone(300.0, 44100.0, 1000), y;
  Filter(f, x, y);
  EXPECT_NE(f.Stage(0).y1, 0.0);
  f.SetParam(CMBiQuadFilter::kParamGain, 0.0);
  EXPECT_EQ(f.Stage(0).y1, 0.0);
  EXPECT_EQ(f.Stage(0).x1, 0.0);
  EXPECT_EQ(f.Stage(0).counter, 0u);
  Filter(f, x, y);
  EXPECT_EQ(f.Stage(0).counter, 1000u);
}

TEST(CMBiQuadFilter, BS1770StagesGiveTheKWeightingCurve)
{
  auto gainAt = [](double freq) {
    CMBiQuadFilter s1, s2;
    s1.SetSampleRate(48000.0);
    s2.SetSampleRate(48000.0);
    s1.SetParam(CMBiQuadFilter::kParamType, 5);
    s2.SetParam(CMBiQuadFilter::kParamType, 6);
    std::vector<double> x = Tone(freq, 48000.0, 48000), y, z;
    Filter(s1, x, y);
    Filter(s2, y, z);
    return RmsDb(z, 24000) - RmsDb(x, 24000);
  };
  EXPECT_NEAR(gainAt(997.0), 0.7, 0.05);
  EXPECT_NEAR(gainAt(4000.0), 4.0, 0.1);
  EXPECT_NEAR(gainAt(10000.0), 4.0, 0.2);
  EXPECT_LT(gainAt(20.0), -10.0);
}

TEST(CMBiQuadFilter, WithoutInputChannelsThereAreNoStages)
{
  CMBiQuadFilter f;
  f.SetNumInputs(0);
  EXPECT_EQ(f.NumStages(), 0);
  double v = 5.0;
  double* p[1] = {&v};
  f.Process(p, p, 1);
  EXPECT_EQ(v, 5.0);
}

TEST(KWeightingFilter, DesignFollowsTheFormulas)
{
  KWeightingFilter k;
  k.DesignStage1(44100.0);
  const double K = std::tan(kPi * 1681.974450955532 / 44100.0), Q = 0.70717523695542;
  const double n = K * K + K / Q + 1.0;
  EXPECT_EQ(k.a0, 1.0);
  EXPECT_EQ(k.a1, 2.0 * (K * K - 1.0) / n);
  EXPECT_EQ(k.b0, (1.0 * (K * K) + 1.25872093023256 * K / Q + 1.58486470113086) / n);
  EXPECT_EQ(k.b2, (1.0 * (K * K) - 1.25872093023256 * K / Q + 1.58486470113086) / n);
  KWeightingFilter h;
  h.DesignStage2(44100.0);
  // A high-pass: the numerator is c0·(1, −2, 1)/a0'.
  EXPECT_EQ(h.b1, -2.0 * h.b0);
  EXPECT_EQ(h.b2, h.b0);
}

TEST(KWeightingFilter, TinyValuesAreFlushedAndNonFiniteInputIsSilence)
{
  KWeightingFilter k;
  k.DesignStage1(48000.0);
  EXPECT_EQ(k.Tick(6e-8), 0.0);  // below the flush level
  EXPECT_EQ(k.x1, 0.0);
  const double y = k.Tick(0.5);
  EXPECT_EQ(y, k.b0 * 0.5);
  KWeightingFilter a = k, b = k;
  a.Tick(std::numeric_limits<double>::quiet_NaN());
  b.Tick(0.0);
  EXPECT_EQ(a.y1, b.y1);
  EXPECT_EQ(a.x1, b.x1);
  a.Tick(std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isfinite(a.y1));
}

TEST(BufferHelpers, DbToGain)
{
  double g = -1.0;
  DbToGain(&g, -144.0);
  EXPECT_EQ(g, 0.0);
  DbToGain(&g, -200.0);
  EXPECT_EQ(g, 0.0);
  DbToGain(&g, 0.0);
  EXPECT_EQ(g, 1.0);
  DbToGain(&g, -6.0);
  EXPECT_EQ(g, std::exp(0.11512925464970228 * -6.0));
  UnityGain(&g);
  EXPECT_EQ(g, 1.0);
  EXPECT_EQ(LinearToDb(1e-8), -144.0);
  EXPECT_EQ(LinearToDb(-0.5), 8.685889638065037 * std::log(0.5));
  EXPECT_EQ(RoundToTenthDb(-0.05), 0.0);
  EXPECT_EQ(RoundToTenthDb(-0.06), -0.1);
}

TEST(BufferHelpers, CopyChannelBuffersSkipsNullChannelsAndHonoursTheOffset)
{
  std::vector<double> a{1, 2, 3}, b{4, 5, 6}, oa(5, 0.0), ob(5, 0.0);
  double* in[2] = {a.data(), b.data()};
  double* out[2] = {oa.data(), nullptr};
  CopyChannelBuffers(in, out, 3, 0, 0);
  EXPECT_EQ(oa, (std::vector<double>{0, 0, 0, 0, 0}));
  CopyChannelBuffers(in, out, 3, 2, 2);
  EXPECT_EQ(oa, (std::vector<double>{0, 0, 1, 2, 3}));
  out[1] = ob.data();
  CopyChannelBuffers(in, out, 3, 2, 0);
  EXPECT_EQ(ob, (std::vector<double>{4, 5, 6, 0, 0}));
  CopyBuffer(nullptr, ob.data(), 3, 0);
  double** buffers = AllocateChannelBuffers(4, 3);
  ClearChannelBuffers(buffers, 4, 3);
  EXPECT_EQ(buffers[2][3], 0.0);
  FreeChannelBuffers(buffers, 3);
  std::vector<double> o(3);
  const double half = 0.5;
  ApplyGain(&half, a.data(), o.data(), 3);
  EXPECT_EQ(o, (std::vector<double>{0.5, 1.0, 1.5}));
}

TEST(CMGain6Ch, GainsInDecibels)
{
  CMGain6Ch g;
  g.SetParam(0, -144.0);
  g.SetParam(1, 0.0);
  g.SetParam(2, 6.0);
  g.SetParam(6, 6.0);  // ignored
  EXPECT_EQ(g.Gain(0), 0.0);
  EXPECT_EQ(g.Gain(1), 1.0);
  EXPECT_EQ(g.Gain(2), std::exp(0.11512925464970228 * 6.0));
  g.SetNumInputs(2);
  std::vector<double> a{1.0, 2.0}, b{3.0, 4.0}, oa(2, 9.0), ob(2, 9.0);
  double* in[2] = {a.data(), b.data()};
  double* out[2] = {oa.data(), ob.data()};
  g.Process(in, out, 2);
  EXPECT_EQ(oa, (std::vector<double>{0.0, 0.0}));
  EXPECT_EQ(ob, b);
  EXPECT_EQ(g.GetNumParams(), 6);
  g.ResetGains();
  EXPECT_EQ(g.Gain(0), 1.0);
  char name[16];
  EXPECT_TRUE(g.GetName(name));
  EXPECT_STREQ(name, "MGain6Ch");
}

TEST(ProcessorChain, DisabledProcessorsLeaveTheOutputsAsPassed)
{
  ProcessorChain chain;
  auto* g = new CMGain6Ch();
  g->SetOptionA(0);
  chain.Append(g);
  chain.SetFormat(1, 1, 48000.0);
  std::vector<double> a{1.0, 2.0}, o{7.0, 7.0};
  double* in[1] = {a.data()};
  double* out[1] = {o.data()};
  chain.Process(in, out, 2);
  EXPECT_EQ(o, (std::vector<double>{7.0, 7.0}));
  g->SetOptionA(1);
  g->SetParam(0, -144.0);
  chain.Process(in, out, 2);
  EXPECT_EQ(o, (std::vector<double>{0.0, 0.0}));
  ProcessorChain empty;
  empty.SetFormat(1, 1, 48000.0);
  empty.Process(in, out, 2);
  EXPECT_EQ(o, a);
}

TEST(ProcessorList, GetStopsAtTheEnds)
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
}
