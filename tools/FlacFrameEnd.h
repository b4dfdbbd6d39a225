// Whether a FLAC stream's bytes end where one of its frames does.
//
// Some taggers add a 128-byte ID3v1 tag after a FLAC's frames; its first
// bytes are "TAG". Audio may hold those bytes too, so the last 128 bytes of
// a stream are a tag only when the bytes before them end on a whole frame:
// a frame header (its sync code and CRC-8 right) whose CRC-16, at the
// frame's end, covers every byte from it to there. Nothing is decoded; only
// the given bytes are read, whatever they hold.
#pragma once

#include <cstddef>

#include "tools/DeclaredAudioSize.h"

namespace auhost {

// Whether the `size` bytes at `bytes`, the last of a FLAC stream, end with
// a whole frame (that frame's start among them). The nearest few frame
// headers are tried, so that bytes full of false ones cost no more than
// a few frames do.
bool EndsOnAWholeFlacFrame(const unsigned char* bytes, size_t size);

// Whether the `length` bytes of a FLAC stream from `start`, given by
// `bytes`, end in an ID3v1 tag: bytes that begin as one after a whole
// frame, which is looked for in the `lookBack` bytes before them at most. A
// file and a pipe both decide here, with the pipe's last stretch as the
// look-back, so that they decide alike.
bool EndsInAnId3v1Tag(const HeaderBytes& bytes, long long start, long long length, size_t lookBack);

} // namespace auhost
