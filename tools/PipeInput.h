// An input that cannot seek (a pipe, a terminal) opened by libsndfile as a
// file of unknown length, so that a stream renders as the same bytes do
// from a file.
//
// libsndfile reads a header by going back and forth in it, and given the
// pipe itself it reads some headers wrongly (an RF64's audio a few bytes
// late, an AIFF's from before its offset, a FLAC's not at all). Here every
// byte it reads while it opens the stream is kept (up to kPipeHeaderBytes),
// so it may go back over them; bytes it jumps over are read from the pipe
// and dropped. Once open, the audio passes through, only its last stretch
// kept (see below), so memory stays the same however long the programme.
//
// In a file libsndfile also jumps past a WAV's or AIFF's audio to look for
// chunks after it. From a pipe that would mean reading the whole programme
// first, so while it opens, a jump past where the audio starts (or towards
// the end of the file) finds the file's end and takes nothing from the
// pipe: chunks after the audio are not read from a pipe, and a header that
// needs them is refused, saying to give the file.
//
// From the header on, the last kPipeTailBytes pass through a ring, so that
// a FLAC decoder may look back over a frame the stream's end cut (one it
// read while opening too, after metadata longer than what is kept of the
// header); and once the pipe has ended, its end is told as a file's is (see
// Tell), so the decoder refuses such a frame as in a file. ID3 tags before
// the header, which libsndfile skips in a file but misplaces the audio's end
// by in a stream, are read and dropped before libsndfile sees the stream.
//
// A WAV's or AIFF's header whose audio's length is a placeholder (a
// program streaming it could not know the length) is handed to libsndfile
// with sizes that have it read the stream to its end, when the header is
// found among the bytes kept while opening; the reader stops at the
// placeholder's length when only chunks follow it, which the pipe reads
// ahead to see, as far as cover art takes. A FLAC's last 128 bytes are
// held back until the pipe shows whether they are an ID3v1 tag (they begin
// as one after the stream's last whole frame), which is then no part of
// the stream.
//
// A read that needs bytes the pipe has passed and did not keep fails, and
// so does every read after it, with Error() saying why: the caller refuses
// rather than render the wrong bytes. A read interrupted by a signal is
// retried. One thread uses a PipeInput; whatever the stream holds, it never
// reads or writes outside its own buffers.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "tools/DeclaredAudioSize.h"

struct sf_private_tag; // libsndfile's SNDFILE
struct SF_INFO;

namespace auhost {

// The most bytes kept of a stream while it is opened: far more than any
// header libsndfile reads, and nothing of a programme's length.
inline constexpr size_t kPipeHeaderBytes = 1 << 20;
// The last bytes kept of a stream: a FLAC decoder that finds the
// stream cut inside a frame looks back over the frame for the next, and a
// mono or stereo frame is smaller than this.
inline constexpr size_t kPipeTailBytes = 1 << 20;
// How far past a placeholder's length a stream is read ahead to see
// whether only chunks follow it: more than the artwork a file carries. The
// last stretch kept grows to hold it then.
inline constexpr size_t kPipeLookPastAudioBytes = 16 << 20;

// Why a stream with more ID3 tags before its header than are skipped
// (kMostId3Tags) is refused, from a pipe and a file alike: past them
// libsndfile would skip the rest itself, and from a pipe misplace the
// audio's end by their length.
inline constexpr const char* kTooManyId3Tags = "more than 1000 ID3 tags before the header";
static_assert(kMostId3Tags == 1000, "kTooManyId3Tags names the cap");

class PipeInput
{
public:
  // Reads `descriptor`, and closes it when destroyed.
  explicit PipeInput(int descriptor);
  ~PipeInput();
  PipeInput(const PipeInput&) = delete;
  PipeInput& operator=(const PipeInput&) = delete;

  // libsndfile's handle on the stream, with `info` filled in as for a
  // stream that cannot seek; it must be closed before this goes. Null with
  // `error` set, naming `path`, in libsndfile's words or saying what a pipe
  // could not give.
  sf_private_tag* Open(const std::string& path, SF_INFO& info, std::string& error);
  // Why a read failed: the system's reason, or bytes the pipe had passed;
  // empty while none has.
  const std::string& Error() const { return mError; }
  // Whether the pipe has given its last byte.
  bool Ended() const { return mEnded; }
  // The bytes the pipe has given (its length once it has Ended()), any
  // ID3 tags before the header not counted.
  long long Taken() const { return mTaken; }
  // The WAV's or AIFF's audio as its header declares it, read from the
  // bytes kept while opening; false when they hold no such header.
  bool FindDeclaredAudio(DeclaredAudio& out) const;
  // A WAV's or AIFF's audio whose header gives its length as a placeholder
  // and is read on past it, to the stream's end; null for any other.
  const DeclaredAudio* Stretched() const { return mStretched ? &*mStretched : nullptr; }
  // What follows the Stretched() audio's placeholder length, where
  // libsndfile has read to: audio, or chunks and nothing else to the
  // stream's end, as after real audio of that length; read ahead as far as
  // kPipeLookPastAudioBytes and a chunk header more (kept, so that audio is
  // read from there), past which chunks that still run on cannot be told
  // from audio.
  enum class Following
  {
    Audio,
    OnlyChunks,
    CannotTell
  };
  Following WhatFollowsThePlaceholder();

private:
  friend struct PipeCallbacks;
  // A stretch of the stream kept while it was opened.
  struct Run
  {
    long long at = 0;
    std::vector<unsigned char> bytes;
  };

  // libsndfile's reads and seeks, at mPosition.
  long long Read(unsigned char* into, long long count);
  long long Seek(long long offset, int whence);
  long long Tell();
  // Reads and drops any ID3 tags at the stream's start; more than
  // kMostId3Tags fail every read, as a file with them is refused.
  void SkipTags();
  // Reads the header ahead to see what it needs: sizes stretched, or a
  // FLAC's end held back.
  void LookAtTheHeader();
  // Where the stream libsndfile sees ends so far: bytes held back at a
  // FLAC's end, and an ID3v1 tag there once the pipe has ended, are not
  // part of it.
  long long Visible() const;
  // Whether, the pipe having ended, its last bytes are an ID3v1 tag after
  // a FLAC's frames.
  bool EndsInATag() const;
  // Takes up to `to` and the bytes held back after it; false when nothing
  // past mPosition is visible then.
  bool TakeHeldBack(long long to);
  // Up to `count` bytes from the pipe: how many, or 0 at its end or once a
  // read has failed (with mError set).
  long long Take(unsigned char* into, long long count);
  // Reads the pipe up to `to`, dropping what is read; false when the
  // stream ends first, the read fails, or (while opening) `to` lies past
  // the audio.
  bool JumpTo(long long to);
  bool LooksPastTheAudio(long long to);
  void Keep(const unsigned char* bytes, long long count, long long at);
  const Run* KeptAt(long long at) const;
  // All of [at, at + count) from a kept run; false when it is not all there.
  bool CopyKept(long long at, unsigned char* into, size_t count) const;
  // The same from the stream's last stretch.
  bool CopyTail(long long at, unsigned char* into, long long count) const;
  // Makes the last stretch kept `size` bytes, keeping what it holds.
  void GrowTail(size_t size);

  int mDescriptor;
  std::vector<Run> mKept;
  size_t mKeptBytes = 0;
  std::vector<unsigned char> mDropped; // room for bytes jumped over
  std::vector<unsigned char> mTail;    // a ring of the last bytes taken from the header on
  long long mTailStart = 0;            // the ring's first byte: the header's (after any ID3 tags), or later once grown
  long long mTaken = 0;    // bytes read from the pipe so far
  long long mPosition = 0; // where libsndfile reads next
  bool mOpening = false;
  bool mEnded = false;      // the pipe has given its last byte
  bool mLookedPast = false; // a look past the audio while opening was turned away
  long long mAudioStart = -1; // where a WAV's or AIFF's audio starts, once found
  std::optional<DeclaredAudio> mStretched; // read on past its placeholder length
  long long mHeldBack = 0; // bytes not handed on until more are taken
  bool mEndsInATag = false; // the bytes held back are a tag, once the pipe has ended
  std::string mError;
};

} // namespace auhost
