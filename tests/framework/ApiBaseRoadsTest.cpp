#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "framework/IGEditorDelegate.h"
#include "tests/framework/fakes/ApiTestPlugin.h"
#include "tests/framework/fakes/FakeGfx.h"

namespace {

using fakes::ApiTestConfig;
using fakes::ApiTestPlugin;
using namespace plugkit;

// The editor's road takes (index, flag, value); the swapped order would
// convert silently, so it must not compile on any class of the chain.
template <class T>
concept TakesValueBeforeFlag = requires(T& d) { d.SendParameterValueFromUI(0, 0.5, true); };
template <class T>
concept TakesFlagBeforeValue = requires(T& d) { d.SendParameterValueFromUI(0, true, 0.5); };
static_assert(!TakesValueBeforeFlag<IEditorDelegate>);
static_assert(!TakesValueBeforeFlag<gfx::IGEditorDelegate>);
static_assert(!TakesValueBeforeFlag<PluginAPIBase>);
static_assert(!TakesValueBeforeFlag<ApiTestPlugin>);
static_assert(TakesFlagBeforeValue<PluginAPIBase>);

TEST(ApiBaseConstruction, TakesItsIdentityFromTheConfigurationAndIdentifiesTheHost)
{
  PluginConfig config = ApiTestConfig();
  const std::string longName(200, 'n');
  config.pluginName = longName.c_str();
  ApiTestPlugin plugin(config);
  EXPECT_EQ(std::string(plugin.GetPluginName()), longName.substr(0, 128));
  EXPECT_STREQ(plugin.GetMfrName(), "Kestrova");
  EXPECT_STREQ(plugin.GetBundleID(), "com.kestrova.audiounit.Tolvane3");
  EXPECT_STREQ(plugin.GetHostName(), "Unknown");
  EXPECT_TRUE(plugin.HasUI() && plugin.GetUniqueID() == config.uniqueId && plugin.GetHost() == kHostUninit);
  // Each pair of size limits is stored smaller first.
  EXPECT_EQ((std::vector<int>{plugin.GetPluginVersion(true), plugin.GetHostVersion(false), plugin.GetEditorWidth(),
              plugin.GetMinWidth(), plugin.GetMaxWidth(), plugin.GetMinHeight(), plugin.GetMaxHeight()}),
    (std::vector<int>{3280, 0, 1008, 504, 1512, 292, 876}));
  plugin.SetHost("VST Live Pro", (2 << 16) | (1 << 8) | 3);
  EXPECT_EQ(plugin.GetHost(), kHostVSTLive);
  EXPECT_STREQ(plugin.GetHostName(), "VST Live Pro");
  EXPECT_EQ(plugin.GetHostVersion(true), 2130);
  EXPECT_EQ(plugin.calls, (std::vector<std::string>{"InitForHost", "OnHostIdentified"}));
  // No name keeps "Unknown" and gives no identity.
  ApiTestPlugin nameless;
  nameless.SetHost(nullptr, 0);
  EXPECT_STREQ(nameless.GetHostName(), "Unknown");
  EXPECT_EQ(nameless.GetHost(), kHostUnknown);
}

TEST(ApiBaseRoads, AValueFromTheEditorIsStoredToldAndHandled)
{
  ApiTestPlugin plugin;
  plugin.GetParam(2)->Set(20.0);
  plugin.SendParameterValueFromUI(2, true, 0.25);

  const IParam& mix = *plugin.GetParam(2);
  EXPECT_DOUBLE_EQ(mix.Value(), 25.0);
  EXPECT_DOUBLE_EQ(mix.PreviousValue(), 25.0) << "the editor's change leaves nothing to smooth from";
  ASSERT_EQ(plugin.hostValues.size(), 1u);
  EXPECT_EQ(plugin.hostValues[0], std::make_pair(2, 0.25));
  EXPECT_EQ(plugin.paramChanges, (std::vector<std::pair<int, int>>{{2, kSourceUI}}));
  EXPECT_EQ(plugin.paramChangesUI, (std::vector<std::pair<int, int>>{{2, kSourceUI}}));

  plugin.paramChanges.clear();
  plugin.SendParameterValueFromUI(2, false, 0.5);
  EXPECT_DOUBLE_EQ(mix.Value(), 50.0);
  EXPECT_TRUE(plugin.paramChanges.empty()) << "the handler runs only when asked";
}

TEST(ApiBaseRoads, SetParameterValueKeepsThePreviousValueAndSteps)
{
  ApiTestPlugin plugin;
  plugin.GetParam(1)->Set(2.0);
  plugin.SetParameterValue(1, false, 0.74); // 7.4 on a stepped 0..10
  EXPECT_DOUBLE_EQ(plugin.GetParam(1)->Value(), 7.0);
  EXPECT_DOUBLE_EQ(plugin.GetParam(1)->PreviousValue(), 2.0);
  EXPECT_EQ(plugin.hostValues.back(), std::make_pair(1, 0.74));
}

TEST(ApiBaseRoads, IndicesOutsideTheParametersAreIgnored)
{
  ApiTestPlugin plugin;
  plugin.SendParameterValueFromUI(3, true, 0.5);
  plugin.SendParameterValueFromUI(-1, true, 0.5);
  plugin.SetParameterValue(99, true, 0.5);
  plugin.SendParameterValueFromHost(3, true, 0.5);
  plugin.SendParameterValueFromHost(-2, false, 1.0);
  EXPECT_TRUE(plugin.hostValues.empty());
  EXPECT_TRUE(plugin.paramChanges.empty());
  EXPECT_TRUE(plugin.paramChangesUI.empty());
  EXPECT_EQ(plugin.PendingToEditor(), 0u);
}

TEST(ApiBaseRoads, GesturesAndResizesReachTheHostHooks)
{
  ApiTestPlugin plugin;
  plugin.BeginInformHostOfParamChangeFromUI(1);
  plugin.EndInformHostOfParamChangeFromUI(1);
  EXPECT_EQ(plugin.calls, (std::vector<std::string>{"GestureBegin(1)", "GestureEnd(1)"}));
  EXPECT_TRUE(plugin.EditorResizeFromUI(800, 600, false));
  EXPECT_FALSE(plugin.EditorResizeFromUI(800, 600, true)) << "no host resize without a format wrapper";
  plugin.SendArbitraryMsgFromUI(12, -1, 0, nullptr);
  EXPECT_EQ(plugin.messages, std::vector<int>{12});
}

TEST(ApiBaseRoads, DirtyParametersTellTheHostEveryNormalisedValue)
{
  ApiTestPlugin plugin;
  plugin.GetParam(0)->Set(12.0);
  plugin.GetParam(1)->Set(5.0);
  plugin.GetParam(2)->Set(100.0);
  plugin.DirtyParametersFromUI();
  ASSERT_EQ(plugin.hostValues.size(), 3u);
  EXPECT_DOUBLE_EQ(plugin.hostValues[0].second, (12.0 + 24.0) / 48.0);
  EXPECT_DOUBLE_EQ(plugin.hostValues[1].second, 0.5);
  EXPECT_DOUBLE_EQ(plugin.hostValues[2].second, 1.0);
}

TEST(ApiBaseRoads, MidiFromTheEditorWaitsForTheRenderRoadAndDropsWhenFull)
{
  ApiTestPlugin plugin;
  for (int i = 0; i < PluginAPIBase::kMidiQueueSize + 3; ++i)
    plugin.SendMidiMsgFromUI(IMidiMsg{i, 0x90, 60, 100});
  IMidiMsg msg;
  int count = 0;
  while (plugin.PopMidiFromEditor(msg))
    EXPECT_EQ(msg.mOffset, count++);
  EXPECT_EQ(count, PluginAPIBase::kMidiQueueSize);
}

TEST(ApiBaseRoads, SysExFromTheEditorNeverClaimsMoreBytesThanItHolds)
{
  ApiTestPlugin plugin;
  uint8_t bytes[600];
  for (int i = 0; i < 600; ++i)
    bytes[i] = static_cast<uint8_t>(i);
  plugin.SendSysexMsgFromUI(ISysExMsg{0, 600, bytes});
  plugin.SendSysexMsgFromUI(ISysExMsg{1, -3, bytes});
  plugin.SendSysexMsgFromUI(ISysExMsg{2, 3, bytes});

  SysExData data;
  ASSERT_TRUE(plugin.PopSysExFromEditor(data));
  EXPECT_EQ(data.mSize, 512);
  EXPECT_EQ(std::memcmp(data.mData, bytes, 512), 0);
  ASSERT_TRUE(plugin.PopSysExFromEditor(data));
  EXPECT_EQ(data.mSize, 0);
  ASSERT_TRUE(plugin.PopSysExFromEditor(data));
  EXPECT_EQ(data.mSize, 3);
  EXPECT_EQ(data.mData[2], 2);
}

TEST(ApiBaseHooks, CompareStateInSinglePrecisionWithinATolerance)
{
  ApiTestPlugin plugin;
  plugin.GetParam(0)->Set(0.5);
  plugin.GetParam(1)->Set(1.0);
  plugin.GetParam(2)->Set(0.25);
  // Equal while every value differs by less than 1e-5 in single precision.
  struct Case { double first; int start; bool equal; };
  for (const Case& c : {Case{0.500001, 1, true}, Case{0.5000095, 1, true}, Case{0.5000105, 1, false},
         Case{0.4999905, 1, true}, Case{0.4999895, 1, false}, Case{0.5001, 0, false}})
  {
    const double values[] = {99.0, c.first, 1.0, 0.25};
    EXPECT_EQ(plugin.CompareState(c.start == 1 ? values : values + 1, c.start), c.equal) << c.first;
  }
  EXPECT_FALSE(plugin.CompareState(nullptr, 0));
  PluginConfig none = ApiTestConfig();
  none.paramCount = 0;
  EXPECT_TRUE(PluginAPIBase(none, kAPIAU).CompareState(nullptr, 0));
}

TEST(ApiBaseHooks, AppendParamIndicesOnlyForPartOfTheParameters)
{
  ApiTestPlugin plugin;
  IByteChunk chunk;
  plugin.AppendParamIndices(3, chunk);
  plugin.AppendParamIndices(0, chunk);
  EXPECT_EQ(chunk.Size(), 0);
  plugin.AppendParamIndices(2, chunk);
  ASSERT_EQ(chunk.Size(), 8);
  int32_t first = -1, second = -1;
  EXPECT_EQ(chunk.GetInt32(first, 0), 4);
  chunk.GetInt32(second, 4);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 1);
}

TEST(ApiBaseHooks, OpenGraphicsOnlyWhileTheEditorWindowIsReady)
{
  ApiTestPlugin plugin;
  EXPECT_EQ(plugin.GetOpenGraphics(), nullptr);
  bool ready = false;
  plugin.SetMakeGraphicsFunc([&]() -> gfx::IGfx* {
    auto* g = new fakes::FakeGfx(plugin, 1008, 584);
    g->contextReady = ready;
    return g;
  });
  plugin.OpenWindow(nullptr);
  EXPECT_EQ(plugin.GetOpenGraphics(), nullptr) << "the drawing context is not ready";
  ready = true;
  plugin.OpenWindow(nullptr);
  ASSERT_NE(plugin.GetOpenGraphics(), nullptr);
  EXPECT_EQ(plugin.GetOpenGraphics(), plugin.GetGraphicsContext());
  plugin.CloseWindow();
  EXPECT_EQ(plugin.GetOpenGraphics(), nullptr);
}

} // namespace
