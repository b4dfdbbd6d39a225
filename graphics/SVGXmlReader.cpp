#include "graphics/SVGXmlReader.h"
#include "graphics/UTF16Text.h"

#include <cstring>

namespace plugkit::gfx::svg {

namespace {

bool IsSpace(char c)
{
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsNameChar(char c)
{
  return !IsSpace(c) && c != '=' && c != '>' && c != '/' && c != '<' && c != '"' && c != '\'';
}

// The first position of needle in [p, end), or end.
const char* FindText(const char* p, const char* end, const char* needle)
{
  const size_t n = strlen(needle);
  const std::string_view hay(p, static_cast<size_t>(end - p));
  const size_t at = hay.find(std::string_view(needle, n));
  return at == std::string_view::npos ? end : p + at;
}

// Decodes the entity whose name lies between '&' and ';'; false when it is
// not one we know.
bool DecodeEntity(std::string_view name, std::string& out)
{
  static const struct { const char* name; char c; } kNamed[] = {
    {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
  for (const auto& e : kNamed)
  {
    if (name == e.name)
    {
      out += e.c;
      return true;
    }
  }
  if (name.size() < 2 || name[0] != '#')
    return false;
  const bool hex = name[1] == 'x' || name[1] == 'X';
  const size_t first = hex ? 2 : 1;
  if (first >= name.size() || name.size() - first > 8)
    return false;
  unsigned long cp = 0;
  for (size_t i = first; i < name.size(); ++i)
  {
    const char c = name[i];
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (hex && c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return false;
    cp = cp * (hex ? 16 : 10) + static_cast<unsigned long>(d);
  }
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
    return false;
  AppendUTF8(out, static_cast<char32_t>(cp));
  return true;
}

// Reads the attributes of a start tag from p up to its '>' and reports the
// tag. Returns the position after the tag, or end when it was cut off.
const char* ReadStartTag(const char* p, const char* end, XmlHandler& handler, std::vector<XmlAttribute>& attrs)
{
  const char* nameStart = p;
  while (p < end && IsNameChar(*p))
    ++p;
  const std::string_view name(nameStart, static_cast<size_t>(p - nameStart));
  attrs.clear();
  while (p < end)
  {
    while (p < end && IsSpace(*p))
      ++p;
    if (p >= end)
      break;
    if (*p == '>')
    {
      handler.StartElement(name, attrs, false);
      return p + 1;
    }
    if (*p == '/')
    {
      if (p + 1 < end && p[1] == '>')
      {
        handler.StartElement(name, attrs, true);
        return p + 2;
      }
      ++p;
      continue;
    }
    const char* attrStart = p;
    while (p < end && IsNameChar(*p))
      ++p;
    if (p == attrStart)
    {
      ++p;  // a stray quote or '<': step over it
      continue;
    }
    const std::string_view attrName(attrStart, static_cast<size_t>(p - attrStart));
    while (p < end && IsSpace(*p))
      ++p;
    if (p >= end || *p != '=')
      continue;  // an attribute without a value is ignored
    ++p;
    while (p < end && IsSpace(*p))
      ++p;
    if (p >= end || (*p != '"' && *p != '\''))
      continue;
    const char quote = *p++;
    const char* valueStart = p;
    while (p < end && *p != quote)
      ++p;
    if (p >= end)
      break;
    XmlAttribute attr;
    attr.name = attrName;
    DecodeEntities(std::string_view(valueStart, static_cast<size_t>(p - valueStart)), attr.value);
    attrs.push_back(std::move(attr));
    ++p;
  }
  return end;
}

} // namespace

void DecodeEntities(std::string_view raw, std::string& out)
{
  out.clear();
  if (raw.find('&') == std::string_view::npos)
  {
    out.assign(raw);
    return;
  }
  out.reserve(raw.size());
  size_t i = 0;
  while (i < raw.size())
  {
    if (raw[i] == '&')
    {
      const size_t semi = raw.find(';', i + 1);
      if (semi != std::string_view::npos && semi - i <= 12 && DecodeEntity(raw.substr(i + 1, semi - i - 1), out))
      {
        i = semi + 1;
        continue;
      }
    }
    out += raw[i++];
  }
}

void ReadXml(const char* text, size_t size, XmlHandler& handler)
{
  const char* p = text;
  const char* end = text + size;
  std::vector<XmlAttribute> attrs;
  while (p < end)
  {
    p = static_cast<const char*>(memchr(p, '<', static_cast<size_t>(end - p)));
    if (!p)
      return;
    ++p;
    const size_t left = static_cast<size_t>(end - p);
    if (left >= 3 && memcmp(p, "!--", 3) == 0)
    {
      p = FindText(p + 3, end, "-->");
      p = p == end ? end : p + 3;
    }
    else if (left >= 8 && memcmp(p, "![CDATA[", 8) == 0)
    {
      p = FindText(p + 8, end, "]]>");
      p = p == end ? end : p + 3;
    }
    else if (left >= 1 && *p == '?')
    {
      p = FindText(p + 1, end, "?>");
      p = p == end ? end : p + 2;
    }
    else if (left >= 1 && *p == '!')
    {
      // DOCTYPE and other declarations; an internal subset in brackets may
      // itself hold '>'.
      int brackets = 0;
      while (p < end && (*p != '>' || brackets > 0))
      {
        if (*p == '[')
          ++brackets;
        else if (*p == ']' && brackets > 0)
          --brackets;
        ++p;
      }
      p = p == end ? end : p + 1;
    }
    else if (left >= 1 && *p == '/')
    {
      const char* nameStart = ++p;
      while (p < end && IsNameChar(*p))
        ++p;
      const std::string_view name(nameStart, static_cast<size_t>(p - nameStart));
      const char* close = static_cast<const char*>(memchr(p, '>', static_cast<size_t>(end - p)));
      if (!close)
        return;
      handler.EndElement(name);
      p = close + 1;
    }
    else
    {
      p = ReadStartTag(p, end, handler, attrs);
    }
  }
}

} // namespace plugkit::gfx::svg
