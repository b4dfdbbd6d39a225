// Audio files read and written through libsndfile: WAV, AIFF and FLAC, at
// the file's own rate, mono or stereo.
//
// A write goes to a temporary file beside the target and is renamed over it
// only once complete, so a failure never leaves a half-written file.
#pragma once

#include <string>
#include <vector>

namespace auhost {

struct AudioData
{
  double sampleRate = 48000.0;
  std::vector<std::vector<float>> channels; // equal lengths

  int NumChannels() const { return static_cast<int>(channels.size()); }
  long Frames() const { return channels.empty() ? 0 : static_cast<long>(channels[0].size()); }
};

enum class SampleFormat
{
  Float32,
  Pcm16,
  Pcm24,
};

// False with `error` set for a missing or unreadable file, more than two
// channels or an empty file.
bool ReadAudioFile(const std::string& path, AudioData& out, std::string& error);
// The container follows the extension (.wav, .aif/.aiff, .flac); FLAC holds
// no floats and gets 24-bit samples when asked for them.
bool WriteAudioFile(const std::string& path, const AudioData& audio, SampleFormat format, std::string& error);
// Whether the extension names a container WriteAudioFile knows.
bool IsKnownAudioExtension(const std::string& path);

} // namespace auhost
