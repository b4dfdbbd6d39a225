#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/ProgramFiles.h"
#include "tests/framework/fakes/ApiTestPlugin.h"
#include "tests/support/TempHome.h"

namespace {

using fakes::ApiTestConfig;
using fakes::ApiTestPlugin;
using namespace plugkit;
using Bytes = std::vector<uint8_t>;

Bytes ReadAll(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const Bytes& bytes, size_t length)
{
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(bytes.data()),
    static_cast<std::streamsize>(length));
}

uint32_t BE32(const Bytes& b, size_t at)
{
  return (uint32_t(b[at]) << 24) | (uint32_t(b[at + 1]) << 16) | (uint32_t(b[at + 2]) << 8) | b[at + 3];
}

float FloatAt(const Bytes& b, size_t at)
{
  const uint32_t bits = BE32(b, at);
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}

std::string Text(const Bytes& b, size_t at, size_t n)
{
  return std::string(reinterpret_cast<const char*>(b.data() + at), n);
}

PluginConfig Config(int params, int presets, bool chunks = false)
{
  PluginConfig config = ApiTestConfig(true, chunks);
  config.paramCount = params;
  config.presetCount = presets;
  return config;
}

// A plug-in whose state is 100 bytes: its three values and a 76-byte tag.
// The reader refuses a state whose tag is wrong, after it has already set
// the values, as a real reader that meets bad data late would.
class ChunkPlugin : public ApiTestPlugin
{
public:
  static constexpr int kTagSize = 76;

  ChunkPlugin() : ApiTestPlugin(Config(3, 2, true)) {}

  bool SerializeState(IByteChunk& chunk) const override
  {
    char tag[kTagSize];
    std::memset(tag, 'T', sizeof(tag));
    return SerializeParams(chunk) && chunk.PutBytes(tag, kTagSize) >= 0;
  }
  int UnserializeState(const IByteChunk& chunk, int startPos) override
  {
    const int pos = UnserializeParams(chunk, startPos);
    char tag[kTagSize];
    if (pos < 0 || chunk.GetBytes(tag, kTagSize, pos) < 0)
      return -1;
    for (char c : tag)
      if (c != 'T')
        return -1;
    return pos + kTagSize;
  }
};

class ProgramFiles : public testing::Test
{
protected:
  std::string Path(const char* name) const { return mTemp.Join(name); }

  // Every value and every preset slot, to see that a refused load changed
  // nothing.
  static std::string Fingerprint(const PluginBase& plugin)
  {
    std::string print;
    for (int i = 0; i < plugin.NParams(); ++i)
      print += std::to_string(plugin.GetParam(i)->Value()) + ";";
    for (int i = 0; i < plugin.NPresets(); ++i)
    {
      const IPreset& p = *plugin.GetPreset(i);
      print += std::string(p.mName) + (p.mInitialized ? "+" : "-") +
               std::string(reinterpret_cast<const char*>(p.mChunk.GetData()), p.mChunk.Size()) + "|";
    }
    return print + std::to_string(plugin.GetCurrentPresetIdx());
  }

  testsupport::TempFolder mTemp;
};

TEST_F(ProgramFiles, AProgramOfTwoParametersIs64Bytes)
{
  ApiTestPlugin plugin(Config(2, 1));
  plugin.MakeDefaultPreset("Warm");
  plugin.GetParam(0)->Set(12.0);
  plugin.GetParam(1)->Set(4.0);
  ASSERT_TRUE(SavePresetAsFXP(plugin, Path("p.fxp").c_str()));

  const Bytes b = ReadAll(Path("p.fxp"));
  ASSERT_EQ(b.size(), 64u);
  EXPECT_EQ(Text(b, 0, 4), "CcnK");
  EXPECT_EQ(BE32(b, 4), 56u);
  EXPECT_EQ(Text(b, 8, 4), "FxCk");
  EXPECT_EQ(BE32(b, 12), 1u);
  EXPECT_EQ(BE32(b, 16), static_cast<uint32_t>(plugin.GetUniqueID()));
  EXPECT_EQ(BE32(b, 20), 3280u);
  EXPECT_EQ(BE32(b, 24), 2u);
  EXPECT_EQ(Text(b, 28, 5), std::string("Warm\0", 5));
  for (size_t i = 33; i < 56; ++i)
    EXPECT_EQ(b[i], 0) << i;
  EXPECT_FLOAT_EQ(FloatAt(b, 56), static_cast<float>((12.0 + 24.0) / 48.0));
  EXPECT_FLOAT_EQ(FloatAt(b, 60), 0.4f);
}

TEST_F(ProgramFiles, AChunkProgramWrapsTheStateInTheFrameworkChunk)
{
  ChunkPlugin plugin;
  ASSERT_TRUE(SavePresetAsFXP(plugin, Path("c.fxp").c_str()));
  const Bytes b = ReadAll(Path("c.fxp"));
  ASSERT_EQ(b.size(), 168u);
  EXPECT_EQ(BE32(b, 4), 160u);
  EXPECT_EQ(Text(b, 8, 4), "FPCh");
  EXPECT_EQ(BE32(b, 56), 108u);
  EXPECT_EQ(Text(b, 60, 4), "tffp");
  EXPECT_EQ(Text(b, 64, 4), std::string("\0\0\1\0", 4)) << "the framework version is little-endian";
  IByteChunk state;
  plugin.SerializeState(state);
  EXPECT_EQ(std::memcmp(b.data() + 68, state.GetData(), 100), 0);
}

TEST_F(ProgramFiles, ABankOfThreePresetsAndTwoParametersIs348Bytes)
{
  ApiTestPlugin plugin(Config(2, 3));
  plugin.GetParam(0)->Set(-24.0);
  plugin.MakeDefaultPreset("Low");
  plugin.GetParam(0)->Set(24.0);
  plugin.GetParam(1)->Set(10.0);
  plugin.MakeDefaultPreset("High");
  plugin.MakeDefaultPreset("Same");
  plugin.RestorePreset(1);
  ASSERT_TRUE(SaveBankAsFXB(plugin, Path("b.fxb").c_str()));

  const Bytes b = ReadAll(Path("b.fxb"));
  ASSERT_EQ(b.size(), 156u + 3u * 64u);
  EXPECT_EQ(Text(b, 0, 4), "CcnK");
  EXPECT_EQ(BE32(b, 4), static_cast<uint32_t>(b.size() - 8));
  EXPECT_EQ(Text(b, 8, 4), "FxBk");
  EXPECT_EQ(BE32(b, 12), 2u);
  EXPECT_EQ(BE32(b, 24), 3u);
  EXPECT_EQ(BE32(b, 28), 1u);
  for (size_t i = 32; i < 156; ++i)
    EXPECT_EQ(b[i], 0) << i;
  // Each record is a program file of its own, with the preset's stored values.
  EXPECT_EQ(Text(b, 156, 4), "CcnK");
  EXPECT_EQ(BE32(b, 160), 56u);
  EXPECT_EQ(Text(b, 164, 4), "FxCk");
  EXPECT_EQ(Text(b, 156 + 28, 4), std::string("Low\0", 4));
  EXPECT_FLOAT_EQ(FloatAt(b, 156 + 56), 0.f);
  EXPECT_EQ(Text(b, 220 + 28, 4), "High");
  EXPECT_FLOAT_EQ(FloatAt(b, 220 + 56), 1.f);
  EXPECT_FLOAT_EQ(FloatAt(b, 220 + 60), 1.f);
}

TEST_F(ProgramFiles, AChunkBankHoldsThePresetsChunk)
{
  ChunkPlugin plugin;
  plugin.MakeDefaultPreset("A");
  ASSERT_TRUE(SaveBankAsFXB(plugin, Path("c.fxb").c_str()));
  const Bytes b = ReadAll(Path("c.fxb"));
  IByteChunk presets;
  plugin.SerializePresets(presets);
  ASSERT_EQ(b.size(), 168u + static_cast<size_t>(presets.Size()));
  EXPECT_EQ(Text(b, 8, 4), "FBCh");
  EXPECT_EQ(BE32(b, 156), static_cast<uint32_t>(8 + presets.Size()));
  EXPECT_EQ(Text(b, 160, 4), "tffp");
  EXPECT_EQ(std::memcmp(b.data() + 168, presets.GetData(), static_cast<size_t>(presets.Size())), 0);
}

TEST_F(ProgramFiles, AProgramRoundTripsIntoTheCurrentPreset)
{
  ApiTestPlugin plugin(Config(3, 2));
  plugin.GetParam(0)->InitDouble("Freq", 1000.0, 20.0, 20000.0, 0.0, "Hz", 0, "", IParam::ShapeExp());
  plugin.GetParam(0)->Set(632.46);
  plugin.GetParam(1)->Set(7.0);
  plugin.GetParam(2)->Set(33.0);
  plugin.MakeDefaultPreset("Saved");
  ASSERT_TRUE(SavePresetAsFXP(plugin, Path("p.fxp").c_str()));
  EXPECT_NEAR(FloatAt(ReadAll(Path("p.fxp")), 56), 0.5, 1e-4) << "632.46 lies half-way on 20..20000";

  plugin.GetParam(0)->Set(5000.0);
  plugin.GetParam(1)->Set(1.0);
  plugin.GetPreset(0)->mName[0] = 'X';
  ASSERT_TRUE(LoadPresetFromFXP(plugin, Path("p.fxp").c_str()));
  EXPECT_NEAR(plugin.GetParam(0)->Value(), 632.46, 632.46 * 1e-5);
  EXPECT_DOUBLE_EQ(plugin.GetParam(1)->Value(), 7.0);
  EXPECT_NEAR(plugin.GetParam(2)->Value(), 33.0, 1e-4);
  EXPECT_STREQ(plugin.GetPreset(0)->mName, "Saved");
  double stored = 0.0;
  plugin.GetPreset(0)->mChunk.GetDouble(stored, 8);
  EXPECT_DOUBLE_EQ(stored, 7.0) << "the program is stored into the current preset";
}

TEST_F(ProgramFiles, AChunkProgramRoundTripsAndARawStateWithoutHeaderIsReadToo)
{
  ChunkPlugin plugin;
  plugin.GetParam(2)->Set(80.0);
  ASSERT_TRUE(SavePresetAsFXP(plugin, Path("c.fxp").c_str()));
  plugin.GetParam(2)->Set(10.0);
  ASSERT_TRUE(LoadPresetFromFXP(plugin, Path("c.fxp").c_str()));
  EXPECT_DOUBLE_EQ(plugin.GetParam(2)->Value(), 80.0);

  // The same state right at offset 60, without the "tffp" header.
  Bytes b = ReadAll(Path("c.fxp"));
  b.erase(b.begin() + 60, b.begin() + 68);
  b[59] = 100;
  WriteAll(Path("raw.fxp"), b, b.size());
  plugin.GetParam(2)->Set(10.0);
  ASSERT_TRUE(LoadPresetFromFXP(plugin, Path("raw.fxp").c_str()));
  EXPECT_DOUBLE_EQ(plugin.GetParam(2)->Value(), 80.0);
}

TEST_F(ProgramFiles, ABankRoundTripsEveryPreset)
{
  ApiTestPlugin plugin(Config(3, 3));
  for (int i = 0; i < 3; ++i)
  {
    plugin.GetParam(1)->Set(i + 1);
    plugin.MakeDefaultPreset(("P" + std::to_string(i)).c_str());
  }
  plugin.RestorePreset(2);
  ASSERT_TRUE(SaveBankAsFXB(plugin, Path("b.fxb").c_str()));

  ApiTestPlugin other(Config(3, 3));
  ASSERT_TRUE(LoadBankFromFXB(other, Path("b.fxb").c_str()));
  for (int i = 0; i < 3; ++i)
  {
    EXPECT_EQ(std::string(other.GetPreset(i)->mName), "P" + std::to_string(i));
    double mode = 0.0;
    other.GetPreset(i)->mChunk.GetDouble(mode, 8);
    EXPECT_DOUBLE_EQ(mode, i + 1.0);
  }
  EXPECT_EQ(other.GetCurrentPresetIdx(), 2);
  EXPECT_DOUBLE_EQ(other.GetParam(1)->Value(), 3.0);
}

TEST_F(ProgramFiles, ProgramsBeyondThePresetsAreSkipped)
{
  ApiTestPlugin big(Config(3, 3));
  for (int i = 0; i < 3; ++i)
  {
    big.GetParam(1)->Set(i + 1);
    big.MakeDefaultPreset(("P" + std::to_string(i)).c_str());
  }
  ASSERT_TRUE(SaveBankAsFXB(big, Path("b.fxb").c_str()));

  ApiTestPlugin small(Config(3, 2));
  ASSERT_TRUE(LoadBankFromFXB(small, Path("b.fxb").c_str()));
  EXPECT_STREQ(small.GetPreset(1)->mName, "P1");
  double mode = 0.0;
  small.GetPreset(1)->mChunk.GetDouble(mode, 8);
  EXPECT_DOUBLE_EQ(mode, 2.0) << "the last preset keeps its own program";
}

TEST_F(ProgramFiles, EachProgramOfABankGoesIntoItsOwnPresetEvenWhenThatPresetCannotBeRead)
{
  ApiTestPlugin source(Config(3, 2));
  for (int i = 0; i < 2; ++i)
  {
    source.GetParam(1)->Set(i + 4);
    source.MakeDefaultPreset(("P" + std::to_string(i)).c_str());
  }
  ASSERT_TRUE(SaveBankAsFXB(source, Path("b.fxb").c_str()));

  // Preset 1 holds a state too short to read, so restoring it fails and
  // preset 0 stays current while program 1 is applied.
  ApiTestPlugin target(Config(3, 2));
  target.MakeDefaultPreset("Init");
  IByteChunk unreadable;
  unreadable.PutDouble(1.0);
  target.MakePresetFromChunk("Broken", unreadable);
  ASSERT_TRUE(LoadBankFromFXB(target, Path("b.fxb").c_str()));

  double mode = 0.0;
  EXPECT_STREQ(target.GetPreset(0)->mName, "P0");
  target.GetPreset(0)->mChunk.GetDouble(mode, 8);
  EXPECT_DOUBLE_EQ(mode, 4.0);
  EXPECT_STREQ(target.GetPreset(1)->mName, "P1");
  ASSERT_EQ(target.GetPreset(1)->mChunk.Size(), 24);
  target.GetPreset(1)->mChunk.GetDouble(mode, 8);
  EXPECT_DOUBLE_EQ(mode, 5.0);
}

TEST_F(ProgramFiles, ASlotFreedByAPresetsChunkIsWrittenAsAFreeSlot)
{
  ApiTestPlugin plugin(Config(3, 2));
  plugin.GetParam(0)->Set(12.0);
  plugin.GetParam(1)->Set(7.0);
  plugin.GetParam(2)->Set(80.0);
  plugin.MakeDefaultPreset("A", 2);

  // Slot 0 keeps a state of (12, 7, 80); slot 1 becomes free.
  IByteChunk presets;
  presets.PutStr("A");
  presets.PutBool(true);
  presets.PutDouble(12.0);
  presets.PutDouble(7.0);
  presets.PutDouble(80.0);
  presets.PutStr("empty");
  presets.PutBool(false);
  ASSERT_EQ(plugin.UnserializePresets(presets, 0), presets.Size());

  ASSERT_TRUE(SaveBankAsFXB(plugin, Path("b.fxb").c_str()));
  const Bytes b = ReadAll(Path("b.fxb"));
  ASSERT_EQ(b.size(), 156u + 2u * 68u);
  // A free slot holds no values: each reads as 0.0, which is 0.5 of the
  // gain's -24..24 and the bottom of the mode's and the mix's ranges.
  const size_t values = 156 + 68 + 56;
  EXPECT_FLOAT_EQ(FloatAt(b, values), 0.5f);
  EXPECT_FLOAT_EQ(FloatAt(b, values + 4), 0.0f);
  EXPECT_FLOAT_EQ(FloatAt(b, values + 8), 0.0f);
}

TEST_F(ProgramFiles, AnotherPluginsFilesAreRefused)
{
  ApiTestPlugin plugin(Config(3, 2));
  ASSERT_TRUE(SavePresetAsFXP(plugin, Path("p.fxp").c_str()));
  ASSERT_TRUE(SaveBankAsFXB(plugin, Path("b.fxb").c_str()));
  PluginConfig foreignConfig = Config(3, 2);
  foreignConfig.uniqueId = 0x41424344;
  ApiTestPlugin foreign(foreignConfig);
  foreign.GetParam(1)->Set(9.0);
  const std::string before = Fingerprint(foreign);
  EXPECT_FALSE(LoadPresetFromFXP(foreign, Path("p.fxp").c_str()));
  EXPECT_FALSE(LoadBankFromFXB(foreign, Path("b.fxb").c_str()));
  EXPECT_EQ(Fingerprint(foreign), before);
}

TEST_F(ProgramFiles, MissingOrWrongFilesAreRefused)
{
  ApiTestPlugin plugin(Config(3, 2));
  EXPECT_FALSE(LoadPresetFromFXP(plugin, nullptr));
  EXPECT_FALSE(LoadPresetFromFXP(plugin, ""));
  EXPECT_FALSE(LoadPresetFromFXP(plugin, Path("absent.fxp").c_str()));
  EXPECT_FALSE(LoadBankFromFXB(plugin, Path("absent.fxb").c_str()));

  // A chunk program for a plug-in that keeps no chunks, a bank as a program.
  ChunkPlugin chunky;
  ASSERT_TRUE(SavePresetAsFXP(chunky, Path("c.fxp").c_str()));
  EXPECT_FALSE(LoadPresetFromFXP(plugin, Path("c.fxp").c_str()));
  ASSERT_TRUE(SaveBankAsFXB(plugin, Path("b.fxb").c_str()));
  EXPECT_FALSE(LoadPresetFromFXP(plugin, Path("b.fxb").c_str()));
}

TEST_F(ProgramFiles, TruncatedFilesAreRefusedWithNothingChanged)
{
  ApiTestPlugin plugin(Config(3, 2));
  plugin.MakeDefaultPreset("One", 2);
  ChunkPlugin chunky;
  chunky.MakeDefaultPreset("One", 2);
  ASSERT_TRUE(SavePresetAsFXP(plugin, Path("p.fxp").c_str()));
  ASSERT_TRUE(SaveBankAsFXB(plugin, Path("b.fxb").c_str()));
  ASSERT_TRUE(SavePresetAsFXP(chunky, Path("c.fxp").c_str()));
  ASSERT_TRUE(SaveBankAsFXB(chunky, Path("c.fxb").c_str()));

  plugin.GetParam(1)->Set(9.0);
  chunky.GetParam(1)->Set(9.0);
  struct Case
  {
    const char* file;
    PluginBase* target;
    bool bank;
  };
  for (const Case& c : {Case{"p.fxp", &plugin, false}, Case{"b.fxb", &plugin, true}, Case{"c.fxp", &chunky, false},
         Case{"c.fxb", &chunky, true}})
  {
    const Bytes whole = ReadAll(Path(c.file));
    const std::string before = Fingerprint(*c.target);
    // Lengths around every field boundary of the headers and chunks, samples
    // in between, and the last bytes.
    std::vector<size_t> lengths{0, 1, 3, 4, 11, 12, 15, 16, 19, 20, 27, 28, 31, 32, 55, 56, 59, 60, 63, 64, 67,
      68, 155, 156, 159, 160, 167, 168};
    for (size_t length = 0; length < whole.size(); length += 7)
      lengths.push_back(length);
    for (size_t back = 1; back <= 4; ++back)
      lengths.push_back(whole.size() - back);
    std::erase_if(lengths, [&](size_t length) { return length >= whole.size(); });
    for (size_t length : lengths)
    {
      WriteAll(Path("cut"), whole, length);
      const bool loaded = c.bank ? LoadBankFromFXB(*c.target, Path("cut").c_str())
                                 : LoadPresetFromFXP(*c.target, Path("cut").c_str());
      EXPECT_FALSE(loaded) << c.file << " cut to " << length;
      EXPECT_EQ(Fingerprint(*c.target), before) << c.file << " cut to " << length;
    }
  }
}

TEST_F(ProgramFiles, AChunkTheStateReaderRefusesIsReportedAndChangesNothing)
{
  ChunkPlugin plugin;
  plugin.MakeDefaultPreset("Kept");
  plugin.GetParam(2)->Set(80.0);
  ASSERT_TRUE(SavePresetAsFXP(plugin, Path("c.fxp").c_str()));
  Bytes b = ReadAll(Path("c.fxp"));
  b.back() = 'X'; // the last tag byte: the reader has set the values by then
  WriteAll(Path("bad.fxp"), b, b.size());

  plugin.GetParam(2)->Set(10.0);
  const std::string before = Fingerprint(plugin);
  EXPECT_FALSE(LoadPresetFromFXP(plugin, Path("bad.fxp").c_str()));
  EXPECT_EQ(Fingerprint(plugin), before);
}

TEST_F(ProgramFiles, ARefusedChunkLeavesAFreeCurrentPresetFree)
{
  // Nothing made: the current preset is a free slot, which restoring it
  // would fill as a user preset.
  ChunkPlugin plugin;
  plugin.GetParam(2)->Set(80.0);
  ASSERT_TRUE(SavePresetAsFXP(plugin, Path("c.fxp").c_str()));
  ASSERT_TRUE(SaveBankAsFXB(plugin, Path("c.fxb").c_str()));
  for (const char* file : {"c.fxp", "c.fxb"})
  {
    Bytes b = ReadAll(Path(file));
    b.back() = 'X'; // the state reader refuses the last tag byte
    WriteAll(Path("bad"), b, b.size());

    plugin.GetParam(2)->Set(10.0);
    const std::string before = Fingerprint(plugin);
    const bool loaded = std::string(file) == "c.fxp" ? LoadPresetFromFXP(plugin, Path("bad").c_str())
                                                     : LoadBankFromFXB(plugin, Path("bad").c_str());
    EXPECT_FALSE(loaded) << file;
    EXPECT_EQ(Fingerprint(plugin), before) << file;
    EXPECT_FALSE(plugin.GetPreset(0)->mInitialized) << file;
    EXPECT_STREQ(plugin.GetPreset(0)->mName, "empty") << file;
  }
}

TEST_F(ProgramFiles, AChunkWithNoStateOfTheReadersOwnIsRefused)
{
  // The reader answers "nothing of mine here" with the position it was given.
  struct ForeignReader : ChunkPlugin
  {
    int UnserializeState(const IByteChunk&, int startPos) override { return startPos; }
  };
  ChunkPlugin writer;
  writer.MakeDefaultPreset("Foreign");
  ASSERT_TRUE(SavePresetAsFXP(writer, Path("f.fxp").c_str()));
  ASSERT_TRUE(SaveBankAsFXB(writer, Path("f.fxb").c_str()));

  ForeignReader plugin;
  plugin.MakeDefaultPreset("Mine");
  const std::string before = Fingerprint(plugin);
  EXPECT_FALSE(LoadPresetFromFXP(plugin, Path("f.fxp").c_str()));
  EXPECT_FALSE(LoadBankFromFXB(plugin, Path("f.fxb").c_str()));
  EXPECT_FALSE(plugin.RestorePreset(0));
  EXPECT_EQ(Fingerprint(plugin), before);
  IByteChunk presets;
  writer.SerializePresets(presets);
  EXPECT_EQ(plugin.UnserializePresets(presets, 0), -1);
}

TEST_F(ProgramFiles, AProgramLoadedWithoutACurrentPresetRunsTheChangePass)
{
  ApiTestPlugin writer(Config(3, 1));
  writer.GetParam(1)->Set(7.0);
  ASSERT_TRUE(SavePresetAsFXP(writer, Path("p.fxp").c_str()));

  ApiTestPlugin plugin(Config(3, 0)); // no preset for the index to name
  plugin.paramChanges.clear();
  ASSERT_TRUE(LoadPresetFromFXP(plugin, Path("p.fxp").c_str()));
  EXPECT_DOUBLE_EQ(plugin.GetParam(1)->Value(), 7.0);
  const std::vector<std::pair<int, int>> pass = {
    {0, kSourcePresetRecall}, {1, kSourcePresetRecall}, {2, kSourcePresetRecall}};
  EXPECT_EQ(plugin.paramChanges, pass);
}

TEST_F(ProgramFiles, ABankWithAMismatchedRecordChangesNoPreset)
{
  ApiTestPlugin plugin(Config(3, 2));
  plugin.GetParam(1)->Set(3.0);
  plugin.MakeDefaultPreset("A", 2);
  ASSERT_TRUE(SaveBankAsFXB(plugin, Path("b.fxb").c_str()));
  Bytes b = ReadAll(Path("b.fxb"));
  const size_t second = 156 + 68;
  b[second + 27] = 4; // the second record claims four parameters
  WriteAll(Path("bad.fxb"), b, b.size());

  ApiTestPlugin other(Config(3, 2));
  const std::string before = Fingerprint(other);
  EXPECT_FALSE(LoadBankFromFXB(other, Path("bad.fxb").c_str()));
  EXPECT_EQ(Fingerprint(other), before);
}

TEST_F(ProgramFiles, SavingReportsAFileThatCannotBeWritten)
{
  ApiTestPlugin plugin(Config(3, 2));
  EXPECT_FALSE(SavePresetAsFXP(plugin, nullptr));
  EXPECT_FALSE(SaveBankAsFXB(plugin, ""));
  EXPECT_FALSE(SavePresetAsFXP(plugin, Path("no/such/folder/p.fxp").c_str()));
  EXPECT_FALSE(SaveBankAsFXB(plugin, Path("no/such/folder/b.fxb").c_str()));
  EXPECT_FALSE(SavePresetAsFXP(plugin, "/dev/full"));
}

TEST_F(ProgramFiles, ALongNameIsCutToItsField)
{
  ApiTestPlugin plugin(Config(3, 1));
  plugin.MakeDefaultPreset("A preset name far longer than twenty-eight characters");
  ASSERT_TRUE(SavePresetAsFXP(plugin, Path("p.fxp").c_str()));
  const Bytes b = ReadAll(Path("p.fxp"));
  ASSERT_EQ(b.size(), 56u + 12u);
  EXPECT_EQ(Text(b, 28, 28), std::string("A preset name far longer th") + '\0');
  EXPECT_EQ(FloatAt(b, 56), static_cast<float>(plugin.GetParam(0)->GetNormalized()));
}

TEST_F(ProgramFiles, ANameOf28BytesIsTakenWhole)
{
  ApiTestPlugin plugin(Config(3, 1));
  plugin.MakeDefaultPreset("x");
  ASSERT_TRUE(SavePresetAsFXP(plugin, Path("p.fxp").c_str()));
  Bytes b = ReadAll(Path("p.fxp"));
  std::memcpy(b.data() + 28, "ABCDEFGHIJKLMNOPQRSTUVWXYZ12", 28);
  WriteAll(Path("p.fxp"), b, b.size());
  ASSERT_TRUE(LoadPresetFromFXP(plugin, Path("p.fxp").c_str()));
  EXPECT_STREQ(plugin.GetPreset(0)->mName, "ABCDEFGHIJKLMNOPQRSTUVWXYZ12");
}

} // namespace
