// The render's summary on its worker threads: it gets the input and the
// output in separate streams, the output late by the render's latency, in
// blocks of any length, and gives the figures of the whole programmes
// measured at once.
#include <atomic>
#include <cmath>
#include <thread>

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
      // The input on the output's thread, `lag` frames ahead of it, as a
      // render hands them over; or on a thread of its own running ahead as
      // far as it likes, as a file's read-ahead does (the output waits only
      // for the input it is aligned with). Blocks of varying lengths.
      for (const bool inputThread : {false, true})
      {
        SCOPED_TRACE(inputThread ? "input on its own thread" : "input on the output's thread");
        RenderSummary summary(2, 48000.0);
        std::atomic<long> inputAt{0};
        const auto giveInputTo = [&](long end) {
          for (long at = inputAt; at < std::min(in.Frames(), end); at += 128)
          {
            const long m = std::min(128L, in.Frames() - at);
            const float* input[2] = {in.channels[0].data() + at, in.channels[1].data() + at};
            summary.Input(input, m);
            inputAt = at + m;
          }
        };
        std::thread reader;
        if (inputThread)
          reader = std::thread([&] { giveInputTo(in.Frames()); });
        toolstest::InRandomBlocks(out, 700, 3, [&](const float* const* ch, long n) {
          const long needed = std::min(in.Frames(), (ch[0] - out.channels[0].data()) + n + lag);
          if (inputThread)
            while (inputAt < needed)
              std::this_thread::yield();
          else
            giveInputTo(needed);
          summary.Output(ch, n);
        });
        if (reader.joinable())
          reader.join();
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
}

} // namespace
