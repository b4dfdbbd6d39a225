#include "tools/ExampleProgramme.h"

#include <cmath>
#include <cstdint>

namespace auhost {

namespace {

// A small generator of our own, so the example is the same on every
// machine and library.
class Random
{
public:
  double Next() // [0, 1)
  {
    mState = mState * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<double>(mState >> 11) / 9007199254740992.0;
  }
  double Between(double a, double b) { return a + (b - a) * Next(); }

private:
  uint64_t mState = 0x5eed5eed5eedull;
};

// Phrase levels in dBFS (RMS of the voiced parts), the order a speaker who
// moves about the microphone might give.
constexpr double kPhraseLevels[] = {-14.0, -30.0, -9.0, -38.0, -20.0, -11.0, -33.0, -24.0, -8.0, -36.0, -17.0, -27.0};

} // namespace

AudioData MakeExampleProgramme(double sampleRate, double seconds)
{
  AudioData audio;
  audio.sampleRate = sampleRate;
  const size_t total = static_cast<size_t>(seconds * sampleRate);
  std::vector<float> out(total, 0.0f);
  Random rng;
  constexpr double kTwoPi = 6.283185307179586;

  size_t pos = static_cast<size_t>(0.3 * sampleRate);
  size_t phrase = 0;
  while (pos < total)
  {
    const double level = kPhraseLevels[phrase++ % std::size(kPhraseLevels)];
    // A voiced burst of these harmonics at unit amplitude has an RMS of
    // about this, so the phrase lands near its level.
    const double amplitude = std::pow(10.0, level / 20.0) / 0.55;
    const int syllables = 4 + static_cast<int>(rng.Next() * 6);
    double f0 = rng.Between(105.0, 210.0);
    for (int s = 0; s < syllables && pos < total; ++s)
    {
      const double length = rng.Between(0.12, 0.28);
      const size_t n = static_cast<size_t>(length * sampleRate);
      const double vowel = rng.Between(500.0, 1100.0); // a formant that differs per syllable
      double phase = 0.0;
      for (size_t i = 0; i < n && pos + i < total; ++i)
      {
        const double t = static_cast<double>(i) / static_cast<double>(n);
        const double envelope = std::sin(3.141592653589793 * t) * (0.7 + 0.3 * std::sin(kTwoPi * 2.0 * t));
        const double pitch = f0 * (1.0 + 0.04 * std::sin(kTwoPi * 5.0 * i / sampleRate) - 0.08 * t);
        phase += kTwoPi * pitch / sampleRate;
        double sample = 0.0;
        for (int h = 1; h <= 12; ++h)
        {
          const double fh = pitch * h;
          const double formant = 1.0 / (1.0 + std::pow((fh - vowel) / 400.0, 2.0));
          sample += std::sin(phase * h) * (0.6 / h + formant * 0.5);
        }
        out[pos + i] = static_cast<float>(amplitude * envelope * sample * 0.5);
      }
      pos += n + static_cast<size_t>(rng.Between(0.04, 0.12) * sampleRate);
      f0 *= rng.Between(0.95, 1.05);
    }
    pos += static_cast<size_t>(rng.Between(0.45, 0.9) * sampleRate);
  }
  audio.channels.push_back(std::move(out));
  return audio;
}

} // namespace auhost
