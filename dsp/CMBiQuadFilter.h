// The general biquad block of the DSP: one second-order
// section per input channel, Direct Form I.
#pragma once

#include <cstdint>
#include <vector>

#include "dsp/CPluginProcessor.h"

// One coefficient set; not normalised except for types 5 and 6.
struct BiQuadCoefficients
{
  double b0 = 1.0, b1 = 0.0, b2 = 0.0, a0 = 1.0, a1 = 0.0, a2 = 0.0;
};

// One channel's section.
struct BiQuadStage
{
  double b0 = 1.0, b1 = 0.0, b2 = 0.0, a0 = 1.0, a1 = 0.0, a2 = 0.0;
  double x = 0.0, y = 0.0, x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
  uint64_t counter = 0;  // frames processed
  double sampleRate = 44100.0;
};

// Stage-level helpers (no caller in this system): initialise a stage from a
// coefficient set (copy the six coefficients, zero the rest), filter a buffer
// through one stage, and the magnitude in dB of one stage at f.
void BiQuadStageInit(BiQuadStage& stage, const BiQuadCoefficients& c);
void BiQuadStageProcess(BiQuadStage& stage, const double* in, double* out, int32_t frames);
double BiQuadStageMagnitudeDb(const BiQuadStage& stage, double f);

// Computes the coefficient set of a filter type.
BiQuadCoefficients BiQuadDesign(int32_t type, double freq, double gainDb, double q, double fs);

class CMBiQuadFilter : public CPluginProcessor
{
public:
  enum EType : int32_t
  {
    kPeaking = 0,
    kHighPass = 1,
    kLowPass = 2,
    kLowShelf = 3,
    kHighShelf = 4,
    kBS1770Stage1 = 5,
    kBS1770Stage2 = 6,
  };
  enum EParam : int32_t
  {
    kParamType = 0,
    kParamFreq = 1,
    kParamGain = 2,
    kParamQ = 3,
  };

  CMBiQuadFilter();
  ~CMBiQuadFilter() override;

  void Process(double** inputs, double** outputs, int32_t frames) override;
  void SetNumInputs(uint32_t count) override;
  void SetNumOutputs(uint32_t count) override;
  void SetSampleRate(double rate) override;
  int32_t GetNumParams() override { return 4; }
  void SetParam(int32_t index, double value) override;
  double GetParam(int32_t index) override;
  bool GetName(char* buffer) override;

  // Response in dB of the first stage at f (no caller in this system).
  double GetMagnitudeDb(double f) const;

  int32_t NumStages() const { return static_cast<int32_t>(mStages.size()); }
  const BiQuadStage& Stage(int32_t k) const { return mStages[static_cast<size_t>(k)]; }
  const BiQuadCoefficients& Coefficients() const { return mCoeffs; }

private:
  void Rebuild();

  std::vector<BiQuadStage> mStages;
  double mFreq = 100.0;
  double mGainDb = 0.0;
  double mQ = 1.0;
  int32_t mType = 0;
  BiQuadCoefficients mCoeffs;
};
