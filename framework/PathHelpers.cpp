#include "framework/PathHelpers.h"

#include <strings.h>

#include <cstring>
#include <string>
#include <vector>

#include "Foundation/NSBundle.h"
#include "Foundation/NSPathUtilities.h"

namespace plugkit {

namespace {

constexpr int kPathLimit = 1024;

std::string FirstFolder(NSSearchPathDirectory directory, unsigned domain)
{
  const std::vector<std::string> found = NSSearchPathForDirectoriesInDomains(directory, domain, true);
  return found.empty() ? std::string() : found.front();
}

NSBundle* BundleFor(const char* bundleID)
{
  return bundleID ? NSBundle::bundleWithIdentifier(bundleID) : nullptr;
}

// The text after the name's last ".", or the whole name when it has none.
const char* Extension(const char* name)
{
  const char* dot = std::strrchr(name, '.');
  return dot ? dot + 1 : name;
}

bool HasType(const char* name, const char* type)
{
  return type && strcasecmp(Extension(name), type) == 0;
}

std::string WithoutExtension(const std::string& name)
{
  const size_t dot = name.rfind('.');
  const size_t slash = name.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return name;
  return name.substr(0, dot);
}

std::string LastComponent(const std::string& name)
{
  const size_t slash = name.rfind('/');
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

bool FindResourceInBundle(const char* name, const char* type, PK_String& path, const char* bundleID)
{
  NSBundle* bundle = BundleFor(bundleID);
  if (!bundle || !HasType(name, type))
    return false;
  const std::string whole = name;
  std::string found = bundle->pathForResource(WithoutExtension(LastComponent(whole)), type);
  if (found.empty())
    found = bundle->pathForResource(WithoutExtension(whole), type); // names with sub-folders
  if (found.empty() || !NSFileManager::defaultManager()->fileExistsAtPath(found))
    return false;
  path.Set(found.c_str());
  return true;
}

bool FindResourceInMusicFolder(const char* name, const char* type, PK_String& path, const char* subPath)
{
  if (!subPath || !HasType(name, type))
    return false;
  const std::string music = FirstFolder(NSMusicDirectory, NSUserDomainMask);
  if (music.empty())
    return false;
  const std::string candidate =
    music + "/" + subPath + "/Resources/" + WithoutExtension(LastComponent(name)) + "." + type;
  bool isDirectory = false;
  if (!NSFileManager::defaultManager()->fileExistsAtPath(candidate, &isDirectory) || isDirectory)
    return false;
  path.Set(candidate.c_str());
  return true;
}

} // namespace

void BundleExecutablePath(PK_String& path, const char* bundleID)
{
  if (NSBundle* bundle = BundleFor(bundleID))
  {
    const std::string executable = bundle->executablePath();
    if (!executable.empty())
      path.Set(executable.c_str());
  }
}

void PluginPath(PK_String& path, const char* bundleID)
{
  NSBundle* bundle = BundleFor(bundleID);
  if (!bundle || bundle->bundlePath().empty())
    return;
  const std::string root = bundle->bundlePath();
  const size_t slash = root.rfind('/');
  path.Set(slash == std::string::npos ? "" : (root.substr(0, slash) + "/").c_str());
}

void BundleResourcePath(PK_String& path, const char* bundleID)
{
  NSBundle* bundle = BundleFor(bundleID);
  path.Set(bundle ? bundle->resourcePath().c_str() : "");
}

void DesktopPath(PK_String& path)
{
  path.Set(FirstFolder(NSDesktopDirectory, NSUserDomainMask).c_str());
}

void UserHomePath(PK_String& path)
{
  path.Set(NSHomeDirectory().c_str());
}

void MusicFolderPath(PK_String& path)
{
  path.Set(FirstFolder(NSMusicDirectory, NSUserDomainMask).c_str());
}

void AUPresetsPath(PK_String& path, const char* mfrName, const char* pluginName, bool isSystem)
{
  const std::string library = FirstFolder(NSLibraryDirectory, isSystem ? NSLocalDomainMask : NSUserDomainMask);
  if (library.empty())
  {
    path.Set("");
    return;
  }
  path.SetFormatted(kPathLimit, "%s/Audio/Presets/%s/%s/", library.c_str(), mfrName ? mfrName : "",
    pluginName ? pluginName : "");
}

void AppSupportPath(PK_String& path, const char* name)
{
  const std::string support = FirstFolder(NSApplicationSupportDirectory, NSUserDomainMask);
  if (support.empty())
  {
    path.Set("");
    return;
  }
  path.Set(support.c_str());
  path.AppendFormatted(kPathLimit, "/%s", name ? name : "");
}

void AppSupportDomainPath(PK_String& path, bool isSystem)
{
  path.Set(FirstFolder(NSApplicationSupportDirectory, isSystem ? NSSystemDomainMask : NSUserDomainMask).c_str());
}

bool IsSandboxed()
{
  return NSHomeDirectory().find("Library/Containers/") != std::string::npos;
}

bool LocateResource(const char* name, const char* type, PK_String& path, const char* bundleID,
  const char* sharedResourcesSubPath)
{
  if (!name || !name[0])
    return false;
  if (FindResourceInBundle(name, type, path, bundleID))
    return true;
  path.Set("");
  if (FindResourceInMusicFolder(name, type, path, sharedResourcesSubPath))
    return true;
  path.Set("");
  if (NSFileManager::defaultManager()->fileExistsAtPath(name))
  {
    path.Set(name);
    return true;
  }
  return false;
}

} // namespace plugkit
