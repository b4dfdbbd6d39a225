// A whole programme in memory (AudioData) seen as a source and a sink, and
// read from or written to a file whole, through the reader and the writer.
#include "tools/AudioFile.h"

#include <algorithm>
#include <vector>

#include "tools/AudioFileFrames.h"

namespace auhost {

bool AudioDataSource::ReadAt(long start, long count, float* const* channels)
{
  const long length = Frames();
  for (int c = 0; c < NumChannels(); ++c)
  {
    const std::vector<float>& from = mAudio.channels[static_cast<size_t>(c)];
    for (long f = 0; f < count; ++f)
    {
      const long at = start + f;
      channels[c][f] = at >= 0 && at < length ? from[static_cast<size_t>(at)] : 0.0f;
    }
  }
  return true;
}

AudioDataSink::AudioDataSink(AudioData& into, int channels, double sampleRate) : mInto(into)
{
  mInto.sampleRate = sampleRate;
  mInto.channels.assign(static_cast<size_t>(channels), {});
}

bool AudioDataSink::Append(const float* const* channels, long count)
{
  for (size_t c = 0; c < mInto.channels.size(); ++c)
    mInto.channels[c].insert(mInto.channels[c].end(), channels[c], channels[c] + count);
  return true;
}

bool ReadAudioFile(const std::string& path, AudioData& out, std::string& error)
{
  auto reader = AudioFileReader::Open(path, error);
  if (!reader)
    return false;
  AudioData audio;
  AudioDataSink sink(audio, reader->NumChannels(), reader->SampleRate());
  // A chunk at a time, until the reader knows where the programme ends.
  std::vector<float> left(kChunkFrames), right(kChunkFrames);
  float* channels[2] = {left.data(), right.data()};
  for (long at = 0; reader->End() == kUnknownLength || at < reader->End(); at += kChunkFrames)
  {
    if (!reader->ReadAt(at, kChunkFrames, channels))
    {
      error = reader->Error();
      return false;
    }
    const long end = reader->End();
    sink.Append(channels, end == kUnknownLength ? kChunkFrames : std::clamp(end - at, 0L, kChunkFrames));
  }
  out = std::move(audio);
  return true;
}

bool WriteAudioFile(const std::string& path, const AudioData& audio, SampleFormat format, std::string& error)
{
  auto writer = AudioFileWriter::Open(path, audio.NumChannels(), audio.sampleRate, format, audio.Frames(), error);
  if (!writer)
    return false;
  std::vector<const float*> channels;
  for (const auto& channel : audio.channels)
    channels.push_back(channel.data());
  if (!writer->Append(channels.data(), audio.Frames()))
  {
    error = writer->Error();
    return false;
  }
  return writer->Commit(error);
}

} // namespace auhost
