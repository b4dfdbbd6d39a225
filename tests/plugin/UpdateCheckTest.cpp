// The update check against a server of our own on the loopback interface:
// how replies read, and that a stalled or endless server cannot hold the
// caller for long or fill its memory.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <curl/curl.h>
#include <gtest/gtest.h>

#include "plugin/UpdateCheck.h"
#include "tests/plugin/support/LoopbackServer.h"

namespace {

using namespace tolvane3;
using testsupport::LoopbackServer;
using testsupport::ScriptedReply;

std::string Address(const std::string& base)
{
  return base + "/versioncheck?productname=Tolvane3";
}

TEST(UpdateCheck, RepliesCompareWithTheOwnVersion)
{
  struct Case
  {
    ScriptedReply reply;
    int want;
  };
  const Case cases[] = {
    {LoopbackServer::Body("3.0.28"), kUpdateUpToDate},
    {LoopbackServer::Body("3.0.29"), kUpdateAvailable},
    {LoopbackServer::Body("3.1.0\n"), kUpdateAvailable},
    {LoopbackServer::Body("3.0.27"), kUpdateOlderAvailable},
    {LoopbackServer::Body("3.0.29 latest"), kUpdateAvailable},
    {LoopbackServer::Body("3.0.100"), kUpdateAvailable},
    {LoopbackServer::Body("v3.0.29"), kUpdateProductUnknown},
    {LoopbackServer::Body(""), kUpdateProductUnknown},
    {LoopbackServer::Body("<html><body>Not Found</body></html>", 404), kUpdateProductUnknown},
  };
  UpdateCheckLimits limits;
  limits.totalTimeoutMs = 5000;
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.reply.head);
    LoopbackServer server(c.reply);
    PK_String status;
    int code = -1;
    EXPECT_EQ(CheckForUpdate("3.0.28", Address(server.BaseUrl()).c_str(), status, code, limits), c.want);
    EXPECT_EQ(code, CURLE_OK);
    EXPECT_STREQ(status.Get(), curl_easy_strerror(CURLE_OK));
    EXPECT_EQ(server.Requests(), std::vector<std::string>{"GET /versioncheck?productname=Tolvane3 HTTP/1.1"});
  }
}

TEST(UpdateCheck, FailedTransfersReadAsServiceNotAvailable)
{
  struct Case
  {
    const char* name;
    ScriptedReply reply;
    bool listening;
    CURLcode wantCode;
  };
  // A server that sends the start of a version and then stalls: only the
  // total time-out ends the wait.
  ScriptedReply stall{"HTTP/1.1 200 OK\r\nContent-Length: 64\r\n\r\n3.0.29", 0, 8.0};
  const Case cases[] = {
    {"refused", {}, false, CURLE_COULDNT_CONNECT},
    {"stalled", stall, true, CURLE_OPERATION_TIMEDOUT},
  };
  UpdateCheckLimits limits;
  limits.totalTimeoutMs = 300;
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    std::unique_ptr<LoopbackServer> server;
    std::string base = "http://127.0.0.1:" + std::to_string(testsupport::RefusedLoopbackPort());
    if (c.listening)
    {
      server = std::make_unique<LoopbackServer>(c.reply);
      base = server->BaseUrl();
    }
    PK_String status;
    int code = -1;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CheckForUpdate("3.0.28", Address(base).c_str(), status, code, limits), kUpdateServiceDown);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
    EXPECT_EQ(code, c.wantCode);
    EXPECT_STREQ(status.Get(), curl_easy_strerror(c.wantCode));
  }
}

TEST(UpdateCheck, AnEndlessReplyIsCutAndItsVersionStillRead)
{
  // 64 MB announced as a gigabyte, then a stall: only a bounded reply gets
  // to the version before the time-out.
  ScriptedReply endless{"HTTP/1.1 200 OK\r\nContent-Length: 1000000000\r\n\r\n3.0.29 ", 64u << 20, 8.0};
  LoopbackServer server(endless);
  UpdateCheckLimits limits;
  limits.totalTimeoutMs = 4000;
  PK_String status;
  int code = -1;
  EXPECT_EQ(CheckForUpdate("3.0.28", Address(server.BaseUrl()).c_str(), status, code, limits), kUpdateAvailable);
  EXPECT_EQ(code, CURLE_OK);
}

TEST(UpdateCheck, TheCheckKeepsAsMuchOfTheReplyAsItsLimitSays)
{
  // "3.0.29" cut to its limit: what is left is read as it stands.
  const std::pair<size_t, int> cases[] = {
    {4, kUpdateProductUnknown}, {5, kUpdateOlderAvailable}, {6, kUpdateAvailable}, {8192, kUpdateAvailable}};
  for (auto [limit, want] : cases)
  {
    SCOPED_TRACE(limit);
    LoopbackServer server(LoopbackServer::Body("3.0.29"));
    UpdateCheckLimits limits;
    limits.totalTimeoutMs = 5000;
    limits.maxReplyBytes = limit;
    PK_String status;
    int code = -1;
    EXPECT_EQ(CheckForUpdate("3.0.28", Address(server.BaseUrl()).c_str(), status, code, limits), want);
    EXPECT_EQ(code, CURLE_OK);
  }
}

TEST(UpdateCheck, TheReplyKeepsNoMoreThanItsLimit)
{
  struct Case
  {
    std::vector<size_t> chunks;
    std::vector<size_t> wantReturns;
    size_t wantKept;
  };
  const Case cases[] = {
    {{4, 6}, {4, 6}, 10},
    {{4, 7}, {4, 0}, 10},
    {{0, 10, 1}, {0, 10, 0}, 10},
    {{11}, {0}, 10},
  };
  const std::string data(64, '7');
  for (const Case& c : cases)
  {
    UpdateReply reply;
    reply.limit = 10;
    std::vector<size_t> returns;
    for (size_t n : c.chunks)
      returns.push_back(UpdateWriteCallback(data.data(), 1, n, &reply));
    EXPECT_EQ(returns, c.wantReturns);
    EXPECT_EQ(reply.body.size(), c.wantKept);
    EXPECT_EQ(reply.truncated, c.wantReturns.back() == 0 && c.chunks.back() != 0);
  }
}

TEST(UpdateCheck, VersionsReadAsScanfReadsThemWhileTheyFit)
{
  // Sane texts: the same numbers as "%d.%d.%d".
  for (const char* text : {" 3.0.29 latest", "+3.-1.2", "3.0", "a3.0.1", "2147483647.0.0", "-2147483648.99.99", ""})
  {
    SCOPED_TRACE(text);
    int a = 0, b = 0, c = 0;
    const bool wantOk = std::sscanf(text, "%d.%d.%d", &a, &b, &c) == 3;
    long long number = -7;
    EXPECT_EQ(ParseVersionNumber(text, number), wantOk);
    if (wantOk)
    {
      EXPECT_EQ(number, (a * 100LL + b) * 100LL + c);
    }
  }
  // Numbers that do not fit are refused, not wrapped.
  for (const char* text : {"2147483648.0.0", "3.99999999999999999999999.0", "3.0.-2147483649", "3.0.4294967325"})
  {
    SCOPED_TRACE(text);
    long long number = 0;
    EXPECT_FALSE(ParseVersionNumber(text, number));
  }
}

TEST(UpdateCheck, TheServiceAddressIsReservedUnlessOverriddenAtRunTime)
{
  const char* saved = std::getenv("TOLVANE3_UPDATE_CHECK_BASE_URL");
  const std::string keep = saved ? saved : "";
  PK_String url;
  setenv("TOLVANE3_UPDATE_CHECK_BASE_URL", "http://127.0.0.1:8", 1);
  VersionCheckAddress("Tolvane3", url);
  EXPECT_STREQ(url.Get(), "http://127.0.0.1:8/versioncheck?productname=Tolvane3");
  unsetenv("TOLVANE3_UPDATE_CHECK_BASE_URL");
  VersionCheckAddress("Tolvane3", url);
  const std::string built = url.Get();
  EXPECT_NE(built.find(".invalid/versioncheck?productname=Tolvane3"), std::string::npos) << built;
  if (saved)
    setenv("TOLVANE3_UPDATE_CHECK_BASE_URL", keep.c_str(), 1);
}

} // namespace
