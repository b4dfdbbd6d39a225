#pragma once

// What a window shows, as straight RGBA rows at its backing scale: each
// layer-backed view's last presented drawable at its frame, over black.

#include <cstdint>
#include <vector>

class NSWindow;

namespace standin {

struct WindowImage
{
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;
};

WindowImage SnapshotWindow(const NSWindow& window);

} // namespace standin
