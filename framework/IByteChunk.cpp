#include "framework/IByteChunk.h"

#include <cstring>

#include "graphics/PK_String.h"

namespace plugkit {

bool IByteChunk::Holds(int startPos, int64_t size) const
{
  // 64-bit arithmetic: a length of up to 0xFFFFFFFF cannot wrap past the end.
  return startPos >= 0 && size >= 0 && size <= static_cast<int64_t>(Size()) - startPos;
}

int IByteChunk::PutBytes(const void* data, int size)
{
  const int oldSize = Size();
  if (size <= 0)
    return oldSize;
  if (size > 0x7fffffff - oldSize)
    return -1;
  mBytes.Resize(oldSize + size);
  if (Size() != oldSize + size)
    return -1;
  if (data)
    std::memcpy(GetData() + oldSize, data, static_cast<size_t>(size));
  else
    std::memset(GetData() + oldSize, 0, static_cast<size_t>(size));
  return Size();
}

int IByteChunk::PutLittleEndian(uint64_t bits, int size)
{
  uint8_t bytes[8];
  for (int i = 0; i < size; ++i)
    bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
  return PutBytes(bytes, size);
}

int IByteChunk::GetLittleEndian(uint64_t& bits, int size, int startPos) const
{
  if (!Holds(startPos, size))
    return -1;
  const uint8_t* p = GetData() + startPos;
  uint64_t v = 0;
  for (int i = 0; i < size; ++i)
    v |= static_cast<uint64_t>(p[i]) << (8 * i);
  bits = v;
  return startPos + size;
}

int IByteChunk::PutInt32(int32_t value) { return PutLittleEndian(static_cast<uint32_t>(value), 4); }
int IByteChunk::PutUInt32(uint32_t value) { return PutLittleEndian(value, 4); }
int IByteChunk::PutBool(bool value) { return PutLittleEndian(value ? 1 : 0, 1); }

int IByteChunk::PutFloat(float value)
{
  uint32_t bits;
  std::memcpy(&bits, &value, 4);
  return PutLittleEndian(bits, 4);
}

int IByteChunk::PutDouble(double value)
{
  uint64_t bits;
  std::memcpy(&bits, &value, 8);
  return PutLittleEndian(bits, 8);
}

int IByteChunk::PutStr(const char* text)
{
  const size_t len = text ? std::strlen(text) : 0;
  if (len > static_cast<size_t>(0x7fffffff - 4 - Size()))
    return -1;
  const int oldSize = Size();
  if (PutUInt32(static_cast<uint32_t>(len)) < 0)
    return -1;
  if (PutBytes(text, static_cast<int>(len)) < 0)
  {
    mBytes.Resize(oldSize);
    return -1;
  }
  return Size();
}

int IByteChunk::PutChunk(const IByteChunk& other)
{
  if (&other == this)
  {
    // Appending to ourselves: copy first, the block may move as it grows.
    IByteChunk copy(*this);
    return PutBytes(copy.GetData(), copy.Size());
  }
  return PutBytes(other.GetData(), other.Size());
}

int IByteChunk::GetBytes(void* out, int size, int startPos) const
{
  if (!Holds(startPos, size))
    return -1;
  if (size > 0)
    std::memcpy(out, GetData() + startPos, static_cast<size_t>(size));
  return startPos + size;
}

int IByteChunk::GetInt32(int32_t& out, int startPos) const
{
  uint64_t bits;
  const int pos = GetLittleEndian(bits, 4, startPos);
  if (pos >= 0)
    out = static_cast<int32_t>(static_cast<uint32_t>(bits));
  return pos;
}

int IByteChunk::GetUInt32(uint32_t& out, int startPos) const
{
  uint64_t bits;
  const int pos = GetLittleEndian(bits, 4, startPos);
  if (pos >= 0)
    out = static_cast<uint32_t>(bits);
  return pos;
}

int IByteChunk::GetFloat(float& out, int startPos) const
{
  uint64_t bits;
  const int pos = GetLittleEndian(bits, 4, startPos);
  if (pos >= 0)
  {
    const uint32_t b32 = static_cast<uint32_t>(bits);
    std::memcpy(&out, &b32, 4);
  }
  return pos;
}

int IByteChunk::GetDouble(double& out, int startPos) const
{
  uint64_t bits;
  const int pos = GetLittleEndian(bits, 8, startPos);
  if (pos >= 0)
    std::memcpy(&out, &bits, 8);
  return pos;
}

int IByteChunk::GetBool(bool& out, int startPos) const
{
  uint64_t bits;
  const int pos = GetLittleEndian(bits, 1, startPos);
  if (pos >= 0)
    out = bits != 0;
  return pos;
}

int IByteChunk::GetStr(PK_String& out, int startPos) const
{
  uint32_t len = 0;
  const int textPos = GetUInt32(len, startPos);
  if (textPos < 0 || !Holds(textPos, len))
    return -1;
  if (len == 0)
    out.Set("");
  else
    out.Set(reinterpret_cast<const char*>(GetData() + textPos), static_cast<int>(len));
  return textPos + static_cast<int>(len);
}

int IByteChunk::Resize(int newSize)
{
  const int oldSize = Size();
  if (newSize < 0)
    newSize = 0;
  mBytes.Resize(newSize);
  if (Size() != newSize)
    return -1;
  if (newSize > oldSize)
    std::memset(GetData() + oldSize, 0, static_cast<size_t>(newSize - oldSize));
  return newSize;
}

bool IByteChunk::IsEqual(const IByteChunk& other) const
{
  return Size() == other.Size() && (Size() == 0 || std::memcmp(GetData(), other.GetData(), static_cast<size_t>(Size())) == 0);
}

} // namespace plugkit
