// Hands text to TinyXML without letting it read past the text.
//
// TinyXML steps over a UTF-8 lead byte's whole declared length (up to four
// bytes) without looking for the terminator on the way, so text that ends
// inside a multi-byte sequence sends it beyond the end of its buffer, where
// it reads whatever follows or faults. Every reader of the project parses
// through ParseXmlText, which gives TinyXML a copy followed by enough zero
// bytes that the longest step still lands on a zero. The bytes themselves
// are not checked: documents carrying names in a legacy encoding parse as
// they always did.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <tinyxml.h>

namespace plugkit {

// The parser recurses once per element it opens inside another, and a
// reader may run on a thread of a small stack (512 KiB holds 1024 levels),
// so text that could nest deeper than this is refused before it is parsed.
// Every "<" that may open an element counts toward the bound, however the
// elements nest, except in the bodies of comments, CDATA sections and
// declarations, which nest nothing: a commented-out block or tags kept as a
// string's text cost nothing. Those bodies are found by reading the markup
// as the parser reads it; from wherever the text could make the parser read
// it otherwise (a character reference, a UTF-8 lead byte without its
// continuation bytes, markup the parser would refuse), every "<" counts
// again, so no text can hide a level from the count. The project's own
// documents and property lists hold a few dozen elements.
inline constexpr size_t kMaxXmlElementStarts = 512;

// The parser makes a node, of a hundred bytes or more, of every element,
// attribute, comment, CDATA section, declaration, instruction and stray "<"
// it reads, however small, and one of each run of text between them: 64 MiB
// of "<!x>" would take gigabytes. Text that may hold more places that open a
// node than this is refused before it is parsed, so any text is read in a
// few times its own size and a few dozen megabytes. The places are counted
// as the element starts are: the bodies of comments, CDATA sections and
// declarations hold none, an attribute is the "=" it needs, and where the
// parser could read the text otherwise, every "<" and "=" counts. Runs of
// text number at most one more than the places, so they need no count of
// their own.
inline constexpr size_t kMaxXmlNodeStarts = 1 << 16;

// The parser checks each attribute against those of its element before
// it, so their time grows with the square of their number: 65,536 on one
// element take half a minute. Documents and property lists hold a few dozen.
inline constexpr size_t kMaxXmlAttributes = 4096;

// The places in text that may open an element, as the bound counts them.
size_t XmlElementStarts(std::string_view text);

// The places in text that may open a node of any kind, as the bound counts
// them.
size_t XmlNodeStarts(std::string_view text);

// The first of the bounds above that text exceeds, read in one pass: more
// places that may open an element than kMaxXmlElementStarts, a node than
// kMaxXmlNodeStarts, or an attribute than kMaxXmlAttributes.
enum class XmlBound
{
  kNone,
  kElements,
  kNodes,
  kAttributes,
};
XmlBound ExceededXmlBound(std::string_view text);

// Zero bytes after the text's last byte: the longest step from that byte
// (four bytes) lands on the last of them.
inline constexpr size_t kXmlZeroPadding = 4;

// What TinyXML is given for text: a copy followed by kXmlZeroPadding zero
// bytes.
std::string PaddedXmlText(std::string_view text);

// Parses text into doc with the given encoding, reading no byte of text
// beyond text.size() and none of the copy beyond its padding. True when
// TinyXML reports no error; the caller looks at doc either way. Text past
// any bound is not parsed: false, and doc is left as it was.
bool ParseXmlText(TiXmlDocument& doc, std::string_view text, TiXmlEncoding encoding = TIXML_DEFAULT_ENCODING);

} // namespace plugkit
