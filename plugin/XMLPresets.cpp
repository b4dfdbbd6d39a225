#include "plugin/XMLPresets.h"

#include <string>
#include <vector>

#include "framework/FileReplacement.h"
#include "framework/NumberText.h"
#include "plugin/PresetDocument.h"
#include "plugin/PresetFiles.h"
#include "plugin/StateContainer.h"

namespace tolvane3 {

namespace {

using plugkit::IByteChunk;
using plugkit::IPreset;
using plugkit::PluginBase;

void FillPresetRecord(const PluginBase& plug, IPreset& preset, const char* name, std::vector<double> values)
{
  preset.mInitialized = true;
  plugkit::CopyToField(preset.mName, sizeof(preset.mName), name);
  for (int i = 0; i < plug.NParams(); ++i)
  {
    double& v = values[static_cast<size_t>(i)];
    if (v == kMissingValue)
      v = plug.GetParam(i)->GetDefault();
  }
  preset.mChunk.Clear();
  SerializeStateContainer(preset.mChunk,
    [&](IByteChunk& chunk) { return BuildPresetTree(plug, values.data(), chunk, preset.mName); });
}

std::vector<double> MissingValues(const PluginBase& plug)
{
  return std::vector<double>(static_cast<size_t>(plug.NParams()), kMissingValue);
}

} // namespace

bool SerializeStateXML(const PluginBase& plug, IByteChunk& chunk)
{
  return AppendTextField(chunk, PrintPresetDocument(plug, plug.GetPresetName(0)));
}

bool UnserializeStateXML(PluginBase& plug, const IByteChunk& chunk, int pos)
{
  std::string text;
  PresetDocument doc;
  if (!ReadTextField(chunk, pos, text) || !ParsePresetDocument(plug, text.data(), text.size(), doc))
    return false;
  if (IPreset* preset = plug.GetPreset(0))
    plugkit::CopyToField(preset->mName, sizeof(preset->mName), doc.presetName.c_str());
  ApplyPresetValues(plug, doc);
  plug.OnParamReset(plugkit::kSourcePresetRecall);
  return true;
}

bool SerializeStateContainer(const PluginBase& plug, IByteChunk& chunk)
{
  return tolvane3::SerializeStateContainer(chunk, [&](IByteChunk& c) { return SerializeStateXML(plug, c); });
}

int UnserializeStateContainer(PluginBase& plug, const IByteChunk& chunk, int startPos)
{
  return tolvane3::UnserializeStateContainer(chunk, startPos,
    [&](const IByteChunk& c, int pos) { return UnserializeStateXML(plug, c, pos); });
}

bool BuildPresetTree(const PluginBase& plug, const double* values, IByteChunk& chunk, const char* presetName)
{
  return AppendTextField(chunk, PrintPresetDocument(plug, presetName, values));
}

bool WritePresetFile(const PluginBase& plug, const char* path, const char* presetName)
{
  const std::string text = PrintPresetDocument(plug, presetName);
  return plugkit::WriteFileReplacing(path, text.data(), text.size());
}

bool WriteDefaultPreset(const PluginBase& plug, const char* folder)
{
  if (!folder || !*folder)
    return false;
  return WritePresetFile(plug, (std::string(folder) + "/default.kps").c_str(), "Init");
}

bool ReadPresetFileWithData(PluginBase& plug, const char* path, PK_String& nameOut, PresetReadMode mode)
{
  PresetDocument doc;
  if (!LoadPresetDocumentFile(plug, path, doc))
    return false;
  nameOut.Set(doc.presetName.c_str());
  if (mode == PresetReadMode::kCheck)
    return true;
  ApplyPresetValues(plug, doc);
  plug.ModifyCurrentPreset(doc.presetName.c_str());
  if (mode == PresetReadMode::kLoad)
  {
    plug.RestorePreset(plug.GetCurrentPresetIdx());
    plug.ModifyCurrentPreset(doc.presetName.c_str());
    plug.NotifyPresetChange();
  }
  return true;
}

bool ReadPresetFile(const PluginBase& plug, const char* path, double* values, PK_String& nameOut)
{
  PresetDocument doc;
  if (!LoadPresetDocumentFile(plug, path, doc))
    return false;
  nameOut.Set(doc.presetName.c_str());
  for (const auto& [idx, value] : doc.values)
    values[idx] = value;
  return true;
}

void MakePresetFromFile(const PluginBase& plug, IPreset& preset, const char* path)
{
  std::vector<double> values = MissingValues(plug);
  PK_String name;
  ReadPresetFile(plug, path, values.data(), name);
  FillPresetRecord(plug, preset, name.Get(), std::move(values));
}

void MakeXMLPresetFromNamedParams(const PluginBase& plug, IPreset& preset, const char* name,
                                  std::initializer_list<std::pair<int, double>> pairs)
{
  std::vector<double> values = MissingValues(plug);
  for (const auto& [idx, value] : pairs)
  {
    if (idx >= 0 && idx < plug.NParams())
      values[static_cast<size_t>(idx)] = value;
  }
  FillPresetRecord(plug, preset, name, std::move(values));
}

void AddXMLPresetFromNamedParams(const PluginBase& plug, PK_PtrList<IPreset>& list, const char* name,
                                 std::initializer_list<std::pair<int, double>> pairs)
{
  auto* preset = new IPreset;
  MakeXMLPresetFromNamedParams(plug, *preset, name, pairs);
  if (!list.Add(preset))
    delete preset;
}

void CopyPresetToBank(PluginBase& plug, const IPreset& source, int idx)
{
  IPreset* target = plug.GetPreset(idx);
  if (!target)
    return;
  target->mChunk.Clear();
  target->mChunk.PutChunk(source.mChunk);
  target->mInitialized = true;
  plugkit::CopyToField(target->mName, sizeof(target->mName), source.mName);
}

void RescanPresetFiles(PluginBase& plug, const char* folder, PK_PtrList<IPreset>& list)
{
  list.Empty(true);
  for (const std::string& name : ListPresetFileNames(folder))
  {
    const std::string path = std::string(folder) + "/" + name;
    PK_String presetName;
    if (!ReadPresetFileWithData(plug, path.c_str(), presetName, PresetReadMode::kCheck))
      continue;
    auto* preset = new IPreset;
    MakePresetFromFile(plug, *preset, path.c_str());
    if (!list.Add(preset))
      delete preset;
  }
}

} // namespace tolvane3
