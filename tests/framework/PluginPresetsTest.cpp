#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/NumberText.h"
#include "tests/framework/fakes/StandalonePlugin.h"

using fakes::StandalonePlugin;
using plugkit::IByteChunk;
using plugkit::IPreset;

namespace {

std::vector<uint8_t> Bytes(const IByteChunk& c)
{
  return std::vector<uint8_t>(c.GetData(), c.GetData() + c.Size());
}

std::vector<double> Doubles(const IByteChunk& c)
{
  std::vector<double> out;
  double v;
  for (int pos = 0; (pos = c.GetDouble(v, pos)) > 0;)
    out.push_back(v);
  return out;
}

// n parameters over 0..100 in steps of 0.5, parameter i holding i + 1.
void InitParams(StandalonePlugin& plug)
{
  for (int i = 0; i < plug.NParams(); ++i)
  {
    plug.GetParam(i)->InitDouble("p", 0.0, 0.0, 100.0, 0.5);
    plug.GetParam(i)->Set(i + 1.0);
  }
}

} // namespace

// Making presets -------------------------------------------------------------------------------

TEST(PluginPresetsMake, NewSlotsAreFreeAndNamedEmpty)
{
  StandalonePlugin plug(2, 3);
  ASSERT_EQ(plug.NPresets(), 3);
  EXPECT_FALSE(plug.GetPreset(0)->mInitialized);
  EXPECT_STREQ(plug.GetPresetName(0), "empty");
  EXPECT_STREQ(plug.GetPresetName(-1), "");
  EXPECT_STREQ(plug.GetPresetName(3), "");
}

TEST(PluginPresetsMake, DefaultAndFillUseTheCurrentState)
{
  StandalonePlugin plug(2, 4);
  InitParams(plug);
  plug.MakeDefaultPreset("Init", 1);
  plug.MakeDefaultPreset(nullptr, 1);
  EXPECT_STREQ(plug.GetPresetName(0), "Init");
  EXPECT_STREQ(plug.GetPresetName(1), "Empty");
  EXPECT_EQ(Doubles(plug.GetPreset(0)->mChunk), (std::vector<double>{1.0, 2.0}));
  plug.FillEmptyPresets();
  for (int i = 0; i < 4; ++i)
    EXPECT_TRUE(plug.GetPreset(i)->mInitialized);
  // No free slot: nothing happens.
  EXPECT_FALSE(plug.MakePresetFromChunk("late", IByteChunk()));
  EXPECT_STREQ(plug.GetPresetName(3), "Empty");
}

TEST(PluginPresetsMake, ValueListNeedsOneValuePerParameter)
{
  StandalonePlugin plug(3, 2);
  InitParams(plug);
  EXPECT_FALSE(plug.MakePreset("short", {1.0, 2.0}));
  EXPECT_FALSE(plug.GetPreset(0)->mInitialized);
  EXPECT_TRUE(plug.MakePreset("full", {4, 5.5, 6}));
  EXPECT_EQ(Doubles(plug.GetPreset(0)->mChunk), (std::vector<double>{4.0, 5.5, 6.0}));
}

TEST(PluginPresetsMake, NamedParamsFillTheRestFromCurrentValues)
{
  StandalonePlugin plug(4, 3);
  InitParams(plug);
  EXPECT_TRUE(plug.MakePresetFromNamedParams("named", {{2, 0.5}}));
  const IPreset& preset = *plug.GetPreset(0);
  EXPECT_EQ(preset.mChunk.Size(), 32);
  EXPECT_EQ(Doubles(preset.mChunk), (std::vector<double>{1.0, 2.0, 0.5, 4.0}));

  // Pairs naming no parameter are ignored.
  EXPECT_TRUE(plug.MakePresetFromNamedParams("odd", {{-1, 9.0}, {4, 9.0}, {1000000, 9.0}, {0, 8.0}}));
  EXPECT_EQ(Doubles(plug.GetPreset(1)->mChunk), (std::vector<double>{8.0, 2.0, 3.0, 4.0}));
}

TEST(PluginPresetsMake, BlobIsDecodedIntoAZeroFilledChunk)
{
  StandalonePlugin plug(0, 2);
  // "Kestro" in base64, 6 bytes.
  EXPECT_TRUE(plug.MakePresetFromBlob("blob", "S2VzdHJv", 16));
  std::vector<uint8_t> expected = {'K', 'e', 's', 't', 'r', 'o'};
  expected.resize(16, 0);
  EXPECT_EQ(Bytes(plug.GetPreset(0)->mChunk), expected);

  // Decoding stops at "=" and when the buffer is full.
  EXPECT_TRUE(plug.MakePresetFromBlob("short", "S2VzdA==S2Vz", 3));
  EXPECT_EQ(Bytes(plug.GetPreset(1)->mChunk), (std::vector<uint8_t>{'K', 'e', 's'}));
}

TEST(PluginPresetsMake, LongNamesAreCutLosingAtMostOneSplitCharacter)
{
  const std::string a24(24, 'a');
  const struct
  {
    std::string text, expected; // into a 28-byte field
  } cases[] = {
    {std::string(400, 'x'), std::string(27, 'x')},
    {std::string(40, '\xB0'), std::string(27, '\xB0')},                     // not UTF-8: cut at the limit
    {"Pad " + std::string(30, '\xB2'), "Pad " + std::string(23, '\xB2')},
    {"2" + std::string(16, '\x94') + std::string(16, '\xFF'), "2" + std::string(16, '\x94') + std::string(10, '\xFF')},
    {a24 + "ab\xE2\x82\xAC", a24 + "ab"},                                  // a 3-byte character split
    {a24 + "\xF0\x9F\x8E\xB5", a24},                                       // a 4-byte character split
    {a24 + "a\xC3\xA9\x80", a24 + "a\xC3\xA9"},                            // one that fits is kept
  };
  for (const auto& c : cases)
  {
    char field[28];
    plugkit::CopyToField(field, sizeof(field), c.text.c_str());
    EXPECT_EQ(std::string(field), c.expected) << c.text;
  }

  // A preset name longer than its field, read from a presets chunk.
  StandalonePlugin plug(1, 1);
  IByteChunk presets;
  presets.PutStr(std::string(300, '\x94').c_str());
  presets.PutBool(true);
  presets.PutDouble(5.0);
  EXPECT_EQ(plug.UnserializePresets(presets, 0), presets.Size());
  EXPECT_EQ(std::string(plug.GetPresetName(0)), std::string(IPreset::kNameFieldSize - 1, '\x94'));
}

// Restoring ------------------------------------------------------------------------------------

TEST(PluginPresetsRestore, AppliesTheStateAndRefreshesTheEditor)
{
  StandalonePlugin plug(2, 2);
  InitParams(plug);
  plug.MakePreset("a", {10.0, 20.0});
  plug.MakePreset("b", {30.0, 40.0});
  EXPECT_TRUE(plug.RestorePreset(1));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);
  EXPECT_EQ(plug.GetParam(0)->Value(), 30.0);
  ASSERT_EQ(plug.valuesToEditor.size(), 2u);
  EXPECT_DOUBLE_EQ(plug.valuesToEditor[1].second, 0.4);

  EXPECT_FALSE(plug.RestorePreset(-1));
  EXPECT_FALSE(plug.RestorePreset(2));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);
}

TEST(PluginPresetsRestore, ByNameIsExactAndTakesTheFirst)
{
  StandalonePlugin plug(1, 3);
  InitParams(plug);
  plug.MakePreset("Loud", {1.0});
  plug.MakePreset("Soft", {2.0});
  plug.MakePreset("Soft", {3.0});
  EXPECT_FALSE(plug.RestorePreset("soft"));
  EXPECT_FALSE(plug.RestorePreset(""));
  EXPECT_FALSE(plug.RestorePreset(static_cast<const char*>(nullptr)));
  EXPECT_TRUE(plug.RestorePreset("Soft"));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);
  EXPECT_EQ(plug.GetParam(0)->Value(), 2.0);
}

TEST(PluginPresetsRestore, AFreeSlotBecomesTheNextUserPreset)
{
  StandalonePlugin plug(2, 3);
  InitParams(plug);
  plug.MakeDefaultPreset("user preset 1", 1);
  plug.MakeDefaultPreset("my user preset 7", 1);
  plug.GetParam(0)->Set(50.0);
  plug.paramChanges.clear();

  EXPECT_TRUE(plug.RestorePreset(2));
  EXPECT_STREQ(plug.GetPresetName(2), "user preset 3");
  EXPECT_TRUE(plug.GetPreset(2)->mInitialized);
  EXPECT_EQ(Doubles(plug.GetPreset(2)->mChunk), (std::vector<double>{50.0, 2.0}));
  EXPECT_TRUE(plug.paramChanges.empty());
  EXPECT_EQ(plug.GetParam(0)->Value(), 50.0);
}

TEST(PluginPresetsRestore, AFreeSlotAlreadyHoldingAStateKeepsOneCopy)
{
  // Storing a state into a free current slot (as loading a program file
  // does) and then restoring it must leave one state in the slot, or the
  // presets chunk would carry two and every later slot would be misread.
  StandalonePlugin plug(2, 2);
  InitParams(plug);
  plug.ModifyCurrentPreset("Loaded");
  EXPECT_TRUE(plug.RestorePreset(0));
  EXPECT_EQ(Doubles(plug.GetPreset(0)->mChunk), (std::vector<double>{1.0, 2.0}));

  IByteChunk presets;
  ASSERT_TRUE(plug.SerializePresets(presets));
  // Slot 0: length 13, "user preset 1", flag 1, two doubles; slot 1: length
  // 5, "empty", flag 0.
  EXPECT_EQ(presets.Size(), (4 + 13 + 1 + 16) + (4 + 5 + 1));
  StandalonePlugin other(2, 2);
  InitParams(other);
  EXPECT_EQ(other.UnserializePresets(presets, 0), presets.Size());
  EXPECT_STREQ(other.GetPresetName(1), "empty");
}

TEST(PluginPresetsRestore, AStateThatCannotBeReadIsRefused)
{
  StandalonePlugin plug(2, 1);
  InitParams(plug);
  IByteChunk tooShort;
  tooShort.PutDouble(9.0);
  plug.MakePresetFromChunk("bad", tooShort);
  EXPECT_FALSE(plug.RestorePreset(0));
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
  EXPECT_EQ(Doubles(plug.GetPreset(1)->mChunk), (std::vector<double>{4.0}));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 0);
}

TEST(PluginPresetsRestore, ModifyAndPrune)
{
  StandalonePlugin plug(1, 3);
  InitParams(plug);
  plug.MakeDefaultPreset("one", 1);
  plug.GetParam(0)->Set(9.0);
  plug.ModifyCurrentPreset("renamed");
  EXPECT_STREQ(plug.GetPresetName(0), "renamed");
  EXPECT_EQ(Doubles(plug.GetPreset(0)->mChunk), (std::vector<double>{9.0}));
  plug.ModifyCurrentPreset(nullptr);
  EXPECT_STREQ(plug.GetPresetName(0), "renamed");

  plug.PruneUninitializedPresets();
  EXPECT_EQ(plug.NPresets(), 1);
}

// Presets chunk -----------------------------------------------------------------------------------

TEST(PluginPresetsChunk, LayoutOfAnInitialisedAndAFreeSlot)
{
  StandalonePlugin plug(1, 2);
  InitParams(plug);
  plug.MakeDefaultPreset("A", 1);
  plug.GetPreset(1)->mName[0] = 'B';
  plug.GetPreset(1)->mName[1] = '\0';

  IByteChunk chunk;
  EXPECT_TRUE(plug.SerializePresets(chunk));
  std::vector<uint8_t> expected = {1, 0, 0, 0, 'A', 1};
  const std::vector<uint8_t> state = Bytes(plug.GetPreset(0)->mChunk);
  expected.insert(expected.end(), state.begin(), state.end());
  for (uint8_t b : {1, 0, 0, 0, int('B'), 0})
    expected.push_back(b);
  EXPECT_EQ(Bytes(chunk), expected);
}

TEST(PluginPresetsChunk, RoundTrip)
{
  StandalonePlugin plug(2, 3);
  InitParams(plug);
  plug.MakePreset("first", {5.0, 6.0});
  plug.MakePreset("second", {7.0, 8.0});
  IByteChunk chunk;
  plug.SerializePresets(chunk);

  StandalonePlugin other(2, 3);
  InitParams(other);
  EXPECT_EQ(other.UnserializePresets(chunk, 0), chunk.Size());
  EXPECT_STREQ(other.GetPresetName(1), "second");
  EXPECT_STREQ(other.GetPresetName(2), "empty");
  EXPECT_EQ(Doubles(other.GetPreset(1)->mChunk), (std::vector<double>{7.0, 8.0}));
  // The current preset (0) is restored last.
  EXPECT_EQ(other.GetParam(0)->Value(), 5.0);
}

TEST(PluginPresetsChunk, ASlotTheChunkFreesHoldsOnlyTheNextPresetMadeInIt)
{
  StandalonePlugin plug(1, 3);
  InitParams(plug);
  plug.MakeDefaultPreset("A", 1);
  plug.GetParam(0)->Set(2.0);
  plug.MakeDefaultPreset("B", 1);

  // Slot 0 initialised with 3.0; slots 1 and 2 free.
  IByteChunk chunk;
  chunk.PutStr("x");
  chunk.PutBool(true);
  chunk.PutDouble(3.0);
  chunk.PutStr("y");
  chunk.PutBool(false);
  chunk.PutStr("z");
  chunk.PutBool(false);
  ASSERT_EQ(plug.UnserializePresets(chunk, 0), chunk.Size());
  ASSERT_FALSE(plug.GetPreset(1)->mInitialized);

  plug.GetParam(0)->Set(7.0);
  plug.MakeDefaultPreset("C", 1);
  EXPECT_STREQ(plug.GetPresetName(1), "C");
  EXPECT_EQ(Doubles(plug.GetPreset(1)->mChunk), (std::vector<double>{7.0}));
}

TEST(PluginPresetsMake, AFreeCurrentSlotHoldingAStateIsMadeFromNothing)
{
  // Storing the state into the current preset while it is free (as loading
  // a program file does) leaves bytes in a slot that is still free.
  StandalonePlugin plug(1, 1);
  InitParams(plug);
  plug.GetParam(0)->Set(2.0);
  plug.ModifyCurrentPreset(nullptr);
  ASSERT_FALSE(plug.GetPreset(0)->mInitialized);

  plug.GetParam(0)->Set(7.0);
  plug.MakeDefaultPreset("C", 1);
  EXPECT_EQ(Doubles(plug.GetPreset(0)->mChunk), (std::vector<double>{7.0}));
}

TEST(PluginPresetsChunk, ACutNameKeepsTheOldName)
{
  StandalonePlugin plug(1, 1);
  InitParams(plug);
  plug.MakeDefaultPreset("kept", 1);
  IByteChunk chunk;
  chunk.PutUInt32(10);
  chunk.PutBytes("abc", 3);
  EXPECT_EQ(plug.UnserializePresets(chunk, 0), -1);
  EXPECT_STREQ(plug.GetPresetName(0), "kept");
  EXPECT_TRUE(plug.GetPreset(0)->mInitialized);
}

TEST(PluginPresetsChunk, AMissingFlagReadsNoState)
{
  StandalonePlugin plug(1, 1);
  InitParams(plug);
  plug.MakeDefaultPreset("old", 1);
  plug.GetParam(0)->Set(42.0);
  IByteChunk chunk;
  chunk.PutStr("new");
  plug.paramChanges.clear();
  EXPECT_EQ(plug.UnserializePresets(chunk, 0), -1);
  EXPECT_STREQ(plug.GetPresetName(0), "new");
  // Only the closing restore of the current preset reads a state: once.
  EXPECT_EQ(plug.paramChanges.size(), 1u);
}

TEST(PluginPresetsChunk, AShortStateStopsTheRead)
{
  StandalonePlugin plug(2, 2);
  InitParams(plug);
  IByteChunk chunk;
  chunk.PutStr("x");
  chunk.PutBool(true);
  chunk.PutDouble(3.0); // one of two values
  EXPECT_EQ(plug.UnserializePresets(chunk, 0), -1);
  EXPECT_STREQ(plug.GetPresetName(1), "empty");
}
