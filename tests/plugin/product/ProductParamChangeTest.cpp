// Parameter changes and commands, from the host and from the editor.
#include <vector>

#include <gtest/gtest.h>

#include "tests/plugin/support/ProductHost.h"
#include "tests/support/TempHome.h"

namespace {

using namespace tolvane3;
using testsupport::ProductUnit;
using testsupport::Sine;

void Command(Tolvane3& plug, int tag)
{
  plug.OnParamChange(tag, plugkit::kSourceUI, -1);
}

class ProductParamChangeTest : public testsupport::TempHomeTest
{
protected:
  void SetUp() override
  {
    TempHomeTest::SetUp();
    unit = std::make_unique<ProductUnit>();
    ASSERT_EQ(unit->Initialize(), noErr);
  }
  void TearDown() override
  {
    unit.reset();
    TempHomeTest::TearDown();
  }
  Tolvane3& Plug() { return unit->Plug(); }
  const RideEngineState& State() { return Plug().Engine().State(); }
  std::unique_ptr<ProductUnit> unit;
};

TEST_F(ProductParamChangeTest, HostChangesOfNonAutomatableParametersAreIgnored)
{
  struct Case
  {
    int idx;
    double value;
    double (*mirror)(Tolvane3&);
  };
  const Case cases[] = {
    {kPreDelay, 750.0, [](Tolvane3& p) { return p.Engine().State().preDelayMs; }},
    {kPreDelay1, 50.0, [](Tolvane3& p) { return p.Engine().State().preDelayFractionPct; }},
    {kV1ClassicMeterMode, 1.0, [](Tolvane3& p) { return double(p.Engine().State().classicMode); }},
    {kV1ClassicITUPreFilter, 1.0, [](Tolvane3& p) { return double(p.Engine().State().classicITUPreFilter); }},
    {kGUIScale, 2.0, [](Tolvane3& p) { return p.GetGUIScale(); }},
    {kToggleTooltips, 0.0, [](Tolvane3& p) { return double(p.GetTooltips()); }},
    {kOnlineUpdateCheck, 0.0, [](Tolvane3& p) { return double(p.GetOnlineUpdateCheck()); }},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(Plug().GetParam(c.idx)->GetName());
    const double before = c.mirror(Plug());
    EXPECT_EQ(unit->SetParam(c.idx, c.value), noErr);
    EXPECT_EQ(unit->Param(c.idx), c.value);
    EXPECT_EQ(c.mirror(Plug()), before);
    unit->FromEditor(c.idx, c.value);
    EXPECT_EQ(c.mirror(Plug()), c.value);
  }
  EXPECT_EQ(Plug().GetLatencyWanted(), Plug().GetLatencySamples());
}

TEST_F(ProductParamChangeTest, HostChangesReachTheEngines)
{
  using S = RideEngineState;
  struct Case
  {
    int idx;
    double value;
    double (*mirror)(const S&);
  };
  const Case cases[] = {
    {kFilterMode, 1, [](const S& s) { return double(s.filterMode); }},
    {kLowCut, 120, [](const S& s) { return s.lowCutHz; }},
    {kHighCut, 5000, [](const S& s) { return s.highCutHz; }},
    {kDetectionMode, 2, [](const S& s) { return double(s.detectionMode); }},
    {kTargetLevel, -12, [](const S& s) { return s.targetLevelDb; }},
    {kSensitivity, 900, [](const S& s) { return s.sensitivityMs; }},
    {kNoiseLevel, -60, [](const S& s) { return s.noiseLevelDb; }},
    {kRangeMin, -3, [](const S& s) { return s.rangeMinDb; }},
    {kRangeMax, 12, [](const S& s) { return s.rangeMaxDb; }},
    {kIdleGain, -6, [](const S& s) { return s.idleGainDb; }},
    {kVolume, 2, [](const S& s) { return s.volumeDb; }},
    {kAB, 1, [](const S& s) { return double(s.ab); }},
    {kAutomation, 1, [](const S& s) { return double(s.automationMode); }},
    {kDAWSync, 1, [](const S& s) { return double(s.dawSync); }},
    {kGainHold, 1, [](const S& s) { return double(s.gainHold); }},
    {kEnableNoiseDetection, 1, [](const S& s) { return double(s.noiseDetection); }},
    {kNoiseDetectionTiming, 250, [](const S& s) { return s.noiseDetectionTimingMs; }},
  };
  for (const Case& c : cases)
  {
    unit->SetParam(c.idx, c.value);
    EXPECT_EQ(c.mirror(State()), c.value) << Plug().GetParam(c.idx)->GetName();
  }
  // The classic engine follows too.
  const CMTolvaneV1& classic = Plug().ClassicEngine();
  EXPECT_EQ(classic.IdleGainDb, -6.0);
  EXPECT_EQ(classic.TargetDb, -12.0);
  EXPECT_EQ(classic.RideEnabled, 0);
}

TEST_F(ProductParamChangeTest, AnUnchangedComparedValueRunsNoFollowUp)
{
  for (int i = 0; i < 20; ++i)
    unit->Process(Sine(2048));
  const double gain = Plug().Engine().SmoothedGainDb();
  ASSERT_NE(gain, 0.0);
  for (int idx : {kSensitivity, kFilterMode, kDetectionMode, kLowCut, kPreDelay})
  {
    unit->FromEditor(idx, unit->Param(idx));
    EXPECT_EQ(Plug().Engine().SmoothedGainDb(), gain) << Plug().GetParam(idx)->GetName();
  }
  unit->FromEditor(kSensitivity, 401.0);
  EXPECT_EQ(Plug().Engine().SmoothedGainDb(), 0.0);
}

TEST_F(ProductParamChangeTest, CurrentGainFollowsTheHostOnlyInAutomationRead)
{
  for (double mode : {0.0, 1.0, 2.0})
  {
    unit->SetParam(kAutomation, mode);
    EXPECT_EQ(Plug().Engine().CurrentGainDb(), 0.0);
    unit->SetParam(kCurrentGain, 5.0);
    EXPECT_EQ(Plug().Engine().CurrentGainDb(), mode == 2.0 ? 5.0 : 0.0) << mode;
  }
}

TEST_F(ProductParamChangeTest, ScopeResetClearsOnItsRisingEdgeOnly)
{
  const ScopeHistory& scope = Plug().GetScopeHistory();
  struct Step
  {
    double value;
    int countAfter;
  };
  for (const Step& s : {Step{1.0, 0}, {1.0, 1}, {0.0, 2}, {1.0, 0}})
  {
    unit->Process(Sine(4410));
    unit->SetParam(kScopeReset, s.value);
    EXPECT_EQ(scope.Count(), s.countAfter) << s.value;
  }
}

TEST_F(ProductParamChangeTest, GUIScaleCommandsSetTheScaleAndAskForAResize)
{
  struct Case
  {
    int tag;
    double fixedIndex;
    double scale;
  };
  for (const Case& c : {Case{kCmdScaleMinimum, 0, 0.5}, {kCmdScaleReset, 0, 1.0}, {kCmdFixedGUIScale, 10, 3.0},
                        {kCmdFixedGUIScale, 4, 1.5}, {kCmdFixedGUIScale, 0, 0.5}})
  {
    SCOPED_TRACE(c.tag);
    ProductUnit fresh;
    Tolvane3& plug = fresh.Plug();
    plug.GetParam(kGUIScale)->Set(2.0);
    plug.GetExtraParam(kCmdFixedGUIScale)->Set(c.fixedIndex);
    ASSERT_FALSE(plug.IsResizePending());
    Command(plug, c.tag);
    EXPECT_EQ(plug.GetGUIScale(), c.scale);
    EXPECT_EQ(fresh.Param(kGUIScale), c.scale);
    EXPECT_TRUE(plug.IsResizePending());
  }
  // Commands that need an open editor do nothing without one.
  const double scale = Plug().GetGUIScale();
  for (int tag : {kCmdShowAbout, kCmdCheckForUpdate, kCmdScaleFromWindow, kCmdSaveDefaultPreset, kCmdLoadPreset})
    Command(Plug(), tag);
  EXPECT_FALSE(Plug().IsAboutPending());
  EXPECT_FALSE(Plug().IsUpdateCheckPending());
  EXPECT_EQ(Plug().GetGUIScale(), scale);
}

} // namespace
