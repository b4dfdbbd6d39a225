// Preset files (".kps": a "PresetXMLTree" document) on disk.
//
// They are saved through plugkit::WriteFileReplacing, so a failed save
// leaves the old file as it was, and its temporary never holds ".kps" in its
// name, so the listing never picks it up mid-save. Main thread.
#pragma once

#include <string>
#include <vector>

namespace tolvane3 {

// The names of the regular files in folder whose name contains ".kps"
// anywhere ("a.kps.bak" too), sorted by alphasort; folders and
// other files are skipped. Empty when the folder cannot be listed.
std::vector<std::string> ListPresetFileNames(const char* folder);

} // namespace tolvane3
