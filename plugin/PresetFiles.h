// Preset files (".kps": a "PresetXMLTree" document) on disk.
//
// Saving never destroys the file it replaces: the document goes to a
// temporary file in the same folder (named so that the ".kps" listing never
// picks it up), every write and the close are checked, and only then is it
// renamed over the target. A failed save leaves the old file as it was and
// no temporary file behind. Main thread.
#pragma once

#include <string>
#include <vector>

namespace tolvane3 {

// Writes text to path through a temporary file; true when the file now
// holds exactly text.
bool WriteFileReplacing(const char* path, const std::string& text);

// The names of the regular files in folder whose name contains ".kps"
// anywhere ("a.kps.bak" too), sorted by alphasort; folders and
// other files are skipped. Empty when the folder cannot be listed.
std::vector<std::string> ListPresetFileNames(const char* folder);

} // namespace tolvane3
