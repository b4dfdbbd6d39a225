// The state container as a host stores it: its layout, its place among other
// data, and every way a stored state can be broken.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "framework/NumberText.h"
#include "plugin/StateContainer.h"
#include "tests/plugin/support/StatePlugin.h"

namespace {

using plugkit::IByteChunk;
using testsupport::StatePlugin;
using tolvane3::kTargetLevel;

uint32_t Word(const IByteChunk& c, int pos)
{
  uint32_t w = 0;
  EXPECT_GT(c.GetUInt32(w, pos), 0);
  return w;
}

void SetWord(IByteChunk& c, int pos, uint32_t w)
{
  for (int i = 0; i < 4; ++i)
    c.GetData()[pos + i] = static_cast<uint8_t>(w >> (8 * i));
}

// A saved state whose values differ from a fresh plug-in's.
IByteChunk SavedState(const char* presetName = "Saved")
{
  StatePlugin source;
  source.GetParam(kTargetLevel)->Set(-30.0);
  plugkit::CopyToField(source.GetPreset(0)->mName, 256, presetName);
  IByteChunk chunk;
  EXPECT_TRUE(source.SerializeState(chunk));
  return chunk;
}

TEST(StateContainer, LayoutPadsOddTextsAndTheReaderLandsBehindThePad)
{
  for (const char* name : {"Saved", "Saved1"})
  {
    SCOPED_TRACE(name);
    const IByteChunk c = SavedState(name);
    const uint32_t L = Word(c, 28);
    const uint32_t pad = L & 1;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(c.GetData()), 4), "RIFF");
    EXPECT_EQ(Word(c, 4), 24 + L + pad);
    EXPECT_EQ(Word(c, 8), 1u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(c.GetData()) + 12, 8), "KPCMKPCS");
    EXPECT_EQ(Word(c, 20), 8 + L);
    EXPECT_EQ(Word(c, 24), 1u);
    EXPECT_EQ(c.Size(), static_cast<int>(32 + L + pad));
    if (pad)
    {
      EXPECT_EQ(c.GetData()[32 + L], 0);
    }

    StatePlugin target;
    EXPECT_EQ(target.UnserializeState(c, 0), c.Size());
    EXPECT_DOUBLE_EQ(target.GetParam(kTargetLevel)->Value(), -30.0);
    EXPECT_STREQ(target.GetPresetName(0), name);
    EXPECT_EQ(target.changes.size(), static_cast<size_t>(tolvane3::kNumParams));
  }
}

TEST(StateContainer, TwoContainersInARowAreReadOneAfterTheOther)
{
  IByteChunk both = SavedState("First");
  const int second = both.Size();
  both.PutChunk(SavedState("Second"));
  StatePlugin target;
  EXPECT_EQ(target.UnserializeState(both, 0), second);
  EXPECT_STREQ(target.GetPresetName(0), "First");
  EXPECT_EQ(target.UnserializeState(both, second), both.Size());
  EXPECT_STREQ(target.GetPresetName(0), "Second");
}

TEST(StateContainer, NoContainerAtThePositionReturnsItUntouched)
{
  StatePlugin target;
  IByteChunk framework;
  target.SerializeParams(framework);
  IByteChunk shortTag;
  shortTag.PutBytes("RIF", 3);
  for (const IByteChunk* c : {&framework, &shortTag})
  {
    EXPECT_EQ(target.UnserializeState(*c, 0), 0);
    EXPECT_EQ(target.UnserializeState(*c, 1), 1);
  }
  EXPECT_TRUE(target.changes.empty());
}

TEST(StateContainer, EveryBrokenStateIsRefusedWithMinusOneAndChangesNothing)
{
  const IByteChunk good = SavedState();
  const int L = static_cast<int>(Word(good, 28));
  const std::string text(reinterpret_cast<const char*>(good.GetData()) + 32, static_cast<size_t>(L));
  const int maker = 32 + static_cast<int>(text.find("Kestrova"));
  struct Case
  {
    const char* name;
    int at;          // word to overwrite (-1: none)
    uint32_t word;
    int keep;        // bytes kept (-1: all)
  };
  const Case cases[] = {
    {"outer version 2", 8, 2, -1},
    {"third tag", 12, 0x4D435058, -1},
    {"fourth tag", 16, 0x53435058, -1},
    {"inner size 0", 20, 0, -1},
    {"inner version 2", 24, 2, -1},
    {"outer size past the chunk", 4, 0xFFFFFFF0u, -1},
    {"outer size shorter than the text", 4, 24, -1},
    {"text length that would wrap", 28, 0xFFFFFFFCu, -1},
    {"text length past the container", 28, static_cast<uint32_t>(L + 8), -1},
    {"cut after the outer size", -1, 0, 8},
    {"cut after the header", -1, 0, 28},
    {"cut inside the text", -1, 0, 32 + L / 2},
    {"refused document: maker in other case", maker, 0x7473656B /* "kest" */, -1},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    IByteChunk bad;
    bad.PutChunk(good);
    if (c.at >= 0)
      SetWord(bad, c.at, c.word);
    if (c.keep >= 0)
      bad.Resize(c.keep);
    StatePlugin target;
    target.GetParam(kTargetLevel)->Set(-20.0);
    EXPECT_EQ(target.UnserializeState(bad, 0), -1);
    EXPECT_DOUBLE_EQ(target.GetParam(kTargetLevel)->Value(), -20.0);
    EXPECT_STREQ(target.GetPresetName(0), "Init");
    EXPECT_TRUE(target.changes.empty());
  }
}

TEST(StateContainer, AnEmptyDocumentLeavesACompleteContainerThatReadsAsRefused)
{
  IByteChunk c;
  EXPECT_FALSE(tolvane3::SerializeStateContainer(c, [](IByteChunk&) { return false; }));
  ASSERT_EQ(c.Size(), 28);
  EXPECT_EQ(Word(c, 4), 20u);
  EXPECT_EQ(Word(c, 20), 4u);
  bool read = false;
  EXPECT_EQ(tolvane3::UnserializeStateContainer(c, 0, [&](const IByteChunk&, int) { return read = true; }), -1);
  EXPECT_FALSE(read);
}

} // namespace
