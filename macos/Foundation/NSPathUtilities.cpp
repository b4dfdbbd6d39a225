#include "Foundation/NSPathUtilities.h"

#include <cstdlib>

namespace {

// An environment variable holding an absolute path, without trailing '/'.
std::string AbsoluteFromEnv(const char* name)
{
  const char* value = std::getenv(name);
  if (!value || value[0] != '/')
    return {};
  std::string path = value;
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  return path == "/" ? std::string() : path;
}

std::string EnvOr(const char* name, const char* fallback)
{
  std::string path = AbsoluteFromEnv(name);
  return path.empty() ? fallback : path;
}

std::string UserFolder(NSSearchPathDirectory directory)
{
  const std::string home = NSHomeDirectory();
  switch (directory)
  {
    case NSLibraryDirectory:
    case NSApplicationSupportDirectory:
    {
      std::string data = AbsoluteFromEnv("XDG_DATA_HOME");
      if (data.empty() && !home.empty())
        data = home + "/.local/share";
      return data;
    }
    case NSDesktopDirectory: return home.empty() ? home : home + "/Desktop";
    case NSMusicDirectory: return home.empty() ? home : home + "/Music";
  }
  return {};
}

std::string SharedFolder(NSSearchPathDirectory directory, const char* variable, const char* fallback)
{
  if (directory == NSLibraryDirectory || directory == NSApplicationSupportDirectory)
    return EnvOr(variable, fallback);
  return {};
}

} // namespace

std::string NSHomeDirectory()
{
  return AbsoluteFromEnv("HOME");
}

std::vector<std::string> NSSearchPathForDirectoriesInDomains(
  NSSearchPathDirectory directory, unsigned domainMask, bool expandTilde)
{
  std::vector<std::string> found;
  auto add = [&](std::string path) {
    if (!path.empty())
      found.push_back(std::move(path));
  };
  if (domainMask & NSUserDomainMask)
    add(UserFolder(directory));
  if (domainMask & NSLocalDomainMask)
    add(SharedFolder(directory, "TOLVANE3_LOCAL_LIBRARY", "/usr/local/share"));
  if (domainMask & NSSystemDomainMask)
    add(SharedFolder(directory, "TOLVANE3_SYSTEM_LIBRARY", "/usr/share"));

  const std::string home = NSHomeDirectory();
  if (!expandTilde && !home.empty())
  {
    for (std::string& path : found)
      if (path.compare(0, home.size() + 1, home + "/") == 0)
      {
        std::string shortened(1, '~');
        shortened.append(path, home.size(), std::string::npos);
        path = std::move(shortened);
      }
  }
  return found;
}
