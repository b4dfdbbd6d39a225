#include "dsp/LoudnessGate.h"

#include "dsp/LoudnessUnits.h"

namespace
{
constexpr double kNoBlockLufs = -141.0;
}

void LoudnessGate::Clear()
{
  mBlocks.Clear();
  Sum = 0.0;
  Count = 0;
  AbsoluteGatedLufs = kNoBlockLufs;
  IntegratedLufs = kNoBlockLufs;
}

void LoudnessGate::AddBlock(double energy)
{
  const double lufs = loudness::OfMeanSquare(energy);
  if (lufs >= AbsoluteGate)
  {
    Sum += energy;
    mBlocks.Add(lufs, energy);
    ++Count;
  }
  if (Count == 0)
  {
    AbsoluteGatedLufs = IntegratedLufs;
    return;
  }
  AbsoluteGatedLufs = loudness::OfMeanSquare(Sum / static_cast<double>(Count));
  const LoudnessHistogram::Totals kept = mBlocks.AtOrAbove(AbsoluteGatedLufs + RelativeGate);
  IntegratedLufs = kept.count == 0
                     ? loudness::kSilenceLufs
                     : loudness::OfMeanSquare(kept.energy / static_cast<double>(kept.count));
}
