#include "tools/RenderInterruption.h"

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>

#include "tools/OutputReplacement.h"

namespace auhost {

namespace {

// Set once the outputs are being put in place. Lock-free, so the handler
// may read it whenever the signal lands.
std::atomic<bool> gFinishing{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// The editor's pictures written whole before a stop, which it leaves as
// they are.
std::atomic<unsigned> gKept{0};
static_assert(std::atomic<unsigned>::is_always_lock_free);

// What a stop says: that every output is left as it was, or, once some
// are written, how many are kept.
void SayStopped()
{
  char said[160];
  size_t length = 0;
  const auto put = [&](const char* text) {
    while (*text && length < sizeof said)
      said[length++] = *text++;
  };
  const unsigned kept = gKept.load();
  if (kept == 0)
    put("auhost: stopped; every output is left as it was\n");
  else
  {
    char digits[16];
    char* first = digits + sizeof digits - 1;
    *first = '\0';
    for (unsigned n = kept; n > 0; n /= 10)
      *--first = static_cast<char>('0' + n % 10);
    put("auhost: stopped; ");
    put(first);
    put(kept == 1 ? " picture written before the stop is kept" : " pictures written before the stop are kept");
    put(", any other output is left as it was\n");
  }
  [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, said, length);
}

// Every signal whose default ends the process, but the faults a thread
// raises on itself and SIGXFSZ. The real-time ones are numbered at run
// time, as the C library keeps the first few for itself.
constexpr int kStopSignals[] = {SIGHUP,  SIGINT,    SIGQUIT, SIGTERM,   SIGUSR1, SIGUSR2, SIGPIPE,
                                SIGALRM, SIGSTKFLT, SIGXCPU, SIGVTALRM, SIGPROF, SIGPOLL, SIGPWR};

template <typename Act>
void ForEachStopSignal(Act act)
{
  for (const int signal : kStopSignals)
    act(signal);
  for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal)
    act(signal);
}

// Only calls that are safe in a signal handler.
void Stop(int signal)
{
  if (gFinishing.load())
    return;
  RemoveEveryTemporary();
  SayStopped();
  // A stop asked for leaves no core file, whatever the signal's default.
  const rlimit none{0, 0};
  setrlimit(RLIMIT_CORE, &none);
  struct sigaction byDefault = {};
  byDefault.sa_handler = SIG_DFL;
  sigemptyset(&byDefault.sa_mask);
  sigaction(signal, &byDefault, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  raise(signal);
  _exit(128 + signal);
}

} // namespace

RenderInterruption::RenderInterruption()
{
  gFinishing = false;
  gKept = 0;
  struct sigaction stop = {};
  stop.sa_handler = Stop;
  sigfillset(&stop.sa_mask);
  // Let go once finishing, a signal must not fail the reads and writes it
  // lands in.
  stop.sa_flags = SA_RESTART;
  ForEachStopSignal([&](int signal) {
    sigaction(signal, nullptr, &mBefore[signal]);
    if (mBefore[signal].sa_handler != SIG_IGN)
      sigaction(signal, &stop, nullptr);
  });
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGXFSZ, &ignore, &mFileSizeBefore);
}

RenderInterruption::~RenderInterruption()
{
  ForEachStopSignal([this](int signal) { sigaction(signal, &mBefore[signal], nullptr); });
  sigaction(SIGXFSZ, &mFileSizeBefore, nullptr);
}

void RenderInterruption::FinishFromHere()
{
  gFinishing = true;
}

void RenderInterruption::OutputKept()
{
  ++gKept;
}

} // namespace auhost
