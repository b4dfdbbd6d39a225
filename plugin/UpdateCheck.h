// Asking the maker's version-check service whether a newer version exists.
//
// The request blocks the calling thread (the main thread), so it is bounded
// in time as a whole, not only while connecting, and the reply it keeps is
// bounded in size: a server that accepts and then stalls, or one that sends
// without end, cannot hang the host's user interface or exhaust its memory.
//
// Where the service lives: the build setting TOLVANE3_UPDATE_CHECK_BASE_URL,
// which the environment variable of the same name overrides at run time. The
// default names a host under a reserved domain, so no build reaches a third
// party until the maker's real service exists.
#pragma once

#include <cstddef>
#include <string>

#include "graphics/PK_String.h"

namespace tolvane3 {

enum UpdateCheckResult : int
{
  kUpdateNoHandle = -1,       // no transfer could be set up
  kUpdateServiceDown = 0,     // the transfer failed
  kUpdateProductUnknown = 1,  // the reply does not start with a version
  kUpdateUpToDate = 3,
  kUpdateAvailable = 4,
  kUpdateOlderAvailable = 5
};

struct UpdateCheckLimits
{
  long connectTimeoutSeconds = 25;
  long totalTimeoutMs = 30000;
  // A version needs a few bytes; the rest of a longer reply is not kept.
  size_t maxReplyBytes = 4096;
};

// The reply as it arrives: kept up to its limit.
struct UpdateReply
{
  std::string body;
  size_t limit = 4096;
  bool truncated = false;
};

// Shared by every instance in the process; touched on the main thread only.
struct ProcessUpdateState
{
  bool UpdateCheckDone = false;  // the automatic check has run; never cleared
  bool UpdateAvailable = false;  // the last check found a newer version
};
ProcessUpdateState& UpdateState();

// The key the service knows a product by: this product's name as it is.
void ProductKey(const char* productName, char* out, size_t outSize);

// The request address for a product key, at most 1024 characters.
void VersionCheckAddress(const char* productKey, PK_String& url);

// Reads "major.minor.patch" at the start of a text (as "%d.%d.%d" reads it)
// into (major × 100 + minor) × 100 + patch. False when there are not three
// numbers or one does not fit a 32-bit integer.
bool ParseVersionNumber(const char* text, long long& number);

// Appends what arrives to the reply, up to its limit. Returns size × count
// while the reply has room; 0 once it is full, which stops the transfer.
size_t UpdateWriteCallback(const char* data, size_t size, size_t count, void* reply);

// Asks the service at url how currentVersion compares with the newest one.
// statusText receives the transfer's status text, resultCode its code.
UpdateCheckResult CheckForUpdate(const char* currentVersion, const char* url, PK_String& statusText,
  int& resultCode, const UpdateCheckLimits& limits = UpdateCheckLimits());

// The text the manual check shows for a result.
const char* UpdateResultText(int result);

} // namespace tolvane3
