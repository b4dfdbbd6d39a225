#include "plugin/PresetFiles.h"

#include <cstdlib>

#include <dirent.h>
#include <sys/stat.h>

namespace tolvane3 {

std::vector<std::string> ListPresetFileNames(const char* folder)
{
  std::vector<std::string> names;
  if (!folder || !*folder)
    return names;
  dirent** entries = nullptr;
  const int n = scandir(folder, &entries, nullptr, alphasort);
  for (int i = 0; i < n; ++i)
  {
    const std::string name = entries[i]->d_name;
    struct stat info;
    if (name.find(".kps") != std::string::npos && stat((std::string(folder) + "/" + name).c_str(), &info) == 0 &&
        S_ISREG(info.st_mode))
      names.push_back(name);
    std::free(entries[i]);
  }
  std::free(entries);
  return names;
}

} // namespace tolvane3
