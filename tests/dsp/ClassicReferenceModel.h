// An independent model of the classic engine (CMTolvaneV1 with its three
// CMRMS_N meters) for the tests: written straight from the formulas of the
// classic engine and the sliding RMS meter, one plain loop per frame in the
// engine's step order, freshly zeroed buffers at every reset, no caching
// and no code shared with dsp/. The engine must reproduce it bit for bit.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

namespace classicref
{
constexpr double kPi = 3.141592653589793;

// Conversion A: mean square to dB, rounded to 0.1 dB, + 3.0.
inline double MeterDb(double p)
{
  const double a = std::sqrt(p);
  const double L = a <= 6.309e-08 ? -144.0 : std::log(a) * 8.685889638065037;
  return std::floor(L * 10.0 + 0.5) / 10.0 + 3.0;
}

// The sliding window of frame powers (overlap 0.75).
struct Window
{
  std::vector<double> buffer;
  int N = 0, index = 0, state = 0, hop = 0;
  double sum = 0.0, mean = 0.0;

  void Setup(double ms, double fs)
  {
    buffer.assign(static_cast<size_t>(static_cast<int>(3.0 * fs)), 0.0);
    N = static_cast<int>(ms * 0.001 * fs);
    index = state = hop = 0;
    sum = mean = 0.0;
  }
  void Add(const double* x, int n)
  {
    double s = 0.0;
    for (int c = 0; c < n; ++c)
    {
      const double v = std::fabs(x[c]) < 0x1p448 ? x[c] : 0.0;  // unmeasurable counts as silence
      s += v * v;
    }
    const double p = s / n;
    sum += p;
    const double leaving = buffer[static_cast<size_t>(index)];
    buffer[static_cast<size_t>(index)] = p;
    index += 1;
    hop += 1;
    if (index == N)
    {
      index = 0;
      state = 1;
    }
    else if (state != 1)
    {
      return;
    }
    sum = std::max(0.0, sum - leaving);
    if (static_cast<double>(hop) > (1.0 - 0.75) * N)
    {
      hop = 0;
      mean = sum / N;
    }
  }
  double Db() const { return MeterDb(mean); }
};

// A delay line: a ring of 2·d slots, read d frames back.
struct Line
{
  std::vector<double> buffer;
  int d = 0, w = 0;

  void Setup(double fs, int delay)
  {
    buffer.assign(2 * static_cast<size_t>(static_cast<int>(3.0 * fs)), 0.0);
    d = delay;
    w = 0;
  }
  double Process(double v)
  {
    buffer[static_cast<size_t>(w)] = v;
    int r = w - d;
    if (r < 0)
      r += 2 * d;
    const double out = buffer[static_cast<size_t>(r)];
    w += 1;
    if (w >= 2 * d)
      w = 0;
    return out;
  }
};

struct Biquad
{
  double b0 = 0.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
  double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
};

// User stage: α = sin ω / 1.4, normalised by a0; state cleared.
inline void DesignUser(Biquad& f, int type, double hz, double fs)
{
  const double w = 2.0 * kPi * hz / fs;
  const double cw = std::cos(w);
  const double alpha = std::sin(w) / 1.4;
  const double a0 = 1.0 + alpha;
  f = Biquad{};
  f.b0 = (type == 1 ? (1.0 + cw) / 2.0 : (1.0 - cw) / 2.0) / a0;
  f.b1 = (type == 1 ? -(1.0 + cw) : 1.0 - cw) / a0;
  f.b2 = (type == 1 ? (1.0 + cw) / 2.0 : (1.0 - cw) / 2.0) / a0;
  f.a1 = (-2.0 * cw) / a0;
  f.a2 = (1.0 - alpha) / a0;
}

inline double UserTick(Biquad& f, double in)
{
  const double x = in + 1e-24;
  const double y = f.b0 * x + f.b1 * f.x1 + f.b2 * f.x2 - f.a1 * f.y1 - f.a2 * f.y2 + 1e-24;
  f.x2 = f.x1;
  f.x1 = x;
  f.y2 = f.y1;
  f.y1 = y;
  return y;
}

inline void DesignK(Biquad& f, double f0, double cKQ, double cK2, double c0, double Q, double fs)
{
  const double K = std::tan(kPi * f0 / fs);
  const double K2 = K * K;
  const double n = K2 + K / Q + 1.0;
  f = Biquad{};
  f.a1 = 2.0 * (K2 - 1.0) / n;
  f.a2 = (K2 - K / Q + 1.0) / n;
  f.b0 = (cK2 * K2 + cKQ * K / Q + c0) / n;
  f.b1 = 2.0 * (cK2 * K2 - c0) / n;
  f.b2 = (cK2 * K2 - cKQ * K / Q + c0) / n;
}

inline double KTick(Biquad& f, double in)
{
  double x = in;
  if (std::fabs(x) < 6.3095734440187e-08)
    x = 0.0;
  double y = (f.b0 * x + f.b1 * f.x1 + f.b2 * f.x2 - f.a1 * f.y1 - f.a2 * f.y2) / 1.0;
  if (std::fabs(y) < 6.3095734440187e-08)
    y = 0.0;
  f.x2 = f.x1;
  f.x1 = x;
  f.y2 = f.y1;
  f.y1 = y;
  return y;
}

struct Model
{
  // Settings (the engine's defaults).
  double fs = 44100.0;
  int detectionSource = 0;
  double target = -21.0, noise = -45.0, rangeMin = -6.0, rangeMax = 6.0, idle = 0.0;
  double windowMs = 500.0, fraction = 0.75;
  int filterMode = 0;
  double lowCut = 300.0, highCut = 3400.0;
  int rideEnabled = 1;
  double outputGain = 0.0;

  // State.
  Window detection, delayedDetection, output;
  Line mainDelay[2], detectionDelay[2];
  Biquad highPass[2], lowPass[2], k1[2], k2[2];
  double rampLengthMs = 0.0, rampFs = 0.0;
  bool rampConfigured = false;
  int N = 1, counter = 0;
  double step = 1.0, start = 0.0, end = 0.0, current = 0.0;
  double detectionLevel = -144.0, gainDb = 0.0;
  int rideFlag = 0;

  void DesignUserStages()
  {
    for (int s = 0; s < 2; ++s)
    {
      DesignUser(highPass[s], 1, lowCut, fs);
      DesignUser(lowPass[s], 2, highCut, fs);
    }
  }

  // CMTolvaneV1::Reset, with the ramp length following the sample rate too.
  void Reset()
  {
    for (Window* w : {&detection, &delayedDetection, &output})
      w->Setup(windowMs, fs);
    const int d = static_cast<int>(std::trunc(windowMs * 0.001 * fs) * fraction);
    for (int c = 0; c < 2; ++c)
    {
      mainDelay[c].Setup(fs, d);
      detectionDelay[c].Setup(fs, d);
    }
    const double L = 0.25 * windowMs;
    if (!rampConfigured || L != rampLengthMs || fs != rampFs)
    {
      rampConfigured = true;
      rampLengthMs = L;
      rampFs = fs;
      N = L > 0.0 ? static_cast<int>(L * 0.001 * fs) : 1;
      step = 1.0 / N;
      counter = 0;
    }
    start = end = current = idle;
    DesignUserStages();
    for (int s = 0; s < 2; ++s)
    {
      DesignK(k1[s], 1681.974450955532, 1.25872093023256, 1.0, 1.58486470113086, 0.70717523695542, fs);
      DesignK(k2[s], 38.13547087611304, 0.0, 0.0, 1.00499489871469, 0.50032703732504, fs);
    }
  }

  // CMTolvaneV1::ProcessFrames.
  void Process(double** in, double** out, int frames, int nIn, int nOut)
  {
    int M = 1, D = 1, first = 0;
    if (detectionSource == 0)
      M = D = std::min(nOut, 2);
    else if (nIn == 2 && nOut == 2)
      M = D = 2;
    else if (nIn == 4 && nOut == 2)
      M = D = 2, first = 2;
    else if (nIn == 3 && nOut == 2)
      M = 2, first = 2;
    else if (nIn == 2 && nOut == 1)
      first = 1;
    detectionLevel = detection.Db();
    for (int i = 0; i < frames; ++i)
    {
      double m[2], det[2], o[2], delayed[2];
      for (int c = 0; c < M; ++c)
        m[c] = in[c][i];
      for (int s = 0; s < D; ++s)
      {
        det[s] = in[first + s][i];
        if (!(std::fabs(det[s]) < 0x1p448))  // NaN, infinite or too large to square and sum
          det[s] = 0.0;
        if (filterMode == 4)
          det[s] = UserTick(lowPass[s], UserTick(highPass[s], det[s]));
        else if (filterMode == 5)
          det[s] = KTick(k2[s], KTick(k1[s], det[s]));
      }
      detection.Add(det, D);
      rideFlag = detectionLevel > noise ? 1 : 0;
      const double t = (detection.state == 1 && detectionLevel > noise) ? target - detectionLevel : idle;
      if (t != end)
      {
        start = current;
        end = t;
        counter = 0;
      }
      current += (end - start) * step;
      if (counter >= N)
        current = end;
      counter += 1;
      double g = current;
      if (g > rangeMax)
        g = rangeMax;
      if (rangeMin > g)
        g = rangeMin;
      gainDb = std::floor(g * 10.0) / 10.0;
      const double linear = rideEnabled != 0 ? std::exp(0.11512925464970228 * g) : 1.0;
      for (int c = 0; c < M; ++c)
        o[c] = mainDelay[c].Process(m[c]) * linear;
      for (int s = 0; s < D; ++s)
        delayed[s] = detectionDelay[s].Process(det[s]);
      output.Add(o, M);
      delayedDetection.Add(delayed, D);
      const double u = std::exp(0.11512925464970228 * outputGain);
      for (int c = 0; c < M; ++c)
        out[c][i] = o[c] * u;
    }
  }
};
}  // namespace classicref
