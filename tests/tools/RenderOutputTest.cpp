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

// A silent 16-bit mono WAV of over 11 hours, too long for a float AIFF and
// for a render of it to end during a test; its data is a hole in a sparse
// file.
std::string LongSilentWav(const std::string& dir)
{
  constexpr uint32_t kDataBytes = 4000000000u;
  std::string header;
  auto put = [&header](uint32_t value, int bytes) {
    for (int b = 0; b < bytes; ++b)
      header += static_cast<char>(value >> (8 * b) & 0xff);
  };
  header += "RIFF", put(36 + kDataBytes, 4), header += "WAVEfmt ";
  put(16, 4), put(1, 2), put(1, 2), put(48000, 4), put(96000, 4), put(2, 2), put(16, 2);
  header += "data", put(kDataBytes, 4);
  const std::string path = dir + "/long.wav";
  std::ofstream(path, std::ios::binary) << header;
  fs::resize_file(path, header.size() + kDataBytes);
  return path;
}

// Temporary files anywhere under `dir` but `except`.
std::vector<std::string> Leftovers(const std::string& dir, const std::string& except = "")
{
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(dir))
    if (entry.path().filename().string().find(".auhost-") != std::string::npos && entry.path() != except)
      found.push_back(entry.path().string());
  return found;
}

struct Launch
{
  std::vector<std::string> args;
  rlim_t fileSizeLimit = 0; // bytes; 0: none
  std::function<void(pid_t)> beforeStart; // in the test, the child waiting
  std::function<void(pid_t)> whileRunning; // in the test
};

struct Ended
{
  int status = -1; // the exit status, or -1 when a signal ended it
  int signal = 0;
  std::string output; // standard output and error
};

// auhost run as `run` says, with the stop signals as a terminal gives them
// whatever the test runner was started with. One still running 30 s after
// `whileRunning` is killed, so a render that ignores a stop fails the test
// rather than holding it.
Ended RunAuhost(Launch run, const std::string& log)
{
  run.args.insert(run.args.begin(), AUHOST_EXE);
  std::vector<char*> argv;
  for (std::string& arg : run.args)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  int hold[2];
  const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0 || pipe2(hold, O_CLOEXEC) != 0)
    return {};
  const pid_t pid = fork();
  if (pid == 0)
  {
    // Only calls that are safe between fork and exec.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
      std::signal(signal, SIG_DFL);
    dup2(out, STDOUT_FILENO);
    dup2(out, STDERR_FILENO);
    const rlimit limit{run.fileSizeLimit, run.fileSizeLimit};
    if (run.fileSizeLimit)
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
  if (run.beforeStart)
    run.beforeStart(pid);
  close(hold[1]);
  if (run.whileRunning)
    run.whileRunning(pid);
  Ended ended;
  int raw = 0;
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (waitpid(pid, &raw, WNOHANG) == 0)
  {
    if (std::chrono::steady_clock::now() > giveUp)
      kill(pid, SIGKILL);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ended.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  ended.signal = WIFSIGNALED(raw) ? WTERMSIG(raw) : 0;
  ended.output = Bytes(log);
  return ended;
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
// stays whole and nothing is left behind. The input is long and the
// file-size limit small, so a render that went ahead fails otherwise.
TEST_F(RenderOutput, OutputsThatCannotBeWrittenAreRefusedBeforeRendering)
{
  const std::string longWav = LongSilentWav(dir);
  fs::create_directory(dir + "/folder.wav");
  fs::create_directory(dir + "/locked");
  fs::permissions(dir + "/locked", fs::perms::owner_read | fs::perms::owner_exec);
  std::ofstream(dir + "/old.aiff") << "the old output";
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

// A replaced output stays what it was: a link stays a link and its target
// gets the audio, the permission bits stay (a new file gets the umask's),
// and a link planted at the name temporaries once had is never followed.
TEST_F(RenderOutput, AReplacedOutputKeepsItsLinkAndPermissionsAndNoPlantedLinkIsFollowed)
{
  fs::create_directory(dir + "/real");
  std::ofstream(dir + "/victim.txt") << "not to be touched";
  const mode_t mask = umask(0);
  umask(mask);
  struct Case
  {
    const char* output;
    const char* linkTo; // the output is a link to this, relative to it
    int oldMode; // of the file written, -1 when there is none yet
    bool plant; // a link to victim.txt at the name a temporary once had
  };
  const Case cases[] = {
    {"new.wav", nullptr, -1, false},       {"private.wav", nullptr, 0600, false},
    {"link.wav", "real/target.wav", 0640, false}, {"dangling.wav", "real/made.wav", -1, false},
    {"planted.wav", nullptr, -1, true},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.output);
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
    if (c.plant)
      run.beforeStart = [&](pid_t pid) { fs::create_symlink("victim.txt", planted + std::to_string(pid) + ".tmp"); };
    const Ended ended = RunAuhost(run, log);
    ASSERT_EQ(ended.status, 0) << ended.output;
    EXPECT_EQ(fs::is_symlink(out) ? fs::read_symlink(out).string() : "no link", c.linkTo ? c.linkTo : "no link");
    struct stat status;
    ASSERT_EQ(stat(written.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, c.oldMode >= 0 ? static_cast<mode_t>(c.oldMode) : 0666 & ~mask);
    auhost::AudioData back;
    std::string error;
    ASSERT_TRUE(auhost::ReadAudioFile(out, back, error)) << error;
    EXPECT_EQ(back.Frames(), in.Frames());
    EXPECT_EQ(Bytes(dir + "/victim.txt").substr(0, 40), "not to be touched");
    EXPECT_EQ(Leftovers(dir).size(), c.plant ? 1u : 0u); // the planted link, still a link to the victim
  }
}

} // namespace
