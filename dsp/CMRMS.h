// Block RMS meter: a level meter block that passes its input to its output
// unchanged and measures it on the way. The plain path measures a sliding
// window RMS with its extremes, a long-term RMS, the sample peak, an
// optional true peak (sinc reconstruction, with an over counter) and the
// mean absolute level. Mode 2 adds a weighted path in the manner of a
// loudness meter: K-weighting and channel gains (+9.5 dB on the surround
// channels, the meter's own choice rather than BS.1770's 1.5 dB), a 400 ms
// window, a 3 s window and a gated long-term value.
//
// Every level read-out is in dB; the RMS read-outs carry +3.0 dB so that a
// full-scale sine reads 0 dB.
//
// Threads: no locking; the owner serialises every call. Process never
// allocates (it works through buffers sized by SetNumInputs) and is safe in
// place (inputs and outputs may be the same buffers). SetParam,
// SetSampleRate and SetNumInputs reset or resize and must not run on the
// audio thread.
//
// Bad input: a window shorter than one frame measures over one frame and
// one longer than kMaxWindowMs over kMaxWindowMs; parameter values and
// sample rates that are not finite (and rates not above 0) are refused;
// more than kMaxChannels inputs are refused; a null input buffer, and any
// sample that cannot be measured (NaN, infinities and magnitudes whose
// squares could overflow the running sums, see MeasurableSample), measures
// as silence.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "dsp/CPluginProcessor.h"
#include "dsp/MeterRing.h"
#include "dsp/SincPeakDetector.h"

class CMBiQuadFilter;
class CMGain6Ch;

class CMRMS : public CPluginProcessor
{
public:
  enum EParam : int32_t
  {
    kParamMode = 0,
    kParamWindowMs = 1,
    kParamFloorDb = 2,
    kParamTruePeak = 3,
  };
  enum EMeter : int32_t
  {
    kMeterLongTerm = 6,
    kMeterWindowRms = 7,
    kMeterWindowMax = 8,
    kMeterWindowMin = 9,
    kMeterShortTermRms = 10,
    kMeterShortTermMax = 11,
    kMeterShortTermMin = 12,
    kMeterMeanAbsolute = 13,
    kMeterSamplePeak = 14,
    kMeterTruePeak = 15,
    kMeterOverCount = 16,
    kMeterOverPosition = 17,
  };
  static constexpr double kMaxWindowMs = 10000.0;
  static constexpr uint32_t kMaxChannels = 64;

  CMRMS();
  ~CMRMS() override;

  void Process(double** inputs, double** outputs, int32_t frames) override;
  // Replaces the per-channel arrays and peak detectors and sets the channel
  // gains of 5- and 6-channel layouts; the measurements are not reset.
  void SetNumInputs(uint32_t count) override;
  void SetNumOutputs(uint32_t count) override;
  void SetSampleRate(double rate) override;
  int32_t GetNumParams() override { return 5; }
  // Stores the value, applies the current mode's row and resets the meter.
  void SetParam(int32_t index, double value) override;
  double GetParam(int32_t index) override;
  double GetMeterValue(int32_t index) override;
  // Writes "MRMS"; false for a null buffer.
  bool GetName(char* buffer) override;

  // Clears every measurement and re-sizes the window and rings for the
  // current window and sample rate.
  void Reset();

  // Read-outs as GetMeterValue, minus the reference level when relative.
  // selector 1 reads the short-term window, anything else the window.
  double GetLongTermDb(bool relative) const;
  double GetRmsDb(int32_t selector, bool relative) const;
  double GetMaxDb(int32_t selector, bool relative) const;
  double GetMinDb(int32_t selector, bool relative) const;
  double GetMeanAbsoluteDb(bool relative) const;
  double GetSamplePeakDb(bool relative) const;
  double GetTruePeakDb(bool relative) const;

  int32_t WindowLength() const { return mWindowLength; }
  int32_t ElapsedMs() const { return mElapsedMs; }
  bool IsWeighted() const { return mWeighted; }
  double ReferenceDb() const { return mReferenceDb; }

private:
  // Frames per pass of Process through the scratch buffers.
  static constexpr int32_t kChunkFrames = 256;

  void ApplyModeRow(bool modeJustSet);
  void AllocateChannels(uint32_t count);
  void PlainFrame(const double* x, int32_t n);
  void WeightedFrame(const double* x, const double* raw, int32_t n);
  void GatedLongTermPass();
  double RmsLevel(double rms) const;

  int32_t mMode = 5;
  double mWindowMs = 600.0;
  double mFloorDb = -144.0;
  double mLongTermSum = 0.0;
  int64_t mLongTermCount = 0;
  double mWindowSum = 0.0;
  double mWindowRms = 0.0, mWindowMax = 0.0, mWindowMin = 0.0;
  double mShortTermRms = 0.0, mShortTermMax = 0.0, mShortTermMin = 0.0;
  double mSamplePeak = 0.0;
  double mTruePeak = 0.0;
  double mMeanAbsoluteSum = 0.0;
  int64_t mMeanAbsoluteCount = 0;
  double mReferenceDb = -12.0;
  std::vector<double> mWindowBuffer;
  int32_t mWindowIndex = 0;
  int32_t mWindowLength = 1;
  int64_t mWeightedFrameCounter = 0;
  int32_t mElapsedMs = 0;
  double mRelativeGateDb = 0.0;
  bool mWeighted = false;
  int32_t mMomentaryHopDivisor = 4, mMomentaryHopCounter = 0, mMomentaryHopLength = 1;
  int32_t mShortTermHopDivisor = 4, mShortTermHopCounter = 0, mShortTermHopLength = 1;
  MeterRing mMomentaryRing;
  MeterRing mShortTermRing;
  MeterRing mGatedHistory;
  bool mIntegratedPrimed = false;
  std::unique_ptr<CMBiQuadFilter> mStage1;
  std::unique_ptr<CMBiQuadFilter> mStage2;
  std::unique_ptr<CMGain6Ch> mChannelGains;
  uint32_t mChannels = 0;
  std::vector<double> mFrameValues;
  std::vector<double> mRawValues;
  std::vector<SincPeakDetector> mPeakDetectors;
  int32_t mTruePeakOn = 0;
  int64_t mOverCount = 0;
  int64_t mOverPosition = 0;
  // Frames through the plain path since construction (never reset).
  int64_t mPlainFrameCounter = 0;
  // Scratch for Process: two sets of per-channel chunk buffers, so that the
  // weighted path never writes the caller's buffers before it has read them.
  std::vector<double> mScratch;
  std::vector<double*> mScratchA;
  std::vector<double*> mScratchB;
  std::vector<const double*> mRawInputs;
};
