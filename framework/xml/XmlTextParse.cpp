#include "framework/xml/XmlTextParse.h"

#include <cctype>

namespace plugkit {

namespace {

// The whitespace the library skips in markup: the ASCII set, whatever the
// locale (bytes past ASCII in markup are left to the plain count).
bool IsMarkupSpace(unsigned char c)
{
  return c == ' ' || (c >= '\t' && c <= '\r');
}

bool StartsWithNoCase(std::string_view text, size_t at, std::string_view word)
{
  if (text.size() - at < word.size())
    return false;
  for (size_t i = 0; i < word.size(); ++i)
  {
    const unsigned char c = static_cast<unsigned char>(text[at + i]);
    if ((c >= 'A' && c <= 'Z' ? c + 32 : c) != static_cast<unsigned char>(word[i]))
      return false;
  }
  return true;
}

// True where the library may take the byte at `at` together with bytes after
// it that hold markup: a character reference, which it reads to the next ';'
// whatever lies between, and a UTF-8 lead byte not followed by its
// continuation bytes, over which it steps (where it reads UTF-8).
bool MayHideMarkup(std::string_view text, size_t at)
{
  const unsigned char c = static_cast<unsigned char>(text[at]);
  if (c == '&')
    return at + 1 < text.size() && text[at + 1] == '#';
  if (c < 0xC0)
    return false;
  const size_t length = c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
  for (size_t i = at + 1; i < at + length && i < text.size(); ++i)
    if (static_cast<unsigned char>(text[i]) < 0x80)
      return true;
  return false;
}

// The places that may open an element, those that may open a node, and
// those of them that may open an attribute.
struct Starts
{
  size_t elements = 0;
  size_t nodes = 0;
  size_t attributes = 0;
};

// Where the scanner below gives up, every "<" that is not "</", "<!" or
// "<?" counts as an element: the library opens elements nowhere else. Every
// "<" counts as a node, and every "=", which each attribute needs.
Starts PlainStarts(std::string_view text, size_t from)
{
  Starts starts;
  for (size_t i = from; i < text.size(); ++i)
  {
    if (text[i] == '=')
    {
      ++starts.nodes;
      ++starts.attributes;
    }
    if (text[i] != '<')
      continue;
    ++starts.nodes;
    if (i + 1 < text.size() && text[i + 1] != '/' && text[i + 1] != '!' && text[i + 1] != '?')
      ++starts.elements;
  }
  return starts;
}

// Reads the text as the library does, markup by markup, so that it may skip
// the bodies of comments, CDATA sections and declarations, where "<" opens
// nothing. Each step returns the position after the markup it read, or
// npos where it cannot be sure the library reads it the same way (or where
// the library would stop with an error: nothing after is parsed then, but
// counting on is simpler than proving it).
class ElementStartScanner
{
public:
  explicit ElementStartScanner(std::string_view text) : mText(text) {}

  Starts Count()
  {
    Starts starts;
    for (size_t i = 0; i < mText.size();)
    {
      const char following = i + 1 < mText.size() ? mText[i + 1] : '\0';
      size_t next = kUnsure;
      if (mText[i] != '<')
        next = MayHideMarkup(mText, i) ? kUnsure : i + 1;
      else if (StartsWithNoCase(mText, i, "<?xml"))
        next = Declaration(i + 5);
      else if (mText.substr(i).starts_with("<!--"))
        next = After("-->", i + 4);
      else if (mText.substr(i).starts_with("<![CDATA["))
        next = After("]]>", i + 9);
      else if (IsNameStart(following))
      {
        size_t attributes = 0;
        if ((next = StartTag(i + 2, attributes)) != kUnsure)
        {
          ++starts.elements;
          starts.nodes += attributes;
          starts.attributes += attributes;
        }
      }
      else if (static_cast<unsigned char>(following) < 0x7F)
      {
        // Other declarations and instructions, end tags and a stray "<",
        // all read to the next ">".
        starts.elements += following != '/' && following != '!' && following != '?' && following != '\0';
        next = After(">", i + 1);
      }
      if (next == kUnsure)
      {
        const Starts plain = PlainStarts(mText, i);
        return {starts.elements + plain.elements, starts.nodes + plain.nodes, starts.attributes + plain.attributes};
      }
      // The library makes a node of each markup it reads (of an end tag
      // only where it closes nothing, but counting every one is simpler).
      starts.nodes += mText[i] == '<';
      i = next;
    }
    return starts;
  }

private:
  static constexpr size_t kUnsure = std::string_view::npos;

  static bool IsNameStart(char c)
  {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
  }

  // Bodies the library reads byte by byte up to a fixed end; one left open
  // runs to the end of the text, as the library's does.
  size_t After(std::string_view end, size_t from) const
  {
    const size_t at = mText.find(end, from);
    return at == std::string_view::npos ? mText.size() : at + end.size();
  }

  size_t SkipSpace(size_t i) const
  {
    while (i < mText.size() && IsMarkupSpace(static_cast<unsigned char>(mText[i])))
      ++i;
    return i;
  }

  // A quoted value from its opening quote: the library reads it to the same
  // quote, taking references and UTF-8 sequences whole.
  size_t QuotedValue(size_t at) const
  {
    for (size_t i = at + 1; i < mText.size(); ++i)
    {
      if (mText[i] == mText[at])
        return i + 1;
      if (MayHideMarkup(mText, i))
        return kUnsure;
    }
    return mText.size();
  }

  // An element's start tag after its name's first letter, to its ">": a
  // quote opens a value only after "=". Each "=" may open an attribute,
  // which the library makes a node of as it does of an element (and,
  // checking each against those before it, takes time that grows with the
  // square of their number): they are counted in `attributes`.
  size_t StartTag(size_t i, size_t& attributes) const
  {
    bool afterEquals = false;
    for (; i < mText.size(); ++i)
    {
      const unsigned char c = static_cast<unsigned char>(mText[i]);
      if (c == '>')
        return i + 1;
      if (c == '"' || c == '\'')
      {
        if (!afterEquals || (i = QuotedValue(i)) == kUnsure)
          return kUnsure;
        --i;
        afterEquals = false;
      }
      else if (c == '<' || c >= 0x7F)
        return kUnsure;
      else if (!IsMarkupSpace(c))
      {
        afterEquals = c == '=';
        attributes += afterEquals ? 1 : 0;
      }
    }
    return mText.size();
  }

  // The XML declaration after "<?xml": the library reads its version,
  // encoding and standalone as attributes, quotes and all, and steps over
  // any other word up to a blank or ">".
  size_t Declaration(size_t i) const
  {
    while (i < mText.size())
    {
      if (mText[i] == '>')
        return i + 1;
      i = SkipSpace(i);
      if (StartsWithNoCase(mText, i, "version") || StartsWithNoCase(mText, i, "encoding") ||
          StartsWithNoCase(mText, i, "standalone"))
      {
        while (i < mText.size() && (IsNameStart(mText[i]) || std::isdigit(static_cast<unsigned char>(mText[i])) ||
                                    mText[i] == '-' || mText[i] == '.' || mText[i] == ':'))
          ++i;
        i = SkipSpace(i);
        if (i >= mText.size() || mText[i] != '=')
          return kUnsure;
        i = SkipSpace(i + 1);
        if (i < mText.size() && (mText[i] == '"' || mText[i] == '\''))
        {
          if ((i = QuotedValue(i)) == kUnsure)
            return kUnsure;
          continue;
        }
      }
      for (; i < mText.size() && mText[i] != '>' && !IsMarkupSpace(static_cast<unsigned char>(mText[i])); ++i)
        if (static_cast<unsigned char>(mText[i]) >= 0x7F || mText[i] == '"' || mText[i] == '\'')
          return kUnsure;
    }
    return mText.size();
  }

  std::string_view mText;
};

} // namespace

size_t XmlElementStarts(std::string_view text)
{
  return ElementStartScanner(text).Count().elements;
}

size_t XmlNodeStarts(std::string_view text)
{
  return ElementStartScanner(text).Count().nodes;
}

XmlBound ExceededXmlBound(std::string_view text)
{
  const Starts starts = ElementStartScanner(text).Count();
  if (starts.elements > kMaxXmlElementStarts)
    return XmlBound::kElements;
  if (starts.nodes > kMaxXmlNodeStarts)
    return XmlBound::kNodes;
  return starts.attributes > kMaxXmlAttributes ? XmlBound::kAttributes : XmlBound::kNone;
}

std::string PaddedXmlText(std::string_view text)
{
  std::string padded(text);
  padded.append(kXmlZeroPadding, '\0');
  return padded;
}

bool ParseXmlText(TiXmlDocument& doc, std::string_view text, TiXmlEncoding encoding)
{
  if (ExceededXmlBound(text) != XmlBound::kNone)
    return false;
  const std::string padded = PaddedXmlText(text);
  doc.Parse(padded.c_str(), nullptr, encoding);
  return !doc.Error();
}

} // namespace plugkit
