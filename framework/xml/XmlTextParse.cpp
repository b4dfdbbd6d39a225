#include "framework/xml/XmlTextParse.h"

namespace plugkit {

std::string PaddedXmlText(std::string_view text)
{
  std::string padded(text);
  padded.append(kXmlZeroPadding, '\0');
  return padded;
}

bool ParseXmlText(TiXmlDocument& doc, std::string_view text, TiXmlEncoding encoding)
{
  const std::string padded = PaddedXmlText(text);
  doc.Parse(padded.c_str(), nullptr, encoding);
  return !doc.Error();
}

} // namespace plugkit
