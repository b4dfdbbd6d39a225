#include <cstring>
#include <tuple>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/framework/fakes/StandalonePlugin.h"

using fakes::StandalonePlugin;
using plugkit::IByteChunk;
using plugkit::IPreset;

namespace {

using Doubles = std::vector<double>;

std::vector<uint8_t> Bytes(const IByteChunk& c)
{
  return std::vector<uint8_t>(c.GetData(), c.GetData() + c.Size());
}

// The values a preset holds.
Doubles Stored(const StandalonePlugin& plug, int preset)
{
  Doubles out;
  double v;
  for (int pos = 0; (pos = plug.GetPreset(preset)->mChunk.GetDouble(v, pos)) > 0;)
    out.push_back(v);
  return out;
}

// A plug-in of n parameters over 0..100 in steps of 0.5, parameter i
// holding i + 1, and m preset slots.
struct Plug : StandalonePlugin
{
  Plug(int n, int m) : StandalonePlugin(n, m)
  {
    for (int i = 0; i < n; ++i)
    {
      GetParam(i)->InitDouble("p", 0.0, 0.0, 100.0, 0.5);
      GetParam(i)->Set(i + 1.0);
    }
  }
};

// A presets chunk written field by field: (name, flag, values) per slot.
IByteChunk PresetsChunk(std::initializer_list<std::tuple<const char*, bool, Doubles>> slots)
{
  IByteChunk chunk;
  for (const auto& [name, initialised, values] : slots)
  {
    chunk.PutStr(name);
    chunk.PutBool(initialised);
    for (double v : values)
      chunk.PutDouble(v);
  }
  return chunk;
}

} // namespace

// Making presets -------------------------------------------------------------------------------

TEST(PluginPresetsMake, DefaultFillAndValueListsUseTheCurrentStateOrOneValuePerParameter)
{
  Plug plug(2, 4);
  EXPECT_FALSE(plug.GetPreset(0)->mInitialized);
  EXPECT_STREQ(plug.GetPresetName(0), "empty");
  EXPECT_STREQ(plug.GetPresetName(-1), "");
  EXPECT_STREQ(plug.GetPresetName(4), "");
  EXPECT_FALSE(plug.MakePreset("short", {1.0}));
  EXPECT_FALSE(plug.GetPreset(0)->mInitialized);
  EXPECT_TRUE(plug.MakePreset("full", {4, 5.5}));
  plug.MakeDefaultPreset("Init", 1);
  plug.MakeDefaultPreset(nullptr, 1);
  EXPECT_EQ(Stored(plug, 0), (Doubles{4.0, 5.5}));
  EXPECT_STREQ(plug.GetPresetName(1), "Init");
  EXPECT_STREQ(plug.GetPresetName(2), "Empty");
  EXPECT_EQ(Stored(plug, 1), (Doubles{1.0, 2.0}));
  plug.FillEmptyPresets();
  for (int i = 0; i < 4; ++i)
    EXPECT_TRUE(plug.GetPreset(i)->mInitialized);
  EXPECT_FALSE(plug.MakePresetFromChunk("late", IByteChunk())) << "no free slot";
  EXPECT_STREQ(plug.GetPresetName(3), "Empty");
  // A name longer than its field, made or read from a presets chunk, is cut.
  Plug made(1, 1), read(1, 1);
  made.MakeDefaultPreset(std::string(400, 'x').c_str(), 1);
  EXPECT_EQ(std::string(made.GetPresetName(0)), std::string(IPreset::kNameFieldSize - 1, 'x'));
  const IByteChunk chunk = PresetsChunk({{std::string(300, '\x94').c_str(), true, {5.0}}});
  EXPECT_EQ(read.UnserializePresets(chunk, 0), chunk.Size());
  EXPECT_EQ(std::string(read.GetPresetName(0)), std::string(IPreset::kNameFieldSize - 1, '\x94'));
}

TEST(PluginPresetsMake, NamedParamsFillTheRestFromCurrentValues)
{
  // Pairs naming no parameter are ignored; a value equal to the marker of
  // "not given" (9.999e-8) takes the current value as well.
  Plug plug(4, 3);
  EXPECT_TRUE(plug.MakePresetFromNamedParams("named", {{2, 0.5}}));
  EXPECT_EQ(plug.GetPreset(0)->mChunk.Size(), 32);
  EXPECT_EQ(Stored(plug, 0), (Doubles{1.0, 2.0, 0.5, 4.0}));
  EXPECT_TRUE(plug.MakePresetFromNamedParams("odd", {{-1, 9.0}, {4, 9.0}, {1000000, 9.0}, {0, 8.0}}));
  EXPECT_EQ(Stored(plug, 1), (Doubles{8.0, 2.0, 3.0, 4.0}));
  EXPECT_TRUE(plug.MakePresetFromNamedParams("marker", {{1, 9.999e-8}, {3, 1e-7}}));
  EXPECT_EQ(Stored(plug, 2), (Doubles{1.0, 2.0, 3.0, 1e-7}));
}

TEST(PluginPresetsMake, BlobIsDecodedIntoAZeroFilledChunk)
{
  StandalonePlugin plug(0, 2);
  EXPECT_TRUE(plug.MakePresetFromBlob("blob", "S2VzdHJv", 16)); // "Kestro"
  std::vector<uint8_t> expected = {'K', 'e', 's', 't', 'r', 'o'};
  expected.resize(16, 0);
  EXPECT_EQ(Bytes(plug.GetPreset(0)->mChunk), expected);
  // Decoding stops at "=" and when the buffer is full.
  EXPECT_TRUE(plug.MakePresetFromBlob("short", "S2VzdA==S2Vz", 3));
  EXPECT_EQ(Bytes(plug.GetPreset(1)->mChunk), (std::vector<uint8_t>{'K', 'e', 's'}));
}

TEST(PluginPresetsMake, AFreeSlotHoldingAStateIsMadeFromNothing)
{
  // Storing the state into the current preset while it is free (as loading
  // a program file does), or a presets chunk freeing a slot, leaves bytes in
  // a slot that is still free: the next preset made there holds only its own.
  Plug plug(1, 3);
  plug.GetParam(0)->Set(2.0);
  plug.ModifyCurrentPreset(nullptr);
  ASSERT_FALSE(plug.GetPreset(0)->mInitialized);
  plug.GetParam(0)->Set(7.0);
  plug.MakeDefaultPreset("C", 1);
  EXPECT_EQ(Stored(plug, 0), (Doubles{7.0}));
  plug.GetParam(0)->Set(2.0);
  plug.MakeDefaultPreset("B", 1);
  const IByteChunk chunk = PresetsChunk({{"x", true, {3.0}}, {"y", false, {}}, {"z", false, {}}});
  ASSERT_EQ(plug.UnserializePresets(chunk, 0), chunk.Size());
  ASSERT_FALSE(plug.GetPreset(1)->mInitialized);
  plug.GetParam(0)->Set(7.0);
  plug.MakeDefaultPreset("D", 1);
  EXPECT_STREQ(plug.GetPresetName(1), "D");
  EXPECT_EQ(Stored(plug, 1), (Doubles{7.0}));
}

// Restoring ------------------------------------------------------------------------------------

TEST(PluginPresetsRestore, AppliesTheStateRefreshesTheEditorAndFindsNamesExactly)
{
  Plug plug(2, 3);
  plug.MakePreset("a", {10.0, 20.0});
  plug.MakePreset("b", {30.0, 40.0});
  plug.MakePreset("b", {50.0, 60.0});
  EXPECT_TRUE(plug.RestorePreset(1));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);
  EXPECT_EQ(plug.GetParam(0)->Value(), 30.0);
  EXPECT_EQ(plug.valuesToEditor, (std::vector<std::pair<int, double>>{{0, 0.3}, {1, 0.4}}));
  EXPECT_FALSE(plug.RestorePreset(-1));
  EXPECT_FALSE(plug.RestorePreset(3));
  for (const char* name : {"B", "", static_cast<const char*>(nullptr)})
    EXPECT_FALSE(plug.RestorePreset(name));
  EXPECT_TRUE(plug.RestorePreset("a"));
  EXPECT_TRUE(plug.RestorePreset("b"));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 1) << "the first of that name";
  // A state that cannot be read is refused.
  Plug bad(2, 1);
  IByteChunk tooShort;
  tooShort.PutDouble(9.0);
  bad.MakePresetFromChunk("bad", tooShort);
  EXPECT_FALSE(bad.RestorePreset(0));
}

TEST(PluginPresetsRestore, AFreeSlotBecomesTheNextUserPresetWithOneCopyOfTheState)
{
  Plug plug(2, 3);
  plug.MakeDefaultPreset("user preset 1", 1);
  plug.MakeDefaultPreset("my user preset 7", 1);
  plug.GetParam(0)->Set(50.0);
  plug.paramChanges.clear();
  EXPECT_TRUE(plug.RestorePreset(2));
  EXPECT_STREQ(plug.GetPresetName(2), "user preset 3");
  EXPECT_TRUE(plug.GetPreset(2)->mInitialized);
  EXPECT_EQ(Stored(plug, 2), (Doubles{50.0, 2.0}));
  EXPECT_TRUE(plug.paramChanges.empty());
  // A free slot already holding a state (as loading a program file leaves
  // it) keeps one copy, or the presets chunk would carry two and every
  // later slot would be misread.
  Plug loaded(2, 2);
  loaded.ModifyCurrentPreset("Loaded");
  EXPECT_TRUE(loaded.RestorePreset(0));
  EXPECT_EQ(Stored(loaded, 0), (Doubles{1.0, 2.0}));
  IByteChunk presets;
  ASSERT_TRUE(loaded.SerializePresets(presets));
  EXPECT_EQ(Bytes(presets), Bytes(PresetsChunk({{"user preset 1", true, {1.0, 2.0}}, {"empty", false, {}}})));
}

TEST(PluginPresetsRestore, AFreeSlotWhoseStateCannotBeCapturedStaysAsItWas)
{
  struct CaptureFails : StandalonePlugin
  {
    CaptureFails() : StandalonePlugin(1, 2) {}
    bool SerializeState(IByteChunk&) const override { return false; }
  } plug;
  plug.GetPreset(1)->mChunk.PutDouble(4.0); // a free slot may hold bytes
  EXPECT_FALSE(plug.RestorePreset(1));
  EXPECT_FALSE(plug.GetPreset(1)->mInitialized);
  EXPECT_STREQ(plug.GetPresetName(1), "empty");
  EXPECT_EQ(Stored(plug, 1), (Doubles{4.0}));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 0);
}

TEST(PluginPresetsRestore, ModifyAndPrune)
{
  Plug plug(1, 3);
  plug.MakeDefaultPreset("one", 1);
  plug.GetParam(0)->Set(9.0);
  plug.ModifyCurrentPreset("renamed");
  plug.ModifyCurrentPreset(nullptr);
  EXPECT_STREQ(plug.GetPresetName(0), "renamed");
  EXPECT_EQ(Stored(plug, 0), (Doubles{9.0}));
  plug.PruneUninitializedPresets();
  EXPECT_EQ(plug.NPresets(), 1);
}

// Presets chunk -----------------------------------------------------------------------------------

TEST(PluginPresetsChunk, LayoutAndRoundTrip)
{
  Plug plug(2, 3);
  plug.MakePreset("first", {5.0, 6.0});
  plug.MakePreset("second", {7.0, 8.0});
  std::strcpy(plug.GetPreset(2)->mName, "B");
  IByteChunk chunk;
  EXPECT_TRUE(plug.SerializePresets(chunk));
  EXPECT_EQ(Bytes(chunk),
    Bytes(PresetsChunk({{"first", true, {5.0, 6.0}}, {"second", true, {7.0, 8.0}}, {"B", false, {}}})));
  Plug other(2, 3);
  EXPECT_EQ(other.UnserializePresets(chunk, 0), chunk.Size());
  EXPECT_STREQ(other.GetPresetName(1), "second");
  EXPECT_STREQ(other.GetPresetName(2), "B");
  EXPECT_EQ(Stored(other, 1), (Doubles{7.0, 8.0}));
  EXPECT_EQ(other.GetParam(0)->Value(), 5.0) << "the current preset (0) is restored last";
}

TEST(PluginPresetsChunk, CutNamesMissingFlagsAndShortStatesStopTheRead)
{
  // A cut name keeps the old name.
  Plug plug(1, 1);
  plug.MakeDefaultPreset("kept", 1);
  IByteChunk cutName;
  cutName.PutUInt32(10);
  cutName.PutBytes("abc", 3);
  EXPECT_EQ(plug.UnserializePresets(cutName, 0), -1);
  EXPECT_STREQ(plug.GetPresetName(0), "kept");
  EXPECT_TRUE(plug.GetPreset(0)->mInitialized);
  // A missing flag reads no state: only the closing restore of the current
  // preset reads one, once.
  plug.GetParam(0)->Set(42.0);
  plug.paramChanges.clear();
  IByteChunk noFlag;
  noFlag.PutStr("new");
  EXPECT_EQ(plug.UnserializePresets(noFlag, 0), -1);
  EXPECT_STREQ(plug.GetPresetName(0), "new");
  EXPECT_EQ(plug.paramChanges.size(), 1u);
  // A state of one of two values stops the read.
  Plug two(2, 2);
  EXPECT_EQ(two.UnserializePresets(PresetsChunk({{"x", true, {3.0}}}), 0), -1);
  EXPECT_STREQ(two.GetPresetName(1), "empty");
}
