#include "tools/AudioFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

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

int BytesPerSample(int subtype)
{
  return subtype == SF_FORMAT_PCM_16 ? 2 : subtype == SF_FORMAT_PCM_24 ? 3 : 4;
}

// Audio that WAV and AIFF files can hold: their sizes are 32-bit, and the
// header needs some of that room.
constexpr long long kSmallContainerBytes = 0xFFFFFFFFLL - 65536;

// How a WAV or AIFF file of `frames` frames (kUnknownLength when not known)
// is laid out: as asked when it certainly fits, RF64 for a WAV that might
// not (libsndfile makes a plain WAV of it again if it ends small, but with
// another header, so renders that fit keep the plain layout), and refused
// for an AIFF that cannot. Sets `mostFrames` to what the file can hold;
// false with `error` set.
bool LayOut(const std::string& path, int& format, int channels, long frames, long& mostFrames, std::string& error)
{
  mostFrames = LONG_MAX;
  const int container = format & SF_FORMAT_TYPEMASK;
  if (container != SF_FORMAT_WAV && container != SF_FORMAT_AIFF)
    return true;
  const long fit = static_cast<long>(kSmallContainerBytes / (channels * BytesPerSample(format & SF_FORMAT_SUBMASK)));
  const bool fits = frames >= 0 && frames <= fit;
  if (container == SF_FORMAT_WAV && !fits)
    format = SF_FORMAT_RF64 | (format & SF_FORMAT_SUBMASK);
  else
    mostFrames = fit;
  if (frames > mostFrames)
  {
    const double gib = static_cast<double>(frames) * channels * BytesPerSample(format & SF_FORMAT_SUBMASK) /
                       (1024.0 * 1024.0 * 1024.0);
    char needs[64];
    std::snprintf(needs, sizeof needs, "%.1f GiB", gib);
    error = "cannot write " + path + ": an AIFF file holds at most 4 GiB of audio and this render needs " + needs +
            " (write .wav or .flac)";
    return false;
  }
  return true;
}

// Frames of libsndfile's interleaved buffers per call: reads and writes of
// any length go through this much memory.
constexpr long kChunkFrames = 4096;

// Frames of interleaved samples to and from channels (the reader takes mono
// and stereo only; mono and stereo loops are written out so the compiler
// keeps them tight).
void Deinterleave(const float* from, int width, long frames, float* const* channels, long offset)
{
  float* first = channels[0] + offset;
  if (width == 1)
  {
    std::copy(from, from + frames, first);
    return;
  }
  float* second = channels[1] + offset;
  for (long f = 0; f < frames; ++f)
  {
    first[f] = from[2 * f];
    second[f] = from[2 * f + 1];
  }
}

void Interleave(const float* const* channels, long offset, int width, long frames, float* to)
{
  const float* first = channels[0] + offset;
  if (width == 1)
  {
    std::copy(first, first + frames, to);
    return;
  }
  if (width == 2)
  {
    const float* second = channels[1] + offset;
    for (long f = 0; f < frames; ++f)
    {
      to[2 * f] = first[f];
      to[2 * f + 1] = second[f];
    }
    return;
  }
  for (long f = 0; f < frames; ++f)
    for (int c = 0; c < width; ++c)
      to[f * width + c] = channels[c][offset + f];
}

} // namespace

bool IsKnownAudioExtension(const std::string& path)
{
  return ContainerOf(path) != 0;
}

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

std::unique_ptr<AudioFileReader> AudioFileReader::Open(const std::string& path, std::string& error)
{
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file)
  {
    error = "cannot read " + path + ": " + sf_strerror(nullptr);
    return nullptr;
  }
  std::unique_ptr<AudioFileReader> reader(new AudioFileReader);
  reader->mFile = file;
  if (info.channels < 1 || info.channels > 2)
  {
    error = path + ": " + std::to_string(info.channels) + " channels (only mono and stereo are ridden)";
    return nullptr;
  }
  if (info.frames <= 0 || info.samplerate <= 0)
  {
    error = path + ": no audio in the file";
    return nullptr;
  }
  reader->mPath = path;
  reader->mChannels = info.channels;
  reader->mRate = info.samplerate;
  reader->mFrames = static_cast<long>(info.frames);
  reader->mInterleaved.resize(static_cast<size_t>(kChunkFrames * info.channels));
  return reader;
}

AudioFileReader::~AudioFileReader()
{
  if (mFile)
    sf_close(mFile);
}

bool AudioFileReader::ReadAt(long start, long count, float* const* channels)
{
  // Silence before the programme and after it; the file only for the rest.
  const long from = std::max(start, 0L);
  const long to = std::max(from, std::min(start + count, mFrames));
  for (int c = 0; c < mChannels; ++c)
  {
    std::fill(channels[c], channels[c] + std::min(from - start, count), 0.0f);
    std::fill(channels[c] + std::min(to - start, count), channels[c] + count, 0.0f);
  }
  if (from < to && from != mPosition)
  {
    if (sf_seek(mFile, from, SEEK_SET) != from)
    {
      mError = "cannot read the audio of " + mPath;
      return false;
    }
    mPosition = from;
  }
  for (long at = from; at < to;)
  {
    const long n = std::min(kChunkFrames, to - at);
    const sf_count_t got = sf_readf_float(mFile, mInterleaved.data(), n);
    mPosition += got > 0 ? static_cast<long>(got) : 0;
    if (got != n)
    {
      mError = "cannot read the audio of " + mPath + " (it ends early)";
      return false;
    }
    Deinterleave(mInterleaved.data(), mChannels, n, channels, at - start);
    at += n;
  }
  return true;
}

std::unique_ptr<AudioFileWriter> AudioFileWriter::Open(const std::string& path, int channels, double sampleRate,
                                                       SampleFormat format, long expectedFrames, std::string& error)
{
  const int container = ContainerOf(path);
  if (!container)
  {
    error = path + ": unknown file type (use .wav, .aif, .aiff or .flac)";
    return nullptr;
  }
  SF_INFO info{};
  info.samplerate = static_cast<int>(sampleRate);
  info.channels = channels;
  info.format = container | SubtypeOf(container, format);
  if (!sf_format_check(&info))
  {
    error = path + ": this file type cannot hold " + std::to_string(info.channels) + " channels at " +
            std::to_string(info.samplerate) + " Hz in that sample format";
    return nullptr;
  }
  std::unique_ptr<AudioFileWriter> writer(new AudioFileWriter);
  if (!LayOut(path, info.format, channels, expectedFrames, writer->mMostFrames, error) ||
      !(writer->mReplacement = FileReplacement::Begin(path, error)))
    return nullptr;
  writer->mPath = path;
  writer->mError = "cannot write " + path;
  writer->mFile = sf_open_fd(writer->mReplacement->Descriptor(), SFM_WRITE, &info, SF_FALSE);
  if (!writer->mFile)
  {
    error = "cannot write " + path + ": " + sf_strerror(nullptr);
    return nullptr;
  }
  if ((info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_RF64)
    sf_command(writer->mFile, SFC_RF64_AUTO_DOWNGRADE, nullptr, SF_TRUE);
  // Float files keep what the plug-in made, overs included; integer
  // samples (FLAC holds no others) clip them at full scale.
  const bool floats = SubtypeOf(container, format) == SF_FORMAT_FLOAT;
  sf_command(writer->mFile, SFC_SET_CLIPPING, nullptr, floats ? SF_FALSE : SF_TRUE);
  writer->mChannels = channels;
  writer->mInterleaved.resize(static_cast<size_t>(kChunkFrames * channels));
  return writer;
}

AudioFileWriter::~AudioFileWriter()
{
  Discard();
}

void AudioFileWriter::Discard()
{
  if (mFile)
    sf_close(mFile);
  mFile = nullptr;
  mReplacement.reset();
}

bool AudioFileWriter::Append(const float* const* channels, long count)
{
  if (!mFile || mFailed)
    return false;
  if (count > mMostFrames - mWritten)
  {
    mError = "cannot write " + mPath + (ContainerOf(mPath) == SF_FORMAT_AIFF
                                          ? ": an AIFF file holds at most 4 GiB of audio (write .wav or .flac)"
                                          : ": the render is longer than the file was laid out for");
    mFailed = true;
    return false;
  }
  for (long at = 0; at < count;)
  {
    const long n = std::min(kChunkFrames, count - at);
    Interleave(channels, at, mChannels, n, mInterleaved.data());
    errno = 0;
    if (sf_writef_float(mFile, mInterleaved.data(), n) != n)
    {
      mError = "cannot write " + mPath + ": " + (errno ? std::strerror(errno) : sf_strerror(mFile));
      mFailed = true;
      return false;
    }
    at += n;
  }
  mWritten += count;
  return true;
}

bool AudioFileWriter::Commit(std::string& error)
{
  const int closed = mFile ? sf_close(mFile) : SF_ERR_SYSTEM;
  mFile = nullptr;
  if (mFailed)
    error = mError;
  else if (closed != 0)
    error = "cannot write " + mPath + ": " + sf_error_number(closed);
  else if (mReplacement->Commit(error))
    return true;
  mReplacement.reset();
  return false;
}

bool ReadAudioFile(const std::string& path, AudioData& out, std::string& error)
{
  auto reader = AudioFileReader::Open(path, error);
  if (!reader)
    return false;
  AudioData audio;
  audio.sampleRate = reader->SampleRate();
  audio.channels.assign(static_cast<size_t>(reader->NumChannels()),
                        std::vector<float>(static_cast<size_t>(reader->Frames())));
  float* channels[2] = {audio.channels[0].data(), audio.channels.back().data()};
  if (!reader->ReadAt(0, reader->Frames(), channels))
  {
    error = reader->Error();
    return false;
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
