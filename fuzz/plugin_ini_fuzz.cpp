// Feeds arbitrary lines to the "plugin.ini" line parser: whatever the
// digits, no signed overflow (UndefinedBehaviorSanitizer) and no read past
// the line.
#include <cstddef>
#include <cstdint>
#include <string>

#include "plugin/PluginIni.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::string line(reinterpret_cast<const char*>(data), size);
  int value = 0;
  tolvane3::ParseIniLine(line.c_str(), "HasUI", value);
  tolvane3::ParseIniLine(line.c_str(), "", value);
  return 0;
}
