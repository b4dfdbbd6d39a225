// Per-channel record of the two polyphase interpolation filters used for
// true-peak measurement, with the oversampling factor and gain chosen from
// the sample rate.
//
// The loudness meter holds one per channel and initialises it whenever it is
// set up for a sample rate; nothing feeds samples through it (the meter
// reconstructs its true peak by sinc interpolation), so its history and
// output state are only ever cleared.
// Init runs on the set-up thread; it neither allocates nor fails.
#pragma once

#include <array>
#include <cstdint>

class TruePeakOversampler
{
public:
  static constexpr int32_t kTapCount = 48;
  using TapSet = std::array<double, kTapCount>;

  // The 48-tap interpolation filter for four-times oversampling of ITU-R
  // BS.1770-4 Annex 2, in its natural order: element 4k + p is tap k of
  // phase p. Its taps sum to 3.94921875.
  static const TapSet kFourTimesTaps;
  // A symmetric 48-tap filter for two-times oversampling: element 2k + p is
  // tap k of phase p. Its taps sum to 3.958600850717981.
  static const TapSet kTwoTimesTaps;

  TruePeakOversampler() { Init(44100.0); }
  // The active set refers into this record, so it is not copied.
  TruePeakOversampler(const TruePeakOversampler&) = delete;
  TruePeakOversampler& operator=(const TruePeakOversampler&) = delete;

  // Fills both sets, clears the state and chooses from trunc(sample rate):
  // up to 48000 Hz the four-times set (factor 4), up to 96000 Hz the two-times
  // set (factor 2), above that the two-times set with factor 1 and unity
  // gain. The gain is 1 / (sum of the active set's taps). A rate that is not
  // a number chooses as the lowest rates do.
  void Init(double sampleRate);

  TapSet FourTimesSet{};
  TapSet TwoTimesSet{};
  const double* ActiveSet = FourTimesSet.data();
  double TapSum = 1.0;
  double Gain = 1.0;
  int32_t Factor = 1;
  int32_t TapCount = kTapCount;
  int32_t Position = 0;
  std::array<double, kTapCount> History{};
  std::array<double, 4> Output{};
  double FactorValue = 1.0;
};
