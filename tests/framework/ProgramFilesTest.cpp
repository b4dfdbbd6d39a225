#include <climits>
#include <csignal>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <iterator>
#include <string>
#include <vector>

#include <dlfcn.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "framework/FileReplacement.h"
#include "framework/ProgramFiles.h"
#include "tests/framework/fakes/ApiTestPlugin.h"
#include "tests/support/ProcHidden.h"
#include "tests/support/TempHome.h"

// What the next calls to flock answer, each an errno, before the system
// answers again: a test plays an interrupted lock (EINTR) or a file system
// that keeps no locks (ENOLCK, NFS without its lock service) with it. The
// saves reach this flock rather than the C library's.
namespace locks {
std::vector<int> gAnswers;
}

extern "C" int flock(int fd, int operation)
{
  if (!locks::gAnswers.empty())
  {
    errno = locks::gAnswers.front();
    locks::gAnswers.erase(locks::gAnswers.begin());
    return -1;
  }
  static const auto real = reinterpret_cast<int (*)(int, int)>(dlsym(RTLD_NEXT, "flock"));
  return real(fd, operation);
}

// What the next calls to socket answer, as for flock: a test plays a
// sandbox that refuses sockets (EACCES) or a process out of descriptors
// (EMFILE) with it.
namespace sockets {
std::vector<int> gAnswers;
}

extern "C" int socket(int domain, int type, int protocol)
{
  if (!sockets::gAnswers.empty())
  {
    errno = sockets::gAnswers.front();
    sockets::gAnswers.erase(sockets::gAnswers.begin());
    return -1;
  }
  static const auto real = reinterpret_cast<int (*)(int, int, int)>(dlsym(RTLD_NEXT, "socket"));
  return real(domain, type, protocol);
}

// What the next calls to listxattr answer, as for flock: a test plays a
// file whose attribute names cannot be read (EIO, a damaged disk) with it.
namespace attributes {
std::vector<int> gListAnswers;
}

extern "C" ssize_t listxattr(const char* path, char* names, size_t size)
{
  if (!attributes::gListAnswers.empty())
  {
    errno = attributes::gListAnswers.front();
    attributes::gListAnswers.erase(attributes::gListAnswers.begin());
    return -1;
  }
  static const auto real = reinterpret_cast<ssize_t (*)(const char*, char*, size_t)>(dlsym(RTLD_NEXT, "listxattr"));
  return real(path, names, size);
}

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

// An ACL that lets one more user read and write, in little-endian words: the
// version, then (tag | permission << 16, id) for the owner, the user, the
// group, the mask and others.
const uint32_t kOneMoreWriter[] = {2, 0x60001, ~0u, 0x60002, 1234, 0x40004, ~0u, 0x60010, ~0u, 0x40020, ~0u};

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

// A plug-in that counts what its preset listeners are told.
class ListenedPlugin : public ApiTestPlugin
{
public:
  using ApiTestPlugin::ApiTestPlugin;
  void NotifyPresetChange() override { ++presetChanges; }
  int presetChanges = 0;
};

// A plug-in whose state is 100 bytes: its three values and a 76-byte tag.
// The reader refuses a state whose tag is wrong, after it has already set
// the values, as a real reader that meets bad data late would.
class ChunkPlugin : public ListenedPlugin
{
public:
  ChunkPlugin() : ListenedPlugin(Config(3, 2, true)) {}

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

  // The wait status of `body` run in a child process, which exits with 0
  // when it returns true: for what the test must not share (a file-size
  // limit, another user).
  static int InChild(const std::function<bool()>& body)
  {
    const pid_t child = fork();
    if (child == 0)
    {
      // Nothing thrown may unwind into the test's own loop in the child.
      try
      {
        _exit(body() ? 0 : 1);
      }
      catch (...)
      {
        _exit(2);
      }
    }
    int status = -1;
    waitpid(child, &status, 0);
    return status;
  }
  static bool ExitedWith(int status, int code) { return WIFEXITED(status) && WEXITSTATUS(status) == code; }
  // The turn that saves of `name` take where the file system refuses locks,
  // held as any process that shares the network namespace may hold it: a
  // socket bound to the file's device and inode in the abstract namespace.
  // -1 where it cannot be held.
  int HoldTurn(const char* name) const
  {
    struct stat file{};
    const int turn = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (turn < 0 || stat(Path(name).c_str(), &file) != 0)
      return turn;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const int length = std::snprintf(address.sun_path + 1, sizeof address.sun_path - 1, "plugkit-save-%llx-%llx",
                                     static_cast<unsigned long long>(file.st_dev),
                                     static_cast<unsigned long long>(file.st_ino));
    const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + static_cast<size_t>(length));
    if (bind(turn, reinterpret_cast<const sockaddr*>(&address), size) == 0)
      return turn;
    close(turn);
    return -1;
  }
  // `save` as `user` (0: the test's own), with `group` among its groups,
  // within `memory` bytes of addresses (0: no limit). Another user starts
  // in `folder`, entered before it becomes that user, so a save there by
  // a relative name reaches it whatever folders above it the user may not
  // pass (a private TMPDIR).
  static bool SavedAs(uid_t user, gid_t group, const std::function<bool()>& save, rlim_t memory = 0,
                      const std::string& folder = ".")
  {
    const rlimit limit{memory, memory};
    return user == 0 && memory == 0 ? save() : ExitedWith(InChild([&] {
      return (memory == 0 || setrlimit(RLIMIT_AS, &limit) == 0) &&
             (user == 0 || (chdir(folder.c_str()) == 0 && setgroups(1, &group) == 0 && setgid(user) == 0 &&
                            setuid(user) == 0)) &&
             save();
    }), 0);
  }

  // What a save in place keeps of a file: its inode (unless `withInode` is
  // false), links, owner, group, permission bits and extended attributes.
  std::string Kept(const char* name, bool withInode = true) const
  {
    struct stat status{};
    stat(Path(name).c_str(), &status);
    std::string kept = (withInode ? std::to_string(status.st_ino) + " " : "") + std::to_string(status.st_nlink) +
                       " " + std::to_string(status.st_uid) + ":" + std::to_string(status.st_gid) + " " +
                       std::to_string(status.st_mode);
    char names[1024];
    const ssize_t length = listxattr(Path(name).c_str(), names, sizeof names);
    for (ssize_t at = 0; at < length; at += static_cast<ssize_t>(std::strlen(names + at)) + 1)
    {
      char value[256];
      const ssize_t size = getxattr(Path(name).c_str(), names + at, value, sizeof value);
      kept += std::string(" ") + (names + at) + "=" + std::string(value, size > 0 ? static_cast<size_t>(size) : 0);
    }
    return kept;
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
  ListenedPlugin plugin(Config(3, 3));
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
  EXPECT_EQ(plugin.presetChanges, 1) << "preset listeners hear of a load";
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
  ListenedPlugin other(Config(3, 3));
  ASSERT_TRUE(Load(other, "b.fxb", true));
  EXPECT_EQ(other.presetChanges, 1);
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
    const int heard = chunky.presetChanges;
    ASSERT_TRUE(Load(chunky, file, false)) << file;
    EXPECT_DOUBLE_EQ(chunky.GetParam(2)->Value(), 80.0) << file;
    EXPECT_EQ(chunky.presetChanges, heard + 1) << file;
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
  // A state the plug-in cannot serialise is not saved, nor is the old file
  // replaced.
  struct Unserialisable : ChunkPlugin
  {
    bool SerializeState(IByteChunk&) const override { return false; }
  };
  const Bytes old = Read("c.fxp");
  EXPECT_FALSE(Save(Unserialisable(), "c.fxp"));
  EXPECT_EQ(Read("c.fxp"), old);
}

// The file-size limit fails the write itself, also for the superuser, where
// the process ignores SIGXFSZ; where it does not, the signal would end the
// process mid-write, so the save must not start. A file with two names is
// rewritten in place and gets its old content back, so it is not rewritten
// where that would not fit. The limit is set in a child, so the test never
// shares it. Where the file system refuses locks, a save in place that can
// have no turn (no socket: a sandbox, no descriptors left) or does not get
// it (another process holds it) is refused as having no lock (ENOLCK),
// within a few seconds, not left waiting.
TEST_F(ProgramFiles, ASaveThatCannotBeWrittenWholeLeavesTheOldFileAsItWasAndNothingBesideIt)
{
  ApiTestPlugin plugin(Config(3, 2));
  ChunkPlugin chunky;
  // Under `limit`, flock and socket answering `lockAnswers` and
  // `socketAnswers` first; refused with `refusal`.
  struct Case { const char* file; PluginBase* plugin; const char* alsoNamed = nullptr; size_t oldSize = 12;
    rlim_t limit = 32; std::vector<int> lockAnswers = {}; std::vector<int> socketAnswers = {};
    bool turnHeld = false; int refusal = EFBIG; };
  for (const auto disposition : {SIG_IGN, SIG_DFL})
    for (const Case& c : {Case{"p.fxp", &plugin}, Case{"b.fxb", &plugin}, Case{"c.fxp", &chunky},
           Case{"c.fxb", &chunky}, Case{"linked.fxp", &plugin, "linked.fxp.too"},
           Case{"larger.fxp", &plugin, "larger.fxp.too", 100, 80},
           Case{"turn held.fxp", &plugin, "turn held.fxp.too", 12, RLIM_INFINITY, {ENOLCK}, {}, true, ENOLCK},
           Case{"sockets refused.fxp", &plugin, "sockets refused.fxp.too", 12, RLIM_INFINITY, {ENOLCK}, {EACCES},
             false, ENOLCK},
           Case{"no descriptors.fxp", &plugin, "no descriptors.fxp.too", 12, RLIM_INFINITY, {ENOLCK}, {EMFILE},
             false, ENOLCK}})
    {
      if (c.refusal != EFBIG && disposition == SIG_DFL)
        continue; // the signal plays no part in a turn
      SCOPED_TRACE(std::string(c.file) + (disposition == SIG_IGN ? ", SIGXFSZ ignored" : ", SIGXFSZ kills"));
      c.plugin->GetParam(1)->Set(3.0);
      ASSERT_TRUE(Save(*c.plugin, c.file));
      if (c.alsoNamed)
      {
        Write(c.file, T("the old file", c.oldSize), c.oldSize);
        std::filesystem::remove(Path(c.alsoNamed));
        std::filesystem::create_hard_link(Path(c.file), Path(c.alsoNamed));
      }
      const Bytes old = Read(c.file);
      const std::set<std::string> before = Entries();
      const int turn = c.turnHeld ? HoldTurn(c.file) : -1;
      ASSERT_EQ(turn >= 0, c.turnHeld);
      c.plugin->GetParam(1)->Set(5.0);
      const int status = InChild([&] {
        alarm(30); // a save left waiting for ever ends here
        std::signal(SIGXFSZ, disposition);
        const rlimit limit{c.limit, c.limit};
        setrlimit(RLIMIT_FSIZE, &limit);
        locks::gAnswers = c.lockAnswers;
        sockets::gAnswers = c.socketAnswers;
        return Save(*c.plugin, c.file) || errno != c.refusal || !locks::gAnswers.empty() ||
               !sockets::gAnswers.empty();
      });
      if (turn >= 0)
        close(turn);
      EXPECT_TRUE(ExitedWith(status, 1)) << "the failed save is reported, with its reason (" << strerror(c.refusal)
                                         << "), having asked for the lock and the turn";
      EXPECT_EQ(Read(c.file), old);
      EXPECT_EQ(Entries(), before);
    }
}

// A save acts as writing the file in place would: a link stays a link and
// the file it names gets the save, and the permission bits stay (a new
// file gets what a plain create there gets: the umask's, or what the
// folder's default ACL gives), also where /proc is not mounted.
TEST_F(ProgramFiles, ASaveReplacesTheFileALinkNamesAndKeepsItsPermissions)
{
  ApiTestPlugin plugin(Config(3, 2));
  ASSERT_TRUE(Save(plugin, "fresh.fxp") && Save(plugin, "fresh.fxb"));
  std::filesystem::create_directory(Path("real"));
  std::filesystem::create_directory(Path("r"));
  std::filesystem::create_directory(Path("shared"));
  setxattr(Path("shared").c_str(), "system.posix_acl_default", kOneMoreWriter, sizeof kOneMoreWriter, 0);
  struct Case { const char* file; const char* linkTo; int oldMode; bool absolute = false; bool withoutProc = false; };
  for (const Case& c : {Case{"new.fxp", nullptr, -1}, Case{"private.fxb", nullptr, 0640},
         Case{"link.fxp", "real/target.fxp", 0604}, Case{"dangling.fxb", "real/made.fxb", -1},
         Case{"absolute.fxb", "real/absolute.fxb", 0600, true}, Case{"short.fxp", "r/x.fxp", 0640},
         Case{"shared/new.fxp", nullptr, -1}, Case{"into shared.fxb", "shared/linked.fxb", -1},
         Case{"shared/without proc.fxp", nullptr, -1, false, true}})
  {
    SCOPED_TRACE(c.file);
    if (c.withoutProc && !ExitedWith(InChild(testsupport::HideProc), 0))
      GTEST_SKIP() << "/proc cannot be taken away from a child here";
    const std::string written = c.linkTo ? c.linkTo : c.file;
    const std::string linked = !c.linkTo ? "no link" : c.absolute ? Path(c.linkTo) : c.linkTo;
    if (c.linkTo)
      std::filesystem::create_symlink(linked, Path(c.file));
    if (c.oldMode >= 0)
    {
      Write(written.c_str(), T("the old file"), 12);
      chmod(Path(written.c_str()).c_str(), static_cast<mode_t>(c.oldMode));
    }
    if (c.withoutProc)
      ASSERT_TRUE(ExitedWith(InChild([&] { return testsupport::HideProc() && Save(plugin, c.file); }), 0));
    else
      ASSERT_TRUE(Save(plugin, c.file));
    const bool link = std::filesystem::is_symlink(Path(c.file));
    EXPECT_EQ(link ? std::filesystem::read_symlink(Path(c.file)).string() : "no link", linked);
    EXPECT_EQ(Read(written.c_str()), Read(std::string(c.file).ends_with(".fxb") ? "fresh.fxb" : "fresh.fxp"));
    struct stat status;
    ASSERT_EQ(stat(Path(written.c_str()).c_str(), &status), 0);
    if (c.oldMode >= 0)
    {
      EXPECT_EQ(status.st_mode & 07777, static_cast<mode_t>(c.oldMode));
      continue;
    }
    const std::string plain = written + ".plain";
    close(open(Path(plain.c_str()).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666));
    EXPECT_EQ(Kept(written.c_str(), false), Kept(plain.c_str(), false)) << "what a plain create there gives";
  }
}

// What a rename would change and a save in place keeps: a file's other
// names, its owner when a member of its group saves it, its group when that
// is not its owner's, an attribute its saver may not give; and a file in a
// folder that takes no new files can still be saved. Its attributes (an
// ACL, a user's tag) are carried over to a renamed file, so a stop never
// tears it. A huge file with two names is saved in place without holding
// what the save does not overwrite. A file system that refuses locks
// (NFS without its lock service) still takes a save in place, and an
// interrupted lock is asked for again. A file whose attributes cannot be
// listed is saved in place, keeping them, rather than renamed over.
TEST_F(ProgramFiles, ASaveKeepsWhatASaveInPlaceKept)
{
  if (geteuid() != 0)
    GTEST_SKIP() << "needs files of other users";
  ApiTestPlugin plugin(Config(3, 2));
  ASSERT_TRUE(Save(plugin, "fresh.fxp"));
  chmod(mTemp.Path().c_str(), 0755); // open to the other users
  constexpr uid_t kOwner = 4321, kMember = 4322, kGroup = 4323;
  const auto attribute = [](const char* name, const void* value, size_t size) {
    return [=](std::string path) { return setxattr(path.c_str(), name, value, size, 0) == 0; };
  };
  const auto twoNames = [](std::string path) { return link(path.c_str(), (path + "2").c_str()) == 0; };
  // Saved by `savedBy`, with the file's group among its groups, within
  // `memory` bytes of addresses, flock answering `lockAnswers` first and
  // listxattr `listAnswers`; `renamed` where a new file takes its name.
  struct Case { const char* file; mode_t folderMode; uid_t owner; gid_t group; uid_t savedBy;
    std::function<bool(std::string)> make = nullptr; bool renamed = false; rlim_t memory = 0;
    std::vector<int> lockAnswers = {}; std::vector<int> listAnswers = {}; };
  for (const Case& c : {
         Case{"two/names.fxp", 0755, 0, 0, 0, twoNames},
         Case{"acl/p.fxp", 0755, 0, 0, 0, attribute("system.posix_acl_access", kOneMoreWriter, sizeof kOneMoreWriter), true},
         Case{"tagged/p.fxp", 0755, 0, 0, 0, attribute("user.origin", "studio", 6), true},
         Case{"labelled/p.fxp", 0777, kOwner, kOwner, kOwner, attribute("security.tolvane3", "x", 1)},
         Case{"shared/by member.fxp", 0777, kOwner, kOwner, kMember},
         Case{"grouped/p.fxp", 0777, kOwner, kGroup, kOwner},
         Case{"closed/p.fxp", 0755, kOwner, kOwner, kOwner},
         Case{"huge/two names.fxp", 0755, 0, 0, 0, [&](std::string path) {
           return truncate(path.c_str(), 3L << 30) == 0 && twoNames(path); }, false, 1L << 30},
         Case{"unlocked/two names.fxp", 0755, 0, 0, 0, twoNames, false, 0, {ENOLCK}},
         Case{"interrupted/two names.fxp", 0755, 0, 0, 0, twoNames, false, 0, {EINTR, EINTR}},
         Case{"unlisted/p.fxp", 0755, 0, 0, 0, attribute("user.origin", "studio", 6), false, 0, {}, {EIO}}})
  {
    SCOPED_TRACE(c.file);
#if defined(__SANITIZE_ADDRESS__)
    if (c.memory)
      continue; // it reserves terabytes of addresses
#endif
    const std::filesystem::path folder = std::filesystem::path(Path(c.file)).parent_path();
    std::filesystem::create_directory(folder);
    chmod(folder.c_str(), c.folderMode);
    Write(c.file, T("the old file, longer than the new", 200), 200);
    chown(Path(c.file).c_str(), c.owner, c.group);
    chmod(Path(c.file).c_str(), 0664);
    if (c.make && !c.make(Path(c.file)))
      continue; // a file system without ACLs or attributes
    const std::string kept = Kept(c.file, !c.renamed), inode = Kept(c.file);
    const std::string inFolder = std::filesystem::path(c.file).filename();
    locks::gAnswers = c.lockAnswers;
    attributes::gListAnswers = c.listAnswers;
    EXPECT_TRUE(SavedAs(c.savedBy, c.group, [&] {
      return c.savedBy ? SavePresetAsFXP(plugin, inFolder.c_str()) : Save(plugin, c.file);
    }, c.memory, folder));
    EXPECT_TRUE(locks::gAnswers.empty()) << "the save asked for the lock";
    EXPECT_TRUE(attributes::gListAnswers.empty()) << "the save listed the attributes";
    locks::gAnswers.clear();
    attributes::gListAnswers.clear();
    EXPECT_EQ(Kept(c.file, !c.renamed), kept);
    EXPECT_EQ(Kept(c.file) != inode, c.renamed) << "renamed, not rewritten in place";
    for (const auto& name : std::filesystem::directory_iterator(folder))
      EXPECT_EQ(Read(name.path().lexically_relative(mTemp.Path()).c_str()), Read("fresh.fxp")) << name;
  }
}

// The temporary is private to its owner from the moment it is made: the
// new content of a private file is never open to others before it is whole.
// A save is caught mid-write where it can be; one missed is tried again.
TEST_F(ProgramFiles, ASavesTemporaryIsPrivateUntilItIsWhole)
{
  const std::string content(16 << 20, 'x'); // long enough to be seen mid-write
  Write("large.kps", T("the old file"), 12);
  chmod(Path("large.kps").c_str(), 0600);
  bool seen = false;
  for (int attempt = 0; attempt < 20 && !seen; ++attempt)
  {
    const int watch = inotify_init1(IN_CLOEXEC);
    ASSERT_GE(inotify_add_watch(watch, mTemp.Path().c_str(), IN_CREATE), 0);
    const pid_t child = fork();
    if (child == 0)
      _exit(WriteFileReplacing(Path("large.kps").c_str(), content.data(), content.size()) ? 0 : 1);
    alignas(inotify_event) char event[sizeof(inotify_event) + NAME_MAX + 1];
    struct stat status{};
    seen = read(watch, event, sizeof event) > 0 &&
           stat(Path(reinterpret_cast<inotify_event*>(event)->name).c_str(), &status) == 0;
    int exit = -1;
    waitpid(child, &exit, 0);
    close(watch);
    ASSERT_TRUE(ExitedWith(exit, 0));
    if (seen)
    {
      EXPECT_EQ(status.st_mode & 077, 0u) << std::oct << (status.st_mode & 07777);
    }
  }
  EXPECT_TRUE(seen) << "no save was caught mid-write";
}

// Two processes saving one file with two names at once, so in place, end
// with one save or the other, never one's length with the other's bytes;
// also where the file system refuses locks (ENOLCK).
TEST_F(ProgramFiles, TwoSavesAtOnceOfAFileWithTwoNamesLeaveOneOrTheOther)
{
  const std::string shorter(4 << 10, 's'), longer(256 << 10, 'l');
  Write("shared.kps", T("the old file"), 12);
  ASSERT_EQ(link(Path("shared.kps").c_str(), Path("shared.kps.too").c_str()), 0);
  // Mixed saves showed within a few rounds where the file system refused
  // locks, so that row needs fewer.
  struct Case { std::vector<int> lockAnswers; int rounds; };
  for (const Case& c : {Case{{}, 150}, Case{{ENOLCK}, 50}})
    for (int round = 0; round < c.rounds && !HasFailure(); ++round)
    {
      SCOPED_TRACE(c.lockAnswers.empty() ? "locks kept" : "locks refused");
      locks::gAnswers = c.lockAnswers; // each saver's own copy
      int go[2];
      ASSERT_EQ(pipe(go), 0);
      std::vector<pid_t> savers;
      for (const std::string* content : {&shorter, &longer})
        if (const pid_t child = fork(); child == 0)
        {
          char start;
          close(go[1]);
          _exit(read(go[0], &start, 1) == 0 &&
                    WriteFileReplacing(Path("shared.kps").c_str(), content->data(), content->size())
                  ? 0
                  : 1);
        }
        else
          savers.push_back(child);
      locks::gAnswers.clear();
      close(go[0]);
      close(go[1]); // both start
      for (const pid_t saver : savers)
      {
        int status = -1;
        waitpid(saver, &status, 0);
        EXPECT_TRUE(ExitedWith(status, 0)) << "round " << round;
      }
      const Bytes saved = Read("shared.kps");
      const std::string text(saved.begin(), saved.end());
      EXPECT_TRUE(text == shorter || text == longer) << "round " << round << ": " << text.size() << " bytes";
    }
}

// Links are followed as the kernel follows them: up to 40 in a chain; and
// in a sticky folder that others may write (as /tmp), whatever the system's
// setting, only the caller's or the folder owner's, so a link planted there
// by another user never turns a save onto the caller's file.
TEST_F(ProgramFiles, ALinkIsFollowedOnlyAsTheKernelWould)
{
  if (geteuid() != 0)
    GTEST_SKIP() << "needs links of other users";
  ApiTestPlugin plugin(Config(3, 2));
  ASSERT_TRUE(Save(plugin, "fresh.fxp"));
  constexpr uid_t kOther = 4321;
  // `linkOwner` owns the last link of the chain, the one naming the file
  // (or, `toAFolder`, the folder the file is saved in).
  struct Case { const char* name; int links; uid_t linkOwner, folderOwner; mode_t folderMode; bool followed;
    bool toAFolder = false; };
  const Case cases[] = {
    {"a chain of 40", 40, 0, 0, 0755, true},
    {"a chain of 41", 41, 0, 0, 0755, false},
    {"another's link in a shared sticky folder", 1, kOther, 0, 01777, false},
    {"another's link at the end of a chain of the caller's", 3, kOther, 0, 01777, false},
    {"the caller's link in another's shared sticky folder", 1, 0, kOther, 01777, true},
    {"the folder owner's link there", 1, kOther, kOther, 01777, true},
    {"another's link in a sticky folder only its group may write", 1, kOther, 0, 01770, true},
    {"another's link in a folder that is not sticky", 1, kOther, 0, 0777, true},
    {"another's link to a folder, in a shared sticky folder", 1, kOther, 0, 01777, false, true},
  };
  int row = 0;
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    const std::string folder = "f" + std::to_string(row++) + "/";
    const auto link = [&](int i) { return folder + "l" + std::to_string(i) + ".fxp"; };
    std::filesystem::create_directory(Path(folder.c_str()));
    chown(Path(folder.c_str()).c_str(), c.folderOwner, c.folderOwner);
    chmod(Path(folder.c_str()).c_str(), c.folderMode);
    for (int i = 0; i < c.links; ++i)
      std::filesystem::create_symlink(i + 1 < c.links ? "l" + std::to_string(i + 1) + ".fxp"
                                      : c.toAFolder   ? ".."
                                                      : "../target.fxp",
        Path(link(i).c_str()));
    const std::string saved = link(0) + (c.toAFolder ? "/target.fxp" : "");
    ASSERT_EQ(lchown(Path(link(c.links - 1).c_str()).c_str(), c.linkOwner, c.linkOwner), 0);
    Write("target.fxp", T("the old file"), 12);
    const std::set<std::string> before = Entries();
    EXPECT_EQ(Save(plugin, saved.c_str()), c.followed);
    EXPECT_EQ(Read("target.fxp"), c.followed ? Read("fresh.fxp") : T("the old file"));
    EXPECT_EQ(Entries(), before);
    EXPECT_TRUE(std::filesystem::is_symlink(Path(link(0).c_str())));
    if (c.linkOwner == 0) // where the system's setting cannot matter
    {
      EXPECT_EQ(access(Path(saved.c_str()).c_str(), F_OK) == 0, c.followed) << "the kernel's answer";
    }
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
