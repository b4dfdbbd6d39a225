// The riding engine's delay ring: a plain ring of L samples, L changeable
// without clearing.
#pragma once

#include <algorithm>
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
};
