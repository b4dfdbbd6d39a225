#include "dsp/TruePeakOversampler.h"

#include <cmath>

namespace
{
// Tap k of phase p of the four-times filter. Phase 3 is phase 0 reversed and
// phase 2 is phase 1 reversed.
constexpr double kPhase0[12] = {
  0.0017089843750, 0.0109863281250, -0.0196533203125, 0.0332031250000,
  -0.0594482421875, 0.1373291015625, 0.9721679687500, -0.1022949218750,
  0.0476074218750, -0.0266113281250, 0.0148925781250, -0.0083007812500,
};
constexpr double kPhase1[12] = {
  -0.0291748046875, 0.0292968750000, -0.0517578125000, 0.0891113281250,
  -0.1665039062500, 0.4650878906250, 0.7797851562500, -0.2003173828125,
  0.1015625000000, -0.0582275390625, 0.0330810546875, -0.0189208984375,
};

constexpr TruePeakOversampler::TapSet MakeFourTimesTaps()
{
  TruePeakOversampler::TapSet taps{};
  for (int k = 0; k < 12; ++k)
  {
    taps[4 * k + 0] = kPhase0[k];
    taps[4 * k + 1] = kPhase1[k];
    taps[4 * k + 2] = kPhase1[11 - k];
    taps[4 * k + 3] = kPhase0[11 - k];
  }
  return taps;
}

// Elements 0 to 23; elements 24 to 47 repeat them in reverse order.
constexpr double kTwoTimesFirstHalf[24] = {
  -0.012421945913447892, -0.024823832091983064, 0.019434940547226703,
  0.014052821368491314,  -0.018333256940687492, -0.022660521518825905,
  0.02611513759705972,   0.0296900702193718,    -0.03435201828784526,
  -0.03925865005387791,  0.045167818431985335,  0.05151163332103437,
  -0.05926649498744107,  -0.06787615144145479,  0.07859318044406559,
  0.0910219580947544,    -0.10695736031990728,  -0.12683668373336432,
  0.1539508183818843,    0.19181534789583438,   -0.25100243289004,
  -0.35544951153620047,  0.5975877215058337,    1.7995978372665244,
};

constexpr TruePeakOversampler::TapSet MakeTwoTimesTaps()
{
  TruePeakOversampler::TapSet taps{};
  for (int i = 0; i < 24; ++i)
  {
    taps[i] = kTwoTimesFirstHalf[i];
    taps[47 - i] = kTwoTimesFirstHalf[i];
  }
  return taps;
}

double SumOf(const TruePeakOversampler::TapSet& taps)
{
  double sum = 0.0;
  for (double tap : taps)
    sum += tap;
  return sum;
}
}  // namespace

const TruePeakOversampler::TapSet TruePeakOversampler::kFourTimesTaps = MakeFourTimesTaps();
const TruePeakOversampler::TapSet TruePeakOversampler::kTwoTimesTaps = MakeTwoTimesTaps();

void TruePeakOversampler::Init(double sampleRate)
{
  TapCount = kTapCount;
  Position = 0;
  FourTimesSet = kFourTimesTaps;
  TwoTimesSet = kTwoTimesTaps;
  History.fill(0.0);
  Output.fill(0.0);

  const double rate = std::trunc(sampleRate);
  if (!(rate > 48000.0))
  {
    ActiveSet = FourTimesSet.data();
    Factor = 4;
    TapSum = SumOf(FourTimesSet);
  }
  else if (rate <= 96000.0)
  {
    ActiveSet = TwoTimesSet.data();
    Factor = 2;
    TapSum = SumOf(TwoTimesSet);
  }
  else
  {
    ActiveSet = TwoTimesSet.data();
    Factor = 1;
    TapSum = 1.0;
  }
  Gain = 1.0 / TapSum;
  FactorValue = static_cast<double>(Factor);
}
