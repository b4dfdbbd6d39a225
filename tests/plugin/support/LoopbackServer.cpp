#include "tests/plugin/support/LoopbackServer.h"

#include <algorithm>
#include <chrono>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace testsupport {

namespace {

using Clock = std::chrono::steady_clock;

int BindLoopback(int& port)
{
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  socklen_t len = sizeof(addr);
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
  {
    if (fd >= 0)
      close(fd);
    return -1;
  }
  port = ntohs(addr.sin_port);
  return fd;
}

// Waits up to ms for the socket to become readable (data or a close).
bool Readable(int fd, int ms)
{
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, ms) > 0;
}

} // namespace

LoopbackServer::LoopbackServer(ScriptedReply reply, int maxConnections, double lifetimeSeconds)
  : mReply(std::move(reply)), mMaxConnections(maxConnections)
{
  mListener = BindLoopback(mPort);
  if (mListener >= 0 && listen(mListener, 4) == 0)
    mThread = std::thread([this, lifetimeSeconds] { Serve(lifetimeSeconds); });
}

LoopbackServer::~LoopbackServer()
{
  mStop = true;
  if (mThread.joinable())
    mThread.join();
  if (mListener >= 0)
    close(mListener);
}

std::string LoopbackServer::BaseUrl() const
{
  return "http://127.0.0.1:" + std::to_string(mPort);
}

std::vector<std::string> LoopbackServer::Requests() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mRequests;
}

ScriptedReply LoopbackServer::Body(const std::string& text, int status)
{
  ScriptedReply r;
  r.head = "HTTP/1.1 " + std::to_string(status) + (status == 200 ? " OK" : " Not Found") +
           "\r\nContent-Type: text/plain\r\nConnection: close\r\nContent-Length: " + std::to_string(text.size()) +
           "\r\n\r\n" + text;
  return r;
}

void LoopbackServer::Serve(double lifetimeSeconds)
{
  const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                    std::chrono::duration<double>(lifetimeSeconds));
  for (int served = 0; served < mMaxConnections && !mStop && Clock::now() < end;)
  {
    if (!Readable(mListener, 20))
      continue;
    const int client = accept(mListener, nullptr, nullptr);
    if (client < 0)
      continue;
    // A client that stops reading cannot hold the server past its bounds.
    const timeval sendLimit{2, 0};
    setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof(sendLimit));
    Answer(client);
    close(client);
    ++served;
  }
}

void LoopbackServer::Answer(int client)
{
  // The request line; the rest of the request is read and dropped.
  std::string request;
  char buffer[1024];
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384 && Readable(client, 2000))
  {
    const ssize_t n = recv(client, buffer, sizeof(buffer), 0);
    if (n <= 0)
      return;
    request.append(buffer, static_cast<size_t>(n));
  }
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mRequests.push_back(request.substr(0, request.find("\r\n")));
  }
  if (send(client, mReply.head.data(), mReply.head.size(), MSG_NOSIGNAL) < 0)
    return;
  const std::string filler(65536, 'x');
  for (size_t sent = 0; sent < mReply.fillerBytes && !mStop;)
  {
    const size_t n = std::min(filler.size(), mReply.fillerBytes - sent);
    const ssize_t got = send(client, filler.data(), n, MSG_NOSIGNAL);
    if (got <= 0)
      return; // the client has gone
    sent += static_cast<size_t>(got);
  }
  // Stalls with the connection open until the client gives up.
  const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                    std::chrono::duration<double>(mReply.stallSeconds));
  while (!mStop && Clock::now() < end)
    if (Readable(client, 20) && recv(client, buffer, sizeof(buffer), 0) <= 0)
      return;
}

int RefusedLoopbackPort()
{
  int port = 0;
  const int fd = BindLoopback(port);
  if (fd >= 0)
    close(fd); // bound but never listening: the port is free and refuses
  return port;
}

} // namespace testsupport
