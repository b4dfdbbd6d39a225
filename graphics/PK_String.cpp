#include "graphics/PK_String.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// How many characters of text a Set or Append with maxLen takes.
int CountToCopy(const char* text, int maxLen)
{
  if (!text)
    return 0;
  if (maxLen <= 0)
  {
    const size_t length = std::strlen(text);
    return length > INT32_MAX - 2 ? INT32_MAX - 2 : static_cast<int>(length);
  }
  const void* nul = std::memchr(text, 0, static_cast<size_t>(maxLen));
  return nul ? static_cast<int>(static_cast<const char*>(nul) - text) : maxLen;
}

} // namespace

PK_String::PK_String(const char* text, int maxLen)
{
  if (text)
    Set(text, maxLen);
}

PK_String::PK_String(const PK_String& other)
{
  if (other.m_hb.GetSize())
    Set(other.Get());
}

PK_String& PK_String::operator=(const PK_String& other)
{
  if (this != &other)
    Set(other.Get());
  return *this;
}

const char* PK_String::Get() const
{
  const char* text = static_cast<const char*>(m_hb.Get());
  return text ? text : "";
}

int PK_String::GetLength() const
{
  return m_hb.GetSize() ? static_cast<int>(std::strlen(Get())) : 0;
}

void PK_String::SetRaw(int o, const char* source, int n, int t)
{
  if (o == 0 && n == 0 && t == 0)
  {
    if (char* block = static_cast<char*>(m_hb.Resize(1, false)); block && m_hb.GetSize() == 1)
      block[0] = 0;
    return;
  }
  if (o < 0 || n <= 0 || t < 0)
    return;

  const int64_t wanted = int64_t(o) + n + t + 1;
  if (wanted > INT32_MAX)
    return;
  const int newSize = static_cast<int>(wanted);
  const int oldSize = m_hb.GetSize();

  if (newSize > oldSize)
  {
    // The source may live inside our own block, which may move as it grows.
    const char* oldBlock = static_cast<const char*>(m_hb.Get());
    const bool sourceInside = oldBlock && source >= oldBlock && source < oldBlock + oldSize;
    const ptrdiff_t sourceOffset = sourceInside ? source - oldBlock : 0;
    m_hb.Resize(newSize, false);
    if (sourceInside)
      source = static_cast<const char*>(m_hb.Get()) + sourceOffset;
  }

  char* block = static_cast<char*>(m_hb.Get());
  if (!block || m_hb.GetSize() <= o + n + t)
    return; // out of memory: the text stays as it was
  std::memmove(block + o + n, block + o, static_cast<size_t>(t));
  std::memmove(block + o, source, static_cast<size_t>(n));
  block[o + n + t] = 0;
  if (newSize < oldSize)
    m_hb.Resize(newSize, false);
}

void PK_String::Set(const char* text, int maxLen)
{
  const int n = CountToCopy(text, maxLen);
  if (n == 0)
    SetRaw(0, nullptr, 0, 0);
  else
    SetRaw(0, text, n, 0);
}

void PK_String::Append(const char* text, int maxLen)
{
  const int n = CountToCopy(text, maxLen);
  if (n > 0)
    SetRaw(GetLength(), text, n, 0);
}

void PK_String::SetLen(int n)
{
  // Only cutting is meaningful: growing would expose bytes never written.
  const int length = GetLength();
  n = std::clamp(n, 0, length);
  if (!m_hb.GetSize() || n == length)
    return;
  static_cast<char*>(m_hb.Get())[n] = 0;
  m_hb.Resize(n + 1, false);
}

namespace {

// Formats into scratch, never into the string itself: an argument may point
// into the string's own block, which must stay as it is until vsnprintf has
// read it. Returns the length written (at most maxLen), kEncodingError or
// kOutOfMemory.
constexpr int kEncodingError = -1;
constexpr int kOutOfMemory = -2;

int FormatIntoScratch(PK_HeapBuf& scratch, int maxLen, const char* format, va_list args)
{
  va_list measure;
  va_copy(measure, args);
  const int needed = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (needed < 0)
    return kEncodingError;
  const int length = std::min(needed, maxLen);
  char* block = static_cast<char*>(scratch.Resize(length + 1));
  if (!block || scratch.GetSize() != length + 1)
    return kOutOfMemory;
  std::vsnprintf(block, static_cast<size_t>(length) + 1, format, args);
  return length;
}

} // namespace

void PK_String::SetFormattedV(int maxLen, const char* format, va_list args)
{
  maxLen = std::clamp(maxLen, 0, INT32_MAX - 1);
  PK_HeapBuf scratch(128);
  const int length = FormatIntoScratch(scratch, maxLen, format, args);
  if (length == kOutOfMemory)
    return;
  // An encoding error writes nothing dependable: leave a consistent empty text.
  if (length <= 0)
    SetRaw(0, nullptr, 0, 0);
  else
    SetRaw(0, static_cast<const char*>(scratch.Get()), length, 0);
}

void PK_String::AppendFormattedV(int maxLen, const char* format, va_list args)
{
  const int64_t start = GetLength();
  maxLen = std::max(maxLen, 0);
  if (start + maxLen + 1 > INT32_MAX)
    return;
  PK_HeapBuf scratch(128);
  const int added = FormatIntoScratch(scratch, maxLen, format, args);
  // An encoding error keeps the text as it was before the call.
  if (added > 0)
    SetRaw(static_cast<int>(start), static_cast<const char*>(scratch.Get()), added, 0);
  else if (added == 0 && !m_hb.GetSize())
    SetRaw(0, nullptr, 0, 0);
}

void PK_String::SetFormatted(int maxLen, const char* format, ...)
{
  va_list args;
  va_start(args, format);
  SetFormattedV(maxLen, format, args);
  va_end(args);
}

void PK_String::AppendFormatted(int maxLen, const char* format, ...)
{
  va_list args;
  va_start(args, format);
  AppendFormattedV(maxLen, format, args);
  va_end(args);
}
