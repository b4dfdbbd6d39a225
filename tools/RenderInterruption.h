// Stopping a render cleanly. Ctrl-C, SIGTERM and SIGHUP only ask the render
// to stop: it polls Requested() between slices, gives up, removes its
// temporary file and leaves the old output whole; then EndIfRequested()
// ends the process by the same signal, so a shell or a script sees it
// stopped as it asked. A signal the process was started with ignored
// (nohup, a background job) stays ignored.
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

  // Whether a stop has been asked for; any thread.
  bool Requested() const;
  // Ends the process by the signal that asked for a stop, if one did.
  void EndIfRequested();

private:
  static constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
  struct sigaction mBefore[std::size(kStopSignals)] = {};
  struct sigaction mFileSizeBefore = {};
};

} // namespace auhost
