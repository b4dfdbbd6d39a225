#include "CoreGraphics/CGDataProvider.h"

#include <fstream>
#include <iterator>

#include "CoreFoundation/CFObjects.h"
#include "CoreGraphics/CGObjects.h"
#include "StandIn/CFObjects.h"

CGDataProviderObject::~CGDataProviderObject()
{
  if (mRelease)
    mRelease(mInfo, mBytes, mSize);
  if (mURL)
    CFRelease(mURL);
}

CGDataProviderRef CGDataProviderCreateWithURL(CFURLRef url)
{
  if (!url)
    return nullptr;
  CFStringRef path = CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle);
  if (!path)
    return nullptr;
  std::ifstream file(StandInStringText(path), std::ios::binary);
  CFRelease(path);
  if (!file)
    return nullptr;
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad() || !standin::CreationAllowed())
    return nullptr;
  auto* provider = new CGDataProviderObject;
  provider->mOwned = std::move(bytes);
  provider->mBytes = provider->mOwned.data();
  provider->mSize = provider->mOwned.size();
  provider->mURL = static_cast<CFURLRef>(CFRetain(url));
  return provider;
}

CGDataProviderRef CGDataProviderCreateWithData(void* info, const void* data, size_t size,
                                               CGDataProviderReleaseDataCallback releaseData)
{
  if (!data || !standin::CreationAllowed())
    return nullptr;
  auto* provider = new CGDataProviderObject;
  provider->mBytes = static_cast<const uint8_t*>(data);
  provider->mSize = size;
  provider->mInfo = info;
  provider->mRelease = releaseData;
  return provider;
}

CFDataRef CGDataProviderCopyData(CGDataProviderRef provider)
{
  if (!provider)
    return nullptr;
  return CFDataCreate(kCFAllocatorDefault, provider->mBytes, static_cast<CFIndex>(provider->mSize));
}

CFURLRef CGDataProviderGetURLStandIn(CGDataProviderRef provider)
{
  return provider ? provider->mURL : nullptr;
}

void CGDataProviderRelease(CGDataProviderRef provider)
{
  if (provider)
    CFRelease(provider);
}
