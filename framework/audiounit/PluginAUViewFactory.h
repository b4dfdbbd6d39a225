#pragma once

#include <string>

#include "AudioUnit/AUCocoaUIView.h"
#include "Foundation/NSObject.h"

namespace plugkit {

class PluginAU;

// The Cocoa view factory of a plug-in: the class a host makes by the name
// the CocoaUI property gives, and asks for the editor view of a unit. It
// finds the plug-in object behind the unit through the wrapper's private
// property, and opens the editor through the plug-in's editor delegate.
//
// Main thread (the host's view calls). Bad input: a unit that is not one of
// ours, a plug-in without an editor, or an editor that made no view give
// null.
class PluginAUViewFactory : public NSObject, public AUCocoaUIBase
{
public:
  explicit PluginAUViewFactory(std::string description) : mDescription(std::move(description)) {}

  unsigned interfaceVersion() override { return 0; }
  // Opens the editor at its own size (a window still open is closed
  // first); the preferred size is not used.
  NSView* uiViewForAudioUnit(AudioUnit unit, NSSize preferredSize) override;
  CFStringRef description() override;

private:
  PluginAU* mPlug = nullptr;
  std::string mDescription;
};

// Makes the view factory known by the class name the CocoaUI property gives
// ("<plug-in name> View" its description) until this module unloads. Called
// by each wrapper as it is built, so the class is known before a host can
// ask for it; a name another module defined already stays theirs. Main
// thread.
void RegisterAUViewFactoryClass(const char* className, const char* pluginName);

} // namespace plugkit
