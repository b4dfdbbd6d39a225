// What a render did to the programme, measured on the host's side: the
// integrated loudness and loudness range of input and output (with the
// project's loudness meter), and the gain the unit applied, read as the
// level difference of output and input in 100 ms windows where the input
// is not silent.
#pragma once

#include <string>

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

Loudness MeasureLoudness(const AudioData& audio);
// `output` aligned with `input`, of the same length and channels.
GainStats MeasureGain(const AudioData& input, const AudioData& output);
std::string FormatSummary(const Loudness& in, const Loudness& out, const GainStats& gain, int latencySamples,
                          double sampleRate);

} // namespace auhost
