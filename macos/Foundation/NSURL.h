#pragma once

// URLs: a web address parsed from text, or a file URL of a path. A path's
// tilde is kept as it is (the platform does not expand it either).

#include <string>

#include "Foundation/NSObject.h"

class NSURL : public NSObject
{
public:
  // Null when the text is no URL: empty, without a scheme, or with a blank
  // or control character.
  static NSURL* newURLWithString(const std::string& text);
  // Null for an empty path.
  static NSURL* newFileURLWithPath(const std::string& path);

  bool isFileURL() const { return mFile; }
  // The whole URL: "file://" and the path for a file URL.
  std::string absoluteString() const;
  std::string path() const { return mText; }
  std::string scheme() const;

private:
  NSURL(std::string text, bool file) : mText(std::move(text)), mFile(file) {}
  std::string mText;
  bool mFile;
};

// The file system as the platform's file manager sees it (the real one).
class NSFileManager
{
public:
  static bool fileExistsAtPath(const std::string& path, bool* isDirectory = nullptr);
};

// The system's version, as the process info reports it. The stand-in's is
// 12.0 until a test sets another.
struct NSOperatingSystemVersion
{
  long majorVersion = 12;
  long minorVersion = 0;
  long patchVersion = 0;
};

NSOperatingSystemVersion NSProcessInfoOperatingSystemVersion();
// At least major.minor.
bool NSProcessInfoIsOperatingSystemAtLeast(long major, long minor);

namespace standin {
void SetOperatingSystemVersion(long major, long minor);
} // namespace standin
