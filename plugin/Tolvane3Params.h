// The product's vocabulary: its 36 host parameters, the command tags the
// editor sends through the parameter-change road, and the "Fixed GUI Scale"
// list that stands outside the host's parameters.
//
// Parameter names are the keys under which presets and state store values,
// so they stay exactly as they are ("Detecion Mode" included).
#pragma once

#include "framework/IParam.h"
#include "framework/PluginBase.h"

namespace tolvane3 {

enum EParams : int
{
  kGUIScale = 0,
  kToggleTooltips,
  kCurrentGain,
  kFilterMode,
  kLowCut,
  kHighCut,
  kDetectionMode,
  kTargetLevel,
  kSensitivity,
  kPreDelay,
  kNoiseLevel,
  kRangeMin,
  kRangeMax,
  kIdleGain,
  kVolume,
  kAB,
  kAutomation,
  kDAWSync,
  kScopeXScale,
  kScopeXOffset,
  kScopeYScale,
  kScopeYOffset,
  kScopeInput,
  kScopeOutput,
  kScopeGain,
  kScopeRide,
  kScopePause,
  kScopeReset,
  kScopeScreen,
  kGainHold,
  kEnableNoiseDetection,
  kNoiseDetectionTiming,
  kOnlineUpdateCheck,
  kV1ClassicMeterMode,
  kV1ClassicITUPreFilter,
  kPreDelay1,
  kNumParams
};

enum ECommandTags : int
{
  kCmdShowAbout = 37,
  kCmdCheckForUpdate = 38,
  kCmdLoadPreset = 40,
  kCmdSavePreset = 41,
  kCmdSaveDefaultPreset = 42,
  kCmdRescanPresets = 43,
  kCmdScaleFromWindow = 46,
  kCmdScaleReset = 47,
  kCmdScaleMinimum = 48,
  kCmdFixedGUIScale = 49,
};

// The tag of "Fixed GUI Scale", the first (and only) extra parameter.
inline constexpr int kFirstExtraParamTag = kCmdFixedGUIScale;

// Defines the 36 parameters of plug (which must hold at least that many),
// in the order the product creates them.
void InitProductParams(plugkit::PluginBase& plug);

// Defines param as "Fixed GUI Scale": eleven entries "50%" .. "300%",
// default 2 ("100%").
void InitFixedGUIScaleParam(plugkit::IParam& param);

// The GUI scale an entry of "Fixed GUI Scale" stands for: 0.75 .. 2.75 in
// steps of 0.25 for 1 .. 9, the "GUI Scale" minimum for 0 and maximum for
// 10, its default for any other index.
double GUIScaleForIndex(const plugkit::IParam& guiScale, int index);

} // namespace tolvane3
