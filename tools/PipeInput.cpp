#include "tools/PipeInput.h"

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "tools/DeclaredAudioSize.h"
#include "tools/FlacFrameEnd.h"

namespace auhost {

namespace {

// The length libsndfile is told: no real stream reaches it, so no size in
// a header is cut down to it.
constexpr sf_count_t kUnknownFileLength = SF_COUNT_MAX;
// A position this far can only come from the file's end, which a pipe has
// not yet shown: nothing is read there.
constexpr long long kFar = kUnknownFileLength / 2;
// Runs kept while opening; a header parser that jumps about more than
// this has the rest of what it reads left unkept.
constexpr size_t kMostRuns = 1024;
constexpr size_t kDropBytes = 65536;
// A chunk's name and size.
constexpr long long kChunkHeaderBytes = 8;
constexpr const char* kPassedBytes = "a read goes back to bytes the pipe has passed";

} // namespace

struct PipeCallbacks
{
  static sf_count_t Length(void*) { return kUnknownFileLength; }
  static sf_count_t Seek(sf_count_t offset, int whence, void* pipe)
  {
    return static_cast<PipeInput*>(pipe)->Seek(offset, whence);
  }
  static sf_count_t Read(void* into, sf_count_t count, void* pipe)
  {
    return static_cast<PipeInput*>(pipe)->Read(static_cast<unsigned char*>(into), count);
  }
  static sf_count_t Write(const void*, sf_count_t, void*) { return 0; }
  static sf_count_t Tell(void* pipe) { return static_cast<PipeInput*>(pipe)->Tell(); }
};

PipeInput::PipeInput(int descriptor) : mDescriptor(descriptor), mDropped(kDropBytes) {}

PipeInput::~PipeInput()
{
  close(mDescriptor);
}

SNDFILE* PipeInput::Open(const std::string& path, SF_INFO& info, std::string& error)
{
  SF_VIRTUAL_IO io{PipeCallbacks::Length, PipeCallbacks::Seek, PipeCallbacks::Read, PipeCallbacks::Write,
                   PipeCallbacks::Tell};
  mOpening = true;
  SkipTags();
  // From the header on: a FLAC decoder may already read its first frames
  // while it opens (those after metadata of megabytes, say, past what is
  // kept of the header), and a stream cut there sends it back over them.
  mTail.resize(kPipeTailBytes);
  mTailStart = mTaken;
  LookAtTheHeader();
  SNDFILE* file = sf_open_virtual(&io, SFM_READ, &info, this);
  mOpening = false;
  if (file && mError.empty())
  {
    // libsndfile takes any virtual file for one that seeks; this one only
    // goes back within its header, and over its last stretch.
    info.seekable = SF_FALSE;
    return file;
  }
  const std::string reason = sf_strerror(nullptr);
  if (file)
    sf_close(file);
  if (mError == kPassedBytes)
    error = "cannot read " + path + " from a pipe: " + mError + " (give the file)";
  else if (!mError.empty())
    error = "cannot read " + path + ": " + mError;
  else if (mLookedPast)
    error = "cannot read " + path + ": " + reason + " (from a pipe, nothing after the audio can be read: give the file)";
  else
    error = "cannot read " + path + ": " + reason;
  return nullptr;
}

bool PipeInput::FindDeclaredAudio(DeclaredAudio& out) const
{
  const auto kept = [this](long long at, unsigned char* into, size_t count) { return CopyKept(at, into, count); };
  return FindAudioChunk(kept, out);
}

void PipeInput::LookAtTheHeader()
{
  // A WAV's or AIFF's header is read ahead as far as its audio, when that
  // lies within what is kept of a header (a comment or a JUNK chunk before
  // it may take far more than the rest), to learn whether the length it
  // gives is a placeholder: then libsndfile is handed the header with the
  // sizes that have it read to the stream's end (the bytes kept keep the
  // header's own). What is read is kept, as libsndfile's own reads of the
  // header are.
  const auto ahead = [this](long long at, unsigned char* into, size_t count) {
    const long long to = at + static_cast<long long>(count);
    while (mTaken < to && to <= static_cast<long long>(kPipeHeaderBytes))
    {
      const long long from = mTaken;
      const long long got = Take(mDropped.data(), to - from);
      if (got == 0)
        break;
      Keep(mDropped.data(), got, from);
    }
    return CopyKept(at, into, count);
  };
  if (DeclaredAudio audio; FindAudioChunk(ahead, audio) && audio.ReadToTheEnd())
    mStretched = audio;
  // A FLAC's last bytes may be an ID3v1 tag rather than frames: so many
  // are held back until the pipe shows whether they end it.
  unsigned char magic[4];
  if (ahead(0, magic, sizeof magic) && std::memcmp(magic, "fLaC", 4) == 0)
    mHeldBack = kId3v1Bytes;
}

long long PipeInput::Visible() const
{
  if (mHeldBack == 0)
    return mTaken;
  if (!mEnded)
    return std::max(mTailStart, mTaken - mHeldBack);
  return mEndsInATag ? mTaken - kId3v1Bytes : mTaken;
}

bool PipeInput::EndsInATag() const
{
  // Within what the ring keeps, as a file looks.
  const auto kept = [this](long long at, unsigned char* into, size_t count) {
    return CopyTail(at, into, static_cast<long long>(count));
  };
  return EndsInAnId3v1Tag(kept, mTailStart, mTaken - mTailStart, kPipeTailBytes - kId3v1Bytes);
}

bool PipeInput::TakeHeldBack(long long to)
{
  if (mPosition > mTaken && !JumpTo(mPosition))
    return false;
  while (!mEnded && mError.empty() && mTaken < to + mHeldBack)
  {
    const long long from = mTaken;
    const long long got =
      Take(mDropped.data(), std::min(static_cast<long long>(mDropped.size()), to + mHeldBack - from));
    if (mOpening)
      Keep(mDropped.data(), got, from);
  }
  return mPosition < Visible();
}

PipeInput::Following PipeInput::WhatFollowsThePlaceholder()
{
  // Read ahead into a last stretch that holds it all, from the audio's
  // end on, so that the audio is read from there when it goes on.
  const DeclaredAudio& audio = *mStretched;
  // The look ends a chunk header past its length, so that a header that
  // starts within it is seen whole, as in a file.
  const long long look =
    audio.offset + audio.given + static_cast<long long>(kPipeLookPastAudioBytes) + kChunkHeaderBytes;
  GrowTail(kPipeTailBytes + kPipeLookPastAudioBytes + kChunkHeaderBytes);
  while (mTaken < look && Take(mDropped.data(), std::min(static_cast<long long>(mDropped.size()), look - mTaken)) > 0)
  {
  }
  // A pipe shows its end only to a read past its last byte: one that ends
  // right at the look does so to a read of one byte more.
  if (mTaken == look)
    Take(mDropped.data(), 1);
  bool pastTheLook = false;
  const auto taken = [this, &pastTheLook](long long at, unsigned char* into, size_t count) {
    pastTheLook = pastTheLook || at + static_cast<long long>(count) > mTaken;
    return CopyTail(at, into, static_cast<long long>(count));
  };
  // Chunks that reach the look's end of a pipe that goes on may run on.
  const bool onlyChunks = OnlyChunksFollow(taken, audio, mTaken);
  if (onlyChunks && mEnded)
    return Following::OnlyChunks;
  // A stream that goes on past the look holds audio when a walk met what
  // is no chunk; one that ran on to the look's end may still be chunks.
  return mEnded || !mError.empty() || !(pastTheLook || onlyChunks) ? Following::Audio : Following::CannotTell;
}

void PipeInput::SkipTags()
{
  // In a file libsndfile skips a tag by counting every position from its
  // end, but a virtual file's positions it takes as they come, and so
  // misplaces the audio's end by the tag's length: here the tags are read
  // and dropped, and the stream libsndfile sees starts after them.
  unsigned char head[10];
  for (int tags = 0;; ++tags)
  {
    const long long start = mTaken;
    long long got = 0, n;
    while (got < 10 && (n = Take(head + got, 10 - got)) > 0)
      got += n;
    const long long tag = got == 10 ? Id3TagLength(head) : 0;
    if (tag > 0 && tags == kMostId3Tags)
      mError = kTooManyId3Tags;
    if (tag == 0 || tags == kMostId3Tags)
    {
      mTaken -= start;
      Keep(head, got, 0);
      return;
    }
    JumpTo(start + tag);
  }
}

long long PipeInput::Tell()
{
  // A FLAC decoder asks whether it has come to the end by comparing where
  // it is with the length it was told: once the pipe has ended, its end is
  // that length, as a file's end is (a decoder that finds a frame cut there
  // looks back over it, see Seek). A file's end shows as soon as a read
  // reaches it, a pipe's only to a read past it: asked at the last byte
  // taken, this takes more (kept in the ring, read from there next) to find
  // out. While opening, a header's positions are wanted as they are.
  if (!mOpening && !mEnded && mPosition == Visible())
    Take(mDropped.data(), static_cast<long long>(mDropped.size()));
  return !mOpening && mEnded && mPosition == Visible() ? kUnknownFileLength : mPosition;
}

long long PipeInput::Seek(long long offset, int whence)
{
  long long to;
  if (whence == SEEK_SET)
    to = offset;
  else if (whence == SEEK_CUR && offset <= kUnknownFileLength - mPosition)
    to = mPosition + offset;
  else if (whence == SEEK_END && offset <= 0)
    to = kUnknownFileLength + offset;
  else
    return -1;
  // A position worked back from the end Tell gave a pipe that has ended is
  // as far back from its real end.
  if (to >= kFar && mEnded && !mOpening)
    to = Visible() - (kUnknownFileLength - to);
  if (to < 0)
    return -1;
  // Where the bytes are is found out by the next read, which fails if the
  // pipe has passed them.
  mPosition = to;
  return to;
}

long long PipeInput::Read(unsigned char* into, long long count)
{
  const long long asked = count;
  while (count > 0 && mError.empty())
  {
    long long n;
    const long long visible = Visible();
    if (mHeldBack > 0 && mPosition >= visible)
    {
      // Taken into the last stretch with the bytes held back after it, and
      // read from there.
      if (!TakeHeldBack(mPosition + std::min(count, static_cast<long long>(mDropped.size()))))
        break;
      continue;
    }
    if (const Run* run = KeptAt(mPosition))
    {
      const long long from = mPosition - run->at;
      n = std::min({count, static_cast<long long>(run->bytes.size()) - from, visible - mPosition});
      std::memcpy(into, run->bytes.data() + from, static_cast<size_t>(n));
    }
    else if (mPosition < visible)
    {
      n = std::min(count, visible - mPosition);
      if (!CopyTail(mPosition, into, n))
      {
        mError = kPassedBytes;
        break;
      }
    }
    else
    {
      if ((mPosition > mTaken && !JumpTo(mPosition)) || (n = Take(into, count)) == 0)
        break;
      if (mOpening)
        Keep(into, n, mPosition);
    }
    if (mStretched)
      SizesToTheEnd(*mStretched, mPosition, into, n);
    into += n;
    count -= n;
    mPosition += n;
  }
  return asked - count;
}

long long PipeInput::Take(unsigned char* into, long long count)
{
  if (mEnded || !mError.empty())
    return 0;
  ssize_t got;
  do
    got = read(mDescriptor, into, static_cast<size_t>(count));
  while (got < 0 && errno == EINTR);
  if (got < 0)
  {
    mError = std::strerror(errno);
    return 0;
  }
  mEnded = got == 0;
  // A FLAC's end is held back from the header on, so it is known here
  // whether the bytes held back are a tag.
  mEndsInATag = mEnded && mHeldBack > 0 && EndsInATag();
  for (long long at = 0; at < got && !mTail.empty();)
  {
    // The ring holds each byte at its position modulo its size.
    const size_t slot = static_cast<size_t>((mTaken + at) % static_cast<long long>(mTail.size()));
    const long long n = std::min(got - at, static_cast<long long>(mTail.size() - slot));
    std::memcpy(mTail.data() + slot, into + at, static_cast<size_t>(n));
    at += n;
  }
  mTaken += got;
  return got;
}

bool PipeInput::CopyTail(long long at, unsigned char* into, long long count) const
{
  const long long size = static_cast<long long>(mTail.size());
  if (size == 0 || at < std::max(mTailStart, mTaken - size) || at + count > mTaken)
    return false;
  for (long long done = 0; done < count;)
  {
    const size_t slot = static_cast<size_t>((at + done) % size);
    const long long n = std::min(count - done, size - static_cast<long long>(slot));
    std::memcpy(into + done, mTail.data() + slot, static_cast<size_t>(n));
    done += n;
  }
  return true;
}

void PipeInput::GrowTail(size_t size)
{
  if (mTail.size() >= size)
    return;
  // Each byte moves to its position modulo the new size; the ring holds
  // no byte from before those it held.
  std::vector<unsigned char> grown(size);
  const long long from = std::max(mTailStart, mTaken - static_cast<long long>(mTail.size()));
  for (long long at = from; at < mTaken;)
  {
    const size_t slot = static_cast<size_t>(at % static_cast<long long>(size));
    const long long n = std::min(mTaken - at, static_cast<long long>(size - slot));
    CopyTail(at, grown.data() + slot, n);
    at += n;
  }
  mTail.swap(grown);
  mTailStart = from;
}

bool PipeInput::JumpTo(long long to)
{
  if (to >= kFar)
    return false;
  if (mOpening && LooksPastTheAudio(to))
  {
    mLookedPast = true;
    return false;
  }
  while (mTaken < to)
    if (Take(mDropped.data(), std::min(static_cast<long long>(mDropped.size()), to - mTaken)) == 0)
      return false;
  return true;
}

bool PipeInput::LooksPastTheAudio(long long to)
{
  // libsndfile has read (and so kept) the header's chunks up to the audio
  // before it jumps over the audio; a jump before that is within the
  // header. Once found, the audio's start stays where it is.
  if (mAudioStart < 0)
  {
    DeclaredAudio audio;
    if (FindDeclaredAudio(audio))
      mAudioStart = audio.offset;
  }
  return mAudioStart >= 0 && to > mAudioStart;
}

void PipeInput::Keep(const unsigned char* bytes, long long count, long long at)
{
  const size_t n = std::min(static_cast<size_t>(count), kPipeHeaderBytes - mKeptBytes);
  if (n == 0)
    return;
  const bool continues = !mKept.empty() && mKept.back().at + static_cast<long long>(mKept.back().bytes.size()) == at;
  if (!continues)
  {
    if (mKept.size() == kMostRuns)
      return;
    mKept.push_back(Run{at, {}});
  }
  mKept.back().bytes.insert(mKept.back().bytes.end(), bytes, bytes + n);
  mKeptBytes += n;
}

const PipeInput::Run* PipeInput::KeptAt(long long at) const
{
  // Runs are kept in the stream's order: the one that may hold `at` is the
  // last that starts at or before it.
  const auto after = std::upper_bound(mKept.begin(), mKept.end(), at,
                                      [](long long position, const Run& run) { return position < run.at; });
  if (after == mKept.begin())
    return nullptr;
  const Run& run = *(after - 1);
  return at - run.at < static_cast<long long>(run.bytes.size()) ? &run : nullptr;
}

bool PipeInput::CopyKept(long long at, unsigned char* into, size_t count) const
{
  // Bytes read one after another are kept in one run, so a chunk header
  // libsndfile has read lies within one.
  const Run* run = KeptAt(at);
  if (!run)
    return false;
  const size_t from = static_cast<size_t>(at - run->at);
  if (run->bytes.size() - from < count)
    return false;
  std::memcpy(into, run->bytes.data() + from, count);
  return true;
}

} // namespace auhost
