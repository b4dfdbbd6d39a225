#pragma once

// An input event as the window system delivers it: its kind, where it
// happened in its window (origin bottom-left), the modifier keys held, and
// the fields of its kind. Events are values made by the window's owner
// (StandIn/AppKitEvents.h builds them) and routed by NSWindow::sendEvent.

#include <cstdint>
#include <string>
#include <vector>

#include "Foundation/NSGeometry.h"
#include "Foundation/NSObject.h"

enum NSEventType : int
{
  NSEventTypeLeftMouseDown = 1,
  NSEventTypeLeftMouseUp = 2,
  NSEventTypeRightMouseDown = 3,
  NSEventTypeRightMouseUp = 4,
  NSEventTypeMouseMoved = 5,
  NSEventTypeLeftMouseDragged = 6,
  NSEventTypeRightMouseDragged = 7,
  NSEventTypeMouseEntered = 8,
  NSEventTypeMouseExited = 9,
  NSEventTypeKeyDown = 10,
  NSEventTypeKeyUp = 11,
  NSEventTypeScrollWheel = 22,
};

enum : uint64_t
{
  NSEventModifierFlagShift = 0x20000,
  NSEventModifierFlagControl = 0x40000,
  NSEventModifierFlagOption = 0x80000,
  NSEventModifierFlagCommand = 0x100000,
};

enum : short
{
  NSEventSubtypeMouseEvent = 0,
  NSEventSubtypeTabletPoint = 1,
};

class NSWindow;

class NSEvent : public NSObject
{
public:
  NSEventType type = NSEventTypeMouseMoved;
  NSPoint locationInWindow;
  uint64_t modifierFlags = 0;
  long clickCount = 1;
  short subtype = NSEventSubtypeMouseEvent;
  double deltaY = 0.0;
  unsigned short keyCode = 0;
  // UTF-8; the key's characters with and without the modifiers applied.
  std::string characters;
  std::string charactersIgnoringModifiers;
  double timestamp = 0.0;
  NSWindow* window = nullptr;
};

// The pasteboard type of dragged file names.
extern const char* const NSFilenamesPboardType;
extern const char* const NSPasteboardTypeString;

// What a drag offers a view it enters or is dropped on.
struct NSDraggingInfo
{
  // Pasteboard types with their contents: file names for
  // NSFilenamesPboardType.
  std::vector<std::string> types;
  std::vector<std::string> fileNames;
  NSPoint draggingLocation; // in the window
};

typedef unsigned long NSDragOperation;
enum : NSDragOperation
{
  NSDragOperationNone = 0,
  NSDragOperationGeneric = 4,
};
