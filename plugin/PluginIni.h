// "plugin.ini" in the data folder: one setting per line, "Key=number".
// Only lines that start with the key exactly (letter case counts, no blank
// before the key or before "=") match; blanks after "=" are skipped, an
// optional sign and the digits form the value, anything after is ignored.
// The last matching line wins. A number outside the 32-bit range does not
// match. Lines longer than 2047 bytes are read in pieces, each piece treated
// as a line. Main thread (construction).
#pragma once

namespace tolvane3 {

// True with value set when the line holds key=number.
bool ParseIniLine(const char* line, const char* key, int& value);

// The value of key in dataFolder/plugin.ini, or defaultValue when the file
// or the key is missing, or the folder is unknown (empty).
int ReadPluginIni(const char* dataFolder, const char* key, int defaultValue);

} // namespace tolvane3
