// Loudness meter after ITU-R BS.1770 and EBU R128 for up to six channels:
// momentary (400 ms) and short-term (3 s) loudness with their maxima,
// integrated loudness, loudness range and an inter-sample true peak.
//
// The meter passes its audio through unchanged. Its own choices: the
// momentary mean is refreshed every 100 ms, which also makes the gating
// blocks 400 ms long with 75 % overlap; the short-term mean is refreshed once
// per second, so the loudness range is computed from one short-term value
// per second; and the true peak is the largest absolute value of a 39-tap
// sinc reconstruction at the samples and at the offsets 0.18362181817838 and
// 0.5 between them (SincPeakDetector), not the output of the four-times
// oversampling filter whose coefficients the TruePeakOversampler records
// hold. The integrated loudness and the range keep every block for as long
// as the meter runs: gated exactly over the first hour, then in 0.01 LU
// steps.
//
// Threads: no locking; the owner serialises every call. Process and
// AddFrame never allocate; SetSampleRate and Reset size the windows and must
// not run on the audio thread. A sample rate that is not a positive number
// is refused (the meter keeps its rate and its measurements). Samples that
// cannot be measured (NaN, infinities and magnitudes whose squares could
// overflow the running sums, see MeasurableSample) count as silence, for the
// loudness and the true peak alike.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "dsp/CPluginProcessor.h"
#include "dsp/KWeightingFilter.h"
#include "dsp/LoudnessGate.h"
#include "dsp/LoudnessRange.h"
#include "dsp/LoudnessWindow.h"
#include "dsp/SincPeakDetector.h"
#include "dsp/TruePeakOversampler.h"

class CMEBUR128 : public CPluginProcessor
{
public:
  static constexpr int32_t kMaxChannels = 6;

  CMEBUR128();
  ~CMEBUR128() override = default;

  // Measures each frame of the first min(inputs, 6) channels, then copies
  // every input channel to the output of the same index (null buffers
  // skipped). A null input buffer measures as silence.
  void Process(double** inputs, double** outputs, int32_t frames) override;
  void SetNumInputs(uint32_t count) override { NumInputs = count; }
  void SetNumOutputs(uint32_t count) override { NumOutputs = count; }
  // Stores the rate, resets the meter and zeroes the frame counters.
  void SetSampleRate(double rate) override;
  int32_t GetNumParams() override { return 0; }
  void SetParam(int32_t, double) override {}
  double GetParam(int32_t) override { return 0.0; }
  double GetMeterValue(int32_t) override { return 0.0; }
  // Writes "EBUR128"; false for a null buffer.
  bool GetName(char* buffer) override;

  // One frame of n channel values (n is clamped to 0..6).
  void AddFrame(const double* values, int32_t n);
  // Re-initialises everything that depends on the sample rate and clears
  // every measurement, the sinc peak histories included.
  void Reset();
  // Clears every measurement and filter state, the sinc peak histories
  // included, without re-sizing anything.
  void ClearState();

  // Read-outs in LUFS rounded to 0.1 (the first four are cached).
  double GetMomentaryLufs() { return mMomentary.MeanLufs(); }
  double GetMomentaryMaxLufs() { return mMomentary.LargestMeanLufs(); }
  double GetLoudness() { return mShortTerm.MeanLufs(); }
  double GetShortTermMaxLufs() { return mShortTerm.LargestMeanLufs(); }
  // -141.0 before the first block above the absolute gate.
  double GetIntegratedLufs() const;
  // LU; 0.0 before the first short-term value above the absolute gate.
  double GetLoudnessRange() const;
  // dBTP of the true-peak maximum, not rounded; -144.0 for silence.
  double GetTruePeakDb() const;

  const LoudnessWindow& Momentary() const { return mMomentary; }
  const LoudnessWindow& ShortTerm() const { return mShortTerm; }
  const LoudnessGate& Gate() const { return mGate; }
  const LoudnessRange& Range() const { return mRange; }
  const TruePeakOversampler& Oversampler(int32_t channel) const
  {
    return mOversamplers[static_cast<size_t>(channel)];
  }
  double TruePeakMaximum() const { return mTruePeakMaximum; }
  int32_t ChannelCount() const { return mChannelCount; }
  int64_t SampleCounter() const { return mSampleCounter; }
  int32_t ElapsedMs() const { return mElapsedMs; }

private:
  // Frames processed per pass of Process: each channel's peak detector and
  // filters run over a chunk before the windows take its frames.
  static constexpr int32_t kChunkFrames = 256;

  void MeasureChunk(double* const* inputs, int32_t start, int32_t frames);
  // in itself when every sample of it can be measured (the usual case),
  // else a copy in which the others are silence.
  const double* MeasurableChunk(const double* in, int32_t frames, int32_t channel);
  void TakeEnergy(double energy);
  void CountFrame();

  std::array<KWeightingFilter, kMaxChannels> mStage1{};
  std::array<KWeightingFilter, kMaxChannels> mStage2{};
  LoudnessWindow mMomentary;
  LoudnessWindow mShortTerm;
  LoudnessGate mGate;
  LoudnessRange mRange;
  std::array<SincPeakDetector, kMaxChannels> mPeakDetectors{};
  double mTruePeakMaximum = 0.0;
  std::array<TruePeakOversampler, kMaxChannels> mOversamplers;
  std::array<double, kMaxChannels> mFrameValues{};
  int32_t mChannelCount = 0;
  int64_t mSampleCounter = 0;
  int64_t mHalfSecondCounter = 0;
  int32_t mElapsedMs = 0;
  // K-weighted values of the chunk in progress, channel by channel, and its
  // frame energies.
  std::array<double, kMaxChannels * kChunkFrames> mChunk{};
  std::array<double, kChunkFrames> mEnergies{};
  // Room for the measurable copies of a chunk's channels.
  std::array<double, kMaxChannels * kChunkFrames> mMeasurable{};
};
