// An independent model of the riding engine for the tests: written straight
// from the engine's formulas, one plain loop per sample in the engine's
// step order, scalar, no shortcuts and no code shared with dsp/. The engine
// must reproduce it bit for bit up to the gain's exponential (std::exp
// here, the engine's own there); what the gain reaches must agree within
// the bounds of RideTestSupport.h.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace ref
{
constexpr double kPi = 3.141592653589793;

struct Biquad
{
  double b0 = 0.0, b1 = 0.0, b2 = 0.0, a0 = 1.0, a1 = 0.0, a2 = 0.0;
  double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
};

// Cut-filter step: x = in + 1e-24; y = b0·x + b1·x1 + b2·x2 − a1·y1 − a2·y2 + 1e-24.
inline double CutStep(Biquad& f, double in)
{
  const double x = in + 1e-24;
  const double y = f.b0 * x + f.b1 * f.x1 + f.b2 * f.x2 - f.a1 * f.y1 - f.a2 * f.y2 + 1e-24;
  f.x2 = f.x1;
  f.x1 = x;
  f.y2 = f.y1;
  f.y1 = y;
  return y;
}

// K-weighting step: x = in + 1e-25; y = (b0·x + b1·x1 + b2·x2 − a1·y1 − a2·y2) / a0 + 1e-25.
inline double KStep(Biquad& f, double in)
{
  const double x = in + 1e-25;
  const double y = (f.b0 * x + f.b1 * f.x1 + f.b2 * f.x2 - f.a1 * f.y1 - f.a2 * f.y2) / f.a0 + 1e-25;
  f.x2 = f.x1;
  f.x1 = x;
  f.y2 = f.y1;
  f.y1 = y;
  return y;
}

// Cut design, α = sin w / √2 (type 1 high-pass, type 2 low-pass), normalised by a0.
inline void DesignCut(Biquad& f, int type, double freq, double fs)
{
  const double w = 2.0 * kPi * freq / fs;
  const double alpha = std::sin(w) / 1.4142135623730951;
  const double cw = std::cos(w);
  double b0, b1, b2;
  if (type == 1)
  {
    b0 = (1.0 + cw) / 2.0;
    b1 = -(1.0 + cw);
    b2 = (1.0 + cw) / 2.0;
  }
  else
  {
    b0 = (1.0 - cw) / 2.0;
    b1 = 1.0 - cw;
    b2 = (1.0 - cw) / 2.0;
  }
  const double a0 = 1.0 + alpha, a1 = -2.0 * cw, a2 = 1.0 - alpha;
  f.a0 = a0 / a0;
  f.a1 = a1 / a0;
  f.a2 = a2 / a0;
  f.b0 = b0 / a0;
  f.b1 = b1 / a0;
  f.b2 = b2 / a0;
}

// K-weighting stage design: stage 1 high shelf, stage 2 high-pass.
inline void DesignK(Biquad& f, int stage, double fs)
{
  const double Q = stage == 1 ? 0.70717523695542 : 0.50032703732504;
  const double Vh = stage == 1 ? 1.58486470113086 : 1.00499489871469;
  const double Vb = stage == 1 ? 1.25872093023256 : 0.0;
  const double w = stage == 1 ? 1.0 : 0.0;
  const double K = std::tan((stage == 1 ? 5284.078578647624 : 119.80611514558424) / fs);
  const double K2 = K * K;
  const double a0 = K2 + K / Q + 1.0;
  f = Biquad{};
  f.a0 = 1.0;
  f.a1 = 2.0 * (K2 - 1.0) / a0;
  f.a2 = (K2 - K / Q + 1.0) / a0;
  f.b0 = (Vh + Vb * K / Q + w * K2) / a0;
  f.b1 = 2.0 * (w * K2 - Vh) / a0;
  f.b2 = (Vh - Vb * K / Q + w * K2) / a0;
}

// A K-weighted detector section (modes 2 and 4).
struct Section
{
  Biquad l1, l2, r1, r2;
  double power = 0.0;
  double coef = 0.0;

  void Setup(int mode, double T, double fs)
  {
    const double t = mode == 2 ? 0.4 : T;
    coef = std::pow(10.0, -1.0 / (t * fs));
    DesignK(l1, 1, fs);
    DesignK(l2, 2, fs);
    DesignK(r1, 1, fs);
    DesignK(r2, 2, fs);
    power = 0.0;
  }
  void Reset()
  {
    power = 0.0;
    for (Biquad* b : {&l1, &l2, &r1, &r2})
      b->x1 = b->x2 = b->y1 = b->y2 = 0.0;
  }
  void Feed(double L, double R)
  {
    const double kL = KStep(l2, KStep(l1, L));
    const double kR = KStep(r2, KStep(r1, R));
    const double p = kL * kL + kR * kR;
    power = (power - p) * coef + p;
  }
  double Level() const
  {
    const double x = std::sqrt(power) * 0.9235278572249818;
    return std::fabs(x) > 6.309e-8 ? 8.685889638065037 * std::log(std::fabs(x)) : -144.0;
  }
};

struct Ring
{
  std::vector<double> buf;
  int L = 0;
  int w = 0;
  double Push(double v)
  {
    if (L == 0)
      return v;
    const double r = buf[static_cast<size_t>(w)];
    buf[static_cast<size_t>(w)] = v;
    w = w + 1 < L ? w + 1 : 0;
    return r;
  }
};

struct Smoother
{
  std::vector<double> buf;
  int N = 0, idx = 0, filled = 0;
  double sum = 0.0, average = 0.0, state = 0.0, last = 0.0, pole = 0.0, invN = 0.0;

  void Setup(double fs)
  {
    N = static_cast<int>(0.005 * fs);
    buf.assign(static_cast<size_t>(N), 0.0);
    invN = 1.0 / N;
    pole = std::pow(10.0, -1.0 / (0.005 * fs));
  }
  double Step(double gainDb)
  {
    double x = std::exp(0.1151292546497 * gainDb);
    if (std::fabs(last - x) > 0.0001)
    {
      sum += x;
      const double leaving = buf[static_cast<size_t>(idx)];
      buf[static_cast<size_t>(idx)] = x;
      idx += 1;
      if (idx == N)
      {
        idx = 0;
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
    last = x;
    return x;
  }
};

struct Settings
{
  double fs = 48000.0;
  int filterMode = 0;
  double lowCut = 300.0, highCut = 3400.0;
  int detectionMode = 0;
  double target = -18.0;
  double sensitivity = 400.0;
  int preDelayMs = 0;  // whole milliseconds
  double noise = -48.0;
  double rangeMin = -9.0, rangeMax = 9.0;
  double idle = 0.0;
  double volume = 0.0;
  int gainHold = 0;
  int noiseDetection = 0;
  double noiseTiming = 100.0;
  int ab = 0;
  int automation = 0;
  double hostGain = 0.0;  // "Current Gain" in Read
};

struct Model
{
  Settings s;
  Biquad mainHP[2], mainLP[2], sideHP[2], sideLP[2], outHP[2], outLP[2];
  Ring mainRing[2], detRing[2], gainRing, rideRing;
  Section main, side, output, delayed, noise;
  Smoother smoother;
  double smoothed = 0.0, needed = 0.0, targetGain = 0.0, current = 0.0, c = 0.0;
  double inputLevel = -140.0, outputLevel = -144.0;
  int ride = 0;

  explicit Model(const Settings& settings) : s(settings)
  {
    const double fs = s.fs;
    // The pre-delay in samples, in integers: exact.
    const int D = static_cast<int>(static_cast<int64_t>(s.preDelayMs) * static_cast<int64_t>(fs) / 1000);
    const int cap = static_cast<int>(3.0 * fs);
    for (Ring* r : {&mainRing[0], &mainRing[1], &detRing[0], &detRing[1], &gainRing, &rideRing})
    {
      r->buf.assign(static_cast<size_t>(cap), 0.0);
      r->L = D;
    }
    for (int k = 0; k < 2; ++k)
    {
      DesignCut(mainHP[k], 1, s.lowCut, fs);
      DesignCut(sideHP[k], 1, s.lowCut, fs);
      DesignCut(outHP[k], 1, s.lowCut, fs);
      DesignCut(mainLP[k], 2, s.highCut, fs);
      DesignCut(sideLP[k], 2, s.highCut, fs);
      DesignCut(outLP[k], 2, s.highCut, fs);
    }
    main.Setup(2, s.sensitivity / 1000.0, fs);
    side.Setup(2, s.sensitivity / 1000.0, fs);
    output.Setup(2, s.sensitivity / 1000.0, fs);
    delayed.Setup(2, s.sensitivity / 1000.0, fs);
    noise.Setup(4, s.noiseTiming / 1000.0, fs);
    c = std::pow(10.0, -1.0 / (s.sensitivity / 1000.0 * fs));
    smoother.Setup(fs);
    if (s.automation == 2)
      current = s.hostGain;
  }

  // The detector reset: smoothed gain 0, four sections cleared, the noise
  // section left alone.
  void ResetDetectors()
  {
    smoothed = 0.0;
    main.Reset();
    side.Reset();
    output.Reset();
    delayed.Reset();
  }

  // A "Sensitivity" change: new coefficient, every section set up again,
  // then the detector reset.
  void SetSensitivity(double ms)
  {
    s.sensitivity = ms;
    c = std::pow(10.0, -1.0 / (ms / 1000.0 * s.fs));
    smoothed = 0.0;
    main.Setup(2, ms / 1000.0, s.fs);
    side.Setup(2, ms / 1000.0, s.fs);
    output.Setup(2, ms / 1000.0, s.fs);
    delayed.Setup(2, ms / 1000.0, s.fs);
    noise.Setup(4, s.noiseTiming / 1000.0, s.fs);
    ResetDetectors();
  }

  // A "Pre-Delay" change: the six rings take the new length without being
  // cleared or moving their write index, then the detector reset.
  void SetPreDelay(int ms)
  {
    s.preDelayMs = ms;
    const int D = static_cast<int>(static_cast<int64_t>(ms) * static_cast<int64_t>(s.fs) / 1000);
    for (Ring* r : {&mainRing[0], &mainRing[1], &detRing[0], &detRing[1], &gainRing, &rideRing})
      r->L = D;
    ResetDetectors();
  }

  // "Low Cut" and "High Cut": the six stages of the kind are designed anew,
  // their states kept.
  void SetLowCut(double hz)
  {
    s.lowCut = hz;
    for (int k = 0; k < 2; ++k)
      for (Biquad* f : {&mainHP[k], &sideHP[k], &outHP[k]})
        DesignCut(*f, 1, hz, s.fs);
  }
  void SetHighCut(double hz)
  {
    s.highCut = hz;
    for (int k = 0; k < 2; ++k)
      for (Biquad* f : {&mainLP[k], &sideLP[k], &outLP[k]})
        DesignCut(*f, 2, hz, s.fs);
  }

  // "Noise Detection Timing": the noise section is set up anew.
  void SetNoiseTiming(double ms)
  {
    s.noiseTiming = ms;
    noise.Setup(4, ms / 1000.0, s.fs);
  }

  // "Automation": the current gain becomes 0.
  void SetAutomation(int mode)
  {
    s.automation = mode;
    current = 0.0;
  }

  static double Round1(double L) { return std::floor(10.0 * L + 0.5) / 10.0; }
  static double Fin(double x) { return std::isfinite(x) ? x : 0.0; }

  // One sample of the main pair (mL, mR) and side pair (sL, sR); writes the
  // output pair.
  void Sample(double mL, double mR, double sL, double sR, double& outL, double& outR)
  {
    ride = 0;
    double dL = Fin(mL), dR = Fin(mR), eL = Fin(sL), eR = Fin(sR);
    if (s.filterMode == 1)
    {
      dL = CutStep(mainLP[0], CutStep(mainHP[0], dL));
      dR = CutStep(mainLP[1], CutStep(mainHP[1], dR));
      eL = CutStep(sideLP[0], CutStep(sideHP[0], eL));
      eR = CutStep(sideLP[1], CutStep(sideHP[1], eR));
    }
    const int mode = s.detectionMode;
    if (mode == 0)
    {
      side.Feed(dL, dR);
      main.Feed(dL, dR);
      noise.Feed(dL, dR);
    }
    else if (mode == 1)
    {
      main.Feed(dL, dR);
      side.Feed(eL, eR);
      noise.Feed(eL, eR);
    }
    else
    {
      main.Feed(dL, dR);
      side.Feed(eL, eR);
      noise.Feed(dL, dR);
    }
    const Section& gate = s.noiseDetection ? noise : (mode == 1 ? side : main);
    const bool closed = s.noise > Round1(gate.Level());
    double v;
    if (!closed)
    {
      ride = 1;
      const double R = mode == 2 ? side.Level() : s.target;
      v = R - main.Level();
      needed = v;
    }
    else
    {
      v = s.gainHold == 1 ? needed : s.idle;
    }
    if (ride == 1 || s.gainHold == 1)
      v = std::fmin(std::fmax(v, s.rangeMin), s.rangeMax);
    targetGain = v;
    smoothed = (smoothed - v) * c + v;
    const double Lp = mainRing[0].Push(mL);
    const double Rp = mainRing[1].Push(mR);
    double g;
    if (s.ab != 0)
      g = 1.0;
    else if (s.automation == 2)
      g = smoother.Step(current);
    else
      g = smoothed > -144.0 ? std::exp(0.11512925464970228 * smoothed) : 0.0;
    const double u = s.volume > -144.0 ? std::exp(0.11512925464970228 * s.volume) : 0.0;
    outL = (Lp * g) * u;
    outR = (Rp * g) * u;
    double oL = Fin(Lp), oR = Fin(Rp);
    if (s.filterMode == 1)
    {
      oL = CutStep(outLP[0], CutStep(outHP[0], oL));
      oR = CutStep(outLP[1], CutStep(outHP[1], oR));
    }
    output.Feed(oL * (g * u), (g * u) * oR);
    if (mode == 0)
    {
      const double a = detRing[0].Push(dL);
      const double b = detRing[1].Push(dR);
      delayed.Feed(a, b);
    }
    else
    {
      const double a = detRing[0].Push(eL);
      const double b = detRing[1].Push(eR);
      delayed.Feed(a, b);
    }
    outputLevel = output.Level();
    inputLevel = delayed.Level();
    if (s.automation != 2)
    {
      const double x = gainRing.Push(smoothed > -144.0 ? std::exp(0.11512925464970228 * smoothed) : 0.0);
      current = std::fabs(x) > 6.309e-8 ? 8.685889638065037 * std::log(std::fabs(x)) : -144.0;
      ride = static_cast<int>(rideRing.Push(static_cast<double>(ride)));
    }
    else
    {
      ride = 0;
    }
  }
};
}  // namespace ref
