#include "resources/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace tolvane3::artwork {

namespace {

float Clamp01(float v)
{
  return std::min(1.f, std::max(0.f, v));
}

// Coverage of a pixel whose centre lies d units (signed, negative inside)
// from an edge, over one pixel of width px.
float EdgeCoverage(float d, float px)
{
  return Clamp01(0.5f - d / px);
}

float RoundRectDistance(float x, float y, float l, float t, float r, float b, float radius)
{
  const float cx = (l + r) * 0.5f, cy = (t + b) * 0.5f;
  const float hx = (r - l) * 0.5f - radius, hy = (b - t) * 0.5f - radius;
  const float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
  const float ox = std::max(qx, 0.f), oy = std::max(qy, 0.f);
  return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.f) - radius;
}

} // namespace

Canvas::Canvas(int width, int height, int scale)
  : mScale(scale), mW(width * scale), mH(height * scale), mPx(static_cast<size_t>(mW) * mH * 4, 0.f)
{
}

template <class Coverage>
void Canvas::Paint(float l, float t, float r, float b, Rgba c, Coverage cover)
{
  const int x0 = std::max(0, static_cast<int>(std::floor(l * mScale)) - 1);
  const int y0 = std::max(0, static_cast<int>(std::floor(t * mScale)) - 1);
  const int x1 = std::min(mW, static_cast<int>(std::ceil(r * mScale)) + 1);
  const int y1 = std::min(mH, static_cast<int>(std::ceil(b * mScale)) + 1);
  for (int py = y0; py < y1; ++py)
    for (int px = x0; px < x1; ++px)
    {
      const float x = (static_cast<float>(px) + 0.5f) / mScale;
      const float y = (static_cast<float>(py) + 0.5f) / mScale;
      Blend(px, py, c, cover(x, y));
    }
}

void Canvas::Blend(int px, int py, Rgba c, float coverage)
{
  const float a = Clamp01(c.a * coverage);
  if (a <= 0.f)
    return;
  float* p = &mPx[(static_cast<size_t>(py) * mW + px) * 4];
  const float outA = a + p[3] * (1.f - a);
  const float src[3] = {c.r, c.g, c.b};
  for (int i = 0; i < 3; ++i)
    p[i] = outA > 0.f ? (src[i] * a + p[i] * p[3] * (1.f - a)) / outA : 0.f;
  p[3] = outA;
}

void Canvas::FillRect(float l, float t, float r, float b, Rgba c)
{
  FillRoundRect(l, t, r, b, 0.f, c);
}

void Canvas::FillRoundRect(float l, float t, float r, float b, float radius, Rgba c)
{
  const float px = 1.f / mScale;
  Paint(l, t, r, b, c, [&](float x, float y) { return EdgeCoverage(RoundRectDistance(x, y, l, t, r, b, radius), px); });
}

void Canvas::FillRoundRectGradient(float l, float t, float r, float b, float radius, Rgba top, Rgba bottom)
{
  const float px = 1.f / mScale;
  const int y0 = std::max(0, static_cast<int>(std::floor(t * mScale)));
  const int y1 = std::min(mH, static_cast<int>(std::ceil(b * mScale)));
  for (int py = y0; py < y1; ++py)
  {
    const float y = (static_cast<float>(py) + 0.5f) / mScale;
    const float f = Clamp01((y - t) / std::max(b - t, 1e-3f));
    const Rgba c{top.r + (bottom.r - top.r) * f, top.g + (bottom.g - top.g) * f, top.b + (bottom.b - top.b) * f,
      top.a + (bottom.a - top.a) * f};
    const int x0 = std::max(0, static_cast<int>(std::floor(l * mScale)));
    const int x1 = std::min(mW, static_cast<int>(std::ceil(r * mScale)));
    for (int pxi = x0; pxi < x1; ++pxi)
    {
      const float x = (static_cast<float>(pxi) + 0.5f) / mScale;
      Blend(pxi, py, c, EdgeCoverage(RoundRectDistance(x, y, l, t, r, b, radius), px));
    }
  }
}

void Canvas::FillCircle(float cx, float cy, float radius, Rgba c)
{
  const float px = 1.f / mScale;
  Paint(cx - radius, cy - radius, cx + radius, cy + radius, c,
    [&](float x, float y) { return EdgeCoverage(std::hypot(x - cx, y - cy) - radius, px); });
}

void Canvas::StrokeCircle(float cx, float cy, float radius, float width, Rgba c)
{
  const float px = 1.f / mScale, half = width * 0.5f, outer = radius + half;
  Paint(cx - outer, cy - outer, cx + outer, cy + outer, c,
    [&](float x, float y) { return EdgeCoverage(std::fabs(std::hypot(x - cx, y - cy) - radius) - half, px); });
}

void Canvas::Line(float x1, float y1, float x2, float y2, float width, Rgba c)
{
  const float px = 1.f / mScale, half = width * 0.5f;
  const float dx = x2 - x1, dy = y2 - y1, len2 = std::max(dx * dx + dy * dy, 1e-6f);
  Paint(std::min(x1, x2) - half, std::min(y1, y2) - half, std::max(x1, x2) + half, std::max(y1, y2) + half, c,
    [&](float x, float y) {
      const float f = Clamp01(((x - x1) * dx + (y - y1) * dy) / len2);
      return EdgeCoverage(std::hypot(x - (x1 + f * dx), y - (y1 + f * dy)) - half, px);
    });
}

void Canvas::Clear(float l, float t, float r, float b)
{
  const int x0 = std::max(0, static_cast<int>(l * mScale)), x1 = std::min(mW, static_cast<int>(r * mScale));
  const int y0 = std::max(0, static_cast<int>(t * mScale)), y1 = std::min(mH, static_cast<int>(b * mScale));
  for (int py = y0; py < y1; ++py)
    std::fill(&mPx[(static_cast<size_t>(py) * mW + x0) * 4], &mPx[(static_cast<size_t>(py) * mW + x1) * 4], 0.f);
}

void Canvas::BlendMask(const unsigned char* mask, int w, int h, int px, int py, Rgba c)
{
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (px + x >= 0 && px + x < mW && py + y >= 0 && py + y < mH)
        Blend(px + x, py + y, c, mask[y * w + x] / 255.f);
}

bool Canvas::WritePng(const std::string& path) const
{
  std::vector<uint8_t> bytes(mPx.size());
  for (size_t i = 0; i < mPx.size(); ++i)
    bytes[i] = static_cast<uint8_t>(std::lround(Clamp01(mPx[i]) * 255.f));
  return stbi_write_png(path.c_str(), mW, mH, 4, bytes.data(), mW * 4) != 0;
}

} // namespace tolvane3::artwork
