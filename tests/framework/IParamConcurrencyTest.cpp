#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "framework/IParam.h"

using plugkit::IParam;

// The host sets a parameter on its own thread while the audio thread reads
// it: every read sees a whole value that some set stored, never a torn or
// unclamped one (ThreadSanitizer checks the accesses themselves).
TEST(IParamConcurrency, ReadsDuringSetsSeeWholeStoredValues)
{
  IParam param;
  param.InitDouble("Gain", 0.0, -24.0, 24.0, 0.5, "dB", IParam::kFlagStepped);
  constexpr int kSets = 20000;
  std::atomic<bool> done{false};

  std::thread host([&] {
    for (int i = 0; i < kSets; ++i)
      param.SetNormalized((i % 97) / 96.0);
    done.store(true);
  });

  int bad = 0;
  long reads = 0;
  while (!done.load() || reads == 0)
  {
    const double v = param.Value();
    const double previous = param.PreviousValue();
    // Stepped to 0.5 inside the range: twice the value is a whole number.
    if (v < -24.0 || v > 24.0 || v * 2.0 != static_cast<double>(static_cast<long>(v * 2.0)))
      ++bad;
    if (previous < -24.0 || previous > 24.0)
      ++bad;
    ++reads;
  }
  host.join();
  EXPECT_EQ(bad, 0);
  EXPECT_EQ(param.Value(), param.FromNormalized(((kSets - 1) % 97) / 96.0));
}
