#pragma once

#include <cstdint>
#include <vector>

// The integer blur behind layer drop shadows: a Gaussian-like kernel of
// whole-number weights applied to the alpha bytes of a layer's pixels, once
// along the rows and once along the columns.

namespace plugkit::gfx {

struct ShadowKernel
{
  // weights[i] for the taps i pixels away, i = 0 .. size - 1.
  std::vector<uint8_t> weights;
  // weights[0] + 2 x the others: a full window divides by it.
  int normaliser = 0;
};

// The kernel for a blur of s pixels (at least 1): ceil(s) taps of
// round(255 exp(-4.5 i^2 / s^2)). s is kept below 16384 taps, so that sums
// stay inside 32 bits.
ShadowKernel MakeShadowKernel(float s);

// Blurs the alpha bytes (at alphaIndex of every 4-byte pixel) of a w x h
// image in place; scratch holds at least w x h x 4 bytes. Rows are read from
// the last one when the image is flipped, so the result is the same either
// way up. Each pass writes its result transposed, so both read their input
// rows in order. Taps outside a row are left out, the normaliser is not.
void BlurAlpha(uint8_t* image, uint8_t* scratch, int w, int h, bool flipped, int alphaIndex, const ShadowKernel& k);

} // namespace plugkit::gfx
