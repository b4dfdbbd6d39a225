#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// What the server answers each request with.
struct ScriptedReply
{
  std::string head;           // status line, headers and the start of the body
  size_t fillerBytes = 0;     // then this many more body bytes
  double stallSeconds = 0.0;  // then it waits this long (or until the client leaves)
};

// An HTTP server for the update check's tests, on 127.0.0.1 at a port the
// system chooses. Bounded: it serves at most maxConnections requests and
// stops by itself after lifetimeSeconds, or when destroyed.
class LoopbackServer
{
public:
  explicit LoopbackServer(ScriptedReply reply, int maxConnections = 1, double lifetimeSeconds = 10.0);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  // "http://127.0.0.1:<port>".
  std::string BaseUrl() const;
  // The request lines received so far.
  std::vector<std::string> Requests() const;

  // A 200 reply whose whole body is text.
  static ScriptedReply Body(const std::string& text, int status = 200);

private:
  void Serve(double lifetimeSeconds);
  void Answer(int client);

  ScriptedReply mReply;
  int mMaxConnections;
  int mListener = -1;
  int mPort = 0;
  std::atomic<bool> mStop{false};
  mutable std::mutex mMutex;
  std::vector<std::string> mRequests;
  std::thread mThread;
};

// A loopback port where nothing listens.
int RefusedLoopbackPort();

} // namespace testsupport
