#include "dsp/AutomationSmoother.h"

#include <algorithm>

void AutomationSmoother::Setup(double fs)
{
  lastOutput = 0.0;
  threshold = 0.0001;
  int32_t n = static_cast<int32_t>(0.005 * fs);
  if (n < 1)
    n = 1;
  if (static_cast<int32_t>(buffer.size()) != n)
    buffer.assign(static_cast<size_t>(n), 0.0);
  else
    std::fill(buffer.begin(), buffer.end(), 0.0);
  N = n;
  invN = 1.0 / static_cast<double>(n);
  writeIndex = 0;
  sum = 0.0;
  leaving = 0.0;
  average = 0.0;
  filled = 0;
  state = 0.0;
  pole = std::pow(10.0, -1.0 / (0.005 * fs));
}
