#pragma once

// The default notification centre: observers register a block for a name,
// optionally for one sender, and are called in registration order when it is
// posted. An observer must be removed before it is destroyed. Main thread.

#include <functional>
#include <string>

#include "Foundation/NSObject.h"

extern const char* const NSWindowDidResignKeyNotification;
extern const char* const NSWindowDidResignMainNotification;
extern const char* const NSViewFrameDidChangeNotification;

class NSNotificationCenter
{
public:
  using Block = std::function<void(NSObject* sender)>;
  static NSNotificationCenter& defaultCenter();

  // sender null: from any sender.
  void addObserver(const void* observer, const std::string& name, const NSObject* sender, Block block);
  void removeObserver(const void* observer);
  void postNotification(const std::string& name, NSObject* sender);
  int observerCount() const;
};
