// One biquad stage of the classic engine's ITU-R BS.1770 K-weighting
// also used by the loudness meter.
#pragma once

#include <cmath>

#include "dsp/BufferHelpers.h"

struct KWeightingFilter
{
  // Stage 1 (high shelf) and stage 2 (high-pass) design constants.
  static constexpr double kStage1F0 = 1681.974450955532;
  static constexpr double kStage1CKQ = 1.25872093023256;
  static constexpr double kStage1CK2 = 1.0;
  static constexpr double kStage1C0 = 1.58486470113086;
  static constexpr double kStage1Q = 0.70717523695542;
  static constexpr double kStage2F0 = 38.13547087611304;
  static constexpr double kStage2CKQ = 0.0;
  static constexpr double kStage2CK2 = 0.0;
  static constexpr double kStage2C0 = 1.00499489871469;
  static constexpr double kStage2Q = 0.50032703732504;
  // Inputs and outputs smaller than this in magnitude are flushed to zero.
  static constexpr double kFlush = 6.3095734440187e-08;

  // K = tan(π·f0/fs), a0' = K² + K/Q + 1; a0 = 1; a1 = 2(K² − 1)/a0';
  // a2 = (K² − K/Q + 1)/a0'; b0 = (cK2·K² + cKQ·K/Q + c0)/a0';
  // b1 = 2(cK2·K² − c0)/a0'; b2 = (cK2·K² − cKQ·K/Q + c0)/a0'; state cleared.
  void Design(double f0, double cKQ, double cK2, double c0, double Q, double fs);
  // Stage 1 and stage 2 of the K-weighting for the sample rate fs.
  void DesignStage1(double fs);
  void DesignStage2(double fs);
  // Clears the state (x1, x2, x, y1, y2, y), keeping the coefficients.
  void Clear();

  // One step. Inputs below the flush level, and inputs that cannot be
  // measured (NaN, infinities and huge values, see MeasurableSample: they
  // would poison the state or the sums of its squares for good), count as
  // 0; outputs below the flush level are flushed to 0.
  //
  // kDivide = false may be used only when a0 is exactly 1: the division,
  // which would then change no bit, is left out, taking it off the
  // recursion's critical path.
  template <bool kDivide = true>
  double Tick(double in)
  {
    double xin = in;
    if (!IsMeasurableSample(xin) || (xin < kFlush && xin > -kFlush))
      xin = 0.0;
    double out = b0 * xin + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    if constexpr (kDivide)
      out /= a0;
    if (out < kFlush && out > -kFlush)
      out = 0.0;
    x = xin;
    y = out;
    x2 = x1;
    x1 = xin;
    y2 = y1;
    y1 = out;
    return out;
  }

  double x1 = 0.0, x2 = 0.0, x = 0.0, y1 = 0.0, y2 = 0.0, y = 0.0;
  double a0 = 1.0, a1 = 0.0, a2 = 0.0, b0 = 1.0, b1 = 0.0, b2 = 0.0;
};
