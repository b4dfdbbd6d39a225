#include "Foundation/NSBundle.h"

#include <dirent.h>
#include <sys/stat.h>

#include <map>
#include <memory>
#include <mutex>
#include <strings.h>
#include <utility>
#include <vector>

#include "StandIn/Bundles.h"

namespace {

struct BundleRegistry
{
  std::mutex mutex;
  std::map<std::string, std::unique_ptr<NSBundle>> bundles;
  std::string mainIdentifier;
};

BundleRegistry& Registry()
{
  static BundleRegistry* registry = new BundleRegistry; // outlives static destructors
  return *registry;
}

// The entry of `folder` whose name equals `name` ignoring case; an exact
// match wins.
std::string FindEntryIgnoringCase(const std::string& folder, const std::string& name)
{
  struct stat info;
  if (stat((folder + "/" + name).c_str(), &info) == 0)
    return name;
  DIR* dir = opendir(folder.c_str());
  if (!dir)
    return {};
  std::string found;
  while (dirent* entry = readdir(dir))
  {
    if (strcasecmp(entry->d_name, name.c_str()) == 0)
    {
      found = entry->d_name;
      break;
    }
  }
  closedir(dir);
  return found;
}

std::vector<std::string> SplitPath(const std::string& path)
{
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size())
  {
    const size_t slash = path.find('/', start);
    const std::string part = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    if (!part.empty() && part != ".")
      parts.push_back(part);
    if (slash == std::string::npos)
      break;
    start = slash + 1;
  }
  return parts;
}

} // namespace

NSBundle::NSBundle(std::string identifier, std::string version, std::string root, std::string executable)
  : mIdentifier(std::move(identifier))
  , mVersion(std::move(version))
  , mRoot(std::move(root))
  , mExecutable(std::move(executable))
{
}

NSBundle* NSBundle::bundleWithIdentifier(const std::string& identifier)
{
  BundleRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  auto it = r.bundles.find(identifier);
  return it == r.bundles.end() ? nullptr : it->second.get();
}

NSBundle* NSBundle::mainBundle()
{
  BundleRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  auto it = r.bundles.find(r.mainIdentifier);
  return it == r.bundles.end() ? nullptr : it->second.get();
}

std::string NSBundle::executablePath() const
{
  if (mRoot.empty() || mExecutable.empty())
    return {};
  return mRoot + "/Contents/MacOS/" + mExecutable;
}

std::string NSBundle::resourcePath() const
{
  return mRoot.empty() ? std::string() : mRoot + "/Contents/Resources";
}

std::string NSBundle::objectForInfoDictionaryKey(const std::string& key) const
{
  if (key == "CFBundleIdentifier")
    return mIdentifier;
  if (key == "CFBundleShortVersionString" || key == "CFBundleVersion")
    return mVersion;
  return {};
}

std::string NSBundle::pathForResource(const std::string& name, const std::string& type) const
{
  const std::string resources = resourcePath();
  if (resources.empty() || name.empty())
    return {};
  std::vector<std::string> parts = SplitPath(type.empty() ? name : name + "." + type);
  if (parts.empty())
    return {};
  std::string path = resources;
  for (const std::string& part : parts)
  {
    if (part == "..")
      return {}; // resources never lie outside the bundle
    const std::string entry = FindEntryIgnoringCase(path, part);
    if (entry.empty())
      return {};
    path += "/" + entry;
  }
  bool isDirectory = false;
  if (!NSFileManager::defaultManager()->fileExistsAtPath(path, &isDirectory) || isDirectory)
    return {};
  return path;
}

NSFileManager* NSFileManager::defaultManager()
{
  static NSFileManager manager;
  return &manager;
}

bool NSFileManager::fileExistsAtPath(const std::string& path, bool* isDirectory) const
{
  struct stat info;
  if (path.empty() || stat(path.c_str(), &info) != 0)
    return false;
  if (isDirectory)
    *isDirectory = S_ISDIR(info.st_mode);
  return true;
}

namespace standin {

NSBundle* RegisterBundle(const BundleDescription& d)
{
  if (d.identifier.empty())
    return nullptr;
  BundleRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  std::string root = d.root;
  while (root.size() > 1 && root.back() == '/')
    root.pop_back();
  auto& slot = r.bundles[d.identifier];
  slot = std::make_unique<NSBundle>(d.identifier, d.version, root, d.executable);
  return slot.get();
}

void UnregisterBundle(const std::string& identifier)
{
  BundleRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.bundles.erase(identifier);
}

void SetMainBundle(const BundleDescription& description)
{
  RegisterBundle(description);
  BundleRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.mainIdentifier = description.identifier;
}

void ResetBundles()
{
  BundleRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.bundles.clear();
  r.mainIdentifier.clear();
}

} // namespace standin
