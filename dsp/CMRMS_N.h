// The sliding-window RMS meter of the classic engine: mean square over a
// window refreshed every quarter window, read in dB to 0.1 dB with +3 dB.
#pragma once

#include <cstdint>
#include <vector>

#include "dsp/CPluginProcessor.h"

// Sliding window of frame powers, refreshed every quarter window.
struct RmsWindow
{
  std::vector<double> buffer;  // capacity entries
  double minimumMs = 10.0;
  double maximumMs = 3000.0;
  double windowMs = 300.0;
  double overlap = 0.75;
  int32_t N = 13230;
  int32_t capacity = 132300;
  int32_t index = 0;
  double sum = 0.0;
  double leaving = 0.0;
  double mean = 0.0;
  double meanDb = -144.0;
  double smallest = 0.0;
  double smallestDb = -144.0;
  double largest = 0.0;
  double largestDb = -144.0;
  int32_t state = 0;  // 0 until the first window is full, then 1
  int32_t newMean = 0;
  int32_t hop = 0;

  RmsWindow();
  // capacity = trunc(maximum × 0.001 × fs) (buffer reallocated only when it
  // changes), window ms, N = trunc(ms × 0.001 × fs), then Clear.
  void Init(double minMs, double maxMs, double ms, double overlapFraction, double fs);
  // Index, sums, means, state, flag and hop counter to 0; read-outs -144.
  // The window then reads as zeros without touching the buffer: while the
  // state is 0 no entry is read before it is written again.
  void Clear();
  // Ignored when ms equals the current length or lies outside the bounds;
  // else new N and Clear.
  void SetWindowMs(double ms, double fs);
  // Returns 1 when a new mean is ready.
  int32_t AddFrame(const double* x, int32_t n);
  double GetMean() const { return mean; }
  double GetMeanDb();
  double GetSmallestDb();
  double GetLargestDb();

  // Resizes for trunc(3.0 × fs) entries and sets N for ms (used by
  // CMRMS_N::SetWindowMs); does not clear.
  void Resize(double ms, double fs);

private:
  // capacity = max(entries, 1); the buffer is reallocated only when its
  // size changes.
  void SetCapacity(int32_t entries);
  // Window ms and N = trunc(ms × 0.001 × fs) within [1, capacity].
  void SetLength(double ms, double fs);
};

struct LongTermAverage
{
  double sum = 0.0;
  double count = 0.0;
  double mean = 0.0;
  double meanDb = -144.0;

  void Clear();
  void AddFrame(const double* x, int32_t n);
  double GetMean() const { return mean; }
  double GetMeanDb();
};

struct InterSamplePeak
{
  int32_t points = 4;
  double interpolatedPeak = 0.0;
  double samplePeak = 0.0;
  double lastSample = 0.0;
  double xn1 = 0.0, xn2 = 0.0, xn3 = 0.0;

  void Init(int32_t pointsPerSegment);
  void Clear();
  void Process(bool interpolate, double x);
  double GetInterpolatedPeakDb() const;
  double GetSamplePeakDb() const;
};

// The cubic segment between b (t = 0) and c (t = 1) of four consecutive
// samples a, b, c, d (control points b + 0.375·(c − a), c − 0.375·(d − b)).
double CubicSegmentValue(double a, double b, double c, double d, double t);

// Conversion A: mean square p to dB, rounded to 0.1 dB, + 3.0.
double MeanSquareToMeterDb(double p);
// Conversion B: amplitude a to dB, rounded to 0.1 dB.
double AmplitudeToMeterDb(double a);

class CMRMS_N : public CPluginProcessor
{
public:
  CMRMS_N();
  ~CMRMS_N() override;

  void Process(double** inputs, double** outputs, int32_t frames) override;
  void SetNumInputs(uint32_t count) override { NumInputs = count; }
  void SetNumOutputs(uint32_t count) override { NumOutputs = count; }
  void SetSampleRate(double rate) override;
  int32_t GetNumParams() override { return 0; }
  void SetParam(int32_t, double) override {}
  double GetParam(int32_t) override { return 0.0; }
  double GetMeterValue(int32_t) override { return 0.0; }
  bool GetName(char* buffer) override;

  // Window ← frame, long-term ← frame, peak c ← value c for c < n (n is 1
  // or 2). Values that cannot be measured (NaN, infinities and magnitudes
  // whose squares could overflow, see MeasurableSample) count as silence:
  // one bad sample from a host must not poison the meter for the rest of
  // the session.
  void AddFrame(const double* values, int32_t n);
  void SetWindowMs(double ms);
  void Reset();
  int32_t IsWindowFilled() const { return mWindow.state; }
  double GetLevelDb() { return mWindow.GetMeanDb(); }
  double GetMaxLevelDb() { return mWindow.GetLargestDb(); }
  double GetMinLevelDb() { return mWindow.GetSmallestDb(); }
  double GetLongTermDb() { return mLongTerm.GetMeanDb(); }
  double GetInterpolatedPeakDb() const;
  double GetSamplePeakDb() const;
  double GetCrestDb();

  void SetInterpolation(bool on) { mInterpolation = on ? 1 : 0; }
  int32_t Interpolation() const { return mInterpolation; }
  int32_t ElapsedMs() const { return mElapsedMs; }
  const RmsWindow& Window() const { return mWindow; }

private:
  RmsWindow mWindow;
  LongTermAverage mLongTerm;
  InterSamplePeak mPeaks[2];
  int32_t mInterpolation = 1;
  int32_t mChannelCount = 2;
  int64_t mSampleCounter = 0;
  int64_t mTenthCounter = 0;
  int32_t mElapsedMs = 0;
};
