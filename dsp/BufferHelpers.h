// Buffer and gain helpers shared by the DSP blocks, and the dB conversions
// every block uses (silence at -144 dB, rounding to 0.1 dB).
#pragma once

#include <cmath>
#include <cstdint>

// --- dB conversions ------------------------------------------------------
// The literal constants are written out; they are never recomputed from
// logarithms, so that every build computes the same bits.

// 20 / ln(10): converts a natural logarithm to dB.
inline constexpr double kLnToDb = 8.685889638065037;
// ln(10) / 20: converts dB to a natural-logarithm exponent.
inline constexpr double kDbToLn = 0.11512925464970228;
// Silence in dB.
inline constexpr double kSilenceDb = -144.0;
// Linear amplitudes at or below this read as silence.
inline constexpr double kSilenceAmplitude = 6.309e-8;

// Linear gain of a level in dB: e^(0.11512925464970228 × dB), 0.0 at or
// below -144 dB.
inline double DbToLinear(double db)
{
  return db > kSilenceDb ? std::exp(kDbToLn * db) : 0.0;
}

// Level in dB of a linear value: 8.685889638065037 × ln|x| when |x| >
// 6.309e-8, else -144.0.
inline double LinearToDb(double x)
{
  const double a = std::fabs(x);
  return a > kSilenceAmplitude ? std::log(a) * kLnToDb : kSilenceDb;
}

// The comparison !(level > RoundToTenthDb(x)) without the floor and the
// division: it holds exactly when x × 10.0 + 0.5 ≥ RoundedLevelThreshold(level),
// for every x below 1e14 dB and x = +inf (every level a measure gives). For
// a NaN level it always holds (-inf).
double RoundedLevelThreshold(double level);

// Rounding to 0.1 dB: floor(10 × x + 0.5) / 10.
inline double RoundToTenthDb(double x)
{
  return std::floor(x * 10.0 + 0.5) / 10.0;
}

// --- Samples the meters measure ---------------------------------------------
// The meters keep running sums of squared samples. A NaN or an infinity, or
// a finite sample so large that its square overflows (about 1.34e154), would
// make such a sum non-finite: once the sample left the window the sum would
// have lost every frame still in it, and the meter would read near silence
// until its next reset. No audio comes near this limit, 2^448 (about 7.3e134):
// below it, squares summed over any channel count, channel weight and number
// of frames a meter takes stay below the largest double by a factor of
// 2^128. Beyond it a sample measures as silence; the audio itself passes
// through untouched.
inline constexpr double kLargestMeasurableSample = 0x1p448;

// False for NaN, the infinities and finite values at or beyond the limit.
inline bool IsMeasurableSample(double x)
{
  return std::fabs(x) < kLargestMeasurableSample;
}

// x when it can be measured, else 0.0 (silence).
inline double MeasurableSample(double x)
{
  return IsMeasurableSample(x) ? x : 0.0;
}

// --- Sample counts ---------------------------------------------------------

// trunc(x) as an int32_t within [lo, hi]; NaN gives lo.
inline int32_t TruncClamp(double x, int32_t lo, int32_t hi)
{
  if (!(x >= static_cast<double>(lo)))
    return lo;
  if (x >= static_cast<double>(hi))
    return hi;
  return static_cast<int32_t>(x);
}

// Frames counted at a sample rate, in whole milliseconds for the meters'
// i32 read-out. Past about 24.8 days (at 48 kHz) it stays at the largest
// value rather than wrapping negative.
inline int32_t ElapsedMsOf(int64_t frames, double sampleRate)
{
  return TruncClamp(static_cast<double>(frames) / (sampleRate / 1000.0), 0, INT32_MAX);
}

// --- Buffer functions ---------------------------------------------------

// dB to gain: *out = e^(0.11512925464970228 × dB) when dB > -144.0, else 0.0.
void DbToGain(double* out, double db);
// Unity gain: *out = 1.0.
void UnityGain(double* out);
// out[i] = in[i] × *gain for i below n.
void ApplyGain(const double* gain, const double* in, double* out, int32_t n);
// An array of channels pointers, each to frames doubles (contents not
// cleared). Allocates: set-up paths only.
double** AllocateChannelBuffers(int32_t frames, int32_t channels);
// Frees each non-null buffer, then the array (only the array when channels
// <= 0). A null array is ignored.
void FreeChannelBuffers(double** buffers, int32_t channels);
// For every channel k below channels whose input and output pointers are
// both non-null, copies frames doubles from inputs[k] to outputs[k] + offset.
void CopyChannelBuffers(double** inputs, double** outputs, int32_t frames, int32_t channels, int32_t offset);
// The same for one channel; nothing when either pointer is null.
void CopyBuffer(const double* in, double* out, int32_t frames, int32_t offset);
// Zeroes frames doubles in each of the channels buffers (null ones skipped).
void ClearChannelBuffers(double** buffers, int32_t frames, int32_t channels);
