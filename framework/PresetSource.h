#pragma once

#include "framework/PluginBase.h"

// Source statements that recreate the current preset, appended to a text
// file: for a developer who builds factory presets into the plug-in. Each
// names a make operation of the plug-in base with the arguments that rebuild
// the preset (the current preset's name, "" when the current index names no
// preset). Numbers are written with a decimal point whatever the process
// locale, and the name is escaped, so that every statement compiles.
//
// Main thread. Each returns false, writing nothing, when the file cannot be
// opened for appending or the arguments do not fit; a statement is always
// written whole.

namespace plugkit {

// MakePreset("name", {v0, v1, ...});  with each parameter's current value.
bool WritePresetSource(const PluginBase& plugin, const char* path);
// MakePresetFromNamedParams("name", {{NAME0, v0}, ...});  paramEnumNames
// holds nNames texts, one per parameter (fewer is refused).
bool WriteNamedPresetSource(const PluginBase& plugin, const char* path, const char* const* paramEnumNames,
  int nNames);
// MakePresetFromBlob("name", "base64", size);  with the current preset's
// stored chunk (not the live state); false when the current index names no
// preset.
bool WritePresetBlobSource(const PluginBase& plugin, const char* path);

} // namespace plugkit
