// The render's summary, measured a block at a time as the audio passes:
// the same figures as the project's loudness meter and as whole-programme
// gain windows, however the audio is split and however far the output
// lags the input.
#include <cmath>
#include <random>

#include <gtest/gtest.h>

#include "dsp/CMEBUR128.h"
#include "tests/tools/ToolsTestSupport.h"
#include "tools/ExampleProgramme.h"
#include "tools/ProgrammeSummary.h"
#include "tools/RenderSummary.h"

namespace {

using namespace auhost;

// The example made stereo: the second channel a little later and quieter.
AudioData StereoExample(double seconds)
{
  AudioData a = MakeExampleProgramme(48000.0, seconds);
  std::vector<float> second(a.channels[0].size(), 0.0f);
  for (size_t i = 4800; i < second.size(); ++i)
    second[i] = 0.7f * a.channels[0][i - 4800];
  a.channels.push_back(std::move(second));
  return a;
}

Loudness OfProjectMeter(const AudioData& a)
{
  CMEBUR128 meter;
  meter.SetNumInputs(static_cast<uint32_t>(a.NumChannels()));
  meter.SetNumOutputs(0);
  meter.SetSampleRate(a.sampleRate);
  double frame[2] = {0.0, 0.0};
  for (long f = 0; f < a.Frames(); ++f)
  {
    for (int c = 0; c < a.NumChannels(); ++c)
      frame[c] = a.channels[c][f];
    meter.AddFrame(frame, a.NumChannels());
  }
  return {meter.GetIntegratedLufs(), meter.GetLoudnessRange()};
}

// Hands `a` over in blocks of random lengths from 1 to `longest`.
template <typename Hand>
void InRandomBlocks(const AudioData& a, long longest, unsigned seed, Hand hand)
{
  std::mt19937 random(seed);
  std::uniform_int_distribution<long> length(1, longest);
  for (long at = 0; at < a.Frames();)
  {
    const long n = std::min(length(random), a.Frames() - at);
    const float* channels[2] = {a.channels[0].data() + at, a.channels.back().data() + at};
    hand(channels, n);
    at += n;
  }
}

TEST(ProgrammeSummary, LoudnessIsTheProjectMetersWhateverTheBlocks)
{
  for (const AudioData& a : {MakeExampleProgramme(48000.0, 30.0), StereoExample(30.0),
                             MakeExampleProgramme(44100.0, 12.0)})
  {
    SCOPED_TRACE(testing::Message() << a.NumChannels() << " channels at " << a.sampleRate);
    const Loudness want = OfProjectMeter(a);
    ASSERT_GT(want.integratedLufs, -70.0);
    ASSERT_GT(want.rangeLu, 1.0);
    const Loudness whole = MeasureLoudness(a);
    EXPECT_EQ(whole.integratedLufs, want.integratedLufs);
    EXPECT_EQ(whole.rangeLu, want.rangeLu);
    for (long longest : {1L, 300L, 9000L})
    {
      LoudnessMeter meter(a.NumChannels(), a.sampleRate);
      InRandomBlocks(a, longest, 7, [&](const float* const* ch, long n) { meter.Add(ch, n); });
      EXPECT_EQ(meter.Result().integratedLufs, want.integratedLufs) << "blocks up to " << longest;
      EXPECT_EQ(meter.Result().rangeLu, want.rangeLu) << "blocks up to " << longest;
    }
  }
}

// Output = input times a known gain: every window not silent gives it.
TEST(ProgrammeSummary, GainWindowsGiveAKnownGainAndSkipSilence)
{
  for (const double gainDb : {-9.0, 0.0, 4.5})
  {
    SCOPED_TRACE(gainDb);
    const AudioData in = toolstest::Bursts(2.0, -20.0);
    AudioData out = in;
    for (auto& ch : out.channels)
      for (float& v : ch)
        v = static_cast<float>(v * std::pow(10.0, gainDb / 20.0));
    const GainStats stats = MeasureGain(in, out);
    // Bursts of 200 ms every 300 ms: some 100 ms windows are all pause.
    EXPECT_GT(stats.windows, 5);
    EXPECT_LT(stats.windows, 20);
    EXPECT_NEAR(stats.minDb, gainDb, 1e-5);
    EXPECT_NEAR(stats.maxDb, gainDb, 1e-5);
    EXPECT_NEAR(stats.meanDb, gainDb, 1e-5);
  }
  const AudioData silence = toolstest::Bursts(1.0, -200.0);
  EXPECT_EQ(MeasureGain(silence, silence).windows, 0);
}

// The summary's workers get the input and the output in separate streams,
// the output late by the render's latency: the figures are those of the
// whole programmes measured at once.
TEST(ProgrammeSummary, TheRendersSummaryMeasuresWhatWholeProgrammesGive)
{
  // A long programme, and a short one that ends inside a burst, so the
  // last stretch the workers get counts.
  for (const AudioData& in : {StereoExample(20.0), toolstest::Bursts(2.9, -20.0)})
    for (const long lag : {0L, 333L, 48000L})
    {
      SCOPED_TRACE(testing::Message() << in.Frames() << " frames, output " << lag << " behind");
      // A gain that moves, and differs between the channels.
      AudioData out = in;
      for (int c = 0; c < 2; ++c)
        for (size_t i = 0; i < out.channels[c].size(); ++i)
          out.channels[c][i] *= static_cast<float>((c ? 0.9 : 0.5) + 0.4 * std::sin(double(i) / 48000.0));
      const Loudness wantIn = MeasureLoudness(in), wantOut = MeasureLoudness(out);
      const GainStats wantGain = MeasureGain(in, out);
      RenderSummary summary(2, 48000.0);
      // The input runs `lag` frames ahead of the output, as a render hands
      // them over; blocks of varying lengths.
      long inputAt = 0;
      InRandomBlocks(out, 700, 3, [&](const float* const* ch, long n) {
        for (; inputAt < std::min(in.Frames(), (ch[0] - out.channels[0].data()) + n + lag); inputAt += 128)
        {
          const long m = std::min(128L, in.Frames() - inputAt);
          const float* input[2] = {in.channels[0].data() + inputAt, in.channels[1].data() + inputAt};
          summary.Input(input, m);
        }
        summary.Output(ch, n);
      });
      summary.Finish();
      EXPECT_EQ(summary.InputLoudness().integratedLufs, wantIn.integratedLufs);
      EXPECT_EQ(summary.InputLoudness().rangeLu, wantIn.rangeLu);
      EXPECT_EQ(summary.OutputLoudness().integratedLufs, wantOut.integratedLufs);
      EXPECT_EQ(summary.OutputLoudness().rangeLu, wantOut.rangeLu);
      EXPECT_EQ(summary.Gain().windows, wantGain.windows);
      EXPECT_NEAR(summary.Gain().minDb, wantGain.minDb, 1e-9);
      EXPECT_NEAR(summary.Gain().maxDb, wantGain.maxDb, 1e-9);
      EXPECT_NEAR(summary.Gain().meanDb, wantGain.meanDb, 1e-9);
    }
}

} // namespace
