#pragma once

// Sizes in the window system's points.
struct NSSize
{
  double width = 0.0;
  double height = 0.0;
};
