#include "dsp/CMRMS.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "dsp/BufferHelpers.h"
#include "dsp/CMBiQuadFilter.h"
#include "dsp/CMGain6Ch.h"

namespace
{
constexpr double kOverThreshold = 1.0;
constexpr double kSurroundGainDb = 9.5;
constexpr int32_t kGatedHistoryCapacity = 90000;
constexpr double kMomentaryMs = 400.0;
constexpr double kShortTermMs = 3000.0;

struct ModeRow
{
  double windowMs;
  double floorDb;
  double referenceDb;
  double relativeGateDb;
  bool weighted;
};

// Rows of modes 0 to 6.
constexpr ModeRow kModeRows[7] = {
  {200.0, -144.0, 0.0, 0.0, false},   {600.0, -144.0, 0.0, 0.0, false},  {400.0, -70.0, -23.0, -10.0, true},
  {600.0, -144.0, -20.0, 0.0, false}, {600.0, -144.0, -14.0, 0.0, false}, {600.0, -144.0, -12.0, 0.0, false},
  {600.0, -144.0, 0.0, 0.0, false},
};

// Frames in ms at fs, truncated and kept within 1 .. the frames of maxMs.
int32_t FramesIn(double ms, double fs, double maxMs)
{
  const double frames = std::trunc(ms * fs * 0.001);
  const double most = std::max(1.0, std::trunc(maxMs * fs * 0.001));
  if (!(frames >= 1.0))
    return 1;
  return static_cast<int32_t>(std::min(frames, most));
}

}  // namespace

CMRMS::CMRMS()
{
  AllocateChannels(NumInputs);
  ApplyModeRow(false);
  Reset();
  mStage1 = std::make_unique<CMBiQuadFilter>();
  mStage2 = std::make_unique<CMBiQuadFilter>();
  mChannelGains = std::make_unique<CMGain6Ch>();
  mStage1->SetParam(CMBiQuadFilter::kParamType, CMBiQuadFilter::kBS1770Stage1);
  mStage2->SetParam(CMBiQuadFilter::kParamType, CMBiQuadFilter::kBS1770Stage2);
  for (CPluginProcessor* block : {static_cast<CPluginProcessor*>(mStage1.get()),
                                  static_cast<CPluginProcessor*>(mStage2.get()),
                                  static_cast<CPluginProcessor*>(mChannelGains.get())})
  {
    block->SetNumInputs(NumInputs);
    block->SetNumOutputs(NumOutputs);
    block->SetSampleRate(SampleRate);
  }
  for (int32_t k = 0; k < 6; ++k)
    mChannelGains->SetParam(k, 0.0);
}

CMRMS::~CMRMS() = default;

void CMRMS::AllocateChannels(uint32_t count)
{
  mChannels = count;
  mFrameValues.assign(count, 0.0);
  mRawValues.assign(count, 0.0);
  mPeakDetectors.assign(count, SincPeakDetector());
  mScratch.assign(static_cast<size_t>(count) * 2 * kChunkFrames, 0.0);
  mScratchA.assign(count, nullptr);
  mScratchB.assign(count, nullptr);
  mRawInputs.assign(count, nullptr);
  for (uint32_t c = 0; c < count; ++c)
  {
    mScratchA[c] = mScratch.data() + static_cast<size_t>(c) * 2 * kChunkFrames;
    mScratchB[c] = mScratchA[c] + kChunkFrames;
  }
}

void CMRMS::SetNumInputs(uint32_t count)
{
  if (count > kMaxChannels)
    return;
  AllocateChannels(count);
  for (CPluginProcessor* block : {static_cast<CPluginProcessor*>(mStage1.get()),
                                  static_cast<CPluginProcessor*>(mStage2.get()),
                                  static_cast<CPluginProcessor*>(mChannelGains.get())})
    block->SetNumInputs(count);
  const double sixChannelGains[6] = {0.0, 0.0, 0.0, 0.0, kSurroundGainDb, kSurroundGainDb};
  const double fiveChannelGains[6] = {0.0, 0.0, 0.0, kSurroundGainDb, kSurroundGainDb, 0.0};
  if (count == 6 || count == 5)
    for (int32_t k = 0; k < 6; ++k)
      mChannelGains->SetParam(k, count == 6 ? sixChannelGains[k] : fiveChannelGains[k]);
  NumInputs = count;
}

void CMRMS::SetNumOutputs(uint32_t count)
{
  NumOutputs = count;
  mStage1->SetNumOutputs(count);
  mStage2->SetNumOutputs(count);
  mChannelGains->SetNumOutputs(count);
}

void CMRMS::SetSampleRate(double rate)
{
  if (!std::isfinite(rate) || rate <= 0.0)
    return;
  SampleRate = rate;
  Reset();
  mStage1->SetSampleRate(rate);
  mStage2->SetSampleRate(rate);
  mChannelGains->SetSampleRate(rate);
}

void CMRMS::SetParam(int32_t index, double value)
{
  bool modeJustSet = false;
  if (std::isfinite(value))
  {
    switch (index)
    {
      case kParamMode:
        mMode = TruncClamp(value, INT32_MIN, INT32_MAX);
        modeJustSet = true;
        break;
      case kParamWindowMs:
        mWindowMs = value;
        break;
      case kParamFloorDb:
        mFloorDb = value;
        break;
      case kParamTruePeak:
        mTruePeakOn = TruncClamp(value, INT32_MIN, INT32_MAX);
        break;
      default:
        break;
    }
  }
  ApplyModeRow(modeJustSet);
  Reset();
}

double CMRMS::GetParam(int32_t index)
{
  switch (index)
  {
    case kParamMode:
      return mMode;
    case kParamWindowMs:
      return mWindowMs;
    case kParamFloorDb:
      return mFloorDb;
    case kParamTruePeak:
      return mTruePeakOn;
    default:
      return 0.0;
  }
}

void CMRMS::ApplyModeRow(bool modeJustSet)
{
  mRelativeGateDb = 0.0;
  mWeighted = false;
  // Mode 0's row applies only when the mode itself was just set, so that in
  // mode 0 the window and floor can be chosen freely.
  if (mMode < 0 || mMode > 6 || (mMode == 0 && !modeJustSet))
    return;
  const ModeRow& row = kModeRows[mMode];
  mWindowMs = row.windowMs;
  mFloorDb = row.floorDb;
  mReferenceDb = row.referenceDb;
  mRelativeGateDb = row.relativeGateDb;
  mWeighted = row.weighted;
}

bool CMRMS::GetName(char* buffer)
{
  if (buffer == nullptr)
    return false;
  std::memcpy(buffer, "MRMS", sizeof("MRMS"));
  return true;
}

void CMRMS::Reset()
{
  mWindowLength = FramesIn(mWindowMs, SampleRate, kMaxWindowMs);
  mWindowBuffer.assign(static_cast<size_t>(mWindowLength), 0.0);
  mWindowIndex = 0;
  mLongTermSum = 0.0;
  mLongTermCount = 0;
  mWindowSum = 0.0;
  mWindowRms = mWindowMax = 0.0;
  mShortTermRms = mShortTermMax = 0.0;
  mWindowMin = mShortTermMin = DBL_MAX;
  mSamplePeak = 0.0;
  mTruePeak = 0.0;
  mMeanAbsoluteSum = 0.0;
  mMeanAbsoluteCount = 0;
  const int32_t momentaryFrames = FramesIn(kMomentaryMs, SampleRate, kMomentaryMs);
  const int32_t shortTermFrames = FramesIn(kShortTermMs, SampleRate, kShortTermMs);
  mMomentaryHopDivisor = mShortTermHopDivisor = 4;
  mMomentaryHopLength = std::max(1, momentaryFrames / mMomentaryHopDivisor);
  mShortTermHopLength = std::max(1, shortTermFrames / mShortTermHopDivisor);
  mMomentaryHopCounter = mShortTermHopCounter = 0;
  mMomentaryRing.Reset(momentaryFrames);
  mShortTermRing.Reset(shortTermFrames);
  mGatedHistory.Reset(kGatedHistoryCapacity);
  mIntegratedPrimed = false;
  mWeightedFrameCounter = 0;
  mOverCount = 0;
  mOverPosition = 0;
  // A true peak from before the reset must not be reported after it.
  for (SincPeakDetector& detector : mPeakDetectors)
    detector.Clear();
}

double CMRMS::RmsLevel(double rms) const
{
  return std::fabs(rms) <= kSilenceAmplitude ? -141.0 : std::log(std::fabs(rms)) * kLnToDb + 3.0;
}

void CMRMS::PlainFrame(const double* x, int32_t n)
{
  ++mPlainFrameCounter;
  double a = 0.0;
  double q = 0.0;
  double quietest = std::fabs(x[0]);
  for (int32_t c = 0; c < n; ++c)
  {
    const double magnitude = std::fabs(x[c]);
    if (mTruePeakOn != 0)
      mTruePeak = std::max(mTruePeak, mPeakDetectors[static_cast<size_t>(c)].PushAndEvaluate(x[c]));
    mSamplePeak = std::max(mSamplePeak, magnitude);
    a += magnitude;
    quietest = std::min(quietest, magnitude);
    q += x[c] * x[c];
  }
  if (mTruePeak > kOverThreshold)
  {
    if (mOverCount == 0)
      mOverPosition = mPlainFrameCounter - 5;
    ++mOverCount;
  }
  mMeanAbsoluteSum += a / n;
  ++mMeanAbsoluteCount;
  // A frame whose quietest channel is at or below the floor is not measured.
  if (!(LinearToDb(quietest) > mFloorDb))
    return;

  const double e = q / n;
  mLongTermSum += e;
  ++mLongTermCount;
  const double leaving = mWindowBuffer[static_cast<size_t>(mWindowIndex)];
  mWindowBuffer[static_cast<size_t>(mWindowIndex)] = e;
  mWindowSum += e - leaving;
  mWindowRms = mWindowSum < 0.0 ? DbToLinear(mFloorDb) : std::sqrt(mWindowSum / mWindowLength);
  mWindowIndex = mWindowIndex + 1 == mWindowLength ? 0 : mWindowIndex + 1;
  mWindowMax = std::max(mWindowMax, mWindowRms);
  mWindowMin = std::min(mWindowMin, mWindowRms);
}

void CMRMS::WeightedFrame(const double* x, const double* raw, int32_t n)
{
  mElapsedMs = ElapsedMsOf(mWeightedFrameCounter, SampleRate);
  double a = 0.0;
  double q = 0.0;
  int32_t k = 0;
  for (int32_t c = 0; c < n; ++c)
  {
    if (mTruePeakOn != 0)
      mTruePeak = std::max(mTruePeak, mPeakDetectors[static_cast<size_t>(c)].PushAndEvaluate(raw[c]));
    const double magnitude = std::fabs(x[c]);
    mSamplePeak = std::max(mSamplePeak, magnitude);
    a += magnitude;
    // The fourth channel of a 5.1 layout (LFE) stays out of the mean square.
    if (n == 6 && c == 3)
      continue;
    q += x[c] * x[c];
    ++k;
  }
  const double e = q / k;
  mMeanAbsoluteSum += a / k;
  ++mMeanAbsoluteCount;

  mMomentaryRing.Push(e);
  if (++mMomentaryHopCounter >= mMomentaryHopLength)
  {
    mMomentaryHopCounter = 0;
    if (mMomentaryRing.IsFull())
    {
      const double m = mMomentaryRing.SumOfFilled() / mMomentaryRing.Capacity();
      mWindowRms = std::sqrt(m);
      mWindowMax = std::max(mWindowMax, mWindowRms);
      mWindowMin = std::min(mWindowMin, mWindowRms);
      if (RmsLevel(mWindowRms) > mFloorDb)
        mGatedHistory.Push(m);
    }
  }

  mShortTermRing.Push(e);
  if (++mShortTermHopCounter >= mShortTermHopLength)
  {
    mShortTermHopCounter = 0;
    if (mShortTermRing.IsFull())
    {
      const double s = mShortTermRing.SumOfFilled() / mShortTermRing.Capacity();
      mShortTermRms = std::sqrt(s);
      mShortTermMax = std::max(mShortTermMax, mShortTermRms);
      mShortTermMin = std::min(mShortTermMin, mShortTermRms);
      GatedLongTermPass();
    }
  }
  ++mWeightedFrameCounter;
}

void CMRMS::GatedLongTermPass()
{
  // Only the slots that hold a block count: a history not yet full must not
  // be diluted by its empty slots.
  const int32_t filled = mGatedHistory.Filled();
  const double* history = mGatedHistory.Data();
  if (!mIntegratedPrimed)
  {
    mLongTermSum = filled > 0 ? mGatedHistory.SumOfFilled() / filled : 0.0;
    mLongTermCount = 1;
    mIntegratedPrimed = true;
  }
  const double base = mLongTermSum >= 0.0 && mLongTermCount != 0
                        ? RmsLevel(std::sqrt(mLongTermSum / static_cast<double>(mLongTermCount)))
                        : mFloorDb;
  const double threshold = base + mRelativeGateDb;
  double sum = 0.0;
  int64_t count = 0;
  for (int32_t i = 0; i < filled; ++i)
  {
    if (RmsLevel(std::sqrt(history[i])) >= threshold)
    {
      sum += history[i];
      ++count;
    }
  }
  mLongTermSum = count > 0 ? sum / static_cast<double>(count) : 0.0;
  mLongTermCount = 1;
}

void CMRMS::Process(double** inputs, double** outputs, int32_t frames)
{
  if (inputs == nullptr || frames <= 0)
    return;
  const uint32_t channels = std::min(NumInputs, mChannels);
  const int32_t n = static_cast<int32_t>(channels);
  static constexpr double kSilence[kChunkFrames] = {};
  for (int32_t start = 0; start < frames && n > 0; start += kChunkFrames)
  {
    const int32_t len = std::min(kChunkFrames, frames - start);
    for (uint32_t c = 0; c < channels; ++c)
    {
      mRawInputs[c] = inputs[c] != nullptr ? inputs[c] + start : kSilence;
      for (int32_t i = 0; i < len; ++i)
        mScratchA[c][i] = MeasurableSample(mRawInputs[c][i]);
    }
    double* const* measured = mScratchA.data();
    if (mWeighted)
    {
      // The weighting runs only through the meter's own scratch buffers; the
      // caller's buffers are read, never written, until the final copy.
      mStage1->Process(mScratchA.data(), mScratchB.data(), len);
      mStage2->Process(mScratchB.data(), mScratchA.data(), len);
      for (uint32_t c = 0; c < channels; ++c)
        std::memcpy(mScratchB[c], mScratchA[c], static_cast<size_t>(len) * sizeof(double));
      mChannelGains->Process(mScratchA.data(), mScratchB.data(), len);
      measured = mScratchB.data();
    }
    for (int32_t i = 0; i < len; ++i)
    {
      for (uint32_t c = 0; c < channels; ++c)
      {
        mFrameValues[c] = measured[c][i];
        mRawValues[c] = MeasurableSample(mRawInputs[c][i]);
      }
      if (mWeighted)
        WeightedFrame(mFrameValues.data(), mRawValues.data(), n);
      else
        PlainFrame(mFrameValues.data(), n);
    }
  }
  if (outputs == nullptr)
    return;
  for (uint32_t c = 0; c < channels; ++c)
  {
    if (inputs[c] != nullptr && outputs[c] != nullptr && inputs[c] != outputs[c])
      std::memmove(outputs[c], inputs[c], static_cast<size_t>(frames) * sizeof(double));
  }
}

double CMRMS::GetLongTermDb(bool relative) const
{
  double level = mFloorDb;
  if (!(mLongTermSum < 0.0) && mLongTermCount != 0)
    level = RmsLevel(std::sqrt(mLongTermSum / static_cast<double>(mLongTermCount)));
  return relative ? level - mReferenceDb : level;
}

double CMRMS::GetRmsDb(int32_t selector, bool relative) const
{
  const double level = RmsLevel(selector == 1 ? mShortTermRms : mWindowRms);
  return relative ? level - mReferenceDb : level;
}

double CMRMS::GetMaxDb(int32_t selector, bool relative) const
{
  const double level = RmsLevel(selector == 1 ? mShortTermMax : mWindowMax);
  return relative ? level - mReferenceDb : level;
}

double CMRMS::GetMinDb(int32_t selector, bool relative) const
{
  const double level = RmsLevel(selector == 1 ? mShortTermMin : mWindowMin);
  return relative ? level - mReferenceDb : level;
}

double CMRMS::GetMeanAbsoluteDb(bool relative) const
{
  double level = mFloorDb;
  if (mMeanAbsoluteCount != 0)
    level = LinearToDb(mMeanAbsoluteSum / static_cast<double>(mMeanAbsoluteCount));
  return relative ? level - mReferenceDb : level;
}

double CMRMS::GetSamplePeakDb(bool relative) const
{
  const double level = LinearToDb(mSamplePeak);
  return relative ? level - mReferenceDb : level;
}

double CMRMS::GetTruePeakDb(bool relative) const
{
  const double level = LinearToDb(mTruePeak);
  return relative ? level - mReferenceDb : level;
}

double CMRMS::GetMeterValue(int32_t index)
{
  switch (index)
  {
    case kMeterLongTerm:
      return GetLongTermDb(false);
    case kMeterWindowRms:
      return GetRmsDb(0, false);
    case kMeterWindowMax:
      return GetMaxDb(0, false);
    case kMeterWindowMin:
      return GetMinDb(0, false);
    case kMeterShortTermRms:
      return GetRmsDb(1, false);
    case kMeterShortTermMax:
      return GetMaxDb(1, false);
    case kMeterShortTermMin:
      return GetMinDb(1, false);
    case kMeterMeanAbsolute:
      return GetMeanAbsoluteDb(false);
    case kMeterSamplePeak:
      return GetSamplePeakDb(false);
    case kMeterTruePeak:
      return GetTruePeakDb(false);
    case kMeterOverCount:
      return static_cast<double>(mOverCount);
    case kMeterOverPosition:
      return static_cast<double>(mOverPosition);
    default:
      return 0.0;
  }
}
