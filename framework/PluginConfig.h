#pragma once

#include <cstdint>

namespace plugkit {

// The plug-in's configuration record: filled once by the product's
// constructor and passed by value to the format wrapper, which hands the
// fields to the plug-in base, the API base and the processor base. A plain
// record; texts point at constants that outlive the plug-in.
//
// Four-character codes are 32-bit integers with the first character in the
// most significant byte.
struct PluginConfig
{
  int32_t paramCount = 0;
  int32_t presetCount = 0;
  const char* channelIOStr = "";
  const char* pluginName = "";
  const char* productName = "";
  const char* vendorName = "";
  int32_t vendorVersion = 0; // major << 16 | minor << 8 | patch
  int32_t uniqueId = 0;
  int32_t vendorId = 0;
  int32_t latency = 0;
  bool midiIn = false;
  bool midiOut = false;
  bool mpe = false;
  bool stateChunks = false;
  int32_t pluginType = 0; // 0 effect, 1 instrument, 2 MIDI effect
  bool hasUI = false;
  int32_t width = 0;
  int32_t height = 0;
  int32_t minWidth = 0;
  int32_t maxWidth = 0;
  int32_t minHeight = 0;
  int32_t maxHeight = 0;
  bool hostResize = false;
  const char* bundleId = "";
};

} // namespace plugkit
