#pragma once

#include "AudioUnit/AUComponent.h"
#include "AudioUnit/AudioUnitProperties.h"
#include "AudioUnit/MusicDevice.h"
