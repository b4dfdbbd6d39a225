// AudioFileReader: how a WAV, AIFF or FLAC is opened from a file or a pipe,
// what its header declares, and its frames read a block at a time.
#include "tools/AudioFile.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>

#include "tools/AudioFileFrames.h"
#include "tools/DeclaredAudioSize.h"
#include "tools/FlacFrameEnd.h"
#include "tools/PipeInput.h"

namespace auhost {

namespace {

// Frames of interleaved samples to channels (the reader takes mono and
// stereo only; their loops are written out so the compiler keeps them
// tight).
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

// The containers read: WAV in all its forms, AIFF (libsndfile's name for
// AIFC too) and FLAC. libsndfile reads others, MPEG audio among them, whose
// lengths may be guesses.
bool IsReadContainer(int format)
{
  switch (format & SF_FORMAT_TYPEMASK)
  {
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX:
    case SF_FORMAT_RF64:
    case SF_FORMAT_AIFF:
    case SF_FORMAT_FLAC: return true;
    default: return false;
  }
}

std::string ContainerName(int format)
{
  SF_FORMAT_INFO info{};
  info.format = format & SF_FORMAT_TYPEMASK;
  if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) != 0 || !info.name)
    return "another type";
  return info.name;
}

// What a WAV's or AIFF's header declares of its audio, walked once for
// all that is asked of it below; `found` is false for a pipe, a FLAC or a
// header that cannot be followed.
struct FileHeader
{
  bool found = false;
  DeclaredAudio audio;
  long long length = 0; // the file's bytes
};

FileHeader WalkHeader(int descriptor, const SF_INFO& info)
{
  FileHeader header;
  struct stat status;
  header.found = info.seekable && FindAudioChunk(descriptor, header.audio) && fstat(descriptor, &status) == 0;
  header.length = header.found ? status.st_size : 0;
  return header;
}

// Why a file gives no frames: often a header never finished, as some
// programs leave a WAV they write to a pipe, with the audio after it.
std::string NoAudioReason(const FileHeader& header, const SF_INFO& info)
{
  if (header.found && header.audio.bytes == 0 && header.length > header.audio.offset)
    return ": its header gives the audio a length of 0, yet " + std::to_string(header.length - header.audio.offset) +
           " bytes follow (a header left unfinished, as by a program writing to a pipe); the audio cannot be read";
  if (!info.seekable)
    return ": no audio in the stream, or a header that gives it a length of 0";
  return ": no audio in the file";
}

// The frames a WAV or AIFF file holds: libsndfile counts those of a file
// with an ID3 tag before its header from the tag's start, as though the
// tag were audio, and so more than a tagged file cut short holds.
long long FramesHeld(const FileHeader& header, const SF_INFO& info)
{
  const int frameBytes = BytesPerFrame(info.format, info.channels);
  if (frameBytes == 0 || !header.found || header.audio.tags == 0)
    return info.frames;
  return std::min<long long>(info.frames, std::max(0LL, header.length - header.audio.offset) / frameBytes);
}

// Says how much of a WAV or AIFF its header promises beyond its end, when
// `length` bytes (from its start) hold `frames` frames of `frameBytes`;
// empty when it promises no more than is there.
std::string CutShortWarning(const std::string& path, const DeclaredAudio& declared, long long length, long long frames,
                            int frameBytes, int rate)
{
  const long long held = std::max(0LL, length - declared.offset);
  const long long promised = frameBytes > 0 ? declared.bytes / frameBytes : 0;
  if (declared.bytes <= held || promised <= frames)
    return {};
  const long long missing = promised - frames;
  char text[256];
  std::snprintf(text, sizeof text,
                ": the file is cut short: its header promises %lld frames, it holds %lld; the last %lld (%.3f s) "
                "are missing and the render stops where the file does",
                promised, frames, missing, static_cast<double>(missing) / rate);
  return path + text;
}

} // namespace

// A FLAC file, which libsndfile reads through these calls rather than its
// descriptor, so that a read coming to the file's end is seen: a decoder
// that meets the end inside a frame goes back over the frame for the next,
// and may then fail short of the end (lost sync on a false frame header),
// though it was the end that stopped it, as a pipe's decoder does once the
// pipe has ended. Reads and seeks go to the descriptor as libsndfile's own
// do (the same calls, the same bytes); positions count from `start`, after
// any ID3 tags, and the file ends at `length`, before an ID3v1 tag after a
// FLAC's frames. A WAV or AIFF whose header gives its length as a
// placeholder is read through these calls too, with the sizes that have
// libsndfile read it to its end (`stretched`). Closes the descriptor when
// it goes.
struct FileInput
{
  int descriptor;
  long long start, length; // of the stream in the file
  std::optional<DeclaredAudio> stretched;
  bool reachedEnd = false; // a read has come to the stream's end
  int failure = 0;         // the system's code for the first read that failed

  ~FileInput() { close(descriptor); }
  static sf_count_t Length(void* input) { return static_cast<FileInput*>(input)->length; }
  static sf_count_t Seek(sf_count_t offset, int whence, void* input)
  {
    const FileInput& in = *static_cast<FileInput*>(input);
    const long long from = whence == SEEK_SET ? in.start : whence == SEEK_END ? in.start + in.length : 0;
    const off_t at = lseek(in.descriptor, static_cast<off_t>(from + offset), whence == SEEK_CUR ? SEEK_CUR : SEEK_SET);
    return at < 0 ? -1 : at - in.start;
  }
  static sf_count_t Read(void* into, sf_count_t count, void* input)
  {
    FileInput& in = *static_cast<FileInput*>(input);
    const sf_count_t at = Seek(0, SEEK_CUR, input);
    if (at < 0)
    {
      in.failure = in.failure ? in.failure : errno;
      return 0;
    }
    // A read asking past the end comes to it, as one of the descriptor's
    // own would.
    in.reachedEnd = in.reachedEnd || count > in.length - at;
    count = std::clamp<sf_count_t>(in.length - at, 0, count);
    sf_count_t done = 0;
    while (done < count)
    {
      const ssize_t n = read(in.descriptor, static_cast<char*>(into) + done, static_cast<size_t>(count - done));
      if (n < 0 && errno == EINTR)
        continue;
      if (n < 0 && !in.failure)
        in.failure = errno;
      in.reachedEnd = in.reachedEnd || n == 0;
      if (n <= 0)
        break;
      done += n;
    }
    if (in.stretched)
      SizesToTheEnd(*in.stretched, in.start + at, static_cast<unsigned char*>(into), done);
    return done;
  }
  static sf_count_t Write(const void*, sf_count_t, void*) { return 0; }
  static sf_count_t Tell(void* input) { return Seek(0, SEEK_CUR, input); }
};

// The length of the FLAC stream in the `length` bytes from `start`, before
// any ID3v1 tag at their end: bytes that begin as one are a tag only when
// the stream ends on a whole frame before them, as far back as a pipe
// keeps of its last stretch (where it makes the same choice).
long long FlacStreamLength(int descriptor, long long start, long long length)
{
  return EndsInAnId3v1Tag(FileBytes(descriptor), start, length, kPipeTailBytes - kId3v1Bytes) ? length - kId3v1Bytes
                                                                                               : length;
}

// Whether a WAV's or AIFF's file holds audio past where its header's
// placeholder length ends, and not just the chunks that may follow a real
// audio of that length: then it is read to its end.
bool RunsPastItsPlaceholder(int descriptor, long long fileLength, DeclaredAudio& audio)
{
  return FindAudioChunk(descriptor, audio) && audio.ReadToTheEnd() &&
         fileLength > audio.offset + audio.given && !OnlyChunksFollow(descriptor, audio, fileLength);
}

std::unique_ptr<AudioFileReader> AudioFileReader::Open(const std::string& path, std::string& error)
{
  // Opened here rather than by libsndfile, so the reader can look at the
  // file itself: its header's promise, and where a short read stopped.
  const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0)
  {
    error = "cannot read " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  SF_INFO info{};
  std::unique_ptr<PipeInput> pipe;
  std::unique_ptr<FileInput> fileInput;
  SNDFILE* file = nullptr;
  if (lseek(descriptor, 0, SEEK_CUR) < 0)
  {
    // A pipe is read through a PipeInput: given the pipe itself,
    // libsndfile misreads some headers.
    pipe = std::make_unique<PipeInput>(descriptor);
    if (!(file = pipe->Open(path, info, error)))
      return nullptr;
  }
  else
  {
    // libsndfile skips ID3 tags before a header, but takes one shorter than
    // the 12 bytes it first reads (a tag of no frames) for more tags, and
    // refuses the file: it is given the file from after the tags, which it
    // reads as it does once it has skipped them. Tags that reach the file's
    // end are left to it.
    struct stat status;
    const bool sized = fstat(descriptor, &status) == 0;
    const long long tags = Id3TagsLength(descriptor);
    // A tag still there lies past those skipped: refused, as from a pipe.
    unsigned char head[10];
    if (pread(descriptor, head, sizeof head, tags) == sizeof head && Id3TagLength(head) > 0)
    {
      close(descriptor);
      error = "cannot read " + path + ": " + kTooManyId3Tags;
      return nullptr;
    }
    const long long start = sized && tags < status.st_size ? tags : 0;
    lseek(descriptor, start, SEEK_SET);
    unsigned char magic[4];
    DeclaredAudio stretched;
    if (sized && pread(descriptor, magic, sizeof magic, start) == sizeof magic && std::memcmp(magic, "fLaC", 4) == 0)
      fileInput.reset(new FileInput{descriptor, start, FlacStreamLength(descriptor, start, status.st_size - start), {}});
    else if (sized && RunsPastItsPlaceholder(descriptor, status.st_size, stretched))
      fileInput.reset(new FileInput{descriptor, start, status.st_size - start, stretched});
    if (fileInput)
    {
      SF_VIRTUAL_IO io{FileInput::Length, FileInput::Seek, FileInput::Read, FileInput::Write, FileInput::Tell};
      file = sf_open_virtual(&io, SFM_READ, &info, fileInput.get());
    }
    else
      file = sf_open_fd(descriptor, SFM_READ, &info, SF_TRUE);
    if (!file)
    {
      if (!fileInput)
        close(descriptor);
      error = "cannot read " + path + ": " + sf_strerror(nullptr);
      return nullptr;
    }
  }
  std::unique_ptr<AudioFileReader> reader(new AudioFileReader);
  reader->mFile = file;
  reader->mPipe = std::move(pipe);
  reader->mFileInput = std::move(fileInput);
  reader->mDescriptor = descriptor;
  reader->mPath = path;
  if (!IsReadContainer(info.format))
  {
    error = path + ": not a WAV, AIFF or FLAC file (it reads as " + ContainerName(info.format) + ")";
    return nullptr;
  }
  if (info.channels < 1 || info.channels > 2)
  {
    error = path + ": " + std::to_string(info.channels) + " channels (only mono and stereo are ridden)";
    return nullptr;
  }
  const FileHeader header = WalkHeader(descriptor, info);
  info.frames = FramesHeld(header, info);
  if (info.frames <= 0 || info.samplerate <= 0)
  {
    error = path + NoAudioReason(header, info);
    return nullptr;
  }
  reader->mChannels = info.channels;
  reader->mRate = info.samplerate;
  // A FLAC header without a length gives the largest count there is, and
  // the WAV or AIFF header of a stream from a pipe may give any (a WAV
  // streamed by another program often says 4 GB): both are read to their
  // real end. A FLAC header that gives a length gives the true one, from a
  // pipe too, so a FLAC cut short is refused there as it is in a file.
  const bool flac = (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_FLAC;
  const bool known = info.frames != SF_COUNT_MAX && (info.seekable || flac);
  reader->mFrames = known ? static_cast<long>(info.frames) : kUnknownLength;
  reader->mEnd = known ? reader->mFrames : kNotFound;
  if (known && header.found)
    reader->mWarning = CutShortWarning(path, header.audio, header.length, info.frames,
                                       BytesPerFrame(info.format, info.channels), info.samplerate);
  // A pipe's header sizes are no length (a stream may say 4 GB), but one
  // that gives a size is held to it once the pipe has ended, as a file is.
  else if (reader->mPipe && reader->mPipe->FindDeclaredAudio(reader->mDeclared) &&
           reader->mDeclared.bytes != kNoDeclaredSize)
    reader->mFrameBytes = BytesPerFrame(info.format, info.channels);
  // A pipe read on past its header's placeholder length stops there when
  // only chunks follow, as after a real audio of that length: the read
  // stops at that length to see.
  const int frameBytes = BytesPerFrame(info.format, info.channels);
  if (const DeclaredAudio* stretched = reader->mPipe ? reader->mPipe->Stretched() : nullptr;
      stretched && frameBytes > 0 && stretched->given % frameBytes == 0)
    reader->mLookAt = static_cast<long>(stretched->given / frameBytes);
  else if (reader->mPipe && !reader->mPipe->Stretched() && reader->mDeclared.ReadToTheEnd() && frameBytes > 0)
    reader->mPlaceholderEnd = static_cast<long>(reader->mDeclared.given / frameBytes);
  reader->mInterleaved.resize(static_cast<size_t>(kChunkFrames * info.channels));
  return reader;
}

AudioFileReader::~AudioFileReader()
{
  if (mFile)
    sf_close(mFile);
}

std::string AudioFileReader::ShortReadError() const
{
  // A file or a pipe cut short has been read to its end (a FLAC decoder
  // may call that lost sync, gone back over the frame cut there); anything
  // else is the pipe's, its own or the system's reason (for a FLAC file's
  // own reads, in libsndfile's words for its reads).
  if (mPipe && !mPipe->Error().empty())
    return "cannot read the audio of " + mPath + ": " + mPipe->Error();
  if (mFileInput && mFileInput->failure)
    return "cannot read the audio of " + mPath + ": System error : " + std::strerror(mFileInput->failure) + ".";
  struct stat status;
  const bool atFileEnd = mPipe       ? mPipe->Ended()
                         : mFileInput ? mFileInput->reachedEnd
                                     : fstat(mDescriptor, &status) == 0 && S_ISREG(status.st_mode) &&
                                         lseek(mDescriptor, 0, SEEK_CUR) >= status.st_size;
  if (sf_error(mFile) == SF_ERR_NO_ERROR || atFileEnd)
    return "cannot read the audio of " + mPath + " (it ends early)";
  return "cannot read the audio of " + mPath + ": " + sf_strerror(mFile);
}

bool AudioFileReader::Failed(const std::string& why)
{
  // After a failed read libsndfile may fail a seek back for its own
  // reasons (a decoder left in error): the first reason is the one to give.
  if (mError.empty())
    mError = why;
  return false;
}

bool AudioFileReader::ReadAt(long start, long count, float* const* channels)
{
  // Silence before the programme and after it; the file only for the rest.
  const long from = std::max(start, 0L);
  const long to = std::max(from, std::min(start + count, mEnd));
  for (int c = 0; c < mChannels; ++c)
  {
    std::fill(channels[c], channels[c] + std::min(from - start, count), 0.0f);
    std::fill(channels[c] + std::min(to - start, count), channels[c] + count, 0.0f);
  }
  // libsndfile clears a decoder's error at the next call, which may then
  // read on as though the programme ended there: a read that reaches where
  // one failed fails as that one did.
  if (to > mFailedFrom)
    return false;
  if (from < to && from != mPosition)
  {
    if (sf_seek(mFile, from, SEEK_SET) != from)
      return Failed("cannot read the audio of " + mPath + ": " + sf_strerror(mFile));
    mPosition = from;
  }
  for (long at = from; at < to;)
  {
    const long n = std::min({kChunkFrames, to - at, at < mLookAt ? mLookAt - at : kChunkFrames});
    const sf_count_t got = sf_readf_float(mFile, mInterleaved.data(), n);
    mPosition += got > 0 ? static_cast<long>(got) : 0;
    // Short of a known length, or short with an error: a failure; short
    // of an unknown length without one: its end.
    if (got != n && (mFrames != kUnknownLength || sf_error(mFile) != SF_ERR_NO_ERROR ||
                     (mPipe && !mPipe->Error().empty()) || (mFileInput && mFileInput->failure)))
    {
      mFailedFrom = std::min(mFailedFrom, at + std::max(0L, static_cast<long>(got)));
      return Failed(ShortReadError());
    }
    const long kept = std::max(0L, static_cast<long>(got));
    Deinterleave(mInterleaved.data(), mChannels, kept, channels, at - start);
    at += kept;
    const PipeInput::Following following =
      at == mLookAt && kept == n ? mPipe->WhatFollowsThePlaceholder() : PipeInput::Following::Audio;
    const bool onlyChunksFollow = following == PipeInput::Following::OnlyChunks;
    if (following == PipeInput::Following::CannotTell)
      mWarning = mPath + ": what follows the first " + std::to_string(at) +
                 " frames, the length its header gives as a placeholder, may be a chunk of more than " +
                 std::to_string(kPipeLookPastAudioBytes >> 20) +
                 " MiB rather than audio: from a pipe that cannot be told, and it is rendered as audio (give the file)";
    if (at == mLookAt)
      mLookAt = kNotFound;
    if (kept < n || onlyChunksFollow)
    {
      // The end of a programme of unknown length: silence from here on.
      mEnd = at;
      if (mFrameBytes > 0)
        mWarning = CutShortWarning(mPath, mDeclared, mPipe->Taken(), mEnd, mFrameBytes, static_cast<int>(mRate));
      if (at == mPlaceholderEnd)
        mWarning = mPath + ": its header gives the audio's length as a placeholder, past the first " +
                   std::to_string(kPipeHeaderBytes >> 20) +
                   " MiB of the stream, where a pipe is not read ahead: the read stops at that length, " +
                   std::to_string(at) + " frames, and any audio after it is left out (give the file)";
      for (int c = 0; c < mChannels; ++c)
        std::fill(channels[c] + (at - start), channels[c] + count, 0.0f);
      break;
    }
  }
  return true;
}

} // namespace auhost
