#pragma once

#include "tests/framework/fakes/StandalonePlugin.h"

// The plug-in whose preset the source writers write at build time
// (WritePresetSources.cpp) and which the statements they wrote rebuild in
// PresetSourceTest.cpp. Values have at most six decimals, so the written
// text holds them exactly.
namespace presetsource {

enum EParams
{
  kBypass = 0,
  kMode,
  kVoices,
  kMix,
  kNumParams
};

inline const char* const kParamEnumNames[kNumParams] = {"kBypass", "kMode", "kVoices", "kMix"};

// A name a string literal must escape.
inline const char kPresetName[] = "Say \"hi\"\t\\ bye";

inline void DefineParams(plugkit::PluginBase& plugin)
{
  plugin.GetParam(kBypass)->InitBool("Bypass", false);
  plugin.GetParam(kMode)->InitEnum("Mode", 0, {"A", "B", "C"});
  plugin.GetParam(kVoices)->InitInt("Voices", 1, -8, 8);
  plugin.GetParam(kMix)->InitDouble("Mix", 0.0, -1.0, 1.0, 0.0);
}

// The original: the values set and stored as the current preset.
inline void MakeOriginal(plugkit::PluginBase& plugin)
{
  DefineParams(plugin);
  plugin.GetParam(kBypass)->Set(1.0);
  plugin.GetParam(kMode)->Set(2.0);
  plugin.GetParam(kVoices)->Set(-3.0);
  plugin.GetParam(kMix)->Set(-0.328125);
  plugin.MakeDefaultPreset(kPresetName);
}

} // namespace presetsource
