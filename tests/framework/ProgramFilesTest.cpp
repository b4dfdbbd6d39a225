#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <iterator>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "framework/ProgramFiles.h"
#include "tests/framework/fakes/ApiTestPlugin.h"
#include "tests/support/TempHome.h"

namespace {

using fakes::ApiTestConfig;
using fakes::ApiTestPlugin;
using namespace plugkit;
using Bytes = std::vector<uint8_t>;

Bytes operator+(Bytes a, const Bytes& b)
{
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// File bytes: a text (zero-padded to its field), a big-endian word, a float.
Bytes T(const std::string& text, size_t field = 0)
{
  Bytes b(text.begin(), text.end());
  b.resize(std::max(field, b.size()), 0);
  return b;
}
Bytes W(uint32_t v) { return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; }
Bytes F(float f)
{
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  return W(bits);
}

const uint32_t kId = ApiTestConfig().uniqueId;

// A program record of the test plug-in with its normalised values.
Bytes Program(const char* name, std::initializer_list<float> values)
{
  Bytes b = T("CcnK") + W(static_cast<uint32_t>(48 + 4 * values.size())) + T("FxCk") + W(1) + W(kId) + W(3280) +
            W(static_cast<uint32_t>(values.size())) + T(name, 28);
  for (float v : values)
    b = b + F(v);
  return b;
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
  ChunkPlugin() : ApiTestPlugin(Config(3, 2, true)) {}

  bool SerializeState(IByteChunk& chunk) const override
  {
    const std::string tag(76, 'T');
    return SerializeParams(chunk) && chunk.PutBytes(tag.data(), 76) >= 0;
  }
  int UnserializeState(const IByteChunk& chunk, int startPos) override
  {
    const int pos = UnserializeParams(chunk, startPos);
    char tag[76];
    if (pos < 0 || chunk.GetBytes(tag, 76, pos) < 0 || std::string(tag, 76) != std::string(76, 'T'))
      return -1;
    return pos + 76;
  }
};

class ProgramFiles : public testing::Test
{
protected:
  std::string Path(const char* name) const { return mTemp.Join(name); }
  Bytes Read(const char* name) const
  {
    std::ifstream in(Path(name), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  void Write(const char* name, const Bytes& bytes, size_t length) const
  {
    std::ofstream(Path(name), std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(length));
  }
  bool Save(const PluginBase& plugin, const char* name) const
  {
    return std::string(name).ends_with(".fxb") ? SaveBankAsFXB(plugin, Path(name).c_str())
                                               : SavePresetAsFXP(plugin, Path(name).c_str());
  }
  bool Load(PluginBase& plugin, const char* name, bool bank) const
  {
    return bank ? LoadBankFromFXB(plugin, Path(name).c_str()) : LoadPresetFromFXP(plugin, Path(name).c_str());
  }

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

  // Everything in the folder, to see that nothing was left beside a file.
  std::set<std::string> Entries() const
  {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(mTemp.Path()))
      names.insert(entry.path().filename().string());
    return names;
  }

  static double StoredMode(const PluginBase& plugin, int preset)
  {
    double mode = -1.0;
    plugin.GetPreset(preset)->mChunk.GetDouble(mode, 8);
    return mode;
  }

  testsupport::TempFolder mTemp;
};

TEST_F(ProgramFiles, ProgramsAndBanksHaveTheirByteLayout)
{
  ApiTestPlugin two(Config(2, 3));
  two.GetParam(0)->Set(-24.0);
  two.MakeDefaultPreset("Low");
  two.GetParam(0)->Set(24.0);
  two.GetParam(1)->Set(10.0);
  two.MakeDefaultPreset("High");
  two.GetParam(0)->Set(12.0);
  two.GetParam(1)->Set(4.0);
  two.MakeDefaultPreset("A preset name far longer than twenty-eight characters");
  two.RestorePreset(2);
  ASSERT_TRUE(Save(two, "p.fxp") && Save(two, "b.fxb"));
  // A long name is cut to its field, with room for the terminating zero.
  EXPECT_EQ(Read("p.fxp"), Program("A preset name far longer th", {0.75f, 0.4f}));
  EXPECT_EQ(Read("b.fxb"), T("CcnK") + W(340) + T("FxBk") + W(2) + W(kId) + W(3280) + W(3) + W(2) + Bytes(124, 0) +
                             Program("Low", {0.f, 0.f}) + Program("High", {1.f, 1.f}) +
                             Program("A preset name far longer th", {0.75f, 0.4f}));

  // A chunk program and bank wrap the state and the presets in the
  // framework's chunk, whose version is little-endian.
  ChunkPlugin chunky;
  chunky.MakeDefaultPreset("A");
  ASSERT_TRUE(Save(chunky, "c.fxp") && Save(chunky, "c.fxb"));
  IByteChunk state, presets;
  chunky.SerializeState(state);
  chunky.SerializePresets(presets);
  const auto bytes = [](const IByteChunk& c) { return Bytes(c.GetData(), c.GetData() + c.Size()); };
  const Bytes tffp = T("tffp") + Bytes{0, 0, 1, 0};
  EXPECT_EQ(Read("c.fxp"), T("CcnK") + W(160) + T("FPCh") + W(1) + W(kId) + W(3280) + W(3) + T("A", 28) + W(108) +
                             tffp + bytes(state));
  EXPECT_EQ(Read("c.fxb"), T("CcnK") + W(static_cast<uint32_t>(160 + presets.Size())) + T("FBCh") + W(2) + W(kId) +
                             W(3280) + W(2) + W(0) + Bytes(124, 0) + W(static_cast<uint32_t>(8 + presets.Size())) +
                             tffp + bytes(presets));
}

TEST_F(ProgramFiles, ProgramsAndBanksRoundTrip)
{
  // A program goes into the current preset, on an exponential parameter too.
  ApiTestPlugin plugin(Config(3, 3));
  plugin.GetParam(0)->InitDouble("Freq", 1000.0, 20.0, 20000.0, 0.0, "Hz", 0, "", IParam::ShapeExp());
  plugin.GetParam(0)->Set(632.46);
  plugin.GetParam(1)->Set(7.0);
  plugin.GetParam(2)->Set(33.0);
  plugin.MakeDefaultPreset("Saved");
  ASSERT_TRUE(Save(plugin, "p.fxp"));
  const Bytes saved = Read("p.fxp");
  const Bytes half = F(0.5f);
  EXPECT_TRUE(std::equal(half.begin(), half.begin() + 2, saved.begin() + 56)) << "632.46 lies half-way on 20..20000";
  plugin.GetParam(0)->Set(5000.0);
  plugin.GetParam(1)->Set(1.0);
  plugin.GetPreset(0)->mName[0] = 'X';
  ASSERT_TRUE(Load(plugin, "p.fxp", false));
  EXPECT_NEAR(plugin.GetParam(0)->Value(), 632.46, 632.46 * 1e-5);
  EXPECT_DOUBLE_EQ(plugin.GetParam(1)->Value(), 7.0);
  EXPECT_NEAR(plugin.GetParam(2)->Value(), 33.0, 1e-4);
  EXPECT_STREQ(plugin.GetPreset(0)->mName, "Saved");
  EXPECT_DOUBLE_EQ(StoredMode(plugin, 0), 7.0);

  // A bank restores every preset and the current one.
  for (int i = 0; i < 3; ++i)
  {
    plugin.GetParam(1)->Set(i + 1);
    plugin.ModifyCurrentPreset(("P" + std::to_string(i)).c_str());
    plugin.RestorePreset(i + 1);
  }
  plugin.RestorePreset(2);
  ASSERT_TRUE(Save(plugin, "b.fxb"));
  ApiTestPlugin other(Config(3, 3));
  ASSERT_TRUE(Load(other, "b.fxb", true));
  for (int i = 0; i < 3; ++i)
  {
    EXPECT_EQ(std::string(other.GetPreset(i)->mName), "P" + std::to_string(i));
    EXPECT_DOUBLE_EQ(StoredMode(other, i), i + 1.0);
  }
  EXPECT_EQ(other.GetCurrentPresetIdx(), 2);
  EXPECT_DOUBLE_EQ(other.GetParam(1)->Value(), 3.0);
  // Programs beyond the presets are skipped: the last preset keeps its own.
  ApiTestPlugin small(Config(3, 2));
  ASSERT_TRUE(Load(small, "b.fxb", true));
  EXPECT_STREQ(small.GetPreset(1)->mName, "P1");
  EXPECT_DOUBLE_EQ(StoredMode(small, 1), 2.0);
  EXPECT_DOUBLE_EQ(small.GetParam(1)->Value(), 2.0) << "the values are the last applied program's";

  // A chunk program, and its state right at offset 60 without the header.
  ChunkPlugin chunky;
  chunky.GetParam(2)->Set(80.0);
  ASSERT_TRUE(Save(chunky, "c.fxp"));
  Bytes raw = Read("c.fxp");
  raw.erase(raw.begin() + 60, raw.begin() + 68);
  raw[59] = 100;
  Write("raw.fxp", raw, raw.size());
  for (const char* file : {"c.fxp", "raw.fxp"})
  {
    chunky.GetParam(2)->Set(10.0);
    ASSERT_TRUE(Load(chunky, file, false)) << file;
    EXPECT_DOUBLE_EQ(chunky.GetParam(2)->Value(), 80.0) << file;
  }
  // A 28-byte name is taken whole.
  Bytes named = Read("p.fxp");
  std::memcpy(named.data() + 28, "ABCDEFGHIJKLMNOPQRSTUVWXYZ12", 28);
  Write("p.fxp", named, named.size());
  ASSERT_TRUE(Load(plugin, "p.fxp", false));
  EXPECT_STREQ(plugin.GetPreset(plugin.GetCurrentPresetIdx())->mName, "ABCDEFGHIJKLMNOPQRSTUVWXYZ12");
}

TEST_F(ProgramFiles, EachProgramOfABankGoesIntoItsOwnPresetEvenWhenThatPresetCannotBeRead)
{
  ApiTestPlugin source(Config(3, 2));
  for (int i = 0; i < 2; ++i)
  {
    source.GetParam(1)->Set(i + 4);
    source.MakeDefaultPreset(("P" + std::to_string(i)).c_str());
  }
  ASSERT_TRUE(Save(source, "b.fxb"));
  // Preset 1 holds a state too short to read, so restoring it fails and
  // preset 0 stays current while program 1 is applied.
  ApiTestPlugin target(Config(3, 2));
  target.MakeDefaultPreset("Init");
  IByteChunk unreadable;
  unreadable.PutDouble(1.0);
  target.MakePresetFromChunk("Broken", unreadable);
  ASSERT_TRUE(Load(target, "b.fxb", true));
  EXPECT_STREQ(target.GetPreset(0)->mName, "P0");
  EXPECT_DOUBLE_EQ(StoredMode(target, 0), 4.0);
  EXPECT_STREQ(target.GetPreset(1)->mName, "P1");
  ASSERT_EQ(target.GetPreset(1)->mChunk.Size(), 24);
  EXPECT_DOUBLE_EQ(StoredMode(target, 1), 5.0);
}

TEST_F(ProgramFiles, ASlotFreedByAPresetsChunkIsWrittenAsAFreeSlot)
{
  ApiTestPlugin plugin(Config(3, 2));
  plugin.MakeDefaultPreset("A", 2);
  // Slot 0 keeps a state of (12, 7, 80); slot 1 becomes free.
  IByteChunk presets;
  presets.PutStr("A");
  presets.PutBool(true);
  for (double v : {12.0, 7.0, 80.0})
    presets.PutDouble(v);
  presets.PutStr("empty");
  presets.PutBool(false);
  ASSERT_EQ(plugin.UnserializePresets(presets, 0), presets.Size());
  ASSERT_TRUE(Save(plugin, "b.fxb"));
  // A free slot holds no values: each reads as 0.0, which is 0.5 of the
  // gain's -24..24 and the bottom of the mode's and the mix's ranges.
  const Bytes b = Read("b.fxb");
  EXPECT_EQ(Bytes(b.begin() + 156 + 68, b.end()), Program("empty", {0.5f, 0.f, 0.f}));
}

TEST_F(ProgramFiles, ForeignMissingWrongAndUnwritableFilesAreRefusedWithNothingChanged)
{
  ApiTestPlugin plugin(Config(3, 2));
  ASSERT_TRUE(Save(plugin, "p.fxp") && Save(plugin, "b.fxb"));
  PluginConfig foreignConfig = Config(3, 2);
  foreignConfig.uniqueId = 0x41424344;
  ApiTestPlugin foreign(foreignConfig);
  foreign.GetParam(1)->Set(9.0);
  const std::string before = Fingerprint(foreign);
  EXPECT_FALSE(Load(foreign, "p.fxp", false));
  EXPECT_FALSE(Load(foreign, "b.fxb", true));
  EXPECT_EQ(Fingerprint(foreign), before);
  EXPECT_FALSE(LoadPresetFromFXP(plugin, nullptr));
  EXPECT_FALSE(LoadPresetFromFXP(plugin, ""));
  EXPECT_FALSE(Load(plugin, "absent.fxp", false));
  EXPECT_FALSE(Load(plugin, "absent.fxb", true));
  // A chunk program for a plug-in that keeps no chunks, a bank as a program.
  ChunkPlugin chunky;
  ASSERT_TRUE(Save(chunky, "c.fxp"));
  EXPECT_FALSE(Load(plugin, "c.fxp", false));
  EXPECT_FALSE(Load(plugin, "b.fxb", false));
  EXPECT_FALSE(SavePresetAsFXP(plugin, nullptr));
  EXPECT_FALSE(SaveBankAsFXB(plugin, ""));
  EXPECT_FALSE(Save(plugin, "no/such/folder/p.fxp"));
  EXPECT_FALSE(Save(plugin, "no/such/folder/b.fxb"));
  EXPECT_FALSE(SavePresetAsFXP(plugin, "/dev/full"));
}

// The file-size limit fails the write itself, also for the superuser. It is
// set in a child, so the test never shares it.
TEST_F(ProgramFiles, ASaveThatCannotBeWrittenWholeLeavesTheOldFileAsItWasAndNothingBesideIt)
{
  ApiTestPlugin plugin(Config(3, 2));
  ChunkPlugin chunky;
  struct Case { const char* file; PluginBase* plugin; };
  for (const Case& c : {Case{"p.fxp", &plugin}, Case{"b.fxb", &plugin}, Case{"c.fxp", &chunky},
         Case{"c.fxb", &chunky}})
  {
    SCOPED_TRACE(c.file);
    c.plugin->GetParam(1)->Set(3.0);
    ASSERT_TRUE(Save(*c.plugin, c.file));
    const Bytes old = Read(c.file);
    const std::set<std::string> before = Entries();
    c.plugin->GetParam(1)->Set(5.0);
    const pid_t child = fork();
    if (child == 0)
    {
      std::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{32, 32};
      setrlimit(RLIMIT_FSIZE, &limit);
      _exit(Save(*c.plugin, c.file) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "the failed save is reported";
    EXPECT_EQ(Read(c.file), old);
    EXPECT_EQ(Entries(), before);
  }
}

// A save acts as writing the file in place would: a link stays a link and
// the file it names gets the save, and the permission bits stay (a new
// file gets the umask's).
TEST_F(ProgramFiles, ASaveReplacesTheFileALinkNamesAndKeepsItsPermissions)
{
  ApiTestPlugin plugin(Config(3, 2));
  ASSERT_TRUE(Save(plugin, "fresh.fxp") && Save(plugin, "fresh.fxb"));
  std::filesystem::create_directory(Path("real"));
  const mode_t mask = umask(0);
  umask(mask);
  struct Case { const char* file; const char* linkTo; int oldMode; };
  for (const Case& c : {Case{"new.fxp", nullptr, -1}, Case{"private.fxb", nullptr, 0640},
         Case{"link.fxp", "real/target.fxp", 0604}, Case{"dangling.fxb", "real/made.fxb", -1}})
  {
    SCOPED_TRACE(c.file);
    const std::string written = c.linkTo ? c.linkTo : c.file;
    if (c.linkTo)
      std::filesystem::create_symlink(c.linkTo, Path(c.file));
    if (c.oldMode >= 0)
    {
      Write(written.c_str(), T("the old file"), 12);
      chmod(Path(written.c_str()).c_str(), static_cast<mode_t>(c.oldMode));
    }
    ASSERT_TRUE(Save(plugin, c.file));
    const bool link = std::filesystem::is_symlink(Path(c.file));
    EXPECT_EQ(link ? std::filesystem::read_symlink(Path(c.file)).string() : "no link", c.linkTo ? c.linkTo : "no link");
    EXPECT_EQ(Read(written.c_str()), Read(std::string(c.file).ends_with(".fxb") ? "fresh.fxb" : "fresh.fxp"));
    struct stat status;
    ASSERT_EQ(stat(Path(written.c_str()).c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, c.oldMode >= 0 ? static_cast<mode_t>(c.oldMode) : 0666 & ~mask);
  }
}

TEST_F(ProgramFiles, TruncatedFilesAreRefusedWithNothingChanged)
{
  ApiTestPlugin plugin(Config(3, 2));
  plugin.MakeDefaultPreset("One", 2);
  ChunkPlugin chunky;
  chunky.MakeDefaultPreset("One", 2);
  ASSERT_TRUE(Save(plugin, "p.fxp") && Save(plugin, "b.fxb") && Save(chunky, "c.fxp") && Save(chunky, "c.fxb"));
  plugin.GetParam(1)->Set(9.0);
  chunky.GetParam(1)->Set(9.0);
  struct Case { const char* file; PluginBase* target; bool bank; };
  for (const Case& c : {Case{"p.fxp", &plugin, false}, Case{"b.fxb", &plugin, true}, Case{"c.fxp", &chunky, false},
         Case{"c.fxb", &chunky, true}})
  {
    const Bytes whole = Read(c.file);
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
      Write("cut", whole, length);
      EXPECT_FALSE(Load(*c.target, "cut", c.bank)) << c.file << " cut to " << length;
      EXPECT_EQ(Fingerprint(*c.target), before) << c.file << " cut to " << length;
    }
  }
}

TEST_F(ProgramFiles, AChunkTheStateReaderRefusesIsReportedAndChangesNothing)
{
  // Once with a preset made, once with the current preset a free slot,
  // which restoring it would fill as a user preset.
  for (const bool made : {true, false})
  {
    ChunkPlugin plugin;
    if (made)
      plugin.MakeDefaultPreset("Kept");
    plugin.GetParam(2)->Set(80.0);
    ASSERT_TRUE(Save(plugin, "c.fxp") && Save(plugin, "c.fxb"));
    for (const char* file : {"c.fxp", "c.fxb"})
    {
      Bytes b = Read(file);
      b.back() = 'X'; // the last tag byte: the reader has set the values by then
      Write("bad", b, b.size());
      plugin.GetParam(2)->Set(10.0);
      const std::string before = Fingerprint(plugin);
      EXPECT_FALSE(Load(plugin, "bad", std::string(file) == "c.fxb")) << file;
      EXPECT_EQ(Fingerprint(plugin), before) << file;
      EXPECT_EQ(plugin.GetPreset(0)->mInitialized, made) << file;
    }
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
  ASSERT_TRUE(Save(writer, "f.fxp") && Save(writer, "f.fxb"));
  ForeignReader plugin;
  plugin.MakeDefaultPreset("Mine");
  const std::string before = Fingerprint(plugin);
  EXPECT_FALSE(Load(plugin, "f.fxp", false));
  EXPECT_FALSE(Load(plugin, "f.fxb", true));
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
  ASSERT_TRUE(Save(writer, "p.fxp"));
  ApiTestPlugin plugin(Config(3, 0)); // no preset for the index to name
  ASSERT_TRUE(Load(plugin, "p.fxp", false));
  EXPECT_DOUBLE_EQ(plugin.GetParam(1)->Value(), 7.0);
  const int recall = kSourcePresetRecall;
  EXPECT_EQ(plugin.paramChanges, (std::vector<std::pair<int, int>>{{0, recall}, {1, recall}, {2, recall}}));
}

TEST_F(ProgramFiles, ABankWithAMismatchedRecordChangesNoPreset)
{
  ApiTestPlugin plugin(Config(3, 2));
  plugin.GetParam(1)->Set(3.0);
  plugin.MakeDefaultPreset("A", 2);
  ASSERT_TRUE(Save(plugin, "b.fxb"));
  // The second record claims four parameters, another version, or another
  // kind of record.
  const size_t second = 156 + 68;
  for (const auto& [at, value] : {std::pair{second + 27, 4}, {second + 15, 2}, {second + 11, 'h'}})
  {
    Bytes b = Read("b.fxb");
    b[at] = static_cast<uint8_t>(value);
    Write("bad.fxb", b, b.size());
    ApiTestPlugin other(Config(3, 2));
    const std::string before = Fingerprint(other);
    EXPECT_FALSE(Load(other, "bad.fxb", true)) << at;
    EXPECT_EQ(Fingerprint(other), before) << at;
  }
}

} // namespace
