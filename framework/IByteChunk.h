#pragma once

#include <cstdint>

#include "graphics/PK_HeapBuf.h"

class PK_String;

namespace plugkit {

// The growable byte buffer of all serialised state: parameter values,
// presets, editor state. Values are written little-endian whatever the
// machine, so a chunk saved on one computer reads the same on another.
//
// Appending returns the new size, or -1 when memory ran out (the chunk is
// then unchanged). Reading takes a start position and returns the position
// after the value, or -1 when the value does not lie wholly inside the chunk
// (a negative start included); a failed read leaves its output untouched.
// No length taken from the data can make a read leave the chunk.
//
// Not thread-safe: state is written and read on the main thread.
class IByteChunk
{
public:
  explicit IByteChunk(int granularity = 4096) : mBytes(granularity) {}

  int PutBytes(const void* data, int size);
  int PutInt32(int32_t value);
  int PutUInt32(uint32_t value);
  int PutFloat(float value);
  int PutDouble(double value);
  int PutBool(bool value);
  // A text as a u32 length followed by its bytes, without terminator. Null
  // is written as the empty text.
  int PutStr(const char* text);
  // Appends all of another chunk.
  int PutChunk(const IByteChunk& other);

  int GetBytes(void* out, int size, int startPos) const;
  int GetInt32(int32_t& out, int startPos) const;
  int GetUInt32(uint32_t& out, int startPos) const;
  int GetFloat(float& out, int startPos) const;
  int GetDouble(double& out, int startPos) const;
  // Any non-zero byte reads as true.
  int GetBool(bool& out, int startPos) const;
  // A u32 length L, then L bytes; the text ends at the first zero byte
  // inside them. The next position is startPos + 4 + L.
  int GetStr(PK_String& out, int startPos) const;

  int Size() const { return mBytes.GetSize(); }
  void Clear() { mBytes.Resize(0); }
  // Sets the size (new bytes are zero); returns the new size, or -1 when
  // memory ran out.
  int Resize(int newSize);
  uint8_t* GetData() { return static_cast<uint8_t*>(mBytes.Get()); }
  const uint8_t* GetData() const { return static_cast<const uint8_t*>(mBytes.Get()); }

  // True when both chunks hold the same bytes.
  bool IsEqual(const IByteChunk& other) const;

private:
  // True when size bytes lie inside the chunk from startPos on.
  bool Holds(int startPos, int64_t size) const;
  int PutLittleEndian(uint64_t bits, int size);
  int GetLittleEndian(uint64_t& bits, int size, int startPos) const;

  PK_HeapBuf mBytes;
};

} // namespace plugkit
