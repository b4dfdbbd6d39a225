#include "tools/PropertyList.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include <tinyxml.h>

#include "framework/xml/XmlTextParse.h"
#include "tools/TextFile.h"

namespace auhost {

PlistValue PlistValue::String(std::string s)
{
  PlistValue v;
  v.text = std::move(s);
  return v;
}

PlistValue PlistValue::Integer(int64_t i)
{
  PlistValue v;
  v.kind = Kind::Integer;
  v.integer = i;
  return v;
}

PlistValue PlistValue::Real(double r)
{
  PlistValue v;
  v.kind = Kind::Real;
  v.real = r;
  return v;
}

PlistValue PlistValue::Data(std::vector<uint8_t> bytes)
{
  PlistValue v;
  v.kind = Kind::Data;
  v.data = std::move(bytes);
  return v;
}

PlistValue PlistValue::Dict()
{
  PlistValue v;
  v.kind = Kind::Dict;
  return v;
}

const PlistValue* PlistValue::Find(const std::string& key) const
{
  if (kind != Kind::Dict)
    return nullptr;
  for (const auto& [k, v] : dict)
    if (k == key)
      return &v;
  return nullptr;
}

namespace {

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Digit(char c)
{
  if (c >= 'A' && c <= 'Z')
    return c - 'A';
  if (c >= 'a' && c <= 'z')
    return c - 'a' + 26;
  if (c >= '0' && c <= '9')
    return c - '0' + 52;
  if (c == '+')
    return 62;
  if (c == '/')
    return 63;
  return -1;
}

const char* TextOf(const TiXmlElement& e)
{
  const char* t = e.GetText();
  return t ? t : "";
}

// A property list's text is UTF-8. Bytes that are not would be read back
// differently once written (the XML reader takes a stray lead byte together
// with the entity after it), so such a list is refused instead.
bool IsValidUtf8(const char* s)
{
  const auto* p = reinterpret_cast<const unsigned char*>(s);
  while (*p)
  {
    int extra = 0;
    unsigned cp = *p;
    if (cp < 0x80)
      extra = 0;
    else if (cp >= 0xC2 && cp <= 0xDF)
      extra = 1, cp &= 0x1F;
    else if (cp >= 0xE0 && cp <= 0xEF)
      extra = 2, cp &= 0x0F;
    else if (cp >= 0xF0 && cp <= 0xF4)
      extra = 3, cp &= 0x07;
    else
      return false;
    ++p;
    for (int i = 0; i < extra; ++i, ++p)
    {
      if ((*p & 0xC0) != 0x80)
        return false;
      cp = (cp << 6) | (*p & 0x3F);
    }
    const unsigned least[] = {0, 0x80, 0x800, 0x10000};
    if (cp < least[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
  }
  return true;
}

bool ParseInteger(const char* text, int64_t& out)
{
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text, &end, 10);
  if (end == text || errno == ERANGE)
    return false;
  while (*end == ' ' || *end == '\t' || *end == '\n' || *end == '\r')
    ++end;
  if (*end)
    return false;
  out = v;
  return true;
}

bool ParseReal(const char* text, double& out)
{
  // Not strtod alone: it follows the process locale, and plists use '.'.
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text, &end);
  if (end == text || *end || !std::isfinite(v))
    return false;
  out = v;
  return true;
}

// Refuses what a well-formed list never holds; `depth` bounds the recursion.
bool ParseValue(const TiXmlElement& e, int depth, PlistValue& out, std::string& error)
{
  if (depth > kMaxPlistDepth)
  {
    error = "nested too deeply";
    return false;
  }
  const std::string tag = e.Value();
  if (tag == "string")
  {
    if (!IsValidUtf8(TextOf(e)))
    {
      error = "a string that is not UTF-8";
      return false;
    }
    out = PlistValue::String(TextOf(e));
    return true;
  }
  if (tag == "integer")
  {
    out.kind = PlistValue::Kind::Integer;
    if (ParseInteger(TextOf(e), out.integer))
      return true;
    error = "bad integer \"" + Excerpt(TextOf(e)) + "\"";
    return false;
  }
  if (tag == "real")
  {
    out.kind = PlistValue::Kind::Real;
    if (ParseReal(TextOf(e), out.real))
      return true;
    error = "bad real \"" + Excerpt(TextOf(e)) + "\"";
    return false;
  }
  if (tag == "true" || tag == "false")
  {
    out.kind = PlistValue::Kind::Boolean;
    out.boolean = tag == "true";
    return true;
  }
  if (tag == "data")
  {
    auto bytes = DecodeBase64(TextOf(e));
    if (!bytes)
    {
      error = "bad base64 data";
      return false;
    }
    out = PlistValue::Data(std::move(*bytes));
    return true;
  }
  if (tag == "array")
  {
    out.kind = PlistValue::Kind::Array;
    for (const TiXmlElement* c = e.FirstChildElement(); c; c = c->NextSiblingElement())
    {
      PlistValue item;
      if (!ParseValue(*c, depth + 1, item, error))
        return false;
      out.array.push_back(std::move(item));
    }
    return true;
  }
  if (tag == "dict")
  {
    out = PlistValue::Dict();
    for (const TiXmlElement* k = e.FirstChildElement(); k; k = k->NextSiblingElement())
    {
      if (std::string(k->Value()) != "key")
      {
        error = "<" + Excerpt(k->Value()) + "> where a <key> belongs";
        return false;
      }
      if (!IsValidUtf8(TextOf(*k)))
      {
        error = "a key that is not UTF-8";
        return false;
      }
      const TiXmlElement* v = k->NextSiblingElement();
      if (!v)
      {
        error = "key \"" + Excerpt(TextOf(*k)) + "\" has no value";
        return false;
      }
      PlistValue value;
      if (!ParseValue(*v, depth + 1, value, error))
        return false;
      if (out.Find(TextOf(*k)))
      {
        error = "key \"" + Excerpt(TextOf(*k)) + "\" given twice";
        return false;
      }
      out.dict.emplace_back(TextOf(*k), std::move(value));
      k = v;
    }
    return true;
  }
  error = "unknown element <" + Excerpt(tag) + ">";
  return false;
}

void Indent(std::string& out, int depth)
{
  out.append(static_cast<size_t>(depth), '\t');
}

std::string Escaped(const std::string& text)
{
  std::string out;
  for (char c : text)
  {
    switch (c)
    {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string RealText(double r)
{
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", r);
  // A comma-decimal locale would give "1,5"; plists always use a point.
  for (char* p = buffer; *p; ++p)
    if (*p == ',')
      *p = '.';
  return buffer;
}

void WriteValue(const PlistValue& v, int depth, std::string& out)
{
  Indent(out, depth);
  switch (v.kind)
  {
    case PlistValue::Kind::String: out += "<string>" + Escaped(v.text) + "</string>\n"; break;
    case PlistValue::Kind::Integer: out += "<integer>" + std::to_string(v.integer) + "</integer>\n"; break;
    case PlistValue::Kind::Real: out += "<real>" + RealText(v.real) + "</real>\n"; break;
    case PlistValue::Kind::Boolean: out += v.boolean ? "<true/>\n" : "<false/>\n"; break;
    case PlistValue::Kind::Data:
      out += "<data>\n";
      Indent(out, depth);
      out += EncodeBase64(v.data) + "\n";
      Indent(out, depth);
      out += "</data>\n";
      break;
    case PlistValue::Kind::Array:
      out += "<array>\n";
      for (const PlistValue& item : v.array)
        WriteValue(item, depth + 1, out);
      Indent(out, depth);
      out += "</array>\n";
      break;
    case PlistValue::Kind::Dict:
      out += "<dict>\n";
      for (const auto& [key, value] : v.dict)
      {
        Indent(out, depth + 1);
        out += "<key>" + Escaped(key) + "</key>\n";
        WriteValue(value, depth + 1, out);
      }
      Indent(out, depth);
      out += "</dict>\n";
      break;
  }
}

} // namespace

std::optional<PlistValue> ParsePlist(std::string_view xml, std::string& error)
{
  if (xml.size() > kMaxPlistBytes)
  {
    error = "file too large";
    return std::nullopt;
  }
  // The binary form keeps the same values in another encoding; a file in
  // it is not broken, only not the form read here.
  if (xml.substr(0, 6) == "bplist")
  {
    error = "a binary property list; the host reads property lists in their XML form";
    return std::nullopt;
  }
  if (std::memchr(xml.data(), 0, xml.size()))
  {
    error = "not a text file";
    return std::nullopt;
  }
  switch (plugkit::ExceededXmlBound(xml))
  {
  case plugkit::XmlBound::kElements:
    error = "nested too deeply or holding too many elements: the reader takes at most " +
            std::to_string(plugkit::kMaxXmlElementStarts);
    return std::nullopt;
  case plugkit::XmlBound::kNodes:
    error = "holding too much markup: the reader takes at most " + std::to_string(plugkit::kMaxXmlNodeStarts) +
            " elements, attributes, comments, declarations and instructions";
    return std::nullopt;
  case plugkit::XmlBound::kAttributes:
    error = "holding too many attributes: the reader takes at most " + std::to_string(plugkit::kMaxXmlAttributes);
    return std::nullopt;
  case plugkit::XmlBound::kNone:
    break;
  }
  TiXmlDocument doc;
  if (!plugkit::ParseXmlText(doc, xml))
  {
    error = std::string("not well-formed XML (") + doc.ErrorDesc() + ")";
    return std::nullopt;
  }
  const TiXmlElement* root = doc.RootElement();
  if (!root || std::string(root->Value()) != "plist")
  {
    error = "no <plist> element";
    return std::nullopt;
  }
  const TiXmlElement* top = root->FirstChildElement();
  if (!top || top->NextSiblingElement())
  {
    error = "<plist> must hold exactly one value";
    return std::nullopt;
  }
  PlistValue value;
  if (!ParseValue(*top, 1, value, error))
    return std::nullopt;
  return value;
}

std::string WritePlist(const PlistValue& root)
{
  std::string out =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n";
  WriteValue(root, 0, out);
  out += "</plist>\n";
  return out;
}

std::optional<std::vector<uint8_t>> DecodeBase64(const std::string& text)
{
  std::vector<uint8_t> out;
  uint32_t group = 0;
  int digits = 0, padding = 0;
  for (char c : text)
  {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
      continue;
    if (c == '=')
    {
      // Padding only closes a group of two or three digits.
      if (digits + padding < 2 || ++padding > 2)
        return std::nullopt;
      continue;
    }
    const int d = Base64Digit(c);
    if (d < 0 || padding > 0)
      return std::nullopt;
    group = group << 6 | static_cast<uint32_t>(d);
    if (++digits == 4)
    {
      out.push_back(static_cast<uint8_t>(group >> 16));
      out.push_back(static_cast<uint8_t>(group >> 8));
      out.push_back(static_cast<uint8_t>(group));
      group = 0;
      digits = 0;
    }
  }
  if (digits == 1 || (padding > 0 && digits + padding != 4))
    return std::nullopt;
  if (digits == 2)
    out.push_back(static_cast<uint8_t>(group >> 4));
  if (digits == 3)
  {
    out.push_back(static_cast<uint8_t>(group >> 10));
    out.push_back(static_cast<uint8_t>(group >> 2));
  }
  return out;
}

std::string EncodeBase64(const std::vector<uint8_t>& bytes)
{
  std::string out;
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3)
  {
    const uint32_t g = uint32_t(bytes[i]) << 16 | uint32_t(bytes[i + 1]) << 8 | bytes[i + 2];
    for (int s = 18; s >= 0; s -= 6)
      out += kBase64[(g >> s) & 63];
  }
  const size_t rest = bytes.size() - i;
  if (rest > 0)
  {
    uint32_t g = uint32_t(bytes[i]) << 16;
    if (rest == 2)
      g |= uint32_t(bytes[i + 1]) << 8;
    out += kBase64[(g >> 18) & 63];
    out += kBase64[(g >> 12) & 63];
    out += rest == 2 ? kBase64[(g >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

} // namespace auhost
