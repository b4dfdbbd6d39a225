// A picture in memory for the artwork generator: premultiplied-free RGBA
// floats, drawn in 1x units that a scale factor turns into pixels, with
// anti-aliased shapes (coverage from the distance to the shape's edge).
#pragma once

#include <string>
#include <vector>

namespace tolvane3::artwork {

struct Rgba
{
  float r, g, b, a;
};

inline Rgba Grey(float v, float a = 1.f)
{
  return {v, v, v, a};
}

class Canvas
{
public:
  // width x height in 1x units, drawn at scale pixels per unit.
  Canvas(int width, int height, int scale);

  int Scale() const { return mScale; }
  int PixelWidth() const { return mW; }
  int PixelHeight() const { return mH; }

  // Shapes in 1x units; each blends its colour over what is there.
  void FillRect(float l, float t, float r, float b, Rgba c);
  void FillRoundRect(float l, float t, float r, float b, float radius, Rgba c);
  // A vertical gradient from top colour to bottom colour.
  void FillRoundRectGradient(float l, float t, float r, float b, float radius, Rgba top, Rgba bottom);
  void FillCircle(float cx, float cy, float radius, Rgba c);
  void StrokeCircle(float cx, float cy, float radius, float width, Rgba c);
  void Line(float x1, float y1, float x2, float y2, float width, Rgba c);
  // Makes the area fully transparent again.
  void Clear(float l, float t, float r, float b);
  // Blends a coverage mask (one byte per pixel, w x h) at pixel (px, py).
  void BlendMask(const unsigned char* mask, int w, int h, int px, int py, Rgba c);

  // Writes the pixels as a PNG; false on failure.
  bool WritePng(const std::string& path) const;

private:
  // Runs cover(x, y) (pixel centre in 1x units -> coverage 0..1) over the
  // pixels of the box and blends c by it.
  template <class Coverage>
  void Paint(float l, float t, float r, float b, Rgba c, Coverage cover);
  void Blend(int px, int py, Rgba c, float coverage);

  int mScale, mW, mH;
  std::vector<float> mPx;
};

} // namespace tolvane3::artwork
