#pragma once

#include <cstring>

#include "framework/IByteChunk.h"

namespace plugkit {

// One preset slot of the plug-in base: whether it holds a preset, its name
// and a copy of the plug-in's state. A new slot is free: not initialised,
// named "empty", with an empty chunk. Owned by the plug-in base's preset
// list; used on the main thread only.
struct IPreset
{
  static constexpr int kNameFieldSize = 256;

  IPreset() { std::strcpy(mName, "empty"); }

  bool mInitialized = false;
  // Zero-terminated; longer names are cut to 255 bytes.
  char mName[kNameFieldSize];
  IByteChunk mChunk{4096};
};

} // namespace plugkit
