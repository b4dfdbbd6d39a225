// The built-in example: a synthetic voice-like programme that shows what
// riding is for. Phrases of syllable-shaped harmonic bursts with pauses
// between them, each phrase at its own level from about -38 to -8 dBFS, so
// the loudness range is wide before riding and narrow after.
#pragma once

#include "tools/AudioFile.h"

namespace auhost {

// `seconds` of mono audio at `sampleRate`; the same every time.
AudioData MakeExampleProgramme(double sampleRate = 48000.0, double seconds = 40.0);

} // namespace auhost
