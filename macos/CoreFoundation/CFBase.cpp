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
  std::unordered_set<const void*> live;
  int overReleases = 0;
};

ObjectRegistry& Registry()
{
  static ObjectRegistry* registry = new ObjectRegistry; // outlives static destructors
  return *registry;
}

CFObject* AsObject(CFTypeRef object)
{
  return static_cast<CFObject*>(const_cast<void*>(object));
}

} // namespace

const CFAllocatorRef kCFAllocatorDefault = nullptr;

CFObject::CFObject()
{
  ObjectRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.live.insert(static_cast<const void*>(this));
}

CFObject::~CFObject()
{
  ObjectRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.live.erase(static_cast<const void*>(this));
}

CFTypeRef CFRetain(CFTypeRef object)
{
  if (!object)
    return nullptr;
  ObjectRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  if (r.live.count(object))
    ++AsObject(object)->mRetainCount;
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
    if (--AsObject(object)->mRetainCount > 0)
      return;
  }
  delete AsObject(object);
}

CFIndex CFGetRetainCount(CFTypeRef object)
{
  if (!object)
    return 0;
  ObjectRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  return r.live.count(object) ? AsObject(object)->mRetainCount : 0;
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
