#include "CoreGraphics/CGDisplay.h"

#include <cstdio>

namespace {

struct Display
{
  int width = 1920;
  int height = 1080;
  NSPoint mouse;
  int hideCount = 0;
  std::vector<std::string> calls;
};

Display& Main()
{
  static Display display;
  return display;
}

std::string Number(double v)
{
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

} // namespace

CGDirectDisplayID CGMainDisplayID()
{
  return 1;
}

size_t CGDisplayPixelsHigh(CGDirectDisplayID)
{
  return static_cast<size_t>(Main().height);
}

CGError CGDisplayHideCursor(CGDirectDisplayID)
{
  ++Main().hideCount;
  Main().calls.push_back("hide");
  return 0;
}

CGError CGDisplayShowCursor(CGDirectDisplayID)
{
  if (Main().hideCount > 0)
    --Main().hideCount;
  Main().calls.push_back("show");
  return 0;
}

CGError CGDisplayMoveCursorToPoint(CGDirectDisplayID, CGPoint point)
{
  Main().mouse = NSPoint{point.x, Main().height - point.y};
  Main().calls.push_back("move " + Number(point.x) + " " + Number(point.y));
  return 0;
}

CGError CGAssociateMouseAndMouseCursorPosition(int connected)
{
  Main().calls.push_back(connected ? "associate 1" : "associate 0");
  return 0;
}

NSPoint NSEventMouseLocation()
{
  return Main().mouse;
}

namespace standin {

void SetMainDisplaySize(int width, int height)
{
  Main().width = width;
  Main().height = height;
}

int MainDisplayWidth()
{
  return Main().width;
}

void SetMouseLocation(NSPoint screenPoint)
{
  Main().mouse = screenPoint;
}

std::vector<std::string> CursorCalls()
{
  return Main().calls;
}

void ClearCursorCalls()
{
  Main().calls.clear();
  Main().hideCount = 0;
}

bool IsCursorHiddenOnDisplay()
{
  return Main().hideCount > 0;
}

} // namespace standin
