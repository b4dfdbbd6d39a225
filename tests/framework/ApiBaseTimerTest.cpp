#include <string>

#include <gtest/gtest.h>

#include "StandIn/Hooks.h"
#include "tests/framework/fakes/ApiTestPlugin.h"
#include "tests/framework/fakes/FakeGfx.h"
#include "tests/support/ManualClock.h"

namespace {

using fakes::ApiTestConfig;
using fakes::ApiTestPlugin;
using namespace plugkit;
using testsupport::ManualClockTest;

using ApiBaseTimer = ManualClockTest;

int Count(const std::vector<std::string>& calls, const std::string& name)
{
  int n = 0;
  for (const std::string& call : calls)
    n += call == name ? 1 : 0;
  return n;
}

TEST_F(ApiBaseTimer, RunsIdleWorkAtOnceThenEvery20MillisecondsAfterDeliveringHostValuesInOrder)
{
  ApiTestPlugin plugin;
  plugin.CreateTimer();
  plugin.SendParameterValueFromHost(0, false, 6.0);
  plugin.SendParameterValueFromHost(2, true, 0.5); // real value 50 on the queue
  plugin.SendParameterValueFromHost(0, false, -3.0);
  plugin.PushToEditor(ParamTuple{3, 1.0}); // indices outside the parameters never arrive
  plugin.PushToEditor(ParamTuple{-1, 1.0});
  EXPECT_TRUE(plugin.valuesToEditor.empty()) << "nothing before the main loop runs";
  standin::RunMainLoopFor(0);
  EXPECT_EQ(Count(plugin.calls, "OnIdle"), 1);
  ASSERT_EQ(plugin.valuesToEditor.size(), 3u);
  const std::vector<std::pair<int, double>> got = {{plugin.valuesToEditor[0].idx, plugin.valuesToEditor[0].value},
    {plugin.valuesToEditor[1].idx, plugin.valuesToEditor[1].value},
    {plugin.valuesToEditor[2].idx, plugin.valuesToEditor[2].value}};
  EXPECT_EQ(got, (std::vector<std::pair<int, double>>{{0, 6.0}, {2, 50.0}, {0, -3.0}}));
  EXPECT_EQ(plugin.PendingToEditor(), 0u);
  EXPECT_EQ(plugin.calls.back(), "OnIdle") << "idle work comes after the drain";
  standin::RunMainLoopFor(0.1);
  EXPECT_EQ(Count(plugin.calls, "OnIdle"), 6);
}

TEST_F(ApiBaseTimer, AHostValueMovesTheKnobOfAnOpenEditor)
{
  ApiTestPlugin plugin;
  auto* knob = new fakes::FakeControl(gfx::IRECT(0, 0, 10, 10), 2);
  plugin.SetMakeGraphicsFunc([&]() -> gfx::IGfx* { return new fakes::FakeGfx(plugin, 1008, 584); });
  plugin.SetLayoutFunc([&](gfx::IGfx* g) { g->AttachControl(knob); });
  plugin.OpenWindow(nullptr);
  plugin.CreateTimer();
  plugin.SendParameterValueFromHost(2, false, 75.0);
  EXPECT_DOUBLE_EQ(knob->GetValue(0), 0.5) << "the default until the timer runs";
  standin::RunMainLoopFor(0);
  EXPECT_DOUBLE_EQ(knob->GetValue(0), 0.75);
  plugin.CloseWindow();
}

TEST_F(ApiBaseTimer, WithoutAnEditorNothingIsDrainedButIdleWorkStillRuns)
{
  ApiTestPlugin plugin(ApiTestConfig(false));
  plugin.CreateTimer();
  plugin.SendParameterValueFromHost(0, false, 6.0);
  plugin.PushMidiToEditor(IMidiMsg{0, 0xB0, 1, 2});
  standin::RunMainLoopFor(0.04);
  EXPECT_EQ(Count(plugin.calls, "OnIdle"), 3);
  EXPECT_TRUE(plugin.valuesToEditor.empty() && plugin.midiToEditor.empty());
  EXPECT_EQ(plugin.PendingToEditor(), 1u);
  plugin.SetHasUI(true);
  standin::RunMainLoopFor(0.02);
  EXPECT_TRUE(plugin.valuesToEditor.size() == 1u && plugin.midiToEditor.size() == 1u);
}

TEST_F(ApiBaseTimer, MidiAndSysExReachTheEditorWithTheirSize)
{
  ApiTestPlugin plugin;
  plugin.PushMidiToEditor(IMidiMsg{4, 0x90, 64, 1});
  const uint8_t bytes[] = {0xF0, 0x7E, 0x01, 0xF7};
  plugin.PushSysExToEditor(SysExData::From(ISysExMsg{0, 4, bytes}));
  plugin.CreateTimer();
  standin::RunMainLoopFor(0);
  ASSERT_EQ(plugin.midiToEditor.size(), 1u);
  EXPECT_EQ(plugin.midiToEditor[0].mData1, 64);
  EXPECT_EQ(plugin.sysexToEditor, std::vector<std::string>{std::string(reinterpret_cast<const char*>(bytes), 4)});
}

TEST_F(ApiBaseTimer, AFullQueueDropsTheNewestValuesAndANewTimerReplacesTheOldOne)
{
  const int before = standin::LiveTimerCount();
  {
    ApiTestPlugin plugin;
    for (int i = 0; i < PluginAPIBase::kParamChangeQueueSize + 10; ++i)
      plugin.SendParameterValueFromHost(0, false, i);
    plugin.CreateTimer();
    plugin.CreateTimer();
    EXPECT_EQ(standin::LiveTimerCount(), before + 1);
    standin::RunMainLoopFor(0);
    EXPECT_EQ(Count(plugin.calls, "OnIdle"), 1);
    ASSERT_EQ(plugin.valuesToEditor.size(), static_cast<size_t>(PluginAPIBase::kParamChangeQueueSize));
    EXPECT_DOUBLE_EQ(plugin.valuesToEditor.back().value, PluginAPIBase::kParamChangeQueueSize - 1);
    // A stopped timer is replaced as well: idle work runs again.
    plugin.StopTimer();
    plugin.CreateTimer();
    standin::RunMainLoopFor(0);
    EXPECT_EQ(Count(plugin.calls, "OnIdle"), 2);
  }
  EXPECT_EQ(standin::LiveTimerCount(), before);
  EXPECT_EQ(standin::OverReleaseCount(), 0);
}

// A product whose member runs the main loop while it is destroyed, as a
// modal panel or a host's concurrent tick would: by then the product's own
// state is gone.
class ProductWithState : public ApiTestPlugin
{
public:
  struct LoopDuringTeardown
  {
    ~LoopDuringTeardown() { standin::RunMainLoopFor(0.1); }
  };

  ProductWithState() { CreateTimer(); }
  ~ProductWithState() override { alive = false; }

  void OnIdle() override
  {
    if (!alive)
      ++idleAfterDestructionBegan;
  }

  static inline int idleAfterDestructionBegan = 0;

private:
  bool alive = true;
  LoopDuringTeardown loop;
};

TEST_F(ApiBaseTimer, DestroyingAPluginStopsItsTimerBeforeAnyOfItsPartsGo)
{
  ProductWithState::idleAfterDestructionBegan = 0;
  auto* product = new ProductWithState;
  standin::RunMainLoopFor(0);
  DestroyPlugin(product);
  EXPECT_EQ(ProductWithState::idleAfterDestructionBegan, 0);
  EXPECT_EQ(standin::OverReleaseCount(), 0);
}

} // namespace
