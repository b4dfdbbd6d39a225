// The riding engine's delay ring: a plain ring of L samples, L changeable
// without clearing.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

struct DelayRing
{
  std::vector<double> buffer;
  int32_t capacity = 0;
  int32_t delayLength = 0;
  int32_t writeIndex = 0;

  // (Re)sizes the ring to capacity entries, all zero, write index 0. The
  // buffer is reallocated only when the capacity changes.
  void Allocate(int32_t newCapacity)
  {
    if (newCapacity < 1)
      newCapacity = 1;
    if (static_cast<int32_t>(buffer.size()) != newCapacity)
      buffer.assign(static_cast<size_t>(newCapacity), 0.0);
    else
      std::fill(buffer.begin(), buffer.end(), 0.0);
    capacity = newCapacity;
    writeIndex = 0;
  }

  // Sets the delay length, clamped to the capacity; neither clears the
  // buffer nor moves the write index.
  void SetDelay(int32_t length)
  {
    if (length < 0)
      length = 0;
    delayLength = length < capacity ? length : capacity;
  }

  // Pushing v: with delay length 0 the result is v and nothing changes;
  // otherwise the result is buffer[w], buffer[w] = v, and w becomes w + 1
  // when that is below L, else 0. The delay is exactly L samples.
  double Push(double v)
  {
    const int32_t L = delayLength;
    if (L == 0)
      return v;
    double* slot = buffer.data() + writeIndex;
    const double out = *slot;
    *slot = v;
    const int32_t next = writeIndex + 1;
    writeIndex = next < L ? next : 0;
    return out;
  }

  // n pushes at once: out[k × outStride] is what Push(in[k × inStride])
  // would return, and the ring ends as after those pushes. The ring is
  // walked in runs up to its wrap point rather than sample by sample. in
  // and out must not overlap.
  void PushBlock(const double* in, ptrdiff_t inStride, double* out, ptrdiff_t outStride, int32_t n)
  {
    const int32_t L = delayLength;
    if (L == 0)
    {
      for (int32_t k = 0; k < n; ++k)
        out[k * outStride] = in[k * inStride];
      return;
    }
    double* const data = buffer.data();
    for (int32_t k = 0; k < n;)
    {
      // A write index at or past L (the delay was shortened) takes one push
      // and wraps.
      const int32_t w = writeIndex;
      const int32_t run = w < L ? std::min(n - k, L - w) : 1;
      for (int32_t j = 0; j < run; ++j, ++k)
      {
        out[k * outStride] = data[w + j];
        data[w + j] = in[k * inStride];
      }
      writeIndex = w + run < L ? w + run : 0;
    }
  }
};
