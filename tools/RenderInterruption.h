// Stopping a render cleanly (and `auhost editor`, whose pictures are each
// replaced whole as it takes them). Every signal whose default is to end
// the process ends the render at once, whatever it is waiting for (a pipe
// that stalls, a FIFO nobody has opened, a terminal, the disk): SIGHUP, SIGINT,
// SIGQUIT and SIGTERM (a terminal, a shell, a service manager), SIGUSR1,
// SIGUSR2, SIGPIPE, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU (a CPU-time limit,
// as batch systems set), SIGSTKFLT, SIGPOLL (SIGIO), SIGPWR and the
// real-time signals SIGRTMIN to SIGRTMAX. The handler removes every
// temporary file (RemoveEveryTemporary), so each old output stays whole and
// nothing is left behind, and ends the process by the same signal, so a
// shell or a script sees it stopped as it asked (without a core file, where
// the default would leave one: SIGQUIT, SIGXCPU). A signal the process was
// started with ignored (nohup, a background job) stays ignored.
//
// The faults a thread raises on itself (SIGSEGV, SIGBUS, SIGFPE, SIGILL,
// SIGTRAP, SIGABRT, SIGSYS) are left alone, so a crash is reported as one;
// SIGKILL and SIGSTOP cannot be caught.
//
// From FinishFromHere on, the outputs are being renamed into place: a
// stop then is let go, and the render finishes (every output committed,
// the summary printed, exit 0) rather than leave some outputs new and
// others old. So is SIGPIPE: a summary written to a pipe nobody reads any
// more is lost, and the committed render still ends well.
//
// The handler runs on the thread that makes and removes temporaries, since
// the workers block signals (tools/WorkerThread.h).
//
// A file-size limit (ulimit -f) would kill the process with SIGXFSZ in the
// middle of a write; ignored, the write fails with "File too large" and the
// render fails as on a full disk.
#pragma once

#include <signal.h>

namespace auhost {

// Catches the signals while it exists and puts back what was there before.
// One at a time, on the main thread.
class RenderInterruption
{
public:
  RenderInterruption();
  ~RenderInterruption();
  RenderInterruption(const RenderInterruption&) = delete;
  RenderInterruption& operator=(const RenderInterruption&) = delete;

  // A stop from here on is let go: the render finishes.
  void FinishFromHere();
  // One of the editor's pictures has been written whole and is kept
  // whatever follows: a stop from here on says how many are.
  void OutputKept();

private:
  struct sigaction mBefore[NSIG] = {}; // by signal number, for the stop signals
  struct sigaction mFileSizeBefore = {};
};

} // namespace auhost
