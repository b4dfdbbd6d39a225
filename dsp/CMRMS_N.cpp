#include "dsp/CMRMS_N.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "dsp/BufferHelpers.h"

double AmplitudeToMeterDb(double a)
{
  const double L = a > 6.309e-08 ? std::log(a) * 8.685889638065037 : -144.0;
  return std::floor(L * 10.0 + 0.5) / 10.0;
}

double MeanSquareToMeterDb(double p)
{
  return AmplitudeToMeterDb(std::sqrt(p)) + 3.0;
}

// --- RmsWindow -------------------------------------------------------------

RmsWindow::RmsWindow()
{
  buffer.assign(static_cast<size_t>(capacity), 0.0);
}

void RmsWindow::Init(double minMs, double maxMs, double ms, double overlapFraction, double fs)
{
  minimumMs = minMs;
  maximumMs = maxMs;
  SetCapacity(static_cast<int32_t>(maxMs * 0.001 * fs));
  SetLength(ms, fs);
  overlap = overlapFraction;
  Clear();
}

void RmsWindow::Resize(double ms, double fs)
{
  SetCapacity(static_cast<int32_t>(3.0 * fs));
  SetLength(ms, fs);
  overlap = 0.75;
}

void RmsWindow::SetCapacity(int32_t entries)
{
  capacity = std::max(entries, 1);
  // Reallocated only when the size changes; Clear makes the contents read
  // as zeros either way.
  if (static_cast<int32_t>(buffer.size()) != capacity)
    buffer.assign(static_cast<size_t>(capacity), 0.0);
}

void RmsWindow::SetLength(double ms, double fs)
{
  windowMs = ms;
  N = std::clamp(static_cast<int32_t>(ms * 0.001 * fs), 1, capacity);
}

void RmsWindow::Clear()
{
  index = 0;
  sum = 0.0;
  leaving = 0.0;
  mean = 0.0;
  smallest = 0.0;
  largest = 0.0;
  state = 0;
  newMean = 0;
  hop = 0;
  meanDb = smallestDb = largestDb = -144.0;
}

void RmsWindow::SetWindowMs(double ms, double fs)
{
  if (ms == windowMs || !(ms >= minimumMs && ms <= maximumMs))
    return;
  SetLength(ms, fs);
  Clear();
}

int32_t RmsWindow::AddFrame(const double* x, int32_t n)
{
  // 1.
  newMean = 0;
  double s = 0.0;
  for (int32_t c = 0; c < n; ++c)
    s += x[c] * x[c];
  const double p = s / static_cast<double>(n);
  // 2. While the state is 0 the slot has not been written since the last
  // Clear, so it holds a zero.
  sum += p;
  leaving = state == 0 ? 0.0 : buffer[static_cast<size_t>(index)];
  buffer[static_cast<size_t>(index)] = p;
  index += 1;
  hop += 1;
  const double dN = static_cast<double>(N);
  // 3.
  if (index >= N)
  {
    index = 0;
    if (state == 0)
    {
      smallest = largest = sum / dN;
      state = 1;
    }
    else if (state != 1)
    {
      return 0;
    }
  }
  else if (state != 1)
  {
    return 0;
  }
  // 4.
  sum = std::max(0.0, sum - leaving);
  // 5.
  if (static_cast<double>(hop) > (1.0 - overlap) * dN)
  {
    hop = 0;
    mean = sum / dN;
    smallest = std::min(smallest, mean);
    largest = std::max(largest, mean);
    newMean = 1;
    return 1;
  }
  return 0;
}

double RmsWindow::GetMeanDb()
{
  meanDb = MeanSquareToMeterDb(mean);
  return meanDb;
}

double RmsWindow::GetSmallestDb()
{
  smallestDb = MeanSquareToMeterDb(smallest);
  return smallestDb;
}

double RmsWindow::GetLargestDb()
{
  largestDb = MeanSquareToMeterDb(largest);
  return largestDb;
}

// --- LongTermAverage -------------------------------------------------------

void LongTermAverage::Clear()
{
  sum = 0.0;
  count = 0.0;
  mean = 0.0;
  meanDb = -144.0;
}

void LongTermAverage::AddFrame(const double* x, int32_t n)
{
  double s = 0.0;
  for (int32_t c = 0; c < n; ++c)
    s += x[c] * x[c];
  const double p = s / static_cast<double>(n);
  sum += p;
  count += 1.0;
  mean = sum / count;
}

double LongTermAverage::GetMeanDb()
{
  meanDb = MeanSquareToMeterDb(mean);
  return meanDb;
}

// --- InterSamplePeak -------------------------------------------------------

void InterSamplePeak::Init(int32_t pointsPerSegment)
{
  points = pointsPerSegment;
  Clear();
}

void InterSamplePeak::Clear()
{
  interpolatedPeak = 0.0;
  samplePeak = 0.0;
  lastSample = 0.0;
  xn1 = xn2 = xn3 = 0.0;
}

namespace
{
double Bezier(double p0, double c0, double c1, double p1, double t)
{
  const double u = 1.0 - t;
  return u * u * u * p0 + 3.0 * t * u * u * c0 + 3.0 * t * t * u * c1 + t * t * t * p1;
}
}  // namespace

double CubicSegmentValue(double a, double b, double c, double d, double t)
{
  return Bezier(b, b + 0.375 * (c - a), c - 0.375 * (d - b), c, t);
}

void InterSamplePeak::Process(bool interpolate, double x)
{
  samplePeak = std::max(samplePeak, std::fabs(x));
  if (!interpolate)
    return;
  lastSample = x;
  const double p0 = xn1;
  const double p1 = xn2;
  const double c0 = p0 + 0.375 * (p1 - x);
  const double c1 = p1 - 0.375 * (xn3 - p0);
  const int32_t P = points > 0 ? points : 1;
  for (int32_t k = 0; k < P; ++k)
  {
    const double t = static_cast<double>(k) / static_cast<double>(P);
    interpolatedPeak = std::max(interpolatedPeak, std::fabs(Bezier(p0, c0, c1, p1, t)));
  }
  xn3 = xn2;
  xn2 = xn1;
  xn1 = x;
}

double InterSamplePeak::GetInterpolatedPeakDb() const
{
  return AmplitudeToMeterDb(interpolatedPeak);
}

double InterSamplePeak::GetSamplePeakDb() const
{
  return AmplitudeToMeterDb(samplePeak);
}

// --- CMRMS_N ---------------------------------------------------------------

CMRMS_N::CMRMS_N()
{
  mPeaks[0].Init(4);
  mPeaks[1].Init(4);
}

CMRMS_N::~CMRMS_N() = default;

bool CMRMS_N::GetName(char* buffer)
{
  std::memcpy(buffer, "CMRMS_N", sizeof("CMRMS_N"));
  return true;
}

void CMRMS_N::AddFrame(const double* values, int32_t n)
{
  if (n < 1)
    return;
  if (n > 2)
    n = 2;
  double x[2];
  for (int32_t c = 0; c < n; ++c)
    x[c] = MeasurableSample(values[c]);
  mWindow.AddFrame(x, n);
  mLongTerm.AddFrame(x, n);
  for (int32_t c = 0; c < n; ++c)
    mPeaks[c].Process(mInterpolation != 0, x[c]);
}

void CMRMS_N::SetWindowMs(double ms)
{
  mWindow.Resize(ms, SampleRate);
  mWindow.Clear();
  mLongTerm.Clear();
  mPeaks[0].Init(4);
  mPeaks[1].Init(4);
}

void CMRMS_N::SetSampleRate(double rate)
{
  SampleRate = rate;
  mSampleCounter = 0;
  mTenthCounter = 0;
  SetWindowMs(mWindow.windowMs);
}

void CMRMS_N::Reset()
{
  mWindow.Clear();
  mLongTerm.Clear();
  mPeaks[0].Clear();
  mPeaks[1].Clear();
}

void CMRMS_N::Process(double** inputs, double** outputs, int32_t frames)
{
  const int32_t nIn = static_cast<int32_t>(NumInputs);
  if (frames < 1)
    return;
  for (int32_t c = 0; c < nIn; ++c)
  {
    if (inputs[c] != nullptr && outputs[c] != nullptr && inputs[c] != outputs[c])
      std::memmove(outputs[c], inputs[c], static_cast<size_t>(frames) * sizeof(double));
  }
  mChannelCount = nIn < 2 ? nIn : 2;
  const int64_t tenth = static_cast<int64_t>(0.1 * SampleRate);
  for (int32_t i = 0; i < frames; ++i)
  {
    double frame[2] = {0.0, 0.0};
    for (int32_t c = 0; c < mChannelCount; ++c)
      frame[c] = inputs[c] != nullptr ? inputs[c][i] : 0.0;
    AddFrame(frame, mChannelCount);
    mSampleCounter += 1;
    if (mTenthCounter >= tenth - 1)
    {
      // Past 2^31 - 1 ms (about 24.8 days) the read-out stays at the largest
      // i32 instead of leaving its range.
      mElapsedMs = ElapsedMsOf(mSampleCounter, SampleRate);
      mTenthCounter = 0;
    }
    else
    {
      mTenthCounter += 1;
    }
  }
}

double CMRMS_N::GetInterpolatedPeakDb() const
{
  return std::max(mPeaks[0].GetInterpolatedPeakDb(), mPeaks[1].GetInterpolatedPeakDb());
}

double CMRMS_N::GetSamplePeakDb() const
{
  return std::max(mPeaks[0].GetSamplePeakDb(), mPeaks[1].GetSamplePeakDb());
}

double CMRMS_N::GetCrestDb()
{
  return GetSamplePeakDb() - GetLongTermDb();
}
