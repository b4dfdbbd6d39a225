#include "plugin/UpdateCheck.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <curl/curl.h>

#ifndef TOLVANE3_UPDATE_CHECK_BASE_URL
#define TOLVANE3_UPDATE_CHECK_BASE_URL "https://versioncheck.kestrova.invalid"
#endif

namespace tolvane3 {

namespace {

constexpr const char* kBaseUrlVariable = "TOLVANE3_UPDATE_CHECK_BASE_URL";

// One "%d" of a version: optional white space and sign, then digits. The
// value must fit a 32-bit integer, where sscanf would be undefined.
bool ReadNumber(const char*& p, long long& value)
{
  while (std::isspace(static_cast<unsigned char>(*p)))
    ++p;
  bool negative = false;
  if (*p == '+' || *p == '-')
    negative = *p++ == '-';
  if (!std::isdigit(static_cast<unsigned char>(*p)))
    return false;
  long long v = 0;
  for (; std::isdigit(static_cast<unsigned char>(*p)); ++p)
  {
    v = v * 10 + (*p - '0');
    if (v > static_cast<long long>(INT_MAX) + 1)
      return false;
  }
  v = negative ? -v : v;
  if (v > INT_MAX || v < INT_MIN)
    return false;
  value = v;
  return true;
}

// The process-wide setup of the transfer library, around each request.
struct CurlGlobal
{
  CurlGlobal() { curl_global_init(CURL_GLOBAL_ALL); }
  ~CurlGlobal() { curl_global_cleanup(); }
  CurlGlobal(const CurlGlobal&) = delete;
  CurlGlobal& operator=(const CurlGlobal&) = delete;
};

extern "C" size_t WriteToReply(char* data, size_t size, size_t count, void* reply)
{
  return UpdateWriteCallback(data, size, count, reply);
}

} // namespace

ProcessUpdateState& UpdateState()
{
  static ProcessUpdateState state;
  return state;
}

void ProductKey(const char* productName, char* out, size_t outSize)
{
  if (!out || outSize == 0)
    return;
  // The maker's other products go by names of their own on the service;
  // this one goes by its own name.
  std::snprintf(out, outSize, "%s", productName ? productName : "");
}

void VersionCheckAddress(const char* productKey, PK_String& url)
{
  const char* base = std::getenv(kBaseUrlVariable);
  if (!base || !*base)
    base = TOLVANE3_UPDATE_CHECK_BASE_URL;
  url.SetFormatted(1024, "%s/versioncheck?productname=%s", base, productKey ? productKey : "");
}

bool ParseVersionNumber(const char* text, long long& number)
{
  if (!text)
    return false;
  const char* p = text;
  long long major = 0, minor = 0, patch = 0;
  if (!ReadNumber(p, major) || *p++ != '.' || !ReadNumber(p, minor) || *p++ != '.' || !ReadNumber(p, patch))
    return false;
  number = (major * 100 + minor) * 100 + patch;
  return true;
}

size_t UpdateWriteCallback(const char* data, size_t size, size_t count, void* replyPtr)
{
  auto* reply = static_cast<UpdateReply*>(replyPtr);
  const size_t bytes = size * count;
  const size_t room = reply->limit - std::min(reply->limit, reply->body.size());
  if (bytes > room)
  {
    reply->body.append(data, room);
    reply->truncated = true;
    return 0;
  }
  reply->body.append(data, bytes);
  return bytes;
}

UpdateCheckResult CheckForUpdate(const char* currentVersion, const char* url, PK_String& statusText,
  int& resultCode, const UpdateCheckLimits& limits)
{
  CurlGlobal global;
  CURL* handle = curl_easy_init();
  if (!handle)
    return kUpdateNoHandle;

  UpdateReply reply;
  reply.limit = limits.maxReplyBytes;
  curl_easy_setopt(handle, CURLOPT_URL, url);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, WriteToReply);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &reply);
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, limits.connectTimeoutSeconds);
  // The host runs many threads: no signal may interrupt them, and the whole
  // transfer ends in bounded time even when the server stalls.
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, limits.totalTimeoutMs);

  CURLcode code = curl_easy_perform(handle);
  // A reply stopped at its limit still holds the version it starts with.
  if (code == CURLE_WRITE_ERROR && reply.truncated)
    code = CURLE_OK;
  statusText.Set(curl_easy_strerror(code));
  resultCode = static_cast<int>(code);

  UpdateCheckResult result = kUpdateServiceDown;
  long long remote = 0, local = 0;
  if (code != CURLE_OK)
    result = kUpdateServiceDown;
  else if (!ParseVersionNumber(reply.body.c_str(), remote) || !ParseVersionNumber(currentVersion, local))
    result = kUpdateProductUnknown;
  else if (remote == local)
    result = kUpdateUpToDate;
  else
    result = remote > local ? kUpdateAvailable : kUpdateOlderAvailable;
  curl_easy_cleanup(handle);
  return result;
}

const char* UpdateResultText(int result)
{
  switch (result)
  {
    case kUpdateServiceDown:
      return "Service not available";
    case kUpdateProductUnknown:
      return "Product not found";
    case kUpdateUpToDate:
      return "Plugin is up to date";
    case kUpdateAvailable:
      return "Plugin update is available";
    case kUpdateOlderAvailable:
      return "Older plugin version available";
    default:
      return "Unknown";
  }
}

} // namespace tolvane3
