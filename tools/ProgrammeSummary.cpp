#include "tools/ProgrammeSummary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "dsp/LoudnessUnits.h"

namespace auhost {

namespace {

// Both K-weighting stages of `n` channels (1 or 2) over a chunk, the
// channels side by side so their independent recursions overlap in the
// processor. kDivide = false only where every a0 is 1 (the same values).
template <bool kDivide>
void KWeight(KWeightingFilter* stage1, KWeightingFilter* stage2, int n, const float* const* in, double* const* out,
             int frames)
{
  // Local copies keep the states in registers over the chunk.
  KWeightingFilter a1 = stage1[0], a2 = stage2[0];
  if (n == 1)
  {
    for (int i = 0; i < frames; ++i)
      out[0][i] = a2.Tick<kDivide>(a1.Tick<kDivide>(static_cast<double>(in[0][i])));
  }
  else
  {
    KWeightingFilter b1 = stage1[1], b2 = stage2[1];
    for (int i = 0; i < frames; ++i)
    {
      out[0][i] = a2.Tick<kDivide>(a1.Tick<kDivide>(static_cast<double>(in[0][i])));
      out[1][i] = b2.Tick<kDivide>(b1.Tick<kDivide>(static_cast<double>(in[1][i])));
    }
    stage1[1] = b1;
    stage2[1] = b2;
  }
  stage1[0] = a1;
  stage2[0] = a2;
}

} // namespace

LoudnessMeter::LoudnessMeter(int channels, double sampleRate) : mChannels(std::clamp(channels, 1, 2))
{
  for (int c = 0; c < mChannels; ++c)
  {
    mStage1[c].DesignStage1(sampleRate);
    mStage2[c].DesignStage2(sampleRate);
  }
  mMomentary.Init(loudness::kMomentaryMs, loudness::kMomentaryOverlap, sampleRate);
  mShortTerm.Init(loudness::kShortTermMs, loudness::kShortTermOverlap, sampleRate);
}

void LoudnessMeter::Add(const float* const* channels, long count)
{
  for (long start = 0; start < count; start += kChunkFrames)
  {
    const int frames = static_cast<int>(std::min<long>(kChunkFrames, count - start));
    const float* in[2] = {channels[0] + start, channels[mChannels - 1] + start};
    double* weighted[2] = {mWeighted[0].data(), mWeighted[1].data()};
    bool divide = false;
    for (int c = 0; c < mChannels; ++c)
      divide = divide || mStage1[c].a0 != 1.0 || mStage2[c].a0 != 1.0;
    if (divide)
      KWeight<true>(mStage1.data(), mStage2.data(), mChannels, in, weighted, frames);
    else
      KWeight<false>(mStage1.data(), mStage2.data(), mChannels, in, weighted, frames);
    LoudnessWindow::FrameEnergies(weighted, mChannels, mEnergies.data(), frames);
    for (int i = 0; i < frames; ++i)
    {
      if (mMomentary.AddEnergy(mEnergies[i]) != 0)
        mGate.AddBlock(mMomentary.Mean());
      if (mShortTerm.AddEnergy(mEnergies[i]) != 0)
        mRange.AddBlock(mShortTerm.Mean());
    }
  }
}

Loudness LoudnessMeter::Result() const
{
  return {loudness::RoundToTenth(mGate.IntegratedLufs), loudness::RoundToTenth(mRange.Range)};
}

GainMeter::GainMeter(int channels, double sampleRate)
  : mChannels(channels), mWindow(std::max(1L, static_cast<long>(0.1 * sampleRate)))
{
}

template <typename Done>
void GainMeter::WindowSum::Add(const float* const* channels, int n, long count, long window, Done done)
{
  for (long at = 0; at < count;)
  {
    const long take = std::min(count - at, window - filled);
    for (int c = 0; c < n; ++c)
      for (long f = at; f < at + take; ++f)
        sum += double(channels[c][f]) * channels[c][f];
    at += take;
    filled += take;
    if (filled == window)
    {
      done(sum);
      sum = 0.0;
      filled = 0;
    }
  }
}

void GainMeter::AddInput(const float* const* channels, long count)
{
  mInput.Add(channels, mChannels, count, mWindow, [this](double sum) { mPendingInput.push_back(sum); });
}

void GainMeter::AddOutput(const float* const* channels, long count)
{
  mOutput.Add(channels, mChannels, count, mWindow, [this](double sum) {
    // An output window the input has not filled yet has no partner: the
    // output is never longer than the input.
    if (mPendingInput.empty())
      return;
    TakeWindow(mPendingInput.front(), sum);
    mPendingInput.pop_front();
  });
}

void GainMeter::TakeWindow(double pin, double pout)
{
  // Below this the input is a pause, and its ratio says nothing of a gain.
  const double floorPower = std::pow(10.0, -60.0 / 10.0);
  const double n = static_cast<double>(mWindow * mChannels);
  if (pin / n < floorPower || pout <= 0.0)
    return;
  const double db = 10.0 * std::log10(pout / pin);
  mStats.minDb = mStats.windows ? std::min(mStats.minDb, db) : db;
  mStats.maxDb = mStats.windows ? std::max(mStats.maxDb, db) : db;
  mSum += db;
  ++mStats.windows;
}

GainStats GainMeter::Result() const
{
  GainStats stats = mStats;
  stats.meanDb = stats.windows ? mSum / stats.windows : 0.0;
  return stats;
}

namespace {

std::vector<const float*> ChannelsOf(const AudioData& audio)
{
  std::vector<const float*> channels;
  for (const auto& channel : audio.channels)
    channels.push_back(channel.data());
  return channels;
}

} // namespace

bool LoudnessMeasurableAt(double sampleRate)
{
  return sampleRate > 2.0 * KWeightingFilter::kStage1F0;
}

Loudness MeasureLoudness(const AudioData& audio)
{
  LoudnessMeter meter(audio.NumChannels(), audio.sampleRate);
  meter.Add(ChannelsOf(audio).data(), audio.Frames());
  return meter.Result();
}

GainStats MeasureGain(const AudioData& input, const AudioData& output)
{
  GainMeter meter(input.NumChannels(), input.sampleRate);
  meter.AddInput(ChannelsOf(input).data(), input.Frames());
  meter.AddOutput(ChannelsOf(output).data(), output.Frames());
  return meter.Result();
}

std::string FormatSummary(const Loudness& in, const Loudness& out, const GainStats& gain, int latencySamples,
                          double sampleRate)
{
  char loudness[160];
  if (LoudnessMeasurableAt(sampleRate))
    std::snprintf(loudness, sizeof loudness,
                  "loudness        %7.1f LUFS %6.1f LUFS\n"
                  "loudness range  %7.1f LU   %6.1f LU\n",
                  in.integratedLufs, out.integratedLufs, in.rangeLu, out.rangeLu);
  else
    std::snprintf(loudness, sizeof loudness, "loudness        cannot be measured at %.0f Hz (it needs over %.0f Hz)\n",
                  sampleRate, std::ceil(2.0 * KWeightingFilter::kStage1F0));
  char text[512];
  std::snprintf(text, sizeof text,
                "                    input      output\n"
                "%s"
                "gain            min %+.1f dB, max %+.1f dB, mean %+.1f dB\n"
                "latency         %d samples (%.1f ms)\n",
                loudness, gain.minDb, gain.maxDb, gain.meanDb, latencySamples, 1000.0 * latencySamples / sampleRate);
  return text;
}

} // namespace auhost
