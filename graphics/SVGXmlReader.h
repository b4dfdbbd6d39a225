#pragma once

#include <string>
#include <string_view>
#include <vector>

// A small, forgiving XML reader for SVG documents: it reports start tags with
// their attributes and end tags, decodes the predefined and numeric entities
// of attribute values, and skips comments, CDATA sections, processing
// instructions, DOCTYPE declarations and text. It never reads past the end
// of the text; a tag cut off by the end of the text is not reported.

namespace plugkit::gfx::svg {

struct XmlAttribute
{
  std::string_view name;
  std::string value;
};

class XmlHandler
{
public:
  virtual ~XmlHandler() = default;
  // selfClosing: the tag ended in "/>", no end tag follows.
  virtual void StartElement(std::string_view name, const std::vector<XmlAttribute>& attrs, bool selfClosing) = 0;
  virtual void EndElement(std::string_view name) = 0;
};

// Reads text[0, size) and calls the handler for every tag in order.
void ReadXml(const char* text, size_t size, XmlHandler& handler);

// Decodes the entities of an attribute value; an unknown or malformed
// entity stays as written.
void DecodeEntities(std::string_view raw, std::string& out);

} // namespace plugkit::gfx::svg
