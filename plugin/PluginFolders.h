// The plug-in's folders on disk: the data folder (<Application Support>/
// Tolvane3, which holds "plugin.ini" and the preset files the rescan lists)
// and the preset folder inside it ("AU", which holds "default.kps").
//
// When the system cannot name the Application Support folder both stay
// empty, and every file operation of the product is skipped: an empty base
// must never turn into a folder at the file-system root. Folders are
// created under the user's own file-mode mask; the process-wide mask is never
// touched (the host runs other threads that create files too).
#pragma once

#include "graphics/PK_String.h"

namespace tolvane3 {

struct PluginFolders
{
  PK_String dataFolder;
  PK_String presetFolder;

  bool Known() const { return dataFolder.GetLength() > 0; }
};

// Names both folders and creates the ones that are missing (only the last
// component of each; a creation that fails is ignored).
void CreatePresetFolders(PluginFolders& folders);

} // namespace tolvane3
