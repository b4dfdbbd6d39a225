#include "Foundation/NSAutoreleasePool.h"

namespace {

struct PoolStack
{
  std::vector<std::vector<NSObject*>*> pools;
  std::vector<NSObject*> outermost;
};

PoolStack& Pools()
{
  thread_local PoolStack stack;
  return stack;
}

void ReleaseAll(std::vector<NSObject*>& objects)
{
  // An object released here may autorelease others into the same list.
  while (!objects.empty())
  {
    NSObject* object = objects.back();
    objects.pop_back();
    object->release();
  }
}

} // namespace

NSObject* NSObject::autorelease()
{
  NSAutoreleasePool::addObject(this);
  return this;
}

NSAutoreleasePool::NSAutoreleasePool()
{
  Pools().pools.push_back(&mObjects);
}

NSAutoreleasePool::~NSAutoreleasePool()
{
  ReleaseAll(mObjects);
  Pools().pools.pop_back();
}

void NSAutoreleasePool::addObject(NSObject* object)
{
  if (!object)
    return;
  PoolStack& stack = Pools();
  (stack.pools.empty() ? stack.outermost : *stack.pools.back()).push_back(object);
}

namespace standin {

void DrainOutermostPool()
{
  ReleaseAll(Pools().outermost);
}

} // namespace standin
