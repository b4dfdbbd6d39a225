#pragma once

// Points, sizes and rectangles in the window system's points. Whether y
// grows up or down depends on the coordinate system they are given in: a
// window's and the screen's grow up from the bottom-left, a flipped view's
// grow down from its top-left.
struct NSSize
{
  double width = 0.0;
  double height = 0.0;
};

struct NSPoint
{
  double x = 0.0;
  double y = 0.0;
};

struct NSRect
{
  NSPoint origin;
  NSSize size;

  double maxX() const { return origin.x + size.width; }
  double maxY() const { return origin.y + size.height; }
  // Half-open, as the window system hit-tests: the far edges are outside.
  bool contains(NSPoint p) const { return p.x >= origin.x && p.y >= origin.y && p.x < maxX() && p.y < maxY(); }
  bool operator==(const NSRect& o) const
  {
    return origin.x == o.origin.x && origin.y == o.origin.y && size.width == o.size.width &&
           size.height == o.size.height;
  }
};

inline NSRect NSMakeRect(double x, double y, double w, double h)
{
  return NSRect{NSPoint{x, y}, NSSize{w, h}};
}
