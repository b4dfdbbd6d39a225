// What a render does to the files it writes, with auhost run as a user runs
// it: an output it cannot write is refused before rendering; a stop, a
// file-size limit or an output too long for its container leave the old
// output whole and nothing behind; a replaced output stays what it was (a
// link, its permissions); a link planted where the temporary goes is never
// followed. Large programmes are sparse files: silent, and taking no disk.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
#include "tests/tools/ToolsTestSupport.h"
#include "tools/AudioFile.h"

namespace {

namespace fs = std::filesystem;
using auhost::SampleFormat;

std::string Bytes(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A silent 16-bit mono WAV at 48 kHz, its data a hole in a sparse file.
void WriteSilentWav(const std::string& path, uint32_t frames)
{
  std::string header;
  auto put = [&header](uint32_t value, int bytes) {
    for (int b = 0; b < bytes; ++b)
      header += static_cast<char>(value >> (8 * b) & 0xff);
  };
  header += "RIFF";
  put(36 + frames * 2, 4);
  header += "WAVEfmt ";
  put(16, 4), put(1, 2), put(1, 2), put(48000, 4), put(96000, 4), put(2, 2), put(16, 2);
  header += "data";
  put(frames * 2, 4);
  std::ofstream(path, std::ios::binary) << header;
  fs::resize_file(path, header.size() + frames * 2ull);
}

// Frames of a sparse input long enough that no render of it ends during a
// test, and too long for a float AIFF: over 11 hours.
constexpr uint32_t kLongFrames = 2000000000;

// Temporary files anywhere under `dir`, but for `except`.
std::vector<std::string> Leftovers(const std::string& dir, const std::string& except = "")
{
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(dir))
    if (entry.path().filename().string().find(".auhost-") != std::string::npos && entry.path() != except)
      found.push_back(entry.path().string());
  return found;
}

struct Ended
{
  int status = -1; // the exit status, or -1 when a signal ended it
  int signal = 0;
  std::string output; // standard output and error
};

// auhost started with `args`, its output into `log`, with a file-size
// limit of `fileSizeLimit` bytes unless 0. `held` runs, given the child's
// pid, before the program starts in the child.
pid_t Start(std::vector<std::string> args, const std::string& log, rlim_t fileSizeLimit = 0,
            const std::function<void(pid_t)>& held = {})
{
  args.insert(args.begin(), AUHOST_EXE);
  std::vector<char*> argv;
  for (std::string& arg : args)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  int hold[2];
  if (pipe2(hold, O_CLOEXEC) != 0)
    return -1;
  const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const pid_t pid = fork();
  if (pid == 0)
  {
    // Only calls that are safe between fork and exec. The stop signals as
    // a terminal gives them, whatever the test runner was started with.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
      std::signal(signal, SIG_DFL);
    dup2(out, STDOUT_FILENO);
    dup2(out, STDERR_FILENO);
    const rlimit limit{fileSizeLimit, fileSizeLimit};
    if (fileSizeLimit)
      setrlimit(RLIMIT_FSIZE, &limit);
    close(hold[1]);
    char c;
    while (read(hold[0], &c, 1) < 0 && errno == EINTR)
    {
    }
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(hold[0]);
  close(out);
  if (held && pid > 0)
    held(pid);
  close(hold[1]);
  return pid;
}

// Waits for the child's end; one that has not ended within `patience` is
// killed, so a render that ignores a stop fails the test rather than
// holding it.
Ended Finish(pid_t pid, const std::string& log, std::chrono::seconds patience = std::chrono::seconds(60))
{
  Ended ended;
  int raw = 0;
  const auto giveUp = std::chrono::steady_clock::now() + patience;
  while (waitpid(pid, &raw, WNOHANG) == 0)
  {
    if (std::chrono::steady_clock::now() > giveUp)
      kill(pid, SIGKILL);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  {
    ended.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    ended.signal = WIFSIGNALED(raw) ? WTERMSIG(raw) : 0;
  }
  ended.output = Bytes(log);
  return ended;
}

Ended RunAuhost(const std::vector<std::string>& args, const std::string& log, rlim_t fileSizeLimit = 0,
                const std::function<void(pid_t)>& held = {})
{
  return Finish(Start(args, log, fileSizeLimit, held), log);
}

mode_t NewFileMode()
{
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

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
// 64-bit ones (RF64, or the plain WAV libsndfile makes of it when it ends
// small) and an AIFF is refused; a render known to fit keeps the plain
// layout, as renders always had.
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
    {"fits-16.wav", SampleFormat::Pcm16, 2, 360 * kMinute, "plain WAV"},
    {"over.aiff", SampleFormat::Float32, 2, 187 * kMinute, "refused"},
    {"fits-16.aiff", SampleFormat::Pcm16, 2, 187 * kMinute, "AIFF"},
    {"unknown.aif", SampleFormat::Float32, 2, auhost::kUnknownLength, "AIFF"},
    {"long.flac", SampleFormat::Pcm24, 2, 2400 * kMinute, "FLAC"},
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
    const std::string layout = head.starts_with("RF64") || head.substr(8) == "WAVEJUNK" ? "WAV with room"
                               : head.substr(8) == "WAVEfmt "                          ? "plain WAV"
                               : head.starts_with("FORM")                              ? "AIFF"
                               : head.starts_with("fLaC")                              ? "FLAC"
                                                                                       : "unknown";
    EXPECT_EQ(layout, c.want);
    auhost::AudioData back;
    ASSERT_TRUE(auhost::ReadAudioFile(path, back, error)) << error;
    EXPECT_EQ(back.Frames(), part.Frames());
  }
  EXPECT_TRUE(Leftovers(dir).empty());
}

// Nothing is rendered when an output cannot be written: the message says
// why in the system's words, no side file is written, the existing output
// stays whole and nothing is left behind. The file-size limit makes a
// render that went ahead anyway fail at once.
TEST_F(RenderOutput, OutputsThatCannotBeWrittenAreRefusedBeforeRendering)
{
  WriteSilentWav(dir + "/long.wav", kLongFrames);
  fs::create_directory(dir + "/folder.wav");
  fs::create_directory(dir + "/locked");
  fs::permissions(dir + "/locked", fs::perms::owner_read | fs::perms::owner_exec);
  std::ofstream(dir + "/old.aiff") << "the old output";
  struct Case
  {
    const char* input;
    const char* output;
    const char* preset;
    const char* says;
    bool needsPermissions;
  };
  const Case cases[] = {
    {"in.wav", "folder.wav", "p.aupreset", "folder.wav: Is a directory", false},
    {"in.wav", "missing/out.wav", "p.aupreset", "missing/out.wav: No such file or directory", false},
    {"in.wav", "out.wav", "missing/p.aupreset", "missing/p.aupreset: No such file or directory", false},
    {"in.wav", "locked/out.wav", "p.aupreset", "locked/out.wav: Permission denied", true},
    {"long.wav", "old.aiff", "p.aupreset", "old.aiff: an AIFF file holds at most 4 GiB of audio", false},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.output);
    if (c.needsPermissions && geteuid() == 0)
      continue; // folder permissions do not bind root
    const Ended ended = RunAuhost({"render", dir + "/" + c.input, dir + "/" + c.output, "--save-preset",
                                   dir + "/" + c.preset, "--automation-out", dir + "/lane.csv"},
                                  log, 8 << 20);
    EXPECT_EQ(ended.status, 1) << ended.output;
    EXPECT_NE(ended.output.find("cannot write " + dir + "/" + c.says), std::string::npos) << ended.output;
    for (const char* side : {"p.aupreset", "lane.csv", "out.wav"})
      EXPECT_FALSE(fs::exists(dir + "/" + side)) << side;
    EXPECT_EQ(Bytes(dir + "/old.aiff"), "the old output");
    EXPECT_TRUE(Leftovers(dir).empty());
  }
}

// Ctrl-C, SIGTERM and SIGHUP stop the render: the process ends by the
// signal, as a shell expects, after removing its temporary file. A file-size
// limit fails the render with the system's reason instead of killing it.
TEST_F(RenderOutput, AStopOrAFileSizeLimitLeavesTheOldOutputWholeAndNothingBehind)
{
  WriteSilentWav(dir + "/long.wav", kLongFrames);
  struct Case
  {
    int signal; // sent once the temporary file exists; 0: none
    rlim_t fileSizeLimit;
    int status;
  };
  const Case cases[] = {{SIGINT, 0, -1}, {SIGTERM, 0, -1}, {SIGHUP, 0, -1}, {0, 1 << 20, 1}};
  const std::string out = dir + "/out.wav";
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.signal ? strsignal(c.signal) : "file-size limit");
    std::ofstream(out) << "the old output";
    const pid_t pid = Start({"--bundle", STRICT_BUNDLE, "render", dir + "/long.wav", out}, log, c.fileSizeLimit);
    ASSERT_GT(pid, 0);
    if (c.signal)
    {
      const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
      while (Leftovers(dir).empty() && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      EXPECT_FALSE(Leftovers(dir).empty()) << "no temporary file appeared";
      kill(pid, c.signal);
    }
    // A stop is seen within a slice; the whole render would take minutes.
    const Ended ended = Finish(pid, log, std::chrono::seconds(20));
    EXPECT_EQ(ended.signal, c.signal) << ended.output;
    EXPECT_EQ(ended.status, c.status) << ended.output;
    if (!c.signal)
    {
      EXPECT_NE(ended.output.find("cannot write " + out + ": File too large"), std::string::npos) << ended.output;
    }
    EXPECT_EQ(Bytes(out), "the old output");
    EXPECT_TRUE(Leftovers(dir).empty());
  }
}

// A replaced output stays what it was: a link stays a link and its target
// gets the audio, the permission bits stay (a new file gets the umask's),
// and a link planted at the name temporaries once had is never followed.
TEST_F(RenderOutput, AReplacedOutputKeepsItsLinkAndPermissionsAndNoPlantedLinkIsFollowed)
{
  fs::create_directory(dir + "/real");
  std::ofstream(dir + "/victim.txt") << "not to be touched";
  struct Case
  {
    const char* output;
    const char* linkTo; // the output is a link to this, relative to it
    int oldMode; // of the file written, -1 when there is none yet
    bool plant; // a link to victim.txt at the name a temporary once had
  };
  const Case cases[] = {
    {"new.wav", nullptr, -1, false},
    {"private.wav", nullptr, 0600, false},
    {"link.wav", "real/target.wav", 0640, false},
    {"dangling.wav", "real/made.wav", -1, false},
    {"planted.wav", nullptr, -1, true},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.output);
    const std::string out = dir + "/" + c.output, written = c.linkTo ? dir + "/" + c.linkTo : out;
    if (c.linkTo)
      fs::create_symlink(c.linkTo, out);
    if (c.oldMode >= 0)
    {
      std::ofstream(written) << "the old output";
      chmod(written.c_str(), static_cast<mode_t>(c.oldMode));
    }
    std::string planted;
    const Ended ended = RunAuhost({"--bundle", STRICT_BUNDLE, "render", dir + "/in.wav", out, "--quiet"}, log, 0,
                                  [&](pid_t pid) {
                                    if (!c.plant)
                                      return;
                                    planted = out + ".auhost-" + std::to_string(pid) + ".tmp";
                                    fs::create_symlink("victim.txt", planted);
                                  });
    ASSERT_EQ(ended.status, 0) << ended.output;
    EXPECT_EQ(fs::is_symlink(out) ? fs::read_symlink(out).string() : "not a link", c.linkTo ? c.linkTo : "not a link");
    struct stat status;
    ASSERT_EQ(stat(written.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, c.oldMode >= 0 ? static_cast<mode_t>(c.oldMode) : NewFileMode());
    auhost::AudioData back;
    std::string error;
    ASSERT_TRUE(auhost::ReadAudioFile(out, back, error)) << error;
    EXPECT_EQ(back.Frames(), in.Frames());
    EXPECT_EQ(Bytes(dir + "/victim.txt").substr(0, 40), "not to be touched");
    if (c.plant)
    {
      EXPECT_TRUE(fs::is_symlink(planted));
    }
    EXPECT_TRUE(Leftovers(dir, planted).empty());
  }
}

} // namespace
