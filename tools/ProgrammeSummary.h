// What a render did to the programme, measured on the host's side: the
// integrated loudness and loudness range of input and output (as the
// project's loudness meter measures them; the summary shows no true peak,
// so none is measured), and the gain the unit applied, read as the level
// difference of output and input in 100 ms windows where the input is not
// silent.
//
// Everything is measured a block at a time as the audio passes, so a
// summary costs no memory that grows with the programme.
#pragma once

#include <array>
#include <deque>
#include <string>
#include <vector>

#include "dsp/KWeightingFilter.h"
#include "dsp/LoudnessGate.h"
#include "dsp/LoudnessRange.h"
#include "dsp/LoudnessWindow.h"
#include "tools/AudioFile.h"

namespace auhost {

struct Loudness
{
  double integratedLufs = -144.0;
  double rangeLu = 0.0;
};

struct GainStats
{
  double minDb = 0.0, maxDb = 0.0, meanDb = 0.0;
  int windows = 0; // windows measured; 0 when the input was silent throughout
};

// Integrated loudness and loudness range of mono or stereo audio, fed in
// blocks of any length.
class LoudnessMeter
{
public:
  LoudnessMeter(int channels, double sampleRate);
  void Add(const float* const* channels, long count);
  Loudness Result() const;

private:
  static constexpr int kChunkFrames = 256;
  int mChannels;
  std::array<KWeightingFilter, 2> mStage1{}, mStage2{};
  LoudnessWindow mMomentary, mShortTerm;
  LoudnessGate mGate;
  LoudnessRange mRange;
  std::array<std::array<double, kChunkFrames>, 2> mWeighted{};
  std::array<double, kChunkFrames> mEnergies{};
};

// The gain figures of an output against its input, fed in blocks of any
// length: the output may lag the input (it is paired by position).
class GainMeter
{
public:
  GainMeter(int channels, double sampleRate);
  void AddInput(const float* const* channels, long count);
  void AddOutput(const float* const* channels, long count);
  GainStats Result() const;

private:
  // Sums the squares of a stream into windows; each full window's sum is
  // handed to `done`.
  struct WindowSum
  {
    double sum = 0.0;
    long filled = 0;
    template <typename Done>
    void Add(const float* const* channels, int n, long count, long window, Done done);
  };
  void TakeWindow(double input, double output);

  int mChannels;
  long mWindow;
  WindowSum mInput, mOutput;
  std::deque<double> mPendingInput; // full input windows the output has not reached
  GainStats mStats;
  double mSum = 0.0;
};

// Whether loudness can be measured at a rate: the K-weighting's shelf must
// lie below the Nyquist frequency, or its design turns unstable and the
// figures mean nothing (thousands of LUFS).
bool LoudnessMeasurableAt(double sampleRate);
Loudness MeasureLoudness(const AudioData& audio);
// `output` aligned with `input`, of the same length and channels.
GainStats MeasureGain(const AudioData& input, const AudioData& output);
// The summary's text; at a rate where loudness cannot be measured it says
// so in place of the loudness figures.
std::string FormatSummary(const Loudness& in, const Loudness& out, const GainStats& gain, int latencySamples,
                          double sampleRate);

} // namespace auhost
