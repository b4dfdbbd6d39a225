#include "tools/ProgrammeSummary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "dsp/CMEBUR128.h"

namespace auhost {

Loudness MeasureLoudness(const AudioData& audio)
{
  CMEBUR128 meter;
  meter.SetNumInputs(static_cast<uint32_t>(audio.NumChannels()));
  meter.SetNumOutputs(0);
  meter.SetSampleRate(audio.sampleRate);
  double frame[2] = {0.0, 0.0};
  for (long f = 0; f < audio.Frames(); ++f)
  {
    for (int c = 0; c < audio.NumChannels(); ++c)
      frame[c] = audio.channels[c][f];
    meter.AddFrame(frame, audio.NumChannels());
  }
  return {meter.GetIntegratedLufs(), meter.GetLoudnessRange()};
}

GainStats MeasureGain(const AudioData& input, const AudioData& output)
{
  GainStats stats;
  const long window = std::max(1L, static_cast<long>(0.1 * input.sampleRate));
  // Below this the input is a pause, and its ratio says nothing of a gain.
  const double floorPower = std::pow(10.0, -60.0 / 10.0);
  double sum = 0.0;
  for (long start = 0; start + window <= input.Frames(); start += window)
  {
    double pin = 0.0, pout = 0.0;
    for (int c = 0; c < input.NumChannels(); ++c)
      for (long f = start; f < start + window; ++f)
      {
        pin += double(input.channels[c][f]) * input.channels[c][f];
        pout += double(output.channels[c][f]) * output.channels[c][f];
      }
    const double n = static_cast<double>(window * input.NumChannels());
    if (pin / n < floorPower || pout <= 0.0)
      continue;
    const double db = 10.0 * std::log10(pout / pin);
    stats.minDb = stats.windows ? std::min(stats.minDb, db) : db;
    stats.maxDb = stats.windows ? std::max(stats.maxDb, db) : db;
    sum += db;
    ++stats.windows;
  }
  stats.meanDb = stats.windows ? sum / stats.windows : 0.0;
  return stats;
}

std::string FormatSummary(const Loudness& in, const Loudness& out, const GainStats& gain, int latencySamples,
                          double sampleRate)
{
  char text[512];
  std::snprintf(text, sizeof text,
                "                    input      output\n"
                "loudness        %7.1f LUFS %6.1f LUFS\n"
                "loudness range  %7.1f LU   %6.1f LU\n"
                "gain            min %+.1f dB, max %+.1f dB, mean %+.1f dB\n"
                "latency         %d samples (%.1f ms)\n",
                in.integratedLufs, out.integratedLufs, in.rangeLu, out.rangeLu, gain.minDb, gain.maxDb, gain.meanDb,
                latencySamples, 1000.0 * latencySamples / sampleRate);
  return text;
}

} // namespace auhost
