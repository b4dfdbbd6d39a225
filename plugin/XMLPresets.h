// The product's presets and state as "PresetXMLTree" documents: the state
// document inside the state container, preset files, and preset records
// built from values or from a file. Free functions over the plug-in base,
// which holds the parameters, the identity and the preset list.
//
// Every reader checks the whole document before it applies anything: a
// refused document leaves the parameters, the preset names and the DSP as
// they were. Main thread (files) or the host's state thread (state).
#pragma once

#include <initializer_list>
#include <utility>

#include "framework/IByteChunk.h"
#include "framework/IPreset.h"
#include "framework/PluginBase.h"
#include "graphics/PK_PtrList.h"
#include "graphics/PK_String.h"

namespace tolvane3 {

// A value not given when a preset record is built; replaced by the
// parameter's default.
inline constexpr double kMissingValue = 9.999e-08;

enum class PresetReadMode
{
  kStartUp, // apply, then the current preset takes the state and the name
  kLoad,    // apply, store into the current preset, restore it, notify
  kCheck,   // check only
};

// The state: the document of the current values under the name of preset 0,
// as a text field appended to chunk. False when nothing was appended.
bool SerializeStateXML(const plugkit::PluginBase& plug, plugkit::IByteChunk& chunk);
// Reads the text field at pos; when the document passes every check, preset
// 0 takes its name, the values are applied and the change handler runs for
// every parameter (preset recall). False and nothing changed otherwise.
bool UnserializeStateXML(plugkit::PluginBase& plug, const plugkit::IByteChunk& chunk, int pos);

// The state container around SerializeStateXML / UnserializeStateXML: the
// product's state chunk. See StateContainer.h for the positions returned.
bool SerializeStateContainer(const plugkit::PluginBase& plug, plugkit::IByteChunk& chunk);
int UnserializeStateContainer(plugkit::PluginBase& plug, const plugkit::IByteChunk& chunk, int startPos);

// The document of values (one per parameter) as a text field.
bool BuildPresetTree(const plugkit::PluginBase& plug, const double* values, plugkit::IByteChunk& chunk,
                     const char* presetName);

// Preset files. The writers return true when the file was written whole.
bool WritePresetFile(const plugkit::PluginBase& plug, const char* path, const char* presetName);
// folder/default.kps under the preset name "Init".
bool WriteDefaultPreset(const plugkit::PluginBase& plug, const char* folder);
// True when the file passed every check (and, by mode, was applied).
bool ReadPresetFileWithData(plugkit::PluginBase& plug, const char* path, PK_String& nameOut, PresetReadMode mode);
// Stores the file's values into values (one per parameter) without applying.
bool ReadPresetFile(const plugkit::PluginBase& plug, const char* path, double* values, PK_String& nameOut);

// Preset records: each holds one state container whose document is built
// from values; values not given take the parameter's default.
void MakePresetFromFile(const plugkit::PluginBase& plug, plugkit::IPreset& preset, const char* path);
void MakeXMLPresetFromNamedParams(const plugkit::PluginBase& plug, plugkit::IPreset& preset, const char* name,
                                  std::initializer_list<std::pair<int, double>> values = {});
// A new record in list, built as above.
void AddXMLPresetFromNamedParams(const plugkit::PluginBase& plug, PK_PtrList<plugkit::IPreset>& list,
                                 const char* name, std::initializer_list<std::pair<int, double>> values = {});
// Framework preset idx becomes a copy of source; nothing for a bad index.
void CopyPresetToBank(plugkit::PluginBase& plug, const plugkit::IPreset& source, int idx);

// Rebuilds list from the preset files of folder that pass the check.
void RescanPresetFiles(plugkit::PluginBase& plug, const char* folder, PK_PtrList<plugkit::IPreset>& list);

} // namespace tolvane3
