// The product's idle work, driven by its 20 ms timer on the stand-in's main
// run loop: automation points sent to the host, work that waits for an
// editor, the update checks against a loopback server, and the About box.
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "StandIn/AudioUnitEvents.h"
#include "StandIn/Hooks.h"
#include "graphics/controls/IPopupMenuControl.h"
#include "plugin/UpdateCheck.h"
#include "tests/framework/fakes/FakeGfx.h"
#include "tests/plugin/support/LoopbackServer.h"
#include "tests/plugin/support/ProductHost.h"
#include "tests/support/TempHome.h"

namespace {

using namespace tolvane3;
using fakes::FakeControl;
using fakes::FakeGfx;
using testsupport::LoopbackServer;
using testsupport::ProductUnit;

// A drawn menu a test can close again.
class TestMenu : public plugkit::gfx::IPopupMenuControl
{
public:
  void Collapse() { mState = kCollapsed; }
};

class ProductIdleTest : public testsupport::TempHomeTest
{
protected:
  void SetUp() override
  {
    TempHomeTest::SetUp();
    standin::ResetMainLoop();
    standin::UseManualClock(1000.0);
    UpdateState() = ProcessUpdateState();
    SetEditorFunctions(
      [](plugkit::gfx::IGEditorDelegate& dlg, const GraphicsRequest& r) {
        return new FakeGfx(dlg, r.width, r.height, r.fps, r.scale);
      },
      [this](Tolvane3& plug, plugkit::gfx::IGfx& g) {
        g.AttachControl(new FakeControl(plugkit::gfx::IRECT{0, 0, 1008, 584}));
        g.AttachControl(new FakeControl(plugkit::gfx::IRECT{900, 10, 930, 40}));
        g.AttachPopupMenuControl(menu = new TestMenu);
        plug.UpdateIconControlIndex = 1;
        plug.LayoutDone();
      });
  }
  void TearDown() override
  {
    units.clear();
    SetEditorFunctions(nullptr, nullptr);
    unsetenv("TOLVANE3_UPDATE_CHECK_BASE_URL");
    setenv("TOLVANE3_UPDATE_CHECK_BASE_URL", "http://127.0.0.1:9", 1);
    standin::ResetMainLoop();
    standin::UseRealClock();
    TempHomeTest::TearDown();
  }

  ProductUnit& NewUnit(const char* host = "com.cockos.reaper", bool editor = true)
  {
    units.push_back(std::make_unique<ProductUnit>());
    ProductUnit& unit = *units.back();
    EXPECT_EQ(unit.Initialize(host), noErr);
    if (editor)
      unit.Plug().OpenWindow(nullptr);
    return unit;
  }
  static void Tick() { standin::RunMainLoopFor(0.020); }
  static FakeGfx& UI(ProductUnit& unit) { return *static_cast<FakeGfx*>(unit.Plug().GetUI()); }
  static double Icon(ProductUnit& unit) { return UI(unit).GetControl(1)->GetValue(0); }
  static void Command(ProductUnit& unit, int tag) { unit.Plug().OnParamChange(tag, plugkit::kSourceUI, -1); }
  // What block processing leaves for the idle work every automation period.
  static void RideTo(ProductUnit& unit, double gainDb, bool pointDue = true)
  {
    RideEngineState& s = const_cast<RideEngine&>(unit.Plug().Engine()).State();
    s.currentGainDb.store(gainDb);
    if (pointDue)
      s.automationWritePending.store(true);
  }
  static void ServeAt(const LoopbackServer& server) { setenv("TOLVANE3_UPDATE_CHECK_BASE_URL", server.BaseUrl().c_str(), 1); }

  std::vector<std::unique_ptr<ProductUnit>> units;
  TestMenu* menu = nullptr;
};

// Event type and parameter of every recorded host event.
std::vector<std::pair<int, int>> HostEvents()
{
  std::vector<std::pair<int, int>> got;
  for (const AudioUnitEvent& e : standin::RecordedAudioUnitEvents())
    got.emplace_back(static_cast<int>(e.mEventType), static_cast<int>(e.mArgument.mParameter.mParameterID));
  return got;
}

TEST_F(ProductIdleTest, WriteModeSendsTheRidingGainFramedByGesturesWhereTheHostNeedsThem)
{
  const std::pair<int, int> begin{kAudioUnitEvent_BeginParameterChangeGesture, kCurrentGain},
    value{kAudioUnitEvent_ParameterValueChange, kCurrentGain}, end{kAudioUnitEvent_EndParameterChangeGesture, kCurrentGain};
  struct Case
  {
    const char* host;
    double gainDb;
    double wantDb;
    const char* wantDisplay;
    std::vector<std::pair<int, int>> wantEvents;
  };
  const Case cases[] = {
    {"com.apple.logic10", 3.456, 3.456, "3.46", {begin, value, end}},
    {"com.cockos.reaper", 3.456, 3.456, "3.46", {value}},
    {"com.cockos.reaper", -144.0, -24.0, "-24.00", {value}},
    {"Bitwig Studio", 30.0, 24.0, "24.00", {begin, value, end}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(std::string(c.host) + " " + std::to_string(c.gainDb));
    ProductUnit& unit = NewUnit(c.host, false);
    ASSERT_EQ(unit.SetParam(kAutomation, RideEngineState::kAutomationWrite), noErr);
    RideTo(unit, c.gainDb);
    standin::ClearRecordedAudioUnitEvents();
    Tick();
    EXPECT_EQ(HostEvents(), c.wantEvents);
    EXPECT_NEAR(unit.Param(kCurrentGain), c.wantDb, 1e-9);
    PK_String display;
    unit.Plug().GetParam(kCurrentGain)->GetDisplay(display);
    EXPECT_STREQ(display.Get(), c.wantDisplay);

    // Idle stops the writes at once; the request waits for the next Write.
    ASSERT_EQ(unit.SetParam(kAutomation, RideEngineState::kAutomationIdle), noErr);
    RideTo(unit, 1.0);
    standin::ClearRecordedAudioUnitEvents();
    Tick();
    Tick();
    EXPECT_TRUE(HostEvents().empty());
    EXPECT_TRUE(unit.Plug().Engine().State().automationWritePending.load());
    ASSERT_EQ(unit.SetParam(kAutomation, RideEngineState::kAutomationWrite), noErr);
    RideTo(unit, 1.0, false);
    Tick();
    EXPECT_NEAR(unit.Param(kCurrentGain), 1.0, 1e-9) << "the waiting request is served at once";
    units.clear();
  }
}

TEST_F(ProductIdleTest, WithoutAnEditorOnlyLatencyAndAutomationHappen)
{
  LoopbackServer server(LoopbackServer::Body("3.0.29"), 2);
  ServeAt(server);
  ProductUnit& unit = NewUnit("com.cockos.reaper", false);
  Tolvane3& plug = unit.Plug();
  plug.SetSampleRate(48000.0);
  ASSERT_EQ(unit.Reset(), noErr);
  unit.FromEditor(kPreDelay, 100.0);
  unit.FromEditor(kGUIScale, 1.5);
  ASSERT_EQ(unit.SetParam(kAutomation, RideEngineState::kAutomationWrite), noErr);
  RideTo(unit, 2.0);
  Tick();
  EXPECT_EQ(unit.Latency(), plug.GetLatencySamples());
  EXPECT_NEAR(unit.Param(kCurrentGain), 2.0, 1e-9);
  EXPECT_TRUE(plug.IsResizePending());
  EXPECT_TRUE(server.Requests().empty());
  EXPECT_FALSE(UpdateState().UpdateCheckDone);

  // The editor opens: the resize waiting for it and the update check run.
  plug.OpenWindow(nullptr);
  Tick();
  EXPECT_FALSE(plug.IsResizePending());
  EXPECT_EQ(UI(unit).GetDrawScale(), 1.5f);
  EXPECT_EQ(server.Requests().size(), 1u);
  EXPECT_TRUE(UI(unit).messages.empty()) << "the automatic check shows nothing";
}

TEST_F(ProductIdleTest, ResizeWaitsWhileTheDrawnMenuIsOpen)
{
  ProductUnit& unit = NewUnit();
  plugkit::gfx::IPopupMenu popup;
  popup.AddItem("Item"); // an empty menu is answered at once and never opens
  ASSERT_TRUE(menu->CreatePopupMenu(popup, plugkit::gfx::IRECT{0, 0, 10, 10}));
  unit.FromEditor(kGUIScale, 2.0);
  Tick();
  Tick();
  EXPECT_EQ(UI(unit).GetDrawScale(), 1.f);
  EXPECT_TRUE(unit.Plug().IsResizePending());
  menu->Collapse();
  Tick();
  EXPECT_EQ(UI(unit).GetDrawScale(), 2.f);
  EXPECT_FALSE(unit.Plug().IsResizePending());
}

TEST_F(ProductIdleTest, TheAutomaticCheckRunsOncePerProcessAndLightsEveryIcon)
{
  LoopbackServer server(LoopbackServer::Body("3.0.29"), 2);
  ServeAt(server);
  ProductUnit& first = NewUnit();
  Tick();
  EXPECT_EQ(server.Requests(), std::vector<std::string>{"GET /versioncheck?productname=Tolvane3 HTTP/1.1"});
  EXPECT_EQ(Icon(first), 1.0);

  ProductUnit& second = NewUnit();
  EXPECT_EQ(Icon(second), 0.0);
  Tick();
  EXPECT_EQ(Icon(second), 1.0) << "lit at its first tick";
  EXPECT_EQ(server.Requests().size(), 1u) << "no second automatic check";
  EXPECT_TRUE(UI(first).messages.empty());
  EXPECT_TRUE(UI(second).messages.empty());
}

TEST_F(ProductIdleTest, ManualChecksShowTheirResultAndSetTheIcon)
{
  struct Case
  {
    const char* name;
    const char* reply;  // null: nothing listens
    bool iconBefore;
    std::string wantMessage;
    double wantIcon;
  };
  const Case cases[] = {
    {"newer", "3.1.0", false, "Check for update: Plugin update is available", 1.0},
    {"same", "3.0.28", true, "Check for update: Plugin is up to date", 0.0},
    {"service down", nullptr, true, "Check for update: Service not available", 0.0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    std::unique_ptr<LoopbackServer> server;
    if (c.reply)
    {
      server = std::make_unique<LoopbackServer>(LoopbackServer::Body(c.reply));
      ServeAt(*server);
    }
    else
      setenv("TOLVANE3_UPDATE_CHECK_BASE_URL",
        ("http://127.0.0.1:" + std::to_string(testsupport::RefusedLoopbackPort())).c_str(), 1);
    // "Online Update Check" Off: only the user's request asks.
    UpdateState() = ProcessUpdateState{false, c.iconBefore};
    ProductUnit& unit = NewUnit("com.cockos.reaper", false);
    unit.FromEditor(kOnlineUpdateCheck, 0);
    unit.Plug().OpenWindow(nullptr);
    Tick();
    EXPECT_EQ(Icon(unit), c.iconBefore ? 1.0 : 0.0);
    EXPECT_TRUE(!server || server->Requests().empty());
    Command(unit, kCmdCheckForUpdate);
    Tick();
    EXPECT_EQ(UI(unit).messages, std::vector<std::string>{c.wantMessage});
    EXPECT_EQ(Icon(unit), c.wantIcon);
    units.clear();
  }
}

TEST_F(ProductIdleTest, TheIconWaitsUntilTheLayoutIsDone)
{
  // A layout half way: the icon's index is known, but not every control
  // exists yet; the control at that index is not the icon.
  SetEditorFunctions(
    [](plugkit::gfx::IGEditorDelegate& dlg, const GraphicsRequest& r) {
      return new FakeGfx(dlg, r.width, r.height, r.fps, r.scale);
    },
    [](Tolvane3& plug, plugkit::gfx::IGfx& g) {
      g.AttachControl(new FakeControl(plugkit::gfx::IRECT{0, 0, 1008, 584}));
      g.AttachControl(new FakeControl(plugkit::gfx::IRECT{900, 10, 930, 40}));
      plug.UpdateIconControlIndex = 1;
    });
  UpdateState() = ProcessUpdateState{true, true};
  ProductUnit& unit = NewUnit();
  Tick();
  EXPECT_EQ(Icon(unit), 0.0);
  unit.Plug().LayoutDone();
  Tick();
  EXPECT_EQ(Icon(unit), 1.0);
}

// Lines 8 to 12 of the About text, as shown.
std::vector<std::string> AboutLines(const std::string& message)
{
  std::istringstream in(message);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines.size() >= 12 ? std::vector<std::string>(lines.begin() + 7, lines.begin() + 12) : lines;
}

TEST_F(ProductIdleTest, TheAboutBoxDescribesTheHostAndTheStream)
{
  struct Case
  {
    const char* host;
    double preDelayMs;
    std::vector<std::string> want;
  };
  const Case cases[] = {
    {"com.cockos.reaper", 0.0,
     {"Host: Reaper", "Channels: 2-2 (4-2)", "Plugin delay: 0 smp (0.0 ms)", "Sample Rate: 48000.00 Hz",
      "Block Size: 512 smp"}},
    {"com.example.anyhost", 100.0,
     {"Host: Unknown", "Channels: 2-2 (4-2)", "Plugin delay: 4800 smp (100.0 ms)", "Sample Rate: 48000.00 Hz",
      "Block Size: 512 smp"}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.host);
    ProductUnit& unit = NewUnit(c.host);
    unit.Plug().SetSampleRate(48000.0);
    unit.Plug().SetBlockSize(512);
    ASSERT_EQ(unit.Reset(), noErr);
    // As a state recall sets it: exactly, not through a knob's normalised value.
    unit.Plug().GetParam(kPreDelay)->Set(c.preDelayMs);
    unit.Plug().OnParamChange(kPreDelay, plugkit::kSourcePresetRecall, -1);
    unit.Process(testsupport::Sine(512));
    Command(unit, kCmdShowAbout);
    Tick();
    ASSERT_EQ(UI(unit).messages.size(), 1u);
    const std::string& shown = UI(unit).messages[0];
    EXPECT_EQ(shown.rfind("About: Manufacturer: Kestrova\nPlugin name: Tolvane3\nVersion: 3.0.28\n", 0), 0u);
    EXPECT_EQ(AboutLines(shown), c.want);
    units.clear();
  }
}

TEST_F(ProductIdleTest, TheScopeFlagIsClearedEvenWithoutAScope)
{
  ProductUnit& unit = NewUnit();
  ASSERT_EQ(unit.SetParam(kTargetLevel, -20.0), noErr);
  EXPECT_TRUE(unit.Plug().IsScopeRedrawPending());
  Tick();
  EXPECT_FALSE(unit.Plug().IsScopeRedrawPending()) << "cleared even without a scope";
}

} // namespace
