#include "framework/FileReplacement.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "framework/files/LinkFollowing.h"

namespace plugkit {

namespace {

std::string FolderOf(const std::string& path)
{
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A write past the file-size limit raises SIGXFSZ, which kills the process
// mid-write unless it is ignored. So a save that would cross the limit
// goes ahead only where the process ignores the signal (the write then
// fails and is undone), and a file rewritten in place must be able to take
// its old content back (`restoreSize`) in any case.
bool FitsTheSizeLimit(size_t size, size_t restoreSize)
{
  rlimit limit{};
  if (getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
    return true;
  if (restoreSize > limit.rlim_cur)
    return false;
  struct sigaction current{};
  return size <= limit.rlim_cur || (sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_IGN);
}

// The permission bits a new file gets: read and write for whom the umask
// allows. Read from the process's status, as setting the umask to learn it
// would change it for every thread for a moment; where the status does not
// show it, a new file stays private.
mode_t NewFileMode()
{
  std::FILE* status = std::fopen("/proc/self/status", "re");
  if (!status)
    return 0600;
  unsigned mask = 077;
  char line[256];
  while (std::fgets(line, sizeof line, status))
    if (std::sscanf(line, "Umask: %o", &mask) == 1)
      break;
  std::fclose(status);
  return 0666 & ~static_cast<mode_t>(mask);
}

// Calls `step(done)` until `size` bytes are moved: each call moves some of
// what is left and says how many, or fails (-1 with errno set); a call
// interrupted by a signal is made again. False when one fails or moves none.
template <typename Step>
bool MoveAll(size_t size, Step step)
{
  for (size_t done = 0; done < size;)
  {
    const ssize_t n = step(done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool WriteAll(int fd, const unsigned char* bytes, size_t size)
{
  return MoveAll(size, [&](size_t done) { return write(fd, bytes + done, size - done); });
}

// O_EXCL with a per-process counter: two saves at once never share a file,
// and nothing already there (a planted link included) is ever opened. It is
// private to its owner until it is whole.
int CreateTemporary(const std::string& folder, std::string& temporary)
{
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt)
  {
    char name[64];
    std::snprintf(name, sizeof name, "/.plugkit-save-%ld-%u.tmp", static_cast<long>(getpid()), counter++);
    temporary = folder + name;
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST)
      return fd;
  }
  return -1;
}

// Something that is not a plain file (a device, a pipe) holds nothing to
// lose and cannot be renamed over.
bool WriteToSpecialFile(const std::string& target, const unsigned char* bytes, size_t size)
{
  const int fd = open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0)
    return false;
  const bool written = WriteAll(fd, bytes, size);
  return close(fd) == 0 && written;
}

// Whether a new file renamed over `old` would differ from it in anything
// but its content: another inode for its other links, extended attributes
// (an ACL) it would not have.
bool RenameKeepsEverything(const std::string& target, const struct stat& old)
{
  if (old.st_nlink != 1)
    return false;
  const ssize_t names = listxattr(target.c_str(), nullptr, 0);
  return names == 0 || (names < 0 && errno == ENOTSUP);
}

enum class Renamed
{
  kDone,
  kFailed,
  kWouldChangeTheFile, // the temporary could not be made, or not as the old file's owner and group
};

// The new content whole in a temporary beside the target, then renamed
// over it: a failure at any point, a stop included, leaves the old file.
// `old` is null for a file not made yet.
Renamed ReplaceByRename(const std::string& target, const unsigned char* bytes, size_t size, const struct stat* old)
{
  std::string temporary;
  const int fd = CreateTemporary(FolderOf(target), temporary);
  if (fd < 0)
    return old ? Renamed::kWouldChangeTheFile : Renamed::kFailed;
  struct stat made;
  if (old && (fstat(fd, &made) != 0 || made.st_uid != old->st_uid || made.st_gid != old->st_gid))
  {
    close(fd);
    unlink(temporary.c_str());
    return Renamed::kWouldChangeTheFile;
  }
  // A close can be the first to report a write the disk refused.
  bool ok = WriteAll(fd, bytes, size) && fchmod(fd, old ? old->st_mode & 07777 : NewFileMode()) == 0 &&
            fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (ok && std::rename(temporary.c_str(), target.c_str()) == 0)
    return Renamed::kDone;
  unlink(temporary.c_str());
  return Renamed::kFailed;
}

// All of `bytes` from the file's start.
bool PutAt(int fd, const unsigned char* bytes, size_t size)
{
  return lseek(fd, 0, SEEK_SET) == 0 && WriteAll(fd, bytes, size);
}

// The old content of the file open as `fd`; false when that is no longer
// the file examined as `old` (it was replaced since) or cannot be read.
bool ReadOldContent(int fd, const struct stat& old, std::vector<unsigned char>& bytes)
{
  struct stat now;
  if (fstat(fd, &now) != 0 || now.st_dev != old.st_dev || now.st_ino != old.st_ino)
    return false;
  bytes.resize(static_cast<size_t>(now.st_size));
  return MoveAll(bytes.size(), [&](size_t done) {
    return pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
  });
}

// The file itself rewritten, so its other links, owner, group and
// attributes stay. Its old content (these files are small) is put back, at
// its old length, when the new one cannot be written whole.
bool RewriteInPlace(const std::string& target, const unsigned char* bytes, size_t size, const struct stat& old)
{
  // No link is followed here: one planted since the target was resolved
  // would escape the shared-folder rule.
  const int fd = open(target.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0)
    return false;
  std::vector<unsigned char> previous;
  const bool ready = ReadOldContent(fd, old, previous) && FitsTheSizeLimit(size, previous.size());
  const bool ok = ready && PutAt(fd, bytes, size) && ftruncate(fd, static_cast<off_t>(size)) == 0 && fsync(fd) == 0;
  if (ready && !ok && PutAt(fd, previous.data(), previous.size()) &&
      ftruncate(fd, static_cast<off_t>(previous.size())) == 0)
    fsync(fd);
  // The fsync has reported every write.
  close(fd);
  return ok;
}

} // namespace

bool WriteFileReplacing(const char* path, const void* bytes, size_t size)
{
  std::string target;
  if (!path || !*path)
    return false;
  if (const int code = FollowLinks(path, target))
  {
    errno = code;
    return false;
  }
  const auto* data = static_cast<const unsigned char*>(bytes);
  struct stat old;
  if (stat(target.c_str(), &old) != 0)
    return errno == ENOENT && FitsTheSizeLimit(size, 0) &&
           ReplaceByRename(target, data, size, nullptr) == Renamed::kDone;
  if (!S_ISREG(old.st_mode))
    return WriteToSpecialFile(target, data, size);
  if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0 || !FitsTheSizeLimit(size, 0))
    return false;
  if (RenameKeepsEverything(target, old))
  {
    const Renamed renamed = ReplaceByRename(target, data, size, &old);
    if (renamed != Renamed::kWouldChangeTheFile)
      return renamed == Renamed::kDone;
  }
  return RewriteInPlace(target, data, size, old);
}

} // namespace plugkit
