#include "dsp/CMBiQuadFilter.h"

#include <cmath>
#include <cstring>

namespace
{
constexpr double kPi = 3.141592653589793;

// Types 5 and 6: K = tan(f0 / fs × π), r = K² + K/Q + 1.
BiQuadCoefficients DesignBS1770(double f0, double Q, double Vh, double Vb, double w, double fs)
{
  const double K = std::tan(f0 / fs * kPi);
  const double K2 = K * K;
  const double r = K2 + K / Q + 1.0;
  BiQuadCoefficients c;
  c.b0 = (Vh + Vb * K / Q + w * K2) / r;
  c.b1 = 2.0 * (w * K2 - Vh) / r;
  c.b2 = (Vh - Vb * K / Q + w * K2) / r;
  c.a0 = 1.0;
  c.a1 = 2.0 * (K2 - 1.0) / r;
  c.a2 = (K2 - K / Q + 1.0) / r;
  return c;
}
}  // namespace

BiQuadCoefficients BiQuadDesign(int32_t type, double freq, double gainDb, double q, double fs)
{
  if (type == 5)
    return DesignBS1770(1681.974450955532, 0.70717523695542, 1.58486470113086, 1.25872093023256, 1.0, fs);
  if (type == 6)
    return DesignBS1770(38.13547087611304, 0.50032703732504, 1.00499489871469, 0.0, 0.0, fs);

  const double w = 2.0 * kPi * freq / fs;
  const double s = std::sin(w);
  const double c = std::cos(w);
  const double alpha = s / (2.0 * q);
  const double A = std::pow(10.0, gainDb / 40.0);
  const double sqA = std::sqrt(A);
  BiQuadCoefficients k;
  switch (type)
  {
    case 1:
      k.b0 = (1.0 + c) / 2.0;
      k.b1 = -(1.0 + c);
      k.b2 = (1.0 + c) / 2.0;
      k.a0 = 1.0 + alpha;
      k.a1 = -2.0 * c;
      k.a2 = 1.0 - alpha;
      break;
    case 2:
      k.b0 = (1.0 - c) / 2.0;
      k.b1 = 1.0 - c;
      k.b2 = (1.0 - c) / 2.0;
      k.a0 = 1.0 + alpha;
      k.a1 = -2.0 * c;
      k.a2 = 1.0 - alpha;
      break;
    case 3:
      k.b0 = A * ((A + 1.0) - (A - 1.0) * c + 2.0 * sqA * alpha);
      k.b1 = 2.0 * A * ((A - 1.0) - (A + 1.0) * c);
      k.b2 = A * ((A + 1.0) - (A - 1.0) * c - 2.0 * sqA * alpha);
      k.a0 = (A + 1.0) + (A - 1.0) * c + 2.0 * sqA * alpha;
      k.a1 = -2.0 * ((A - 1.0) + (A + 1.0) * c);
      k.a2 = (A + 1.0) + (A - 1.0) * c - 2.0 * sqA * alpha;
      break;
    case 4:
      k.b0 = A * ((A + 1.0) + (A - 1.0) * c + 2.0 * sqA * alpha);
      k.b1 = -2.0 * A * ((A - 1.0) + (A + 1.0) * c);
      k.b2 = A * ((A + 1.0) + (A - 1.0) * c - 2.0 * sqA * alpha);
      k.a0 = (A + 1.0) - (A - 1.0) * c + 2.0 * sqA * alpha;
      k.a1 = 2.0 * ((A - 1.0) - (A + 1.0) * c);
      k.a2 = (A + 1.0) - (A - 1.0) * c - 2.0 * sqA * alpha;
      break;
    default:
      k.b0 = 1.0 + alpha * A;
      k.b1 = -2.0 * c;
      k.b2 = 1.0 - alpha * A;
      k.a0 = 1.0 + alpha / A;
      k.a1 = -2.0 * c;
      k.a2 = 1.0 - alpha / A;
      break;
  }
  return k;
}

void BiQuadStageInit(BiQuadStage& stage, const BiQuadCoefficients& c)
{
  const double fs = stage.sampleRate;
  stage = BiQuadStage{};
  stage.sampleRate = fs;
  stage.b0 = c.b0;
  stage.b1 = c.b1;
  stage.b2 = c.b2;
  stage.a0 = c.a0;
  stage.a1 = c.a1;
  stage.a2 = c.a2;
}

void BiQuadStageProcess(BiQuadStage& st, const double* in, double* out, int32_t frames)
{
  for (int32_t i = 0; i < frames; ++i)
  {
    const double x = in[i];
    const double y = (st.b0 * x + st.b1 * st.x1 + st.b2 * st.x2 - st.a1 * st.y1 - st.a2 * st.y2) / st.a0;
    st.x = x;
    st.y = y;
    st.x2 = st.x1;
    st.x1 = x;
    st.y2 = st.y1;
    st.y1 = y;
    out[i] = y;
  }
  if (frames > 0)
    st.counter += static_cast<uint64_t>(frames);
}

namespace
{
double MagnitudeDb(double b0, double b1, double b2, double a0, double a1, double a2, double f, double fs)
{
  const double sn = std::sin(kPi * f / fs);
  const double phi = 4.0 * (sn * sn);
  const double sb = b0 + b1 + b2;
  const double sa = a0 + a1 + a2;
  const double N = sb * sb - phi * (b0 * b1 + 4.0 * b0 * b2 + b1 * b2) + phi * phi * b0 * b2;
  const double D = sa * sa - phi * (a0 * a1 + 4.0 * a0 * a2 + a1 * a2) + phi * phi * a0 * a2;
  return 10.0 * std::log10(N) - 10.0 * std::log10(D);
}
}  // namespace

double BiQuadStageMagnitudeDb(const BiQuadStage& s, double f)
{
  return MagnitudeDb(s.b0, s.b1, s.b2, s.a0, s.a1, s.a2, f, s.sampleRate);
}

CMBiQuadFilter::CMBiQuadFilter()
{
  Rebuild();
}

CMBiQuadFilter::~CMBiQuadFilter() = default;

void CMBiQuadFilter::Rebuild()
{
  mCoeffs = BiQuadDesign(mType, mFreq, mGainDb, mQ, SampleRate);
  mStages.clear();
  const int32_t n = NumInputs >= 1 ? static_cast<int32_t>(NumInputs) : 0;
  mStages.reserve(static_cast<size_t>(n));
  for (int32_t k = 0; k < n; ++k)
  {
    BiQuadStage st;
    st.sampleRate = SampleRate;
    BiQuadStageInit(st, mCoeffs);
    mStages.push_back(st);
  }
}

void CMBiQuadFilter::Process(double** inputs, double** outputs, int32_t frames)
{
  for (size_t k = 0; k < mStages.size(); ++k)
    BiQuadStageProcess(mStages[k], inputs[k], outputs[k], frames);
}

void CMBiQuadFilter::SetNumInputs(uint32_t count)
{
  NumInputs = count;
  Rebuild();
}

void CMBiQuadFilter::SetNumOutputs(uint32_t count)
{
  NumOutputs = count;
}

void CMBiQuadFilter::SetSampleRate(double rate)
{
  SampleRate = rate;
  Rebuild();
}

void CMBiQuadFilter::SetParam(int32_t index, double value)
{
  switch (index)
  {
    case kParamType: mType = (value > -2147483648.0 && value < 2147483648.0) ? static_cast<int32_t>(value) : 0; break;
    case kParamFreq: mFreq = value; break;
    case kParamGain: mGainDb = value; break;
    case kParamQ: mQ = value; break;
    default: return;
  }
  Rebuild();
}

double CMBiQuadFilter::GetParam(int32_t index)
{
  switch (index)
  {
    case kParamType: return static_cast<double>(mType);
    case kParamFreq: return mFreq;
    case kParamGain: return mGainDb;
    case kParamQ: return mQ;
    default: return 0.0;
  }
}

bool CMBiQuadFilter::GetName(char* buffer)
{
  std::memcpy(buffer, "MBiQuadFilter", sizeof("MBiQuadFilter"));
  return true;
}

double CMBiQuadFilter::GetMagnitudeDb(double f) const
{
  if (mStages.empty())
    return MagnitudeDb(mCoeffs.b0, mCoeffs.b1, mCoeffs.b2, mCoeffs.a0, mCoeffs.a1, mCoeffs.a2, f, SampleRate);
  return BiQuadStageMagnitudeDb(mStages.front(), f);
}
