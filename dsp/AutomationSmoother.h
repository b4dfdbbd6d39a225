// The smoother of the host's "Current Gain" in Automation Read: a moving
// average followed by a one-pole, which runs only while the host value moves.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

struct AutomationSmoother
{
  // This smoother's own, shorter dB-to-exponent constant; kept as it is so
  // that its output stays bit-identical.
  static constexpr double kDbToLnShort = 0.1151292546497;

  std::vector<double> buffer;  // N entries
  int32_t N = 0;
  int32_t writeIndex = 0;
  double sum = 0.0;
  double leaving = 0.0;
  double average = 0.0;
  int32_t filled = 0;
  double invN = 0.0;
  double pole = 0.0;
  double state = 0.0;
  double lastOutput = 0.0;
  double threshold = 0.0001;

  // RecomputeFilters step 4: last output 0, threshold 0.0001, N =
  // trunc(0.005 × fs) (at least 1), the buffer zeroed (reallocated only when
  // N changes), 1/N, indexes, sums, flags and state 0, pole = 10^(-1 /
  // (0.005 × fs)).
  void Setup(double fs);

  // One sample for the current gain in dB; returns the gain factor.
  double Process(double currentGainDb)
  {
    double x = std::exp(kDbToLnShort * currentGainDb);
    if (std::fabs(lastOutput - x) > threshold)
    {
      sum += x;
      leaving = buffer[static_cast<size_t>(writeIndex)];
      buffer[static_cast<size_t>(writeIndex)] = x;
      writeIndex += 1;
      if (writeIndex >= N)
      {
        writeIndex = 0;
        filled = 1;
        sum -= leaving;
      }
      else if (filled)
      {
        sum -= leaving;
      }
      average = sum * invN;
      state = (state - average) * pole + average;
      x = state;
    }
    lastOutput = x;
    return x;
  }
};
