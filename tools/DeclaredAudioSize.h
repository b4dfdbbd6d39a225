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

// The audio's length when the header gives none: a WAV streamed through a
// pipe may have 0xFFFFFFFF there, and sox leaves a placeholder of its own in
// a WAV or AIFF it streams (the most whole frames in 0x7FFFF000 or
// 0x7F000000 bytes), which is read as none too.
inline constexpr long long kNoDeclaredSize = -1;

struct DeclaredAudio
{
  long long offset = 0; // of the audio's first byte
  long long bytes = 0;  // the audio's length as the header gives it, or kNoDeclaredSize
  long long tags = 0;   // bytes of ID3 tags before the header
};

// The length of the ID3 tag whose first 10 bytes are `head` (a tag as
// libsndfile knows one: versions 2 to 4), or 0 when they start none.
long long Id3TagLength(const unsigned char* head);

// Gives the `count` bytes at `at` of whatever holds the header; false when
// it does not have them all.
using HeaderBytes = std::function<bool(long long at, unsigned char* into, size_t count)>;

// The bytes of the ID3 tags that `bytes` start with (0 when none).
long long Id3TagsLength(const HeaderBytes& bytes);

// The same in a file.
long long Id3TagsLength(int descriptor);

// False when `bytes` hold no WAV or AIFF header this can follow as far as
// its audio.
bool FindAudioChunk(const HeaderBytes& bytes, DeclaredAudio& out);

// The same in a file.
bool FindAudioChunk(int descriptor, DeclaredAudio& out);

} // namespace auhost
