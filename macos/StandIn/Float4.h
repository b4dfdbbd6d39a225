#pragma once

// Four floats (a pixel's channels) in one register, for the stand-in GPU's
// per-pixel work. Each lane does exactly the float operations the scalar
// code does, in the same order, so results are bit-identical to it; only
// the stalls of writing channels one by one and reading them back at once
// are gone.

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

} // namespace standin
