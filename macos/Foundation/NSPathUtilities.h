#pragma once

// The standard folders of the user and the system, mapped to Linux
// conventions. They are read from the environment on every call, so tests can
// redirect them:
//   home                              $HOME
//   user Library, Application Support $XDG_DATA_HOME, else $HOME/.local/share
//   user Desktop, Music               $HOME/Desktop, $HOME/Music
//   local Library, Application Support $TOLVANE3_LOCAL_LIBRARY, else /usr/local/share
//   system Library, Application Support $TOLVANE3_SYSTEM_LIBRARY, else /usr/share
// A folder that cannot be determined (no home, a relative path) is left out
// of the result, never replaced by a path at the file-system root.

#include <string>
#include <vector>

enum NSSearchPathDirectory
{
  NSLibraryDirectory = 5,
  NSDesktopDirectory = 12,
  NSApplicationSupportDirectory = 14,
  NSMusicDirectory = 18
};

enum NSSearchPathDomainMask
{
  NSUserDomainMask = 1,
  NSLocalDomainMask = 2,
  NSNetworkDomainMask = 4,
  NSSystemDomainMask = 8,
  NSAllDomainsMask = 0x0ffff
};

// The folders for the directory in each domain of the mask, user domain
// first. Without tilde expansion a path inside the home folder starts "~".
std::vector<std::string> NSSearchPathForDirectoriesInDomains(
  NSSearchPathDirectory directory, unsigned domainMask, bool expandTilde);

// The user's home folder, or the empty text when it is not known.
std::string NSHomeDirectory();
