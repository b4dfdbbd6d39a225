// How much audio a WAV (RIFF or RF64) or AIFF/AIFC header says the file
// holds, read from the file's own chunk headers. libsndfile reads a file cut
// short (a copy or download that stopped) to its readable end without a
// word; comparing what the header declares with what is there tells the
// user how much is missing.
//
// Only chunk headers are read, with pread (the descriptor's position is
// left alone, so a reader sharing it is undisturbed), each read checked
// against what the file gives; a header that makes no sense, a pipe or
// another container gives false. The same walk over the bytes kept of a
// pipe finds where its audio starts. ID3 tags before the header, which
// libsndfile skips, are skipped here too.
#pragma once

#include <cstddef>
#include <functional>

namespace auhost {

// The audio's length when the header gives none, or a placeholder that a
// program writing to a pipe leaves there (see DeclaredAudioSize.cpp): such
// audio runs to the end of the stream.
inline constexpr long long kNoDeclaredSize = -1;

// The most ID3 tags skipped before a header, from a file and a pipe alike.
inline constexpr int kMostId3Tags = 1000;

struct DeclaredAudio
{
  long long offset = 0; // of the audio's first byte
  long long bytes = 0;  // the audio's length as the header gives it, or kNoDeclaredSize
  long long tags = 0;   // bytes of ID3 tags before the header
  // The length the header gives, a placeholder too, and where the chunk
  // after the audio would start by it.
  long long given = 0;
  long long givenEnd = 0;
  // Where the audio chunk's size field lies (-1 in an RF64, whose sizes
  // are not stretched), and a WAV's RIFF size's (-1 in an AIFF).
  long long sizeAt = -1;
  long long outerSizeAt = -1;
  bool aiff = false; // its sizes big-endian

  // Whether its length is none (a placeholder) and its sizes can be put so
  // that libsndfile reads it to the stream's end (SizesToTheEnd).
  bool ReadToTheEnd() const { return bytes == kNoDeclaredSize && sizeAt >= 0; }
};

// The length of the ID3 tag whose first 10 bytes are `head` (a tag as
// libsndfile knows one: versions 2 to 4), or 0 when they start none.
long long Id3TagLength(const unsigned char* head);

// Bytes of an ID3v1 tag, which some taggers add after a file's audio.
inline constexpr long long kId3v1Bytes = 128;

// Whether `head`, the first 3 bytes of the last kId3v1Bytes of a stream,
// start an ID3v1 tag.
inline bool IsId3v1Tag(const unsigned char* head)
{
  return head[0] == 'T' && head[1] == 'A' && head[2] == 'G';
}

// Gives the `count` bytes at `at` of whatever holds the header; false when
// it does not have them all.
using HeaderBytes = std::function<bool(long long at, unsigned char* into, size_t count)>;

// The bytes of the file open as `descriptor`, read where asked.
HeaderBytes FileBytes(int descriptor);

// The bytes of the ID3 tags that `bytes` start with (0 when none).
long long Id3TagsLength(const HeaderBytes& bytes);

// The same in a file.
long long Id3TagsLength(int descriptor);

// False when `bytes` hold no WAV or AIFF header this can follow as far as
// its audio.
bool FindAudioChunk(const HeaderBytes& bytes, DeclaredAudio& out);

// The same in a file.
bool FindAudioChunk(int descriptor, DeclaredAudio& out);

// Whether chunks that follow one another from `at` end exactly at `end`,
// each of odd length with its pad byte or without it, as writers put them;
// false where what is there is no chunk (no name of four letters), or one
// runs past `end` or past what `bytes` give. `bigEndian` as an AIFF's
// sizes are.
bool ChunksEndAt(const HeaderBytes& bytes, long long at, long long end, bool bigEndian);

// Whether only chunks follow `audio`, taken as real audio of the length
// its header gives, to `end` (the stream's length): from its pad byte on,
// or, where they do not, from its last byte on, as a writer that leaves
// the pad byte out puts them.
bool OnlyChunksFollow(const HeaderBytes& bytes, const DeclaredAudio& audio, long long end);

// The same in a file of `end` bytes.
bool OnlyChunksFollow(int descriptor, const DeclaredAudio& audio, long long end);

// The header of audio whose length it gives as none, with the sizes put
// that have libsndfile read that audio to the stream's real end, however
// long: of the `count` bytes at `at` of the stream `audio` was found in,
// those of its size fields are overwritten.
void SizesToTheEnd(const DeclaredAudio& audio, long long at, unsigned char* bytes, long long count);

} // namespace auhost
