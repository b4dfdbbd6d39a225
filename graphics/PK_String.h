#pragma once

#include <cstdarg>

#include "graphics/PK_HeapBuf.h"

// The framework's growable, NUL-terminated text. A string that was never set
// has no block and reads as the empty text, never null. Every change goes
// through one raw routine, so overlapping sources (a string appending part of
// itself) are safe.
//
// Formatted setters write at most a given number of characters and cut the
// rest; an encoding error in the format leaves the string consistent (empty
// for SetFormatted, unchanged for AppendFormatted); an argument may point
// into the string itself. Out of memory leaves the text unchanged. Not
// thread-safe.
class PK_String
{
public:
  PK_String(const char* text = nullptr, int maxLen = 0);
  PK_String(const PK_String& other);
  PK_String& operator=(const PK_String& other);
  PK_String(PK_String&&) noexcept = default;
  PK_String& operator=(PK_String&&) noexcept = default;

  const char* Get() const;
  int GetLength() const;

  // Replaces the text by the first characters of text: all of it when
  // maxLen <= 0, else up to its first NUL within maxLen bytes. Null text
  // gives the empty string.
  void Set(const char* text, int maxLen = 0);
  void Append(const char* text, int maxLen = 0);
  // Cuts the text to n characters (clamped to the current length).
  void SetLen(int n);

  void SetFormatted(int maxLen, const char* format, ...) __attribute__((format(printf, 3, 4)));
  void AppendFormatted(int maxLen, const char* format, ...) __attribute__((format(printf, 3, 4)));
  void SetFormattedV(int maxLen, const char* format, va_list args);
  void AppendFormattedV(int maxLen, const char* format, va_list args);

  // Bytes held by the block (text, NUL and spare room), for tests and the
  // growth rule's callers.
  int GetBlockSize() const { return m_hb.GetSize(); }
  int GetAllocated() const { return m_hb.GetAllocated(); }

private:
  // Writes n bytes of source at offset o, keeping t bytes of the old text
  // after them: the single routine behind every change of the text.
  void SetRaw(int o, const char* source, int n, int t);

  PK_HeapBuf m_hb{128};
};
