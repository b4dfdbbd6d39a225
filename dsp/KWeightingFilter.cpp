#include "dsp/KWeightingFilter.h"

#include <cmath>

namespace
{
constexpr double kPi = 3.141592653589793;
}

void KWeightingFilter::Design(double f0, double cKQ, double cK2, double c0, double Q, double fs)
{
  const double K = std::tan(kPi * f0 / fs);
  const double K2 = K * K;
  const double norm = K2 + K / Q + 1.0;
  a0 = 1.0;
  a1 = 2.0 * (K2 - 1.0) / norm;
  a2 = (K2 - K / Q + 1.0) / norm;
  b0 = (cK2 * K2 + cKQ * K / Q + c0) / norm;
  b1 = 2.0 * (cK2 * K2 - c0) / norm;
  b2 = (cK2 * K2 - cKQ * K / Q + c0) / norm;
  Clear();
}

void KWeightingFilter::DesignStage1(double fs)
{
  Design(kStage1F0, kStage1CKQ, kStage1CK2, kStage1C0, kStage1Q, fs);
}

void KWeightingFilter::DesignStage2(double fs)
{
  Design(kStage2F0, kStage2CKQ, kStage2CK2, kStage2C0, kStage2Q, fs);
}

void KWeightingFilter::Clear()
{
  x1 = x2 = x = y1 = y2 = y = 0.0;
}
