// Starting a worker thread the caller can do without. Under a task limit
// (a container's, or `ulimit -u`) the system refuses new threads, and
// std::thread says so with an exception; the host's workers only overlap
// work the render thread can do itself, so a refusal is not a failure.
//
// Workers take no signals: a stop lands on the thread that starts them,
// which makes and removes the render's temporary files, and whose handler
// can then see every temporary (tools/RenderInterruption.h).
#pragma once

#include <system_error>
#include <thread>
#include <utility>

#include "tools/SignalsHeld.h"

namespace auhost {

// `work` running on a thread of its own, or a thread that is not joinable
// when the system refused one (then `work` has not run, and the caller
// does that work itself).
template <typename Work>
std::thread StartWorkerIfAllowed(Work&& work)
{
  // A new thread starts with its creator's signal mask.
  const SignalsHeld held;
  std::thread worker;
  try
  {
    worker = std::thread(std::forward<Work>(work));
  }
  catch (const std::system_error&)
  {
  }
  return worker;
}

} // namespace auhost
