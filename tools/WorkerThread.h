// Starting a worker thread the caller can do without. Under a task limit
// (a container's, or `ulimit -u`) the system refuses new threads, and
// std::thread says so with an exception; the host's workers only overlap
// work the render thread can do itself, so a refusal is not a failure.
#pragma once

#include <system_error>
#include <thread>
#include <utility>

namespace auhost {

// `work` running on a thread of its own, or a thread that is not joinable
// when the system refused one (then `work` has not run, and the caller
// does that work itself).
template <typename Work>
std::thread StartWorkerIfAllowed(Work&& work)
{
  try
  {
    return std::thread(std::forward<Work>(work));
  }
  catch (const std::system_error&)
  {
    return std::thread();
  }
}

} // namespace auhost
