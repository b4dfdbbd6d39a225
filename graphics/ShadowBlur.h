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
// image in place. Its rows start rowBytes apart (at least 4 w: a back-end
// may pad them); scratch holds the transposed image, w rows of h pixels
// starting scratchRowBytes (at least 4 h) apart. Rows are read from the
// last one when the image is flipped, so the result is the same either way
// up. Each pass writes its result transposed, so both read their input rows
// in order. Taps outside a row are left out, the normaliser is not. Nothing
// happens for strides too short for their rows.
void BlurAlpha(uint8_t* image, long rowBytes, uint8_t* scratch, long scratchRowBytes, int w, int h, bool flipped,
  int alphaIndex, const ShadowKernel& k);

} // namespace plugkit::gfx
