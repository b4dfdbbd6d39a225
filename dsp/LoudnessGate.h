// Integrated loudness: the mean of the 400 ms block energies behind an
// absolute gate at -70 LUFS and a relative gate 10 LU below the mean of the
// blocks that passed the absolute gate.
//
// Every block that passes the absolute gate is kept for as long as the meter
// runs (in a LoudnessHistogram, so a ten-hour programme costs no more memory
// or time per block than a ten-second one). Owned by CMEBUR128; whichever
// thread owns the meter calls it. Only the constructor allocates.
#pragma once

#include <cstdint>

#include "dsp/LoudnessHistogram.h"

class LoudnessGate
{
public:
  LoudnessGate() { Clear(); }

  // Forgets every block; both loudness values return to -141.0.
  void Clear();
  // Adds one block energy (a channel-weighted mean square) and recomputes.
  void AddBlock(double energy);

  // Loudness of the mean of the blocks above the absolute gate.
  double AbsoluteGatedLufs = -141.0;
  // Loudness of the mean of the blocks above both gates (-144.0 when none).
  double IntegratedLufs = -141.0;
  // Sum of the energies and number of the blocks above the absolute gate.
  double Sum = 0.0;
  int64_t Count = 0;
  double AbsoluteGate = -70.0;
  double RelativeGate = -10.0;

private:
  LoudnessHistogram mBlocks;
};
