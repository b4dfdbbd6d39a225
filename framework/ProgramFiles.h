#pragma once

#include "framework/PluginBase.h"

// Program (fxp) and bank (fxb) files: the current preset, or all presets, of
// a plug-in in the published big-endian program and bank formats. A plug-in
// whose state is an opaque chunk (DoesStateChunks) writes the chunk forms,
// holding the framework chunk ("tffp", version, then the state or the
// presets chunk); others write one normalised value per parameter.
//
// Main thread. Saving assembles the whole file in memory and reports false
// for a missing path or a file that cannot be written completely; the file
// it would replace is then left as it was (FileReplacement.h). Loading
// reads the whole file and checks every field it uses against the file's
// length before it changes anything: a foreign plug-in id, a wrong magic or
// version, a bank record that does not match, or a file too short for what
// it claims is refused with false, and the plug-in and its presets stay as
// they were.

namespace plugkit {

// Writes the current state under the current preset's name.
bool SavePresetAsFXP(const PluginBase& plugin, const char* path);
// Writes every preset.
bool SaveBankAsFXB(const PluginBase& plugin, const char* path);
// Applies a program file to the plug-in and stores it into the current
// preset, renamed after the program when the file names it.
bool LoadPresetFromFXP(PluginBase& plugin, const char* path);
// Applies a bank file to the presets, then restores the bank's current
// program. Programs beyond the plug-in's presets are skipped.
bool LoadBankFromFXB(PluginBase& plugin, const char* path);

} // namespace plugkit
