#pragma once

// Four floats (a pixel's channels) in one register, for the stand-in GPU's
// per-pixel work. Each lane does exactly the float operations the scalar
// code does, in the same order, so results are bit-identical to it; only
// the stalls of writing channels one by one and reading them back at once
// are gone.

#include <bit>
#include <cstdint>
#include <cstring>

namespace standin {

using Float4 = float __attribute__((vector_size(16)));
using Int4 = int32_t __attribute__((vector_size(16)));

inline Float4 Splat(float v) { return Float4{v, v, v, v}; }

// A pixel's four bytes as floats 0..255 in R, G, B, A order: `red` and
// `blue` say where those two are stored (2 and 0 for BGRA).
__attribute__((always_inline)) inline Float4 LoadBytes(const uint8_t* p, int red, int blue)
{
  return Float4{static_cast<float>(p[red]), static_cast<float>(p[1]), static_cast<float>(p[blue]),
                static_cast<float>(p[3])};
}

// NaN goes to 0, as the GPU's saturate does.
__attribute__((always_inline)) inline Float4 Saturate4(Float4 v)
{
  Float4 one = Splat(1), zero = Splat(0);
  Float4 below = v < one ? v : one;
  return v > zero ? below : zero;
}

// std::floor for |v| <= 2^24, where the truncated value is exact.
__attribute__((always_inline)) inline Float4 Floor4(Float4 v)
{
  Float4 t = __builtin_convertvector(__builtin_convertvector(v, Int4), Float4);
  return t > v ? t - 1.0f : t;
}

// Rounded to nearest into 0..255, as an 8-bit store does.
__attribute__((always_inline)) inline Int4 ToUnorm8x4(Float4 v)
{
  return __builtin_convertvector(Saturate4(v) * 255.0f + 0.5f, Int4);
}

// Copies `count` pixels of four bytes, exchanging the first and third
// bytes of each when `swap` says so (RGBA to BGRA or back): whole pixels
// a word at a time rather than a byte at a time.
__attribute__((always_inline)) inline void CopyPixels(uint8_t* to, const uint8_t* from, int count, bool swap)
{
  if (!swap || std::endian::native != std::endian::little)
  {
    for (int k = 0; k < count; ++k, to += 4, from += 4)
      swap ? (to[0] = from[2], to[1] = from[1], to[2] = from[0], to[3] = from[3])
           : (to[0] = from[0], to[1] = from[1], to[2] = from[2], to[3] = from[3]);
    return;
  }
  for (int k = 0; k < count; ++k, to += 4, from += 4)
  {
    uint32_t v;
    std::memcpy(&v, from, 4);
    v = (v & 0xff00ff00u) | ((v >> 16) & 0xffu) | ((v & 0xffu) << 16);
    std::memcpy(to, &v, 4);
  }
}

} // namespace standin
