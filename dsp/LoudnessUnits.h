// Loudness of a channel-weighted mean square, in LUFS, as every part of the
// loudness meter reads it.
#pragma once

#include <cmath>

namespace loudness
{
// 10 / ln 10, as the meter has always used it.
inline constexpr double kTenOverLn10 = 4.342944819;
inline constexpr double kOffset = -0.691;
// Mean squares at or below this (about -144 LUFS) read as silence.
inline constexpr double kSilentMeanSquare = 4.667e-15;
inline constexpr double kSilenceLufs = -144.0;

// The meter's windows: momentary blocks of 400 ms every 100 ms (the gating
// blocks), short-term values of 3 s every second (the loudness range).
inline constexpr double kMomentaryMs = 400.0;
inline constexpr double kMomentaryOverlap = 0.75;
inline constexpr double kShortTermMs = 3000.0;
inline constexpr double kShortTermOverlap = 0.6666666666666666;

// -0.691 + 10·log10(z), or -144.0 when |z| <= 4.667e-15.
inline double OfMeanSquare(double z)
{
  return std::fabs(z) <= kSilentMeanSquare ? kSilenceLufs : std::log(z) * kTenOverLn10 + kOffset;
}

// The read-outs' rounding to 0.1: floor(L × 10 + 0.5) / 10.
inline double RoundToTenth(double lufs)
{
  return std::floor(lufs * 10.0 + 0.5) / 10.0;
}
}  // namespace loudness
