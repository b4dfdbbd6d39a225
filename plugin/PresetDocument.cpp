#include "plugin/PresetDocument.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include <tinyxml.h>

#include "framework/NumberText.h"
#include "framework/xml/XmlTextParse.h"

namespace tolvane3 {

namespace {

// Preset files are a few kilobytes; anything far larger is not ours.
constexpr long kMaxFileSize = 16L << 20;

std::string FormatValue(double value)
{
  PK_String text;
  plugkit::AppendFixed(text, value, 6);
  return text.Get();
}

// The first child named name, when it is an element.
const TiXmlElement* ChildElement(const TiXmlNode& parent, const char* name)
{
  const TiXmlNode* node = parent.FirstChild(name);
  return node ? node->ToElement() : nullptr;
}

bool TextEquals(const TiXmlElement* element, const char* expected)
{
  const char* text = element ? element->GetText() : nullptr;
  return text && std::strcmp(text, expected) == 0;
}

int FindParam(const plugkit::PluginBase& plug, const char* name)
{
  for (int i = 0; i < plug.NParams(); ++i)
  {
    if (std::strcmp(plug.GetParam(i)->GetName(), name) == 0)
      return i;
  }
  return -1;
}

double ReadValue(const TiXmlElement& param)
{
  const char* text = param.Attribute("val");
  const double value = text ? plugkit::ParseLeadingDouble(text) : 0.0;
  return std::isfinite(value) ? value : 0.0;
}

bool CheckDocument(const plugkit::PluginBase& plug, const TiXmlDocument& xml, PresetDocument& out)
{
  const TiXmlElement* root = ChildElement(xml, "PresetXMLTree");
  if (!root || !TextEquals(ChildElement(*root, "PluginVendor"), plug.GetMfrName()) ||
      !TextEquals(ChildElement(*root, "PluginName"), plug.GetPluginName()) || !ChildElement(*root, "PluginVersion"))
    return false;
  const TiXmlElement* preset = ChildElement(*root, "Preset");
  const TiXmlAttribute* nameAttr = preset ? preset->FirstAttribute() : nullptr;
  if (!nameAttr || std::strcmp(nameAttr->Name(), "name") != 0)
    return false;
  const TiXmlElement* parameters = ChildElement(*preset, "Parameter");
  if (!parameters || !parameters->FirstChild() || !parameters->FirstChild()->ToElement())
    return false;

  PresetDocument doc;
  doc.presetName = nameAttr->Value();
  for (const TiXmlElement* param = parameters->FirstChildElement(); param; param = param->NextSiblingElement())
  {
    if (std::strcmp(param->Value(), "Param") != 0)
      return false;
    const char* name = param->Attribute("name");
    const int idx = name && *name ? FindParam(plug, name) : -1;
    if (idx >= 0)
      doc.values.emplace_back(idx, ReadValue(*param));
  }
  out = std::move(doc);
  return true;
}

bool ParseText(const plugkit::PluginBase& plug, std::string_view text, TiXmlEncoding encoding, PresetDocument& doc)
{
  TiXmlDocument xml;
  return plugkit::ParseXmlText(xml, text, encoding) && CheckDocument(plug, xml, doc);
}

} // namespace

std::string PrintPresetDocument(const plugkit::PluginBase& plug, const char* presetName, const double* values)
{
  PK_String version;
  plug.GetPluginVersionStr(version);

  TiXmlDocument xml;
  xml.LinkEndChild(new TiXmlDeclaration("1.0", "", ""));
  auto* root = new TiXmlElement("PresetXMLTree");
  root->SetAttribute("version", "1");
  xml.LinkEndChild(root);
  const std::pair<const char*, const char*> texts[] = {
    {"PluginVendor", plug.GetMfrName()}, {"PluginName", plug.GetPluginName()}, {"PluginVersion", version.Get()}};
  for (const auto& [tag, text] : texts)
  {
    auto* element = new TiXmlElement(tag);
    element->LinkEndChild(new TiXmlText(text));
    root->LinkEndChild(element);
  }
  auto* preset = new TiXmlElement("Preset");
  preset->SetAttribute("name", presetName ? presetName : "");
  root->LinkEndChild(preset);
  auto* parameters = new TiXmlElement("Parameter");
  preset->LinkEndChild(parameters);
  for (int i = 0; i < plug.NParams(); ++i)
  {
    auto* param = new TiXmlElement("Param");
    param->SetAttribute("name", plug.GetParam(i)->GetName());
    param->SetAttribute("val", FormatValue(values[i]));
    parameters->LinkEndChild(param);
  }

  TiXmlPrinter printer;
  xml.Accept(&printer);
  return printer.Str();
}

std::string PrintPresetDocument(const plugkit::PluginBase& plug, const char* presetName)
{
  std::vector<double> values(static_cast<size_t>(plug.NParams()));
  for (int i = 0; i < plug.NParams(); ++i)
    values[static_cast<size_t>(i)] = plug.GetParam(i)->Value();
  return PrintPresetDocument(plug, presetName, values.data());
}

bool ParsePresetDocument(const plugkit::PluginBase& plug, const char* text, size_t length, PresetDocument& doc)
{
  const size_t n = text ? strnlen(text, length) : 0;
  return ParseText(plug, std::string_view(text ? text : "", n), TIXML_DEFAULT_ENCODING, doc);
}

bool LoadPresetDocumentFile(const plugkit::PluginBase& plug, const char* path, PresetDocument& doc)
{
  FILE* file = path && *path ? std::fopen(path, "rb") : nullptr;
  if (!file)
    return false;
  std::string text;
  char buffer[4096];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0 && text.size() <= static_cast<size_t>(kMaxFileSize))
    text.append(buffer, got);
  const bool readAll = !std::ferror(file) && text.size() <= static_cast<size_t>(kMaxFileSize);
  std::fclose(file);
  if (!readAll)
    return false;
  // Cut at a zero byte as the parser would stop there anyway.
  text.resize(std::strlen(text.c_str()));
  return ParseText(plug, text, TIXML_ENCODING_LEGACY, doc);
}

void ApplyPresetValues(plugkit::PluginBase& plug, const PresetDocument& doc)
{
  for (const auto& [idx, value] : doc.values)
  {
    if (plugkit::IParam* param = plug.GetParam(idx))
      param->Set(value);
  }
}

bool AppendTextField(plugkit::IByteChunk& chunk, const std::string& text)
{
  if (text.empty() || text.size() > 0x7fff0000u)
    return false;
  const int before = chunk.Size();
  if (chunk.PutUInt32(static_cast<uint32_t>(text.size())) < 0 ||
      chunk.PutBytes(text.data(), static_cast<int>(text.size())) < 0)
  {
    chunk.Resize(before);
    return false;
  }
  return true;
}

bool ReadTextField(const plugkit::IByteChunk& chunk, int pos, std::string& text)
{
  uint32_t length = 0;
  if (pos < 0 || chunk.GetUInt32(length, pos) < 0)
    return false;
  const int64_t begin = int64_t{pos} + 4;
  if (begin + int64_t{length} > chunk.Size())
    return false;
  const char* bytes = reinterpret_cast<const char*>(chunk.GetData()) + begin;
  text.assign(bytes, strnlen(bytes, length));
  return true;
}

} // namespace tolvane3
