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

TEST(ApiBaseRoads, ValuesFromTheEditorAndTheHostAreStoredToldAndHandled)
{
  using Changes = std::vector<std::pair<int, int>>;
  ApiTestPlugin plugin;
  plugin.GetParam(2)->Set(20.0);
  plugin.SendParameterValueFromUI(2, true, 0.25);
  const IParam& mix = *plugin.GetParam(2);
  EXPECT_DOUBLE_EQ(mix.Value(), 25.0);
  EXPECT_DOUBLE_EQ(mix.PreviousValue(), 25.0) << "the editor's change leaves nothing to smooth from";
  EXPECT_EQ(plugin.paramChanges, (Changes{{2, kSourceUI}}));
  EXPECT_EQ(plugin.paramChangesUI, (Changes{{2, kSourceUI}}));
  plugin.SendParameterValueFromUI(2, false, 0.5);
  EXPECT_DOUBLE_EQ(mix.Value(), 50.0);
  EXPECT_EQ(plugin.paramChanges.size(), 1u) << "the handler runs only when asked";
  // The host's value keeps the previous value and steps (7.4 on a stepped
  // 0..10 is 7).
  plugin.GetParam(1)->Set(2.0);
  plugin.SetParameterValue(1, false, 0.74);
  EXPECT_DOUBLE_EQ(plugin.GetParam(1)->Value(), 7.0);
  EXPECT_DOUBLE_EQ(plugin.GetParam(1)->PreviousValue(), 2.0);
  EXPECT_EQ(plugin.hostValues, (std::vector<std::pair<int, double>>{{2, 0.25}, {2, 0.5}, {1, 0.74}}));
  // Dirty parameters tell the host every normalised value.
  plugin.hostValues.clear();
  plugin.GetParam(0)->Set(12.0);
  plugin.GetParam(2)->Set(100.0);
  plugin.DirtyParametersFromUI();
  EXPECT_EQ(plugin.hostValues, (std::vector<std::pair<int, double>>{{0, 0.75}, {1, 0.7}, {2, 1.0}}));
  // Indices outside the parameters are ignored on every road.
  ApiTestPlugin other;
  other.SendParameterValueFromUI(3, true, 0.5);
  other.SendParameterValueFromUI(-1, true, 0.5);
  other.SetParameterValue(99, true, 0.5);
  other.SendParameterValueFromHost(3, true, 0.5);
  other.SendParameterValueFromHost(-2, false, 1.0);
  EXPECT_TRUE(other.hostValues.empty() && other.paramChanges.empty() && other.paramChangesUI.empty());
  EXPECT_EQ(other.PendingToEditor(), 0u);
}

TEST(ApiBaseRoads, MidiAndSysExFromTheEditorWaitForTheRenderRoad)
{
  // MIDI drops when the queue is full; SysEx never claims more bytes than
  // it holds.
  ApiTestPlugin plugin;
  for (int i = 0; i < PluginAPIBase::kMidiQueueSize + 3; ++i)
    plugin.SendMidiMsgFromUI(IMidiMsg{i, 0x90, 60, 100});
  IMidiMsg msg;
  int count = 0;
  while (plugin.PopMidiFromEditor(msg))
    EXPECT_EQ(msg.mOffset, count++);
  EXPECT_EQ(count, PluginAPIBase::kMidiQueueSize);
  uint8_t bytes[600];
  for (int i = 0; i < 600; ++i)
    bytes[i] = static_cast<uint8_t>(i);
  for (int size : {600, -3, 3})
    plugin.SendSysexMsgFromUI(ISysExMsg{0, size, bytes});
  SysExData data;
  for (int size : {512, 0, 3})
  {
    ASSERT_TRUE(plugin.PopSysExFromEditor(data));
    EXPECT_EQ(data.mSize, size);
    EXPECT_EQ(std::memcmp(data.mData, bytes, static_cast<size_t>(size)), 0);
  }
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
  IByteChunk expected;
  expected.PutInt32(0);
  expected.PutInt32(1);
  EXPECT_TRUE(chunk.IsEqual(expected));
}

TEST(ApiBaseRoads, GesturesResizesAndMessagesReachTheHostHooks)
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
  EXPECT_NE(plugin.GetGraphicsContext(), nullptr);
  EXPECT_EQ(plugin.GetOpenGraphics(), nullptr) << "the drawing context is not ready";
  ready = true;
  plugin.OpenWindow(nullptr);
  EXPECT_NE(plugin.GetOpenGraphics(), nullptr);
  EXPECT_EQ(plugin.GetOpenGraphics(), plugin.GetGraphicsContext());
  plugin.CloseWindow();
  EXPECT_EQ(plugin.GetOpenGraphics(), nullptr);
}

} // namespace
