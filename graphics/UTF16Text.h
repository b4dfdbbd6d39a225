#pragma once

#include <cstddef>
#include <string>

namespace plugkit::gfx {

// Conversions between the UTF-8 of the graphics context and the UTF-16 that
// the drawn text entry edits. Whatever comes in, what goes out is valid: an
// invalid UTF-8 sequence and an unpaired surrogate each become U+FFFD, so a
// committed text always reads back as it was shown.

std::u16string UTF8ToUTF16(const char* str);
std::string UTF16ToUTF8(const char16_t* str, size_t length);

// Appends the code point's UTF-8 bytes; the caller passes a valid one.
void AppendUTF8(std::string& out, char32_t c);
// Appends the code point as one UTF-16 unit, or two (a surrogate pair) above
// U+FFFF; the caller passes a valid one.
void AppendUTF16(std::u16string& out, char32_t c);

// The character starting at unit i of a UTF-16 text (i below its length):
// the number of units it takes (2 for a surrogate pair, else 1) and its code
// point (U+FFFD for an unpaired surrogate).
size_t UTF16CharUnits(const std::u16string& str, size_t i);
char32_t UTF16CharAt(const std::u16string& str, size_t i);

// Decodes one code point from the start of the first length bytes of str,
// never reading past them. Returns the number of bytes used, or 0 (with cp
// 0) when they do not start with a valid, shortest-form sequence.
size_t DecodeUTF8(const char* str, size_t length, char32_t& cp);

} // namespace plugkit::gfx
