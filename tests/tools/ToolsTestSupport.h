#pragma once

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

#include "tools/AudioFile.h"
#include "tools/ExampleProgramme.h"

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

// The example made stereo: the second channel a little later and quieter.
inline auhost::AudioData StereoExample(double seconds)
{
  auhost::AudioData a = auhost::MakeExampleProgramme(48000.0, seconds);
  std::vector<float> second(a.channels[0].size(), 0.0f);
  for (size_t i = 4800; i < second.size(); ++i)
    second[i] = 0.7f * a.channels[0][i - 4800];
  a.channels.push_back(std::move(second));
  return a;
}

// Hands `a` over in blocks of random lengths from 1 to `longest`.
template <typename Hand>
void InRandomBlocks(const auhost::AudioData& a, long longest, unsigned seed, Hand hand)
{
  std::mt19937 random(seed);
  std::uniform_int_distribution<long> length(1, longest);
  for (long at = 0; at < a.Frames();)
  {
    const long n = std::min(length(random), a.Frames() - at);
    const float* channels[2] = {a.channels[0].data() + at, a.channels.back().data() + at};
    hand(channels, n);
    at += n;
  }
}

// The audio of `audio` as a stream whose length only reading finds, as a
// file reader finds it: once a read reaches past the last frame.
class FoundByReading final : public auhost::AudioSource
{
public:
  explicit FoundByReading(const auhost::AudioData& audio) : mAudio(audio) {}
  int NumChannels() const override { return mAudio.NumChannels(); }
  double SampleRate() const override { return mAudio.SampleRate(); }
  long Frames() const override { return auhost::kUnknownLength; }
  long End() const override { return mEnd; }
  bool ReadAt(long start, long count, float* const* channels) override
  {
    if (start + count > mAudio.Frames())
      mEnd = mAudio.Frames();
    return mAudio.ReadAt(start, count, channels);
  }

private:
  auhost::AudioDataSource mAudio;
  long mEnd = auhost::kUnknownLength;
};

// A fresh temporary folder for one test's files.
std::string TempFolder();

} // namespace toolstest
