#include "plugin/Tolvane3Params.h"

#include <initializer_list>

namespace tolvane3 {

namespace {

using plugkit::IParam;

constexpr int CA = IParam::kFlagCannotAutomate;

// A double parameter; exponent 0 is the linear shape, else a power curve.
struct DoubleSpec
{
  int idx;
  const char* name;
  const char* label;
  double min, max, step, def;
  double exponent;
  int flags;
  const char* group;
};

// An enumerated parameter: value i shows texts[i].
struct EnumSpec
{
  int idx;
  const char* name;
  int def;
  int flags;
  const char* group;
  std::initializer_list<const char*> texts;
};

// One row of the creation order: either kind.
struct Row
{
  const DoubleSpec* d;
  const EnumSpec* e;
};

#define OFF_ON {"Off", "On"}
constexpr const char* kGUI = "GUI";
constexpr const char* kProc = "Processing";
constexpr const char* kAuto = "Automation";
constexpr const char* kScope = "Scope";

const DoubleSpec kGUIScaleSpec{kGUIScale, "GUI Scale", "", 0.5, 3.0, 0.01, 1.0, 0, CA, kGUI};
const DoubleSpec kCurrentGainSpec{kCurrentGain, "Current Gain", "dB", -24.0, 24.0, 0.01, 0.0, 0, 0, kAuto};
const DoubleSpec kLowCutSpec{kLowCut, "Low Cut", "Hz", 10.0, 22000.0, 1.0, 300.0, 4.0, 0, kProc};
const DoubleSpec kHighCutSpec{kHighCut, "High Cut", "Hz", 10.0, 22000.0, 1.0, 3400.0, 4.0, 0, kProc};
const DoubleSpec kTargetSpec{kTargetLevel, "Target Level", "dB", -90.0, 0.0, 0.1, -18.0, 0, 0, kProc};
const DoubleSpec kSensitivitySpec{kSensitivity, "Sensitivity", "ms", 10.0, 3000.0, 1.0, 400.0, 2.0, 0, kProc};
const DoubleSpec kPreDelaySpec{kPreDelay, "Pre-Delay", "ms", 0.0, 3000.0, 1.0, 0.0, 2.0, CA, kProc};
const DoubleSpec kPreDelay1Spec{kPreDelay1, "PreDelay1", "%", 0.0, 100.0, 1.0, 75.0, 0, CA, kProc};
const DoubleSpec kNoiseSpec{kNoiseLevel, "Noise Level", "dB", -90.0, 0.0, 0.1, -48.0, 0, 0, kProc};
const DoubleSpec kRangeMinSpec{kRangeMin, "Range Min", "dB", -24.0, 24.0, 0.1, -9.0, 0, 0, kProc};
const DoubleSpec kRangeMaxSpec{kRangeMax, "Range Max", "dB", -24.0, 24.0, 0.1, 9.0, 0, 0, kProc};
const DoubleSpec kIdleGainSpec{kIdleGain, "Idle Gain", "dB", -24.0, 24.0, 0.1, 0.0, 0, 0, kProc};
const DoubleSpec kVolumeSpec{kVolume, "Volume", "dB", -24.0, 24.0, 0.1, 0.0, 0, 0, kProc};
const DoubleSpec kTimingSpec{kNoiseDetectionTiming, "Noise Detection Timing", "ms", 1.0, 3000.0, 1.0, 100.0, 2.0, 0, kProc};
const DoubleSpec kXScaleSpec{kScopeXScale, "ScopeX Scale", "%", 0.0, 100.0, 1.0, 100.0, 0, 0, kScope};
const DoubleSpec kXOffsetSpec{kScopeXOffset, "ScopeX Offset", "%", 0.0, 100.0, 1.0, 0.0, 0, 0, kScope};
const DoubleSpec kYScaleSpec{kScopeYScale, "ScopeY Scale", "%", 0.0, 100.0, 1.0, 100.0, 0, 0, kScope};
const DoubleSpec kYOffsetSpec{kScopeYOffset, "ScopeY Offset", "%", 0.0, 100.0, 1.0, 100.0, 0, 0, kScope};

const EnumSpec kTooltipsSpec{kToggleTooltips, "Toggle Tooltips", 1, CA, kGUI, OFF_ON};
const EnumSpec kUpdateCheckSpec{kOnlineUpdateCheck, "Online Update Check", 1, CA, kGUI, OFF_ON};
const EnumSpec kABSpec{kAB, "AB", 0, 0, kProc, OFF_ON};
const EnumSpec kDAWSyncSpec{kDAWSync, "DAW Sync", 0, 0, kAuto, OFF_ON};
const EnumSpec kAutomationSpec{kAutomation, "Automation", 0, 0, kAuto, {"Idle", "Write", "Read"}};
const EnumSpec kFilterModeSpec{kFilterMode, "Filter Mode", 0, 0, kProc, OFF_ON};
const EnumSpec kDetectionSpec{kDetectionMode, "Detecion Mode", 0, 0, kProc, {"Internal", "SideChain1", "SideChain2"}};
const EnumSpec kGainHoldSpec{kGainHold, "Gain Hold", 0, 0, kProc, OFF_ON};
const EnumSpec kNoiseDetSpec{kEnableNoiseDetection, "Enable Noise Detection", 0, 0, kProc, OFF_ON};
const EnumSpec kInputSpec{kScopeInput, "Scope Input", 1, 0, kScope, OFF_ON};
const EnumSpec kOutputSpec{kScopeOutput, "Scope Output", 1, 0, kScope, OFF_ON};
const EnumSpec kGainSpec{kScopeGain, "Scope Gain", 1, 0, kScope, OFF_ON};
const EnumSpec kRideSpec{kScopeRide, "Scope Ride", 1, 0, kScope, OFF_ON};
const EnumSpec kPauseSpec{kScopePause, "Scope Pause", 0, 0, kScope, OFF_ON};
const EnumSpec kResetSpec{kScopeReset, "Scope Reset", 0, 0, kScope, OFF_ON};
const EnumSpec kScreenSpec{kScopeScreen, "Scope Screen", 1, 0, kScope, OFF_ON};
const EnumSpec kV1Spec{kV1ClassicMeterMode, "V1 Classic Meter Mode", 0, CA, kProc, OFF_ON};
const EnumSpec kITUSpec{kV1ClassicITUPreFilter, "V1 Classic ITU PreFilter", 0, CA, kProc, OFF_ON};
#undef OFF_ON

// The order of creation.
const Row kRows[] = {
  {&kGUIScaleSpec, nullptr}, {nullptr, &kTooltipsSpec}, {nullptr, &kUpdateCheckSpec},
  {&kCurrentGainSpec, nullptr}, {nullptr, &kABSpec}, {nullptr, &kDAWSyncSpec}, {nullptr, &kAutomationSpec},
  {nullptr, &kFilterModeSpec}, {&kLowCutSpec, nullptr}, {&kHighCutSpec, nullptr}, {nullptr, &kDetectionSpec},
  {&kTargetSpec, nullptr}, {&kSensitivitySpec, nullptr}, {&kPreDelaySpec, nullptr}, {&kPreDelay1Spec, nullptr},
  {&kNoiseSpec, nullptr}, {&kRangeMinSpec, nullptr}, {&kRangeMaxSpec, nullptr}, {&kIdleGainSpec, nullptr},
  {&kVolumeSpec, nullptr}, {nullptr, &kGainHoldSpec}, {nullptr, &kNoiseDetSpec}, {&kTimingSpec, nullptr},
  {&kXScaleSpec, nullptr}, {&kXOffsetSpec, nullptr}, {&kYScaleSpec, nullptr}, {&kYOffsetSpec, nullptr},
  {nullptr, &kInputSpec}, {nullptr, &kOutputSpec}, {nullptr, &kGainSpec}, {nullptr, &kRideSpec},
  {nullptr, &kPauseSpec}, {nullptr, &kResetSpec}, {nullptr, &kScreenSpec}, {nullptr, &kV1Spec},
  {nullptr, &kITUSpec},
};

void InitDoubleParam(IParam& p, const DoubleSpec& s)
{
  if (s.exponent > 0.0)
    p.InitDouble(s.name, s.def, s.min, s.max, s.step, s.label, s.flags, s.group, IParam::ShapePowCurve(s.exponent));
  else
    p.InitDouble(s.name, s.def, s.min, s.max, s.step, s.label, s.flags, s.group);
}

void InitEnumParam(IParam& p, const EnumSpec& s)
{
  // The count first, then one display text per value in value order.
  p.InitEnum(s.name, s.def, static_cast<int>(s.texts.size()), "", s.flags, s.group);
  int value = 0;
  for (const char* text : s.texts)
    p.SetDisplayText(value++, text);
}

} // namespace

void InitProductParams(plugkit::PluginBase& plug)
{
  for (const Row& row : kRows)
  {
    IParam* p = plug.GetParam(row.d ? row.d->idx : row.e->idx);
    if (!p)
      continue;
    if (row.d)
      InitDoubleParam(*p, *row.d);
    else
      InitEnumParam(*p, *row.e);
  }
}

void InitFixedGUIScaleParam(IParam& param)
{
  param.InitEnum("Fixed GUI Scale", 2, 11, "", 0, "");
  const char* texts[] = {"50%", "75%", "100%", "125%", "150%", "175%", "200%", "225%", "250%", "275%", "300%"};
  int value = 0;
  for (const char* text : texts)
    param.SetDisplayText(value++, text);
}

double GUIScaleForIndex(const IParam& guiScale, int index)
{
  if (index == 0)
    return guiScale.GetMin();
  if (index == 10)
    return guiScale.GetMax();
  if (index >= 1 && index <= 9)
    return 0.5 + 0.25 * index;
  return guiScale.GetDefault();
}

} // namespace tolvane3
