#include "dsp/CMEBUR128.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "dsp/BufferHelpers.h"
#include "dsp/LoudnessUnits.h"

namespace
{
template <bool kDivide1, bool kDivide2>
void KWeightBlock(KWeightingFilter& stage1, KWeightingFilter& stage2, const double* in, double* out, int32_t frames)
{
  // Local copies, so that the state stays in registers over the block.
  KWeightingFilter s1 = stage1;
  KWeightingFilter s2 = stage2;
  for (int32_t i = 0; i < frames; ++i)
    out[i] = s2.Tick<kDivide2>(s1.Tick<kDivide1>(in[i]));
  stage1 = s1;
  stage2 = s2;
}

// Both stages of one channel over a block; identical to Tick of stage 1 then
// stage 2, sample by sample.
void KWeight(KWeightingFilter& stage1, KWeightingFilter& stage2, const double* in, double* out, int32_t frames)
{
  const bool divide1 = stage1.a0 != 1.0;
  const bool divide2 = stage2.a0 != 1.0;
  if (!divide1 && !divide2)
    KWeightBlock<false, false>(stage1, stage2, in, out, frames);
  else if (!divide1)
    KWeightBlock<false, true>(stage1, stage2, in, out, frames);
  else if (!divide2)
    KWeightBlock<true, false>(stage1, stage2, in, out, frames);
  else
    KWeightBlock<true, true>(stage1, stage2, in, out, frames);
}

// Two doubles in one vector register (a GCC and Clang extension; each
// operation is the IEEE operation on each lane).
typedef double Pair __attribute__((vector_size(16)));
typedef long long PairMask __attribute__((vector_size(16)));

Pair Splat(double v)
{
  return Pair{v, v};
}

Pair Select(PairMask mask, Pair ifTrue, Pair ifFalse)
{
  return mask ? ifTrue : ifFalse;
}

// One K-weighting stage of two channels side by side: each lane does
// exactly the operations of KWeightingFilter::Tick<false>, in the same
// order, so the values are bit for bit those of the scalar stage.
struct PairStage
{
  Pair b0, b1, b2, a1, a2, x1, x2, y1, y2;

  PairStage(const KWeightingFilter& l, const KWeightingFilter& r)
    : b0{l.b0, r.b0}, b1{l.b1, r.b1}, b2{l.b2, r.b2}, a1{l.a1, r.a1}, a2{l.a2, r.a2}, x1{l.x1, r.x1},
      x2{l.x2, r.x2}, y1{l.y1, r.y1}, y2{l.y2, r.y2}
  {
  }

  void Store(KWeightingFilter& l, KWeightingFilter& r) const
  {
    l.x1 = x1[0], r.x1 = x1[1];
    l.x2 = x2[0], r.x2 = x2[1];
    l.y1 = y1[0], r.y1 = y1[1];
    l.y2 = y2[0], r.y2 = y2[1];
    // After a step, x is x1 and y is y1.
    l.x = l.x1, r.x = r.x1;
    l.y = l.y1, r.y = r.y1;
  }

  Pair Tick(Pair in)
  {
    const Pair flush = Splat(KWeightingFilter::kFlush);
    const Pair zero = Splat(0.0);
    const Pair limit = Splat(kLargestMeasurableSample);
    // False for NaN lanes, as IsMeasurableSample is.
    const PairMask measurable = (in < limit) & (in > -limit);
    const PairMask tiny = (in < flush) & (in > -flush);
    const Pair xin = Select(measurable & ~tiny, in, zero);
    Pair out = b0 * xin + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    out = Select((out < flush) & (out > -flush), zero, out);
    x2 = x1;
    x1 = xin;
    y2 = y1;
    y1 = out;
    return out;
  }
};

// Both stages of two channels over a block; identical to KWeight on each.
void KWeightTwo(KWeightingFilter* stage1, KWeightingFilter* stage2, const double* in0, const double* in1,
                double* out0, double* out1, int32_t frames)
{
  PairStage s1(stage1[0], stage1[1]);
  PairStage s2(stage2[0], stage2[1]);
  for (int32_t i = 0; i < frames; ++i)
  {
    const Pair out = s2.Tick(s1.Tick(Pair{in0[i], in1[i]}));
    out0[i] = out[0];
    out1[i] = out[1];
  }
  s1.Store(stage1[0], stage1[1]);
  s2.Store(stage2[0], stage2[1]);
}

bool UndividedStages(const KWeightingFilter& stage1, const KWeightingFilter& stage2)
{
  return stage1.a0 == 1.0 && stage2.a0 == 1.0;
}

// Stands in for a missing input buffer.
constexpr std::array<double, 256> kSilentChunk{};

}  // namespace

CMEBUR128::CMEBUR128()
{
  Reset();
  mSampleCounter = 0;
  mHalfSecondCounter = 0;
  mElapsedMs = 0;
}

void CMEBUR128::SetSampleRate(double rate)
{
  if (!std::isfinite(rate) || rate <= 0.0)
    return;
  SampleRate = rate;
  Reset();
  mSampleCounter = 0;
  mHalfSecondCounter = 0;
}

bool CMEBUR128::GetName(char* buffer)
{
  if (buffer == nullptr)
    return false;
  std::memcpy(buffer, "EBUR128", sizeof("EBUR128"));
  return true;
}

void CMEBUR128::Reset()
{
  for (int32_t c = 0; c < kMaxChannels; ++c)
  {
    const size_t i = static_cast<size_t>(c);
    mOversamplers[i].Init(SampleRate);
    mStage1[i].DesignStage1(SampleRate);
    mStage2[i].DesignStage2(SampleRate);
    // A peak from before the reset must not be reported after it.
    mPeakDetectors[i].Clear();
  }
  mMomentary.Init(loudness::kMomentaryMs, loudness::kMomentaryOverlap, SampleRate);
  mShortTerm.Init(loudness::kShortTermMs, loudness::kShortTermOverlap, SampleRate);
  mGate.Clear();
  mRange.Clear();
  mTruePeakMaximum = 0.0;
}

void CMEBUR128::ClearState()
{
  for (int32_t c = 0; c < kMaxChannels; ++c)
  {
    const size_t i = static_cast<size_t>(c);
    mStage1[i].Clear();
    mStage2[i].Clear();
    mPeakDetectors[i].Clear();
  }
  mTruePeakMaximum = 0.0;
  mMomentary.Clear();
  mShortTerm.Clear();
  mGate.Clear();
  mRange.Clear();
}

void CMEBUR128::AddFrame(const double* values, int32_t n)
{
  if (values == nullptr)
    return;
  const int32_t channels = std::clamp(n, 0, kMaxChannels);
  for (int32_t c = 0; c < channels; ++c)
  {
    const size_t i = static_cast<size_t>(c);
    const double x = MeasurableSample(values[c]);
    mTruePeakMaximum = std::max(mTruePeakMaximum, mPeakDetectors[i].PushAndEvaluate(x));
    mFrameValues[i] = mStage2[i].Tick(mStage1[i].Tick(x));
  }
  TakeEnergy(LoudnessWindow::FrameEnergy(mFrameValues.data(), channels));
}

void CMEBUR128::TakeEnergy(double energy)
{
  if (mMomentary.AddEnergy(energy) != 0)
    mGate.AddBlock(mMomentary.Mean());
  if (mShortTerm.AddEnergy(energy) != 0)
    mRange.AddBlock(mShortTerm.Mean());
}

void CMEBUR128::CountFrame()
{
  ++mSampleCounter;
  if (mHalfSecondCounter >= static_cast<int64_t>(0.5 * SampleRate) - 1)
  {
    mElapsedMs = ElapsedMsOf(mSampleCounter, SampleRate);
    mHalfSecondCounter = 0;
  }
  else
  {
    ++mHalfSecondCounter;
  }
}

const double* CMEBUR128::MeasurableChunk(const double* in, int32_t frames, int32_t channel)
{
  // A scan without an early exit, which the compiler vectorises.
  bool measurable = true;
  for (int32_t i = 0; i < frames; ++i)
    measurable &= IsMeasurableSample(in[i]);
  if (measurable)
    return in;
  double* copy = mMeasurable.data() + static_cast<size_t>(channel) * kChunkFrames;
  for (int32_t i = 0; i < frames; ++i)
    copy[i] = MeasurableSample(in[i]);
  return copy;
}

void CMEBUR128::MeasureChunk(double* const* inputs, int32_t start, int32_t frames)
{
  const int32_t n = mChannelCount;
  // Each channel's peak detector and filters depend only on that channel, so
  // they run channel by channel over the chunk (the filters two channels at
  // a time); the windows then take the frames in order, exactly as
  // frame-by-frame AddFrame calls would.
  const double* in[kMaxChannels];
  double* z[kMaxChannels];
  for (int32_t c = 0; c < n; ++c)
  {
    const size_t ci = static_cast<size_t>(c);
    in[c] = inputs[c] != nullptr ? MeasurableChunk(inputs[c] + start, frames, c) : kSilentChunk.data();
    z[c] = mChunk.data() + ci * kChunkFrames;
    mTruePeakMaximum = std::max(mTruePeakMaximum, mPeakDetectors[ci].PushBlock(in[c], frames));
  }
  for (int32_t c = 0; c < n; ++c)
  {
    const size_t ci = static_cast<size_t>(c);
    if (c + 1 < n && UndividedStages(mStage1[ci], mStage2[ci]) && UndividedStages(mStage1[ci + 1], mStage2[ci + 1]))
    {
      KWeightTwo(&mStage1[ci], &mStage2[ci], in[c], in[c + 1], z[c], z[c + 1], frames);
      ++c;
    }
    else
    {
      KWeight(mStage1[ci], mStage2[ci], in[c], z[c], frames);
    }
  }
  LoudnessWindow::FrameEnergies(z, n, mEnergies.data(), frames);
  for (int32_t i = 0; i < frames; ++i)
  {
    TakeEnergy(mEnergies[static_cast<size_t>(i)]);
    CountFrame();
  }
}

void CMEBUR128::Process(double** inputs, double** outputs, int32_t frames)
{
  if (inputs == nullptr || frames <= 0)
    return;
  mChannelCount = static_cast<int32_t>(std::min<uint32_t>(NumInputs, kMaxChannels));
  for (int32_t start = 0; start < frames; start += kChunkFrames)
    MeasureChunk(inputs, start, std::min(kChunkFrames, frames - start));

  // The copy comes last so that an output buffer that is also another
  // channel's input cannot change what is measured.
  if (outputs == nullptr)
    return;
  for (uint32_t c = 0; c < NumInputs; ++c)
  {
    if (inputs[c] != nullptr && outputs[c] != nullptr && inputs[c] != outputs[c])
      std::memmove(outputs[c], inputs[c], static_cast<size_t>(frames) * sizeof(double));
  }
}

double CMEBUR128::GetIntegratedLufs() const
{
  return loudness::RoundToTenth(mGate.IntegratedLufs);
}

double CMEBUR128::GetLoudnessRange() const
{
  return loudness::RoundToTenth(mRange.Range);
}

double CMEBUR128::GetTruePeakDb() const
{
  return LinearToDb(mTruePeakMaximum);
}
