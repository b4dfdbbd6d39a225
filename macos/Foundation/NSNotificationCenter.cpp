#include "Foundation/NSNotificationCenter.h"

#include <vector>

const char* const NSWindowDidResignKeyNotification = "NSWindowDidResignKeyNotification";
const char* const NSWindowDidResignMainNotification = "NSWindowDidResignMainNotification";
const char* const NSViewFrameDidChangeNotification = "NSViewFrameDidChangeNotification";

namespace {

struct Registration
{
  const void* observer;
  std::string name;
  const NSObject* sender;
  NSNotificationCenter::Block block;
  bool removed = false;
};

std::vector<Registration>& Registrations()
{
  static std::vector<Registration>* list = new std::vector<Registration>;
  return *list;
}

} // namespace

NSNotificationCenter& NSNotificationCenter::defaultCenter()
{
  static NSNotificationCenter center;
  return center;
}

void NSNotificationCenter::addObserver(const void* observer, const std::string& name, const NSObject* sender,
  Block block)
{
  Registrations().push_back({observer, name, sender, std::move(block)});
}

void NSNotificationCenter::removeObserver(const void* observer)
{
  for (Registration& r : Registrations())
    if (r.observer == observer)
      r.removed = true;
}

void NSNotificationCenter::postNotification(const std::string& name, NSObject* sender)
{
  std::vector<Registration>& list = Registrations();
  // An observer may remove itself or add others while being told.
  for (size_t i = 0; i < list.size(); ++i)
  {
    if (list[i].removed || list[i].name != name || (list[i].sender && list[i].sender != sender))
      continue;
    Block block = list[i].block;
    block(sender);
  }
  std::erase_if(list, [](const Registration& r) { return r.removed; });
}

int NSNotificationCenter::observerCount() const
{
  int n = 0;
  for (const Registration& r : Registrations())
    n += r.removed ? 0 : 1;
  return n;
}
