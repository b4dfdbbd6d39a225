// The product's parameters as hosts and stored presets see them.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "plugin/Tolvane3Params.h"
#include "tests/plugin/support/StatePlugin.h"

namespace {

using testsupport::StatePlugin;
using namespace tolvane3;

std::string Display(const plugkit::IParam& p)
{
  PK_String s;
  p.GetDisplay(s);
  return std::string(s.Get()) + (*p.GetLabel() ? std::string(" ") + p.GetLabel() : "");
}

TEST(Params, NamesAreTheStoredKeysInIndexOrder)
{
  const std::vector<std::string> want = {"GUI Scale", "Toggle Tooltips", "Current Gain", "Filter Mode", "Low Cut",
    "High Cut", "Detecion Mode", "Target Level", "Sensitivity", "Pre-Delay", "Noise Level", "Range Min", "Range Max",
    "Idle Gain", "Volume", "AB", "Automation", "DAW Sync", "ScopeX Scale", "ScopeX Offset", "ScopeY Scale",
    "ScopeY Offset", "Scope Input", "Scope Output", "Scope Gain", "Scope Ride", "Scope Pause", "Scope Reset",
    "Scope Screen", "Gain Hold", "Enable Noise Detection", "Noise Detection Timing", "Online Update Check",
    "V1 Classic Meter Mode", "V1 Classic ITU PreFilter", "PreDelay1"};
  StatePlugin plug;
  std::vector<std::string> names, cannotAutomate;
  for (int i = 0; i < plug.NParams(); ++i)
  {
    names.push_back(plug.GetParam(i)->GetName());
    if (!plug.GetParam(i)->GetCanAutomate())
      cannotAutomate.push_back(names.back());
  }
  EXPECT_EQ(names, want);
  EXPECT_EQ(cannotAutomate, (std::vector<std::string>{"GUI Scale", "Toggle Tooltips", "Pre-Delay",
    "Online Update Check", "V1 Classic Meter Mode", "V1 Classic ITU PreFilter", "PreDelay1"}));
}

TEST(Params, AFreshInstanceShowsItsDefaults)
{
  struct Case
  {
    int idx;
    const char* display;
    double step;
  };
  const Case cases[] = {
    {kTargetLevel, "-18.0 dB", 0.1}, {kNoiseLevel, "-48.0 dB", 0.1}, {kRangeMin, "-9.0 dB", 0.1},
    {kRangeMax, "9.0 dB", 0.1}, {kSensitivity, "400 ms", 1.0}, {kLowCut, "300 Hz", 1.0},
    {kHighCut, "3400 Hz", 1.0}, {kPreDelay1, "75 %", 1.0}, {kCurrentGain, "0.00 dB", 0.01},
    {kScopeInput, "On", 1.0}, {kScopeOutput, "On", 1.0}, {kScopeGain, "On", 1.0}, {kScopeRide, "On", 1.0},
    {kScopePause, "Off", 1.0}, {kScopeYOffset, "100 %", 1.0}, {kScopeXOffset, "0 %", 1.0},
    {kDetectionMode, "Internal", 1.0}, {kAutomation, "Idle", 1.0}, {kGUIScale, "1.00", 0.01},
  };
  StatePlugin plug;
  for (const Case& c : cases)
  {
    const plugkit::IParam& p = *plug.GetParam(c.idx);
    SCOPED_TRACE(p.GetName());
    EXPECT_EQ(Display(p), c.display);
    EXPECT_EQ(p.GetStep(), c.step);
  }
  plugkit::IParam& mode = *plug.GetParam(kDetectionMode);
  mode.Set(2.0);
  EXPECT_EQ(Display(mode), "SideChain2");
}

TEST(Params, FixedGUIScaleEntriesMapToScales)
{
  StatePlugin plug;
  const plugkit::IParam& scale = *plug.GetParam(kGUIScale);
  plugkit::IParam fixed;
  InitFixedGUIScaleParam(fixed);
  EXPECT_EQ(fixed.Value(), 2.0);
  const double want[] = {0.5, 0.75, 1.0, 1.25, 1.5, 1.75, 2.0, 2.25, 2.5, 2.75, 3.0};
  for (int i = 0; i <= 10; ++i)
  {
    EXPECT_EQ(GUIScaleForIndex(scale, i), want[i]) << i;
    EXPECT_EQ(std::string(fixed.GetDisplayTextForValue(i)), std::to_string(static_cast<int>(want[i] * 100)) + "%");
  }
  for (int other : {-1, 11, 1000})
    EXPECT_EQ(GUIScaleForIndex(scale, other), 1.0) << other;
}

} // namespace
