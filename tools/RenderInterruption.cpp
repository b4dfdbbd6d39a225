#include "tools/RenderInterruption.h"

#include <atomic>
#include <csignal>

namespace auhost {

namespace {

// The first stop signal caught, 0 before one. Lock-free, so the handler may
// set it on whichever thread the signal lands.
std::atomic<int> gStopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

void AskToStop(int signal)
{
  int none = 0;
  gStopSignal.compare_exchange_strong(none, signal);
}

} // namespace

RenderInterruption::RenderInterruption()
{
  gStopSignal = 0;
  struct sigaction ask = {};
  ask.sa_handler = AskToStop;
  sigemptyset(&ask.sa_mask);
  // Reads and writes the signal lands in go on rather than fail.
  ask.sa_flags = SA_RESTART;
  for (size_t i = 0; i < std::size(kStopSignals); ++i)
  {
    sigaction(kStopSignals[i], nullptr, &mBefore[i]);
    if (mBefore[i].sa_handler != SIG_IGN)
      sigaction(kStopSignals[i], &ask, nullptr);
  }
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGXFSZ, &ignore, &mFileSizeBefore);
}

RenderInterruption::~RenderInterruption()
{
  for (size_t i = 0; i < std::size(kStopSignals); ++i)
    sigaction(kStopSignals[i], &mBefore[i], nullptr);
  sigaction(SIGXFSZ, &mFileSizeBefore, nullptr);
}

bool RenderInterruption::Requested() const
{
  return gStopSignal.load() != 0;
}

void RenderInterruption::EndIfRequested()
{
  const int signal = gStopSignal.load();
  if (!signal)
    return;
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

} // namespace auhost
