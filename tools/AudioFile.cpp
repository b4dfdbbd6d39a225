#include "tools/AudioFile.h"

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace auhost {

namespace {

std::string LowerExtension(const std::string& path)
{
  const size_t dot = path.rfind('.');
  const size_t slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return {};
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

int ContainerOf(const std::string& path)
{
  const std::string ext = LowerExtension(path);
  if (ext == "wav")
    return SF_FORMAT_WAV;
  if (ext == "aif" || ext == "aiff")
    return SF_FORMAT_AIFF;
  if (ext == "flac")
    return SF_FORMAT_FLAC;
  return 0;
}

int SubtypeOf(int container, SampleFormat format)
{
  switch (format)
  {
    case SampleFormat::Pcm16: return SF_FORMAT_PCM_16;
    case SampleFormat::Pcm24: return SF_FORMAT_PCM_24;
    case SampleFormat::Float32: return container == SF_FORMAT_FLAC ? SF_FORMAT_PCM_24 : SF_FORMAT_FLOAT;
  }
  return SF_FORMAT_FLOAT;
}

} // namespace

bool IsKnownAudioExtension(const std::string& path)
{
  return ContainerOf(path) != 0;
}

bool ReadAudioFile(const std::string& path, AudioData& out, std::string& error)
{
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file)
  {
    error = "cannot read " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  if (info.channels < 1 || info.channels > 2)
  {
    error = path + ": " + std::to_string(info.channels) + " channels (only mono and stereo are ridden)";
    sf_close(file);
    return false;
  }
  if (info.frames <= 0 || info.samplerate <= 0)
  {
    error = path + ": no audio in the file";
    sf_close(file);
    return false;
  }
  std::vector<float> interleaved(static_cast<size_t>(info.frames) * info.channels);
  const sf_count_t got = sf_readf_float(file, interleaved.data(), info.frames);
  sf_close(file);
  if (got <= 0)
  {
    error = "cannot read the audio of " + path;
    return false;
  }
  out.sampleRate = info.samplerate;
  out.channels.assign(info.channels, std::vector<float>(static_cast<size_t>(got)));
  for (sf_count_t f = 0; f < got; ++f)
    for (int c = 0; c < info.channels; ++c)
      out.channels[c][f] = interleaved[f * info.channels + c];
  return true;
}

bool WriteAudioFile(const std::string& path, const AudioData& audio, SampleFormat format, std::string& error)
{
  const int container = ContainerOf(path);
  if (!container)
  {
    error = path + ": unknown file type (use .wav, .aif, .aiff or .flac)";
    return false;
  }
  SF_INFO info{};
  info.samplerate = static_cast<int>(audio.sampleRate);
  info.channels = audio.NumChannels();
  info.format = container | SubtypeOf(container, format);
  if (!sf_format_check(&info))
  {
    error = path + ": this file type cannot hold " + std::to_string(info.channels) + " channels at " +
            std::to_string(info.samplerate) + " Hz in that sample format";
    return false;
  }
  const std::string temporary = path + ".auhost-" + std::to_string(getpid()) + ".tmp";
  SNDFILE* file = sf_open(temporary.c_str(), SFM_WRITE, &info);
  if (!file)
  {
    error = "cannot write " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  // Float files keep what the plug-in made, overs included.
  sf_command(file, SFC_SET_CLIPPING, nullptr, format == SampleFormat::Float32 ? SF_FALSE : SF_TRUE);
  const long frames = audio.Frames();
  std::vector<float> interleaved(static_cast<size_t>(frames) * info.channels);
  for (long f = 0; f < frames; ++f)
    for (int c = 0; c < info.channels; ++c)
      interleaved[f * info.channels + c] = audio.channels[c][f];
  const bool written = sf_writef_float(file, interleaved.data(), frames) == frames;
  const bool closed = sf_close(file) == 0;
  if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0)
  {
    std::remove(temporary.c_str());
    error = "cannot write " + path + " (disk full or no permission?)";
    return false;
  }
  return true;
}

} // namespace auhost
