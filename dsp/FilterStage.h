// The cut-filter biquad record shared by the riding engine and the classic
// engine, with its design and its step.
#pragma once

#include <cmath>
#include <cstdint>

struct FilterStage
{
  static constexpr double kLimit = 1.9952623149688522;
  static constexpr double kOffset = 1e-24;  // denormal offset of the cut filters

  // State: x1, x2, x (current input), y1, y2, y (last output).
  double x1 = 0.0, x2 = 0.0, x = 0.0, y1 = 0.0, y2 = 0.0, y = 0.0;
  // Raw coefficients.
  double rawA0 = 0.0, rawA1 = 0.0, rawA2 = 0.0, rawB0 = 0.0, rawB1 = 0.0, rawB2 = 0.0;
  // Normalised coefficients (each divided by the raw a0; a0 = 1).
  double a0 = 0.0, a1 = 0.0, a2 = 0.0, b0 = 0.0, b1 = 0.0, b2 = 0.0;
  int32_t type = 0;  // 1 high-pass, 2 low-pass
  double limitHigh = kLimit;
  double limitLow = -kLimit;

  // Everything zeroed, limits set.
  void Zero()
  {
    *this = FilterStage{};
  }
  void ClearState()
  {
    x1 = x2 = x = y1 = y2 = y = 0.0;
  }

  // One step for types 1 and 2: x = input + 1e-24; y = b0·x + b1·x1 + b2·x2
  // − a1·y1 − a2·y2 + 1e-24 with the normalised coefficients.
  //
  // A non-finite result (an input of a magnitude near the largest
  // double, or a design that escaped the clamp) must not survive in the
  // state, or it would silence the detection for good; the state is cleared
  // and the step yields 0.
  double Tick(double in)
  {
    const double xn = in + kOffset;
    const double yn = b0 * xn + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2 + kOffset;
    if (!std::isfinite(yn)) [[unlikely]]
    {
      ClearState();
      return 0.0;
    }
    x = xn;
    y = yn;
    x2 = x1;
    x1 = xn;
    y2 = y1;
    y1 = yn;
    return yn;
  }
};

// The highest design frequency of a cut filter: just below Nyquist. The
// parameters go to 22000 Hz while a host may run at 22.05 or 32 kHz, and
// a design at or above half the sample rate is unstable.
inline constexpr double kCutMaxFraction = 0.499;
// The lowest design frequency (the parameters start at 10 Hz; 0 Hz or a NaN
// would put a double pole on the unit circle).
inline constexpr double kCutMinHz = 1.0;

// The design frequency actually used for a requested cut frequency f at fs.
double ClampCutFrequency(double f, double fs);

// Designs a type 1 (high-pass) or type 2 (low-pass) stage at f for fs:
// w = 2π·f/fs, α = sin w / alphaDivisor; the raw RBJ set, the normalised set first {1, 0, 0, 0, 0, 0} and then, when the raw
// a0 is not 0, the raw values divided by a0. The state is left as it is;
// the design frequency is clamped by ClampCutFrequency.
void DesignCutStage(FilterStage& stage, int32_t type, double f, double fs, double alphaDivisor);

// The α divisors: √2 in the riding engine, 1.4 (Q = 0.7) in the classic one.
inline constexpr double kRideCutAlphaDivisor = 1.4142135623730951;
inline constexpr double kClassicCutAlphaDivisor = 1.4;
