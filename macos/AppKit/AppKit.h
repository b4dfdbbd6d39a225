#pragma once

#include "AppKit/NSAnimationContext.h"
#include "AppKit/NSAppearance.h"
#include "AppKit/NSColor.h"
#include "AppKit/NSCursor.h"
#include "AppKit/NSEvent.h"
#include "AppKit/NSImage.h"
#include "AppKit/NSMenu.h"
#include "AppKit/NSPanels.h"
#include "AppKit/NSPasteboard.h"
#include "AppKit/NSTextField.h"
#include "AppKit/NSView.h"
#include "AppKit/NSWindow.h"
#include "AppKit/NSWorkspace.h"
#include "Foundation/NSAutoreleasePool.h"
#include "Foundation/NSGeometry.h"
#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSObject.h"
#include "Foundation/NSTimer.h"
#include "Foundation/NSURL.h"

// Loads the application kit for a plug-in in a host that has none; always
// succeeds.
inline bool NSApplicationLoad()
{
  return true;
}
