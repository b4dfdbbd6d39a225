#include "Foundation/NSURL.h"

#include <cctype>
#include <sys/stat.h>

NSURL* NSURL::newURLWithString(const std::string& text)
{
  const size_t colon = text.find(':');
  if (text.empty() || colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(text[0])))
    return nullptr;
  for (char c : text)
    if (static_cast<unsigned char>(c) <= ' ')
      return nullptr;
  return new NSURL(text, text.compare(0, 5, "file:") == 0);
}

NSURL* NSURL::newFileURLWithPath(const std::string& path)
{
  return path.empty() ? nullptr : new NSURL(path, true);
}

std::string NSURL::absoluteString() const
{
  return mFile && mText.compare(0, 5, "file:") != 0 ? "file://" + mText : mText;
}

std::string NSURL::scheme() const
{
  return mFile ? "file" : mText.substr(0, mText.find(':'));
}

bool NSFileManager::fileExistsAtPath(const std::string& path, bool* isDirectory)
{
  struct stat info;
  const bool exists = !path.empty() && ::stat(path.c_str(), &info) == 0;
  if (isDirectory)
    *isDirectory = exists && S_ISDIR(info.st_mode);
  return exists;
}

namespace {
NSOperatingSystemVersion& Version()
{
  static NSOperatingSystemVersion version;
  return version;
}
} // namespace

NSOperatingSystemVersion NSProcessInfoOperatingSystemVersion()
{
  return Version();
}

bool NSProcessInfoIsOperatingSystemAtLeast(long major, long minor)
{
  const NSOperatingSystemVersion& v = Version();
  return v.majorVersion > major || (v.majorVersion == major && v.minorVersion >= minor);
}

namespace standin {
void SetOperatingSystemVersion(long major, long minor)
{
  Version().majorVersion = major;
  Version().minorVersion = minor;
}
} // namespace standin
