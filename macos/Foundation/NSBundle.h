#pragma once

// Bundles: folders laid out as on macOS (root/Contents/MacOS/<executable>,
// root/Contents/Resources/...), known to the process by identifier. On Linux
// nothing registers bundles by itself: a host registers the main bundle (its
// own identity) and each plug-in bundle it loads (StandIn/Bundles.h).
//
// Bundle objects belong to the registry and stay valid until unregistered.
// Resource look-up ignores letter case, as the macOS file system does.

#include <string>

class NSBundle
{
public:
  // The registered bundle with that identifier, or null.
  static NSBundle* bundleWithIdentifier(const std::string& identifier);
  // The host's own bundle, or null when the host has none.
  static NSBundle* mainBundle();

  const std::string& bundleIdentifier() const { return mIdentifier; }
  const std::string& bundlePath() const { return mRoot; }
  // root/Contents/MacOS/<executable>, or empty when the bundle has no folder
  // or no executable.
  std::string executablePath() const;
  // root/Contents/Resources, or empty when the bundle has no folder.
  std::string resourcePath() const;
  // The value of an information key: "CFBundleIdentifier",
  // "CFBundleShortVersionString" or "CFBundleVersion"; empty otherwise.
  std::string objectForInfoDictionaryKey(const std::string& key) const;
  // The path of an existing resource file name[.type] (name may hold
  // sub-folders), matched without regard to case; empty when there is none.
  std::string pathForResource(const std::string& name, const std::string& type) const;

  NSBundle(std::string identifier, std::string version, std::string root, std::string executable);

private:
  std::string mIdentifier, mVersion, mRoot, mExecutable;
};

// File-system queries of the Foundation file manager.
class NSFileManager
{
public:
  static NSFileManager* defaultManager();
  bool fileExistsAtPath(const std::string& path, bool* isDirectory = nullptr) const;
};
