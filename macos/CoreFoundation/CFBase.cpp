#include "CoreFoundation/CFBase.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <unordered_set>

#include "StandIn/CFObjects.h"
#include "StandIn/Hooks.h"

namespace {

// Every live object, so that a release of a dead one is detected rather than
// followed into freed memory.
struct ObjectRegistry
{
  std::mutex mutex;
  std::unordered_set<const void*> live;
  // Objects that live as long as the process (constant strings, bundle
  // strings): not counted as live objects.
  std::unordered_set<const void*> permanent;
  int overReleases = 0;
  long allocatorBlocks = 0;
  // Fault injection: creations left before they fail (-1: never fail).
  long creationsBeforeFailure = -1;
  bool failArrayCreation = false;
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
  r.permanent.erase(static_cast<const void*>(this));
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

namespace {
std::atomic<int> gNullTypeQueries{0};
}

CFTypeID CFGetTypeID(CFTypeRef object)
{
  if (object)
    return static_cast<const CFObject*>(object)->TypeID();
  // The platform does not survive this; the stand-in answers and counts it.
  ++gNullTypeQueries;
  return kCFStandInTypeIDNone;
}

Boolean CFEqual(CFTypeRef a, CFTypeRef b)
{
  if (a == b)
    return true;
  if (!a || !b)
    return false;
  const CFObject* x = static_cast<const CFObject*>(a);
  const CFObject* y = static_cast<const CFObject*>(b);
  return x->TypeID() == y->TypeID() && x->Equals(*y);
}

void* CFAllocatorAllocate(CFAllocatorRef, CFIndex size, CFOptionFlags)
{
  if (size <= 0 || !standin::CreationAllowed())
    return nullptr;
  void* p = std::malloc(static_cast<size_t>(size));
  if (p)
  {
    ObjectRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    ++r.allocatorBlocks;
  }
  return p;
}

void CFAllocatorDeallocate(CFAllocatorRef, void* ptr)
{
  if (!ptr)
    return;
  {
    ObjectRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    --r.allocatorBlocks;
  }
  std::free(ptr);
}

namespace standin {

bool CreationAllowed()
{
  ObjectRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  if (r.creationsBeforeFailure < 0)
    return true;
  if (r.creationsBeforeFailure == 0)
    return false;
  --r.creationsBeforeFailure;
  return true;
}

bool ArrayCreationAllowed()
{
  ObjectRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  return !r.failArrayCreation;
}

void FailCreationsAfter(long count)
{
  ObjectRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.creationsBeforeFailure = count;
}

void FailArrayCreation(bool fail)
{
  ObjectRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.failArrayCreation = fail;
}

void MakePermanent(CFTypeRef object)
{
  ObjectRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  if (object && r.live.count(object))
    r.permanent.insert(object);
}

long LiveObjectCount()
{
  ObjectRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  return static_cast<long>(r.live.size() - r.permanent.size()) + r.allocatorBlocks;
}

int OverReleaseCount()
{
  ObjectRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  return r.overReleases;
}

int NullTypeQueryCount() { return gNullTypeQueries; }

void ResetOverReleaseCount()
{
  ObjectRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.overReleases = 0;
}

} // namespace standin
