// AudioFileWriter: how a file is laid out for its container and length,
// its frames written a block at a time, and the file put in place.
#include "tools/AudioFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "tools/AudioFileFrames.h"
#include "tools/FileWriteIo.h"

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
  const long fit = static_cast<long>(kSmallContainerBytes / BytesPerFrame(format, channels));
  const bool fits = frames >= 0 && frames <= fit;
  if (container == SF_FORMAT_WAV && !fits)
    format = SF_FORMAT_RF64 | (format & SF_FORMAT_SUBMASK);
  else
    mostFrames = fit;
  if (frames > mostFrames)
  {
    const double gib = static_cast<double>(frames) * BytesPerFrame(format, channels) / (1024.0 * 1024.0 * 1024.0);
    char needs[64];
    std::snprintf(needs, sizeof needs, "%.1f GiB", gib);
    error = "cannot write " + path + ": an AIFF file holds at most 4 GiB of audio and this render needs " + needs +
            " (write .wav or .flac)";
    return false;
  }
  return true;
}

// Channels to frames of interleaved samples (mono and stereo loops are
// written out so the compiler keeps them tight).
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
  writer->mIo = std::make_unique<FileWriteIo>(writer->mReplacement->Descriptor());
  writer->mFile = writer->mIo->Open(info);
  if (!writer->mFile)
  {
    error = writer->WriteError(sf_strerror(nullptr));
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
      mError = WriteError(errno ? std::strerror(errno) : sf_strerror(mFile));
      mFailed = true;
      return false;
    }
    at += n;
  }
  mWritten += count;
  return true;
}

bool AudioFileWriter::Finish(std::string& error)
{
  if (!mReplacement)
  {
    error = mError;
    return false;
  }
  const int closed = mFile ? sf_close(mFile) : 0;
  mFile = nullptr;
  if (mFailed)
    error = mError;
  else if (closed != 0 || mIo->Failure())
    error = WriteError(sf_error_number(closed));
  else if (mReplacement->Finish(error))
    return true;
  mFailed = true;
  mError = error;
  return false;
}

std::string AudioFileWriter::WriteError(const std::string& reason) const
{
  return "cannot write " + mPath + ": " + (mIo->Failure() ? std::strerror(mIo->Failure()) : reason);
}

bool AudioFileWriter::Commit(std::string& error)
{
  if (Finish(error) && mReplacement->Commit(error))
    return true;
  mReplacement.reset();
  return false;
}

} // namespace auhost
