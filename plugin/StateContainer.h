// The RIFF-style container around the product's XML state: the host's saved
// state and the chunk of every preset record. Layout, all words unsigned
// 32-bit little-endian, offsets from the container's start:
//
//   0 "RIFF"   4 outer size (bytes from 8 to the end, pad byte included)
//   8 1       12 "KPCM"   16 "KPCS"   20 inner size (8 + L)   24 1
//  28 L       32 the L bytes of the XML text, then one zero byte when the
//             inner size is odd.
//
// The words at 28 and 32 form the text field that the document code writes
// and reads; the container only frames it.
//
// Reading: "no container at this position" (the chunk is short of four
// bytes or holds another tag) returns the start position, so a caller can
// try another format there. Once the "RIFF" tag has matched, every failure
// returns -1 and applies nothing: a wrong version or tag, sizes that leave
// the chunk or disagree with the text field, and a document the reader
// refused. Success returns the position after the container (after its pad
// byte). Every position is computed in 64 bits, so no size from the data can
// wrap past a bounds check. Main thread or the host's state thread.
#pragma once

#include <cstdint>
#include <functional>

#include "framework/IByteChunk.h"

namespace tolvane3 {

inline constexpr int kContainerHeaderSize = 28;

// Appends the text field and reports whether it wrote a text.
using TextFieldWriter = std::function<bool(plugkit::IByteChunk& chunk)>;
// Reads and applies the text field at textFieldPos; true when it was
// applied. The field lies inside the container when this is called.
using TextFieldReader = std::function<bool(const plugkit::IByteChunk& chunk, int textFieldPos)>;

// Appends one container holding what writeText appends; returns its result.
// When it appended nothing, the container still is complete (inner size 4,
// outer size 20).
bool SerializeStateContainer(plugkit::IByteChunk& chunk, const TextFieldWriter& writeText);

// Checks the container at startPos and hands its text field to readText.
int UnserializeStateContainer(const plugkit::IByteChunk& chunk, int startPos, const TextFieldReader& readText);

} // namespace tolvane3
