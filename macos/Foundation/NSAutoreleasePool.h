#pragma once

// Autorelease pools: an object sent autorelease is released when the
// innermost pool of its thread is drained (destroyed). Pools nest as scopes.
// Without a pool the object goes to the thread's outermost pool, which the
// stand-in drains on standin::DrainOutermostPool() (the run loop's pool on a
// real system).

#include <vector>

#include "Foundation/NSObject.h"

class NSAutoreleasePool
{
public:
  NSAutoreleasePool();
  ~NSAutoreleasePool();
  NSAutoreleasePool(const NSAutoreleasePool&) = delete;
  NSAutoreleasePool& operator=(const NSAutoreleasePool&) = delete;

  static void addObject(NSObject* object);

private:
  std::vector<NSObject*> mObjects;
};

namespace standin {
// Releases what was autoreleased outside any pool on this thread.
void DrainOutermostPool();
} // namespace standin
