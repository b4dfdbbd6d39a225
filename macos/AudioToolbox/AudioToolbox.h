#pragma once

#include "AudioToolbox/AudioUnitUtilities.h"
#include "AudioUnit/AudioUnit.h"
