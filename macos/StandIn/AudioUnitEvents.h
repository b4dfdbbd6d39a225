#pragma once

// The events units sent through AUEventListenerNotify, in order, for tests
// to read. Thread-safe.

#include <vector>

#include "AudioToolbox/AudioUnitUtilities.h"

namespace standin {

std::vector<AudioUnitEvent> RecordedAudioUnitEvents();
void ClearRecordedAudioUnitEvents();

} // namespace standin
