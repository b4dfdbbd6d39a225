#include "framework/xml/XmlTextParse.h"

namespace plugkit {

bool ExceedsXmlNestingBound(std::string_view text)
{
  size_t starts = 0;
  for (size_t i = 0; i + 1 < text.size(); ++i)
  {
    if (text[i] == '<' && text[i + 1] != '/' && text[i + 1] != '!' && text[i + 1] != '?' &&
        ++starts > kMaxXmlElementStarts)
      return true;
  }
  return false;
}

std::string PaddedXmlText(std::string_view text)
{
  std::string padded(text);
  padded.append(kXmlZeroPadding, '\0');
  return padded;
}

bool ParseXmlText(TiXmlDocument& doc, std::string_view text, TiXmlEncoding encoding)
{
  if (ExceedsXmlNestingBound(text))
    return false;
  const std::string padded = PaddedXmlText(text);
  doc.Parse(padded.c_str(), nullptr, encoding);
  return !doc.Error();
}

} // namespace plugkit
