// What a render does to the files it writes, with auhost run as a user runs
// it: an output it cannot write is refused before rendering; a stop, a
// file-size limit or an output too long for its container leave the old
// output whole and nothing behind; a replaced output stays what it was (a
// link, its permissions); a link planted where the temporary goes is never
// followed, nor one another user planted in a sticky folder. Large
// programmes are sparse files: silent, and taking no disk.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

#include <gtest/gtest.h>

#include "tests/support/TempHome.h"
#include "tests/tools/AuhostLaunch.h"
#include "tests/tools/HeaderSizes.h"
#include "tests/tools/ToolsTestSupport.h"
#include "tools/AudioFile.h"

namespace {

namespace fs = std::filesystem;
using auhost::SampleFormat;
using toolstest::Bytes;
using toolstest::Ended;
using toolstest::Launch;
using toolstest::Leftovers;
using toolstest::LongSilentWav;
using toolstest::RunAuhost;

class RenderOutput : public testing::Test
{
protected:
  void SetUp() override
  {
    std::string error;
    ASSERT_TRUE(auhost::WriteAudioFile(dir + "/in.wav", in, SampleFormat::Float32, error)) << error;
  }
  testsupport::TempFolder folder;
  const std::string dir = folder.Path(), log = folder.Join("log.txt");
  const auhost::AudioData in = toolstest::Bursts(0.5, -12.0);
};

// How the writer lays out a file for the length it expects: WAV and AIFF
// hold 32-bit sizes, so from 4 GiB of audio on, a WAV keeps room for
// 64-bit ones and an AIFF is refused; a render known to fit keeps the plain
// layout, as renders always had. A WAV with room is RF64 only once it
// holds more than a plain WAV can: one that ends small (as most renders
// from a pipe, of unknown length, do) is a plain extensible WAV with a JUNK
// chunk where RF64 keeps its 64-bit sizes.
TEST_F(RenderOutput, TheWriterKeepsRoomFor64BitSizesOnlyWhenARenderMightNotFit)
{
  constexpr long kMinute = 60L * 48000;
  struct Case
  {
    const char* file;
    SampleFormat format;
    int channels;
    long expected;
    const char* want;
  };
  const Case cases[] = {
    {"fits.wav", SampleFormat::Float32, 2, 180 * kMinute, "plain WAV"},
    {"over.wav", SampleFormat::Float32, 2, 187 * kMinute, "WAV with room"},
    {"unknown.wav", SampleFormat::Float32, 1, auhost::kUnknownLength, "WAV with room"},
    {"unknown-24.wav", SampleFormat::Pcm24, 2, auhost::kUnknownLength, "WAV with room"},
    {"fits-16.wav", SampleFormat::Pcm16, 2, 360 * kMinute, "plain WAV"},
    {"over.aiff", SampleFormat::Float32, 2, 187 * kMinute, "refused"},
    {"fits-16.aiff", SampleFormat::Pcm16, 2, 187 * kMinute, "AIFF"},
    {"unknown.aif", SampleFormat::Float32, 2, auhost::kUnknownLength, "AIFF"},
    {"long.flac", SampleFormat::Pcm24, 2, 2400 * kMinute, "FLAC"},
    // The extension names the container whatever its letters' case.
    {"OUT.WAV", SampleFormat::Float32, 2, 180 * kMinute, "plain WAV"},
    {"mixed.Flac", SampleFormat::Pcm24, 1, kMinute, "FLAC"},
    {"LOUD.AIFF", SampleFormat::Pcm16, 2, kMinute, "AIFF"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.file);
    const std::string path = folder.Join(c.file);
    std::string error;
    auto writer = auhost::AudioFileWriter::Open(path, c.channels, 48000.0, c.format, c.expected, error);
    if (std::string(c.want) == "refused")
    {
      EXPECT_FALSE(writer);
      EXPECT_NE(error.find("an AIFF file holds at most 4 GiB"), std::string::npos) << error;
      EXPECT_FALSE(fs::exists(path));
      continue;
    }
    ASSERT_TRUE(writer) << error;
    const auhost::AudioData part = toolstest::Bursts(0.1, -6.0, c.channels);
    const float* channels[2] = {part.channels[0].data(), part.channels.back().data()};
    ASSERT_TRUE(writer->Append(channels, part.Frames()) && writer->Commit(error)) << error;
    const std::string head = Bytes(path).substr(0, 16);
    const std::string layout = head.starts_with("RF64")         ? "RF64"
                               : head.substr(8) == "WAVEJUNK" ? "WAV with room"
                               : head.substr(8) == "WAVEfmt " ? "plain WAV"
                               : head.starts_with("FORM")     ? "AIFF"
                               : head.starts_with("fLaC")     ? "FLAC"
                                                              : "unknown";
    EXPECT_EQ(layout, c.want);
    auhost::AudioData back;
    ASSERT_TRUE(auhost::ReadAudioFile(path, back, error)) << error;
    EXPECT_EQ(back.Frames(), part.Frames());
    if (layout != "FLAC")
    {
      EXPECT_EQ(toolstest::HeaderSizeProblem(path, static_cast<uint64_t>(part.Frames())), "");
    }
  }
  EXPECT_TRUE(Leftovers(dir).empty());
}

// Nothing is rendered when an output cannot be written: the message says
// why in the system's words, no side file is written, the existing output
// stays whole and nothing is left behind. The input is long and the
// file-size limit small, so a render that went ahead fails otherwise.
TEST_F(RenderOutput, OutputsThatCannotBeWrittenAreRefusedBeforeRendering)
{
  const std::string longWav = LongSilentWav(dir);
  fs::create_directory(dir + "/folder.wav");
  fs::create_directory(dir + "/locked");
  fs::permissions(dir + "/locked", fs::perms::owner_read | fs::perms::owner_exec);
  std::ofstream(dir + "/old.aiff") << "the old output";
  fs::create_symlink("loop.wav", dir + "/loop.wav");
  struct Case
  {
    const char *output, *preset, *says;
  };
  const Case cases[] = {
    {"folder.wav", "p.aupreset", "folder.wav: Is a directory"},
    {"missing/out.wav", "p.aupreset", "missing/out.wav: No such file or directory"},
    {"out.wav", "missing/p.aupreset", "missing/p.aupreset: No such file or directory"},
    {"out.wav", "folder.wav", "folder.wav: Is a directory"},
    {"locked/out.wav", "p.aupreset", "locked/out.wav: Permission denied"},
    {"old.aiff", "p.aupreset", "old.aiff: an AIFF file holds at most 4 GiB of audio"},
    {"loop.wav", "p.aupreset", "loop.wav: Too many levels of symbolic links"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(std::string(c.output) + " " + c.preset);
    if (std::string(c.output).starts_with("locked") && geteuid() == 0)
      continue; // folder permissions do not bind root
    Launch run;
    run.args = {"render", longWav, dir + "/" + c.output, "--save-preset", dir + "/" + c.preset, "--automation-out",
                dir + "/lane.csv"};
    run.fileSizeLimit = 1 << 20;
    const Ended ended = RunAuhost(run, log);
    EXPECT_EQ(ended.status, 1) << ended.output;
    EXPECT_NE(ended.output.find("cannot write " + dir + "/" + c.says), std::string::npos) << ended.output;
    for (const char* side : {"p.aupreset", "lane.csv", "out.wav"})
      EXPECT_FALSE(fs::exists(dir + "/" + side)) << side;
    EXPECT_EQ(Bytes(dir + "/old.aiff"), "the old output");
    EXPECT_TRUE(Leftovers(dir).empty());
  }
}

// Ctrl-C, SIGTERM and SIGHUP stop the render within a slice: the process
// ends by the signal, as a shell expects, after removing its temporary file.
// A file-size limit fails the render with the system's reason instead of
// killing it.
TEST_F(RenderOutput, AStopOrAFileSizeLimitLeavesTheOldOutputWholeAndNothingBehind)
{
  const std::string out = dir + "/out.wav", longWav = LongSilentWav(dir);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, 0})
  {
    SCOPED_TRACE(signal ? strsignal(signal) : "file-size limit");
    std::ofstream(out) << "the old output";
    Launch run;
    run.args = {"--bundle", STRICT_BUNDLE, "render", longWav, out};
    run.fileSizeLimit = signal ? 0 : 1 << 20;
    if (signal)
      run.whileRunning = [&](pid_t pid) {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (Leftovers(dir).empty() && std::chrono::steady_clock::now() < giveUp)
          std::this_thread::sleep_for(std::chrono::milliseconds(5));
        kill(pid, signal);
      };
    const Ended ended = RunAuhost(run, log);
    EXPECT_EQ(ended.signal, signal) << ended.output;
    if (!signal)
    {
      EXPECT_EQ(ended.status, 1);
      EXPECT_NE(ended.output.find("cannot write " + out + ": File too large"), std::string::npos) << ended.output;
    }
    EXPECT_EQ(Bytes(out), "the old output");
    EXPECT_TRUE(Leftovers(dir).empty());
  }
}

// A disk that fills as a file's last bytes go out, here a file-size limit
// anywhere in the last 24 KiB of what the render writes, leaves no file cut
// short: each render is whole, or refused in the system's words with the
// old file whole and nothing beside it, in every container (a FLAC writes
// its last frame and its length as it closes), new or rendered onto itself.
TEST_F(RenderOutput, AFileSizeLimitNearTheEndLeavesEachOutputWholeOrRefused)
{
  // A float file's PEAK chunk holds the second it was written.
  auto comparable = [](std::string bytes) {
    const size_t peak = bytes.find("PEAK");
    if (peak < 4096)
      bytes.replace(peak + 12, 4, 4, '\0');
    return bytes;
  };
  for (const std::string container : {"wav", "aiff", "flac"})
    for (const bool ontoItself : {false, true})
    {
      SCOPED_TRACE("." + container + (ontoItself ? " rendered onto itself" : " new"));
      const std::string out = dir + "/out." + container, original = dir + "/original." + container;
      std::string error;
      ASSERT_TRUE(auhost::WriteAudioFile(original, in, SampleFormat::Float32, error)) << error;
      auto render = [&](rlim_t limit) {
        fs::remove(out);
        if (ontoItself)
          fs::copy_file(original, out);
        Launch run;
        run.args = {"--bundle", STRICT_BUNDLE, "render", ontoItself ? out : dir + "/in.wav", out, "--quiet"};
        run.fileSizeLimit = limit;
        return RunAuhost(run, log);
      };
      ASSERT_EQ(render(0).status, 0);
      const std::string whole = comparable(Bytes(out)), old = ontoItself ? Bytes(original) : "";
      const long size = static_cast<long>(whole.size());
      std::vector<long> shortBy = {1, 7, 333, 4099};
      for (long by = 0; by <= std::min(24L * 1024, size - 512); by += 512)
        shortBy.push_back(by);
      for (const long by : shortBy)
      {
        const rlim_t limit = static_cast<rlim_t>(size - by);
        const Ended ended = render(limit);
        const bool wasWhole = ended.status == 0 && comparable(Bytes(out)) == whole;
        const bool refused = ended.status == 1 &&
                             ended.output.find("cannot write " + out + ": File too large") != std::string::npos &&
                             (ontoItself ? Bytes(out) == old : !fs::exists(out));
        EXPECT_TRUE(wasWhole || refused) << "limit " << limit << " of " << size << ", exit " << ended.status
                                         << ", " << Bytes(out).size() << " bytes: " << ended.output;
        EXPECT_TRUE(Leftovers(dir).empty());
      }
    }
}

// The core files the system left in `dir`, the working directory, where
// its pattern names a file there (as by default); a core made elsewhere
// shows in the exit status alone.
size_t CoreFilesIn(const std::string& dir)
{
  std::string pattern;
  std::getline(std::ifstream("/proc/sys/kernel/core_pattern"), pattern);
  const std::string name = pattern.substr(0, pattern.find('%'));
  size_t found = 0;
  if (!name.empty() && name.find_first_of("|/") == std::string::npos)
    for (const auto& entry : fs::directory_iterator(dir))
      found += entry.path().filename().string().starts_with(name);
  return found;
}

// A stop ends the render at once whatever the input is doing: a FIFO
// nobody has opened yet, or a pipe that has given the header and some
// audio and then stalls, either of which would hold it for ever. Each stop
// is sent once auhost is seen waiting there with its handlers set, never
// after a fixed time, which a slow start (the sanitizers, a busy machine)
// outlasts; a render still running 10 s later waits on its input. A stop
// is any signal whose default ends the process (a timer, a CPU-time limit,
// a pipe closed, a real-time signal): the process ends by the signal, the
// old output is whole and the render's temporary is gone, and it leaves no
// core file, though core files are allowed and the default of some
// (SIGQUIT, SIGXCPU) makes one.
TEST_F(RenderOutput, AStopEndsTheRenderAtOnceWhateverTheInputIsWaitingFor)
{
  const std::string out = dir + "/out.wav", fifo = dir + "/fifo.wav";
  const std::string wav = Bytes(dir + "/in.wav");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const bool stalls : {false, true})
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGPIPE, SIGALRM, SIGSTKFLT, SIGXCPU,
                             SIGVTALRM, SIGPROF, SIGPOLL, SIGPWR, SIGRTMIN, SIGRTMIN + 5, SIGRTMAX})
    {
      SCOPED_TRACE(std::string(stalls ? "a pipe that stalls, " : "a FIFO nobody opens, ") + strsignal(signal));
      std::ofstream(out) << "the old output";
      int writer = -1;
      Launch run;
      run.args = {"--bundle", STRICT_BUNDLE, "render", fifo, out};
      run.giveUpSeconds = 10;
      run.coreFiles = true;
      run.directory = dir;
      run.whileRunning = [&](pid_t pid) {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        if (stalls)
        {
          // Open once auhost reads, give it less than a pipe holds, then
          // wait for its temporary: the render has begun and waits.
          while ((writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) < 0 &&
                 std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
          ASSERT_EQ(write(writer, wav.data(), 32768), 32768);
          while (Leftovers(dir).empty() && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
          ASSERT_EQ(Leftovers(dir).size(), 1u);
        }
        else
          ASSERT_TRUE(toolstest::WaitUntilCatchingAndOpening(pid, signal, 10));
        kill(pid, signal);
      };
      const Ended ended = RunAuhost(run, log);
      if (writer >= 0)
        close(writer);
      EXPECT_EQ(ended.signal, signal) << ended.output;
      EXPECT_FALSE(ended.coreDumped);
      EXPECT_EQ(CoreFilesIn(dir), 0u);
      EXPECT_EQ(Bytes(out), "the old output");
      EXPECT_TRUE(Leftovers(dir).empty());
    }
}

// A replaced output stays what it was: a link stays a link and its target
// gets the audio, the permission bits stay (a new file gets what a plain
// create there gets: the umask's, or what the folder's default ACL gives,
// and the group of a set-group-id folder), also where /proc is not mounted,
// and a link planted at the name temporaries once had is never followed.
TEST_F(RenderOutput, AReplacedOutputKeepsItsLinkAndPermissionsAndNoPlantedLinkIsFollowed)
{
  fs::create_directory(dir + "/real");
  fs::create_directory(dir + "/shared");
  fs::create_directory(dir + "/grouped");
  chown((dir + "/grouped").c_str(), static_cast<uid_t>(-1), geteuid() == 0 ? 4242 : getegid());
  chmod((dir + "/grouped").c_str(), 02775);
  // Read and write for one more user, in little-endian words: the version,
  // then (tag | permission << 16, id) for the owner, the user, the group,
  // the mask and others.
  const uint32_t oneMoreWriter[] = {2, 0x60001, ~0u, 0x60002, 1234, 0x40004, ~0u, 0x60010, ~0u, 0x40020, ~0u};
  setxattr((dir + "/shared").c_str(), "system.posix_acl_default", oneMoreWriter, sizeof oneMoreWriter, 0);
  // A file's permission bits, its group and its ACL, if any.
  const auto permissions = [](const std::string& path) {
    struct stat status{};
    char acl[256];
    const ssize_t size = stat(path.c_str(), &status) == 0 ? getxattr(path.c_str(), "system.posix_acl_access", acl, sizeof acl) : -1;
    return std::to_string(status.st_mode & 07777) + " " + std::to_string(status.st_gid) + " " +
           std::string(acl, size > 0 ? static_cast<size_t>(size) : 0);
  };
  std::ofstream(dir + "/victim.txt") << "not to be touched";
  struct Case
  {
    const char* output;
    const char* linkTo; // the output is a link to this, relative to it
    int oldMode; // of the file written, -1 when there is none yet
    bool plant; // a link to victim.txt at the name a temporary once had
    bool withoutProc = false; // and without the privilege to link a descriptor
    bool noDescriptorLink = false; // the kernel refuses that to all
  };
  const Case cases[] = {
    {"new.wav", nullptr, -1, false},       {"private.wav", nullptr, 0600, false},
    {"link.wav", "real/target.wav", 0640, false}, {"dangling.wav", "real/made.wav", -1, false},
    {"shared/new.wav", nullptr, -1, false}, {"into shared.wav", "shared/made.wav", -1, false},
    {"planted.wav", nullptr, -1, true},    {"grouped/new.wav", nullptr, -1, false},
    {"shared/without proc.wav", nullptr, -1, false, true},
    {"grouped/without proc nor a descriptor link.wav", nullptr, -1, false, true, true},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.output);
#if defined(__SANITIZE_ADDRESS__)
    if (c.withoutProc)
      continue; // the sanitizer reads the process's memory map from /proc
#endif
    const std::string out = dir + "/" + c.output, written = c.linkTo ? dir + "/" + c.linkTo : out;
    const std::string planted = c.plant ? out + ".auhost-" : "";
    if (c.linkTo)
      fs::create_symlink(c.linkTo, out);
    if (c.oldMode >= 0)
    {
      std::ofstream(written) << "the old output";
      chmod(written.c_str(), static_cast<mode_t>(c.oldMode));
    }
    Launch run;
    run.args = {"--bundle", STRICT_BUNDLE, "render", dir + "/in.wav", out, "--quiet"};
    pid_t plantedBy = 0;
    if (c.plant)
      run.beforeStart = [&](pid_t pid) {
        fs::create_symlink("victim.txt", planted + std::to_string(pid) + ".tmp");
        plantedBy = pid;
      };
    run.withoutProc = c.withoutProc;
    if (c.noDescriptorLink)
      run.environment = {std::string("LD_PRELOAD=") + COMMIT_SHIM, "REFUSE_DESCRIPTOR_LINKS=1"};
    const Ended ended = RunAuhost(run, log);
    if (ended.status == toolstest::kCannotHideProc)
      GTEST_SKIP() << "/proc cannot be taken away from auhost here";
    ASSERT_EQ(ended.status, 0) << ended.output;
    EXPECT_EQ(fs::is_symlink(out) ? fs::read_symlink(out).string() : "no link", c.linkTo ? c.linkTo : "no link");
    struct stat status;
    ASSERT_EQ(stat(written.c_str(), &status), 0);
    if (c.oldMode >= 0)
      EXPECT_EQ(status.st_mode & 07777, static_cast<mode_t>(c.oldMode));
    else
    {
      close(open((written + ".plain").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666));
      EXPECT_EQ(permissions(written), permissions(written + ".plain")) << "what a plain create there gives";
    }
    auhost::AudioData back;
    std::string error;
    ASSERT_TRUE(auhost::ReadAudioFile(out, back, error)) << error;
    EXPECT_EQ(back.Frames(), in.Frames());
    EXPECT_EQ(Bytes(dir + "/victim.txt").substr(0, 40), "not to be touched");
    EXPECT_EQ(Leftovers(dir).size(), c.plant ? 1u : 0u); // the planted link, still a link to the victim
    if (c.plant)
      fs::remove(planted + std::to_string(plantedBy) + ".tmp");
  }
}

// Links are followed as the kernel follows them, whatever the system's
// setting: up to 40 in a path; and in a folder with the sticky bit that
// others may write (as /tmp), only a link of the user's or of the folder's
// owner, at any step of the path, so nobody can plant one there to turn a
// render onto the user's own file. A link refused, the render does not
// begin (a long input with a small file-size limit would fail otherwise)
// and every file is as it was. Needs root, to give a link to another user.
TEST_F(RenderOutput, LinksAreFollowedAsTheKernelFollowsThemWhateverTheSystemsSetting)
{
  if (geteuid() != 0)
    GTEST_SKIP() << "needs root to give a link to another user";
  constexpr uid_t kOther = 4243;
  const std::string longWav = LongSilentWav(dir);
  struct Case
  {
    const char* name;
    int links; // in a row in one folder, each leading to the next, the last to the user's file
    mode_t folderMode;
    uid_t folderOwner, lastLinkOwner; // the other links are the user's
    bool refused;
    const char* option = nullptr; // given the first link; else the output is
    bool toFolder = false; // the last link leads to the user's file's folder
  };
  const Case cases[] = {
    {"40 links in a row", 40, 0755, 0, 0, false},
    {"41 links in a row", 41, 0755, 0, 0, true},
    {"another's link in a sticky folder all may write", 1, 01777, 0, kOther, true},
    {"another's link there, as --save-preset", 1, 01777, 0, kOther, true, "--save-preset"},
    {"another's link there, as --automation-out", 1, 01777, 0, kOther, true, "--automation-out"},
    {"another's link there to the output's folder", 1, 01777, 0, kOther, true, nullptr, true},
    {"another's link there, reached through the user's", 3, 01777, 0, kOther, true},
    {"the user's links in another's sticky folder", 2, 01777, kOther, 0, false},
    {"the folder owner's link there", 1, 01777, kOther, kOther, false},
    {"another's link in a sticky folder only its owner may write", 1, 01775, 0, kOther, false},
    {"another's link in a folder all may write, not sticky", 1, 0777, 0, kOther, false},
  };
  int row = 0;
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    const std::string links = dir + "/links" + std::to_string(++row), mine = dir + "/mine" + std::to_string(row);
    const std::string written = c.toFolder ? mine + "/out.wav" : mine + ".wav";
    fs::create_directory(links);
    if (c.toFolder)
      fs::create_directory(mine);
    std::ofstream(written) << "the user's file";
    auto link = [&](int k) { return links + "/" + std::to_string(k) + ".wav"; };
    for (int k = 0; k < c.links; ++k)
    {
      const bool last = k == c.links - 1;
      ASSERT_EQ(symlink((last ? (c.toFolder ? mine : written) : link(k + 1)).c_str(), link(k).c_str()), 0);
      ASSERT_EQ(lchown(link(k).c_str(), last ? c.lastLinkOwner : 0, 0), 0);
    }
    ASSERT_EQ(chmod(links.c_str(), c.folderMode), 0);
    ASSERT_EQ(chown(links.c_str(), c.folderOwner, c.folderOwner), 0);
    const std::string named = c.toFolder ? link(0) + "/out.wav" : link(0), out = c.option ? dir + "/out.wav" : named;
    Launch run;
    run.args = {"render", c.refused ? longWav : dir + "/in.wav", out, "--quiet"};
    if (c.option)
      run.args.insert(run.args.end(), {c.option, named});
    run.fileSizeLimit = 1 << 20;
    const Ended ended = RunAuhost(run, log);
    EXPECT_TRUE(Leftovers(dir).empty());
    for (int k = 0; k < c.links; ++k)
      EXPECT_TRUE(fs::is_symlink(link(k))) << k;
    if (c.refused)
    {
      const std::string why = c.links > 40 ? std::strerror(ELOOP)
                                           : "Permission denied (the link " + link(c.links - 1) + " is another user's";
      EXPECT_EQ(ended.status, 1) << ended.output;
      EXPECT_NE(ended.output.find("cannot write " + named + ": " + why), std::string::npos) << ended.output;
      EXPECT_EQ(Bytes(written), "the user's file");
      EXPECT_FALSE(fs::exists(dir + "/out.wav"));
      continue;
    }
    EXPECT_EQ(ended.status, 0) << ended.output;
    auhost::AudioData back;
    std::string error;
    EXPECT_TRUE(auhost::ReadAudioFile(written, back, error) && back.Frames() == in.Frames()) << error;
  }
}

} // namespace
