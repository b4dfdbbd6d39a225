// The summary's meters, fed a block at a time: the same figures as the
// project's loudness meter and as whole-programme gain windows, however the
// audio is split.
#include <cmath>

#include <gtest/gtest.h>

#include "dsp/CMEBUR128.h"
#include "tests/tools/ToolsTestSupport.h"
#include "tools/ExampleProgramme.h"
#include "tools/ProgrammeSummary.h"

namespace {

using namespace auhost;

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

TEST(ProgrammeSummary, LoudnessIsTheProjectMetersWhateverTheBlocks)
{
  for (const AudioData& a : {MakeExampleProgramme(48000.0, 30.0), toolstest::StereoExample(30.0),
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
      toolstest::InRandomBlocks(a, longest, 7, [&](const float* const* ch, long n) { meter.Add(ch, n); });
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

// Tones of 150 and 450 Hz, which the K-weighting hardly touches: wherever
// loudness can be measured it matches the figure at 48 kHz; below, the
// summary says it cannot be measured rather than print a figure.
TEST(ProgrammeSummary, LoudnessIsMeasuredOnlyWhereTheWeightingHolds)
{
  const double reference = MeasureLoudness(toolstest::Bursts(3.0, -20.0, 1, 48000.0)).integratedLufs;
  for (const double rate : {1000.0, 2000.0, 3000.0, 3360.0, 3370.0, 4000.0, 8000.0, 22050.0})
  {
    SCOPED_TRACE(rate);
    const Loudness l = MeasureLoudness(toolstest::Bursts(3.0, -20.0, 1, rate));
    const std::string text = FormatSummary(l, l, GainStats{}, 0, rate);
    const bool measured = text.find("LUFS") != std::string::npos;
    EXPECT_EQ(measured, LoudnessMeasurableAt(rate)) << text;
    EXPECT_EQ(measured, text.find("cannot be measured") == std::string::npos) << text;
    if (measured)
    {
      EXPECT_NEAR(l.integratedLufs, reference, 1.0);
    }
    EXPECT_EQ(measured, rate > 3364.0);
  }
}

} // namespace
