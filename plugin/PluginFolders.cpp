#include "plugin/PluginFolders.h"

#include <sys/stat.h>

#include "framework/PathHelpers.h"

namespace tolvane3 {

namespace {

void CreateIfMissing(const char* path)
{
  struct stat info;
  if (stat(path, &info) != 0)
    mkdir(path, 0777); // the user's umask applies
}

} // namespace

void CreatePresetFolders(PluginFolders& folders)
{
  plugkit::AppSupportPath(folders.dataFolder, "Tolvane3");
  if (!folders.Known())
  {
    folders.presetFolder.Set("");
    return;
  }
  CreateIfMissing(folders.dataFolder.Get());
  folders.presetFolder.SetFormatted(4096, "%s/%s", folders.dataFolder.Get(), "AU");
  CreateIfMissing(folders.presetFolder.Get());
}

} // namespace tolvane3
