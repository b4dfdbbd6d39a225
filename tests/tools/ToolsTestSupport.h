#pragma once

#include <cmath>
#include <string>

#include "tools/AudioFile.h"

namespace toolstest {

// A voice-like test programme: harmonic bursts of 200 ms with 100 ms
// pauses, at `levelDb` dBFS peak, `channels` wide.
inline auhost::AudioData Bursts(double seconds, double levelDb, int channels = 2, double rate = 48000.0)
{
  auhost::AudioData a;
  a.sampleRate = rate;
  const size_t n = static_cast<size_t>(seconds * rate);
  const double amp = std::pow(10.0, levelDb / 20.0);
  for (int c = 0; c < channels; ++c)
  {
    std::vector<float> ch(n);
    for (size_t i = 0; i < n; ++i)
    {
      const double t = static_cast<double>(i) / rate;
      const double cycle = std::fmod(t, 0.3);
      const double env = cycle < 0.2 ? std::sin(3.14159265 * cycle / 0.2) : 0.0;
      ch[i] = static_cast<float>(amp * env * (0.6 * std::sin(6.2831853 * 150 * t + c) + 0.4 * std::sin(6.2831853 * 450 * t)));
    }
    a.channels.push_back(std::move(ch));
  }
  return a;
}

// A fresh temporary folder for one test's files.
std::string TempFolder();

} // namespace toolstest
