#pragma once

// What a component instance handle holds; private to the layer.

#include "AudioUnit/AUComponent.h"

struct ComponentInstanceRecord
{
  AudioComponentPlugInInterface* plugIn = nullptr;
  ComponentRoutine entry = nullptr;
  void* storage = nullptr;
};
