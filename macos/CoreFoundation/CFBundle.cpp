#include "CoreFoundation/CFBundle.h"

#include <map>
#include <mutex>
#include <string>

#include "CoreFoundation/CFObjects.h"
#include "Foundation/NSBundle.h"
#include "StandIn/CFObjects.h"

// A bundle reference is the registry's NSBundle itself; strings handed out
// for it are kept per text for the life of the process, as a bundle's own
// strings are on macOS.
struct CFBundleObject;

namespace {

NSBundle* AsNSBundle(CFBundleRef bundle)
{
  return reinterpret_cast<NSBundle*>(bundle);
}

CFStringRef PermanentString(const std::string& text)
{
  return text.empty() ? nullptr : CFStringMakeConstant(text.c_str());
}

} // namespace

const CFStringRef kCFBundleVersionKey = CFStringMakeConstant("CFBundleVersion");
const CFStringRef kCFBundleIdentifierKey = CFStringMakeConstant("CFBundleIdentifier");

CFBundleRef CFBundleGetMainBundle()
{
  return reinterpret_cast<CFBundleRef>(NSBundle::mainBundle());
}

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef identifier)
{
  if (!identifier)
    return nullptr;
  return reinterpret_cast<CFBundleRef>(NSBundle::bundleWithIdentifier(StandInStringText(identifier)));
}

CFStringRef CFBundleGetIdentifier(CFBundleRef bundle)
{
  return bundle ? PermanentString(AsNSBundle(bundle)->bundleIdentifier()) : nullptr;
}

CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key)
{
  if (!bundle || !key)
    return nullptr;
  return PermanentString(AsNSBundle(bundle)->objectForInfoDictionaryKey(StandInStringText(key)));
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle)
{
  if (!bundle || AsNSBundle(bundle)->bundlePath().empty() || !standin::CreationAllowed())
    return nullptr;
  auto* url = new CFURLObject;
  url->mPath = AsNSBundle(bundle)->bundlePath();
  return url;
}

CFTypeID CFURLGetTypeID()
{
  return kCFStandInTypeIDURL;
}

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, CFStringRef path, CFURLPathStyle, Boolean)
{
  if (!path || !standin::CreationAllowed())
    return nullptr;
  auto* url = new CFURLObject;
  url->mPath = StandInStringText(path);
  return url;
}

CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle)
{
  if (!url || CFGetTypeID(url) != kCFStandInTypeIDURL)
    return nullptr;
  return NewStandInString(static_cast<const CFURLObject*>(url)->mPath);
}
