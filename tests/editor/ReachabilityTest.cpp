// Every parameter and every command of the product can be reached from a
// control of the editor, through the view's events as a user reaches it;
// every gesture that begins also ends.
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "StandIn/AudioUnitEvents.h"
#include "editor/KVBitmapControls.h"
#include "plugin/XMLPresets.h"
#include "tests/editor/ProductEditorFixture.h"

namespace editortest {
namespace {

using namespace tolvane3;

enum class Act
{
  Click,
  Drag,   // a knob, toward the middle of its range
  Press,  // held: a momentary button
  Menu,   // an item (and entry) of the plug-in menu
  Popup,  // an entry of the control's own menu
};

struct Row
{
  int param;
  Act act;
  float x, y;
  const char* item = nullptr;
  const char* sub = nullptr;
};

constexpr float kMenuX = 50.f, kMenuY = 50.f;

const Row kRows[] = {
  {kGUIScale, Act::Menu, kMenuX, kMenuY, "Set min GUI scale"},
  {kToggleTooltips, Act::Menu, kMenuX, kMenuY, "Tooltips"},
  {kFilterMode, Act::Click, 60, 137},
  {kLowCut, Act::Drag, 110, 137},
  {kHighCut, Act::Drag, 190, 137},
  {kDetectionMode, Act::Popup, 269, 137, "SideChain2"},
  {kTargetLevel, Act::Drag, 347, 137},
  {kSensitivity, Act::Drag, 435, 137},
  {kPreDelay, Act::Drag, 515, 137},
  {kNoiseLevel, Act::Drag, 595, 137},
  {kRangeMin, Act::Drag, 675, 137},
  {kRangeMax, Act::Drag, 755, 137},
  {kIdleGain, Act::Drag, 835, 137},
  {kVolume, Act::Drag, 931, 137},
  {kAB, Act::Click, 743, 49},
  {kAutomation, Act::Click, 933, 49},
  {kDAWSync, Act::Click, 808, 49},
  {kScopeXScale, Act::Drag, 72, 246},
  {kScopeXOffset, Act::Drag, 72, 334},
  {kScopeYScale, Act::Drag, 72, 422},
  {kScopeYOffset, Act::Drag, 72, 510},
  {kScopeInput, Act::Click, 944, 232},
  {kScopeOutput, Act::Click, 944, 280},
  {kScopeGain, Act::Click, 944, 328},
  {kScopeRide, Act::Click, 944, 376},
  {kScopePause, Act::Click, 944, 544},
  {kScopeReset, Act::Press, 944, 496},
  {kScopeScreen, Act::Click, 944, 448},
  {kGainHold, Act::Click, 655, 49},
  {kEnableNoiseDetection, Act::Click, 532, 49},
  {kNoiseDetectionTiming, Act::Drag, 593, 49},
  {kOnlineUpdateCheck, Act::Menu, kMenuX, kMenuY, "Check for updates automatically"},
  {kV1ClassicMeterMode, Act::Menu, kMenuX, kMenuY, "V1 Classic Meter Mode", "On"},
  {kV1ClassicITUPreFilter, Act::Menu, kMenuX, kMenuY, "V1 Classic ITU PreFilter", "On"},
  {kPreDelay1, Act::Drag, 515, 137}, // shown once the classic engine is on (the row above)
};

// Begin and end gestures per parameter, from the events the host heard.
std::map<int, int> OpenGestures()
{
  std::map<int, int> open;
  for (const AudioUnitEvent& e : standin::RecordedAudioUnitEvents())
  {
    if (e.mEventType == kAudioUnitEvent_BeginParameterChangeGesture)
      ++open[static_cast<int>(e.mArgument.mParameter.mParameterID)];
    else if (e.mEventType == kAudioUnitEvent_EndParameterChangeGesture)
      --open[static_cast<int>(e.mArgument.mParameter.mParameterID)];
  }
  return open;
}

TEST_F(ProductEditorTest, EveryParameterIsReachedFromItsControl)
{
  standin::ClearRecordedAudioUnitEvents();
  ASSERT_EQ(std::size(kRows), static_cast<size_t>(kNumParams - 1)); // all but "Current Gain"
  for (const Row& row : kRows)
  {
    const plugkit::IParam& param = *Plug().GetParam(row.param);
    SCOPED_TRACE(param.GetName());
    Plug().SyncEditor();
    const double before = param.Value();
    switch (row.act)
    {
      case Act::Click: Click(row.x, row.y); break;
      case Act::Drag: DragBy(row.x, row.y, param.GetNormalized() < 0.5 ? -60.f : 60.f); break;
      case Act::Press: View().Press(row.x, row.y, IMouseMod(true)); break;
      case Act::Menu: ASSERT_TRUE(PickFromMenu(row.x, row.y, row.item, row.sub)); break;
      case Act::Popup: ASSERT_TRUE(PickFromMenu(row.x, row.y, row.item)); break;
    }
    EXPECT_NE(param.Value(), before);
    if (row.act == Act::Press)
    {
      View().Release(row.x, row.y, IMouseMod());
      EXPECT_EQ(param.Value(), before);
    }
  }
  for (const auto& [paramIdx, open] : OpenGestures())
    EXPECT_EQ(open, 0) << paramIdx;

  // "Current Gain" only takes part in the editor's traffic, unseen.
  int bound = 0;
  for (int i = 0; i < G().NControls(); ++i)
    if (G().GetControl(i)->LinkedToParam(kCurrentGain) >= 0)
    {
      ++bound;
      EXPECT_NE(dynamic_cast<IVParameterControlHiddenKV*>(G().GetControl(i)), nullptr);
    }
  EXPECT_EQ(bound, 1);
}

TEST_F(ProductEditorTest, EveryCommandIsReachedFromItsControl)
{
  struct Command
  {
    const char* name;
    std::function<void(ProductEditorTest&)> act;
    std::function<bool(ProductEditorTest&)> arrived;
  };
  const Command commands[] = {
    {"37 About", [](ProductEditorTest& t) { t.PickFromMenu(kMenuX, kMenuY, "About ..."); },
      [](ProductEditorTest& t) { return t.Plug().IsAboutPending(); }},
    {"38 update check", [](ProductEditorTest& t) { t.Click(405, 31); },
      [](ProductEditorTest& t) { return t.Plug().IsUpdateCheckPending(); }},
    {"42 save default", [](ProductEditorTest& t) { t.PickFromMenu(kMenuX, kMenuY, "Save to default"); },
      [](ProductEditorTest& t) {
        return std::filesystem::exists(std::string(t.Plug().Folders().presetFolder.Get()) + "/default.kps");
      }},
    {"48 minimum scale", [](ProductEditorTest& t) { t.PickFromMenu(kMenuX, kMenuY, "Set min GUI scale"); },
      [](ProductEditorTest& t) { return t.Plug().GetGUIScale() == 0.5; }},
    {"46 scale from the window", [](ProductEditorTest& t) { t.G().Resize(1008, 584, 1.75f); },
      [](ProductEditorTest& t) { return t.Plug().GetGUIScale() == 1.75; }},
    {"47 scale reset", [](ProductEditorTest& t) { t.View().Press(1000, 576, IMouseMod(true), 2); },
      [](ProductEditorTest& t) { return t.Plug().GetGUIScale() == 1.0; }},
    {"49 fixed scale", [](ProductEditorTest& t) { t.PickFromMenu(kMenuX, kMenuY, "Fixed GUI Scale", "250%"); },
      [](ProductEditorTest& t) { return t.Plug().GetGUIScale() == 2.5; }},
  };
  // A preset the last scan has not seen: a rescan (43) would list it.
  ASSERT_TRUE(WritePresetFile(Plug(), (std::string(Plug().Folders().dataFolder.Get()) + "/unseen.kps").c_str(),
    "unseen"));
  const int filePresets = Plug().FilePresets().GetSize();
  for (const Command& c : commands)
  {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(c.arrived(*this));
    c.act(*this);
    EXPECT_TRUE(c.arrived(*this));
  }
  // No preset menu is built: loading, saving and rescanning presets (40,
  // 41, 43) have no control, and no other control sent them.
  EXPECT_EQ(G().GetControlWithTag(3), nullptr);
  EXPECT_EQ(Plug().FilePresets().GetSize(), filePresets);
}

} // namespace
} // namespace editortest
