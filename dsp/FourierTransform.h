// In-place fast Fourier transforms and polar conversions on doubles.
//
// Complex data are interleaved: value k is (re, im) at positions 2k and
// 2k + 1. The forward transform uses the +i sign convention,
// X[k] = Σ x[j]·e^(+2πi·jk/n); the inverse (sign -1) carries the 1/n scale,
// so a forward transform followed by an inverse one returns the input.
//
// Free functions, no state and no allocation: any thread may call them,
// including the audio thread. Bad arguments are refused (false) and the data
// are left untouched.
#pragma once

#include <cstdint>

// True when n is a power of two (1, 2, 4, ...).
bool IsPowerOfTwo(int32_t n);

// Transforms n complex values (2n doubles) in place. sign +1 is the forward
// transform, -1 the inverse one (divided by n). Refused: a null array, n not
// a power of two, or a sign other than +1 and -1.
bool ComplexFFT(double* data, int32_t n, int32_t sign);

// Transforms n real values in place; the array holds n + 2 doubles.
// sign +1: n real samples in, the n/2 + 1 bins 0 .. n/2 out, interleaved,
// bin 0 = (DC, 0) at positions 0, 1 and bin n/2 = (Nyquist, 0) at positions
// n, n + 1. sign -1: that spectrum in, the n real samples out (exactly
// scaled), positions n and n + 1 set to 0. Refused: a null array, n not a
// power of two or below 4, or a sign other than +1 and -1.
bool RealFFT(double* data, int32_t n, int32_t sign);

// For each complex value (re, im) in src[srcStart .. srcStart + count),
// writes (magnitude, phase) to dst from dstStart; count is a number of
// doubles (two per value; an odd last double is left alone). The source and
// destination ranges may overlap, whether src and dst are the same pointer
// or two pointers into one buffer. Refused: a null array or a negative
// start or count.
bool ToPolar(const double* src, int32_t srcStart, double* dst, int32_t dstStart, int32_t count);

// The inverse of ToPolar: (m, φ) becomes (m·cos φ, m·sin φ). Same contract.
bool FromPolar(const double* src, int32_t srcStart, double* dst, int32_t dstStart, int32_t count);
