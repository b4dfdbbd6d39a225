// auhost started as a user's shell starts it, for the tests of what a render
// does to files: every signal as a terminal gives it, a file-size limit,
// core files allowed, another user, no /proc, extra environment, a working
// directory, a standard output nobody reads, standard streams closed or a
// terminal, and hooks for the test to act before it starts and while it
// runs.
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <linux/capability.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ProcHidden.h"

namespace toolstest {

inline std::string Bytes(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A silent 16-bit mono WAV of over 11 hours, too long for a float AIFF and
// for a render of it to end during a test; its data is a hole in a sparse
// file.
inline std::string LongSilentWav(const std::string& dir)
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
  std::filesystem::resize_file(path, header.size() + kDataBytes);
  return path;
}

// Temporary files anywhere under `dir` but `except`.
inline std::vector<std::string> Leftovers(const std::string& dir, const std::string& except = "")
{
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
    if (entry.path().filename().string().find(".auhost-") != std::string::npos && entry.path() != except)
      found.push_back(entry.path().string());
  return found;
}

// Waits until `pid` catches `signal` and sleeps in an open, as auhost does
// once its stop handlers are set and it waits for a writer to open its
// FIFO; false if that takes more than `seconds`. What /proc shows of it:
// the signals it catches, and the system call it sleeps in.
inline bool WaitUntilCatchingAndOpening(pid_t pid, int signal, int seconds)
{
  const std::string proc = "/proc/" + std::to_string(pid);
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  for (;; std::this_thread::sleep_for(std::chrono::milliseconds(5)))
  {
    if (std::chrono::steady_clock::now() > giveUp)
      return false;
    std::ifstream status(proc + "/status");
    std::string line;
    while (std::getline(status, line) && !line.starts_with("SigCgt:"))
    {
    }
    const bool catches = line.size() > 7 && std::stoull(line.substr(7), nullptr, 16) >> (signal - 1) & 1;
    long call = -1;
    if (catches && std::ifstream(proc + "/syscall") >> call && call == SYS_openat)
      return true;
  }
}

struct Launch
{
  std::vector<std::string> args;
  rlim_t fileSizeLimit = 0; // bytes; 0: none
  std::vector<std::string> environment; // NAME=VALUE, in place of the test's
  uid_t user = 0; // another user (and group of that number) to run as; 0: the test's
  bool withoutProc = false; // /proc unmounted for auhost alone, and no privilege to link a descriptor
  bool closedStdout = false; // standard output a pipe nobody reads
  std::vector<int> closedStreams; // of 0, 1 and 2, closed as a shell's `<&- >&- 2>&-` closes them
  bool terminal = false; // standard output and error a terminal (a pseudo-terminal the test reads)
  bool coreFiles = false; // as after `ulimit -c unlimited`
  std::string directory; // the working directory; empty: the test's
  std::function<void(pid_t)> beforeStart; // in the test, the child waiting
  std::function<void(pid_t)> whileRunning; // in the test
  int giveUpSeconds = 30; // after whileRunning
};

struct Ended
{
  int status = -1; // the exit status, or -1 when a signal ended it
  int signal = 0;
  bool coreDumped = false; // the signal left a core file
  std::string output; // standard output (unless closedStdout) and error, or what the terminal was sent
};

// The status of a child that could not become `Launch::user`, or lose
// /proc.
constexpr int kCannotRunAsTheUser = 125;
constexpr int kCannotHideProc = 124;

// auhost run as `run` says, with every signal as a terminal gives it
// whatever the test runner was started with. One still running
// `giveUpSeconds` after `whileRunning` is killed, so a render that ignores a
// stop fails the test rather than holding it.
inline Ended RunAuhost(Launch run, const std::string& log)
{
  run.args.insert(run.args.begin(), AUHOST_EXE);
  std::vector<char*> argv;
  for (std::string& arg : run.args)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& variable : run.environment)
    envp.push_back(variable.data());
  auto added = [&run](const char* variable) {
    for (const std::string& mine : run.environment)
      if (std::strncmp(variable, mine.c_str(), mine.find('=') + 1) == 0)
        return true;
    return false;
  };
  for (char** variable = environ; *variable; ++variable)
    if (!added(*variable))
      envp.push_back(*variable);
  envp.push_back(nullptr);
  int hold[2], unread[2];
  int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0 || pipe2(hold, O_CLOEXEC) != 0 || pipe2(unread, O_CLOEXEC) != 0)
    return {};
  // A terminal that passes on what is written as it is (no "\n" made
  // "\r\n"), read as the child writes so that it never fills.
  int screen = -1;
  if (run.terminal)
  {
    screen = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    const char* name = screen >= 0 && grantpt(screen) == 0 && unlockpt(screen) == 0 ? ptsname(screen) : nullptr;
    const int side = name ? open(name, O_RDWR | O_NOCTTY | O_CLOEXEC) : -1;
    termios mode;
    if (side < 0 || tcgetattr(side, &mode) != 0)
      return {};
    cfmakeraw(&mode);
    tcsetattr(side, TCSANOW, &mode);
    fcntl(screen, F_SETFL, O_NONBLOCK);
    close(out);
    out = side;
  }
  std::string shown;
  auto readScreen = [&] {
    char buffer[4096];
    ssize_t n;
    while (screen >= 0 && (n = read(screen, buffer, sizeof buffer)) > 0)
      shown.append(buffer, static_cast<size_t>(n));
  };
  const pid_t pid = fork();
  if (pid == 0)
  {
    // Only calls that are safe between fork and exec.
    for (int signal = 1; signal < NSIG; ++signal)
      std::signal(signal, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    dup2(run.closedStdout ? unread[1] : out, STDOUT_FILENO);
    dup2(out, STDERR_FILENO);
    for (const int stream : run.closedStreams)
      close(stream);
    const rlimit limit{run.fileSizeLimit, run.fileSizeLimit};
    if (run.fileSizeLimit)
      setrlimit(RLIMIT_FSIZE, &limit);
    const rlimit cores{RLIM_INFINITY, RLIM_INFINITY};
    if (run.coreFiles)
      setrlimit(RLIMIT_CORE, &cores);
    if (!run.directory.empty() && chdir(run.directory.c_str()) != 0)
      _exit(127);
    if (run.withoutProc && (!testsupport::HideProc() || prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH) != 0))
      _exit(kCannotHideProc);
    if (run.user && (setgroups(0, nullptr) != 0 || setgid(run.user) != 0 || setuid(run.user) != 0 ||
                     access(argv[0], X_OK) != 0))
      _exit(kCannotRunAsTheUser);
    close(hold[1]);
    char c;
    while (read(hold[0], &c, 1) < 0 && errno == EINTR)
    {
    }
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  close(hold[0]);
  close(unread[0]);
  close(unread[1]);
  close(out);
  if (run.beforeStart)
    run.beforeStart(pid);
  close(hold[1]);
  if (run.whileRunning)
    run.whileRunning(pid);
  Ended ended;
  int raw = 0;
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(run.giveUpSeconds);
  while (waitpid(pid, &raw, WNOHANG) == 0)
  {
    if (std::chrono::steady_clock::now() > giveUp)
      kill(pid, SIGKILL);
    readScreen();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  readScreen();
  if (screen >= 0)
    close(screen);
  ended.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  ended.signal = WIFSIGNALED(raw) ? WTERMSIG(raw) : 0;
  ended.coreDumped = WIFSIGNALED(raw) && WCOREDUMP(raw);
  ended.output = run.terminal ? shown : Bytes(log);
  return ended;
}

} // namespace toolstest
