// ".aupreset" files: a unit's ClassInfo dictionary as an XML property list,
// the way Audio Unit hosts keep presets.
//
// Loading checks the whole file before the unit sees anything: it must be a
// dictionary of strings, numbers and data (nested dictionaries allowed);
// the unit then checks the codes and the state itself and, when it refuses,
// keeps its current state.
#pragma once

#include <string>

#include "AudioUnit/AudioUnit.h"
#include "CoreFoundation/CFDictionary.h"
#include "tools/PropertyList.h"
#include "tools/TextFile.h"

namespace auhost {

// A new dictionary (the caller releases it) of a property-list dictionary;
// null with `error` set when it holds something a ClassInfo cannot.
CFDictionaryRef ClassInfoFromPlist(const PlistValue& plist, std::string& error);
// The property list of a ClassInfo dictionary; false for values it cannot
// hold.
bool PlistFromClassInfo(CFDictionaryRef classInfo, PlistValue& out);

// Reads the file and restores it into the unit; false with `error` set.
bool LoadPresetFile(AudioUnit unit, const std::string& path, std::string& error);
// The text of a preset file of the unit's ClassInfo; false with `error` set.
bool PresetText(AudioUnit unit, std::string& text, std::string& error);
// Asks the unit for its ClassInfo and writes it (whole or not at all).
bool SavePresetFile(AudioUnit unit, const std::string& path, std::string& error);

// Writes text to path as a FileReplacement: through a link, keeping the old
// file's permission bits, and nothing left behind when it fails.
bool WriteTextFile(const std::string& path, const std::string& text, std::string& error);

} // namespace auhost
