#include "CoreFoundation/CFBase.h"

#include <mutex>
#include <unordered_set>

#include "StandIn/Hooks.h"

namespace {

// Every live object, so that a release of a dead one is detected rather than
// followed into freed memory.
struct ObjectRegistry
{
  std::mutex mutex;
  std::unordered_set<const CFObject*> live;
  int overReleases = 0;
};

ObjectRegistry& Registry()
{
  static ObjectRegistry* registry = new ObjectRegistry; // outlives static destructors
  return *registry;
}

} // namespace

const CFAllocatorRef kCFAllocatorDefault = nullptr;

CFObject::CFObject()
{
  ObjectRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.live.insert(this);
}

CFObject::~CFObject()
{
  ObjectRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.live.erase(this);
}

CFTypeRef CFRetain(CFTypeRef object)
{
  if (!object)
    return nullptr;
  ObjectRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  if (r.live.count(object))
    ++const_cast<CFObject*>(object)->mRetainCount;
  return object;
}

void CFRelease(CFTypeRef object)
{
  if (!object)
    return;
  ObjectRegistry& r = Registry();
  {
    std::lock_guard<std::mutex> lock(r.mutex);
    if (!r.live.count(object))
    {
      ++r.overReleases;
      return;
    }
    if (--const_cast<CFObject*>(object)->mRetainCount > 0)
      return;
  }
  delete object;
}

CFIndex CFGetRetainCount(CFTypeRef object)
{
  if (!object)
    return 0;
  ObjectRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  return r.live.count(object) ? object->mRetainCount : 0;
}

namespace standin {

int OverReleaseCount()
{
  ObjectRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  return r.overReleases;
}

void ResetOverReleaseCount()
{
  ObjectRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.overReleases = 0;
}

} // namespace standin
