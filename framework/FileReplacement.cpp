#include "framework/FileReplacement.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include "framework/files/AttributeCarrying.h"
#include "framework/files/LinkFollowing.h"
#include "framework/files/UnnamedFile.h"

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
// its old content back (`restoreSize`) in any case. False with errno set
// to the reason a write past the limit gives.
bool FitsTheSizeLimit(size_t size, size_t restoreSize)
{
  rlimit limit{};
  if (getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
    return true;
  struct sigaction current{};
  if (restoreSize <= limit.rlim_cur &&
      (size <= limit.rlim_cur || (sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_IGN)))
    return true;
  errno = EFBIG;
  return false;
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
  const std::string folder = FolderOf(target);
  // A new file gets what a plain create there gives it (the folder's
  // default ACL, or the umask), unnamed until it is whole; where the file
  // system makes no unnamed file, it is made private and given the umask's
  // mode once whole.
  std::string temporary;
  int fd = old ? -1 : OpenUnnamedFile(folder);
  const bool unnamed = fd >= 0;
  if (!unnamed)
    fd = CreateTemporary(folder, temporary);
  if (fd < 0)
    return old ? Renamed::kWouldChangeTheFile : Renamed::kFailed;
  bool named = !unnamed;
  struct stat made;
  const bool sameOwners = !old || (fstat(fd, &made) == 0 && made.st_uid == old->st_uid && made.st_gid == old->st_gid);
  const bool written = sameOwners && WriteAll(fd, bytes, size) &&
                       (unnamed || fchmod(fd, old ? old->st_mode & 07777 : NewFileMode()) == 0);
  const bool carried = written && (!old || CarryAttributes(target, fd).empty());
  bool ok = carried && fsync(fd) == 0;
  if (ok && unnamed)
  {
    temporary = folder + "/.plugkit-save-XXXXXX";
    ok = named = NameUnnamedFile(fd, temporary);
  }
  // A close can be the first to report a write the disk refused.
  ok = close(fd) == 0 && ok;
  if (ok && std::rename(temporary.c_str(), target.c_str()) == 0)
    return Renamed::kDone;
  if (named)
    unlink(temporary.c_str());
  return old && (!sameOwners || (written && !carried)) ? Renamed::kWouldChangeTheFile : Renamed::kFailed;
}

// Where the file system keeps no locks, saves of one file that share a
// network namespace take turns on a name made of the file's device and
// inode in its abstract socket namespace: one socket at a time may be bound
// to it, the kernel frees it the moment its holder closes or ends, and it
// needs no folder that all savers may write. The name has no permissions:
// any process there may hold it, one that cannot read the file too, and a
// save stopped while holding it holds it until it ends. So a save waits a
// few seconds at most for its turn (saves take moments, though a flush on
// a busy disk can take seconds) and is then refused, as one that can have
// no socket at all is. The turn is the socket returned; -1 with errno
// ENOLCK where none can be had.
int TakeTurnWithoutLocks(const struct stat& file)
{
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  // A leading NUL puts the name in the abstract namespace, out of every folder.
  const int length = std::snprintf(address.sun_path + 1, sizeof address.sun_path - 1, "plugkit-save-%llx-%llx",
                                   static_cast<unsigned long long>(file.st_dev),
                                   static_cast<unsigned long long>(file.st_ino));
  const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + static_cast<size_t>(length));
  const int turn = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (turn < 0)
  {
    errno = ENOLCK;
    return -1;
  }
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (bind(turn, reinterpret_cast<const sockaddr*>(&address), size) != 0)
  {
    if (errno != EADDRINUSE || std::chrono::steady_clock::now() >= giveUp)
    {
      close(turn);
      errno = ENOLCK;
      return -1;
    }
    // Another save holds it; a save of a program or a bank takes moments.
    const timespec moment{0, 2'000'000};
    nanosleep(&moment, nullptr);
  }
  return turn;
}

// All of `bytes` from the file's start.
bool PutAt(int fd, const unsigned char* bytes, size_t size)
{
  return lseek(fd, 0, SEEK_SET) == 0 && WriteAll(fd, bytes, size);
}

// What a save of `size` bytes overwrites of the file open as `fd`, and its
// length; false when that is no longer the file examined as `old` (it was
// replaced since), or it cannot be read or held.
bool ReadOverwritten(int fd, const struct stat& old, size_t size, std::vector<unsigned char>& bytes, off_t& length)
{
  struct stat now;
  if (fstat(fd, &now) != 0 || now.st_dev != old.st_dev || now.st_ino != old.st_ino)
    return false;
  length = now.st_size;
  try
  {
    bytes.resize(std::min(size, static_cast<size_t>(length)));
  }
  catch (const std::bad_alloc&)
  {
    return false;
  }
  return MoveAll(bytes.size(), [&](size_t done) {
    return pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
  });
}

// The file itself rewritten, so its other links, owner, group and
// attributes stay, and its old content put back at its old length when
// the new one cannot be written whole. Only what the new content
// overwrites is held to be put back: the rest of a longer old file stays
// in it until the new content is whole on the disk, so the road never
// holds more than the save's own size. Saves of one file take turns, so
// two at once never mix their bytes and lengths: on a lock, or where the
// file system keeps none, on a turn of the saves that share the network
// namespace.
bool RewriteInPlace(const std::string& target, const unsigned char* bytes, size_t size, const struct stat& old)
{
  // No link is followed here: one planted since the target was resolved
  // would escape the shared-folder rule.
  const int fd = open(target.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0)
    return false;
  int locked;
  while ((locked = flock(fd, LOCK_EX)) != 0 && errno == EINTR)
  {
  }
  // A file system that keeps no locks (NFS without its lock service)
  // refuses the lock; the save takes a turn without it, and one that can
  // have neither is refused rather than mixed with another.
  const int turn = locked != 0 && errno == ENOLCK ? TakeTurnWithoutLocks(old) : -1;
  const bool mayWrite = locked == 0 || turn >= 0;
  std::vector<unsigned char> overwritten;
  off_t length = 0;
  const bool ready = mayWrite && ReadOverwritten(fd, old, size, overwritten, length) &&
                     FitsTheSizeLimit(size, static_cast<size_t>(length));
  const bool shorter = static_cast<off_t>(size) < length;
  bool ok = ready && PutAt(fd, bytes, size) && fsync(fd) == 0;
  const bool cut = ok && shorter && ftruncate(fd, static_cast<off_t>(size)) == 0;
  ok = ok && (!shorter || (cut && fsync(fd) == 0));
  // Once cut, the old end is gone and the new content, whole, stays.
  if (ready && !ok && !cut && PutAt(fd, overwritten.data(), overwritten.size()) && ftruncate(fd, length) == 0)
    fsync(fd);
  // The fsync has reported every write; the close lets the next save in.
  close(fd);
  if (turn >= 0)
    close(turn);
  return ok;
}

bool Save(const char* path, const void* bytes, size_t size)
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
  // A file with other names is rewritten in place: a new file renamed
  // over one of them would leave the others on the old content.
  if (old.st_nlink == 1)
  {
    const Renamed renamed = ReplaceByRename(target, data, size, &old);
    if (renamed != Renamed::kWouldChangeTheFile)
      return renamed == Renamed::kDone;
  }
  return RewriteInPlace(target, data, size, old);
}

} // namespace

bool WriteFileReplacing(const char* path, const void* bytes, size_t size)
{
  // Memory that runs out before anything is written fails the save; it
  // must not end the host the plug-in runs in.
  try
  {
    return Save(path, bytes, size);
  }
  catch (const std::bad_alloc&)
  {
    errno = ENOMEM;
    return false;
  }
}

} // namespace plugkit
