#pragma once

// The protocol of an Audio Unit's Cocoa view factory. A host reads the
// factory's class name from the unit's CocoaUI property, finds the class by
// that name (Foundation/NSObject.h), makes an instance and, when it conforms
// (dynamic_cast to AUCocoaUIBase), asks it for the unit's view.

#include "AppKit/NSView.h"
#include "AudioUnit/AUComponent.h"
#include "CoreFoundation/CFString.h"

class AUCocoaUIBase
{
public:
  virtual ~AUCocoaUIBase() = default;

  // The version of this protocol the factory speaks.
  virtual unsigned interfaceVersion() = 0;
  // The view showing the unit, or null. The preferred size is a hint. The
  // view belongs to the plug-in; the host embeds it and lets the plug-in
  // take it down.
  virtual NSView* uiViewForAudioUnit(AudioUnit unit, NSSize preferredSize) = 0;
  // A new string naming the factory; the caller releases it.
  virtual CFStringRef description() = 0;
};
