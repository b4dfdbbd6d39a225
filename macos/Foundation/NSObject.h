#pragma once

// Objective-C objects and classes, as far as a host needs them to load a
// plug-in's view factory: it reads a class name from the plug-in, finds the
// class by that name and makes an instance.
//
// Objects are reference counted as Core Foundation objects are (the two are
// interchangeable on macOS): an instance starts with one reference owned by
// whoever made it, and release() of the last one destroys it. Protocol
// conformance is a C++ base class, asked with dynamic_cast.
//
// A module that defines classes makes them known when it loads, and must
// forget them before it unloads, since their code goes with it. Any thread.

#include <functional>
#include <string>

#include "CoreFoundation/CFBase.h"

class NSObject : public CFObject
{
public:
  NSObject* retain()
  {
    CFRetain(this);
    return this;
  }
  void release() { CFRelease(this); }
  // Released when the innermost autorelease pool drains
  // (Foundation/NSAutoreleasePool.h).
  NSObject* autorelease();
  // Target-action: runs the action method of that selector ("onTimer:")
  // with the sender; false when this object has no such method.
  virtual bool performAction(const std::string& selector, NSObject* sender) { return false; }
};

// A setter's retain: keeps a reference of the new object in the slot and
// releases the old one (either may be null).
template <class T>
void NSRetainInto(T*& slot, T* object)
{
  if (object)
    object->retain();
  if (slot)
    slot->release();
  slot = object;
}

// One class known to the process by name.
class NSClass
{
public:
  using Maker = std::function<NSObject*()>;
  NSClass(std::string name, Maker make) : mName(std::move(name)), mMake(std::move(make)) {}

  const std::string& name() const { return mName; }
  // [[cls alloc] init]: a new instance holding one reference, or null when
  // the initialiser refused.
  NSObject* allocInit() const { return mMake ? mMake() : nullptr; }

private:
  std::string mName;
  Maker mMake;
};

typedef const NSClass* Class;

// The class known by that name, or null.
Class NSClassFromString(const std::string& name);

// Makes a class known by name, as loading an image that defines it does on
// macOS. The first definition of a name wins: a later one is refused (false)
// and the known class stays.
bool NSRegisterClass(const std::string& name, NSClass::Maker make);
// Forgets a class, as unloading the module that defined it must. Instances
// already made live on.
void NSUnregisterClass(const std::string& name);
