// The product's editor hooks on a fake graphics context: what the editor
// shows, when it follows the settings, and the commands it sends.
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "plugin/XMLPresets.h"
#include "tests/framework/fakes/FakeGfx.h"
#include "tests/plugin/support/ProductHost.h"
#include "tests/support/TempHome.h"

namespace {

using namespace tolvane3;
using fakes::FakeControl;
using fakes::FakeGfx;
using testsupport::ProductUnit;

class FakeScope : public FakeControl, public ScopeView
{
public:
  FakeScope() : FakeControl(plugkit::gfx::IRECT{142, 217, 888, 557}) {}
  void SetScopeSettings(const ScopeSettings& s) override { settings = s; }
  void SetScopeReferences(const ScopeReferences& r) override { references = r; }
  ScopeSettings settings{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, nullptr};
  ScopeReferences references{0, 0, 0, 0, 0, -1};
};

class FakePresetMenu : public FakeControl, public PresetMenuSelection
{
public:
  FakePresetMenu() : FakeControl(plugkit::gfx::IRECT{0, 0, 10, 10}) {}
  const char* SelectedPresetPath() const override { return path.c_str(); }
  std::string path;
};

class ProductEditorTest : public testsupport::TempHomeTest
{
protected:
  void SetUp() override
  {
    TempHomeTest::SetUp();
    SetEditorFunctions(
      [this](plugkit::gfx::IGEditorDelegate& dlg, const GraphicsRequest& r) {
        madeWith = r;
        return new FakeGfx(dlg, r.width, r.height, r.fps, r.scale);
      },
      [this](Tolvane3& plug, plugkit::gfx::IGfx& g) {
        g.AttachControl(new FakeControl(plugkit::gfx::IRECT{0, 0, 1008, 584}, kGUIScale));
        g.AttachControl(new FakeControl(plugkit::gfx::IRECT{485, 107, 545, 167}, kPreDelay));
        g.AttachControl(new FakeControl(plugkit::gfx::IRECT{485, 107, 545, 167}, kPreDelay1));
        g.AttachControl(scope = new FakeScope);
        g.AttachControl(menu = new FakePresetMenu, 3);
        plug.PreDelayControlIndex = 1;
        plug.PreDelayV1ControlIndex = 2;
        plug.ScopeControlIndex = 3;
        plug.LayoutDone();
      });
    unit = std::make_unique<ProductUnit>();
    ASSERT_EQ(unit->Initialize(), noErr);
    Plug().OpenWindow(nullptr);
    ASSERT_NE(Plug().GetUI(), nullptr);
  }
  void TearDown() override
  {
    unit.reset();
    SetEditorFunctions(nullptr, nullptr);
    TempHomeTest::TearDown();
  }
  Tolvane3& Plug() { return unit->Plug(); }
  plugkit::gfx::IGfx& UI() { return *Plug().GetUI(); }
  void Command(int tag) { Plug().OnParamChange(tag, plugkit::kSourceUI, -1); }

  GraphicsRequest madeWith{0, 0, 0, 0.f, nullptr, nullptr};
  std::unique_ptr<ProductUnit> unit;
  FakeScope* scope = nullptr;
  FakePresetMenu* menu = nullptr;
};

TEST_F(ProductEditorTest, OpeningShowsTheSettingsAndClosingForgetsTheEditor)
{
  EXPECT_EQ(madeWith.width, 1008);
  EXPECT_EQ(madeWith.height, 584);
  EXPECT_EQ(madeWith.fps, 60);
  EXPECT_EQ(madeWith.scale, 1.0f);
  EXPECT_STREQ(madeWith.bundleId, "com.kestrova.audiounit.Tolvane3");
  EXPECT_STREQ(madeWith.resourceSubPath, "Tolvane3");
  EXPECT_TRUE(Plug().IsEditorOpen());
  EXPECT_FALSE(UI().GetControl(1)->IsHidden());
  EXPECT_TRUE(UI().GetControl(2)->IsHidden());
  EXPECT_EQ(UI().GetControl(2)->GetValue(), 0.75);
  EXPECT_DOUBLE_EQ(UI().GetControl(0)->GetValue(), 0.2);
  EXPECT_EQ(scope->settings.xScale, 1.0);
  EXPECT_EQ(scope->settings.yOffset, 1.0);
  EXPECT_EQ(scope->settings.xOffset, 0.0);
  EXPECT_EQ(scope->settings.input + scope->settings.output + scope->settings.gain + scope->settings.ride, 4);
  EXPECT_EQ(scope->settings.pause, 0);
  EXPECT_EQ(scope->settings.history, &Plug().GetScopeHistory());
  EXPECT_EQ(scope->references.targetLevelDb, -18.0);
  EXPECT_EQ(scope->references.rangeMinDb, -9.0);
  EXPECT_TRUE(UI().TooltipsEnabled());
  Plug().CloseWindow();
  EXPECT_FALSE(Plug().IsEditorOpen());
  EXPECT_EQ(Plug().GetUI(), nullptr);

  // The next editor opens at the GUI scale.
  unit->FromEditor(kGUIScale, 1.5);
  Plug().OpenWindow(nullptr);
  EXPECT_EQ(madeWith.scale, 1.5f);
}

TEST_F(ProductEditorTest, ControlsFollowTheSettingsOnlyOnTheIdleTick)
{
  unit->SetParam(kTargetLevel, -25.0);
  unit->SetParam(kScopeXScale, 50.0);
  unit->SetParam(kScopeYOffset, 30.0);
  unit->FromEditor(kV1ClassicMeterMode, 1.0);
  unit->FromEditor(kToggleTooltips, 0.0);
  EXPECT_TRUE(Plug().IsEditorSyncPending());
  EXPECT_EQ(scope->references.targetLevelDb, -18.0);
  EXPECT_EQ(scope->settings.xScale, 1.0);
  EXPECT_TRUE(UI().GetControl(2)->IsHidden());
  EXPECT_TRUE(UI().TooltipsEnabled());
  // The engines follow at once.
  EXPECT_EQ(Plug().Engine().State().targetLevelDb, -25.0);

  Plug().OnIdle();
  EXPECT_FALSE(Plug().IsEditorSyncPending());
  EXPECT_EQ(scope->references.targetLevelDb, -25.0);
  EXPECT_EQ(scope->settings.xScale, 0.5);
  EXPECT_EQ(scope->settings.yOffset, 0.3);
  EXPECT_TRUE(UI().GetControl(1)->IsHidden());
  EXPECT_FALSE(UI().GetControl(2)->IsHidden());
  EXPECT_FALSE(UI().TooltipsEnabled());

  // A new sample rate re-initialises the engines; the scope keeps reading
  // the one history, which is never replaced.
  const ScopeHistory* history = scope->settings.history;
  Plug().SetSampleRate(48000.0);
  EXPECT_EQ(unit->Reset(), noErr);
  Plug().OnIdle();
  EXPECT_EQ(scope->settings.history, history);
  EXPECT_EQ(history, &Plug().GetScopeHistory());
}

TEST_F(ProductEditorTest, TheScopeShowsEveryReferenceLevelAsSet)
{
  // Values away from every default, so a reference left at its default (or
  // taken from another one) shows.
  unit->SetParam(kTargetLevel, -21.0);
  unit->SetParam(kNoiseLevel, -52.0);
  unit->SetParam(kRangeMin, -4.5);
  unit->SetParam(kRangeMax, 6.5);
  unit->SetParam(kIdleGain, -1.5);
  unit->SetParam(kDetectionMode, 1);
  Plug().OnIdle();
  const ScopeReferences& r = scope->references;
  EXPECT_EQ((std::vector<double>{r.targetLevelDb, r.noiseLevelDb, r.rangeMinDb, r.rangeMaxDb, r.idleGainDb}),
            (std::vector<double>{-21.0, -52.0, -4.5, 6.5, -1.5}));
  EXPECT_EQ(r.detectionMode, 1);
}

TEST_F(ProductEditorTest, AValueThePlugInSetsShowsInItsControlsAsNormalised)
{
  const plugkit::IParam& preDelay = *Plug().GetParam(kPreDelay);
  struct Case
  {
    bool normalized;
    double value;
    double wantShown; // the control's normalised value
    double wantValue; // the parameter's value
  };
  const Case cases[] = {
    {true, 0.25, 0.25, preDelay.FromNormalized(0.25)},
    {false, 300.0, preDelay.ToNormalized(300.0), 300.0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.normalized ? "normalised" : "real");
    Plug().SetParameterFromPlugin(kPreDelay, c.normalized, c.value);
    EXPECT_DOUBLE_EQ(UI().GetControl(1)->GetValue(), c.wantShown);
    EXPECT_DOUBLE_EQ(unit->Param(kPreDelay), c.wantValue);
  }
}

TEST_F(ProductEditorTest, EditorCommandsActWithAnOpenEditor)
{
  Command(kCmdShowAbout);
  Command(kCmdCheckForUpdate);
  EXPECT_TRUE(Plug().IsAboutPending());
  EXPECT_TRUE(Plug().IsUpdateCheckPending());

  UI().Resize(1008, 584, 1.75f, false);
  Command(kCmdScaleFromWindow);
  EXPECT_EQ(Plug().GetGUIScale(), 1.75);
  EXPECT_EQ(unit->Param(kGUIScale), 1.75);
  EXPECT_FALSE(Plug().IsResizePending());

  // Save and load through the preset menu's file; the name is the file's.
  menu->path = mTemp.Join("My Song.v2.kps");
  unit->SetParam(kVolume, -3.0);
  Command(kCmdSavePreset);
  unit->SetParam(kVolume, 4.0);
  Command(kCmdLoadPreset);
  EXPECT_EQ(unit->Param(kVolume), -3.0);
  EXPECT_EQ(Plug().Engine().State().volumeDb, -3.0);
  EXPECT_STREQ(Plug().GetPresetName(0), "My Song.v2");
  menu->path.clear();
  Command(kCmdLoadPreset);
  Command(kCmdSavePreset);

  Command(kCmdSaveDefaultPreset);
  struct stat info;
  EXPECT_EQ(stat((Plug().Folders().presetFolder.Get() + std::string("/default.kps")).c_str(), &info), 0);
  ASSERT_TRUE(WritePresetFile(Plug(), (Plug().Folders().dataFolder.Get() + std::string("/b.kps")).c_str(), "B"));
  Command(kCmdRescanPresets);
  ASSERT_EQ(Plug().FilePresets().GetSize(), 1);
  EXPECT_STREQ(Plug().FilePresets().Get(0)->mName, "B");
}

} // namespace
