#include "framework/FileReplacement.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plugkit {

namespace {

// Links followed before giving up, as the kernel does.
constexpr int kMaxLinkHops = 40;

std::string FolderOf(const std::string& path)
{
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The file `path` names once links are followed (a link may name a file not
// made yet); false for a loop or a link that cannot be read.
bool FollowLinks(const char* path, std::string& target)
{
  target = path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop)
  {
    struct stat status;
    if (lstat(target.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
      return true;
    char named[PATH_MAX];
    const ssize_t length = readlink(target.c_str(), named, sizeof named);
    if (length <= 0 || static_cast<size_t>(length) == sizeof named)
      return false;
    const std::string next(named, static_cast<size_t>(length));
    const size_t slash = target.rfind('/');
    target = next[0] == '/' || slash == std::string::npos ? next : target.substr(0, slash + 1) + next;
  }
  return false;
}

bool WriteAll(int fd, const unsigned char* bytes, size_t size)
{
  size_t done = 0;
  while (done < size)
  {
    const ssize_t n = write(fd, bytes + done, size - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// O_EXCL with a per-process counter: two saves at once never share a file,
// and nothing already there (a planted link included) is ever opened.
int CreateTemporary(const std::string& folder, std::string& temporary)
{
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt)
  {
    char name[64];
    std::snprintf(name, sizeof name, "/.plugkit-save-%ld-%u.tmp", static_cast<long>(getpid()), counter++);
    temporary = folder + name;
    // 0666 under the user's umask, as any newly saved file.
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST)
      return fd;
  }
  return -1;
}

bool WriteInPlace(const std::string& target, const unsigned char* bytes, size_t size)
{
  const int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0)
    return false;
  const bool written = WriteAll(fd, bytes, size);
  return close(fd) == 0 && written;
}

} // namespace

bool WriteFileReplacing(const char* path, const void* bytes, size_t size)
{
  std::string target;
  if (!path || !*path || !FollowLinks(path, target))
    return false;
  const auto* data = static_cast<const unsigned char*>(bytes);
  struct stat old;
  const bool exists = stat(target.c_str(), &old) == 0;
  if (!exists && errno != ENOENT)
    return false;
  if (exists && !S_ISREG(old.st_mode))
    return WriteInPlace(target, data, size);
  if (exists && faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
    return false;

  std::string temporary;
  const int fd = CreateTemporary(FolderOf(target), temporary);
  if (fd < 0)
    return false;
  // A close can be the first to report a write the disk refused.
  bool ok = WriteAll(fd, data, size) && (!exists || fchmod(fd, old.st_mode & 07777) == 0) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (ok && std::rename(temporary.c_str(), target.c_str()) == 0)
    return true;
  unlink(temporary.c_str());
  return false;
}

} // namespace plugkit
