// Capturing the current state into a preset slot: the slot takes its new
// name before the capture (a state may carry it), and a state writer that
// fails leaves the slot as it was, also when a preset bank is read.
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "tests/framework/fakes/StandalonePlugin.h"

namespace {

using plugkit::IByteChunk;

// Its state names the current preset, then holds the one value; the writer
// can be made to fail.
struct NamingPlug : fakes::StandalonePlugin
{
  NamingPlug() : StandalonePlugin(1, 2) { GetParam(0)->InitDouble("p", 0.0, 0.0, 100.0, 0.5); }
  bool SerializeState(IByteChunk& chunk) const override
  {
    return !failWriter && chunk.PutStr(GetPresetName(GetCurrentPresetIdx())) >= 0 && SerializeParams(chunk);
  }
  int UnserializeState(const IByteChunk& chunk, int pos) override
  {
    PK_String name;
    pos = chunk.GetStr(name, pos);
    return pos < 0 ? -1 : UnserializeParams(chunk, pos);
  }
  bool failWriter = false;
};

// The name and value a slot's state holds; ("?", -1) when it holds none.
std::pair<std::string, double> Captured(const NamingPlug& plug, int slot)
{
  const IByteChunk& chunk = plug.GetPreset(slot)->mChunk;
  PK_String name;
  double value = -1.0;
  const int pos = chunk.GetStr(name, 0);
  if (pos < 0 || chunk.GetDouble(value, pos) != chunk.Size())
    return {"?", -1.0};
  return {name.Get(), value};
}

TEST(PresetCapture, AFailingStateWriterLeavesEverySlotAsItWas)
{
  NamingPlug plug;
  plug.GetPreset(1)->mChunk.PutDouble(4.0); // a free slot may hold bytes
  plug.failWriter = true;
  plug.MakeDefaultPreset("made", 2);
  for (int slot : {0, 1})
  {
    EXPECT_FALSE(plug.GetPreset(slot)->mInitialized);
    EXPECT_STREQ(plug.GetPresetName(slot), "empty");
  }
  EXPECT_EQ(plug.GetPreset(0)->mChunk.Size(), 0);
  EXPECT_EQ(plug.GetPreset(1)->mChunk.Size(), 8);

  plug.failWriter = false;
  plug.GetParam(0)->Set(10.0);
  plug.MakeDefaultPreset("made", 1);
  const IByteChunk before = plug.GetPreset(0)->mChunk;
  plug.failWriter = true;
  plug.GetParam(0)->Set(20.0);
  plug.ModifyCurrentPreset("changed");
  EXPECT_STREQ(plug.GetPresetName(0), "made");
  EXPECT_TRUE(plug.GetPreset(0)->mChunk.IsEqual(before));
  EXPECT_TRUE(plug.GetPreset(0)->mInitialized);
}

TEST(PresetCapture, APresetBankReadWithAFailingWriterLeavesEachSlotsStateAsItWas)
{
  NamingPlug writer;
  writer.GetParam(0)->Set(70.0);
  writer.MakeDefaultPreset("stored", 2);
  IByteChunk bank;
  ASSERT_TRUE(writer.SerializePresets(bank));

  NamingPlug reader;
  reader.GetParam(0)->Set(10.0);
  reader.MakeDefaultPreset("mine", 1); // slot 1 stays free
  const IByteChunk before = reader.GetPreset(0)->mChunk;
  reader.failWriter = true;
  EXPECT_EQ(reader.UnserializePresets(bank, 0), bank.Size());
  EXPECT_TRUE(reader.GetPreset(0)->mChunk.IsEqual(before));
  EXPECT_TRUE(reader.GetPreset(0)->mInitialized);
  EXPECT_FALSE(reader.GetPreset(1)->mInitialized);

  // What it saves next reads back whole.
  reader.failWriter = false;
  IByteChunk saved;
  ASSERT_TRUE(reader.SerializePresets(saved));
  EXPECT_EQ(NamingPlug().UnserializePresets(saved, 0), saved.Size());
}

TEST(PresetCapture, TheCapturedStateCarriesTheSlotsNewName)
{
  NamingPlug plug;
  plug.GetParam(0)->Set(10.0);
  plug.MakeDefaultPreset("first", 1);
  EXPECT_EQ(Captured(plug, 0), std::make_pair(std::string("first"), 10.0));
  plug.GetParam(0)->Set(30.0);
  plug.ModifyCurrentPreset("renamed");
  EXPECT_EQ(Captured(plug, 0), std::make_pair(std::string("renamed"), 30.0));
  plug.ModifyCurrentPreset(nullptr); // keeps the name
  EXPECT_EQ(Captured(plug, 0), std::make_pair(std::string("renamed"), 30.0));
}

} // namespace
