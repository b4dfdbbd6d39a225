#include "Foundation/NSObject.h"

#include <map>
#include <memory>
#include <mutex>

namespace {

struct ClassRegistry
{
  std::mutex mutex;
  std::map<std::string, std::unique_ptr<NSClass>, std::less<>> classes;
};

ClassRegistry& Registry()
{
  static ClassRegistry* registry = new ClassRegistry; // outlives the modules' static destructors
  return *registry;
}

} // namespace

Class NSClassFromString(const std::string& name)
{
  ClassRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  auto it = r.classes.find(name);
  return it == r.classes.end() ? nullptr : it->second.get();
}

bool NSRegisterClass(const std::string& name, NSClass::Maker make)
{
  ClassRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  if (name.empty() || r.classes.count(name))
    return false;
  r.classes.emplace(name, std::make_unique<NSClass>(name, std::move(make)));
  return true;
}

void NSUnregisterClass(const std::string& name)
{
  ClassRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.classes.erase(name);
}
