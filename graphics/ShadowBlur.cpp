#include "graphics/ShadowBlur.h"

#include <algorithm>
#include <cmath>

namespace plugkit::gfx {

namespace {

constexpr float kMaxTaps = 16384.f;

// Blurs one row of len alpha values (in) into out[i * outStep].
void BlurRow(const uint8_t* in, int len, uint8_t* out, long outStep, const ShadowKernel& k)
{
  const int n = static_cast<int>(k.weights.size());
  const uint8_t* w = k.weights.data();
  // A transparent row stays transparent: no tap can add anything.
  if (std::all_of(in, in + len, [](uint8_t v) { return v == 0; }))
  {
    for (int x = 0; x < len; ++x)
      out[x * outStep] = 0;
    return;
  }
  // sum / normaliser by a multiplication: the half keeps the quotient of an
  // exact multiple from falling below it, and stays below the next one.
  const double inverse = 1.0 / k.normaliser;
  // The start of the run of equal values that holds index seen: a window
  // inside that run has nothing to average and keeps its value.
  int seen = 0, runStart = 0;
  for (int x = 0; x < len; ++x)
  {
    const int lo = x - (n - 1), hi = x + (n - 1);
    int sum = w[0] * in[x];
    if (lo >= 0 && hi < len)
    {
      for (; seen < hi; ++seen)
        if (in[seen + 1] != in[seen])
          runStart = seen + 1;
      if (runStart <= lo)
      {
        out[x * outStep] = in[x];
        continue;
      }
      // The kernel is symmetric: one multiply per pair of taps.
      for (int j = 1; j < n; ++j)
        sum += w[j] * (in[x - j] + in[x + j]);
    }
    else
    {
      for (int j = 1; j < n; ++j)
      {
        if (x - j >= 0)
          sum += w[j] * in[x - j];
        if (x + j < len)
          sum += w[j] * in[x + j];
      }
    }
    out[x * outStep] = static_cast<uint8_t>(std::min(255, static_cast<int>((sum + 0.5) * inverse)));
  }
}

} // namespace

ShadowKernel MakeShadowKernel(float s)
{
  if (!(s >= 1.f))
    s = 1.f;
  s = std::min(s, kMaxTaps - 1.f);
  ShadowKernel k;
  const int n = static_cast<int>(std::ceil(s));
  k.weights.resize(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i)
    k.weights[static_cast<size_t>(i)] =
      static_cast<uint8_t>(std::lround(255.0 * std::exp(-static_cast<double>(i) * i * 4.5 / (static_cast<double>(s) * s))));
  k.normaliser = k.weights[0];
  for (int i = 1; i < n; ++i)
    k.normaliser += 2 * k.weights[static_cast<size_t>(i)];
  return k;
}

void BlurAlpha(uint8_t* image, long rowBytes, uint8_t* scratch, long scratchRowBytes, int w, int h, bool flipped,
  int alphaIndex, const ShadowKernel& k)
{
  if (w <= 0 || h <= 0 || k.normaliser <= 0 || alphaIndex < 0 || alphaIndex > 3 || rowBytes < 4L * w ||
      scratchRowBytes < 4L * h)
    return;
  // Row y of the image in memory; flipped images keep their rows bottom up.
  auto row = [&](int y) { return image + (flipped ? h - 1 - y : y) * rowBytes; };
  std::vector<uint8_t> line(static_cast<size_t>(std::max(w, h)));
  // Pass 1: row y of the image becomes column y of the scratch image, which
  // has w rows of h pixels.
  for (int y = 0; y < h; ++y)
  {
    const uint8_t* src = row(y) + alphaIndex;
    for (int x = 0; x < w; ++x)
      line[static_cast<size_t>(x)] = src[4 * x];
    BlurRow(line.data(), w, scratch + 4L * y + alphaIndex, scratchRowBytes, k);
  }
  // Pass 2: row x of the scratch image goes back into column x.
  for (int x = 0; x < w; ++x)
  {
    const uint8_t* src = scratch + scratchRowBytes * x + alphaIndex;
    for (int y = 0; y < h; ++y)
      line[static_cast<size_t>(y)] = src[4 * y];
    uint8_t* dst = row(0) + 4L * x + alphaIndex;
    BlurRow(line.data(), h, dst, flipped ? -rowBytes : rowBytes, k);
  }
}

} // namespace plugkit::gfx
