// Detector sections against the model's section, their modes, resets,
// non-finite input and the sliding window of mode 6.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/DetectorSection.h"
#include "tests/dsp/RideReferenceModel.h"

namespace
{
constexpr double kFs = 48000.0;

DetectorSection Section(int mode, double seconds, double fs = kFs)
{
  DetectorSection s;
  SetupDetectorSection(s, mode, seconds, fs);
  return s;
}

double FeedSine(DetectorSection& s, double ampL, double ampR, int frames)
{
  for (int i = 0; i < frames; ++i)
  {
    const double x = std::sin(2.0 * ref::kPi * 997.0 * i / kFs);
    ProcessDetectorSample(s, ampL * x, ampR * x);
  }
  return DetectorLevelDb(s);
}
}  // namespace

TEST(DetectorSection, A997HzSineSettlesAt0dBOnBothChannelsAndMinus3OnOne)
{
  // The integration leaves a small ripple at twice the signal frequency.
  DetectorSection both = Section(2, 0.4), one = Section(2, 0.4);
  EXPECT_NEAR(FeedSine(both, 1.0, 1.0, 5 * 48000), 0.0, 0.05);
  EXPECT_NEAR(FeedSine(one, 1.0, 0.0, 5 * 48000), -3.01, 0.05);
}

TEST(DetectorSection, MatchesTheModelSampleBySample)
{
  for (int mode : {2, 4})
  {
    DetectorSection s = Section(mode, 0.025, 44100.0);
    ref::Section model;
    model.Setup(mode, 0.025, 44100.0);
    for (int i = 0; i < 20000; ++i)
    {
      const double L = 0.5 * std::sin(0.01 * i) + 0.1 * std::sin(0.37 * i), R = 0.3 * std::cos(0.021 * i);
      ProcessDetectorSample(s, L, R);
      model.Feed(L, R);
      ASSERT_EQ(s.power, model.power) << "mode " << mode << " sample " << i;
      ASSERT_EQ(DetectorLevelDb(s), model.Level());
    }
  }
}
