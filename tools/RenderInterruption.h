// Stopping a render cleanly. Ctrl-C, SIGTERM, SIGHUP and SIGQUIT end the
// render at once, whatever it is waiting for (a pipe that stalls, a FIFO
// nobody has opened, a terminal, the disk): the handler removes every
// temporary file (RemoveEveryTemporary), so each old output stays whole and
// nothing is left behind, and ends the process by the same signal, so a
// shell or a script sees it stopped as it asked (SIGQUIT without a core
// file). A signal the process was started with ignored (nohup, a
// background job) stays ignored.
//
// From FinishFromHere on, the outputs are being renamed into place: a
// stop then is let go, and the render finishes (every output committed,
// the summary printed, exit 0) rather than leave some outputs new and
// others old.
//
// The handler runs on the thread that makes and removes temporaries, since
// the workers block signals (tools/WorkerThread.h).
//
// A file-size limit (ulimit -f) would kill the process with SIGXFSZ in the
// middle of a write; ignored, the write fails with "File too large" and the
// render fails as on a full disk.
#pragma once

#include <signal.h>

#include <iterator>

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

private:
  static constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
  struct sigaction mBefore[std::size(kStopSignals)] = {};
  struct sigaction mFileSizeBefore = {};
};

} // namespace auhost
