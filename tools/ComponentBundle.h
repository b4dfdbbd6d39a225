// An Audio Unit bundle folder loaded as a host loads one: its Info.plist
// read for the executable, identity and factory name, the module opened
// with dlopen, and units opened through the exported factory only.
//
// The bundle is made known to the stand-in layer (so the plug-in finds its
// resources) and the host registers itself as the main bundle (so the
// plug-in can identify its host). Main thread.
#pragma once

#include <memory>
#include <string>

#include "AudioUnit/AudioUnit.h"

namespace auhost {

struct ComponentIdentity
{
  std::string name, bundleId, version, factory;
  std::string type, subtype, manufacturer; // four-character codes
};

class ComponentBundle
{
public:
  // Null with `error` set when the folder, its Info.plist, the module or
  // its factory is missing or unreadable.
  static std::unique_ptr<ComponentBundle> Load(const std::string& root, std::string& error);

  const ComponentIdentity& Identity() const { return mIdentity; }
  const std::string& Root() const { return mRoot; }
  // A new interface record from the module's factory.
  AudioComponentPlugInInterface* NewRecord() const { return mFactory(); }

private:
  ComponentBundle() = default;
  std::string mRoot;
  ComponentIdentity mIdentity;
  AudioComponentPlugInInterface* (*mFactory)() = nullptr;
};

// One opened unit, closed on destruction.
class OpenedUnit
{
public:
  // Null with `error` set when the factory or Open fails.
  static std::unique_ptr<OpenedUnit> Open(const ComponentBundle& bundle, std::string& error);
  ~OpenedUnit();
  OpenedUnit(const OpenedUnit&) = delete;
  OpenedUnit& operator=(const OpenedUnit&) = delete;

  AudioUnit Unit() const { return mUnit; }

private:
  OpenedUnit() = default;
  AudioComponentPlugInInterface* mRecord = nullptr;
  AudioUnit mUnit = nullptr;
};

// The text of a Core Foundation string (empty for null).
std::string TextOf(CFStringRef string);
// A four-character code as its text ("aufx").
std::string CodeText(UInt32 code);

} // namespace auhost
