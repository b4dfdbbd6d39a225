// Every output of a render looked after together, with auhost run as a user
// runs it: no two outputs are one file, nor a side file an audio input; no
// output takes its name before all are written whole, and once one has, all
// do, whatever signal comes; a replaced file keeps its owner and group (or
// the user hears why not), whatever the length of its name; another user's
// file in a sticky folder, and a file the user may not write, are refused
// before rendering; nothing the render prints reaches an output, whatever
// standard streams it starts without.
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/TempHome.h"
#include "tests/tools/AuhostLaunch.h"
#include "tests/tools/ToolsTestSupport.h"
#include "tools/AudioFile.h"

namespace {

namespace fs = std::filesystem;
using auhost::SampleFormat;
using toolstest::Bytes;
using toolstest::Ended;
using toolstest::Launch;
using toolstest::Leftovers;
using toolstest::RunAuhost;

// What every entry of `dir` holds (a link: where it leads), but the log, as
// a hash that keeps a failure's message short.
std::map<std::string, size_t> Snapshot(const std::string& dir)
{
  std::map<std::string, size_t> entries;
  for (const auto& entry : fs::directory_iterator(dir))
  {
    const std::string name = entry.path().filename().string();
    if (name != "log.txt")
      entries[name] = std::hash<std::string>()(entry.is_symlink() ? "a link to " + fs::read_symlink(entry).string()
                                                                  : Bytes(entry.path()));
  }
  return entries;
}

// The preload that plays the system during a commit, as the sanitizers
// accept it.
std::vector<std::string> WithCommitShim(std::vector<std::string> environment)
{
  const char* asan = std::getenv("ASAN_OPTIONS");
  environment.push_back(std::string("LD_PRELOAD=") + COMMIT_SHIM);
  environment.push_back(std::string("ASAN_OPTIONS=") + (asan ? asan : "") + ":verify_asan_link_order=0");
  return environment;
}

// A group the test may give its files other than its own: any, for root;
// else one it belongs to besides; -1 when there is none.
gid_t OtherGroup()
{
  if (geteuid() == 0)
    return 4242;
  gid_t groups[64];
  const int count = getgroups(64, groups);
  for (int i = 0; i < count; ++i)
    if (groups[i] != getegid())
      return groups[i];
  return static_cast<gid_t>(-1);
}

// Whether `user` may pass every folder down to `folder`, as it must to
// reach a file there: not where the tests' TMPDIR is private (mode 700).
bool ReachableBy(uid_t user, const std::string& folder)
{
  const pid_t child = fork();
  if (child == 0)
    _exit(setgroups(0, nullptr) == 0 && setgid(user) == 0 && setuid(user) == 0 && access(folder.c_str(), X_OK) == 0
            ? 0
            : 1);
  int status = -1;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class RenderOutputs : public testing::Test
{
protected:
  void SetUp() override
  {
    std::string error;
    ASSERT_TRUE(auhost::WriteAudioFile(Path("in.wav"), in, SampleFormat::Float32, error)) << error;
  }
  std::string Path(const std::string& name) const { return folder.Join(name); }
  Ended Render(std::vector<std::string> args, Launch run = {}, const char* bundle = PRODUCT_BUNDLE)
  {
    args.insert(args.begin(), {"--bundle", bundle, "render"});
    run.args = std::move(args);
    return RunAuhost(run, Path("log.txt"));
  }
  auhost::AudioData Audio(const std::string& name) const
  {
    auhost::AudioData audio;
    std::string error;
    EXPECT_TRUE(auhost::ReadAudioFile(Path(name), audio, error)) << error;
    return audio;
  }

  testsupport::TempFolder folder;
  const auhost::AudioData in = toolstest::Bursts(0.5, -12.0);
};

// Two outputs naming one file, or a side file naming an audio input, are
// refused before anything is written, naming both roles, however the path
// is spelled (through a link, with "./", a file not made yet). Rendering a
// file onto itself and saving over the preset loaded stay allowed: every
// input is read before anything replaces it.
TEST_F(RenderOutputs, NoTwoOutputsAreOneFileNorASideFileAnAudioInput)
{
  fs::copy_file(Path("in.wav"), Path("side.wav"));
  fs::copy_file(Path("in.wav"), Path("again.wav"));
  std::ofstream(Path("out.wav")) << "the old output";
  fs::create_symlink("out.wav", Path("link.wav"));
  ASSERT_EQ(Render({Path("in.wav"), Path("reference.wav"), "--quiet", "--save-preset", Path("p.aupreset")}).status, 0);
  const auhost::AudioData reference = Audio("reference.wav");
  const std::string preset = Bytes(Path("p.aupreset"));
  std::ofstream(Path("played.csv")) << "time,value\n0,-3\n";
  struct Case
  {
    const char* name;
    std::vector<std::string> args; // after the input and the output
    std::vector<std::string> says; // the roles named; none when allowed
  };
  const Case cases[] = {
    {"the preset is the output", {"--save-preset", Path("out.wav")}, {"--save-preset", "the output"}},
    {"the lane is the output, through a link", {"--automation-out", Path("link.wav")},
     {"--automation-out", "the output"}},
    {"the preset and the lane are one new file, spelled two ways",
     {"--save-preset", Path("new.txt"), "--automation-out", folder.Path() + "/./new.txt"},
     {"--automation-out", "--save-preset"}},
    {"the preset is the input", {"--save-preset", Path("in.wav")}, {"--save-preset", "the input"}},
    {"the lane is the side-chain", {"--sidechain", Path("side.wav"), "--automation-out", Path("side.wav")},
     {"--automation-out", "the side-chain"}},
    {"the output is the input", {}, {}},
    {"the preset saved is the one loaded",
     {"--preset", Path("p.aupreset"), "--set", "Target Level=-20", "--save-preset", Path("p.aupreset")}, {}},
    {"the preset saved replaces the lane played",
     {"--automation-in", Path("played.csv"), "--save-preset", Path("played.csv")}, {}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    const bool ontoItself = c.args.empty();
    std::vector<std::string> args = {Path(ontoItself ? "again.wav" : "in.wav"), Path(ontoItself ? "again.wav" : "out.wav"),
                                     "--quiet"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto before = Snapshot(folder.Path());
    const Ended ended = Render(args);
    EXPECT_TRUE(Leftovers(folder.Path()).empty());
    if (c.says.empty())
    {
      ASSERT_EQ(ended.status, 0) << ended.output;
      if (ontoItself)
      {
        EXPECT_EQ(Audio("again.wav").channels, reference.channels);
        continue;
      }
      // The file written over holds the preset saved there, made after the
      // file was read.
      const std::string saved = Bytes(c.args.back());
      EXPECT_TRUE(saved.starts_with("<?xml"));
      EXPECT_NE(saved, preset);
      continue;
    }
    EXPECT_EQ(ended.status, 1) << ended.output;
    for (const std::string& role : c.says)
      EXPECT_NE(ended.output.find(role + " " + folder.Path()), std::string::npos) << role << "\n" << ended.output;
    EXPECT_EQ(Snapshot(folder.Path()), before);
  }
}

// Every output is written whole before any takes its name: a side file
// that cannot be written (a full disk, here a file-size limit the short
// audio fits in and the preset does not) leaves every old file whole and
// nothing behind. Once one has taken its name, a stop (any signal whose
// default ends the process) is let go: every output is put in place, the
// summary printed, and the render ends well, even when nobody reads the
// summary any more.
TEST_F(RenderOutputs, NoOutputIsCommittedBeforeAllAreWrittenAndOnceOneIsAllAre)
{
  std::string error;
  ASSERT_TRUE(auhost::WriteAudioFile(Path("short.wav"), toolstest::Bursts(0.002, -12.0, 1), SampleFormat::Pcm16,
                                     error))
    << error;
  struct Case
  {
    const char* name;
    rlim_t fileSizeLimit;
    int signalAtFirstRename;
    bool committed;
    bool closedStdout = false; // nobody reads the summary
  };
  const Case cases[] = {
    {"the preset meets a full disk", 2048, 0, false},
    {"SIGTERM once the audio is in place", 0, SIGTERM, true},
    {"SIGINT once the audio is in place", 0, SIGINT, true},
    {"SIGQUIT once the audio is in place", 0, SIGQUIT, true},
    {"SIGHUP once the audio is in place", 0, SIGHUP, true},
    {"SIGUSR1 once the audio is in place", 0, SIGUSR1, true},
    {"SIGUSR2 once the audio is in place", 0, SIGUSR2, true},
    {"SIGPIPE once the audio is in place", 0, SIGPIPE, true},
    {"SIGALRM once the audio is in place", 0, SIGALRM, true},
    {"SIGXCPU once the audio is in place", 0, SIGXCPU, true},
    {"SIGVTALRM once the audio is in place", 0, SIGVTALRM, true},
    {"SIGPROF once the audio is in place", 0, SIGPROF, true},
    {"SIGPOLL once the audio is in place", 0, SIGPOLL, true},
    {"SIGPWR once the audio is in place", 0, SIGPWR, true},
    {"SIGSTKFLT once the audio is in place", 0, SIGSTKFLT, true},
    {"SIGRTMIN once the audio is in place", 0, SIGRTMIN, true},
    {"SIGRTMAX once the audio is in place", 0, SIGRTMAX, true},
    {"the summary written to a pipe nobody reads", 0, 0, true, true},
  };
  const char* outputs[] = {"out.wav", "p.aupreset", "lane.csv"};
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    for (const char* output : outputs)
      std::ofstream(Path(output)) << "the old " << output;
    Launch run;
    run.fileSizeLimit = c.fileSizeLimit;
    run.closedStdout = c.closedStdout;
    if (c.signalAtFirstRename)
      run.environment = WithCommitShim({"SIGNAL_AT_RENAME=" + std::to_string(c.signalAtFirstRename)});
    const Ended ended = Render({Path("short.wav"), Path("out.wav"), "--format", "16", "--save-preset",
                                Path("p.aupreset"), "--automation-out", Path("lane.csv")},
                               run);
    EXPECT_EQ(ended.signal, 0);
    EXPECT_EQ(ended.status, c.committed ? 0 : 1) << ended.output;
    EXPECT_TRUE(Leftovers(folder.Path()).empty());
    if (!c.committed)
    {
      EXPECT_NE(ended.output.find("cannot write " + Path("p.aupreset") + ": File too large"), std::string::npos)
        << ended.output;
      for (const char* output : outputs)
        EXPECT_EQ(Bytes(Path(output)), std::string("the old ") + output);
      continue;
    }
    EXPECT_EQ(ended.output.find("latency") != std::string::npos, !c.closedStdout) << ended.output;
    EXPECT_EQ(Audio("out.wav").Frames(), 96);
    EXPECT_TRUE(Bytes(Path("p.aupreset")).starts_with("<?xml"));
    EXPECT_TRUE(Bytes(Path("lane.csv")).starts_with("time,value\n"));
  }
}

// Nothing the render prints reaches a file it writes, whatever standard
// streams it was started without (as a daemon or a script's `>&- 2>&-`
// starts it), though the files it opens would take their numbers: here the
// warning that a pipe held less than its header promised, printed once the
// pipe has ended, while the output is open. With all three closed, the
// input and a side-chain take the first two numbers. Each output is the
// one the same render makes with its streams open.
TEST_F(RenderOutputs, NothingPrintedReachesAnOutputWhicheverStandardStreamsAreClosed)
{
  const std::string wav = Bytes(Path("in.wav")), fifo = Path("fifo.wav");
  const std::string cut = wav.substr(0, wav.size() / 2);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // Written once auhost reads the FIFO, then ended.
  const auto feed = [&](pid_t) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    int writer;
    while ((writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) < 0 &&
           std::chrono::steady_clock::now() < giveUp)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_GE(writer, 0);
    fcntl(writer, F_SETFL, 0);
    EXPECT_EQ(write(writer, cut.data(), cut.size()), static_cast<ssize_t>(cut.size()));
    close(writer);
  };
  struct Case
  {
    const char* name;
    std::vector<int> closed;
    bool sidechain;
  };
  const Case cases[] = {
    {"standard output and error closed", {1, 2}, false},
    {"all three closed, with a side-chain", {0, 1, 2}, true},
  };
  for (const Case& c : cases)
    for (const std::string container : {"wav", "aiff", "flac"})
    {
      SCOPED_TRACE(std::string(c.name) + ", ." + container);
      const std::string out = Path("out." + container);
      auto render = [&](std::vector<int> closed) {
        fs::remove(out);
        Launch run;
        run.closedStreams = std::move(closed);
        run.whileRunning = feed;
        std::vector<std::string> args = {fifo, out, "--format", "24"};
        if (c.sidechain)
          args.insert(args.end(), {"--sidechain", Path("in.wav")});
        return Render(args, run);
      };
      const Ended open = render({});
      ASSERT_EQ(open.status, 0) << open.output;
      ASSERT_NE(open.output.find("the file is cut short"), std::string::npos) << open.output;
      const std::string whole = Bytes(out);
      const long frames = Audio("out." + container).Frames();
      const Ended closed = render(c.closed);
      EXPECT_EQ(closed.status, 0);
      EXPECT_EQ(Audio("out." + container).Frames(), frames);
      EXPECT_TRUE(Bytes(out) == whole) << Bytes(out).size() << " bytes, not " << whole.size();
      EXPECT_TRUE(Leftovers(folder.Path()).empty());
    }
}

// A replaced file keeps its owner (where the system allows), its group and
// its extended attributes (its ACL, a user's tags), so a group-shared mix
// stays readable to its group and a collaborator's access stays; where the
// group, the owner or an attribute cannot be kept the user hears so, and
// the system's reason, as where the attributes cannot even be listed. An
// ACL the folder gives new files never crowds out the old file's own
// attributes, also where the old file has a smaller ACL of its own. Any
// name the folder takes can be replaced, up to the longest.
TEST_F(RenderOutputs, AReplacedFileKeepsItsOwnerAndGroupWhateverTheLengthOfItsName)
{
  const gid_t otherGroup = OtherGroup();
  const bool root = geteuid() == 0;
  struct Case
  {
    std::string name;
    uid_t owner;
    gid_t group;
    bool groupRefused; // the system refuses to give the group
    bool ownerRefused = false; // and the owner (which it refuses to all but root)
    bool attributes = false; // the file has an ACL that lets one more user read, and a user's tag
    bool attributesRefused = false; // the file system refuses to give them
    bool unlisted = false; // nor lists them
    // The file has only a user's tag, but its folder now gives new files an
    // ACL, which fills the room the file system has for attributes.
    bool inheritsAnAcl = false;
    // And the file has an ACL of its own too, listed after its tag, smaller
    // than the one its folder gives: the tag fits beside its own ACL, not
    // beside the folder's.
    bool ownAcl = false;
  };
  const Case cases[] = {
    {"shared.wav", geteuid(), otherGroup, false},
    {"theirs.wav", root ? 4243 : geteuid(), otherGroup, false},
    {"refused.wav", geteuid(), otherGroup, true},
    {std::string(251, 'n') + ".wav", geteuid(), getegid(), false},
    {"theirs-refused.wav", root ? 4243 : geteuid(), getegid(), false, true},
    {"theirs-both-refused.wav", root ? 4243 : geteuid(), otherGroup, true, true},
    {"annotated.wav", geteuid(), getegid(), false, false, true},
    {"annotated-refused.wav", geteuid(), getegid(), false, false, true, true},
    {.name = "unlisted.wav", .owner = geteuid(), .group = getegid(), .groupRefused = false, .attributes = true,
     .unlisted = true},
    {.name = "inheriting/tagged.wav", .owner = geteuid(), .group = getegid(), .groupRefused = false,
     .inheritsAnAcl = true},
    {.name = "inheriting more/tagged with an ACL.wav", .owner = geteuid(), .group = getegid(), .groupRefused = false,
     .inheritsAnAcl = true, .ownAcl = true},
  };
  // Read for one more user, in little-endian words: the version, then (tag
  // | permission << 16, id) for the owner, the user, the group, the mask and
  // others; the mode stays 0660.
  const uint32_t oneMoreReader[] = {2, 0x60001, ~0u, 0x40002, 1234, 0x60004, ~0u, 0x60010, ~0u, 0x20, ~0u};
  // And for two more users, as a folder may give new files.
  const uint32_t twoMoreReaders[] = {2, 0x60001, ~0u, 0x40002, 1234, 0x40002, 1235, 0x60004, ~0u, 0x60010, ~0u, 0x20, ~0u};
  // Every extended attribute of a file, with its value.
  auto attributes = [](const std::string& path) {
    std::string all;
    char names[1024], value[256];
    const ssize_t length = listxattr(path.c_str(), names, sizeof names);
    for (ssize_t at = 0; at < length; at += static_cast<ssize_t>(std::strlen(names + at)) + 1)
    {
      const ssize_t size = getxattr(path.c_str(), names + at, value, sizeof value);
      all += std::string(names + at) + "=" + std::string(value, size > 0 ? static_cast<size_t>(size) : 0) + " ";
    }
    return all;
  };
  // The names the warning gives, or the numbers that have none.
  auto user = [](uid_t id) {
    const passwd* entry = getpwuid(id);
    return entry ? std::string(entry->pw_name) : std::to_string(id);
  };
  auto group = [](gid_t id) {
    const struct group* entry = getgrgid(id);
    return entry ? std::string(entry->gr_name) : std::to_string(id);
  };
  const std::string refusal = std::string(" cannot be kept (") + std::strerror(EPERM) + "); the new file's ";
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name.substr(0, 20));
    if (c.group == static_cast<gid_t>(-1))
      continue; // no group the test may give
    const std::string out = Path(c.name);
    fs::create_directories(fs::path(out).parent_path());
    std::ofstream(out) << "the old output";
    ASSERT_EQ(chown(out.c_str(), c.owner, c.group), 0);
    ASSERT_EQ(chmod(out.c_str(), 0660), 0);
    if (c.attributes && (setxattr(out.c_str(), "system.posix_acl_access", oneMoreReader, sizeof oneMoreReader, 0) != 0 ||
                         setxattr(out.c_str(), "user.origin", "studio", 6, 0) != 0))
      continue; // a file system without ACLs or attributes
    const uint32_t* folderAcl = c.ownAcl ? twoMoreReaders : oneMoreReader;
    const size_t folderAclSize = c.ownAcl ? sizeof twoMoreReaders : sizeof oneMoreReader;
    if (c.inheritsAnAcl &&
        (setxattr(out.c_str(), "user.origin", "studio", 6, 0) != 0 ||
         (c.ownAcl && setxattr(out.c_str(), "system.posix_acl_access", oneMoreReader, sizeof oneMoreReader, 0) != 0) ||
         setxattr(fs::path(out).parent_path().c_str(), "system.posix_acl_default", folderAcl, folderAclSize, 0) !=
           0))
      continue; // a file system without ACLs or attributes
    const std::string attributesBefore = attributes(out);
    Launch run;
    const bool refused = c.groupRefused || c.ownerRefused;
    std::vector<std::string> refusals;
    if (refused)
      refusals.push_back("REFUSE_FCHOWN=1");
    if (c.attributesRefused)
      refusals.push_back("REFUSE_FSETXATTR=1");
    if (c.unlisted)
      refusals.push_back("UNLISTABLE_ATTRIBUTES=1");
    // Room for the inherited ACL's 67 bytes or the tag's 17, not both; with
    // an ACL of its own, room for that one's 67 and the tag's 17, not for
    // the inherited ACL's 75 with the tag.
    if (c.inheritsAnAcl)
      refusals.push_back(c.ownAcl ? "ATTRIBUTE_SPACE=88" : "ATTRIBUTE_SPACE=80");
    if (!refusals.empty())
      run.environment = WithCommitShim(refusals);
    const Ended ended = Render({Path("in.wav"), out, "--quiet"}, run);
    ASSERT_EQ(ended.status, 0) << ended.output;
    const std::string attributesLost =
      c.attributesRefused ? std::string("the ACL cannot be kept (") + std::strerror(EPERM) +
                              "); the attribute user.origin cannot be kept (" + std::strerror(EPERM) + ")"
      : c.unlisted ? std::string("the extended attributes cannot be kept (") + std::strerror(EIO) + ")"
                   : "";
    EXPECT_EQ(attributes(out), attributesLost.empty() ? attributesBefore : "");
    EXPECT_TRUE(attributesLost.empty() ||
                ended.output.find("auhost: warning: " + out + ": " + attributesLost + "\n") != std::string::npos)
      << ended.output;
    EXPECT_EQ(ended.output.find("attribute") != std::string::npos || ended.output.find("the ACL ") != std::string::npos,
              !attributesLost.empty()) << ended.output;
    struct stat status;
    ASSERT_EQ(stat(out.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0660u);
    EXPECT_EQ(status.st_uid, refused ? geteuid() : c.owner);
    EXPECT_EQ(status.st_gid, refused ? getegid() : c.group);
    const bool warned = ended.output.find("auhost: warning: " + out + ": the group ") != std::string::npos;
    EXPECT_EQ(warned, c.groupRefused) << ended.output;
    // Each loss named with the system's reason, and only a loss.
    const bool ownerLost = c.ownerRefused && c.owner != geteuid();
    for (const auto& [lost, said] :
         {std::pair{c.groupRefused, "the group " + group(c.group) + refusal + "group is " + group(getegid())},
          std::pair{ownerLost, "the owner " + user(c.owner) + refusal + "owner is " + user(geteuid())}})
      EXPECT_EQ(ended.output.find(said) != std::string::npos, lost) << said << "\n" << ended.output;
    EXPECT_EQ(ended.output.find("the owner ") != std::string::npos, ownerLost) << ended.output;
    EXPECT_EQ(Audio(c.name).Frames(), in.Frames());
    EXPECT_TRUE(Leftovers(folder.Path()).empty());
  }
}

// In a folder with the sticky bit (as /tmp), another user's file cannot be
// renamed over, whether the folder is root's or the file owner's: the
// render is refused before it begins, with the reason, rather than failing
// once the programme is rendered. The user's own file there is replaced as
// any other, and root replaces anyone's, as the kernel lets it. Needs
// root, to be another user.
TEST_F(RenderOutputs, AnotherUsersFileInAStickyFolderIsRefusedBeforeRendering)
{
  if (geteuid() != 0)
    GTEST_SKIP() << "needs root to run auhost as another user";
  constexpr uid_t kUser = 65534;
  const std::string sticky = Path("sticky"), longWav = toolstest::LongSilentWav(folder.Path());
  fs::create_directory(sticky);
  ASSERT_EQ(chmod(sticky.c_str(), 01777), 0);
  ASSERT_EQ(chmod(folder.Path().c_str(), 0755), 0);
  if (!ReachableBy(kUser, folder.Path()))
    GTEST_SKIP() << "user " << kUser << " cannot reach " << folder.Path() << " (a private TMPDIR)";
  constexpr uid_t kOther = 4244;
  struct Case
  {
    const char* name;
    uid_t owner;
    std::string input;
    bool refused;
    uid_t folderOwner = 0;
    uid_t user = kUser; // who renders; 0: root
  };
  const Case cases[] = {
    {"root's file", 0, longWav, true},
    {"the user's own file", kUser, Path("in.wav"), false},
    {"another's file in that other's folder", kOther, longWav, true, kOther},
    {"another's file in that other's folder, for root", kOther, Path("in.wav"), false, kOther, 0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    const std::string out = sticky + "/out.wav";
    ASSERT_EQ(chown(sticky.c_str(), c.folderOwner, c.folderOwner), 0);
    std::ofstream(out) << "the old output";
    ASSERT_EQ(chown(out.c_str(), c.owner, c.owner), 0);
    ASSERT_EQ(chmod(out.c_str(), 0666), 0);
    Launch run;
    run.user = c.user;
    run.fileSizeLimit = 1 << 20;
    const Ended ended = Render({c.input, out, "--quiet"}, run, STRICT_BUNDLE);
    if (ended.status == toolstest::kCannotRunAsTheUser)
      GTEST_SKIP() << "auhost cannot be run as user " << kUser << " from here";
    EXPECT_TRUE(Leftovers(folder.Path()).empty());
    if (!c.refused)
    {
      EXPECT_EQ(ended.status, 0) << ended.output;
      EXPECT_EQ(Audio("sticky/out.wav").Frames(), in.Frames());
      continue;
    }
    EXPECT_EQ(ended.status, 1);
    EXPECT_NE(ended.output.find("cannot write " + out + ": Operation not permitted (the file is another user's"),
              std::string::npos)
      << ended.output;
    EXPECT_EQ(Bytes(out), "the old output");
  }
}

// A file its user may not write (read-only, or another's that only its
// owner writes) is not replaced, whichever output it is: the render is
// refused before it begins, saying why, and every file stays as it was.
// Root may write any file, and replaces a read-only one, which stays
// read-only. Needs root, to be another user.
TEST_F(RenderOutputs, AFileItsUserMayNotWriteIsRefusedBeforeRendering)
{
  if (geteuid() != 0)
    GTEST_SKIP() << "needs root to run auhost as another user";
  constexpr uid_t kUser = 65534;
  const std::string open = Path("open");
  fs::create_directory(open);
  ASSERT_EQ(chown(open.c_str(), kUser, kUser), 0);
  ASSERT_EQ(chmod(folder.Path().c_str(), 0755), 0);
  if (!ReachableBy(kUser, folder.Path()))
    GTEST_SKIP() << "user " << kUser << " cannot reach " << folder.Path() << " (a private TMPDIR)";
  struct Case
  {
    const char* name;
    const char* file; // the one there before, of `owner` and `mode`
    uid_t owner;
    mode_t mode;
    uid_t user; // who renders; 0: root
    bool refused;
  };
  const Case cases[] = {
    {"the user's read-only output", "out.wav", kUser, 0444, kUser, true},
    {"the user's read-only preset", "p.aupreset", kUser, 0444, kUser, true},
    {"the user's read-only lane", "lane.csv", kUser, 0444, kUser, true},
    {"root's output, which only root writes", "out.wav", 0, 0644, kUser, true},
    {"the user's output it may write", "out.wav", kUser, 0644, kUser, false},
    {"a read-only output, for root", "out.wav", kUser, 0444, 0, false},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    for (const auto& entry : fs::directory_iterator(open))
      fs::remove(entry);
    const std::string file = open + "/" + c.file;
    std::ofstream(file) << "the old file";
    ASSERT_EQ(chown(file.c_str(), c.owner, c.owner), 0);
    ASSERT_EQ(chmod(file.c_str(), c.mode), 0);
    const auto before = Snapshot(open);
    Launch run;
    run.user = c.user;
    const Ended ended = Render({Path("in.wav"), open + "/out.wav", "--quiet", "--save-preset", open + "/p.aupreset",
                                "--automation-out", open + "/lane.csv"},
                               run);
    if (ended.status == toolstest::kCannotRunAsTheUser)
      GTEST_SKIP() << "auhost cannot be run as user " << kUser << " from here";
    EXPECT_TRUE(Leftovers(open).empty());
    if (c.refused)
    {
      EXPECT_EQ(ended.status, 1) << ended.output;
      EXPECT_NE(ended.output.find("cannot write " + file + ": Permission denied (the file is read-only to this user)"),
                std::string::npos)
        << ended.output;
      EXPECT_EQ(Snapshot(open), before);
      continue;
    }
    ASSERT_EQ(ended.status, 0) << ended.output;
    EXPECT_EQ(Audio("open/out.wav").Frames(), in.Frames());
    struct stat status;
    ASSERT_EQ(stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, c.mode);
  }
}

} // namespace
