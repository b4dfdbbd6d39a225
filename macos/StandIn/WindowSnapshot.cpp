#include "StandIn/WindowSnapshot.h"

#include <algorithm>
#include <cmath>

#include "AppKit/NSWindow.h"
#include "QuartzCore/CAMetalLayer.h"

namespace standin {

namespace {

void Composite(const NSView& view, double scale, WindowImage& out)
{
  if (view.isHidden())
    return;
  if (CAMetalLayer* layer = view.layer(); layer && layer->presentCount() > 0)
  {
    int w = 0, h = 0;
    const std::vector<uint8_t> shown = layer->lastPresentedImage(&w, &h);
    // The frame's top-left corner in window pixels from the top.
    const NSPoint topLeft =
      view.convertPointToView(NSPoint{0, view.isFlipped() ? 0 : view.frame().size.height}, nullptr);
    const int x0 = static_cast<int>(std::lround(topLeft.x * scale));
    const int y0 = static_cast<int>(std::lround(out.height - topLeft.y * scale));
    for (int y = 0; y < h; ++y)
    {
      const int ty = y0 + y;
      if (ty < 0 || ty >= out.height)
        continue;
      for (int x = 0; x < w; ++x)
      {
        const int tx = x0 + x;
        if (tx < 0 || tx >= out.width)
          continue;
        const uint8_t* s = &shown[(size_t(y) * size_t(w) + size_t(x)) * 4];
        uint8_t* d = &out.rgba[(size_t(ty) * size_t(out.width) + size_t(tx)) * 4];
        // Straight colour: the drawable holds premultiplied pixels.
        const int a = s[3];
        for (int c = 0; c < 3; ++c)
          d[c] = a == 0 ? 0 : static_cast<uint8_t>(std::min(255, (s[c] * 255 + a / 2) / a));
        d[3] = s[3];
      }
    }
  }
  for (const NSView* sub : view.subviews())
    Composite(*sub, scale, out);
}

} // namespace

WindowImage SnapshotWindow(const NSWindow& window)
{
  WindowImage out;
  const double scale = window.backingScaleFactor();
  out.width = static_cast<int>(std::lround(window.frame().size.width * scale));
  out.height = static_cast<int>(std::lround(window.frame().size.height * scale));
  out.rgba.assign(size_t(out.width) * size_t(out.height) * 4, 0);
  for (size_t i = 3; i < out.rgba.size(); i += 4)
    out.rgba[i] = 255;
  Composite(*window.contentView(), scale, out);
  return out;
}

} // namespace standin
