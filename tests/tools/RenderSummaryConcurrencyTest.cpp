// The render's summary on its worker threads: it gets the input and the
// output in separate streams, the output late by the render's latency, in
// blocks of any length, and gives the figures of the whole programmes
// measured at once.
#include <cmath>

#include <gtest/gtest.h>

#include "tests/tools/ToolsTestSupport.h"
#include "tools/ProgrammeSummary.h"
#include "tools/RenderSummary.h"

namespace {

using namespace auhost;

// The summary's workers get the input and the output in separate streams,
// the output late by the render's latency: the figures are those of the
// whole programmes measured at once.
TEST(ProgrammeSummary, TheRendersSummaryMeasuresWhatWholeProgrammesGive)
{
  // A long programme, and a short one that ends inside a burst, so the
  // last stretch the workers get counts.
  for (const AudioData& in : {toolstest::StereoExample(20.0), toolstest::Bursts(2.9, -20.0)})
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
      toolstest::InRandomBlocks(out, 700, 3, [&](const float* const* ch, long n) {
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
