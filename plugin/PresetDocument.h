// The "PresetXMLTree" document: the product's presets and host state as XML.
//
//   <?xml version="1.0" ?>
//   <PresetXMLTree version="1">
//       <PluginVendor>Kestrova</PluginVendor>
//       <PluginName>Tolvane3</PluginName>
//       <PluginVersion>v3.0.28</PluginVersion>
//       <Preset name="Init">
//           <Parameter>
//               <Param name="GUI Scale" val="1.000000" />
//               ...
//
// One "Param" per parameter in index order; "val" is the plain value with
// six decimals, whatever the process locale. "Data" elements and the version
// texts are never looked at.
//
// Reading is in two steps, so that a refused document changes nothing: the
// parser checks the whole document and collects (parameter, value) pairs;
// only a document that passed every check is applied. A "val" that is
// missing, not a number or not finite reads as 0.0; applying clamps it to
// the parameter's range. A "Param" naming no parameter is skipped.
//
// Main thread or the host's state thread; nothing here locks.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/IByteChunk.h"
#include "framework/PluginBase.h"

namespace tolvane3 {

struct PresetDocument
{
  std::string presetName;
  // (parameter index, value as read), in document order.
  std::vector<std::pair<int, double>> values;
};

// The printed document with one value per parameter from values.
std::string PrintPresetDocument(const plugkit::PluginBase& plug, const char* presetName, const double* values);
// The same with the parameters' current values.
std::string PrintPresetDocument(const plugkit::PluginBase& plug, const char* presetName);

// Parses and checks length bytes of text (cut at a zero byte). True with
// doc filled when the document passed every check; doc is untouched
// otherwise.
bool ParsePresetDocument(const plugkit::PluginBase& plug, const char* text, size_t length, PresetDocument& doc);
// Reads a preset file and parses it; false when it cannot be read.
bool LoadPresetDocumentFile(const plugkit::PluginBase& plug, const char* path, PresetDocument& doc);

// Sets each value of the document (stepped and clamped by the parameter).
void ApplyPresetValues(plugkit::PluginBase& plug, const PresetDocument& doc);

// The text field: a u32 length and that many bytes. Appending an empty text
// appends nothing and returns false.
bool AppendTextField(plugkit::IByteChunk& chunk, const std::string& text);
// The field at pos when it lies wholly inside the chunk; the text ends at
// its first zero byte. False otherwise.
bool ReadTextField(const plugkit::IByteChunk& chunk, int pos, std::string& text);

} // namespace tolvane3
