#pragma once

// The main display and the mouse cursor on it. Display coordinates have the
// origin at the top-left of the main display. The stand-in records every
// cursor call in order, as text, for tests to read.

#include <cstdint>
#include <string>
#include <vector>

#include "Foundation/NSGeometry.h"

typedef uint32_t CGDirectDisplayID;
typedef int32_t CGError;
struct CGPoint
{
  double x = 0.0;
  double y = 0.0;
};

CGDirectDisplayID CGMainDisplayID();
size_t CGDisplayPixelsHigh(CGDirectDisplayID display);
CGError CGDisplayHideCursor(CGDirectDisplayID display);
CGError CGDisplayShowCursor(CGDirectDisplayID display);
// Also moves the mouse location (NSEventMouseLocation).
CGError CGDisplayMoveCursorToPoint(CGDirectDisplayID display, CGPoint point);
CGError CGAssociateMouseAndMouseCursorPosition(int connected);

// The mouse in screen coordinates (origin bottom-left), as the platform's
// event class reports it.
NSPoint NSEventMouseLocation();

namespace standin {
// The main display's height in pixels (1080 unless set) and its width.
void SetMainDisplaySize(int width, int height);
int MainDisplayWidth();
void SetMouseLocation(NSPoint screenPoint);
// "hide", "show", "move X Y", "associate 0|1", in the order called.
std::vector<std::string> CursorCalls();
void ClearCursorCalls();
bool IsCursorHiddenOnDisplay();
} // namespace standin
